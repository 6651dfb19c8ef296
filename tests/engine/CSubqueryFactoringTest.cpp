// WITH with column lists, and recursive WITH as the SQL Language Reference
// describes it: the first branch starts, each further branch reads the rows
// the last round made.
#include "tests/engine/EngineFixture.h"

namespace {

class CSubqueryFactoringTest : public EngineFixture {};

TEST_F(CSubqueryFactoringTest, ColumnListsNameAndRecursionReadsItsOwnRows) {
    Exec("CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10), mgr NUMBER(4))");
    Exec("INSERT INTO emp VALUES (1, 'KING', NULL)");
    Exec("INSERT INTO emp VALUES (2, 'JONES', 1)");
    Exec("INSERT INTO emp VALUES (3, 'FORD', 2)");
    Exec("INSERT INTO emp VALUES (4, 'BLAKE', 1)");
    const SqlCase cases[] = {
        {"WITH t (n) AS (SELECT 1 FROM dual UNION ALL SELECT n + 1 FROM t WHERE n < 5) SELECT SUM(n), "
         "COUNT(*) FROM t",
         "15,5"},
        {"WITH t (a, b) AS (SELECT 1, 'x' FROM dual) SELECT b, a FROM t", "x,1"},
        // The list renames what the query calls otherwise.
        {"WITH t (id) AS (SELECT empno AS e FROM emp WHERE mgr IS NULL) SELECT id FROM t", "1"},
        {"WITH chain (empno, ename, lvl, path) AS (SELECT empno, ename, 1, ename FROM emp WHERE mgr IS NULL "
         "UNION ALL SELECT e.empno, e.ename, c.lvl + 1, c.path || '/' || e.ename FROM emp e JOIN chain c ON "
         "e.mgr = c.empno) SELECT lvl, path FROM chain ORDER BY path",
         "1,KING|2,KING/BLAKE|2,KING/JONES|3,KING/JONES/FORD"},
        // Dates step by a day until the end.
        {"WITH d (day) AS (SELECT DATE '2024-02-27' FROM dual UNION ALL SELECT day + 1 FROM d WHERE day < "
         "DATE '2024-03-01') SELECT COUNT(*), TO_CHAR(MAX(day), 'YYYY-MM-DD') FROM d",
         "4,2024-03-01"},
        {"WITH t (a, b) AS (SELECT 1 FROM dual) SELECT * FROM t",
         "ERROR ORA-32038: WITH句の列別名の数が、SELECTリストの要素の数と一致しません。"},
        {"WITH t (n) AS (SELECT 1 FROM dual UNION ALL SELECT n + 1 FROM t WHERE n < 3) CYCLE n SET c TO 'Y' "
         "DEFAULT 'N' SELECT n FROM t",
         "ERROR ORA-03001: 未実装の機能です: CYCLE ... SET は組込みデータベースでは使えません。"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

}  // namespace

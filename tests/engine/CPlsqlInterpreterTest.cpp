// PL/SQL blocks on the embedded engine: each case is a block and what the
// server answers for it (the lines DBMS_OUTPUT prints, or the error text),
// as the PL/SQL Language Reference describes the language.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE; END;");
    }
    std::string Block(const std::string& text) { return OutputOf(text); }
};

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlTest, DeclarationsAndControl) {
    const Case cases[] = {
        {"DECLARE n NUMBER := 0; BEGIN FOR i IN 1..5 LOOP n := n + i; END LOOP; dbms_output.put_line(n); "
         "END;",
         "15"},
        {"BEGIN FOR i IN REVERSE 1..3 LOOP dbms_output.put(i); END LOOP; dbms_output.new_line; END;", "321"},
        {"BEGIN FOR i IN 3..1 LOOP dbms_output.put_line(i); END LOOP; dbms_output.put_line('none'); END;",
         "none"},
        {"DECLARE c CONSTANT VARCHAR2(5) := 'ab'; v c%TYPE; BEGIN v := c || 'c'; dbms_output.put_line(v); "
         "END;",
         "abc"},
        {"DECLARE x NUMBER; BEGIN IF x IS NULL THEN dbms_output.put_line('null'); ELSIF x > 1 THEN NULL; "
         "ELSE dbms_output.put_line('else'); END IF; END;",
         "null"},
        {"DECLARE x NUMBER := 5; BEGIN IF x > 10 THEN dbms_output.put_line('big'); ELSIF x > 3 THEN "
         "dbms_output.put_line('mid'); ELSE dbms_output.put_line('small'); END IF; END;",
         "mid"},
        {"DECLARE g CHAR(1) := 'B'; BEGIN CASE g WHEN 'A' THEN dbms_output.put_line('one'); WHEN 'B' THEN "
         "dbms_output.put_line('two'); END CASE; END;",
         "two"},
        {"DECLARE n NUMBER := 7; BEGIN dbms_output.put_line(CASE WHEN n < 5 THEN 'lo' WHEN n < 10 THEN 'mid' "
         "END); "
         "dbms_output.put_line(CASE n WHEN 1 THEN 'a' ELSE 'z' END); END;",
         "mid|z"},
        {"DECLARE i PLS_INTEGER := 0; BEGIN LOOP i := i + 1; CONTINUE WHEN MOD(i, 2) = 0; EXIT WHEN i > 5; "
         "dbms_output.put(i); END LOOP; dbms_output.new_line; END;",
         "135"},
        {"DECLARE i NUMBER := 0; BEGIN WHILE i < 3 LOOP i := i + 1; END LOOP; dbms_output.put_line(i); END;",
         "3"},
        {"BEGIN <<outer>> FOR i IN 1..3 LOOP FOR j IN 1..3 LOOP EXIT outer WHEN j = 2; dbms_output.put(i || "
         "j || ' '); END LOOP; END LOOP outer; dbms_output.new_line; END;",
         "11 "},
        {"DECLARE x NUMBER := 1; BEGIN DECLARE x NUMBER := 2; BEGIN dbms_output.put_line(x); END; "
         "dbms_output.put_line(x); END;",
         "2|1"},
        {"DECLARE b BOOLEAN := TRUE; BEGIN IF b AND NOT (1 = 2) THEN dbms_output.put_line('yes'); END IF; "
         "END;",
         "yes"},
        {"DECLARE x NUMBER; BEGIN IF x = 1 OR TRUE THEN dbms_output.put_line('t'); END IF; IF NOT (x = 1) "
         "THEN NULL; ELSE dbms_output.put_line('unknown'); END IF; END;",
         "t|unknown"},
        {"DECLARE n NUMBER := 10; BEGIN dbms_output.put_line(n / 4 || ' ' || 1/3 * 3 || ' ' || 2 ** 10); "
         "END;",
         "2.5 .9999999999999999999999999999999999999999 1024"},
        {"DECLARE a NUMBER := 0.1; BEGIN dbms_output.put_line(a + 0.2); END;", ".3"},
        {"DECLARE n NUMBER(5,2) := 3.14159; BEGIN dbms_output.put_line(n); END;", "3.14"},
        {"DECLARE s VARCHAR2(10) := UPPER('abc'); BEGIN dbms_output.put_line(s || LENGTH(s) || NVL(NULL, "
         "'x')); END;",
         "ABC3x"},
        {"DECLARE n NUMBER := 3; BEGIN IF n BETWEEN 1 AND 5 AND n IN (2, 3) AND n NOT IN (4) THEN "
         "dbms_output.put_line('in'); END IF; END;",
         "in"},
        {"DECLARE s VARCHAR2(10) := 'hello'; BEGIN IF s LIKE 'he%' THEN dbms_output.put_line('like'); END "
         "IF; END;",
         "like"},
        {"BEGIN NULL; END;", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, SqlInsideBlocks) {
    Exec("CREATE TABLE emp (empno NUMBER(4) PRIMARY KEY, ename VARCHAR2(10), sal NUMBER(7,2), hired DATE)");
    Exec("INSERT INTO emp VALUES (7369, 'SMITH', 800, DATE '1980-12-17')");
    Exec("INSERT INTO emp VALUES (7499, 'ALLEN', 1600, DATE '1981-02-20')");
    Exec("INSERT INTO emp VALUES (7521, 'WARD', 1250, NULL)");
    Exec("COMMIT");
    const Case cases[] = {
        {"DECLARE v emp.ename%TYPE; s NUMBER; BEGIN SELECT ename, sal INTO v, s FROM emp WHERE empno = 7499; "
         "dbms_output.put_line(v || ' ' || s); END;",
         "ALLEN 1600"},
        {"DECLARE r emp%ROWTYPE; BEGIN SELECT * INTO r FROM emp WHERE empno = 7369; "
         "dbms_output.put_line(r.ename || ' ' || r.sal || ' ' || TO_CHAR(r.hired, 'YYYY/MM/DD')); END;",
         "SMITH 800 1980/12/17"},
        {"DECLARE empno NUMBER := 7521; n VARCHAR2(10); BEGIN SELECT ename INTO n FROM emp WHERE empno = "
         "empno AND ROWNUM = 1; dbms_output.put_line(n); END;",
         "SMITH"},
        {"DECLARE id NUMBER := 7521; n VARCHAR2(10); BEGIN SELECT ename INTO n FROM emp WHERE empno = id; "
         "dbms_output.put_line(n); END;",
         "WARD"},
        {"DECLARE n VARCHAR2(10); BEGIN SELECT ename INTO n FROM emp WHERE empno = 1; END;",
         "ERROR ORA-01403: データが見つかりません。|ORA-06512: 行1"},
        {"DECLARE n VARCHAR2(10);\nBEGIN\n  SELECT ename INTO n FROM emp;\nEND;",
         "ERROR ORA-01422: 完全フェッチがリクエストよりも多くの行を戻しました。|ORA-06512: 行3"},
        {"DECLARE n VARCHAR2(3); BEGIN SELECT ename INTO n FROM emp WHERE empno = 7369; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1"},
        {"DECLARE total NUMBER := 0; BEGIN FOR r IN (SELECT sal FROM emp ORDER BY empno) LOOP total := total "
         "+ r.sal; END LOOP; dbms_output.put_line(total); END;",
         "3650"},
        {"DECLARE CURSOR c(minimum NUMBER) IS SELECT ename FROM emp WHERE sal >= minimum ORDER BY ename; "
         "BEGIN FOR r IN c(1000) LOOP dbms_output.put_line(r.ename); END LOOP; END;",
         "ALLEN|WARD"},
        {"DECLARE CURSOR c IS SELECT ename, sal FROM emp ORDER BY empno; r c%ROWTYPE; BEGIN OPEN c; "
         "dbms_output.put_line(CASE WHEN c%ISOPEN THEN 'open' END); LOOP FETCH c INTO r; EXIT WHEN "
         "c%NOTFOUND; "
         "dbms_output.put_line(c%ROWCOUNT || ' ' || r.ename); END LOOP; CLOSE c; "
         "dbms_output.put_line(CASE WHEN NOT c%ISOPEN THEN 'closed' END); END;",
         "open|1 SMITH|2 ALLEN|3 WARD|closed"},
        {"DECLARE CURSOR c IS SELECT 1 FROM dual; BEGIN OPEN c; OPEN c; END;",
         "ERROR ORA-06511: PL/SQL: カーソルはすでにオープンしています。|ORA-06512: 行1"},
        {"DECLARE CURSOR c IS SELECT 1 FROM dual; n NUMBER; BEGIN FETCH c INTO n; END;",
         "ERROR ORA-01001: カーソルが無効です。|ORA-06512: 行1"},
        {"BEGIN UPDATE emp SET sal = sal * 2 WHERE sal < 1500; dbms_output.put_line(SQL%ROWCOUNT); "
         "IF SQL%FOUND THEN dbms_output.put_line('found'); END IF; ROLLBACK; END;",
         "2|found"},
        {"DECLARE n NUMBER; BEGIN INSERT INTO emp (empno, ename, sal) VALUES (1, 'NEW', 10) RETURNING sal * "
         "2 INTO n; dbms_output.put_line(n); ROLLBACK; END;",
         "20"},
        {"DECLARE v VARCHAR2(20) := 'O''Brien'; BEGIN INSERT INTO emp (empno, ename) VALUES (2, v); "
         "SELECT ename INTO v FROM emp WHERE empno = 2; dbms_output.put_line(v); ROLLBACK; END;",
         "O'Brien"},
        {"DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM emp WHERE sal > :1' INTO n USING "
         "1000; "
         "dbms_output.put_line(n); END;",
         "2"},
        {"BEGIN INSERT INTO emp (empno) VALUES (7369); EXCEPTION WHEN DUP_VAL_ON_INDEX THEN "
         "dbms_output.put_line('dup ' || SQLCODE); END;",
         "dup -1"},
        {"BEGIN SELECT 1 INTO :nothing FROM dual; END;",
         "ERROR ORA-01008: バインド変数 NOTHING が宣言されていません。|ORA-06512: 行1"},
        {"DECLARE v NUMBER; BEGIN v := no_such_thing; END;",
         "ERROR ORA-06550: 行1、列30:|PLS-00201: 識別子'NO_SUCH_THING'を宣言してください。|ORA-06550: "
         "行1、列25:|PL/SQL: Statement ignored"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT COUNT(*), SUM(sal) FROM emp"), "3,3650");
}

TEST_F(PlsqlTest, ExceptionsAndTheirHandlers) {
    const Case cases[] = {
        {"DECLARE n NUMBER; BEGIN n := 1 / 0; EXCEPTION WHEN ZERO_DIVIDE THEN dbms_output.put_line(SQLCODE "
         "|| ' ' || SQLERRM); END;",
         "-1476 ORA-01476: 除数がゼロです。"},
        {"DECLARE e EXCEPTION; BEGIN RAISE e; EXCEPTION WHEN e THEN dbms_output.put_line(SQLCODE || ' ' || "
         "SQLERRM); END;",
         "1 User-Defined Exception"},
        {"DECLARE e EXCEPTION;\nBEGIN\n  RAISE e;\nEND;",
         "ERROR ORA-06510: PL/SQL: ユーザー定義の例外が処理されませんでした。|ORA-06512: 行3"},
        {"DECLARE e EXCEPTION; PRAGMA EXCEPTION_INIT(e, -1476); n NUMBER; BEGIN n := 1 / 0; EXCEPTION WHEN e "
         "THEN dbms_output.put_line('mapped'); END;",
         "mapped"},
        {"BEGIN\n  RAISE_APPLICATION_ERROR(-20001, 'too late');\nEND;",
         "ERROR ORA-20001: too late|ORA-06512: 行2"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20002, 'x'); EXCEPTION WHEN OTHERS THEN "
         "dbms_output.put_line(SQLCODE || ':' || SQLERRM); END;",
         "-20002:ORA-20002: x"},
        {"BEGIN RAISE_APPLICATION_ERROR(-1, 'x'); END;",
         "ERROR ORA-21000: -20000..-20999の範囲外のraise_application_errorの引数エラー数-1です。|ORA-06512: "
         "行1"},
        {"BEGIN BEGIN RAISE NO_DATA_FOUND; EXCEPTION WHEN TOO_MANY_ROWS THEN NULL; END; EXCEPTION WHEN "
         "NO_DATA_FOUND THEN dbms_output.put_line('outer ' || SQLCODE); END;",
         "outer 100"},
        {"BEGIN BEGIN RAISE VALUE_ERROR; EXCEPTION WHEN OTHERS THEN dbms_output.put_line('inner'); RAISE; "
         "END; "
         "EXCEPTION WHEN VALUE_ERROR THEN dbms_output.put_line('again'); END;",
         "inner|again"},
        {"DECLARE n NUMBER := 'x'; BEGIN NULL; EXCEPTION WHEN OTHERS THEN dbms_output.put_line('not here'); "
         "END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字から数値への変換エラー。|ORA-06512: 行1"},
        // A failed conversion is VALUE_ERROR in a procedural statement, INVALID_NUMBER in SQL.
        {"DECLARE n NUMBER; BEGIN n := TO_NUMBER('abc'); EXCEPTION WHEN INVALID_NUMBER THEN "
         "dbms_output.put_line('sql'); WHEN VALUE_ERROR THEN dbms_output.put_line(SQLCODE); END;",
         "-6502"},
        {"DECLARE n NUMBER; BEGIN SELECT TO_NUMBER('abc') INTO n FROM dual; EXCEPTION WHEN INVALID_NUMBER "
         "THEN dbms_output.put_line(SQLCODE); END;",
         "-1722"},
        {"DECLARE x CHAR(1) := 'Z'; BEGIN CASE x WHEN 'A' THEN NULL; END CASE; END;",
         "ERROR ORA-06592: PL/SQL: CASE文の実行時にCASEが見つかりません。|ORA-06512: 行1"},
        {"DECLARE n NUMBER(2); BEGIN n := 100; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 数値の精度が大きすぎます。|ORA-06512: 行1"},
        {"DECLARE n POSITIVE := 0; BEGIN NULL; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 数値の精度が大きすぎます。|ORA-06512: 行1"},
        // SIMPLE_INTEGER wraps round its 32 bits.
        {"DECLARE n SIMPLE_INTEGER := 2147483647; BEGIN n := n + 1; dbms_output.put_line(n); n := n - 1; "
         "dbms_output.put_line(n); END;",
         "-2147483648|2147483647"},
        {"DECLARE n NUMBER NOT NULL := 1; BEGIN n := NULL; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, AFailedBlockIsUndoneToItsStartAndCommitsInsideStay) {
    Exec("CREATE TABLE t (n NUMBER)");
    Exec("INSERT INTO t VALUES (0)");
    EXPECT_EQ(Block("BEGIN INSERT INTO t VALUES (1); INSERT INTO t VALUES (1 / 0); END;"),
              "ERROR ORA-01476: 除数がゼロです。|ORA-06512: 行1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t"), "1");
    EXPECT_EQ(
        Block("BEGIN INSERT INTO t VALUES (2); COMMIT; INSERT INTO t VALUES (3); RAISE PROGRAM_ERROR; END;")
            .substr(0, 15),
        "ERROR ORA-06501");
    EXPECT_EQ(Rows("SELECT n FROM t ORDER BY n"), "0|2");
    EXPECT_EQ(
        Block("BEGIN INSERT INTO t VALUES (4); SAVEPOINT a; INSERT INTO t VALUES (5); ROLLBACK TO a; END;"),
        "");
    EXPECT_EQ(Rows("SELECT n FROM t ORDER BY n"), "0|2|4");
    Exec("ROLLBACK");
    EXPECT_EQ(Rows("SELECT n FROM t ORDER BY n"), "0|2");
    EXPECT_EQ(Block("BEGIN EXECUTE IMMEDIATE 'CREATE TABLE made (x NUMBER)'; "
                    "EXECUTE IMMEDIATE 'INSERT INTO made VALUES (:v)' USING 42; END;"),
              "");
    EXPECT_EQ(Rows("SELECT x FROM made"), "42");
    EXPECT_EQ(
        Block("BEGIN INSERT INTO t VALUES (6); EXECUTE IMMEDIATE 'BEGIN INSERT INTO t VALUES (7); END;'; "
              "RAISE VALUE_ERROR; END;")
            .substr(0, 15),
        "ERROR ORA-06502");
    EXPECT_EQ(Rows("SELECT n FROM t ORDER BY n"), "0|2");
}

TEST_F(PlsqlTest, ConsoleBindVariablesAreInAndOut) {
    m_binds.push_back(CEngineBind{"N", "5", false, servertype::kNumber, false});
    m_binds.push_back(CEngineBind{"S", "", true, servertype::kVarchar2, false});
    EXPECT_EQ(Block("DECLARE k NUMBER := :n; BEGIN :s := 'k=' || k; :n := k * 2; END;"), "");
    EXPECT_EQ(m_binds[0].value, "10");
    EXPECT_EQ(m_binds[1].value, "k=5");
}

TEST_F(PlsqlTest, CancelStopsAnEndlessLoopAndUndoesTheBlock) {
    Exec("CREATE TABLE t (n NUMBER)");
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        m_connection->Cancel();
    });
    std::string answer = Block("BEGIN INSERT INTO t VALUES (1); LOOP NULL; END LOOP; END;");
    canceller.join();
    EXPECT_EQ(answer, "ERROR ORA-01013: ユーザーの要求で操作を取り消しました。");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t"), "0");
    EXPECT_EQ(Block("BEGIN dbms_output.put_line('after'); END;"), "after");
}

TEST_F(PlsqlTest, HostileProgramsAnswerErrorsNotCrashes) {
    std::string deep = "DECLARE n NUMBER; BEGIN n := ";
    for (int k = 0; k < 5000; ++k) deep += "(1 + ";
    deep += "1";
    for (int k = 0; k < 5000; ++k) deep += ")";
    EXPECT_NE(Block(deep + "; END;").find("PLS-00123"), std::string::npos);
    std::string nested;
    for (int k = 0; k < 5000; ++k) nested += "BEGIN ";
    nested += "NULL;";
    for (int k = 0; k < 5000; ++k) nested += " END;";
    EXPECT_NE(Block(nested).find("PLS-00123"), std::string::npos);
    EXPECT_EQ(
        Block("DECLARE s VARCHAR2(32767); BEGIN LOOP s := s || RPAD('x', 1000, 'x'); END LOOP; END;"),
        "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1");
    // A CLOB grows past VARCHAR2's limit, up to the engine's bound.
    EXPECT_EQ(Block("DECLARE c CLOB; BEGIN FOR i IN 1..5 LOOP c := c || RPAD('x', 10000, 'x'); END LOOP; "
                    "dbms_output.put_line(LENGTH(c)); END;"),
              "50000");
    EXPECT_EQ(
        Block("DECLARE c CLOB := RPAD('x', 30000, 'x'); v VARCHAR2(32767); BEGIN v := c || c; END;"),
        "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1");
    EXPECT_EQ(
        Block("DECLARE c CLOB := 'x'; BEGIN LOOP c := c || c; END LOOP; END;"),
        "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1");
    Exec("CREATE PROCEDURE r(n NUMBER) IS BEGIN r(n + 1); END;");
    EXPECT_EQ(Block("BEGIN r(1); END;").substr(0, 15), "ERROR ORA-06500");
}

TEST_F(PlsqlTest, BuiltInPackagesScriptsUse) {
    // DBMS_LOB's reading functions, in SQL and in a block: SUBSTR takes the
    // amount before the offset, and both default.
    Exec("CREATE TABLE docs (body CLOB)");
    Exec("INSERT INTO docs VALUES ('hello world')");
    EXPECT_EQ(Rows("SELECT DBMS_LOB.GETLENGTH(body), DBMS_LOB.SUBSTR(body, 5, 7), DBMS_LOB.SUBSTR(body), "
                   "DBMS_LOB.INSTR(body, 'o', 1, 2), DBMS_LOB.INSTR(body, 'o') FROM docs"),
              "11,world,hello world,8,5");
    EXPECT_EQ(Block("DECLARE c CLOB; BEGIN SELECT body INTO c FROM docs; "
                    "dbms_output.put_line(DBMS_LOB.GETLENGTH(c) || DBMS_LOB.SUBSTR(c, 3, 2)); END;"),
              "11ell");
    EXPECT_EQ(Rows("SELECT DBMS_LOB.SUBSTR(body, 1, 2, 3) FROM docs").substr(0, 15), "ERROR ORA-03001");
    const Case cases[] = {
        {"DECLARE t NUMBER := DBMS_UTILITY.GET_TIME; BEGIN IF DBMS_UTILITY.GET_TIME - t BETWEEN 0 AND 100 "
         "THEN dbms_output.put_line('timed'); END IF; END;",
         "timed"},
        {"DECLARE a NUMBER; b NUMBER; BEGIN DBMS_RANDOM.SEED(42); a := DBMS_RANDOM.VALUE(1, 10); "
         "DBMS_RANDOM.SEED(42); b := DBMS_RANDOM.VALUE(1, 10); IF a = b AND a >= 1 AND a < 10 THEN "
         "dbms_output.put_line('same'); END IF; dbms_output.put_line(LENGTH(DBMS_RANDOM.STRING('U', 12))); "
         "END;",
         "same|12"},
        {"BEGIN\n  DBMS_LOCK.SLEEP(0.01);\n  RAISE_APPLICATION_ERROR(-20001, 'x');\nEXCEPTION\n  WHEN OTHERS "
         "THEN\n"
         "    dbms_output.put(DBMS_UTILITY.FORMAT_ERROR_STACK);\n    "
         "dbms_output.put(DBMS_UTILITY.FORMAT_ERROR_BACKTRACE);\n"
         "    dbms_output.new_line;\nEND;",
         "ORA-20001: x\nORA-06512: 行3\n"},
        {"BEGIN DBMS_UTILITY.NO_SUCH; END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00302: コンポーネント'NO_SUCH'を宣言してください。|"
         "ORA-06550: 行1、列7:|PL/SQL: Statement ignored"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, CollectionsBulkCollectAndForall) {
    Exec("CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10), sal NUMBER(7,2))");
    Exec("INSERT INTO emp VALUES (7369, 'SMITH', 800)");
    Exec("INSERT INTO emp VALUES (7499, 'ALLEN', 1600)");
    Exec("INSERT INTO emp VALUES (7521, 'WARD', 1250)");
    Exec("COMMIT");
    const Case cases[] = {
        {"DECLARE TYPE t IS TABLE OF NUMBER INDEX BY PLS_INTEGER; a t; BEGIN a(10) := 1; a(-5) := 2; a(3) := "
         "3; "
         "dbms_output.put_line(a.COUNT || ' ' || a.FIRST || ' ' || a.LAST || ' ' || a.NEXT(3) || ' ' || "
         "a.PRIOR(3)); a.DELETE(3); IF NOT a.EXISTS(3) THEN dbms_output.put_line(a.COUNT); END IF; END;",
         "3 -5 10 10 -5|2"},
        {"DECLARE TYPE t IS TABLE OF VARCHAR2(10) INDEX BY VARCHAR2(10); c t; k VARCHAR2(10); BEGIN c('b') "
         ":= 'two'; c('a') := 'one'; k := c.FIRST; WHILE k IS NOT NULL LOOP dbms_output.put(c(k) || ' '); "
         "k := c.NEXT(k); END LOOP; dbms_output.new_line; END;",
         "one two "},
        {"DECLARE TYPE t IS TABLE OF NUMBER; n t := t(1, 2, 3); BEGIN n.EXTEND(2); n(5) := 50; n.TRIM; "
         "dbms_output.put_line(n.COUNT || ' ' || n(3) || ' ' || NVL(TO_CHAR(n(4)), 'null')); END;",
         "4 3 null"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; n t; BEGIN n(1) := 1; END;",
         "ERROR ORA-06531: 初期化されていないコレクションを参照しています。|ORA-06512: 行1"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; n t := t(); BEGIN n(1) := 1; END;",
         "ERROR ORA-06533: 添字がカウントを超えています。|ORA-06512: 行1"},
        {"DECLARE TYPE v IS VARRAY(2) OF NUMBER; a v := v(1, 2); BEGIN dbms_output.put_line(a.LIMIT); "
         "a.EXTEND; "
         "END;",
         "ERROR ORA-06532: 添字が制限を超えています。|ORA-06512: 行1"},
        {"DECLARE TYPE t IS TABLE OF NUMBER INDEX BY PLS_INTEGER; a t; n NUMBER; BEGIN n := a(1); END;",
         "ERROR ORA-01403: データが見つかりません。|ORA-06512: 行1"},
        {"DECLARE TYPE t IS TABLE OF emp%ROWTYPE; rows t; BEGIN SELECT * BULK COLLECT INTO rows FROM emp "
         "ORDER BY "
         "empno; dbms_output.put_line(rows.COUNT || ' ' || rows(2).ename || ' ' || rows(3).sal); END;",
         "3 ALLEN 1250"},
        {"DECLARE TYPE names IS TABLE OF emp.ename%TYPE; TYPE sals IS TABLE OF emp.sal%TYPE; n names; s "
         "sals; "
         "CURSOR c IS SELECT ename, sal FROM emp ORDER BY empno; BEGIN OPEN c; LOOP FETCH c BULK COLLECT "
         "INTO n, s LIMIT 2; dbms_output.put_line(n.COUNT || ':' || CASE WHEN n.COUNT > 0 THEN n(1) END); "
         "EXIT WHEN c%NOTFOUND; END LOOP; CLOSE c; END;",
         "2:SMITH|1:WARD"},
        {"DECLARE TYPE ids IS TABLE OF NUMBER INDEX BY PLS_INTEGER; x ids; BEGIN x(1) := 7369; x(2) := 7521; "
         "FORALL i IN 1..2 UPDATE emp SET sal = sal + 1 WHERE empno = x(i); "
         "dbms_output.put_line(SQL%ROWCOUNT); "
         "ROLLBACK; END;",
         "2"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT SUM(sal) FROM emp"), "3650");
}

// A deleted element of a nested table keeps its place: EXTEND appends after
// it, TRIM counts it, a value written there brings it back; EXTEND(n, i)
// appends copies of element i.
TEST_F(PlsqlTest, DeletedNestedTableElementsKeepTheirPlaces) {
    const Case cases[] = {
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(7, 8, 9); BEGIN c.EXTEND(2, 1); c.DELETE(2); "
         "c.EXTEND(1, 3); dbms_output.put_line(c.COUNT || ' ' || c(4) || ' ' || c(5) || ' ' || c(6)); END;",
         "5 7 7 9"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(1, 2, 3); BEGIN c.DELETE(3); c.EXTEND; c(4) := 4; "
         "dbms_output.put_line(c.COUNT || ' ' || c.LAST); c.TRIM(2); dbms_output.put_line(c.COUNT || ' ' || "
         "c.LAST); END;",
         "3 4|2 2"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(1, 2, 3); BEGIN c.DELETE(2, 3); c(3) := 30; c.EXTEND; "
         "dbms_output.put_line(c.COUNT || ' ' || c.LAST || ' ' || c.NEXT(1)); END;",
         "3 4 3"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(1, 2); BEGIN c.DELETE(2); c.TRIM(2); c.EXTEND; "
         "dbms_output.put_line(c.COUNT || ' ' || c.LAST); END;",
         "1 1"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(1, 2); BEGIN c.DELETE(2); c.TRIM(3); END;",
         "ERROR ORA-06533: 添字がカウントを超えています。|ORA-06512: 行1"},
        {"DECLARE TYPE t IS TABLE OF NUMBER; c t := t(1); BEGIN c(2) := 2; END;",
         "ERROR ORA-06533: 添字がカウントを超えています。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, CursorForUpdateAndWhereCurrentOf) {
    Exec("CREATE TABLE acct (id NUMBER, bal NUMBER)");
    Exec("INSERT INTO acct VALUES (1, 10)");
    Exec("INSERT INTO acct VALUES (2, 20)");
    Exec("INSERT INTO acct VALUES (3, 30)");
    EXPECT_EQ(
        Block(
            "DECLARE CURSOR c IS SELECT id, bal FROM acct WHERE bal > 15 ORDER BY id FOR UPDATE; "
            "r c%ROWTYPE; BEGIN OPEN c; FETCH c INTO r; UPDATE acct SET bal = r.bal + 1 WHERE CURRENT OF c; "
            "CLOSE c; FOR x IN c LOOP IF x.id = 3 THEN DELETE FROM acct WHERE CURRENT OF c; END IF; "
            "END LOOP; dbms_output.put_line(r.id || ' ' || r.bal); END;"),
        "2 20");
    EXPECT_EQ(Rows("SELECT id, bal FROM acct ORDER BY id"), "1,10|2,21");
}

// OPEN :rc FOR a query hands the console's cursor variable its rows as they
// were at OPEN, with the block's values then; the variable is taken once.
TEST_F(PlsqlTest, OpenForFillsTheConsolesCursorVariable) {
    Exec("CREATE TABLE acct (ID NUMBER, NAME VARCHAR2(5))");
    Exec("INSERT INTO acct VALUES (1, 'a')");
    Exec("INSERT INTO acct VALUES (2, 'b')");
    m_binds = {CEngineBind{"RC", "", true, servertype::kCursor}};
    EXPECT_EQ(Block("DECLARE n NUMBER := 1; BEGIN OPEN :rc FOR SELECT NAME, id FROM acct WHERE id > n; "
                    "n := 0; DELETE FROM acct; END;"),
              "");
    CEngineError error;
    auto cursor = m_connection->TakeCursorVariable("rc", error);
    ASSERT_NE(cursor, nullptr) << encoding::Cp932ToUtf8(error.message);
    ASSERT_EQ(cursor->Columns().size(), 2u);
    EXPECT_EQ(cursor->Columns()[0].name, "NAME");
    CEngineResult rows;
    ASSERT_TRUE(cursor->Fetch(10, rows));
    ASSERT_EQ(rows.RowCount(), 1u);
    EXPECT_EQ(rows.Value(0, 0), "b");
    EXPECT_EQ(m_connection->TakeCursorVariable("RC", error), nullptr);
    EXPECT_EQ(encoding::Cp932ToUtf8(error.message), "REFCURSOR 変数 RC は開かれていません。");
    EXPECT_EQ(Block("BEGIN OPEN :rc FOR SELECT nothing FROM acct; END;").substr(0, 15), "ERROR ORA-06550");
}

// A record assigned from another takes its fields by place, each by its
// field's rules; INSERT ... VALUES record writes the fields in order.
TEST_F(PlsqlTest, RecordsAreCopiedAndInsertedWhole) {
    Exec("CREATE TABLE src (ID NUMBER, NAME VARCHAR2(10))");
    Exec("CREATE TABLE dst (ID NUMBER, NAME VARCHAR2(3))");
    Exec("INSERT INTO src VALUES (1, 'ab')");
    Exec("INSERT INTO src VALUES (2, 'toolong')");
    EXPECT_EQ(Block("DECLARE r src%ROWTYPE; BEGIN FOR x IN (SELECT * FROM src WHERE id = 1) LOOP r := x; "
                    "r.name := UPPER(r.name); INSERT INTO dst VALUES r; END LOOP; "
                    "dbms_output.put_line(r.id || r.name); END;"),
              "1AB");
    EXPECT_EQ(
        Block("DECLARE r dst%ROWTYPE; BEGIN FOR x IN (SELECT * FROM src WHERE id = 2) LOOP r := x; "
              "END LOOP; END;"),
        "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1");
    EXPECT_EQ(Rows("SELECT id, name FROM dst"), "1,AB");
}

TEST_F(PlsqlTest, CompileErrorsNameTheLineColumnAndRule) {
    const Case cases[] = {
        {"DECLARE c CONSTANT NUMBER := 1; BEGIN c := 2; END;",
         "ERROR ORA-06550: 行1、列39:|PLS-00363: 式'C'は代入ターゲットとして使用できません。|ORA-06550: "
         "行1、列39:|PL/SQL: Statement ignored"},
        {"BEGIN\n  EXIT;\nEND;", "ERROR ORA-06550: 行2、列3:|PLS-00376: EXIT文がLOOPの外側にあります。"},
        {"DECLARE n NUMBER; BEGIN SELECT 1 FROM dual; END;",
         "ERROR ORA-06550: 行1、列25:|PLS-00428: このSELECT文にはINTO句が必要です。"},
        {"DECLARE r emp_missing%ROWTYPE; BEGIN NULL; END;",
         "ERROR ORA-06550: 行1、列11:|PLS-00201: 識別子'EMP_MISSING'を宣言してください。|"
         "ORA-06550: 行1、列11:|PL/SQL: Item ignored"},
        {"DECLARE n NUMBER; BEGIN n := 1 END;",
         "ERROR ORA-06550: 行1、列32:|PLS-00103: 記号\"END\"が見つかりました。"},
        {"DECLARE n NUMBER NOT NULL; BEGIN NULL; END;",
         "ERROR ORA-06550: 行1、列9:|PLS-00218: NOT NULLと宣言された変数には、初期化代入が必要です。"},
        {"DECLARE c CONSTANT NUMBER; BEGIN NULL; END;",
         "ERROR ORA-06550: 行1、列9:|PLS-00322: 定数'C'の宣言には初期化代入が必要です。"},
        {"BEGIN\n  FOR i IN 1..2 LOOP\n    NULL;\n  END LOOP;\n  i := 3;\nEND;",
         "ERROR ORA-06550: 行5、列3:|PLS-00201: 識別子'I'を宣言してください。|ORA-06550: 行5、列3:|PL/SQL: "
         "Statement ignored"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, ValueRulesOfAssignmentAndExpressions) {
    const Case cases[] = {
        // NUMBER(p, s) rounds to its scale; INTEGER to whole numbers.
        {"DECLARE a NUMBER(6,2) := 1234.5678; b INTEGER := 2.5; c NUMBER(3) := -1.5; BEGIN "
         "dbms_output.put_line(a || ' ' || b || ' ' || c); END;",
         "1234.57 3 -2"},
        // CHAR is blank-padded to its length; VARCHAR2 keeps what it is given.
        {"DECLARE c CHAR(5) := 'ab'; v VARCHAR2(5) := 'ab'; BEGIN dbms_output.put_line('[' || c || '][' || v "
         "|| ']' || LENGTH(c)); END;",
         "[ab   ][ab]5"},
        // NULL in arithmetic and concatenation; '' is NULL.
        {"DECLARE n NUMBER; s VARCHAR2(5) := ''; BEGIN dbms_output.put_line(NVL(TO_CHAR(n + 1), 'null') || "
         "':' || s || 'x'); IF s IS NULL THEN dbms_output.put_line('empty is null'); END IF; END;",
         "null:x|empty is null"},
        // Text converts to a number where one is needed.
        {"DECLARE n NUMBER := '42'; BEGIN dbms_output.put_line(n + '8'); END;", "50"},
        // Date arithmetic in days.
        {"DECLARE d DATE := TO_DATE('2024-03-01', 'YYYY-MM-DD'); BEGIN dbms_output.put_line(TO_CHAR(d - 1, "
         "'YYYY-MM-DD') || ' ' || (d - TO_DATE('2024-02-01', 'YYYY-MM-DD'))); END;",
         "2024-02-29 29"},
        // PLS_INTEGER holds 32 bits, and overflows beyond them.
        {"DECLARE p PLS_INTEGER := 2147483647; BEGIN p := p + 1; END;",
         "ERROR ORA-01426: 数値のオーバーフローが発生しました。|ORA-06512: 行1"},
        // A CASE expression without ELSE that matches nothing is NULL.
        {"DECLARE n NUMBER := 3; BEGIN dbms_output.put_line(NVL(CASE n WHEN 1 THEN 'one' END, 'none')); END;",
         "none"},
        // Exponent binds tighter than unary minus; division is exact.
        {"BEGIN dbms_output.put_line(-2 ** 2 || ' ' || 10 / 4 || ' ' || MOD(10, 4)); END;", "-4 2.5 2"},
        // Booleans follow three-valued logic.
        {"DECLARE b BOOLEAN; BEGIN IF b OR TRUE THEN dbms_output.put_line('t'); END IF; IF NOT (b AND FALSE) "
         "THEN dbms_output.put_line('f'); END IF; END;",
         "t|f"},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, RecordsGoWholeIntoAndOutOfCollectionsOfRecords) {
    const Case cases[] = {
        {"DECLARE TYPE r_t IS RECORD (name VARCHAR2(5), pay NUMBER); TYPE t_t IS TABLE OF r_t INDEX BY "
         "PLS_INTEGER; t t_t; one r_t; BEGIN one.name := 'NEW'; one.pay := 10; t(1) := one; one.pay := 20; "
         "t(2) := one; dbms_output.put_line(t(1).name || t(1).pay || ' ' || t(2).pay); one := t(1); "
         "dbms_output.put_line(one.pay); END;",
         "NEW10 20|10"},
        {"DECLARE TYPE r_t IS RECORD (name VARCHAR2(2)); TYPE t_t IS TABLE OF r_t INDEX BY PLS_INTEGER; "
         "t t_t; one r_t; BEGIN one := t(5); END;",
         "ERROR ORA-01403: データが見つかりません。|ORA-06512: 行1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTest, CursorArgumentsMayBeNamed) {
    Exec("CREATE TABLE emp (ename VARCHAR2(10), deptno NUMBER, sal NUMBER)");
    Exec("INSERT INTO emp VALUES ('SMITH', 20, 800)");
    Exec("INSERT INTO emp VALUES ('JONES', 20, 2975)");
    Exec("INSERT INTO emp VALUES ('KING', 10, 5000)");
    const char* declare =
        "DECLARE CURSOR c(p_dept NUMBER, p_min NUMBER DEFAULT 0) IS SELECT ename FROM emp WHERE deptno = "
        "p_dept AND sal >= p_min ORDER BY ename; ";
    const Case cases[] = {
        {"BEGIN FOR r IN c(p_min => 1000, p_dept => 20) LOOP dbms_output.put_line(r.ename); END LOOP; END;",
         "JONES"},
        {"BEGIN FOR r IN c(p_dept => 20) LOOP dbms_output.put(r.ename || ' '); END LOOP; "
         "dbms_output.new_line; END;",
         "JONES SMITH "},
        {"n VARCHAR2(10); BEGIN OPEN c(10, p_min => 100); FETCH c INTO n; CLOSE c; dbms_output.put_line(n); "
         "END;",
         "KING"},
        {"BEGIN FOR r IN c(p_dept => 20, 5) LOOP NULL; END LOOP; END;",
         "ERROR ORA-06550: 行1、列168:|PLS-00312: "
         "位置指定パラメータの関連付けは、名前付きの関連付けの後には指定できません。"},
        {"BEGIN FOR r IN c(p_nothing => 20) LOOP NULL; END LOOP; END;",
         "ERROR ORA-06550: 行1、列154:|PLS-00306: "
         "'C'の呼出しで、引数の数または型が正しくありません。|ORA-06550: "
         "行1、列143:|PL/SQL: Statement ignored"},
    };
    for (const auto& c : cases) EXPECT_EQ(Block(std::string(declare) + c.block), c.answer) << c.block;
}

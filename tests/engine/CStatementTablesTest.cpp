// The tables a statement names, read from its tree: its DML target, its FROM
// lists, the subqueries of its expressions and WITH, and a MERGE's parts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sqlite/CStatementTables.h"

namespace {

std::string Named(const std::string& sql) {
    std::vector<std::string> tables;
    if (!CStatementTables::Of(sql, tables)) return "unparsed";
    std::string out;
    for (const std::string& table : tables) out += (out.empty() ? "" : ",") + table;
    return out;
}

}  // namespace

TEST(CStatementTablesTest, EveryPlaceATableIsNamedIsFound) {
    const struct {
        const char* sql;
        const char* tables;
    } cases[] = {
        {"SELECT COUNT(*) FROM emp", "EMP"},
        {"SELECT 1 FROM dual WHERE EXISTS (SELECT 1 FROM scott.emp e WHERE e.n = :TARVEX_P1)", "DUAL,EMP"},
        {"SELECT (SELECT MAX(n) FROM \"Low\") FROM a JOIN b ON a.x = b.x", "Low,A,B"},
        {"WITH w AS (SELECT * FROM src) SELECT * FROM w UNION ALL SELECT n FROM other", "SRC,W,OTHER"},
        {"INSERT INTO log (what) SELECT name FROM emp WHERE sal > (SELECT AVG(sal) FROM emp)", "LOG,EMP"},
        {"UPDATE emp SET sal = (SELECT MAX(sal) FROM bonus) WHERE id IN (SELECT id FROM staff)",
         "EMP,BONUS,STAFF"},
        {"DELETE FROM emp WHERE id = 1", "EMP"},
        {"MERGE INTO stock s USING delivery d ON (s.item = d.item) WHEN MATCHED THEN UPDATE SET s.qty = "
         "d.qty WHEN NOT MATCHED THEN INSERT (item, qty) VALUES (d.item, d.qty)",
         "STOCK,DELIVERY"},
        {"SELECT FROM", "unparsed"},
    };
    for (const auto& c : cases) EXPECT_EQ(Named(c.sql), c.tables) << c.sql;
}

// DML ... RETURNING ... BULK COLLECT INTO, alone and as FORALL's statement:
// one element for each row written, as stored (a BEFORE ROW trigger's
// rewritten :NEW values included), FORALL's executions one after another;
// a statement writing no row leaves the collections empty, not null.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class BulkReturningTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE r (id NUMBER, name VARCHAR2(20))");
    }
    void RewriteInserts() {
        Exec(
            "CREATE OR REPLACE TRIGGER r_bi BEFORE INSERT ON r FOR EACH ROW BEGIN "
            ":NEW.name := UPPER(:NEW.name) || '!'; :NEW.id := :NEW.id * 10; END;");
    }
};

constexpr const char* kDeclare =
    "DECLARE TYPE n_t IS TABLE OF NUMBER; TYPE s_t IS TABLE OF VARCHAR2(20); "
    "ids n_t := n_t(1, 2, 3); names s_t := s_t('a', 'b', 'c'); oi n_t; os s_t; "
    "PROCEDURE show(n NUMBER) IS BEGIN dbms_output.put_line(oi.COUNT || ' rows, ' || n); "
    "FOR k IN 1 .. oi.COUNT LOOP dbms_output.put_line(oi(k) || ' ' || os(k)); END LOOP; END; ";

}  // namespace

TEST_F(BulkReturningTest, ForallGathersTheRowsOfEveryExecution) {
    const BlockCase cases[] = {
        {"BEGIN FORALL k IN 1 .. ids.COUNT INSERT INTO r VALUES (ids(k), names(k)) "
         "RETURNING id, name BULK COLLECT INTO oi, os; show(SQL%ROWCOUNT); END;",
         "3 rows, 3|1 a|2 b|3 c"},
        {"BEGIN FORALL k IN 1 .. ids.COUNT DELETE FROM r WHERE name = names(k) || 'x' "
         "RETURNING id, name BULK COLLECT INTO oi, os; show(SQL%ROWCOUNT); END;",
         "0 rows, 0"},
    };
    for (const BlockCase& c : cases)
        EXPECT_EQ(OutputOf(std::string(kDeclare) + c.block), c.answer) << c.block;
}

TEST_F(BulkReturningTest, RowsRewrittenByABeforeInsertTriggerComeAsStored) {
    RewriteInserts();
    const BlockCase cases[] = {
        {"BEGIN FORALL k IN 1 .. ids.COUNT INSERT INTO r VALUES (ids(k), names(k)) "
         "RETURNING id, name BULK COLLECT INTO oi, os; show(SQL%ROWCOUNT); END;",
         "3 rows, 3|10 A!|20 B!|30 C!"},
        {"BEGIN INSERT INTO r VALUES (7, 'z') RETURNING id, name BULK COLLECT INTO oi, os; "
         "show(SQL%ROWCOUNT); END;",
         "1 rows, 1|70 Z!"},
    };
    for (const BlockCase& c : cases)
        EXPECT_EQ(OutputOf(std::string(kDeclare) + c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT COUNT(*), SUM(id) FROM r"), "4,130");
}

TEST_F(BulkReturningTest, DynamicInsertsReturnTheRowsATriggerRewrote) {
    RewriteInserts();
    EXPECT_EQ(OutputOf(std::string(kDeclare) +
                       "one VARCHAR2(20); BEGIN "
                       "EXECUTE IMMEDIATE 'INSERT INTO r VALUES (1, ''a'') RETURNING id, name INTO :i, :n' "
                       "RETURNING BULK COLLECT INTO oi, os; show(SQL%ROWCOUNT); "
                       "EXECUTE IMMEDIATE 'INSERT INTO r VALUES (2, ''b'') RETURNING name INTO :n' "
                       "RETURNING INTO one; dbms_output.put_line(one); END;"),
              "1 rows, 1|10 A!|B!");
}

TEST_F(BulkReturningTest, RowsRewrittenByABeforeUpdateTriggerComeAsStored) {
    Exec("INSERT INTO r VALUES (1, 'a')");
    Exec("INSERT INTO r VALUES (2, 'b')");
    Exec(
        "CREATE OR REPLACE TRIGGER r_bu BEFORE UPDATE ON r FOR EACH ROW BEGIN "
        ":NEW.name := :NEW.name || '?'; END;");
    EXPECT_EQ(OutputOf(std::string(kDeclare) +
                       "BEGIN FORALL k IN 1 .. 2 UPDATE r SET name = UPPER(name) WHERE id = ids(k) "
                       "RETURNING id, name BULK COLLECT INTO oi, os; show(SQL%ROWCOUNT); END;"),
              "2 rows, 2|1 A?|2 B?");
}

// SET TRANSACTION READ ONLY: the transaction it begins reads and changes
// nothing (ORA-01456) until its COMMIT or ROLLBACK; SET TRANSACTION must be
// the first statement of its transaction (ORA-01453).
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class CReadOnlyTransactionTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (EMPNO NUMBER PRIMARY KEY, SAL NUMBER)");
        Exec("INSERT INTO EMP VALUES (1, 100)");
        Exec("COMMIT");
    }
    std::string Code(const std::string& sql) { return Failure(sql).substr(0, 9); }
};

TEST_F(CReadOnlyTransactionTest, ChangesAreRefusedUntilTheTransactionEnds) {
    Exec("SET TRANSACTION READ ONLY");
    EXPECT_EQ(Rows("SELECT SAL FROM EMP"), "100");
    const char* const kChanges[] = {
        "UPDATE EMP SET SAL = 1",
        "INSERT INTO EMP VALUES (2, 5)",
        "DELETE FROM EMP",
        "MERGE INTO EMP E USING DUAL ON (E.EMPNO = 1) WHEN MATCHED THEN UPDATE SET SAL = 2",
        "INSERT ALL INTO EMP VALUES (3, 3) SELECT 1 FROM DUAL",
        "BEGIN UPDATE EMP SET SAL = 3; END;",
    };
    for (const char* sql : kChanges) EXPECT_EQ(Code(sql), "ORA-01456") << sql;
    EXPECT_EQ(Code("SET TRANSACTION READ WRITE"), "ORA-01453");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT SAL FROM EMP"), "100");
    Exec("UPDATE EMP SET SAL = 200");
    EXPECT_EQ(Rows("SELECT SAL FROM EMP"), "200");
}

TEST_F(CReadOnlyTransactionTest, OnlyTheFirstStatementOfATransactionSetsIt) {
    Exec("UPDATE EMP SET SAL = 200");
    EXPECT_EQ(Code("SET TRANSACTION READ ONLY"), "ORA-01453");
    // The transaction stays as it was: its change goes on and is kept.
    Exec("UPDATE EMP SET SAL = SAL + 1");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT SAL FROM EMP"), "201");
    // A rollback ends a read-only transaction as a commit does.
    Exec("SET TRANSACTION READ ONLY");
    Exec("ROLLBACK");
    Exec("INSERT INTO EMP VALUES (2, 5)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EMP"), "2");
}

}  // namespace

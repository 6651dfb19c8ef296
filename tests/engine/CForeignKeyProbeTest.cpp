// A failing statement names the foreign key it actually broke, whatever
// number of keys its tables hold, and leaves nothing of its work behind.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class CForeignKeyProbeTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE P1 (ID NUMBER PRIMARY KEY)");
        Exec("CREATE TABLE P2 (ID NUMBER PRIMARY KEY)");
        Exec("CREATE TABLE PK2 (A NUMBER, B NUMBER, CONSTRAINT PK2_PK PRIMARY KEY (A, B))");
        Exec(
            "CREATE TABLE C (ID NUMBER PRIMARY KEY, A NUMBER CONSTRAINT C_FK1 REFERENCES P1, "
            "B NUMBER CONSTRAINT C_FK2 REFERENCES P2, X NUMBER, Y NUMBER, MGR NUMBER CONSTRAINT C_SELF "
            "REFERENCES C, CONSTRAINT C_FK3 FOREIGN KEY (X, Y) REFERENCES PK2)");
        Exec("CREATE TABLE D (ID NUMBER, P NUMBER CONSTRAINT D_FK REFERENCES P2)");
        Exec("INSERT INTO P1 VALUES (1)");
        Exec("INSERT INTO P2 VALUES (5)");
        Exec("INSERT INTO P2 VALUES (6)");
        Exec("INSERT INTO PK2 VALUES (1, 2)");
        Exec("INSERT INTO C VALUES (10, 1, 5, 1, 2, NULL)");
        Exec("INSERT INTO D VALUES (1, 6)");
    }
};

std::string Parent(const char* key) {
    return std::string("ORA-02291: 整合性制約 ") + key + " に違反しました - 親キーがありません。";
}
std::string Child(const char* key) {
    return std::string("ORA-02292: 整合性制約 ") + key + " に違反しました - 子レコードがあります。";
}

}  // namespace

TEST_F(CForeignKeyProbeTest, TheKeyActuallyBrokenIsNamed) {
    const struct {
        const char* sql;
        std::string expected;
    } cases[] = {
        {"INSERT INTO C VALUES (11, 1, 7, NULL, NULL, NULL)", Parent("C_FK2")},
        {"INSERT INTO C VALUES (11, 9, 5, NULL, NULL, NULL)", Parent("C_FK1")},
        {"INSERT INTO C VALUES (11, 1, 5, 1, 3, NULL)", Parent("C_FK3")},
        {"INSERT INTO C VALUES (11, 1, 5, NULL, NULL, 99)", Parent("C_SELF")},
        {"INSERT INTO C SELECT 11, 1, ID + 100, NULL, NULL, NULL FROM P2 WHERE ID = 5", Parent("C_FK2")},
        {"UPDATE C SET B = 8 WHERE ID = 10", Parent("C_FK2")},
        {"UPDATE C SET Y = 3", Parent("C_FK3")},
        {"MERGE INTO C USING (SELECT 10 K FROM DUAL) S ON (C.ID = S.K) WHEN MATCHED THEN UPDATE SET A = 4",
         Parent("C_FK1")},
        {"MERGE INTO C USING (SELECT 12 K FROM DUAL) S ON (C.ID = S.K) "
         "WHEN NOT MATCHED THEN INSERT VALUES (S.K, 1, 5, 1, 2, 77)",
         Parent("C_SELF")},
        {"INSERT ALL INTO P1 VALUES (2) INTO C VALUES (11, 2, 9, NULL, NULL, NULL) SELECT * FROM DUAL",
         Parent("C_FK2")},
        // The parent side: the child table whose rows would lose their parent.
        {"DELETE FROM P2 WHERE ID = 6", Child("D_FK")},
        {"DELETE FROM P2 WHERE ID = 5", Child("C_FK2")},
        {"UPDATE P2 SET ID = 7 WHERE ID = 6", Child("D_FK")},
        {"DELETE FROM PK2", Child("C_FK3")},
    };
    for (const auto& c : cases) EXPECT_EQ(Failure(c.sql), c.expected) << c.sql;
    // Nothing of the failed statements (nor of their second run) stays.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM C"), "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) || ',' || MAX(ID) FROM P2"), "2,6");
    EXPECT_EQ(Rows("SELECT B || ',' || Y FROM C"), "5,2");
}

TEST_F(CForeignKeyProbeTest, ASelfReferencingKeyOnBothSides) {
    Exec("INSERT INTO C VALUES (11, 1, 5, NULL, NULL, 10)");
    EXPECT_EQ(Failure("DELETE FROM C WHERE ID = 10"), Child("C_SELF"));
    EXPECT_EQ(Failure("UPDATE C SET MGR = 12 WHERE ID = 11"), Parent("C_SELF"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM C"), "2");
}

// A row left without a parent by a deferred key earlier in the transaction
// is not the failing statement's doing: the key it broke is named.
TEST_F(CForeignKeyProbeTest, RowsAlreadyWithoutAParentAreNotBlamed) {
    Exec(
        "CREATE TABLE E (ID NUMBER, A NUMBER CONSTRAINT E_LATER REFERENCES P1 DEFERRABLE INITIALLY DEFERRED, "
        "B NUMBER CONSTRAINT E_NOW REFERENCES P2)");
    Exec("INSERT INTO E VALUES (1, 42, 5)");
    EXPECT_EQ(Failure("INSERT INTO E VALUES (2, 1, 9)"), Parent("E_NOW"));
    Exec("ROLLBACK");
}

TEST_F(CForeignKeyProbeTest, InPlsqlTheKeyIsNamedAndTheBlockGoesOn) {
    EXPECT_EQ(OutputOf("BEGIN\n"
                       "  INSERT INTO C VALUES (11, 1, 7, NULL, NULL, NULL);\n"
                       "EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLERRM);\n"
                       "END;"),
              Parent("C_FK2"));
}

// PL/SQL the statement runs is not run a second time to find the key.
TEST_F(CForeignKeyProbeTest, PlsqlOfTheStatementRunsOnce) {
    Exec("CREATE FUNCTION NOISY RETURN NUMBER IS BEGIN DBMS_OUTPUT.PUT_LINE('called'); RETURN 9; END;");
    EXPECT_EQ(OutputOf("BEGIN INSERT INTO C VALUES (11, 1, NOISY, NULL, NULL, NULL); "
                       "EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLCODE); END;"),
              "called|-2291");
    Exec("CREATE TRIGGER C_SEEN BEFORE INSERT ON C FOR EACH ROW BEGIN DBMS_OUTPUT.PUT_LINE('seen'); END;");
    EXPECT_EQ(OutputOf("BEGIN INSERT INTO C VALUES (11, 1, 9, NULL, NULL, NULL); "
                       "EXCEPTION WHEN OTHERS THEN DBMS_OUTPUT.PUT_LINE(SQLCODE); END;"),
              "seen|-2291");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM C"), "1");
}

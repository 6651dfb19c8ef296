// INSERTs whose values are NULL, negative numbers, DATE and TIMESTAMP
// literals or conversions of literals, repeated in one shape: every later
// statement stores and refuses its own values exactly as the first one,
// its errors pointing into its own text.
#include "tests/engine/EngineFixture.h"

namespace {

class CShapeSlotTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE T (N NUMBER(5,2) NOT NULL, S VARCHAR2(4), D DATE, TS TIMESTAMP(3))");
    }

    // The message and the position of `sql`'s failure.
    std::string Refusal(const std::string& sql) {
        std::string message = Failure(sql);
        return message + " @" + std::to_string(m_connection->LastError().position);
    }
};

// Each shape runs with literals of other lengths than its first statement's,
// so that every position after them moves.
TEST_F(CShapeSlotTest, LaterStatementsOfAShapeStoreTheirOwnValues) {
    struct Case {
        const char* first;
        const char* later;
        const char* stored;  // the later row: N, S, D, TS
    };
    const Case cases[] = {
        {"INSERT INTO T VALUES (1, NULL, NULL, NULL)", "INSERT INTO T VALUES (123.5, NULL, NULL, NULL)",
         "123.5,-,-,-"},
        {"INSERT INTO T VALUES (-1, 'a', NULL, NULL)", "INSERT INTO T VALUES (-123.456, 'abc', NULL, NULL)",
         "-123.46,abc,-,-"},
        {"INSERT INTO T VALUES (1, 'a', DATE '2020-01-02', TIMESTAMP '2020-01-02 03:04:05')",
         "INSERT INTO T VALUES (10.5, 'abcd', DATE '1999-12-31', TIMESTAMP '2021-06-07 08:09:10.12345')",
         "10.5,abcd,1999-12-31 00:00:00,2021-06-07 08:09:10.123"},
        {"INSERT INTO T VALUES (1, 'a', TO_DATE('2020-01-02', 'YYYY-MM-DD'), NULL)",
         "INSERT INTO T VALUES (22, 'abc', TO_DATE('31.12.1999 23:59', 'DD.MM.YYYY HH24:MI'), NULL)",
         "22,abc,1999-12-31 23:59:00,-"},
        {"INSERT INTO T VALUES (TO_NUMBER('1'), TO_CHAR(5), NULL, TO_TIMESTAMP('2020-01-02', 'YYYY-MM-DD'))",
         "INSERT INTO T VALUES (TO_NUMBER('-12.345'), TO_CHAR(-7.5), NULL, "
         "TO_TIMESTAMP('2020-01-02 10:11:12.9876', 'YYYY-MM-DD HH24:MI:SS.FF'))",
         "-12.35,-7.5,-,2020-01-02 10:11:12.988"},
        {"INSERT INTO T VALUES (1, TO_CHAR(1, '9'), "
         "TO_DATE('02-JAN-2020', 'DD-MON-YYYY', 'NLS_DATE_LANGUAGE = AMERICAN'), NULL)",
         "INSERT INTO T VALUES (100, TO_CHAR(12, '099'), "
         "TO_DATE('31-DEC-1999', 'DD-MON-YYYY', 'NLS_DATE_LANGUAGE = AMERICAN'), NULL)",
         "100, 012,1999-12-31 00:00:00,-"},
    };
    const std::string select =
        "SELECT N, S, TO_CHAR(D, 'YYYY-MM-DD HH24:MI:SS'), TO_CHAR(TS, 'YYYY-MM-DD HH24:MI:SS.FF3') FROM T";
    for (const Case& c : cases) {
        Exec(c.first);
        Exec("DELETE FROM T");
        Exec(c.later);
        Exec(c.later);
        EXPECT_EQ(Rows(select), std::string(c.stored) + "|" + c.stored) << c.later;
        // Compiled afresh, the same statement stores the same row.
        Exec("DELETE FROM T");
        Exec("ALTER TABLE T ADD (X NUMBER)");
        Exec("ALTER TABLE T DROP COLUMN X");
        Exec(c.later);
        EXPECT_EQ(Rows(select), c.stored) << c.later;
        Exec("DELETE FROM T");
    }
}

// A refusal found as the statement is compiled and one found as it runs
// read the same, at the same place, whether the shape was kept or not.
TEST_F(CShapeSlotTest, RefusalsOfAKeptShapeAreThoseOfItsFirstStatement) {
    struct Case {
        const char* good;
        const char* bad;
        const char* code;
        const char* at;  // the text the error points at ("" for none)
    };
    const Case cases[] = {
        {"INSERT INTO T VALUES (NULL, 'a', NULL, NULL)", "INSERT INTO T VALUES (NULL, 'abc', NULL, NULL)",
         "ORA-01400", ""},  // no statement of the shape passes
        {"INSERT INTO T VALUES (-1, 'a', NULL, NULL)", "INSERT INTO T VALUES (-1000, 'abc', NULL, NULL)",
         "ORA-01438", "-1000"},
        {"INSERT INTO T VALUES (1, 'a', DATE '2020-01-02', NULL)",
         "INSERT INTO T VALUES (10, 'a', DATE '2020-13-02', NULL)", "ORA-01861", "DATE"},
        {"INSERT INTO T VALUES (1, 'a', NULL, TIMESTAMP '2020-01-02 00:00:00')",
         "INSERT INTO T VALUES (10, 'a', NULL, TIMESTAMP '2020-01-02 00:00:00.x')", "ORA-01861", "TIMESTAMP"},
        {"INSERT INTO T VALUES (1, 'a', TO_DATE('2020-01-02', 'YYYY-MM-DD'), NULL)",
         "INSERT INTO T VALUES (10, 'abc', TO_DATE('2020-13-02', 'YYYY-MM-DD'), NULL)", "ORA-01843",
         "'2020-13-02'"},
        {"INSERT INTO T VALUES (1, 'a', TO_DATE('2020-01-02', 'YYYY-MM-DD'), NULL)",
         "INSERT INTO T VALUES (10, 'abc', TO_DATE('2020-01-02x', 'YYYY-MM-DD'), NULL)", "ORA-01830", ""},
        {"INSERT INTO T VALUES (1, TO_CHAR(5), NULL, NULL)",
         "INSERT INTO T VALUES (10, TO_CHAR(12345), NULL, NULL)", "ORA-12899", "TO_CHAR"},
        {"INSERT INTO T VALUES (TO_NUMBER('1'), 'a', NULL, NULL)",
         "INSERT INTO T VALUES (TO_NUMBER('1000'), 'abc', NULL, NULL)", "ORA-01438", "TO_NUMBER"},
        {"INSERT INTO T VALUES (TO_NUMBER('1'), 'a', NULL, NULL)",
         "INSERT INTO T VALUES (TO_NUMBER('1x'), 'abc', NULL, NULL)", "ORA-01722", "'1x'"},
    };
    const auto forgetShapes = [this] {
        Exec("ALTER TABLE T ADD (X NUMBER)");
        Exec("ALTER TABLE T DROP COLUMN X");
    };
    for (const Case& c : cases) {
        forgetShapes();
        // The shape is kept from the statement that passes, its literals of
        // other lengths than the refused one's.
        const std::string good = Failure(c.good);
        if (std::string(c.code) != "ORA-01400") {
            EXPECT_EQ(good, "OK") << c.good;
        }
        const std::string kept = Refusal(c.bad);
        forgetShapes();
        const std::string compiled = Refusal(c.bad);
        EXPECT_EQ(kept, compiled) << c.bad;
        EXPECT_EQ(compiled.substr(0, 9), c.code) << compiled;
        const std::string bad = c.bad;
        const std::size_t at = *c.at == '\0' ? 0 : bad.find(c.at);
        if (std::string(c.code) != "ORA-01830") {
            EXPECT_EQ(compiled.substr(compiled.find(" @") + 2), std::to_string(at)) << compiled;
        }
    }
    EXPECT_NE(Failure("INSERT INTO T VALUES (NULL, 'abc', NULL, NULL)").find("T.N"), std::string::npos);
    // Only the statements that pass stored a row.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), std::to_string(std::size(cases) - 1));
}

// What a kept shape stands for changes with the schema: a table dropped for
// a view of its name, a column added.
TEST_F(CShapeSlotTest, SchemaChangesAreNotAnsweredFromBefore) {
    Exec("CREATE TABLE V (A NUMBER, D DATE)");
    Exec("CREATE TABLE B (A NUMBER, D DATE, R VARCHAR2(1) DEFAULT 'b')");
    Exec("INSERT INTO V VALUES (-1, DATE '2020-01-02')");
    Exec("DROP TABLE V");
    Exec("CREATE VIEW V AS SELECT A, D FROM B");
    Exec("INSERT INTO V VALUES (-2, DATE '2020-01-03')");
    Exec("INSERT INTO V VALUES (-3, NULL)");
    EXPECT_EQ(Rows("SELECT A, TO_CHAR(D, 'YYYY-MM-DD'), R FROM B ORDER BY A"), "-3,-,b|-2,2020-01-03,b");
    Exec("CREATE OR REPLACE VIEW V AS SELECT A, D FROM B WITH READ ONLY");
    EXPECT_EQ(Failure("INSERT INTO V VALUES (-4, NULL)").substr(0, 9), "ORA-42399");
    Exec("INSERT INTO B VALUES (1, NULL, 'x')");
    Exec("ALTER TABLE B ADD (E NUMBER DEFAULT 7 NOT NULL)");
    EXPECT_EQ(Failure("INSERT INTO B VALUES (2, NULL, 'y')").substr(0, 9), "ORA-00947");
    Exec("INSERT INTO B VALUES (3, NULL, 'x', -5)");
    EXPECT_EQ(Failure("INSERT INTO B VALUES (4, NULL, 'y', NULL)").substr(0, 9), "ORA-01400");
    EXPECT_EQ(Rows("SELECT A, E FROM B WHERE A > 0 ORDER BY A"), "1,7|3,-5");
}

// An INTERVAL column reports no offset for the value it stores: NULL into
// it is a row like any other, first and kept.
TEST_F(CShapeSlotTest, NullIntoAColumnThatReportsNoOffset) {
    Exec("CREATE TABLE I (N NUMBER, D INTERVAL DAY TO SECOND)");
    Exec("INSERT INTO I VALUES (1, NULL)");
    Exec("INSERT INTO I VALUES (22, NULL)");
    EXPECT_EQ(Rows("SELECT N, D FROM I ORDER BY N"), "1,-|22,-");
}

}  // namespace

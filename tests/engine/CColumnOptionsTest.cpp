// Virtual columns, INVISIBLE columns and DEFAULT ON NULL on the embedded
// engine: what DML may give them, what SELECT * and the dictionary show,
// and that they outlive the rebuild of later ALTERs and a reopened file.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CColumnOptionsTest : public EngineFixture {
protected:
    // "OK" or the server's code of the failure ("ORA-54013").
    std::string Code(const std::string& sql) {
        std::string outcome = Failure(sql);
        return outcome == "OK" ? outcome : outcome.substr(0, 9);
    }
};

TEST_F(CColumnOptionsTest, VirtualColumnsAreComputedAndTakeNoValue) {
    Exec(
        "CREATE TABLE pay (id NUMBER PRIMARY KEY, hours NUMBER, rate NUMBER(6,2), gross AS (hours * rate) "
        "VIRTUAL, band VARCHAR2(6) GENERATED ALWAYS AS (CASE WHEN hours > 40 THEN 'OVER' ELSE 'NORMAL' END), "
        "tag AS ('P' || id))");
    using Case = SqlCase;
    const Case cases[] = {
        {"INSERT INTO pay (id, hours, rate) VALUES (1, 10, 2.5)", "OK"},
        {"INSERT INTO pay (id, hours, gross) VALUES (2, 1, 5)", "ORA-54013"},
        // Without a list every column takes a value; DEFAULT leaves a virtual one out.
        {"INSERT INTO pay VALUES (3, 50, 1, 50, 'X', 'Y')", "ORA-54013"},
        {"INSERT INTO pay VALUES (3, 50, 1)", "ORA-00947"},
        {"INSERT INTO pay VALUES (3, 50, 1, DEFAULT, DEFAULT, DEFAULT)", "OK"},
        {"INSERT INTO pay (id, hours, band) SELECT 4, 1, 'X' FROM dual", "ORA-54013"},
        {"UPDATE pay SET gross = 1", "ORA-54017"},
        {"UPDATE pay SET rate = 3 WHERE id = 1", "OK"},
        {"MERGE INTO pay p USING dual ON (p.id = 1) WHEN MATCHED THEN UPDATE SET p.band = 'X'", "ORA-54017"},
    };
    for (const Case& c : cases) EXPECT_EQ(Code(c.sql), c.answer) << c.sql;
    EXPECT_EQ(Rows("SELECT * FROM pay ORDER BY id"), "1,10,3,30,NORMAL,P1|3,50,1,50,OVER,P3");
    EXPECT_EQ(Rows("SELECT id FROM pay WHERE gross > 40"), "3");
    Exec("COMMENT ON COLUMN pay.gross IS 'hours times rate'");
    // A type of its own, or its expression's.
    EXPECT_EQ(Rows("SELECT COLUMN_NAME || ' ' || DATA_TYPE || ' ' || DATA_LENGTH || ' ' || VIRTUAL_COLUMN || "
                   "' ' || DATA_DEFAULT FROM USER_TAB_COLS WHERE TABLE_NAME = 'PAY' AND COLUMN_ID > 3 ORDER "
                   "BY COLUMN_ID"),
              "GROSS NUMBER 22 YES hours * rate|BAND VARCHAR2 6 YES CASE WHEN hours > 40 THEN 'OVER' ELSE "
              "'NORMAL' END|TAG VARCHAR2 43 YES 'P' || id");
}

TEST_F(CColumnOptionsTest, VirtualColumnsMayBeCheckedAndIndexed) {
    // Note: the file's own checks compute what an index or CHECK of a
    // virtual column holds; these expressions need none of the engine's functions.
    Exec(
        "CREATE TABLE box (id NUMBER, kind VARCHAR2(1), grade AS (CASE WHEN kind = 'A' THEN 'TOP' WHEN kind "
        "= 'X' THEN 'BAD' ELSE 'LOW' END) CHECK (grade <> 'BAD'))");
    Exec("INSERT INTO box (id, kind) VALUES (1, 'A')");
    Exec("INSERT INTO box (id, kind) VALUES (2, 'B')");
    EXPECT_EQ(Code("INSERT INTO box (id, kind) VALUES (3, 'X')"), "ORA-02290");
    Exec("CREATE INDEX box_grade ON box (grade)");
    EXPECT_EQ(Rows("SELECT id FROM box WHERE grade = 'LOW'"), "2");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME FROM USER_IND_COLUMNS WHERE INDEX_NAME = 'BOX_GRADE'"), "GRADE");
}

TEST_F(CColumnOptionsTest, InvisibleColumnsAreReadOnlyWhenNamed) {
    Exec("CREATE TABLE note (id NUMBER, body VARCHAR2(20), secret VARCHAR2(10) INVISIBLE, stamp NUMBER)");
    Exec("INSERT INTO note VALUES (1, 'a', 10)");
    Exec("INSERT INTO note (id, body, secret, stamp) VALUES (2, 'b', 'x', 20)");
    EXPECT_EQ(Code("INSERT INTO note VALUES (3, 'c', 'y', 30)"), "ORA-00913");
    EXPECT_EQ(Rows("SELECT * FROM note ORDER BY id"), "1,a,10|2,b,20");
    EXPECT_EQ(Rows("SELECT n.* FROM note n WHERE id = 2"), "2,b,20");
    EXPECT_EQ(Rows("SELECT secret FROM note WHERE id = 2"), "x");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM (SELECT * FROM note)"), "2");
    // USER_TAB_COLUMNS leaves them out; USER_TAB_COLS shows them without a COLUMN_ID.
    EXPECT_EQ(Rows("SELECT LISTAGG(COLUMN_NAME || ':' || COLUMN_ID, ',') WITHIN GROUP (ORDER BY COLUMN_NAME) "
                   "FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'NOTE'"),
              "BODY:2,ID:1,STAMP:3");
    EXPECT_EQ(
        Rows("SELECT COLUMN_NAME || ':' || NVL(TO_CHAR(COLUMN_ID), '-') || ':' || HIDDEN_COLUMN FROM "
             "USER_TAB_COLS WHERE TABLE_NAME = 'NOTE' AND COLUMN_NAME IN ('SECRET', 'STAMP') ORDER BY 1"),
        "SECRET:-:YES|STAMP:3:NO");
    // Made visible, a column comes last; made invisible, it goes from "*".
    Exec("ALTER TABLE note MODIFY secret VISIBLE");
    EXPECT_EQ(Rows("SELECT * FROM note WHERE id = 2"), "2,b,20,x");
    Exec("ALTER TABLE note MODIFY body INVISIBLE");
    EXPECT_EQ(Rows("SELECT * FROM note WHERE id = 2"), "2,20,x");
    EXPECT_EQ(Code("ALTER TABLE note MODIFY nothing VISIBLE"), "ORA-00904");
}

TEST_F(CColumnOptionsTest, DefaultOnNullStoresTheDefaultForEveryNull) {
    Exec(
        "CREATE TABLE item (id NUMBER, qty NUMBER DEFAULT ON NULL 1, unit VARCHAR2(5) DEFAULT ON NULL FOR "
        "INSERT ONLY 'EA', note VARCHAR2(5) DEFAULT 'n')");
    Exec("INSERT INTO item (id) VALUES (1)");
    Exec("INSERT INTO item VALUES (2, NULL, NULL, NULL)");
    Exec("INSERT INTO item (id, qty, unit) SELECT 3, NULL, NULL FROM dual");
    Exec("INSERT INTO item VALUES (4, 7, 'KG', 'x')");
    EXPECT_EQ(Rows("SELECT * FROM item ORDER BY id"), "1,1,EA,n|2,1,EA,-|3,1,EA,n|4,7,KG,x");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME || ' ' || NULLABLE || ' ' || DEFAULT_ON_NULL FROM USER_TAB_COLUMNS "
                   "WHERE TABLE_NAME = 'ITEM' ORDER BY COLUMN_ID"),
              "ID Y NO|QTY N YES|UNIT N YES|NOTE Y NO");
    // An UPDATE's NULL is no insert's: the column takes no NULL.
    EXPECT_NE(Code("UPDATE item SET qty = NULL WHERE id = 4"), "OK");
    EXPECT_EQ(Code("CREATE TABLE bad (a NUMBER DEFAULT ON NULL FOR INSERT AND UPDATE 0)"), "ORA-03001");
}

TEST_F(CColumnOptionsTest, ModifyMakesAColumnDefaultOnNull) {
    Exec("CREATE TABLE stock (id NUMBER, qty NUMBER, unit VARCHAR2(5))");
    Exec("INSERT INTO stock VALUES (1, 5, NULL)");
    Exec("ALTER TABLE stock MODIFY (qty DEFAULT ON NULL 0)");
    // A column holding NULLs takes no NOT NULL; the refusal changes nothing.
    EXPECT_EQ(Code("ALTER TABLE stock MODIFY unit DEFAULT ON NULL FOR INSERT ONLY 'EA'"), "ORA-02296");
    Exec("UPDATE stock SET unit = 'KG'");
    Exec("ALTER TABLE stock MODIFY unit DEFAULT ON NULL FOR INSERT ONLY 'EA'");
    Exec("INSERT INTO stock VALUES (2, NULL, NULL)");
    Exec("INSERT INTO stock (id) VALUES (3)");
    EXPECT_EQ(Rows("SELECT * FROM stock ORDER BY id"), "1,5,KG|2,0,EA|3,0,EA");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME || ' ' || NULLABLE || ' ' || DEFAULT_ON_NULL FROM USER_TAB_COLUMNS "
                   "WHERE TABLE_NAME = 'STOCK' ORDER BY COLUMN_ID"),
              "ID Y NO|QTY N YES|UNIT N YES");
    EXPECT_NE(Code("UPDATE stock SET qty = NULL"), "OK");
    EXPECT_EQ(Code("ALTER TABLE stock MODIFY qty DEFAULT ON NULL FOR INSERT AND UPDATE 1"), "ORA-03001");
}

TEST_F(CColumnOptionsTest, RebuildsAndReopeningKeepEveryOption) {
    Exec(
        "CREATE TABLE doc (id NUMBER PRIMARY KEY, words NUMBER, pages AS (CEIL(words / 300)), hint "
        "VARCHAR2(5) INVISIBLE, kind VARCHAR2(3) DEFAULT ON NULL 'TXT')");
    Exec("INSERT INTO doc (id, words, hint) VALUES (1, 1000, 'h')");
    Exec("COMMIT");
    // ADD with an expression's DEFAULT and DROP COLUMN rebuild the table.
    Exec("ALTER TABLE doc ADD (added DATE DEFAULT TO_DATE('2020-01-02', 'YYYY-MM-DD'))");
    Exec("ALTER TABLE doc DROP COLUMN added");
    Exec("ALTER TABLE doc ADD (extra NUMBER)");
    Exec("ALTER TABLE doc RENAME COLUMN hint TO clue");
    Exec("ALTER TABLE doc RENAME TO paper");
    Exec("INSERT INTO paper (id, words, kind) VALUES (2, 10, NULL)");
    Exec("COMMIT");
    CEngineError error;
    m_connection = CSqliteConnection::Open("", error);
    ASSERT_NE(m_connection, nullptr) << error.message;
    EXPECT_EQ(Rows("SELECT * FROM paper ORDER BY id"), "1,1000,4,TXT,-|2,10,1,TXT,-");
    EXPECT_EQ(Rows("SELECT clue FROM paper WHERE id = 1"), "h");
    // Columns added with the options: the rows there take the default.
    Exec("ALTER TABLE paper ADD (lines AS (words / 10), state VARCHAR2(3) DEFAULT ON NULL 'NEW')");
    EXPECT_EQ(Rows("SELECT lines || state FROM paper ORDER BY id"), "100NEW|1NEW");
    Exec("INSERT INTO paper (id, words, state) VALUES (3, 20, NULL)");
    EXPECT_EQ(Rows("SELECT lines || state FROM paper WHERE id = 3"), "2NEW");
    EXPECT_EQ(Rows("SELECT DATA_TYPE || DEFAULT_ON_NULL FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'PAPER' AND "
                   "COLUMN_NAME IN ('LINES', 'STATE') ORDER BY COLUMN_NAME"),
              "NUMBERNO|VARCHAR2YES");
    EXPECT_EQ(Code("UPDATE paper SET pages = 2"), "ORA-54017");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME || ' ' || HIDDEN_COLUMN || VIRTUAL_COLUMN || DEFAULT_ON_NULL FROM "
                   "USER_TAB_COLS WHERE TABLE_NAME = 'PAPER' AND COLUMN_NAME IN ('PAGES', 'CLUE', 'KIND') "
                   "ORDER BY 1"),
              "CLUE YESNONO|KIND NONOYES|PAGES NOYESNO");
}

}  // namespace

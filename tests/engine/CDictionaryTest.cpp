// The data dictionary as scripts read it: the ALL_ and DBA_ views carry
// their owner columns, the names every user has (TAB, CAT, DICT, the NLS
// parameters, ...) answer unless an object of the user's bears the name, and
// a key's index is listed under the key's name.
#include "tests/engine/EngineFixture.h"

namespace {

class CDictionaryTest : public EngineFixture {
protected:
    void SetUp() override {
        CEngineError error;
        m_connection = CSqliteConnection::Open("", error, CSqliteConnection::kDefaultBusyTimeoutMs, "scott");
        ASSERT_NE(m_connection, nullptr) << error.message;
        Exec("CREATE TABLE DEPT (DEPTNO NUMBER(2) CONSTRAINT PK_DEPT PRIMARY KEY, DNAME VARCHAR2(14))");
        Exec(
            "CREATE TABLE EMP (EMPNO NUMBER(4) PRIMARY KEY, ENAME VARCHAR2(10) CONSTRAINT EMP_UK UNIQUE, "
            "DEPTNO NUMBER(2) CONSTRAINT FK_DEPT REFERENCES DEPT)");
        Exec("CREATE INDEX EMP_DEPT_IX ON EMP (DEPTNO)");
    }
};

TEST_F(CDictionaryTest, OwnerColumnsNameTheSessionsUser) {
    const SqlCase cases[] = {
        {"SELECT OWNER, TABLE_NAME FROM ALL_TABLES WHERE OWNER = USER ORDER BY 2", "SCOTT,DEPT|SCOTT,EMP"},
        {"SELECT COUNT(*) FROM DBA_TAB_COLUMNS WHERE OWNER = 'SCOTT' AND TABLE_NAME = 'EMP'", "3"},
        {"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE = 'TABLE' ORDER BY 2",
         "SCOTT,DEPT|SCOTT,EMP"},
        // R_OWNER only where a key is referenced.
        {"SELECT OWNER, CONSTRAINT_NAME, R_OWNER FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DEPT' OR "
         "CONSTRAINT_NAME = 'FK_DEPT' ORDER BY 2",
         "SCOTT,FK_DEPT,SCOTT|SCOTT,PK_DEPT,-"},
        {"SELECT INDEX_OWNER, TABLE_OWNER, COLUMN_NAME FROM ALL_IND_COLUMNS WHERE INDEX_NAME = 'EMP_DEPT_IX'",
         "SCOTT,SCOTT,DEPTNO"},
        {"SELECT USERNAME, ACCOUNT_STATUS FROM USER_USERS", "SCOTT,OPEN"},
        {"SELECT USERNAME FROM ALL_USERS", "SCOTT"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // USER_ views have no OWNER where the server's have none.
    EXPECT_EQ(Rows("SELECT OWNER FROM USER_TABLES").substr(0, 15), "ERROR ORA-00904");
}

// Column lengths as the server counts them: characters declared and their
// unit, and a LOB's locator.
TEST_F(CDictionaryTest, ColumnsGiveTheirDeclaredLengths) {
    Exec("CREATE TABLE L (A VARCHAR2(10 CHAR), B CHAR(3), C CLOB, D NUMBER(5, 2) DEFAULT 1.5)");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_LENGTH, CHAR_LENGTH, CHAR_USED, DEFAULT_LENGTH FROM "
                   "USER_TAB_COLUMNS WHERE TABLE_NAME = 'L' ORDER BY COLUMN_ID"),
              "A,20,10,C,-|B,3,3,B,-|C,4000,0,-,-|D,22,0,-,3");
    EXPECT_EQ(Rows("SELECT LOGGING, PARTITIONED, TEMPORARY FROM USER_TABLES WHERE TABLE_NAME = 'L'"),
              "YES,NO,N");
}

TEST_F(CDictionaryTest, AKeysIndexBearsTheKeysName) {
    std::string generated = Rows(
        "SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'EMP' AND CONSTRAINT_TYPE = 'P'");
    ASSERT_EQ(generated.substr(0, 5), "SYS_C");
    EXPECT_EQ(Rows("SELECT INDEX_NAME, UNIQUENESS FROM USER_INDEXES ORDER BY 1"),
              "EMP_DEPT_IX,NONUNIQUE|EMP_UK,UNIQUE|PK_DEPT,UNIQUE|" + generated + ",UNIQUE");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, INDEX_NAME FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE IN ('P', "
                   "'U') AND TABLE_NAME = 'DEPT'"),
              "PK_DEPT,PK_DEPT");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME FROM USER_IND_COLUMNS WHERE INDEX_NAME = 'EMP_UK'"), "ENAME");
    // A key over the row id has no index of SQLite's own and is still listed.
    Exec("CREATE TABLE T (ID INTEGER CONSTRAINT T_PK PRIMARY KEY)");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, UNIQUENESS FROM USER_INDEXES WHERE INDEX_NAME = 'T_PK'"), "T,UNIQUE");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, COLUMN_POSITION FROM USER_IND_COLUMNS WHERE INDEX_NAME = 'T_PK'"),
              "ID,1");
}

TEST_F(CDictionaryTest, PublicNamesAnswerUnlessTheUserHasTheName) {
    Exec("CREATE VIEW V AS SELECT * FROM DEPT");
    Exec("CREATE SEQUENCE S");
    EXPECT_EQ(Rows("SELECT TNAME, TABTYPE FROM TAB ORDER BY 1"), "DEPT,TABLE|EMP,TABLE|V,VIEW");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, TABLE_TYPE FROM CAT ORDER BY 1"),
              "DEPT,TABLE|EMP,TABLE|S,SEQUENCE|V,VIEW");
    EXPECT_EQ(Rows("SELECT t.TNAME FROM TAB t WHERE t.TABTYPE = 'VIEW'"), "V");
    EXPECT_EQ(Rows("SELECT TAB.TNAME FROM TAB WHERE TAB.TNAME = 'V'"), "V");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DICT WHERE TABLE_NAME IN ('USER_TABLES', 'TAB', 'V$VERSION')"), "3");
    EXPECT_EQ(Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER = 'NLS_DATE_FORMAT'"),
              "RR-MM-DD");
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'");
    EXPECT_EQ(Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER = 'NLS_DATE_FORMAT'"),
              "YYYY-MM-DD");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$VERSION WHERE BANNER LIKE 'Tarvex%'"), "1");
    EXPECT_EQ(Rows("SELECT PRIVILEGE FROM SESSION_PRIVS WHERE PRIVILEGE = 'CREATE TABLE'"), "CREATE TABLE");
    // The user's own TAB comes first, and the dictionary's is not changed.
    Exec("CREATE TABLE TAB (X NUMBER)");
    Exec("INSERT INTO TAB VALUES (7)");
    EXPECT_EQ(Rows("SELECT * FROM TAB"), "7");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM CAT WHERE TABLE_NAME = 'TAB'"), "1");
    Exec("DROP TABLE TAB");
    EXPECT_EQ(Rows("SELECT TNAME FROM TAB WHERE TNAME = 'EMP'"), "EMP");
    // Only whole names are the dictionary's.
    EXPECT_EQ(Rows("SELECT * FROM TABLES").substr(0, 15), "ERROR ORA-00942");
}

}  // namespace

TEST_F(CDictionaryTest, TriggerOrderingNamesTheOwnerOfBothTriggers) {
    Exec("CREATE TRIGGER emp_a BEFORE INSERT ON emp FOR EACH ROW BEGIN NULL; END;");
    Exec("CREATE TRIGGER emp_b BEFORE INSERT ON emp FOR EACH ROW FOLLOWS emp_a BEGIN NULL; END;");
    EXPECT_EQ(Rows("SELECT trigger_owner, trigger_name, referenced_trigger_owner, referenced_trigger_name, "
                   "ordering_type FROM all_trigger_ordering"),
              "SCOTT,EMP_B,SCOTT,EMP_A,FOLLOWS");
    EXPECT_EQ(Rows("SELECT * FROM user_trigger_ordering"), "EMP_B,SCOTT,EMP_A,FOLLOWS");
}

TEST_F(CDictionaryTest, KeyIndexesAreObjectsAsTheyAreIndexes) {
    Exec(
        "CREATE TABLE notes (id NUMBER CONSTRAINT pk_notes PRIMARY KEY, title VARCHAR2(20) CONSTRAINT "
        "uq_title UNIQUE, body VARCHAR2(20))");
    Exec("CREATE TABLE tags (id INTEGER CONSTRAINT pk_tags PRIMARY KEY, c NUMBER)");
    Exec("ALTER TABLE tags ADD CONSTRAINT tags_c UNIQUE (c)");
    Exec("CREATE INDEX notes_body ON notes (body)");
    const std::string indexes = "SELECT index_name FROM user_indexes ORDER BY 1";
    const std::string objects = "SELECT object_name FROM user_objects WHERE object_type = 'INDEX' ORDER BY 1";
    EXPECT_EQ(
        Rows("SELECT count(*) FROM user_indexes WHERE index_name IN ('PK_NOTES', 'UQ_TITLE', 'PK_TAGS', "
             "'TAGS_C', 'NOTES_BODY')"),
        "5");
    EXPECT_EQ(Rows(objects), Rows(indexes));
    // A key set aside has no index, here as there.
    Exec("ALTER TABLE notes DISABLE CONSTRAINT uq_title");
    EXPECT_EQ(Rows(objects), Rows(indexes));
    Exec("DROP TABLE notes");
    EXPECT_EQ(Rows(objects), Rows(indexes));
    EXPECT_EQ(Rows("SELECT count(*) FROM user_objects WHERE object_name IN ('PK_NOTES', 'NOTES_BODY')"), "0");
}

// A view whose table is dropped stays, INVALID; the dictionary still
// answers for everything else, and the view answers again once the table
// is back.
TEST_F(CDictionaryTest, AViewWhoseTableIsDroppedIsInvalidAndHidesNothingElse) {
    Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(5))");
    Exec("CREATE VIEW V AS SELECT A FROM T");
    Exec("DROP TABLE T");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, COUNT(*) FROM USER_TAB_COLUMNS GROUP BY TABLE_NAME ORDER BY 1"),
              "DEPT,2|EMP,3");
    EXPECT_EQ(Rows("SELECT OBJECT_NAME, STATUS FROM USER_OBJECTS WHERE OBJECT_TYPE = 'VIEW'"), "V,INVALID");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_UPDATABLE_COLUMNS WHERE TABLE_NAME = 'EMP'"), "3");
    EXPECT_EQ(Rows("SELECT * FROM V"), "ERROR ORA-04063: view V にエラーがあります。");
    EXPECT_EQ(Failure("ALTER VIEW V COMPILE"), "警告: コンパイル・エラーがあります。");
    EXPECT_NE(Failure("ALTER VIEW NOSUCH COMPILE").find("ORA-00942"), std::string::npos);
    Exec("CREATE TABLE T (A NUMBER)");
    EXPECT_EQ(Failure("ALTER VIEW SCOTT.V COMPILE"), "OK");
    Exec("INSERT INTO T VALUES (7)");
    EXPECT_EQ(Rows("SELECT * FROM V"), "7");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'V'"), "VALID");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'V'"), "A");
}

// The ANSI names of the numeric types are kept as the server keeps them:
// NUMERIC and DECIMAL without digits, like INTEGER, hold integers.
TEST_F(CDictionaryTest, AnsiNumericTypesAreKeptAsNumberAndFloat) {
    Exec(
        "CREATE TABLE A (I INTEGER, S SMALLINT, D DECIMAL(5,2), N NUMERIC, E DEC, R REAL, P DOUBLE "
        "PRECISION, Z NUMBER(*,0))");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, DATA_PRECISION, DATA_SCALE FROM USER_TAB_COLUMNS WHERE "
                   "TABLE_NAME = 'A' ORDER BY COLUMN_ID"),
              "I,NUMBER,-,0|S,NUMBER,-,0|D,NUMBER,5,2|N,NUMBER,-,0|E,NUMBER,-,0|R,FLOAT,63,-|P,FLOAT,126,-|"
              "Z,NUMBER,-,0");
    Exec("INSERT INTO A (I, N, E, D, Z) VALUES (1.5, 2.5, -4.5, 1.005, 3.4)");
    EXPECT_EQ(Rows("SELECT I, N, E, D, Z FROM A"), "2,3,-5,1.01,3");
}

// A table made by AS SELECT may name its storage first; the file keeps
// none of it. LOB ... STORE AS is not a query.
TEST_F(CDictionaryTest, ATableMadeByAsSelectMayNameItsStorage) {
    Exec("CREATE TABLE C1 NOLOGGING AS SELECT * FROM DEPT");
    Exec(
        "CREATE TABLE C2 TABLESPACE USERS PCTFREE 0 STORAGE (INITIAL 64K NEXT 1M) PARALLEL 4 AS SELECT "
        "DEPTNO FROM DEPT");
    Exec("CREATE TABLE C3 PARALLEL (DEGREE 2) COMPRESS AS SELECT DEPTNO FROM DEPT WHERE 1 = 0");
    EXPECT_EQ(Rows("SELECT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME LIKE 'C_' ORDER BY 1"), "C1|C2|C3");
    Exec("CREATE TABLE L (ID NUMBER, DOC CLOB) LOB (DOC) STORE AS SECUREFILE (TABLESPACE USERS)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'L'"), "2");
}

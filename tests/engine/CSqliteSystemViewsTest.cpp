// The views of the running database: V$SESSION and its kin tell of this
// one session and process, V$PARAMETER of the settings in force, and the
// storage views of the file's pages as SQLite itself counts them.
#include <unistd.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CSqliteSystemViewsTest : public EngineFixture {
protected:
    void SetUp() override {
        CEngineError error;
        m_connection = CSqliteConnection::Open("", error, CSqliteConnection::kDefaultBusyTimeoutMs, "scott");
        ASSERT_NE(m_connection, nullptr) << error.message;
    }

    // What a second connection to the file reads with `sql`.
    std::string FileSays(const std::string& sql) { return OneIn(m_connection->Path(), sql); }

    // The columns a query describes, as "NAME:type:size" joined by ','.
    std::string Described(const std::string& sql) {
        CEngineResult result;
        if (!m_connection->Query(encoding::Utf8ToCp932(sql), m_binds, result)) return "ERROR " + Error();
        std::string out;
        for (const CEngineColumn& column : result.Columns())
            out += (out.empty() ? "" : ",") + column.name + ":" + std::to_string(column.serverType) + ":" +
                   std::to_string(column.size);
        return out;
    }
};

TEST_F(CSqliteSystemViewsTest, SessionViewsTellOfThisSessionAndProcess) {
    const std::string pid = std::to_string(getpid());
    struct Case {
        const char* sql;
        std::string rows;
    } cases[] = {
        {"SELECT SID, SERIAL#, USERNAME, SCHEMANAME, STATUS, TYPE FROM V$SESSION",
         "1,1,SCOTT,SCOTT,ACTIVE,USER"},
        {"SELECT COUNT(*) FROM V$SESSION WHERE AUDSID = SYS_CONTEXT('USERENV', 'SESSIONID') AND SID = "
         "SYS_CONTEXT('USERENV', 'SID')",
         "1"},
        {"SELECT PROCESS FROM V$SESSION", pid},
        {"SELECT COUNT(*) FROM V$SESSION WHERE LOGON_TIME BETWEEN SYSDATE - 1 / 24 AND SYSDATE", "1"},
        {"SELECT INST_ID, SID FROM GV$SESSION", "1,1"},
        {"SELECT COUNT(*) FROM V$INSTANCE i, V$SESSION s WHERE i.STARTUP_TIME = s.LOGON_TIME AND "
         "i.HOST_NAME = s.MACHINE",
         "1"},
        {"SELECT NAME, LOG_MODE, OPEN_MODE FROM V$DATABASE", "DEFAULT,NOARCHIVELOG,READ WRITE"},
        {"SELECT VERSION FROM V$INSTANCE WHERE VERSION = (SELECT substr(BANNER, 34, length(VERSION)) FROM "
         "V$VERSION)",
         sqlite3_libversion()},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.rows) << c.sql;
    // The server's declared types, whatever the rows hold: NUMBER, VARCHAR2(128), DATE.
    EXPECT_EQ(Described("SELECT SID, USERNAME, LOGON_TIME FROM V$SESSION"),
              "SID:2:22,USERNAME:1:128,LOGON_TIME:12:7");
    EXPECT_EQ(Described("SELECT INST_ID FROM GV$PARAMETER WHERE 1 = 0"), "INST_ID:2:22");
}

TEST_F(CSqliteSystemViewsTest, ParametersAreTheSettingsInForce) {
    EXPECT_EQ(Rows("SELECT VALUE, ISDEFAULT FROM V$PARAMETER WHERE NAME = 'db_block_size'"),
              FileSays("PRAGMA page_size") + ",TRUE");
    EXPECT_EQ(Rows("SELECT VALUE, ISMODIFIED FROM V$PARAMETER WHERE NAME IN ('nls_territory', "
                   "'nls_date_format') ORDER BY NAME"),
              "RR-MM-DD,FALSE|JAPAN,FALSE");
    Exec("ALTER SESSION SET NLS_TERRITORY = AMERICA");
    EXPECT_EQ(Rows("SELECT VALUE, ISMODIFIED FROM V$PARAMETER WHERE NAME IN ('nls_territory', "
                   "'nls_date_format') ORDER BY NAME"),
              "DD-MON-RR,MODIFIED|AMERICA,MODIFIED");
    // Every NLS parameter agrees with the session's own view of it.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$PARAMETER p JOIN NLS_SESSION_PARAMETERS n ON UPPER(p.NAME) = "
                   "n.PARAMETER AND p.VALUE = n.VALUE"),
              Rows("SELECT COUNT(*) FROM NLS_SESSION_PARAMETERS"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SYSTEM_PARAMETER WHERE ISSYS_MODIFIABLE <> 'FALSE'"), "0");
    // A big integer is shown in K or M where it divides.
    const long long cache = std::stoll(FileSays("PRAGMA cache_size"));
    const long long bytes = cache < 0 ? -cache * 1024 : cache * std::stoll(FileSays("PRAGMA page_size"));
    const std::string shown = bytes % 1048576 == 0 ? std::to_string(bytes / 1048576) + "M"
                              : bytes % 1024 == 0  ? std::to_string(bytes / 1024) + "K"
                                                   : std::to_string(bytes);
    EXPECT_EQ(Rows("SELECT VALUE, DISPLAY_VALUE, TYPE FROM V$PARAMETER WHERE NAME = 'db_cache_size'"),
              std::to_string(bytes) + "," + shown + ",6");
}

TEST_F(CSqliteSystemViewsTest, StorageViewsCountTheFilesPages) {
    Exec("CREATE TABLE T (ID NUMBER(6) PRIMARY KEY, BODY VARCHAR2(400))");
    Exec("CREATE INDEX T_BODY_IX ON T (BODY)");
    Exec("INSERT INTO T SELECT LEVEL, RPAD('x', 300, 'y') || LEVEL FROM DUAL CONNECT BY LEVEL <= 100");
    Exec("COMMIT");
    auto check = [&] {
        for (const char* name : {"T", "T_BODY_IX"}) {
            const std::string pages =
                FileSays(std::string("SELECT count(*) FROM dbstat WHERE name = '") + name + "'");
            EXPECT_EQ(
                Rows(std::string("SELECT BLOCKS FROM USER_SEGMENTS WHERE SEGMENT_NAME = '") + name + "'"),
                pages);
            EXPECT_EQ(Rows(std::string("SELECT SUM(BLOCKS), SUM(BYTES) / SUM(BLOCKS) FROM USER_EXTENTS WHERE "
                                       "SEGMENT_NAME = '") +
                           name + "'"),
                      pages + "," + FileSays("PRAGMA page_size"));
        }
        EXPECT_EQ(Rows("SELECT BLOCKS FROM DBA_DATA_FILES"), FileSays("PRAGMA page_count"));
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$DATAFILE f JOIN V$TABLESPACE t ON t.TS# = f.TS# JOIN "
                       "DBA_DATA_FILES d ON d.FILE_ID = f.FILE# AND d.TABLESPACE_NAME = t.NAME AND d.BYTES = "
                       "f.BYTES AND d.FILE_NAME = f.NAME WHERE f.ENABLED = 'READ WRITE'"),
                  "1");
        EXPECT_EQ(
            Rows("SELECT NVL(SUM(BLOCKS), 0) FROM DBA_FREE_SPACE"),
            FileSays(
                "SELECT (SELECT page_count FROM pragma_page_count) - count(DISTINCT pageno) FROM dbstat"));
        // Extents are runs of pages: none touches the next.
        EXPECT_EQ(
            Rows("SELECT COUNT(*) FROM DBA_EXTENTS a JOIN DBA_EXTENTS b ON a.SEGMENT_NAME = b.SEGMENT_NAME "
                 "AND a.BLOCK_ID + a.BLOCKS = b.BLOCK_ID"),
            "0");
    };
    check();
    EXPECT_NE(Rows("SELECT BLOCKS FROM USER_SEGMENTS WHERE SEGMENT_NAME = 'T'"), "1");
    Exec("DELETE FROM T WHERE ID > 5");
    Exec("COMMIT");
    check();
    EXPECT_NE(Rows("SELECT COUNT(*) FROM USER_FREE_SPACE"), "0");
}

TEST_F(CSqliteSystemViewsTest, DictColumnsListEachViewsColumnsInOrder) {
    EXPECT_EQ(Rows("SELECT COLUMN_NAME FROM DICT_COLUMNS WHERE TABLE_NAME = 'USER_EXTENTS'"),
              "SEGMENT_NAME|PARTITION_NAME|SEGMENT_TYPE|TABLESPACE_NAME|EXTENT_ID|BYTES|BLOCKS");
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM DICT_COLUMNS WHERE TABLE_NAME = 'V$SESSION' AND COLUMN_NAME = 'SERIAL#'"),
        "1");
    // Every name DICTIONARY lists has its columns.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DICTIONARY d WHERE NOT EXISTS (SELECT 1 FROM DICT_COLUMNS c WHERE "
                   "c.TABLE_NAME = d.TABLE_NAME)"),
              "0");
}

}  // namespace

namespace {

// Column statistics as DBMS_STATS and ANALYZE gather them: the distinct
// values and NULLs counted, in USER_TAB_COLUMNS and USER_TAB_COL_STATISTICS
// alike, until they are deleted or the table goes.
TEST_F(CSqliteSystemViewsTest, ColumnStatisticsCountDistinctValuesAndNulls) {
    Exec("CREATE TABLE EMP (EMPNO NUMBER(4), ENAME VARCHAR2(10), COMM NUMBER(7, 2), DEPTNO NUMBER(2))");
    Exec("INSERT INTO EMP VALUES (1, 'KING', NULL, 10)");
    Exec("INSERT INTO EMP VALUES (2, 'CLARK', 300, 10)");
    Exec("INSERT INTO EMP VALUES (3, 'JONES', NULL, 20)");
    Exec("INSERT INTO EMP VALUES (4, 'SMITH', 300, 20)");
    const char* kColumns =
        "SELECT COLUMN_NAME, NUM_DISTINCT, NUM_NULLS, DENSITY, SAMPLE_SIZE FROM USER_TAB_COLUMNS WHERE "
        "TABLE_NAME = 'EMP' ORDER BY COLUMN_ID";
    const char* kStatistics =
        "SELECT COLUMN_NAME, NUM_DISTINCT, NUM_NULLS, DENSITY, SAMPLE_SIZE FROM USER_TAB_COL_STATISTICS "
        "ORDER BY COLUMN_NAME";
    EXPECT_EQ(Rows(kColumns), "EMPNO,-,-,-,-|ENAME,-,-,-,-|COMM,-,-,-,-|DEPTNO,-,-,-,-");
    EXPECT_EQ(Rows(kStatistics), "");
    Exec("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'EMP'); END;");
    EXPECT_EQ(Rows(kColumns), "EMPNO,4,0,.25,4|ENAME,4,0,.25,4|COMM,1,2,1,4|DEPTNO,2,0,.5,4");
    EXPECT_EQ(Rows(kStatistics), "COMM,1,2,1,4|DEPTNO,2,0,.5,4|EMPNO,4,0,.25,4|ENAME,4,0,.25,4");
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM DBA_TAB_COL_STATISTICS WHERE OWNER = 'SCOTT' AND LAST_ANALYZED IS NOT "
             "NULL"),
        "4");
    Exec("BEGIN DBMS_STATS.DELETE_TABLE_STATS(USER, 'EMP'); END;");
    EXPECT_EQ(Rows(kStatistics), "");
    Exec("ANALYZE TABLE EMP COMPUTE STATISTICS");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TAB_COL_STATISTICS"), "4");
    Exec("DROP TABLE EMP");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TAB_COL_STATISTICS"), "0");
}

}  // namespace

namespace {

// V$MYSTAT counts the pages this session asked of the cache, read from the
// file and wrote to it, as the work it does grows.
TEST_F(CSqliteSystemViewsTest, MyStatCountsTheSessionsPages) {
    const char* kValues =
        "SELECT s.VALUE FROM V$MYSTAT s JOIN V$STATNAME n ON n.STATISTIC# = s.STATISTIC# WHERE n.NAME = ";
    auto value = [&](const char* name) { return std::stoll(Rows(kValues + std::string("'") + name + "'")); };
    const long long reads = value("session logical reads");
    const long long writes = value("physical writes");
    Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(100))");
    Exec("INSERT INTO T SELECT LEVEL, RPAD('x', 90, 'y') FROM DUAL CONNECT BY LEVEL <= 500");
    Exec("COMMIT");
    EXPECT_GT(value("physical writes"), writes);
    const long long before = value("session logical reads");
    EXPECT_GT(before, reads);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE B LIKE 'x%'"), "500");
    EXPECT_GT(value("session logical reads"), before + 10);
    EXPECT_EQ(Rows("SELECT DISTINCT SID FROM V$SESSTAT"), Rows("SELECT SID FROM V$SESSION"));
    // The system is the one session: its statistics are the same.
    EXPECT_EQ(Rows("SELECT y.NAME, y.VALUE - s.VALUE FROM V$SYSSTAT y JOIN V$MYSTAT s ON s.STATISTIC# = "
                   "y.STATISTIC# WHERE y.STATISTIC# = 1"),
              "physical reads,0");
}

// The quota the user has used is what its segments take; statistics follow
// DBMS_STATS and go stale with nothing else.
TEST_F(CSqliteSystemViewsTest, QuotasAndTableStatisticsFollowTheSegments) {
    Exec("CREATE TABLE T (A NUMBER PRIMARY KEY)");
    Exec("INSERT INTO T SELECT LEVEL FROM DUAL CONNECT BY LEVEL <= 300");
    EXPECT_EQ(
        Rows("SELECT SUM(s.BYTES) - MAX(q.BYTES), MAX(q.MAX_BYTES) FROM USER_SEGMENTS s, USER_TS_QUOTAS q"),
        "0,-1");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, NUM_ROWS, GLOBAL_STATS, STALE_STATS FROM USER_TAB_STATISTICS"),
              "T,-,NO,-");
    Exec("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'T'); END;");
    EXPECT_EQ(Rows("SELECT NUM_ROWS, GLOBAL_STATS, STALE_STATS FROM USER_TAB_STATISTICS"), "300,YES,NO");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DBA_TS_QUOTAS WHERE USERNAME = USER"), "1");
    EXPECT_EQ(Rows("SELECT r.ROLE FROM DBA_ROLE_PRIVS p JOIN ROLE_SYS_PRIVS r ON r.ROLE = p.GRANTED_ROLE "
                   "WHERE r.PRIVILEGE = 'CREATE SESSION' AND p.GRANTEE = USER"),
              "CONNECT");
}

}  // namespace

namespace {

// The index SQLite keeps for a key is the key's segment, under its name,
// as USER_INDEXES lists it.
TEST_F(CSqliteSystemViewsTest, AKeysIndexIsASegmentUnderTheKeysName) {
    Exec(
        "CREATE TABLE D (CODE VARCHAR2(5) CONSTRAINT D_PK PRIMARY KEY, X NUMBER, Y NUMBER, CONSTRAINT D_XY "
        "UNIQUE (X, Y))");
    EXPECT_EQ(Rows("SELECT SEGMENT_NAME, SEGMENT_TYPE FROM USER_SEGMENTS ORDER BY 1"),
              "D,TABLE|D_PK,INDEX|D_XY,INDEX");
    EXPECT_EQ(Rows("SELECT SEGMENT_NAME FROM USER_EXTENTS ORDER BY 1"), "D|D_PK|D_XY");
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM USER_INDEXES i JOIN USER_SEGMENTS s ON s.SEGMENT_NAME = i.INDEX_NAME"),
        "2");
}

}  // namespace

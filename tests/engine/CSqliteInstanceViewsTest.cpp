// The views of the instance: memory as SQLite counts the connection's
// caches, the write-ahead log as the redo log, the process and its one
// session, the lock and the transaction while one is open, and the regions
// of the zone database; and the dictionary's views of administration.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "engine/sqlite/values/CZoneNames.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CSqliteInstanceViewsTest : public EngineFixture {
protected:
    void SetUp() override {
        CEngineError error;
        m_connection = CSqliteConnection::Open("", error, CSqliteConnection::kDefaultBusyTimeoutMs, "scott");
        ASSERT_NE(m_connection, nullptr) << error.message;
    }

    long long WalBytes() {
        struct stat about {};
        return stat((m_connection->Path() + "-wal").c_str(), &about) == 0 ? about.st_size : -1;
    }
};

TEST_F(CSqliteInstanceViewsTest, MemoryViewsAgreeWithEachOther) {
    const char* kBuffers = "SELECT VALUE FROM V$SGA WHERE NAME = 'Database Buffers'";
    const long long before = std::stoll(Rows(kBuffers));
    Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(100))");
    Exec("INSERT INTO T SELECT LEVEL, RPAD('x', 90, 'y') FROM DUAL CONNECT BY LEVEL <= 300");
    // The cache holds the pages the rows took: measured at the query.
    EXPECT_GT(std::stoll(Rows(kBuffers)), before);
    EXPECT_EQ(Rows("SELECT NAME FROM V$SGA ORDER BY NAME"), "Database Buffers|Redo Buffers|Variable Size");
    // The pools are the parts of the areas: the same bytes summed either way.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SGA g, V$SGASTAT s WHERE s.NAME = 'buffer_cache' AND g.NAME = "
                   "'Database Buffers' AND s.BYTES = g.VALUE AND g.VALUE > 0"),
              "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SGA g WHERE g.NAME = 'Variable Size' AND g.VALUE = (SELECT "
                   "SUM(BYTES) FROM V$SGASTAT WHERE POOL = 'shared pool') AND g.VALUE > 0"),
              "1");
    EXPECT_EQ(Rows("SELECT VALUE FROM V$SGA WHERE NAME = 'Redo Buffers'"), "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$PGASTAT p, V$PROCESS r WHERE p.NAME = 'total PGA inuse' AND "
                   "p.UNIT = 'bytes' AND p.VALUE = r.PGA_USED_MEM"),
              "1");
    EXPECT_EQ(Rows("SELECT VALUE FROM V$PGASTAT WHERE NAME = 'process count'"), "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SGAINFO i, V$SGASTAT s WHERE i.NAME = 'Buffer Cache Size' AND "
                   "s.NAME = 'buffer_cache' AND i.BYTES = s.BYTES"),
              "1");
}

TEST_F(CSqliteInstanceViewsTest, TheOpenTransactionHoldsOneExclusiveLock) {
    Exec("CREATE TABLE T (A NUMBER)");
    Exec("COMMIT");
    const char* kLocks = "SELECT SID, TYPE, LMODE, REQUEST FROM V$LOCK";
    const char* kTransaction =
        "SELECT COUNT(*) FROM V$TRANSACTION t JOIN V$SESSION s ON s.TADDR = t.ADDR AND s.SADDR = t.SES_ADDR "
        "JOIN V$LOCK l ON l.SID = s.SID AND l.ID1 = t.XIDUSN * 65536 + t.XIDSLOT AND l.ID2 = t.XIDSQN WHERE "
        "t.STATUS = 'ACTIVE'";
    const char* kInUse =
        "SELECT CURRENT_UTILIZATION FROM V$RESOURCE_LIMIT WHERE RESOURCE_NAME = 'transactions'";
    EXPECT_EQ(Rows(kLocks), "");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$TRANSACTION"), "0");
    EXPECT_EQ(Rows("SELECT TADDR FROM V$SESSION"), "-");
    EXPECT_EQ(Rows(kInUse), "0");
    for (const char* end : {"COMMIT", "ROLLBACK"}) {
        Exec("INSERT INTO T VALUES (1)");
        EXPECT_EQ(Rows(kLocks), "1,TX,6,0") << end;
        EXPECT_EQ(Rows(kTransaction), "1") << end;
        EXPECT_EQ(Rows(kInUse), "1") << end;
        Exec(end);
        EXPECT_EQ(Rows(kLocks), "") << end;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$TRANSACTION"), "0") << end;
    }
}

TEST_F(CSqliteInstanceViewsTest, TheSessionRunsInThisProcess) {
    const std::string pid = std::to_string(getpid());
    EXPECT_EQ(Rows("SELECT p.PID, p.SPID, p.BACKGROUND, p.TRACEFILE FROM V$SESSION s JOIN V$PROCESS p ON "
                   "p.ADDR = s.PADDR"),
              "1," + pid + ",-,-");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$PROCESS p JOIN V$SESSION s ON s.PROCESS = p.SPID AND s.PROGRAM = "
                   "p.PROGRAM AND s.TERMINAL = p.TERMINAL"),
              "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SESSION WHERE SADDR <> PADDR"), "1");
    EXPECT_EQ(Rows("SELECT INST_ID, PID FROM GV$PROCESS"), "1,1");
    EXPECT_EQ(Rows("SELECT SESSIONS_MAX, SESSIONS_CURRENT, SESSIONS_HIGHWATER, USERS_MAX FROM V$LICENSE"),
              "0,1,1,0");
    EXPECT_EQ(Rows("SELECT VALUE FROM V$DIAG_INFO WHERE NAME IN ('Diag Enabled', 'Diag Trace', 'Active "
                   "Incident Count') ORDER BY NAME"),
              "0|FALSE|-");
}

TEST_F(CSqliteInstanceViewsTest, TheRedoLogIsTheWriteAheadLogBesideTheFile) {
    Exec("CREATE TABLE T (A NUMBER)");
    Exec("INSERT INTO T SELECT LEVEL FROM DUAL CONNECT BY LEVEL <= 1000");
    Exec("COMMIT");
    const std::string bytes = std::to_string(WalBytes());
    EXPECT_EQ(Rows("SELECT GROUP#, THREAD#, MEMBERS, ARCHIVED, STATUS, BYTES FROM V$LOG"),
              "1,1,1,NO,CURRENT," + bytes);
    EXPECT_EQ(Rows("SELECT l.MEMBER, l.TYPE FROM V$LOGFILE l JOIN V$LOG g ON g.GROUP# = l.GROUP#"),
              m_connection->Path() + "-wal,ONLINE");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$LOGFILE f JOIN V$DATAFILE d ON f.MEMBER = d.NAME || '-wal'"), "1");
    // No archiving: the database runs without it.
    EXPECT_EQ(Rows("SELECT d.LOG_MODE, (SELECT COUNT(*) FROM V$ARCHIVED_LOG) FROM V$DATABASE d"),
              "NOARCHIVELOG,0");
    EXPECT_EQ(Rows("SELECT FILE#, STATUS FROM V$BACKUP"), Rows("SELECT FILE#, 'NOT ACTIVE' FROM V$DATAFILE"));
}

// What the engine does not have is there to ask about, with no rows; and
// reading any of the views writes nothing to the file: its log does not grow.
TEST_F(CSqliteInstanceViewsTest, ViewsOfWhatTheEngineLacksHaveNoRowsAndNoViewWritesTheFile) {
    Exec("CREATE TABLE T (A CLOB)");
    Exec("COMMIT");
    const long long before = WalBytes();
    const std::string lacking =
        "V$CONTROLFILE V$SQL V$SQLAREA V$SESSION_WAIT V$SYSTEM_EVENT V$SESSION_EVENT V$LOG_HISTORY "
        "V$LOCKED_OBJECT V$ARCHIVED_LOG V$RECOVER_FILE DBA_DIRECTORIES ALL_DIRECTORIES DBA_DB_LINKS "
        "ALL_DB_LINKS USER_DB_LINKS DBA_JOBS ALL_JOBS USER_JOBS DBA_SCHEDULER_JOBS USER_SCHEDULER_JOBS "
        "DBA_RECYCLEBIN USER_TAB_MODIFICATIONS DBA_TAB_MODIFICATIONS";
    for (const std::string& view : Words(lacking)) {
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM " + view), "0") << view;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM DICTIONARY WHERE TABLE_NAME = '" + view + "'"), "1") << view;
    }
    const std::string others =
        "V$SGA V$SGASTAT V$PGASTAT V$LOG V$LOGFILE V$LOCK V$PROCESS V$TRANSACTION V$LICENSE V$RESOURCE_LIMIT "
        "V$DIAG_INFO V$SPPARAMETER V$BACKUP GV$SGA DBA_TEMP_FILES DBA_PROFILES DBA_LOBS USER_LOBS "
        "USER_IND_EXPRESSIONS DATABASE_PROPERTIES";
    for (const std::string& view : Words(others))
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM (SELECT * FROM " + view + ") WHERE 1 = 0"), "0") << view;
    EXPECT_EQ(WalBytes(), before);
    EXPECT_EQ(m_connection->HasUncommittedWork(), false);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DICT_COLUMNS WHERE TABLE_NAME = 'USER_DB_LINKS' AND COLUMN_NAME = "
                   "'PASSWORD'"),
              "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DICT_COLUMNS WHERE TABLE_NAME = 'DBA_DB_LINKS' AND COLUMN_NAME = "
                   "'PASSWORD'"),
              "0");
}

TEST_F(CSqliteInstanceViewsTest, LobsAreTheLobColumnsOfTheUsersTables) {
    Exec("CREATE TABLE DOCS (ID NUMBER, TITLE VARCHAR2(40), BODY CLOB, SCAN BLOB, NOTE NCLOB)");
    Exec("CREATE TABLE PLAIN (ID NUMBER)");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, COLUMN_NAME, SEGMENT_NAME, IN_ROW, FORMAT FROM USER_LOBS ORDER BY "
                   "COLUMN_NAME"),
              "DOCS,BODY,-,YES,ENDIAN NEUTRAL|DOCS,NOTE,-,YES,ENDIAN NEUTRAL|DOCS,SCAN,-,YES,NOT APPLICABLE");
    EXPECT_EQ(Rows("SELECT DISTINCT OWNER, CHUNK - (SELECT BLOCK_SIZE FROM DBA_TABLESPACES WHERE "
                   "TABLESPACE_NAME = 'USERS') FROM DBA_LOBS"),
              "SCOTT,0");
    Exec("DROP TABLE DOCS");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM ALL_LOBS"), "0");
}

TEST_F(CSqliteInstanceViewsTest, IndexExpressionsAreTheKeysThatAreNoColumn) {
    Exec("CREATE TABLE EMP (EMPNO NUMBER, ENAME VARCHAR2(10))");
    Exec("CREATE INDEX EMP_X ON EMP (ENAME, UPPER(ENAME) DESC, INSTR(ENAME, 'a,(b'), EMPNO)");
    Exec("CREATE INDEX EMP_N ON EMP (ENAME)");
    EXPECT_EQ(Rows("SELECT INDEX_NAME, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION FROM "
                   "USER_IND_EXPRESSIONS ORDER BY COLUMN_POSITION"),
              "EMP_X,EMP,UPPER(\"ENAME\"),2|EMP_X,EMP,INSTR(\"ENAME\",'a,(b'),3");
    EXPECT_EQ(Rows("SELECT DISTINCT INDEX_OWNER, TABLE_OWNER FROM DBA_IND_EXPRESSIONS"), "SCOTT,SCOTT");
    Exec("DROP INDEX EMP_X");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_IND_EXPRESSIONS"), "0");
}

TEST_F(CSqliteInstanceViewsTest, PropertiesAgreeWithTheOtherViews) {
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM NLS_DATABASE_PARAMETERS n JOIN DATABASE_PROPERTIES p ON "
                   "p.PROPERTY_NAME = n.PARAMETER AND p.PROPERTY_VALUE = n.VALUE"),
              Rows("SELECT COUNT(*) FROM NLS_DATABASE_PARAMETERS"));
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DATABASE_PROPERTIES p, DBA_USERS u WHERE u.USERNAME = USER AND "
                   "((p.PROPERTY_NAME = 'DEFAULT_PERMANENT_TABLESPACE' AND p.PROPERTY_VALUE = "
                   "u.DEFAULT_TABLESPACE) OR (p.PROPERTY_NAME = 'DEFAULT_TEMP_TABLESPACE' AND "
                   "p.PROPERTY_VALUE = u.TEMPORARY_TABLESPACE))"),
              "2");
    EXPECT_EQ(
        Rows("SELECT p.PROPERTY_VALUE FROM DATABASE_PROPERTIES p, GLOBAL_NAME g WHERE p.PROPERTY_NAME = "
             "'GLOBAL_DB_NAME' AND p.PROPERTY_VALUE = g.GLOBAL_NAME"),
        "DEFAULT");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DATABASE_PROPERTIES WHERE PROPERTY_NAME = 'DBTIMEZONE' AND "
                   "PROPERTY_VALUE = DBTIMEZONE"),
              "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$TEMPFILE v JOIN DBA_TEMP_FILES f ON f.FILE_ID = v.FILE# AND "
                   "f.BYTES = v.BYTES JOIN V$TABLESPACE t ON t.TS# = v.TS# AND t.NAME = f.TABLESPACE_NAME"),
              "1");
    // The temporary file is of the temporary tablespace, in its blocks.
    EXPECT_EQ(
        Rows("SELECT f.TABLESPACE_NAME, t.CONTENTS, f.STATUS FROM DBA_TEMP_FILES f JOIN DBA_TABLESPACES t "
             "ON t.TABLESPACE_NAME = f.TABLESPACE_NAME WHERE f.BYTES = f.BLOCKS * t.BLOCK_SIZE AND "
             "f.BLOCKS > 0"),
        "TEMP,TEMPORARY,ONLINE");
    EXPECT_EQ(Rows("SELECT DISTINCT PROFILE, LIMIT FROM DBA_PROFILES WHERE RESOURCE_TYPE = 'KERNEL'"),
              "DEFAULT,UNLIMITED");
    // Every user has the DEFAULT profile, as old as the database.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM DBA_USERS u JOIN DBA_PROFILES p ON p.PROFILE = u.PROFILE JOIN "
                   "V$DATABASE d ON d.CREATED = u.CREATED OR d.CREATED IS NULL AND u.CREATED IS NULL WHERE "
                   "p.RESOURCE_NAME = 'SESSIONS_PER_USER'"),
              "1");
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM ALL_USERS a JOIN USER_USERS u ON u.USERNAME = a.USERNAME AND "
             "(u.CREATED = a.CREATED OR u.CREATED IS NULL AND a.CREATED IS NULL) WHERE u.LOCK_DATE IS NULL"),
        "1");
    // No parameter file is read: every parameter is there, none specified.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$SPPARAMETER WHERE ISSPECIFIED = 'FALSE' AND VALUE IS NULL"),
              Rows("SELECT COUNT(*) FROM V$PARAMETER"));
    EXPECT_EQ(Rows("SELECT TYPE FROM V$SPPARAMETER WHERE NAME = 'db_block_size'"), "integer");
}

TEST_F(CSqliteInstanceViewsTest, ZoneNamesAreTheRegionsTheEngineTakes) {
    EXPECT_EQ(Rows("SELECT TZABBREV FROM V$TIMEZONE_NAMES WHERE TZNAME = 'Asia/Tokyo' AND TZABBREV = 'JST'"),
              "JST");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$TIMEZONE_NAMES WHERE TZNAME LIKE 'posix/%' OR TZNAME LIKE "
                   "'right/%' OR TZNAME = 'posixrules'"),
              "0");
    // Every name listed is a zone the engine accepts.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM (SELECT DISTINCT TZNAME FROM V$TIMEZONE_NAMES WHERE TZNAME LIKE "
                   "'Europe/%') WHERE FROM_TZ(TIMESTAMP '2020-01-01 00:00:00', TZNAME) IS NULL"),
              "0");
}

// Names as the folder spells them, an alias under its own name, and
// nothing of the other forms of the database or files that are no zone.
TEST(CZoneNamesTest, ReadsEveryRegionOnceUnderItsOwnName) {
    namespace fs = std::filesystem;
    testfiles::TempDir dir;
    const fs::path root = dir.Path("zones");
    const std::string tokyo = "/usr/share/zoneinfo/Asia/Tokyo";
    if (!fs::exists(tokyo)) GTEST_SKIP() << "no zone database";
    for (const char* folder : {"Asia", "posix/Asia", "right/Asia"}) fs::create_directories(root / folder);
    fs::copy_file(tokyo, root / "Asia/Tokyo");
    fs::copy_file(tokyo, root / "posix/Asia/Tokyo");
    fs::copy_file(tokyo, root / "right/Asia/Tokyo");
    fs::create_symlink("Asia/Tokyo", root / "Japan");
    std::ofstream(root / "zone.tab") << "JP\t+353916+1394441\tAsia/Tokyo\n";
    std::ofstream(root / "leapseconds") << "Leap\t1972\tJun\t30\t23:59:60\t+\tS\n";
    std::string listed;
    for (const auto& [region, abbreviation] : CZoneNames::Read(root.string()))
        listed += region + ":" + abbreviation + " ";
    EXPECT_EQ(listed, "Asia/Tokyo:LMT Asia/Tokyo:JDT Asia/Tokyo:JST Japan:LMT Japan:JDT Japan:JST ");
    EXPECT_TRUE(CZoneNames::Read((root / "missing").string()).empty());
}

// A zone file of version 1 with two local time types: UTC+9 named "OK"
// and UTC+1 named `second`.
std::string ZoneFile(const std::string& second) {
    auto number = [](std::uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const std::string names = std::string("OK") + '\0' + second + '\0';
    std::string bytes = "TZif" + std::string(16, '\0');
    for (std::uint32_t count : {0u, 0u, 0u, 0u, 2u, static_cast<std::uint32_t>(names.size())})
        bytes += number(count);
    bytes += number(32400) + std::string{'\0', '\0'} + number(3600) + std::string{'\0', '\3'};
    return bytes + names;
}

// A broken file's abbreviation that is no name (quotes, bytes beyond
// ASCII) is left out, and the rest of the region is kept.
TEST(CZoneNamesTest, LeavesOutAbbreviationsThatAreNoNames) {
    testfiles::TempDir dir;
    const std::filesystem::path root = dir.Path("zones");
    std::filesystem::create_directories(root / "Test");
    std::ofstream(root / "Test/Quote", std::ios::binary) << ZoneFile("B\"D");
    std::ofstream(root / "Test/Wide", std::ios::binary) << ZoneFile("\x82\xA0");
    std::ofstream(root / "Test/Plain", std::ios::binary) << ZoneFile("-01");
    std::string listed;
    for (const auto& [region, abbreviation] : CZoneNames::Read(root.string()))
        listed += region + ":" + abbreviation + " ";
    EXPECT_EQ(listed, "Test/Plain:OK Test/Plain:-01 Test/Quote:OK Test/Wide:OK ");
}

}  // namespace

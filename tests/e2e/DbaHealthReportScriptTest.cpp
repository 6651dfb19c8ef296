// A health report of the kind administrators keep and run on a schedule:
// the database and its properties, space per tablespace (the file's pages
// against those no table or index holds), the largest segments with breaks
// and sums, invalid objects, the session with its process, the locks of an
// open transaction, parameters, memory, the redo log and archiving, jobs
// and links, LOB columns and function-based indexes. The figures of space
// are read from the file's own header after the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/ScriptRun.h"

namespace {

// What the header of a database file says: its page size, its pages and
// the pages on its free list.
struct FileHeader {
    long pageSize = 0;
    long pages = 0;
    long freePages = 0;
};

long BigEndian(const std::string& bytes, std::size_t at, std::size_t count) {
    long value = 0;
    for (std::size_t k = 0; k < count; ++k) value = value * 256 + static_cast<unsigned char>(bytes[at + k]);
    return value;
}

FileHeader ReadHeader(const std::string& path) {
    const std::string bytes = testfiles::Read(path).substr(0, 100);
    FileHeader header;
    if (bytes.size() < 100) return header;
    header.pageSize = BigEndian(bytes, 16, 2) == 1 ? 65536 : BigEndian(bytes, 16, 2);
    header.pages = BigEndian(bytes, 28, 4);
    header.freePages = BigEndian(bytes, 36, 4);
    return header;
}

std::string Right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Left(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// The tablespace's row: total, used and free blocks (999,990) and the
// share used, rounded to a tenth (990.9).
std::string Usage(const FileHeader& file) {
    const long used = file.pages - file.freePages;
    const long tenths = (used * 2000 + file.pages) / (2 * file.pages);
    const std::string share = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    return "USERS      " + Right(std::to_string(file.pages), 8) + " " + Right(std::to_string(used), 8) + " " +
           Right(std::to_string(file.freePages), 8) + " " + Right(share, 6) + " ";
}

class DbaHealthReportScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    DbaHealthReportScript() { m_road = GetParam(); }
};

// The schema: two tables with keys, an index of two columns and one of an
// expression, a BLOB column; 200 notes of about 310 bytes (16 leaf pages
// of 4096 bytes and the page above them); a procedure left INVALID by the
// table it names being dropped (whose page goes to the free list); and an
// update left open, so the report finds a transaction.
const char kSchema[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14));\n"
    "CREATE TABLE notes (id NUMBER(6) CONSTRAINT pk_notes PRIMARY KEY, deptno NUMBER(2) REFERENCES dept, "
    "body VARCHAR2(400), scan BLOB);\n"
    "CREATE INDEX notes_dept_ix ON notes (deptno, id);\n"
    "CREATE INDEX dept_name_ix ON dept (UPPER(dname));\n"
    "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
    "INSERT INTO dept VALUES (20, 'RESEARCH');\n"
    "INSERT INTO notes SELECT LEVEL, 10 * (MOD(LEVEL, 2) + 1), RPAD('note', 300, '.'), NULL FROM dual "
    "CONNECT BY LEVEL <= 200;\n"
    "CREATE TABLE scratch (n NUMBER);\n"
    "CREATE OR REPLACE PROCEDURE purge_scratch IS BEGIN DELETE FROM scratch; END;\n"
    "/\n"
    "DROP TABLE scratch;\n"
    "COMMIT;\n"
    "UPDATE dept SET dname = dname WHERE deptno = 10;\n";

// The report as the console shows it, for the file read and the database
// the session is on; the report script is its echoed lines.
std::string Expected(const FileHeader& file, const std::string& database) {
    return Console(
        std::string() +
        "SQL> REM ---------------------------------------------------------------|"
        "SQL> REM  Database health report|"
        "SQL> REM ---------------------------------------------------------------|"
        "SQL> SET PAGESIZE 60 LINESIZE 100 FEEDBACK OFF VERIFY OFF TRIMSPOOL ON|SQL> TTITLE OFF|"
        "SQL> PROMPT||SQL> PROMPT === Database ===|=== Database ===|SQL> COLUMN name FORMAT A10|"
        "SQL> COLUMN log_mode FORMAT A12|SQL> COLUMN open_mode FORMAT A10|SQL> COLUMN status FORMAT A8|"
        "SQL> SELECT d.name, d.log_mode, d.open_mode, i.status, i.logins|"
        "SQL>   FROM v$database d, v$instance i;||"
        "NAME       LOG_MODE     OPEN_MODE  STATUS   LOGINS     |"
        "---------- ------------ ---------- -------- ---------- |" +
        Left(database, 10) +
        " NOARCHIVELOG READ WRITE OPEN     ALLOWED    ||SQL> COLUMN property_name FORMAT A28|"
        "SQL> COLUMN property_value FORMAT A12|SQL> SELECT property_name, property_value|"
        "SQL>   FROM database_properties|"
        "SQL>  WHERE property_name IN ('DEFAULT_PERMANENT_TABLESPACE', 'DEFAULT_TEMP_TABLESPACE', "
        "'NLS_CHARACTERSET', 'DBTIMEZONE')|"
        "SQL>  ORDER BY property_name;||PROPERTY_NAME                PROPERTY_VAL |"
        "---------------------------- ------------ |DBTIMEZONE                   +00:00       |"
        "DEFAULT_PERMANENT_TABLESPACE USERS        |DEFAULT_TEMP_TABLESPACE      TEMP         |"
        "NLS_CHARACTERSET             AL32UTF8     ||SQL> PROMPT||"
        "SQL> PROMPT === Tablespace usage (blocks) ===|=== Tablespace usage (blocks) ===|"
        "SQL> COLUMN tablespace_name FORMAT A10 HEADING 'Tablespace'|SQL> COLUMN total FORMAT 999,990|"
        "SQL> COLUMN used FORMAT 999,990|SQL> COLUMN free FORMAT 999,990|"
        "SQL> COLUMN pct_used FORMAT 990.9 HEADING '%Used'|SQL> SELECT df.tablespace_name,|"
        "SQL>        df.blocks total,|SQL>        df.blocks - NVL(fs.blocks, 0) used,|"
        "SQL>        NVL(fs.blocks, 0) free,|"
        "SQL>        ROUND(100 * (df.blocks - NVL(fs.blocks, 0)) / df.blocks, 1) pct_used|"
        "SQL>   FROM (SELECT tablespace_name, SUM(blocks) blocks FROM dba_data_files GROUP BY "
        "tablespace_name) df,|"
        "SQL>        (SELECT tablespace_name, SUM(blocks) blocks FROM dba_free_space GROUP BY "
        "tablespace_name) fs|"
        "SQL>  WHERE fs.tablespace_name (+) = df.tablespace_name|SQL>  ORDER BY 1;||"
        "Tablespace    TOTAL     USED     FREE  %Used |---------- -------- -------- -------- ------ "
        "|" +
        Usage(file) +
        "||"
        "SQL> SELECT tablespace_name, status, autoextensible FROM dba_temp_files;||"
        "Tablespace STATUS   AUT |---------- -------- --- |TEMP       ONLINE   YES ||SQL> PROMPT||"
        "SQL> PROMPT === Top segments ===|=== Top segments ===|SQL> COLUMN segment_name FORMAT A14|"
        "SQL> COLUMN segment_type FORMAT A7 HEADING 'Type'|SQL> COLUMN blocks FORMAT 9990|"
        "SQL> BREAK ON segment_type SKIP 1 ON REPORT|"
        "SQL> COMPUTE SUM LABEL 'total' OF blocks ON segment_type REPORT|"
        "SQL> SELECT segment_type, segment_name, blocks|SQL>   FROM dba_segments|"
        "SQL>  WHERE owner = USER|SQL>  ORDER BY segment_type DESC, blocks DESC, segment_name;||"
        "Type    SEGMENT_NAME   BLOCKS |------- -------------- ------ |TABLE   NOTES              17 |"
        "        DEPT                1 |*******                ------ |total                      18 ||"
        "INDEX   DEPT_NAME_IX        1 |        NOTES_DEPT_IX       1 |        PK_DEPT             1 |"
        "        PK_NOTES            1 |*******                ------ |total                       4 |"
        "                       ------ |total                      22 ||SQL> CLEAR BREAKS|"
        "SQL> CLEAR COMPUTES|SQL> PROMPT||SQL> PROMPT === Invalid objects ===|=== Invalid objects ===|"
        "SQL> COLUMN owner FORMAT A8|SQL> COLUMN object_name FORMAT A16|"
        "SQL> COLUMN object_type FORMAT A12|SQL> SELECT owner, object_type, object_name, status|"
        "SQL>   FROM dba_objects|SQL>  WHERE status <> 'VALID'|"
        "SQL>  ORDER BY owner, object_type, object_name;||"
        "OWNER    OBJECT_TYPE  OBJECT_NAME      STATUS   |"
        "-------- ------------ ---------------- -------- |"
        "SCOTT    PROCEDURE    PURGE_SCRATCH    INVALID  ||SQL> PROMPT||SQL> PROMPT === Sessions ===|"
        "=== Sessions ===|SQL> COLUMN username FORMAT A8|SQL> COLUMN spid_same FORMAT A9|"
        "SQL> SELECT s.sid, s.serial#, s.username, s.status, p.pid,|"
        "SQL>        CASE WHEN p.spid = s.process THEN 'yes' END spid_same|"
        "SQL>   FROM v$session s, v$process p|SQL>  WHERE p.addr = s.paddr AND s.type = 'USER';||"
        "SID        SERIAL#    USERNAME STATUS   PID        SPID_SAME |"
        "---------- ---------- -------- -------- ---------- --------- |"
        "1          1          SCOTT    ACTIVE   1          yes       ||SQL> PROMPT||"
        "SQL> PROMPT === Locks and transactions ===|=== Locks and transactions ===|"
        "SQL> COLUMN type FORMAT A4|SQL> SELECT s.username, l.type, l.lmode, l.request, t.status|"
        "SQL>   FROM v$lock l, v$session s, v$transaction t|"
        "SQL>  WHERE s.sid = l.sid AND t.addr = s.taddr|SQL>  ORDER BY 1;||"
        "USERNAME TYPE LMODE      REQUEST    STATUS   |-------- ---- ---------- ---------- -------- |"
        "SCOTT    TX   6          0          ACTIVE   ||SQL> PROMPT||SQL> PROMPT === Parameters ===|"
        "=== Parameters ===|SQL> COLUMN name FORMAT A20|SQL> COLUMN value FORMAT A12|"
        "SQL> SELECT name, value FROM v$parameter|"
        "SQL>  WHERE name IN ('db_block_size', 'db_name', 'job_queue_processes', 'recyclebin')|"
        "SQL>  ORDER BY name;||NAME                 VALUE        |-------------------- ------------ |"
        "db_block_size        " +
        Left(std::to_string(file.pageSize), 12) + " |" + "db_name              " + Left(database, 12) +
        " |"
        "job_queue_processes  0            |recyclebin           off          ||SQL> PROMPT||"
        "SQL> PROMPT === Memory ===|=== Memory ===|SQL> COLUMN name FORMAT A18|"
        "SQL> SELECT name, CASE WHEN value >= 0 THEN 'measured' END value FROM v$sga ORDER BY name;||"
        "NAME               VALUE        |------------------ ------------ |"
        "Database Buffers   measured     |Redo Buffers       measured     |"
        "Variable Size      measured     ||"
        "SQL> SELECT CASE WHEN (SELECT SUM(value) FROM v$sga) = (SELECT SUM(bytes) FROM v$sgastat) THEN "
        "'SGA = pools' END sga FROM dual;|"
        "|SGA         |----------- |SGA = pools ||SQL> PROMPT||SQL> PROMPT === Redo and archiving ===|"
        "=== Redo and archiving ===|SQL> SELECT group#, members, archived, status FROM v$log;||"
        "GROUP#     MEMBERS    ARC STATUS   |---------- ---------- --- -------- |"
        "1          1          NO  CURRENT  ||"
        "SQL> SELECT CASE WHEN l.member = CONCAT(f.name, '-wal') THEN 'beside datafile' END log_file "
        "FROM "
        "v$logfile l, v$datafile f;|"
        "|LOG_FILE        |--------------- |beside datafile ||"
        "SQL> SELECT (SELECT COUNT(*) FROM v$archived_log) archived_logs, (SELECT COUNT(*) FROM "
        "dba_jobs) jobs,|"
        "SQL>        (SELECT COUNT(*) FROM dba_scheduler_jobs) scheduler_jobs, (SELECT COUNT(*) FROM "
        "dba_db_links) links,|"
        "SQL>        (SELECT COUNT(*) FROM dba_recyclebin) recyclebin FROM dual;||"
        "ARCHIVED_L JOBS       SCHEDULER_ LINKS      RECYCLEBIN |"
        "---------- ---------- ---------- ---------- ---------- |"
        "0          0          0          0          0          ||SQL> PROMPT||"
        "SQL> PROMPT === LOBs and function-based indexes ===|=== LOBs and function-based indexes ===|"
        "SQL> COLUMN table_name FORMAT A10|SQL> COLUMN column_name FORMAT A8|"
        "SQL> COLUMN column_expression FORMAT A14|SQL> COLUMN index_name FORMAT A14|"
        "SQL> SELECT table_name, column_name, in_row FROM dba_lobs WHERE owner = USER;||"
        "TABLE_NAME COLUMN_N IN_ |---------- -------- --- |NOTES      SCAN     YES ||"
        "SQL> SELECT index_name, column_expression, column_position FROM user_ind_expressions;||"
        "INDEX_NAME     COLUMN_EXPRESS COLUMN_POS |-------------- -------------- ---------- |"
        "DEPT_NAME_IX   UPPER(\"DNAME\") 1          ||SQL> ROLLBACK;|SQL> ");
}

TEST_P(DbaHealthReportScript, ReportsTheFileTheSessionAndWhatTheEngineDoesNotHave) {
    const RunResult r = RunScripts({std::string(kSchema) + Typed(Expected({4096, 1, 0}, ""))});
    ASSERT_EQ(r.status, 0) << r.err;
    // Note: on the server the CONNECT without a name stays on the database
    // the session was on.
    const std::string database = OnServer() ? "E2E" : "DEFAULT";
    const FileHeader file = ReadHeader(m_dir.Path("home") + (OnServer() ? "/e2e.db" : "/default.db"));
    ASSERT_GT(file.pages, 0) << "no file read";
    const std::size_t from = r.out.find("SQL> REM ----");
    ASSERT_NE(from, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(from), Expected(file, database));
}

// SHOW SGA: a blank line, the total, then V$SGA's rows, each name in 24
// characters and its bytes right-aligned in 11; the total is their sum.
TEST_P(DbaHealthReportScript, ShowSgaListsTheAreasWithTheirTotalFirst) {
    const RunResult r = RunScripts({"CONNECT scott/tiger\nSHOW SGA\n"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t from = r.out.find("SQL> SHOW SGA\n");
    ASSERT_NE(from, std::string::npos) << r.out;
    std::istringstream lines(r.out.substr(from));
    std::vector<std::string> shown;
    for (std::string line; std::getline(lines, line);) shown.push_back(line);
    const char* kNames[] = {"Total System Global Area", "Variable Size", "Database Buffers", "Redo Buffers"};
    ASSERT_EQ(shown.size(), 7u) << r.out;
    EXPECT_EQ(shown[1], "");
    long long parts = 0;
    long long total = -1;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::string& line = shown[k + 2];
        ASSERT_EQ(line.size(), 41u) << line;
        EXPECT_EQ(line.substr(0, 24), Left(kNames[k], 24));
        EXPECT_EQ(line.substr(35), " bytes");
        const long long bytes = std::stoll(line.substr(24, 11));
        EXPECT_EQ(Right(std::to_string(bytes), 11), line.substr(24, 11));
        if (k == 0)
            total = bytes;
        else
            parts += bytes;
    }
    EXPECT_EQ(total, parts);
    EXPECT_GT(total, 0);
    EXPECT_EQ(shown[6], "SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, DbaHealthReportScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace

// Reports the way database administrators keep them, run on a small
// schema: space per segment from the file's pages (and the pages a DELETE
// gives back), the session, the instance and the parameters in force, and
// the objects, indexes and statistics of a table named by a substitution
// variable. Both roads give the same console.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class DbaReportScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    DbaReportScript() { m_road = GetParam(); }

    // The console from the line `from` on, after `script` ran on the schema.
    std::string Report(const std::string& script, const std::string& from, bool schema = true) {
        const RunResult r =
            RunScripts({(schema ? std::string(kSchema) : std::string("CONNECT scott/tiger\n")) + script});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::size_t at = r.out.find(Sj(from));
        return at == std::string::npos ? r.out : r.out.substr(at);
    }

    // Runs the report whose lines `console` echoes (on the schema, or only
    // connected) and expects the console from its first line on.
    void ExpectReport(const std::string& console, bool schema = true) {
        EXPECT_EQ(Report(Typed(console), console.substr(0, console.find('\n')), schema), console);
    }

    // 200 notes of about 310 bytes: 62,000 bytes, 16 pages of 4096 bytes
    // and the page above them.
    static constexpr char kSchema[] =
        "CONNECT scott/tiger\n"
        "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14));\n"
        "CREATE TABLE notes (id NUMBER(6) CONSTRAINT pk_notes PRIMARY KEY, deptno NUMBER(2) REFERENCES dept, "
        "body VARCHAR2(400));\n"
        "CREATE INDEX notes_dept_ix ON notes (deptno, id);\n"
        "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
        "INSERT INTO dept VALUES (20, 'RESEARCH');\n"
        "INSERT INTO notes SELECT LEVEL, 10 * (MOD(LEVEL, 2) + 1), RPAD('note', 300, '.') FROM dual CONNECT "
        "BY LEVEL <= 200;\n"
        "COMMIT;\n";
};

// The segments with their sizes under a title, breaks and sums (the keys'
// indexes under the keys' names); then the 180 notes deleted: the table
// keeps 3 pages (20 notes, 6,200 bytes, and the page above them) and the 14
// it no longer needs become free space.
TEST_P(DbaReportScript, SpacePerSegmentAndTheFreeSpaceADeleteGivesBack) {
    ExpectReport(Console(
        "SQL> SET PAGESIZE 40 LINESIZE 60 FEEDBACK OFF VERIFY OFF|"
        "SQL> TTITLE LEFT 'Segments of ' _USER SKIP 1|SQL> COLUMN segment_type FORMAT A7 HEADING 'Type'|"
        "SQL> COLUMN segment_name FORMAT A14 HEADING 'Segment'|SQL> COLUMN kb FORMAT 9,990 HEADING 'KB'|"
        "SQL> COLUMN blocks FORMAT 9990 HEADING 'Blks'|SQL> COLUMN extents FORMAT 990 HEADING 'Ext'|"
        "SQL> BREAK ON segment_type SKIP 1 ON REPORT|"
        "SQL> COMPUTE SUM LABEL 'total' OF kb blocks ON segment_type REPORT|"
        "SQL> SELECT segment_type, segment_name, bytes / 1024 kb, blocks, extents|"
        "SQL>   FROM user_segments|SQL>  ORDER BY segment_type DESC, segment_name;||Segments of SCOTT|"
        "Type    Segment            KB  Blks  Ext |------- -------------- ------ ----- ---- |"
        "TABLE   DEPT                4     1    1 |        NOTES              68    17    2 |"
        "*******                ------ -----      |total                      72    18      ||"
        "INDEX   NOTES_DEPT_IX       4     1    1 |        PK_DEPT             4     1    1 |"
        "        PK_NOTES            4     1    1 |*******                ------ -----      |"
        "total                      12     3      |                       ------ -----      |"
        "total                      84    21      ||SQL> SET FEEDBACK OFF|"
        "SQL> COLUMN blocks FORMAT 9990|SQL> COLUMN free FORMAT 9990|"
        "SQL> SELECT segment_name, blocks FROM user_segments ORDER BY 1;||Segments of SCOTT|"
        "Segment         Blks |-------------- ----- |DEPT               1 |NOTES             17 |"
        "NOTES_DEPT_IX      1 |PK_DEPT            1 |PK_NOTES           1 |               ----- |"
        "total             21 ||"
        "SQL> SELECT NVL(SUM(blocks), 0) free FROM dba_free_space;||Segments of SCOTT| FREE |----- |"
        "    0 ||SQL> DELETE FROM notes WHERE id > 20;|SQL> COMMIT;|"
        "SQL> SELECT segment_name, blocks FROM user_segments ORDER BY 1;||Segments of SCOTT|"
        "Segment         Blks |-------------- ----- |DEPT               1 |NOTES              3 |"
        "NOTES_DEPT_IX      1 |PK_DEPT            1 |PK_NOTES           1 |               ----- |"
        "total              7 ||"
        "SQL> SELECT NVL(SUM(blocks), 0) free FROM dba_free_space;||Segments of SCOTT| FREE |----- |"
        "   14 ||SQL> "));
}

// This session, the instance and the database, and the parameters in force:
// the block size is SQLite's page, the NLS ones follow ALTER SESSION.
TEST_P(DbaReportScript, SessionInstanceDatabaseAndParameters) {
    ExpectReport(
        Console(
            "SQL> SET PAGESIZE 40 LINESIZE 80 FEEDBACK ON|SQL> COLUMN username FORMAT A8|"
            "SQL> COLUMN status FORMAT A8|SQL> COLUMN server FORMAT A9|"
            "SQL> SELECT sid, serial#, username, status, server, type, command|SQL>   FROM v$session|"
            "SQL>  WHERE audsid = SYS_CONTEXT('USERENV', 'SESSIONID');||"
            "SID        SERIAL#    USERNAME STATUS   SERVER    TYPE       COMMAND    |"
            "---------- ---------- -------- -------- --------- ---------- ---------- |"
            "1          1          SCOTT    ACTIVE   DEDICATED USER       3          "
            "||1行が選択されました。||"
            "SQL> SELECT COUNT(*) sessions FROM v$session WHERE logon_time BETWEEN SYSDATE - 1 AND SYSDATE;|"
            "|SESSIONS   |---------- |1          ||1行が選択されました。||"
            "SQL> SELECT CASE WHEN i.instance_name = d.name AND d.name = SYS_CONTEXT('USERENV', 'DB_NAME') "
            "THEN 'yes' END same_name,|"
            "SQL>        i.status, i.database_status, i.instance_role, i.logins, d.log_mode, d.open_mode|"
            "SQL>   FROM v$instance i, v$database d;||"
            "SAM STATUS   DATABASE_STATUS   INSTANCE_ROLE      LOGINS     LOG_MODE     OPEN_M|"
            "ODE            |"
            "--- -------- ----------------- ------------------ ---------- ------------ ------|"
            "-------------- |"
            "yes OPEN     ACTIVE            PRIMARY_INSTANCE   ALLOWED    NOARCHIVELOG READ W|"
            "RITE           ||1行が選択されました。||SQL> SELECT inst_id, instance_number, thread# FROM "
            "gv$instance;||"
            "INST_ID    INSTANCE_N THREAD#    |---------- ---------- ---------- |"
            "1          1          1          ||1行が選択されました。||SQL> COLUMN name FORMAT A22|"
            "SQL> COLUMN value FORMAT A12|SQL> COLUMN isdefault FORMAT A9|"
            "SQL> SELECT name, value, isdefault, isses_modifiable FROM v$parameter|"
            "SQL>  WHERE name IN ('db_block_size', 'nls_date_format', 'nls_language', 'recyclebin')|"
            "SQL>  ORDER BY name;||NAME                   VALUE        ISDEFAULT ISSES |"
            "---------------------- ------------ --------- ----- |"
            "db_block_size          4096         TRUE      FALSE |"
            "nls_date_format        RR-MM-DD     TRUE      TRUE  |"
            "nls_language           JAPANESE     TRUE      TRUE  |"
            "recyclebin             off          TRUE      FALSE ||4行が選択されました。||"
            "SQL> ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD';|セッションが変更されました。|"
            "SQL> SELECT name, value, ismodified FROM v$parameter WHERE name = 'nls_date_format';||"
            "NAME                   VALUE        ISMODIFIED |"
            "---------------------- ------------ ---------- |"
            "nls_date_format        YYYY-MM-DD   MODIFIED   ||1行が選択されました。||"
            "SQL> SHOW PARAMETER nls_date_f||NAME                                 TYPE        "
            "VALUE|------------------------------------ ----------- "
            "------------------------------|nls_date_format                      string      YYYY-MM-DD|SQL> "
            "SELECT p.value, n.value FROM v$parameter p JOIN v$nls_parameters n ON UPPER(p.name) = "
            "n.parameter|"
            "SQL>  WHERE p.value <> n.value;||VALUE        VALUE        |------------ ------------ ||"
            "0行が選択されました。||"
            "SQL> SELECT parameter, value FROM v$option WHERE parameter IN ('Partitioning', 'Real "
            "Application Clusters') ORDER BY 1;|"
            "|PARAMETER                                                        VALUE        |"
            "---------------------------------------------------------------- ------------ |"
            "Partitioning                                                     FALSE        |"
            "Real Application Clusters                                        FALSE        "
            "||2行が選択されました。||"
            "SQL> SET SQLBLANKLINES ON|SQL> SELECT COUNT(*) AS v_columns|SQL> |"
            "SQL>   FROM dict_columns WHERE table_name = 'V$SESSION' AND column_name IN ('SID', 'SERIAL#', "
            "'USERNAME', 'LOGON_TIME');|"
            "|V_COLUMNS  |---------- |4          ||1行が選択されました。||SQL> SET SQLBLANKLINES OFF|"
            "SQLBLANKLINES OFFは使用できません。文中の空行は常に文の一部として保持されます。|SQL> "),
        false);
}

// A table named once by DEFINE: its indexes and their columns, its
// statistics after DBMS_STATS beside its segment, the objects by type, and
// the dictionary's storage views.
TEST_P(DbaReportScript, IndexesStatisticsAndObjectsOfATableNamedByDefine) {
    ExpectReport(
        Console("SQL> SET PAGESIZE 40 LINESIZE 80 FEEDBACK OFF VERIFY OFF|SQL> DEFINE tab = NOTES|"
                "SQL> COLUMN index_name FORMAT A14|SQL> COLUMN column_name FORMAT A8|"
                "SQL> COLUMN column_position FORMAT 990 HEADING 'Pos'|SQL> BREAK ON index_name SKIP 1|"
                "SQL> SELECT index_name, column_name, column_position|SQL>   FROM user_ind_columns|"
                "SQL>  WHERE table_name = '&tab'|SQL>  ORDER BY index_name, column_position;||"
                "INDEX_NAME     COLUMN_N  Pos |-------------- -------- ---- |NOTES_DEPT_IX  DEPTNO      1 |"
                "               ID          2 ||PK_NOTES       ID          1 ||SQL> CLEAR BREAKS|"
                "SQL> EXEC DBMS_STATS.GATHER_TABLE_STATS(USER, '&tab')|SQL> COLUMN table_name FORMAT A8|"
                "SQL> SELECT t.table_name, t.num_rows, t.blocks, CASE WHEN t.blocks = s.blocks THEN 'same' "
                "END seg|"
                "SQL>   FROM user_tables t JOIN user_segments s ON s.segment_name = t.table_name|"
                "SQL>  WHERE t.table_name = '&tab';||TABLE_NA NUM_ROWS   BLOCKS     SEG  |"
                "-------- ---------- ---------- ---- |NOTES    200        17         same ||"
                "SQL> SELECT object_type, COUNT(*) n FROM user_objects GROUP BY object_type ORDER BY 1;||"
                "OBJECT_TYPE             N          |----------------------- ---------- |"
                "INDEX                   3          |TABLE                   2          ||"
                "SQL> SELECT COUNT(*) invalid FROM user_objects WHERE status = 'INVALID';||INVALID    |"
                "---------- |0          ||SQL> COLUMN table_name FORMAT A16|"
                "SQL> SELECT table_name FROM dictionary WHERE table_name LIKE 'DBA\\_%' ESCAPE '\\' AND "
                "table_name LIKE '%SPACE%' OR table_name LIKE '%FILES' ORDER BY 1;|"
                "|TABLE_NAME       |---------------- |DBA_DATA_FILES   |DBA_FREE_SPACE   |DBA_PROFILES     |"
                "DBA_TABLESPACES  |DBA_TEMP_FILES   ||"
                "SQL> "));
}

INSTANTIATE_TEST_SUITE_P(Roads, DbaReportScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace

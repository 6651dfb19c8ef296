#include "engine/sqlite/CSqliteSystemViews.h"

#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CSqliteAdminViews.h"
#include "engine/sqlite/CSqliteInstanceViews.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Encoding.h"

namespace {

#define TARVEX_GLOBAL(x) \
    {"V$" x, nullptr}, { "GV$" x, "INST_ID, *" }

// The runs of consecutive pages each table and index of the file holds:
// NAME, BLOCK_ID (the first page), BLOCKS and BYTES.
#define TARVEX_EXTENT_RUNS                                                                                 \
    "SELECT NAME, min(PAGENO) AS BLOCK_ID, count(*) AS BLOCKS, sum(PGSIZE) AS BYTES FROM (SELECT name AS " \
    "NAME, pageno AS PAGENO, pgsize AS PGSIZE, pageno - row_number() OVER (PARTITION BY name ORDER BY "    \
    "pageno) AS RUN FROM dbstat('main')) GROUP BY NAME, RUN"

// The user's tables and indexes among the file's objects "m", with the
// indexes SQLite makes for keys (the dictionary gives them the keys' names).
#define TARVEX_USER_SEGMENT                                                                            \
    "m.type IN ('table', 'index') AND (m.name NOT LIKE 'sqlite%' OR m.name LIKE 'sqlite_autoindex%') " \
    "AND upper(m.name) NOT LIKE 'TARVEX%' AND upper(m.tbl_name) NOT LIKE 'TARVEX%'"

// The parameters the engine has, as (NAME, TYPE, VALUE, DEFAULT_VALUE,
// ISSES_MODIFIABLE, ISBASIC, DESCRIPTION): those it honours, with the value
// in force, and the NLS settings of the session.
// The parameters the engine has no setting for, at the server's documented
// defaults (name, type, value, default, session-modifiable, basic,
// description); the sessions are derived from the processes, 1.5 * 100 + 22.
#define TARVEX_FIXED_PARAMETER_ROWS                                                                        \
    "SELECT column1, column2, column3, column3, column4, column5, column6 FROM (VALUES ('compatible', 2, " \
    "'19.0.0', 'FALSE', 'TRUE', 'Database will be completely compatible with this software version'), "    \
    "('cursor_sharing', 2, 'EXACT', 'TRUE', 'FALSE', 'cursor sharing mode'), ('memory_target', 6, '0', "   \
    "'FALSE', 'FALSE', 'Target size of Oracle SGA and PGA memory'), ('open_cursors', 3, '50', 'FALSE', "   \
    "'TRUE', 'max # cursors per session'), ('optimizer_mode', 2, 'ALL_ROWS', 'TRUE', 'FALSE', 'optimizer " \
    "mode'), ('processes', 3, '100', 'FALSE', 'TRUE', 'user processes'), ('sessions', 3, '172', 'FALSE', " \
    "'TRUE', 'user and system sessions'), ('sga_target', 6, '0', 'FALSE', 'TRUE', 'Target size of SGA'), " \
    "('undo_management', 2, 'AUTO', 'FALSE', 'FALSE', 'instance runs in SMU mode if TRUE, else in RBU "    \
    "mode'), ('undo_retention', 3, '900', 'FALSE', 'FALSE', 'undo retention in seconds'))"

#define TARVEX_PARAMETER_ROWS                                                                                \
    "SELECT 'audit_trail', 2, 'NONE', 'NONE', 'FALSE', 'TRUE', 'enable system auditing' UNION ALL SELECT "   \
    "'cluster_database', 1, 'FALSE', 'FALSE', 'FALSE', 'TRUE', 'if TRUE startup in cluster database mode' "  \
    "UNION ALL SELECT 'db_block_size', 3, page_size, '4096', 'FALSE', 'TRUE', 'Size of database block in "   \
    "bytes' FROM pragma_page_size() UNION ALL SELECT 'db_cache_size', 6, CASE WHEN c.cache_size < 0 THEN "   \
    "-c.cache_size * 1024 ELSE c.cache_size * s.page_size END, '2048000', 'FALSE', 'FALSE', 'Size of "       \
    "DEFAULT buffer pool for standard block size buffers' FROM pragma_cache_size() c, pragma_page_size() s " \
    "UNION ALL SELECT 'db_create_file_dest', 2, rtrim(rtrim(file, replace(file, '/', '')), '/'), NULL, "     \
    "'FALSE', 'TRUE', 'default database location' FROM pragma_database_list() WHERE name = 'main' UNION "    \
    "ALL "                                                                                                   \
    "SELECT 'db_name', 2, ORA_SYS_CONTEXT('USERENV', 'DB_NAME'), NULL, 'FALSE', 'TRUE', 'database name "     \
    "specified in CREATE DATABASE' UNION ALL SELECT 'db_unique_name', 2, ORA_SYS_CONTEXT('USERENV', "        \
    "'DB_UNIQUE_NAME'), NULL, 'FALSE', 'FALSE', 'Database Unique Name' UNION ALL SELECT 'instance_name', "   \
    "2, "                                                                                                    \
    "ORA_SYS_CONTEXT('USERENV', 'INSTANCE_NAME'), NULL, 'FALSE', 'FALSE', 'instance name supported by the "  \
    "instance' UNION ALL SELECT 'job_queue_processes', 3, '0', '0', 'FALSE', 'FALSE', 'maximum number of "   \
    "job "                                                                                                   \
    "queue slave processes' UNION ALL SELECT 'recyclebin', 2, 'off', 'off', 'FALSE', 'FALSE', 'recyclebin "  \
    "processing' UNION ALL SELECT 'service_names', 2, ORA_SYS_CONTEXT('USERENV', 'SERVICE_NAME'), NULL, "    \
    "'FALSE', 'FALSE', 'service names supported by the instance' UNION ALL " TARVEX_FIXED_PARAMETER_ROWS     \
    " UNION ALL SELECT lower(column1), 2, "                                                                  \
    "column2, CASE column1 WHEN 'NLS_LANGUAGE' THEN 'JAPANESE' WHEN 'NLS_TERRITORY' THEN 'JAPAN' WHEN "      \
    "'NLS_DATE_FORMAT' THEN 'RR-MM-DD' WHEN 'NLS_DATE_LANGUAGE' THEN 'JAPANESE' WHEN "                       \
    "'NLS_TIMESTAMP_FORMAT' "                                                                                \
    "THEN 'RR-MM-DD HH24:MI:SSXFF' WHEN 'NLS_TIMESTAMP_TZ_FORMAT' THEN 'RR-MM-DD HH24:MI:SSXFF TZR' "        \
    "ELSE column2 END, 'TRUE', "                                                                             \
    "iif(column1 IN ('NLS_LANGUAGE', 'NLS_TERRITORY', 'NLS_LENGTH_SEMANTICS'), 'TRUE', 'FALSE'), "           \
    "lower(column1) FROM (" TARVEX_NLS_SESSION_ROWS ")"

// The instance of a GV$ view's rows: the one there is.
constexpr const char* kInstance = ", INST_ID NUMBER";

const CDictionaryView kViews[] = {
    {"SESSION",
     "SADDR RAW(8), SID NUMBER, \"SERIAL#\" NUMBER, AUDSID NUMBER, PADDR RAW(8), \"USER#\" NUMBER, USERNAME "
     "VARCHAR2(128), COMMAND NUMBER, OWNERID NUMBER, TADDR VARCHAR2(16), LOCKWAIT VARCHAR2(16), STATUS "
     "VARCHAR2(8), SERVER VARCHAR2(9), \"SCHEMA#\" "
     "NUMBER, SCHEMANAME VARCHAR2(128), OSUSER VARCHAR2(128), PROCESS VARCHAR2(24), MACHINE VARCHAR2(64), "
     "PORT NUMBER, TERMINAL VARCHAR2(30), PROGRAM VARCHAR2(48), TYPE VARCHAR2(10), SQL_ID VARCHAR2(13), "
     "PREV_SQL_ID VARCHAR2(13), MODULE VARCHAR2(64), ACTION VARCHAR2(64), CLIENT_INFO VARCHAR2(64), "
     "LOGON_TIME DATE, LAST_CALL_ET NUMBER, BLOCKING_SESSION_STATUS VARCHAR2(11), BLOCKING_SESSION NUMBER, "
     "SERVICE_NAME VARCHAR2(64), CON_ID NUMBER",
     "SELECT ORA_INSTANCE_FACT('SESSION_ADDRESS'), 1, 1, ORA_SESSION_FACT('AUDSID'), "
     "ORA_INSTANCE_FACT('PROCESS_ADDRESS'), ORA_UID(), ORA_USER(), 3, 2147483644, "
     "ORA_INSTANCE_FACT('TRANSACTION_ADDRESS'), NULL, 'ACTIVE', "
     "'DEDICATED', ORA_UID(), ORA_USER(), ORA_SESSION_FACT('OSUSER'), ORA_SESSION_FACT('PROCESS'), "
     "ORA_SESSION_FACT('MACHINE'), 0, ORA_SESSION_FACT('TERMINAL'), ORA_SESSION_FACT('PROGRAM'), 'USER', "
     "NULL, NULL, ORA_SESSION_FACT('PROGRAM'), NULL, NULL, ORA_SESSION_FACT('LOGON_TIME'), 0, 'NO HOLDER', "
     "NULL, ORA_SYS_CONTEXT('USERENV', 'SERVICE_NAME'), 0, 1",
     "",
     {TARVEX_GLOBAL("SESSION")},
     kInstance},
    {"INSTANCE",
     "INSTANCE_NUMBER NUMBER, INSTANCE_NAME VARCHAR2(16), HOST_NAME VARCHAR2(64), VERSION VARCHAR2(17), "
     "VERSION_LEGACY VARCHAR2(17), VERSION_FULL VARCHAR2(17), STARTUP_TIME DATE, STATUS VARCHAR2(12), "
     "PARALLEL VARCHAR2(3), \"THREAD#\" NUMBER, ARCHIVER VARCHAR2(7), LOG_SWITCH_WAIT VARCHAR2(15), LOGINS "
     "VARCHAR2(10), SHUTDOWN_PENDING VARCHAR2(3), DATABASE_STATUS VARCHAR2(17), INSTANCE_ROLE VARCHAR2(18), "
     "ACTIVE_STATE VARCHAR2(9), BLOCKED VARCHAR2(3), CON_ID NUMBER, INSTANCE_MODE VARCHAR2(11), "
     "DATABASE_TYPE VARCHAR2(15)",
     "SELECT 1, ORA_SYS_CONTEXT('USERENV', 'INSTANCE_NAME'), ORA_SESSION_FACT('MACHINE'), sqlite_version(), "
     "sqlite_version(), sqlite_version(), ORA_SESSION_FACT('LOGON_TIME'), 'OPEN', 'NO', 1, 'STOPPED', NULL, "
     "'ALLOWED', 'NO', 'ACTIVE', 'PRIMARY_INSTANCE', 'NORMAL', 'NO', 0, 'REGULAR', 'SINGLE', 1",
     "",
     {TARVEX_GLOBAL("INSTANCE")},
     kInstance},
    {"DATABASE",
     "DBID NUMBER, NAME VARCHAR2(9), CREATED DATE, LOG_MODE VARCHAR2(12), CONTROLFILE_TYPE VARCHAR2(7), "
     "OPEN_RESETLOGS VARCHAR2(11), OPEN_MODE VARCHAR2(20), PROTECTION_MODE VARCHAR2(20), PROTECTION_LEVEL "
     "VARCHAR2(20), DATABASE_ROLE VARCHAR2(16), SWITCHOVER_STATUS VARCHAR2(20), GUARD_STATUS VARCHAR2(7), "
     "FORCE_LOGGING VARCHAR2(39), PLATFORM_ID NUMBER, PLATFORM_NAME VARCHAR2(101), FLASHBACK_ON "
     "VARCHAR2(18), DB_UNIQUE_NAME VARCHAR2(30), CDB VARCHAR2(3), CON_ID NUMBER",
     "SELECT ORA_SESSION_FACT('DBID'), ORA_SYS_CONTEXT('USERENV', 'DB_NAME'), ORA_SESSION_FACT('CREATED'), "
     "'NOARCHIVELOG', 'CURRENT', 'NOT ALLOWED', ORA_SESSION_FACT('OPEN_MODE'), 'MAXIMUM PERFORMANCE', "
     "'UNPROTECTED', 'PRIMARY', 'NOT ALLOWED', 'NONE', 'NO', ORA_SESSION_FACT('PLATFORM_ID'), "
     "ORA_SESSION_FACT('PLATFORM_NAME'), 'NO', ORA_SYS_CONTEXT('USERENV', 'DB_UNIQUE_NAME'), 'NO', 0, 1",
     "",
     {TARVEX_GLOBAL("DATABASE")},
     kInstance},
    {"PARAMETER",
     "NUM NUMBER, NAME VARCHAR2(80), TYPE NUMBER, VALUE VARCHAR2(4000), DISPLAY_VALUE VARCHAR2(4000), "
     "DEFAULT_VALUE VARCHAR2(255), ISDEFAULT VARCHAR2(9), ISSES_MODIFIABLE VARCHAR2(5), ISSYS_MODIFIABLE "
     "VARCHAR2(9), ISPDB_MODIFIABLE VARCHAR2(5), ISINSTANCE_MODIFIABLE VARCHAR2(5), ISMODIFIED "
     "VARCHAR2(10), ISADJUSTED VARCHAR2(5), ISDEPRECATED VARCHAR2(5), ISBASIC VARCHAR2(5), DESCRIPTION "
     "VARCHAR2(255), UPDATE_COMMENT VARCHAR2(255), HASH NUMBER, CON_ID NUMBER",
     // Note: ALTER SYSTEM changes nothing here, so no parameter is
     // ISSYS_MODIFIABLE; the NLS ones are what ALTER SESSION sets.
     "SELECT row_number() OVER (ORDER BY NAME), NAME, TYPE, VALUE, CASE WHEN TYPE = 6 AND VALUE % 1048576 = "
     "0 THEN (VALUE / 1048576) || 'M' WHEN TYPE = 6 AND VALUE % 1024 = 0 THEN (VALUE / 1024) || 'K' ELSE "
     "VALUE "
     "END, DEFAULT_VALUE, iif(VALUE IS DEFAULT_VALUE, 'TRUE', 'FALSE'), SES, 'FALSE', SES, 'FALSE', "
     "iif(VALUE IS DEFAULT_VALUE, 'FALSE', 'MODIFIED'), 'FALSE', 'FALSE', BASIC, DESCRIPTION, NULL, NULL, 0, "
     "1 "
     "FROM (SELECT column1 AS NAME, column2 AS TYPE, CAST(column3 AS TEXT) AS VALUE, column4 AS "
     "DEFAULT_VALUE, column5 AS SES, column6 AS BASIC, column7 AS DESCRIPTION FROM (SELECT NULL AS column1, "
     "NULL AS column2, NULL AS column3, NULL AS column4, NULL AS column5, NULL AS column6, NULL AS column7 "
     "WHERE 0 UNION ALL " TARVEX_PARAMETER_ROWS "))",
     "",
     {TARVEX_GLOBAL("PARAMETER"), {"V$SYSTEM_PARAMETER", nullptr}},
     kInstance},
    {"OPTION",
     "PARAMETER VARCHAR2(64), VALUE VARCHAR2(64), CON_ID NUMBER",
     "SELECT column1, column2, 0, 1 FROM (VALUES ('Partitioning', 'FALSE'), ('Objects', 'FALSE'), "
     "('Real Application Clusters', 'FALSE'), ('Bit-mapped indexes', 'FALSE'), ('Java', 'FALSE'), ('OLAP', "
     "'FALSE'), ('Spatial', 'FALSE'), ('Flashback Table', 'FALSE'), ('Flashback Database', 'FALSE'), "
     "('Parallel execution', 'FALSE'), ('Advanced Compression', 'FALSE'), ('Transparent Data Encryption', "
     "'FALSE'), ('Oracle Database Vault', 'FALSE'), ('Unified Auditing', 'FALSE'))",
     "",
     {TARVEX_GLOBAL("OPTION")},
     kInstance},
    // Note: the statistics SQLite keeps of the connection's page cache.
    {"STATNAME",
     "\"STATISTIC#\" NUMBER, NAME VARCHAR2(64), CLASS NUMBER, STAT_ID NUMBER, DISPLAY_NAME VARCHAR2(64), "
     "CON_ID "
     "NUMBER",
     "SELECT column1, column2, column3, NULL, column2, 0, 1 FROM (VALUES (0, 'session logical reads', 1), "
     "(1, "
     "'physical reads', 8), (2, 'physical writes', 8))",
     "",
     {TARVEX_GLOBAL("STATNAME")},
     kInstance},
    {"MYSTAT",
     "SID NUMBER, \"STATISTIC#\" NUMBER, VALUE NUMBER, CON_ID NUMBER",
     "SELECT 1, 0, ORA_SESSION_FACT('LOGICAL_READS'), 0, 1 UNION ALL SELECT 1, 1, "
     "ORA_SESSION_FACT('PHYSICAL_READS'), 0, 1 UNION ALL SELECT 1, 2, ORA_SESSION_FACT('PHYSICAL_WRITES'), "
     "0, 1",
     "",
     {TARVEX_GLOBAL("MYSTAT"), TARVEX_GLOBAL("SESSTAT")},
     kInstance},
    {"SEGMENTS",
     "SEGMENT_NAME VARCHAR2(128), PARTITION_NAME VARCHAR2(128), SEGMENT_TYPE VARCHAR2(18), SEGMENT_SUBTYPE "
     "VARCHAR2(10), TABLESPACE_NAME VARCHAR2(30), HEADER_FILE NUMBER, HEADER_BLOCK NUMBER, BYTES NUMBER, "
     "BLOCKS NUMBER, EXTENTS NUMBER, INITIAL_EXTENT NUMBER, NEXT_EXTENT NUMBER, MIN_EXTENTS NUMBER, "
     "MAX_EXTENTS NUMBER, PCT_INCREASE NUMBER, BUFFER_POOL VARCHAR2(7)",
     "SELECT m.name, NULL, upper(m.type), 'ASSM', 'USERS', 1, m.rootpage, sum(e.BYTES), "
     "sum(e.BLOCKS), count(*), s.page_size, s.page_size, 1, 2147483645, NULL, 'DEFAULT' FROM "
     "main.sqlite_schema m JOIN (" TARVEX_EXTENT_RUNS
     ") e ON e.NAME = m.name, pragma_page_size() s WHERE " TARVEX_USER_SEGMENT " GROUP BY m.name",
     "OWNER",
     {{"USER_SEGMENTS",
       "SEGMENT_NAME, PARTITION_NAME, SEGMENT_TYPE, SEGMENT_SUBTYPE, TABLESPACE_NAME, BYTES, BLOCKS, "
       "EXTENTS, INITIAL_EXTENT, NEXT_EXTENT, MIN_EXTENTS, MAX_EXTENTS, PCT_INCREASE, BUFFER_POOL"},
      {"DBA_SEGMENTS", "OWNER, *"}}},
    {"EXTENTS",
     "SEGMENT_NAME VARCHAR2(128), PARTITION_NAME VARCHAR2(128), SEGMENT_TYPE VARCHAR2(18), TABLESPACE_NAME "
     "VARCHAR2(30), EXTENT_ID NUMBER, FILE_ID NUMBER, BLOCK_ID NUMBER, BYTES NUMBER, BLOCKS NUMBER, "
     "RELATIVE_FNO NUMBER",
     "SELECT m.name, NULL, upper(m.type), 'USERS', row_number() OVER (PARTITION BY m.name ORDER BY "
     "e.BLOCK_ID) - 1, 1, e.BLOCK_ID, e.BYTES, e.BLOCKS, 1 FROM main.sqlite_schema m JOIN "
     "(" TARVEX_EXTENT_RUNS ") e ON e.NAME = m.name WHERE " TARVEX_USER_SEGMENT,
     "OWNER",
     {{"USER_EXTENTS",
       "SEGMENT_NAME, PARTITION_NAME, SEGMENT_TYPE, TABLESPACE_NAME, EXTENT_ID, BYTES, BLOCKS"},
      {"DBA_EXTENTS", "OWNER, *"}}},
    {"TABLESPACE",
     "\"TS#\" NUMBER, NAME VARCHAR2(30), INCLUDED_IN_DATABASE_BACKUP VARCHAR2(3), BIGFILE VARCHAR2(3), "
     "FLASHBACK_ON VARCHAR2(3), ENCRYPT_IN_BACKUP VARCHAR2(3), CON_ID NUMBER",
     "VALUES (4, 'USERS', 'YES', 'NO', 'NO', NULL, 0, 1), (3, 'TEMP', 'NO', 'NO', 'NO', NULL, 0, 1)",
     "",
     {TARVEX_GLOBAL("TABLESPACE")},
     kInstance},
    {"DATAFILE",
     "\"FILE#\" NUMBER, CREATION_TIME DATE, \"TS#\" NUMBER, \"RFILE#\" NUMBER, STATUS VARCHAR2(7), ENABLED "
     "VARCHAR2(10), BYTES NUMBER, BLOCKS NUMBER, CREATE_BYTES NUMBER, BLOCK_SIZE NUMBER, NAME VARCHAR2(513), "
     "CON_ID NUMBER",
     "SELECT 1, ORA_SESSION_FACT('CREATED'), 4, 1, 'ONLINE', iif(ORA_SESSION_FACT('OPEN_MODE') = 'READ "
     "ONLY', "
     "'READ ONLY', 'READ WRITE'), c.page_count * s.page_size, c.page_count, 0, s.page_size, d.file, 0, 1 "
     "FROM pragma_database_list() d, pragma_page_count() c, pragma_page_size() s WHERE d.name = 'main'",
     "",
     {TARVEX_GLOBAL("DATAFILE")},
     kInstance},
    {"DATA_FILES",
     "FILE_NAME VARCHAR2(513), FILE_ID NUMBER, TABLESPACE_NAME VARCHAR2(30), BYTES NUMBER, BLOCKS NUMBER, "
     "STATUS VARCHAR2(9), RELATIVE_FNO NUMBER, AUTOEXTENSIBLE VARCHAR2(3), MAXBYTES NUMBER, MAXBLOCKS "
     "NUMBER, INCREMENT_BY NUMBER, USER_BYTES NUMBER, USER_BLOCKS NUMBER, ONLINE_STATUS VARCHAR2(7)",
     "SELECT d.file, 1, 'USERS', c.page_count * s.page_size, c.page_count, 'AVAILABLE', 1, 'YES', "
     "x.max_page_count * s.page_size, x.max_page_count, 1, c.page_count * s.page_size, c.page_count, "
     "'ONLINE' FROM pragma_database_list() d, pragma_page_count() c, pragma_page_size() s, "
     "pragma_max_page_count() x WHERE d.name = 'main'",
     "",
     {{"DBA_DATA_FILES", nullptr}}},
    // Note: the page of the file's lock bytes (at 1 GiB) is never used nor free.
    {"FREE_SPACE",
     "TABLESPACE_NAME VARCHAR2(30), FILE_ID NUMBER, BLOCK_ID NUMBER, BYTES NUMBER, BLOCKS NUMBER, "
     "RELATIVE_FNO NUMBER",
     "SELECT 'USERS', 1, g.PREV + 1, (g.PAGENO - g.PREV - 1) * s.page_size, g.PAGENO - g.PREV - 1, 1 FROM "
     "(SELECT PAGENO, lag(PAGENO, 1, 0) OVER (ORDER BY PAGENO) AS PREV FROM (SELECT pageno AS PAGENO FROM "
     "dbstat('main') UNION SELECT page_count + 1 FROM pragma_page_count() UNION SELECT 1073741824 / "
     "page_size + 1 FROM pragma_page_size(), pragma_page_count() WHERE 1073741824 / page_size < "
     "page_count)) g, pragma_page_size() s WHERE g.PAGENO - g.PREV > 1",
     "",
     {{"DBA_FREE_SPACE", nullptr}, {"USER_FREE_SPACE", nullptr}}},
    {"TAB_COL_STATISTICS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), NUM_DISTINCT NUMBER, DENSITY NUMBER, NUM_NULLS "
     "NUMBER, NUM_BUCKETS NUMBER, LAST_ANALYZED DATE, SAMPLE_SIZE NUMBER, GLOBAL_STATS VARCHAR2(3), "
     "USER_STATS VARCHAR2(3), AVG_COL_LEN NUMBER, HISTOGRAM VARCHAR2(15)",
     "SELECT s.TABLE_NAME, s.COLUMN_NAME, s.NUM_DISTINCT, iif(s.NUM_DISTINCT > 0, 1.0 / s.NUM_DISTINCT, 0), "
     "s.NUM_NULLS, iif(s.NUM_DISTINCT > 0, 1, 0), s.LAST_ANALYZED, s.SAMPLE_SIZE, 'YES', 'NO', "
     "s.AVG_COL_LEN, 'NONE' FROM main.TARVEX_COLUMN_STATS s JOIN main.sqlite_schema m ON m.type = 'table' "
     "AND m.name = s.TABLE_NAME",
     "OWNER",
     {{"USER_TAB_COL_STATISTICS", nullptr},
      {"ALL_TAB_COL_STATISTICS", "OWNER, *"},
      {"DBA_TAB_COL_STATISTICS", "OWNER, *"}}},
    {"DICT_COLUMNS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), COMMENTS VARCHAR2(4000)",
     "SELECT iif(m.name LIKE 'TARVEX\\_PUBLIC\\_%' ESCAPE '\\', substr(m.name, 15), m.name), p.name, "
     "NULL FROM temp.sqlite_schema m, pragma_table_info(m.name, 'temp') p WHERE m.type = 'view' AND (m.name "
     "LIKE 'TARVEX\\_PUBLIC\\_%' ESCAPE '\\' OR m.name LIKE 'USER\\_%' ESCAPE '\\' OR m.name LIKE "
     "'ALL\\_%' ESCAPE '\\' OR m.name LIKE 'DBA\\_%' ESCAPE '\\')",
     "",
     {{"DICT_COLUMNS", nullptr}}},
    // Note: the file has one session, so the system's statistics are its own.
    {"SYSSTAT",
     "\"STATISTIC#\" NUMBER, NAME VARCHAR2(64), CLASS NUMBER, VALUE NUMBER, STAT_ID NUMBER, CON_ID NUMBER",
     "SELECT column1, column2, column3, ORA_SESSION_FACT(column4), NULL, 0, 1 FROM (VALUES (0, 'session "
     "logical reads', 1, 'LOGICAL_READS'), (1, 'physical reads', 8, 'PHYSICAL_READS'), (2, 'physical "
     "writes', 8, 'PHYSICAL_WRITES'))",
     "",
     {TARVEX_GLOBAL("SYSSTAT")},
     kInstance},
    {"PRODUCT_COMPONENT_VERSION",
     "PRODUCT VARCHAR2(80), VERSION VARCHAR2(80), VERSION_FULL VARCHAR2(80), STATUS VARCHAR2(80)",
     "SELECT 'Tarvex Embedded Database', sqlite_version(), sqlite_version(), 'Production'",
     "",
     {{"PRODUCT_COMPONENT_VERSION", nullptr}}},
    {"TS_QUOTAS",
     "TABLESPACE_NAME VARCHAR2(30), BYTES NUMBER, MAX_BYTES NUMBER, BLOCKS NUMBER, MAX_BLOCKS NUMBER, "
     "DROPPED VARCHAR2(3)",
     "SELECT 'USERS', coalesce(sum(e.BYTES), 0), -1, coalesce(sum(e.BLOCKS), 0), -1, 'NO' FROM "
     "main.sqlite_schema m JOIN (" TARVEX_EXTENT_RUNS ") e ON e.NAME = m.name WHERE " TARVEX_USER_SEGMENT,
     "USERNAME",
     {{"USER_TS_QUOTAS", nullptr},
      {"DBA_TS_QUOTAS", "TABLESPACE_NAME, USERNAME, BYTES, MAX_BYTES, BLOCKS, MAX_BLOCKS, DROPPED"}}},
    {"TAB_STATISTICS",
     "TABLE_NAME VARCHAR2(128), PARTITION_NAME VARCHAR2(128), OBJECT_TYPE VARCHAR2(12), NUM_ROWS NUMBER, "
     "BLOCKS NUMBER, AVG_ROW_LEN NUMBER, LAST_ANALYZED DATE, GLOBAL_STATS VARCHAR2(3), USER_STATS "
     "VARCHAR2(3), STATTYPE_LOCKED VARCHAR2(5), STALE_STATS VARCHAR2(7)",
     "SELECT m.name, NULL, 'TABLE', st.NUM_ROWS, st.BLOCKS, st.AVG_ROW_LEN, st.LAST_ANALYZED, "
     "iif(st.LAST_ANALYZED IS NULL, 'NO', 'YES'), 'NO', NULL, iif(st.LAST_ANALYZED IS NULL, NULL, 'NO') "
     "FROM main.sqlite_schema m LEFT JOIN main.TARVEX_TABLE_STATS st ON st.TABLE_NAME = m.name "
     "WHERE m.type = 'table' AND %U",
     "OWNER",
     {{"USER_TAB_STATISTICS", nullptr},
      {"ALL_TAB_STATISTICS", "OWNER, *"},
      {"DBA_TAB_STATISTICS", "OWNER, *"}}},
    // The roles granted to the user and what they carry.
    {"ROLES",
     "ROLE VARCHAR2(128), ROLE_ID NUMBER, PASSWORD_REQUIRED VARCHAR2(8), AUTHENTICATION_TYPE VARCHAR2(11), "
     "COMMON VARCHAR2(3), ORACLE_MAINTAINED VARCHAR2(1)",
     "VALUES ('CONNECT', 2, 'NO', 'NONE', 'NO', 'Y'), ('RESOURCE', 3, 'NO', 'NONE', 'NO', 'Y')",
     "",
     {{"DBA_ROLES", nullptr}}},
    // Note: the engine reads no server parameter file: none is specified.
    {"SPPARAMETER",
     "FAMILY VARCHAR2(80), SID VARCHAR2(80), NAME VARCHAR2(80), TYPE VARCHAR2(11), VALUE VARCHAR2(255), "
     "DISPLAY_VALUE VARCHAR2(255), ISSPECIFIED VARCHAR2(6), ORDINAL NUMBER, UPDATE_COMMENT VARCHAR2(255), "
     "CON_ID NUMBER",
     "SELECT NULL, '*', column1, CASE column2 WHEN 1 THEN 'boolean' WHEN 2 THEN 'string' WHEN 3 THEN "
     "'integer' ELSE 'big integer' END, NULL, NULL, 'FALSE', 0, NULL, 0, 1 FROM (SELECT NULL AS column1, "
     "NULL AS column2, NULL, NULL, NULL, NULL, NULL WHERE 0 UNION ALL " TARVEX_PARAMETER_ROWS
     ") ORDER BY column1",
     "",
     {TARVEX_GLOBAL("SPPARAMETER")},
     kInstance},
    {"ROLE_SYS_PRIVS",
     "ROLE VARCHAR2(128), PRIVILEGE VARCHAR2(40), ADMIN_OPTION VARCHAR2(3), COMMON VARCHAR2(3), INHERITED "
     "VARCHAR2(3)",
     "SELECT column1, column2, 'NO', 'NO', 'NO' FROM (VALUES ('CONNECT', 'CREATE SESSION'), ('RESOURCE', "
     "'CREATE TABLE'), ('RESOURCE', 'CREATE SEQUENCE'), ('RESOURCE', 'CREATE PROCEDURE'), ('RESOURCE', "
     "'CREATE TRIGGER'), ('RESOURCE', 'CREATE TYPE'))",
     "",
     {{"ROLE_SYS_PRIVS", nullptr}}},
};

#undef TARVEX_GLOBAL

// What the session's views tell of the process and the file it runs on.
struct SessionFacts {
    const CSqliteSession* session;
    std::string logonTime;
};

std::string Hostname() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string OsUser() {
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

std::string Terminal() {
    const char* name = isatty(STDIN_FILENO) ? ttyname(STDIN_FILENO) : nullptr;
    if (name == nullptr) return "unknown";
    std::string_view path(name);
    return std::string(path.substr(path.rfind('/') + 1));
}

std::string Program() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string_view whole(path, static_cast<std::size_t>(length));
    return std::string(whole.substr(whole.rfind('/') + 1));
}

// The file's birth, where the file system keeps it; "" where it does not.
std::string Created(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    struct statx about {};
    if (file == nullptr || *file == '\0' || statx(AT_FDCWD, file, 0, STATX_BTIME, &about) != 0 ||
        (about.stx_mask & STATX_BTIME) == 0)
        return {};
    const time_t seconds = static_cast<time_t>(about.stx_btime.tv_sec);
    tm local{};
    localtime_r(&seconds, &local);
    CDateTime date;
    date.year = local.tm_year + 1900;
    date.month = local.tm_mon + 1;
    date.day = local.tm_mday;
    date.hour = local.tm_hour;
    date.minute = local.tm_min;
    date.second = local.tm_sec;
    return CDateFormat::ToStored(date);
}

// A number the database's name always gives (FNV-1a), as its identifier.
std::string DatabaseId(const CSqliteSession* session) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : session != nullptr ? session->database : std::string())
        hash = (hash ^ c) * 16777619u;
    return std::to_string(hash);
}

// A count SQLite keeps of the connection's page cache since it opened.
long long CacheStatus(sqlite3* db, int status) {
    int current = 0;
    int highest = 0;
    return sqlite3_db_status(db, status, &current, &highest, 0) == SQLITE_OK ? current : 0;
}

#if defined(__linux__) && defined(__x86_64__)
constexpr const char* kPlatformId = "13";
constexpr const char* kPlatformName = "Linux x86 64-bit";
#else
constexpr const char* kPlatformId = "";
constexpr const char* kPlatformName = "";
#endif

struct Fact {
    const char* name;
    std::string (*value)(const SessionFacts& facts, sqlite3* db);
};

const Fact kFacts[] = {
    {"LOGON_TIME", [](const SessionFacts& facts, sqlite3*) { return facts.logonTime; }},
    {"AUDSID", [](const SessionFacts&, sqlite3*) { return std::to_string(getpid()); }},
    {"PROCESS", [](const SessionFacts&, sqlite3*) { return std::to_string(getpid()); }},
    {"OSUSER", [](const SessionFacts&, sqlite3*) { return OsUser(); }},
    {"MACHINE", [](const SessionFacts&, sqlite3*) { return Hostname(); }},
    {"TERMINAL", [](const SessionFacts&, sqlite3*) { return Terminal(); }},
    {"PROGRAM", [](const SessionFacts&, sqlite3*) { return Program(); }},
    {"CREATED", [](const SessionFacts&, sqlite3* db) { return Created(db); }},
    {"DBID", [](const SessionFacts& facts, sqlite3*) { return DatabaseId(facts.session); }},
    {"OPEN_MODE",
     [](const SessionFacts&, sqlite3* db) {
         return std::string(sqlite3_db_readonly(db, "main") == 1 ? "READ ONLY" : "READ WRITE");
     }},
    {"PLATFORM_ID", [](const SessionFacts&, sqlite3*) { return std::string(kPlatformId); }},
    {"LOGICAL_READS",
     [](const SessionFacts&, sqlite3* db) {
         return std::to_string(CacheStatus(db, SQLITE_DBSTATUS_CACHE_HIT) +
                               CacheStatus(db, SQLITE_DBSTATUS_CACHE_MISS));
     }},
    {"PHYSICAL_READS",
     [](const SessionFacts&, sqlite3* db) {
         return std::to_string(CacheStatus(db, SQLITE_DBSTATUS_CACHE_MISS));
     }},
    {"PHYSICAL_WRITES",
     [](const SessionFacts&, sqlite3* db) {
         return std::to_string(CacheStatus(db, SQLITE_DBSTATUS_CACHE_WRITE));
     }},
    {"PLATFORM_NAME", [](const SessionFacts&, sqlite3*) { return std::string(kPlatformName); }},
};

// ORA_SESSION_FACT(name): one of kFacts (UTF-8); NULL for one unknown.
void SessionFact(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* facts = static_cast<const SessionFacts*>(sqlite3_user_data(context));
    const std::string name = sqliteapi::TextOf(argv[0]);
    for (const Fact& fact : kFacts) {
        if (name != fact.name) continue;
        const std::string value = fact.value(*facts, sqlite3_context_db_handle(context));
        if (value.empty()) return sqlite3_result_null(context);
        return sqliteapi::ResultText(context, value);
    }
    sqlite3_result_null(context);
}

}  // namespace

std::span<const CDictionaryView> CSqliteSystemViews::Views() { return kViews; }

bool CSqliteSystemViews::Register(sqlite3* db, const CSqliteSession* session) {
    auto* facts = new SessionFacts{session, CDateFormat::ToStored(CDateFormat::Now())};
    return CSqliteInstanceViews::Register(db, session) && CSqliteAdminViews::Register(db) &&
           sqlite3_create_function_v2(db, "ORA_SESSION_FACT", 1, SQLITE_UTF8, facts, SessionFact, nullptr,
                                      nullptr, [](void* data) { delete static_cast<SessionFacts*>(data); }) ==
               SQLITE_OK;
}

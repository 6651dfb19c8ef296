#include "engine/sqlite/CSqliteInstanceViews.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CZoneNames.h"

namespace {

#define TARVEX_GLOBAL(x) \
    {"V$" x, nullptr}, { "GV$" x, "INST_ID, *" }

// The one transaction slot of the session: its undo segment 1, slot 0,
// sequence 1 (ID1 and ID2 of its TX lock, and its XID as the server packs
// it: the three numbers low byte first).
#define TARVEX_TRANSACTION_ID "1, 0, 1"
#define TARVEX_TRANSACTION_LOCK "65536, 1"
#define TARVEX_TRANSACTION_XID "'0100000001000000'"
#define TARVEX_IN_TRANSACTION "ORA_INSTANCE_FACT('TRANSACTION_ADDRESS') IS NOT NULL"

// The instance of a GV$ view's rows: the one there is.
constexpr const char* kInstance = ", INST_ID NUMBER";

const CDictionaryView kViews[] = {
    // Note: the shared areas are the connection's page cache, its schema
    // and its prepared statements; the journal writes through the cache,
    // so there is no log buffer.
    {"SGA",
     "NAME VARCHAR2(20), VALUE NUMBER, CON_ID NUMBER",
     "SELECT 'Variable Size', ORA_INSTANCE_FACT('SCHEMA_BYTES') + ORA_INSTANCE_FACT('STATEMENT_BYTES'), 0, 1 "
     "UNION ALL SELECT 'Database Buffers', ORA_INSTANCE_FACT('CACHE_BYTES'), 0, 1 UNION ALL SELECT 'Redo "
     "Buffers', 0, 0, 1",
     "",
     {TARVEX_GLOBAL("SGA")},
     kInstance},
    {"SGASTAT",
     "POOL VARCHAR2(14), NAME VARCHAR2(26), BYTES NUMBER, CON_ID NUMBER",
     "SELECT NULL, 'buffer_cache', ORA_INSTANCE_FACT('CACHE_BYTES'), 0, 1 UNION ALL SELECT NULL, "
     "'log_buffer', 0, 0, 1 UNION ALL SELECT 'shared pool', 'row cache', ORA_INSTANCE_FACT('SCHEMA_BYTES'), "
     "0, 1 UNION ALL SELECT 'shared pool', 'sql area', ORA_INSTANCE_FACT('STATEMENT_BYTES'), 0, 1",
     "",
     {TARVEX_GLOBAL("SGASTAT")},
     kInstance},
    {"SGAINFO",
     "NAME VARCHAR2(32), BYTES NUMBER, RESIZEABLE VARCHAR2(3), CON_ID NUMBER",
     "SELECT 'Buffer Cache Size', ORA_INSTANCE_FACT('CACHE_BYTES'), 'YES', 0, 1 UNION ALL SELECT 'Shared "
     "Pool Size', ORA_INSTANCE_FACT('SCHEMA_BYTES') + ORA_INSTANCE_FACT('STATEMENT_BYTES'), 'YES', 0, 1 "
     "UNION "
     "ALL SELECT 'Redo Buffers', 0, 'NO', 0, 1",
     "",
     {TARVEX_GLOBAL("SGAINFO")},
     kInstance},
    {"PGASTAT",
     "NAME VARCHAR2(64), VALUE NUMBER, UNIT VARCHAR2(12), CON_ID NUMBER",
     "SELECT 'total PGA inuse', ORA_INSTANCE_FACT('PGA_BYTES'), 'bytes', 0, 1 UNION ALL SELECT 'total PGA "
     "allocated', ORA_INSTANCE_FACT('PGA_BYTES'), 'bytes', 0, 1 UNION ALL SELECT 'process count', 1, NULL, "
     "0, 1 UNION ALL SELECT 'max processes count', 1, NULL, 0, 1",
     "",
     {TARVEX_GLOBAL("PGASTAT")},
     kInstance},
    // The redo log is the write-ahead log beside the file, while the file
    // keeps one (a read-only file keeps a rollback journal: no redo).
    {"LOG",
     "\"GROUP#\" NUMBER, \"THREAD#\" NUMBER, \"SEQUENCE#\" NUMBER, BYTES NUMBER, BLOCKSIZE NUMBER, MEMBERS "
     "NUMBER, ARCHIVED VARCHAR2(3), STATUS VARCHAR2(16), \"FIRST_CHANGE#\" NUMBER, FIRST_TIME DATE, "
     "\"NEXT_CHANGE#\" NUMBER, NEXT_TIME DATE, CON_ID NUMBER",
     "SELECT 1, 1, ORA_INSTANCE_FACT('WAL_SEQUENCE'), ORA_INSTANCE_FACT('WAL_BYTES'), NULL, 1, 'NO', "
     "'CURRENT', NULL, NULL, NULL, NULL, 0, 1 FROM pragma_journal_mode() j WHERE j.journal_mode = 'wal'",
     "",
     {TARVEX_GLOBAL("LOG")},
     kInstance},
    {"LOGFILE",
     "\"GROUP#\" NUMBER, STATUS VARCHAR2(7), TYPE VARCHAR2(7), MEMBER VARCHAR2(513), IS_RECOVERY_DEST_FILE "
     "VARCHAR2(3), CON_ID NUMBER",
     "SELECT 1, NULL, 'ONLINE', d.file || '-wal', 'NO', 0, 1 FROM pragma_database_list() d, "
     "pragma_journal_mode() j WHERE d.name = 'main' AND d.file <> '' AND j.journal_mode = 'wal'",
     "",
     {TARVEX_GLOBAL("LOGFILE")},
     kInstance},
    // Note: the log starts again at each checkpoint without a switch the
    // engine would record.
    {"LOG_HISTORY",
     "RECID NUMBER, STAMP NUMBER, \"THREAD#\" NUMBER, \"SEQUENCE#\" NUMBER, \"FIRST_CHANGE#\" NUMBER, "
     "FIRST_TIME DATE, \"NEXT_CHANGE#\" NUMBER, \"RESETLOGS_CHANGE#\" NUMBER, RESETLOGS_TIME DATE, CON_ID "
     "NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("LOG_HISTORY")},
     kInstance},
    {"CONTROLFILE",
     "STATUS VARCHAR2(7), NAME VARCHAR2(513), IS_RECOVERY_DEST_FILE VARCHAR2(3), BLOCK_SIZE NUMBER, "
     "FILE_SIZE_BLKS NUMBER, CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("CONTROLFILE")},
     kInstance},
    // Note: statements are prepared for the session alone and not kept in a
    // shared area the server's statistics would describe.
    {"SQL",
     "SQL_TEXT VARCHAR2(1000), SQL_FULLTEXT CLOB, SQL_ID VARCHAR2(13), SHARABLE_MEM NUMBER, PERSISTENT_MEM "
     "NUMBER, RUNTIME_MEM NUMBER, SORTS NUMBER, LOADED_VERSIONS NUMBER, OPEN_VERSIONS NUMBER, USERS_OPENING "
     "NUMBER, FETCHES NUMBER, EXECUTIONS NUMBER, PX_SERVERS_EXECUTIONS NUMBER, END_OF_FETCH_COUNT NUMBER, "
     "USERS_EXECUTING NUMBER, LOADS NUMBER, FIRST_LOAD_TIME VARCHAR2(76), INVALIDATIONS NUMBER, PARSE_CALLS "
     "NUMBER, DISK_READS NUMBER, DIRECT_WRITES NUMBER, BUFFER_GETS NUMBER, APPLICATION_WAIT_TIME NUMBER, "
     "CONCURRENCY_WAIT_TIME NUMBER, USER_IO_WAIT_TIME NUMBER, PLSQL_EXEC_TIME NUMBER, ROWS_PROCESSED NUMBER, "
     "COMMAND_TYPE NUMBER, OPTIMIZER_MODE VARCHAR2(10), OPTIMIZER_COST NUMBER, PARSING_USER_ID NUMBER, "
     "PARSING_SCHEMA_ID NUMBER, PARSING_SCHEMA_NAME VARCHAR2(128), KEPT_VERSIONS NUMBER, ADDRESS RAW(8), "
     "HASH_VALUE NUMBER, OLD_HASH_VALUE NUMBER, PLAN_HASH_VALUE NUMBER, CHILD_NUMBER NUMBER, SERVICE "
     "VARCHAR2(64), MODULE VARCHAR2(64), ACTION VARCHAR2(64), CPU_TIME NUMBER, ELAPSED_TIME NUMBER, "
     "LAST_LOAD_TIME VARCHAR2(76), LAST_ACTIVE_TIME DATE, CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("SQL")},
     kInstance},
    {"SQLAREA",
     "SQL_TEXT VARCHAR2(1000), SQL_FULLTEXT CLOB, SQL_ID VARCHAR2(13), SHARABLE_MEM NUMBER, PERSISTENT_MEM "
     "NUMBER, RUNTIME_MEM NUMBER, SORTS NUMBER, VERSION_COUNT NUMBER, LOADED_VERSIONS NUMBER, OPEN_VERSIONS "
     "NUMBER, USERS_OPENING NUMBER, FETCHES NUMBER, EXECUTIONS NUMBER, PX_SERVERS_EXECUTIONS NUMBER, "
     "END_OF_FETCH_COUNT NUMBER, USERS_EXECUTING NUMBER, LOADS NUMBER, FIRST_LOAD_TIME VARCHAR2(76), "
     "INVALIDATIONS NUMBER, PARSE_CALLS NUMBER, DISK_READS NUMBER, DIRECT_WRITES NUMBER, BUFFER_GETS NUMBER, "
     "APPLICATION_WAIT_TIME NUMBER, CONCURRENCY_WAIT_TIME NUMBER, USER_IO_WAIT_TIME NUMBER, PLSQL_EXEC_TIME "
     "NUMBER, ROWS_PROCESSED NUMBER, COMMAND_TYPE NUMBER, OPTIMIZER_MODE VARCHAR2(10), PARSING_USER_ID "
     "NUMBER, PARSING_SCHEMA_ID NUMBER, PARSING_SCHEMA_NAME VARCHAR2(128), KEPT_VERSIONS NUMBER, ADDRESS "
     "RAW(8), HASH_VALUE NUMBER, OLD_HASH_VALUE NUMBER, PLAN_HASH_VALUE NUMBER, MODULE VARCHAR2(64), ACTION "
     "VARCHAR2(64), CPU_TIME NUMBER, ELAPSED_TIME NUMBER, LAST_LOAD_TIME DATE, LAST_ACTIVE_TIME DATE, CON_ID "
     "NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("SQLAREA")},
     kInstance},
    // Note: the open transaction holds the file's write lock, an exclusive
    // TX lock; how long it has held it the engine does not note.
    {"LOCK",
     "ADDR RAW(8), KADDR RAW(8), SID NUMBER, TYPE VARCHAR2(2), ID1 NUMBER, ID2 NUMBER, LMODE NUMBER, "
     "REQUEST NUMBER, CTIME NUMBER, BLOCK NUMBER, CON_ID NUMBER",
     "SELECT ORA_INSTANCE_FACT('TRANSACTION_ADDRESS'), ORA_INSTANCE_FACT('TRANSACTION_ADDRESS'), 1, "
     "'TX', " TARVEX_TRANSACTION_LOCK ", 6, 0, NULL, NULL, 0, 1 WHERE " TARVEX_IN_TRANSACTION,
     "",
     {TARVEX_GLOBAL("LOCK")},
     kInstance},
    // Note: the write lock is the file's: no table holds a lock of its own.
    {"LOCKED_OBJECT",
     "XIDUSN NUMBER, XIDSLOT NUMBER, XIDSQN NUMBER, OBJECT_ID NUMBER, SESSION_ID NUMBER, ORACLE_USERNAME "
     "VARCHAR2(128), OS_USER_NAME VARCHAR2(128), PROCESS VARCHAR2(24), LOCKED_MODE NUMBER, CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("LOCKED_OBJECT")},
     kInstance},
    {"PROCESS",
     "ADDR RAW(8), PID NUMBER, SOSID VARCHAR2(24), SPID VARCHAR2(24), STID VARCHAR2(24), EXECUTION_TYPE "
     "VARCHAR2(10), PNAME VARCHAR2(5), USERNAME VARCHAR2(15), \"SERIAL#\" NUMBER, TERMINAL VARCHAR2(30), "
     "PROGRAM VARCHAR2(48), TRACEID VARCHAR2(255), TRACEFILE VARCHAR2(513), BACKGROUND VARCHAR2(1), "
     "LATCHWAIT VARCHAR2(16), LATCHSPIN VARCHAR2(16), PGA_USED_MEM NUMBER, PGA_ALLOC_MEM NUMBER, "
     "PGA_FREEABLE_MEM NUMBER, PGA_MAX_MEM NUMBER, CON_ID NUMBER",
     "SELECT ORA_INSTANCE_FACT('PROCESS_ADDRESS'), 1, ORA_SESSION_FACT('PROCESS'), "
     "ORA_SESSION_FACT('PROCESS'), ORA_INSTANCE_FACT('THREAD'), 'PROCESS', NULL, "
     "substr(ORA_SESSION_FACT('OSUSER'), 1, 15), 1, ORA_SESSION_FACT('TERMINAL'), "
     "ORA_SESSION_FACT('PROGRAM'), NULL, NULL, NULL, NULL, NULL, ORA_INSTANCE_FACT('PGA_BYTES'), "
     "ORA_INSTANCE_FACT('PGA_BYTES'), 0, NULL, 0, 1",
     "",
     {TARVEX_GLOBAL("PROCESS")},
     kInstance},
    {"TRANSACTION",
     "ADDR RAW(8), XIDUSN NUMBER, XIDSLOT NUMBER, XIDSQN NUMBER, STATUS VARCHAR2(16), START_TIME "
     "VARCHAR2(20), SES_ADDR RAW(8), FLAG NUMBER, SPACE VARCHAR2(3), RECURSIVE VARCHAR2(3), NOUNDO "
     "VARCHAR2(3), PTX VARCHAR2(3), NAME VARCHAR2(256), USED_UBLK NUMBER, USED_UREC NUMBER, LOG_IO NUMBER, "
     "PHY_IO NUMBER, CR_GET NUMBER, CR_CHANGE NUMBER, START_DATE DATE, START_SCN NUMBER, XID RAW(8), CON_ID "
     "NUMBER",
     "SELECT ORA_INSTANCE_FACT('TRANSACTION_ADDRESS'), " TARVEX_TRANSACTION_ID
     ", 'ACTIVE', NULL, ORA_INSTANCE_FACT('SESSION_ADDRESS'), NULL, 'NO', 'NO', 'NO', 'NO', NULL, NULL, "
     "NULL, NULL, NULL, NULL, NULL, NULL, NULL, " TARVEX_TRANSACTION_XID
     ", 0, 1 WHERE " TARVEX_IN_TRANSACTION,
     "",
     {TARVEX_GLOBAL("TRANSACTION")},
     kInstance},
    // Note: the session runs its statements without waiting on anything the
    // engine times, so no wait is ever seen.
    {"SESSION_WAIT",
     "SID NUMBER, \"SEQ#\" NUMBER, EVENT VARCHAR2(64), P1TEXT VARCHAR2(64), P1 NUMBER, P1RAW RAW(8), P2TEXT "
     "VARCHAR2(64), P2 NUMBER, P2RAW RAW(8), P3TEXT VARCHAR2(64), P3 NUMBER, P3RAW RAW(8), WAIT_CLASS_ID "
     "NUMBER, \"WAIT_CLASS#\" NUMBER, WAIT_CLASS VARCHAR2(64), WAIT_TIME NUMBER, SECONDS_IN_WAIT NUMBER, "
     "STATE VARCHAR2(19), WAIT_TIME_MICRO NUMBER, TIME_REMAINING_MICRO NUMBER, TIME_SINCE_LAST_WAIT_MICRO "
     "NUMBER, CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("SESSION_WAIT")},
     kInstance},
    {"SESSION_EVENT",
     "SID NUMBER, EVENT VARCHAR2(64), TOTAL_WAITS NUMBER, TOTAL_TIMEOUTS NUMBER, TIME_WAITED NUMBER, "
     "AVERAGE_WAIT NUMBER, MAX_WAIT NUMBER, TIME_WAITED_MICRO NUMBER, EVENT_ID NUMBER, WAIT_CLASS_ID NUMBER, "
     "\"WAIT_CLASS#\" NUMBER, WAIT_CLASS VARCHAR2(64), CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("SESSION_EVENT")},
     kInstance},
    {"SYSTEM_EVENT",
     "EVENT VARCHAR2(64), TOTAL_WAITS NUMBER, TOTAL_TIMEOUTS NUMBER, TIME_WAITED NUMBER, AVERAGE_WAIT "
     "NUMBER, TIME_WAITED_MICRO NUMBER, TOTAL_WAITS_FG NUMBER, TOTAL_TIMEOUTS_FG NUMBER, TIME_WAITED_FG "
     "NUMBER, AVERAGE_WAIT_FG NUMBER, TIME_WAITED_MICRO_FG NUMBER, EVENT_ID NUMBER, WAIT_CLASS_ID NUMBER, "
     "\"WAIT_CLASS#\" NUMBER, WAIT_CLASS VARCHAR2(64), CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("SYSTEM_EVENT")},
     kInstance},
    {"TIMEZONE_NAMES",
     "TZNAME VARCHAR2(64), TZABBREV VARCHAR2(64), CON_ID NUMBER",
     "SELECT j.value ->> 0, j.value ->> 1, 0, 1 FROM json_each(ORA_INSTANCE_FACT('ZONE_NAMES')) j",
     "",
     {TARVEX_GLOBAL("TIMEZONE_NAMES")},
     kInstance},
    // Note: no session or user limit is set (0); the processors are the
    // machine's, which the engine does not count in cores or sockets.
    {"LICENSE",
     "SESSIONS_MAX NUMBER, SESSIONS_WARNING NUMBER, SESSIONS_CURRENT NUMBER, SESSIONS_HIGHWATER NUMBER, "
     "USERS_MAX NUMBER, CPU_COUNT_CURRENT NUMBER, CPU_CORE_COUNT_CURRENT NUMBER, CPU_SOCKET_COUNT_CURRENT "
     "NUMBER, CPU_COUNT_HIGHWATER NUMBER, CPU_CORE_COUNT_HIGHWATER NUMBER, CPU_SOCKET_COUNT_HIGHWATER "
     "NUMBER, CON_ID NUMBER",
     "SELECT 0, 0, 1, 1, 0, ORA_INSTANCE_FACT('CPU_COUNT'), NULL, NULL, ORA_INSTANCE_FACT('CPU_COUNT'), "
     "NULL, NULL, 0, 1",
     "",
     {TARVEX_GLOBAL("LICENSE")},
     kInstance},
    // Note: the connection is one process with one session and at most
    // one transaction; the server right-aligns the limits in their width.
    {"RESOURCE_LIMIT",
     "RESOURCE_NAME VARCHAR2(128), CURRENT_UTILIZATION NUMBER, MAX_UTILIZATION NUMBER, INITIAL_ALLOCATION "
     "VARCHAR2(10), LIMIT_VALUE VARCHAR2(10), CON_ID NUMBER",
     "SELECT column1, column2, column3, printf('%10s', column4), printf('%10s', column4), 0, 1 FROM (VALUES "
     "('processes', 1, 1, '1'), ('sessions', 1, 1, '1'), ('transactions', iif(" TARVEX_IN_TRANSACTION
     ", 1, 0), NULL, '1'))",
     "",
     {TARVEX_GLOBAL("RESOURCE_LIMIT")},
     kInstance},
    // Note: the engine writes no trace, alert or incident files.
    {"DIAG_INFO",
     "INST_ID NUMBER, NAME VARCHAR2(64), VALUE VARCHAR2(512), CON_ID NUMBER",
     "SELECT 1, column1, column2, 0 FROM (VALUES ('Diag Enabled', 'FALSE'), ('ADR Base', NULL), ('ADR "
     "Home', NULL), ('Diag Trace', NULL), ('Diag Alert', NULL), ('Diag Incident', NULL), ('Diag Cdump', "
     "NULL), ('Health Monitor', NULL), ('Default Trace File', NULL), ('Active Problem Count', '0'), ('Active "
     "Incident Count', '0'))",
     "",
     {{"V$DIAG_INFO", nullptr}, {"GV$DIAG_INFO", nullptr}}},
    // The temporary file is the connection's temporary database.
    {"TEMPFILE",
     "\"FILE#\" NUMBER, \"CREATION_CHANGE#\" NUMBER, CREATION_TIME DATE, \"TS#\" NUMBER, \"RFILE#\" NUMBER, "
     "STATUS VARCHAR2(7), ENABLED VARCHAR2(10), BYTES NUMBER, BLOCKS NUMBER, CREATE_BYTES NUMBER, BLOCK_SIZE "
     "NUMBER, NAME VARCHAR2(513), CON_ID NUMBER",
     "SELECT 1, NULL, NULL, 3, 1, 'ONLINE', 'READ WRITE', c.page_count * s.page_size, c.page_count, 0, "
     "s.page_size, nullif(d.file, ''), 0, 1 FROM pragma_database_list() d, pragma_page_count('temp') c, "
     "pragma_page_size('temp') s WHERE d.name = 'temp'",
     "",
     {TARVEX_GLOBAL("TEMPFILE")},
     kInstance},
    {"ARCHIVED_LOG",
     "RECID NUMBER, STAMP NUMBER, NAME VARCHAR2(513), DEST_ID NUMBER, \"THREAD#\" NUMBER, \"SEQUENCE#\" "
     "NUMBER, \"RESETLOGS_CHANGE#\" NUMBER, RESETLOGS_TIME DATE, RESETLOGS_ID NUMBER, \"FIRST_CHANGE#\" "
     "NUMBER, FIRST_TIME DATE, \"NEXT_CHANGE#\" NUMBER, NEXT_TIME DATE, BLOCKS NUMBER, BLOCK_SIZE NUMBER, "
     "CREATOR VARCHAR2(7), REGISTRAR VARCHAR2(7), STANDBY_DEST VARCHAR2(3), ARCHIVED VARCHAR2(3), APPLIED "
     "VARCHAR2(9), DELETED VARCHAR2(3), STATUS VARCHAR2(1), COMPLETION_TIME DATE, DICTIONARY_BEGIN "
     "VARCHAR2(3), DICTIONARY_END VARCHAR2(3), END_OF_REDO VARCHAR2(3), BACKUP_COUNT NUMBER, "
     "\"ARCHIVAL_THREAD#\" NUMBER, \"ACTIVATION#\" NUMBER, IS_RECOVERY_DEST_FILE VARCHAR2(3), COMPRESSED "
     "VARCHAR2(3), FAL VARCHAR2(3), END_OF_REDO_TYPE VARCHAR2(10), BACKED_BY_VSS VARCHAR2(3), CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("ARCHIVED_LOG")},
     kInstance},
    {"BACKUP",
     "\"FILE#\" NUMBER, STATUS VARCHAR2(18), \"CHANGE#\" NUMBER, TIME DATE, CON_ID NUMBER",
     "SELECT 1, 'NOT ACTIVE', 0, NULL, 0, 1",
     "",
     {TARVEX_GLOBAL("BACKUP")},
     kInstance},
    {"RECOVER_FILE",
     "\"FILE#\" NUMBER, ONLINE VARCHAR2(7), ONLINE_STATUS VARCHAR2(7), ERROR VARCHAR2(18), \"CHANGE#\" "
     "NUMBER, TIME DATE, CON_ID NUMBER",
     "",
     "",
     {TARVEX_GLOBAL("RECOVER_FILE")},
     kInstance},
};

#undef TARVEX_GLOBAL
#undef TARVEX_TRANSACTION_ID
#undef TARVEX_TRANSACTION_LOCK
#undef TARVEX_TRANSACTION_XID
#undef TARVEX_IN_TRANSACTION

// The address of an object of the process, as the server shows one: 16
// hexadecimal digits.
std::string Address(const void* object) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(object)));
    return text;
}

long long ConnectionStatus(sqlite3* db, int status) {
    int current = 0;
    int highest = 0;
    return sqlite3_db_status(db, status, &current, &highest, 0) == SQLITE_OK ? current : 0;
}

// The memory of the connection's shared areas and what SQLite holds for
// the process beyond them, measured once for all the views one statement
// names, so that they agree.
struct Memory {
    long long cache = 0;
    long long schema = 0;
    long long statements = 0;
    long long rest = 0;
};

struct InstanceFacts {
    const CSqliteSession* session;
    Memory memory;
};

Memory MeasureMemory(sqlite3* db) {
    Memory memory;
    memory.cache = ConnectionStatus(db, SQLITE_DBSTATUS_CACHE_USED);
    memory.schema = ConnectionStatus(db, SQLITE_DBSTATUS_SCHEMA_USED);
    memory.statements = ConnectionStatus(db, SQLITE_DBSTATUS_STMT_USED);
    const long long rest =
        static_cast<long long>(sqlite3_memory_used()) - memory.cache - memory.schema - memory.statements;
    memory.rest = rest > 0 ? rest : 0;
    return memory;
}

// The write-ahead log beside the file ("" for a file in memory).
std::string WalPath(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    return file != nullptr && *file != '\0' ? std::string(file) + "-wal" : std::string();
}

void ResultCount(sqlite3_context* context, long long value) { sqlite3_result_int64(context, value); }

void ResultWalBytes(sqlite3_context* context, sqlite3* db) {
    struct stat about {};
    const std::string path = WalPath(db);
    if (path.empty() || stat(path.c_str(), &about) != 0) return sqlite3_result_null(context);
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(about.st_size));
}

// The log's checkpoint sequence, from its header: it grows each time the
// log starts again from its beginning.
void ResultWalSequence(sqlite3_context* context, sqlite3* db) {
    const std::string path = WalPath(db);
    std::ifstream in(path, std::ios::binary);
    unsigned char header[16] = {};
    if (path.empty() || !in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 0x37 ||
        header[1] != 0x7F || header[2] != 0x06 || (header[3] & 0xFE) != 0x82)
        return sqlite3_result_null(context);
    const std::uint32_t sequence = (std::uint32_t{header[12]} << 24) | (std::uint32_t{header[13]} << 16) |
                                   (std::uint32_t{header[14]} << 8) | header[15];
    sqlite3_result_int64(context, sequence);
}

// Every region and abbreviation as a JSON array of [name, abbreviation].
const std::string& ZoneNamesJson() {
    static const std::string json = [] {
        std::string out = "[";
        for (const auto& [region, abbreviation] : CZoneNames::All()) {
            out += out.size() > 1 ? ",[\"" : "[\"";
            out += region + "\",\"" + abbreviation + "\"]";
        }
        return out + "]";
    }();
    return json;
}

struct Fact {
    const char* name;
    void (*result)(sqlite3_context* context, InstanceFacts& facts, sqlite3* db);
};

const Fact kFacts[] = {
    {"MEASURE",
     [](sqlite3_context* c, InstanceFacts& facts, sqlite3* db) {
         facts.memory = MeasureMemory(db);
         sqlite3_result_null(c);
     }},
    {"CACHE_BYTES",
     [](sqlite3_context* c, InstanceFacts& facts, sqlite3*) { ResultCount(c, facts.memory.cache); }},
    {"SCHEMA_BYTES",
     [](sqlite3_context* c, InstanceFacts& facts, sqlite3*) { ResultCount(c, facts.memory.schema); }},
    {"STATEMENT_BYTES",
     [](sqlite3_context* c, InstanceFacts& facts, sqlite3*) { ResultCount(c, facts.memory.statements); }},
    {"PGA_BYTES",
     [](sqlite3_context* c, InstanceFacts& facts, sqlite3*) { ResultCount(c, facts.memory.rest); }},
    {"SESSION_ADDRESS", [](sqlite3_context* c, InstanceFacts& facts,
                           sqlite3*) { sqliteapi::ResultText(c, Address(facts.session)); }},
    {"PROCESS_ADDRESS",
     [](sqlite3_context* c, InstanceFacts&, sqlite3*) { sqliteapi::ResultText(c, Address(kFacts)); }},
    // The connection holds the transaction while one is open.
    {"TRANSACTION_ADDRESS",
     [](sqlite3_context* c, InstanceFacts&, sqlite3* db) {
         if (sqlite3_get_autocommit(db) != 0) return sqlite3_result_null(c);
         sqliteapi::ResultText(c, Address(db));
     }},
    {"THREAD",
     [](sqlite3_context* c, InstanceFacts&, sqlite3*) {
         sqliteapi::ResultText(c, std::to_string(static_cast<long long>(syscall(SYS_gettid))));
     }},
    {"CPU_COUNT",
     [](sqlite3_context* c, InstanceFacts&, sqlite3*) {
         const long count = sysconf(_SC_NPROCESSORS_ONLN);
         if (count <= 0) return sqlite3_result_null(c);
         ResultCount(c, count);
     }},
    {"WAL_BYTES", [](sqlite3_context* c, InstanceFacts&, sqlite3* db) { ResultWalBytes(c, db); }},
    {"WAL_SEQUENCE", [](sqlite3_context* c, InstanceFacts&, sqlite3* db) { ResultWalSequence(c, db); }},
    {"ZONE_NAMES",
     [](sqlite3_context* c, InstanceFacts&, sqlite3*) {
         sqlite3_result_text(c, ZoneNamesJson().c_str(), static_cast<int>(ZoneNamesJson().size()),
                             SQLITE_STATIC);
     }},
};

// ORA_INSTANCE_FACT(name): one of kFacts; NULL for one unknown.
void InstanceFact(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* facts = static_cast<InstanceFacts*>(sqlite3_user_data(context));
    const std::string name = sqliteapi::TextOf(argv[0]);
    for (const Fact& fact : kFacts)
        if (name == fact.name) return fact.result(context, *facts, sqlite3_context_db_handle(context));
    sqlite3_result_null(context);
}

}  // namespace

std::span<const CDictionaryView> CSqliteInstanceViews::Views() { return kViews; }

bool CSqliteInstanceViews::Register(sqlite3* db, const CSqliteSession* session) {
    auto* facts = new InstanceFacts{session, MeasureMemory(db)};
    return sqlite3_create_function_v2(
               db, "ORA_INSTANCE_FACT", 1, SQLITE_UTF8, facts, InstanceFact, nullptr, nullptr,
               [](void* data) { delete static_cast<InstanceFacts*>(data); }) == SQLITE_OK;
}

void CSqliteInstanceViews::Measure(sqlite3* db) {
    sqlite3_exec(db, "SELECT ORA_INSTANCE_FACT('MEASURE')", nullptr, nullptr, nullptr);
}

#include "engine/sqlite/CSqliteAdminViews.h"

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "engine/sqlite/CIndexExpression.h"
#include "engine/sqlite/CSqliteSystemViews.h"

namespace {

#define TARVEX_SHOWN3(x, owner)                                                  \
    {                                                                            \
        {"USER_" x, nullptr}, {"ALL_" x, owner ", *"}, { "DBA_" x, owner ", *" } \
    }

// The limits of the DEFAULT profile, every user's: the engine enforces
// none of them.
#define TARVEX_PROFILE_LIMITS                                                                             \
    "('COMPOSITE_LIMIT', 'KERNEL'), ('SESSIONS_PER_USER', 'KERNEL'), ('CPU_PER_SESSION', 'KERNEL'), "     \
    "('CPU_PER_CALL', 'KERNEL'), ('LOGICAL_READS_PER_SESSION', 'KERNEL'), ('LOGICAL_READS_PER_CALL', "    \
    "'KERNEL'), ('IDLE_TIME', 'KERNEL'), ('CONNECT_TIME', 'KERNEL'), ('PRIVATE_SGA', 'KERNEL'), "         \
    "('FAILED_LOGIN_ATTEMPTS', 'PASSWORD'), ('PASSWORD_LIFE_TIME', 'PASSWORD'), ('PASSWORD_REUSE_TIME', " \
    "'PASSWORD'), ('PASSWORD_REUSE_MAX', 'PASSWORD'), ('PASSWORD_VERIFY_FUNCTION', 'PASSWORD'), "         \
    "('PASSWORD_LOCK_TIME', 'PASSWORD'), ('PASSWORD_GRACE_TIME', 'PASSWORD'), ('INACTIVE_ACCOUNT_TIME', " \
    "'PASSWORD')"

// The database's NLS settings with the server's descriptions of them.
#define TARVEX_NLS_DESCRIPTIONS                                                                          \
    "('NLS_LANGUAGE', 'Language'), ('NLS_TERRITORY', 'Territory'), ('NLS_CURRENCY', 'Local currency'), " \
    "('NLS_ISO_CURRENCY', 'ISO currency'), ('NLS_NUMERIC_CHARACTERS', 'Numeric characters'), "           \
    "('NLS_CHARACTERSET', 'Character set'), ('NLS_CALENDAR', 'Calendar system'), ('NLS_DATE_FORMAT', "   \
    "'Date format'), ('NLS_DATE_LANGUAGE', 'Date language'), ('NLS_SORT', 'Linguistic definition'), "    \
    "('NLS_COMP', 'NLS comparison'), ('NLS_LENGTH_SEMANTICS', 'NLS length semantics'), "                 \
    "('NLS_NCHAR_CHARACTERSET', 'NCHAR Character set')"

const CDictionaryView kViews[] = {
    // The temporary tablespace is the connection's temporary database.
    {"TEMP_FILES",
     "FILE_NAME VARCHAR2(513), FILE_ID NUMBER, TABLESPACE_NAME VARCHAR2(30), BYTES NUMBER, BLOCKS NUMBER, "
     "STATUS VARCHAR2(7), RELATIVE_FNO NUMBER, AUTOEXTENSIBLE VARCHAR2(3), MAXBYTES NUMBER, MAXBLOCKS "
     "NUMBER, "
     "INCREMENT_BY NUMBER, USER_BYTES NUMBER, USER_BLOCKS NUMBER, SHARED VARCHAR2(12), INST_ID NUMBER",
     "SELECT nullif(d.file, ''), 1, 'TEMP', c.page_count * s.page_size, c.page_count, 'ONLINE', 1, 'YES', "
     "x.max_page_count * s.page_size, x.max_page_count, 1, c.page_count * s.page_size, c.page_count, "
     "'SHARED', NULL FROM pragma_database_list() d, pragma_page_count('temp') c, pragma_page_size('temp') s, "
     "pragma_max_page_count('temp') x WHERE d.name = 'temp'",
     "",
     {{"DBA_TEMP_FILES", nullptr}}},
    {"PROFILES",
     "PROFILE VARCHAR2(128), RESOURCE_NAME VARCHAR2(32), RESOURCE_TYPE VARCHAR2(8), \"LIMIT\" VARCHAR2(128), "
     "COMMON VARCHAR2(3), INHERITED VARCHAR2(3), IMPLICIT VARCHAR2(3)",
     "SELECT 'DEFAULT', column1, column2, iif(column1 = 'PASSWORD_VERIFY_FUNCTION', 'NULL', 'UNLIMITED'), "
     "'NO', 'NO', 'NO' FROM (VALUES " TARVEX_PROFILE_LIMITS ")",
     "",
     {{"DBA_PROFILES", nullptr}}},
    {"DIRECTORIES",
     "OWNER VARCHAR2(128), DIRECTORY_NAME VARCHAR2(128), DIRECTORY_PATH VARCHAR2(4000), ORIGIN_CON_ID NUMBER",
     "",
     "",
     {{"ALL_DIRECTORIES", nullptr}, {"DBA_DIRECTORIES", nullptr}}},
    {"DB_LINKS",
     "DB_LINK VARCHAR2(128), USERNAME VARCHAR2(128), HOST VARCHAR2(2000), CREATED DATE, HIDDEN VARCHAR2(3), "
     "SHARD_INTERNAL VARCHAR2(3), VALID VARCHAR2(3), INTRA_CDB VARCHAR2(3)",
     "",
     "OWNER",
     {{"USER_DB_LINKS",
       "DB_LINK, USERNAME, PASSWORD, HOST, CREATED, HIDDEN, SHARD_INTERNAL, VALID, INTRA_CDB"},
      {"ALL_DB_LINKS", "OWNER, *"},
      {"DBA_DB_LINKS", "OWNER, *"}},
     ", PASSWORD VARCHAR2(128)"},
    {"JOBS",
     "JOB NUMBER, LOG_USER VARCHAR2(128), PRIV_USER VARCHAR2(128), SCHEMA_USER VARCHAR2(128), LAST_DATE "
     "DATE, LAST_SEC VARCHAR2(8), THIS_DATE DATE, THIS_SEC VARCHAR2(8), NEXT_DATE DATE, NEXT_SEC "
     "VARCHAR2(8), TOTAL_TIME NUMBER, BROKEN VARCHAR2(1), INTERVAL VARCHAR2(200), FAILURES NUMBER, WHAT "
     "VARCHAR2(4000), NLS_ENV VARCHAR2(4000), MISC_ENV RAW(32), INSTANCE NUMBER",
     "",
     "",
     {{"USER_JOBS", nullptr}, {"ALL_JOBS", nullptr}, {"DBA_JOBS", nullptr}}},
    {"SCHEDULER_JOBS",
     "JOB_NAME VARCHAR2(128), JOB_SUBNAME VARCHAR2(128), JOB_STYLE VARCHAR2(17), JOB_CREATOR VARCHAR2(128), "
     "CLIENT_ID VARCHAR2(65), GLOBAL_UID VARCHAR2(33), PROGRAM_OWNER VARCHAR2(4000), PROGRAM_NAME "
     "VARCHAR2(4000), JOB_TYPE VARCHAR2(16), JOB_ACTION VARCHAR2(4000), NUMBER_OF_ARGUMENTS NUMBER, "
     "SCHEDULE_OWNER VARCHAR2(4000), SCHEDULE_NAME VARCHAR2(4000), SCHEDULE_TYPE VARCHAR2(12), START_DATE "
     "TIMESTAMP_WITH_TIME_ZONE(6), REPEAT_INTERVAL VARCHAR2(4000), END_DATE TIMESTAMP_WITH_TIME_ZONE(6), "
     "JOB_CLASS VARCHAR2(128), ENABLED VARCHAR2(5), AUTO_DROP VARCHAR2(5), RESTARTABLE VARCHAR2(5), STATE "
     "VARCHAR2(15), JOB_PRIORITY NUMBER, RUN_COUNT NUMBER, MAX_RUNS NUMBER, FAILURE_COUNT NUMBER, "
     "MAX_FAILURES NUMBER, RETRY_COUNT NUMBER, LAST_START_DATE TIMESTAMP_WITH_TIME_ZONE(6), "
     "NEXT_RUN_DATE TIMESTAMP_WITH_TIME_ZONE(6), SYSTEM VARCHAR2(5), COMMENTS VARCHAR2(4000)",
     "", "OWNER", TARVEX_SHOWN3("SCHEDULER_JOBS", "OWNER")},
    // Note: a LOB's value is kept in its row, with the pages it overflows
    // to in the table's own segment: it has no segment or index of its own.
    {"LOBS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), SEGMENT_NAME VARCHAR2(128), TABLESPACE_NAME "
     "VARCHAR2(30), INDEX_NAME VARCHAR2(128), CHUNK NUMBER, PCTVERSION NUMBER, RETENTION NUMBER, FREEPOOLS "
     "NUMBER, CACHE VARCHAR2(10), LOGGING VARCHAR2(7), ENCRYPT VARCHAR2(4), COMPRESSION VARCHAR2(6), "
     "DEDUPLICATION VARCHAR2(15), IN_ROW VARCHAR2(3), FORMAT VARCHAR2(15), PARTITIONED VARCHAR2(3), "
     "SECUREFILE VARCHAR2(3), SEGMENT_CREATED VARCHAR2(3), RETENTION_TYPE VARCHAR2(7), RETENTION_VALUE "
     "NUMBER",
     "SELECT upper(m.name), upper(p.name), NULL, 'USERS', NULL, s.page_size, NULL, NULL, NULL, 'YES', 'YES', "
     "'NONE', 'NONE', 'NONE', 'YES', iif(ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 0) = 'BLOB', 'NOT "
     "APPLICABLE', 'ENDIAN NEUTRAL'), iif(upper(m.name) IN (SELECT TABLE_NAME FROM main.TARVEX_PART_TABLES), "
     "'YES', 'NO'), 'NO', 'NO', NULL, NULL FROM main.sqlite_schema m, pragma_table_info(m.name) p LEFT JOIN "
     "main.TARVEX_COLUMNS c ON c.TABLE_NAME = upper(m.name) AND c.COLUMN_NAME = upper(p.name), "
     "pragma_page_size() s WHERE m.type = 'table' AND %U AND ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 0) "
     "IN ('CLOB', 'NCLOB', 'BLOB')",
     "OWNER", TARVEX_SHOWN3("LOBS", "OWNER")},
    {"DBA_RECYCLEBIN",
     "OWNER VARCHAR2(128), OBJECT_NAME VARCHAR2(128), ORIGINAL_NAME VARCHAR2(128), OPERATION VARCHAR2(9), "
     "TYPE VARCHAR2(25), TS_NAME VARCHAR2(30), CREATETIME VARCHAR2(19), DROPTIME VARCHAR2(19), DROPSCN "
     "NUMBER, PARTITION_NAME VARCHAR2(128), CAN_UNDROP VARCHAR2(3), CAN_PURGE VARCHAR2(3), RELATED NUMBER, "
     "BASE_OBJECT NUMBER, PURGE_OBJECT NUMBER, SPACE NUMBER",
     "",
     "",
     {{"DBA_RECYCLEBIN", nullptr}}},
    // Note: the engine counts no changes between gatherings of statistics.
    {"TAB_MODIFICATIONS",
     "TABLE_NAME VARCHAR2(128), PARTITION_NAME VARCHAR2(128), SUBPARTITION_NAME VARCHAR2(128), INSERTS "
     "NUMBER, UPDATES NUMBER, DELETES NUMBER, TIMESTAMP DATE, TRUNCATED VARCHAR2(3), DROP_SEGMENTS NUMBER",
     "", "TABLE_OWNER", TARVEX_SHOWN3("TAB_MODIFICATIONS", "TABLE_OWNER")},
    // The keys of function-based indexes, as the file's index holds them.
    {"IND_EXPRESSIONS",
     "INDEX_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_EXPRESSION LONG, COLUMN_POSITION NUMBER",
     "SELECT upper(m.name), upper(m.tbl_name), ORA_INDEX_KEY(m.sql, x.seqno), x.seqno + 1 FROM "
     "main.sqlite_schema m, pragma_index_xinfo(m.name) x WHERE m.type = 'index' AND m.sql IS NOT NULL AND "
     "x.key = 1 AND x.cid = -2 AND upper(m.tbl_name) NOT LIKE 'TARVEX%' AND m.name NOT LIKE 'TARVEX%'",
     "INDEX_OWNER, TABLE_OWNER",
     {{"USER_IND_EXPRESSIONS", "INDEX_NAME, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION"},
      {"ALL_IND_EXPRESSIONS",
       "INDEX_OWNER, INDEX_NAME, TABLE_OWNER, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION"},
      {"DBA_IND_EXPRESSIONS",
       "INDEX_OWNER, INDEX_NAME, TABLE_OWNER, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION"}}},
    {"DATABASE_PROPERTIES",
     "PROPERTY_NAME VARCHAR2(128), PROPERTY_VALUE VARCHAR2(4000), DESCRIPTION VARCHAR2(4000)",
     "SELECT column1, column2, column3 FROM (VALUES ('DICT.BASE', '2', 'dictionary base tables version #'), "
     "('DEFAULT_TEMP_TABLESPACE', 'TEMP', 'Name of default temporary tablespace'), "
     "('DEFAULT_PERMANENT_TABLESPACE', 'USERS', 'Name of default permanent tablespace'), "
     "('DEFAULT_TBS_TYPE', 'SMALLFILE', 'Default tablespace type'), ('DBTIMEZONE', ORA_DBTIMEZONE(), 'DB "
     "time zone'), ('GLOBAL_DB_NAME', ORA_SYS_CONTEXT('USERENV', 'DB_NAME'), 'Global database name'), "
     "('MAX_STRING_SIZE', 'STANDARD', 'MAX_STRING_SIZE parameter used for dictionary metadata')) UNION ALL "
     "SELECT n.column1, n.column2, d.column2 FROM (" TARVEX_NLS_DATABASE_ROWS
     ") n LEFT JOIN (VALUES " TARVEX_NLS_DESCRIPTIONS ") d ON d.column1 = n.column1",
     "",
     {{"DATABASE_PROPERTIES", nullptr}}},
};

#undef TARVEX_SHOWN3

// The end of the bracket or quoted name or literal that opens at `at`.
std::size_t Skip(std::string_view sql, std::size_t at) {
    if (sql.substr(at, 2) == "/*") {
        std::size_t close = sql.find("*/", at + 2);
        return close == std::string_view::npos ? sql.size() : close + 2;
    }
    const char open = sql[at];
    if (open == '\'' || open == '"') {
        std::size_t close = sql.find(open, at + 1);
        return close == std::string_view::npos ? sql.size() : close + 1;
    }
    int depth = 0;
    for (; at < sql.size(); ++at) {
        if (sql[at] == '\'' || sql[at] == '"' || sql.substr(at, 2) == "/*") {
            at = Skip(sql, at) - 1;
            continue;
        }
        if (sql[at] == '(') ++depth;
        if (sql[at] == ')' && --depth == 0) return at + 1;
    }
    return sql.size();
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The key at `position` (from 0) of an index's CREATE INDEX text, without
// its order and the brackets around an expression; "" when there is none.
std::string IndexKey(std::string_view sql, long long position) {
    std::size_t open = sql.find('(');
    if (open == std::string_view::npos) return {};
    const std::size_t end = Skip(sql, open) - 1;
    std::size_t begin = open + 1;
    for (std::size_t at = begin; at <= end && at < sql.size(); ++at) {
        if (sql[at] == '(' || sql[at] == '\'' || sql[at] == '"' || sql.substr(at, 2) == "/*") {
            at = Skip(sql, at) - 1;
            continue;
        }
        if (sql[at] != ',' && at != end) continue;
        if (position-- == 0) {
            std::string_view key = Trimmed(sql.substr(begin, at - begin));
            for (std::string_view order : {" ASC", " DESC"})
                if (key.size() > order.size() && key.substr(key.size() - order.size()) == order)
                    key = Trimmed(key.substr(0, key.size() - order.size()));
            if (std::string form = CIndexExpression::FromKey(key); !form.empty()) return form;
            if (key.size() >= 2 && key.front() == '(' && Skip(key, 0) == key.size())
                key = key.substr(1, key.size() - 2);
            return std::string(key);
        }
        begin = at + 1;
    }
    return {};
}

// ORA_INDEX_KEY(sql, position): IndexKey; NULL where there is none.
void IndexKeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    const unsigned char* sql = sqlite3_value_text(argv[0]);
    std::string key = sql != nullptr
                          ? IndexKey(reinterpret_cast<const char*>(sql), sqlite3_value_int64(argv[1]))
                          : std::string();
    if (key.empty()) return sqlite3_result_null(context);
    sqlite3_result_text(context, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::span<const CDictionaryView> CSqliteAdminViews::Views() { return kViews; }

bool CSqliteAdminViews::Register(sqlite3* db) {
    return sqlite3_create_function(db, "ORA_INDEX_KEY", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   IndexKeyFunction, nullptr, nullptr) == SQLITE_OK;
}

#include "engine/sqlite/CSqliteDictionary.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <unordered_map>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CConstraintCatalog.h"
#include "engine/sqlite/CDictionaryView.h"
#include "engine/sqlite/CNameList.h"
#include "engine/sqlite/CServerType.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteAdminViews.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteInstanceViews.h"
#include "engine/sqlite/CSqliteName.h"
#include "engine/sqlite/CSqliteSystemViews.h"
#include "engine/sqlite/CViewReferences.h"
#include "engine/sqlite/SqliteApi.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Statement = sqliteapi::Statement;

using sqliteapi::Prepare;

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

constexpr const char* kUserObjects = "m.name NOT LIKE 'sqlite%' AND upper(m.name) NOT LIKE 'TARVEX%'";

using Shown = CDictionaryShown;
using View = CDictionaryView;

#define TARVEX_SHOWN3(x)                                                       \
    {                                                                          \
        {"USER_" x, nullptr}, {"ALL_" x, "OWNER, *"}, { "DBA_" x, "OWNER, *" } \
    }

// The user's objects: name N, type T, status S and partition P. A key enforced with its
// table has an index of its name, as on the server.
#define TARVEX_OBJECT_ROWS                                                                                   \
    "SELECT m.name AS N, CASE WHEN m.name IN (SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS) "               \
    "THEN 'SYNONYM' ELSE upper(m.type) END AS T, iif(m.type <> 'view' OR TARVEX_VIEW_VALID(m.name), "        \
    "'VALID', 'INVALID') AS S, NULL AS P FROM main.sqlite_schema m WHERE "                                   \
    "m.type IN "                                                                                             \
    "('table', 'view', 'index', 'trigger') AND %U AND upper(m.tbl_name) NOT LIKE 'TARVEX%' UNION ALL "       \
    "SELECT CONSTRAINT_NAME, 'INDEX', 'VALID', NULL FROM main.TARVEX_CONSTRAINTS WHERE CONSTRAINT_TYPE IN "  \
    "('P', "                                                                                                 \
    "'U') AND ENFORCED_BY = 'TABLE' UNION ALL "                                                              \
    "SELECT NAME, 'SEQUENCE', 'VALID', NULL FROM main.TARVEX_SEQUENCES UNION ALL SELECT u.NAME, "            \
    "u.TYPE, "                                                                                               \
    "CASE WHEN EXISTS (SELECT 1 FROM main.TARVEX_UNIT_DEPENDENCIES d WHERE d.NAME = u.NAME AND d.TYPE = "    \
    "u.TYPE AND (d.REFERENCED_TYPE = 'TABLE' AND d.REFERENCED_NAME NOT IN (SELECT name FROM "                \
    "main.sqlite_schema UNION ALL SELECT name FROM temp.sqlite_schema) OR d.REFERENCED_TYPE <> "             \
    "'TABLE' AND d.REFERENCED_NAME NOT IN (SELECT NAME FROM main.TARVEX_UNITS))) THEN 'INVALID' ELSE "       \
    "u.STATUS END, NULL FROM main.TARVEX_UNITS u UNION ALL SELECT TABLE_NAME, 'TABLE PARTITION', 'VALID', "  \
    "PARTITION_NAME FROM main.TARVEX_PARTITIONS UNION ALL SELECT i.INDEX_NAME, 'INDEX PARTITION', 'VALID', " \
    "p.PARTITION_NAME FROM main.TARVEX_PART_INDEXES i JOIN main.TARVEX_PARTITIONS p ON p.TABLE_NAME = "      \
    "i.TABLE_NAME UNION ALL SELECT MVIEW_NAME, 'MATERIALIZED VIEW', 'VALID', NULL FROM main.TARVEX_MVIEWS"

// The schema's types, each with its shape as the compiler sees it (see CTypeShape).
#define TARVEX_TYPE_ROWS \
    "(SELECT NAME, TARVEX_TYPE_SHAPE(NAME) AS s FROM main.TARVEX_UNITS WHERE TYPE = 'TYPE')"

// The columns of tables and views (pragma_table_xinfo lists generated
// columns too, hidden 2 or 3): the select list up to the statistics, then
// `more` columns, FROM and WHERE.
#define TARVEX_COLUMN_STATISTICS                                                                      \
    "NUM_DISTINCT NUMBER, DENSITY NUMBER, NUM_NULLS NUMBER, NUM_BUCKETS NUMBER, LAST_ANALYZED DATE, " \
    "SAMPLE_SIZE NUMBER, AVG_COL_LEN NUMBER"
#define TARVEX_COLUMN_HIDDEN "coalesce(o.HIDDEN_COLUMN = 'YES', 0)"
// A column's default as written; an identity column's is its sequence's
// next value, named with its owner as the server shows it.
#define TARVEX_IDENTITY_DEFAULT                                                                         \
    "(SELECT coalesce('\"' || ORA_USER() || '\".', '') || '\"' || ident.SEQUENCE_NAME || '\".nextval' " \
    "FROM main.TARVEX_IDENTITIES ident WHERE ident.TABLE_NAME = m.name AND ident.COLUMN_NAME = p.name)"
#define TARVEX_COLUMN_DEFAULT \
    "coalesce(" TARVEX_IDENTITY_DEFAULT ", iif(c.TABLE_NAME IS NULL, p.dflt_value, c.DATA_DEFAULT))"
#define TARVEX_COLUMN_ROWS_WITH(more)                                                                        \
    "m.name, p.name, ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 0), "                                      \
    "ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 1), ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 2), "     \
    "ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 3), coalesce(c.NULLABLE, CASE WHEN p.\"notnull\" OR p.pk " \
    "THEN 'N' ELSE 'Y' END), CASE WHEN NOT " TARVEX_COLUMN_HIDDEN                                            \
    " THEN (SELECT count(*) FROM "                                                                           \
    "pragma_table_xinfo(m.name) v LEFT JOIN main.TARVEX_COLUMN_OPTIONS vo ON vo.TABLE_NAME = m.name "        \
    "AND vo.COLUMN_NAME = v.name WHERE v.hidden <> 1 AND v.cid <= p.cid AND "                                \
    "coalesce(vo.HIDDEN_COLUMN, 'NO') = 'NO') END, length(" TARVEX_COLUMN_DEFAULT                            \
    "), " TARVEX_COLUMN_DEFAULT                                                                              \
    ", "                                                                                                     \
    "ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 4), ORA_TYPE_PART(coalesce(c.DATA_TYPE, p.type), 5), "     \
    "coalesce(o.DEFAULT_ON_NULL, 'NO'), CASE WHEN EXISTS (SELECT 1 FROM main.TARVEX_IDENTITIES i WHERE "     \
    "i.TABLE_NAME = m.name AND i.COLUMN_NAME = p.name) THEN 'YES' ELSE 'NO' END, "                           \
    "cs.NUM_DISTINCT, iif(cs.NUM_DISTINCT > 0, 1.0 / cs.NUM_DISTINCT, cs.NUM_DISTINCT), cs.NUM_NULLS, "      \
    "iif(cs.NUM_DISTINCT > 0, 1, cs.NUM_DISTINCT), cs.LAST_ANALYZED, cs.SAMPLE_SIZE, cs.AVG_COL_LEN " more   \
    " FROM (SELECT name, type FROM main.sqlite_schema WHERE type <> 'view' OR TARVEX_VIEW_VALID(name) "      \
    "UNION ALL SELECT name, type FROM temp.sqlite_schema "                                                   \
    "WHERE name IN (SELECT TABLE_NAME FROM main.TARVEX_TEMPORARY)) m, pragma_table_xinfo(m.name) p "         \
    "LEFT JOIN main.TARVEX_COLUMNS c ON c.TABLE_NAME = m.name AND c.COLUMN_NAME = p.name "                   \
    "LEFT JOIN main.TARVEX_COLUMN_OPTIONS o ON o.TABLE_NAME = m.name AND o.COLUMN_NAME = "                   \
    "p.name LEFT JOIN main.TARVEX_COLUMN_STATS cs ON cs.TABLE_NAME = m.name AND "                            \
    "cs.COLUMN_NAME = p.name WHERE m.type IN ('table', 'view') AND %U AND p.hidden <> 1"
#define TARVEX_COLUMN_ROWS TARVEX_COLUMN_ROWS_WITH("")
// A column of a schema's type names the type's owner, the session's user
// (written by FillOwners where this marks it).
#define TARVEX_TYPE_OWNER                                                                                 \
    "CASE WHEN upper(coalesce(c.DATA_TYPE, p.type)) IN (SELECT NAME FROM main.TARVEX_UNITS WHERE TYPE = " \
    "'TYPE') THEN 'Y' END"

// The columns of USER_INDEXES in the server's order, after `owner`.
#define TARVEX_INDEX_COLUMNS(owner)                                                                       \
    owner                                                                                                 \
        "INDEX_NAME, INDEX_TYPE, TABLE_OWNER, TABLE_NAME, TABLE_TYPE, UNIQUENESS, TABLESPACE_NAME, "      \
        "LOGGING, BLEVEL, LEAF_BLOCKS, DISTINCT_KEYS, AVG_LEAF_BLOCKS_PER_KEY, AVG_DATA_BLOCKS_PER_KEY, " \
        "CLUSTERING_FACTOR, STATUS, NUM_ROWS, SAMPLE_SIZE, LAST_ANALYZED, DEGREE, PARTITIONED, "          \
        "TEMPORARY, GENERATED, VISIBILITY"

// Note: CONSTRAINTS and CONS_COLUMNS, without a query, are filled by All().
const View kViews[] = {
    {"PRIVATE_TEMP_TABLES",
     "TABLE_NAME VARCHAR2(128), TABLESPACE_NAME VARCHAR2(30), DURATION VARCHAR2(11), NUM_ROWS NUMBER",
     "SELECT TABLE_NAME, 'TEMP', DURATION, NULL FROM temp.TARVEX_PRIVATE", "OWNER",
     TARVEX_SHOWN3("PRIVATE_TEMP_TABLES")},
    {"PART_TABLES",
     "TABLE_NAME VARCHAR2(128), PARTITIONING_TYPE VARCHAR2(9), SUBPARTITIONING_TYPE VARCHAR2(9), "
     "PARTITION_COUNT NUMBER, DEF_SUBPARTITION_COUNT NUMBER, PARTITIONING_KEY_COUNT NUMBER, STATUS "
     "VARCHAR2(8), DEF_TABLESPACE_NAME VARCHAR2(30), INTERVAL VARCHAR2(1000)",
     "SELECT t.TABLE_NAME, t.PARTITIONING_TYPE, 'NONE', (SELECT count(*) FROM main.TARVEX_PARTITIONS p WHERE "
     "p.TABLE_NAME = t.TABLE_NAME), 0, length(t.KEY_COLUMNS) - length(replace(t.KEY_COLUMNS, ',', '')) + 1, "
     "'VALID', 'USERS', (SELECT i.INTERVAL FROM main.TARVEX_PART_INTERVALS i WHERE i.TABLE_NAME = "
     "t.TABLE_NAME) FROM main.TARVEX_PART_TABLES t",
     "OWNER", TARVEX_SHOWN3("PART_TABLES")},
    {"TAB_PARTITIONS",
     "TABLE_NAME VARCHAR2(128), COMPOSITE VARCHAR2(3), PARTITION_NAME VARCHAR2(128), SUBPARTITION_COUNT "
     "NUMBER, HIGH_VALUE LONG, HIGH_VALUE_LENGTH NUMBER, PARTITION_POSITION NUMBER, TABLESPACE_NAME "
     "VARCHAR2(30), NUM_ROWS NUMBER, LAST_ANALYZED DATE, INTERVAL VARCHAR2(3)",
     "SELECT p.TABLE_NAME, 'NO', p.PARTITION_NAME, 0, p.HIGH_VALUE, coalesce(length(p.HIGH_VALUE), 0), "
     "CASE WHEN i.RANGES IS NULL THEN p.POSITION ELSE (SELECT count(*) FROM main.TARVEX_PARTITIONS q WHERE "
     "q.TABLE_NAME = p.TABLE_NAME AND q.BOUNDS <= p.BOUNDS) END, 'USERS', p.NUM_ROWS, p.LAST_ANALYZED, CASE "
     "WHEN p.POSITION > i.RANGES THEN 'YES' ELSE 'NO' END FROM main.TARVEX_PARTITIONS p LEFT JOIN "
     "main.TARVEX_PART_INTERVALS i ON i.TABLE_NAME = p.TABLE_NAME",
     "TABLE_OWNER",
     {{"USER_TAB_PARTITIONS", nullptr},
      {"ALL_TAB_PARTITIONS", "TABLE_OWNER, *"},
      {"DBA_TAB_PARTITIONS", "TABLE_OWNER, *"}}},
    {"PART_KEY_COLUMNS",
     "NAME VARCHAR2(128), OBJECT_TYPE CHAR(5), COLUMN_NAME VARCHAR2(4000), COLUMN_POSITION NUMBER",
     "WITH RECURSIVE k(NAME, TYPE, REST, COL, POS) AS (SELECT TABLE_NAME, 'TABLE', KEY_COLUMNS || ',', NULL, "
     "0 "
     "FROM main.TARVEX_PART_TABLES UNION ALL SELECT i.INDEX_NAME, 'INDEX', t.KEY_COLUMNS || ',', NULL, 0 "
     "FROM "
     "main.TARVEX_PART_INDEXES i JOIN main.TARVEX_PART_TABLES t ON t.TABLE_NAME = i.TABLE_NAME UNION ALL "
     "SELECT NAME, TYPE, substr(REST, instr(REST, ',') + 1), substr(REST, 1, instr(REST, ',') - 1), POS + 1 "
     "FROM k WHERE REST <> '') SELECT NAME, TYPE, COL, POS FROM k WHERE POS > 0",
     "OWNER", TARVEX_SHOWN3("PART_KEY_COLUMNS")},
    {"PART_INDEXES",
     "INDEX_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), PARTITIONING_TYPE VARCHAR2(9), "
     "SUBPARTITIONING_TYPE VARCHAR2(9), PARTITION_COUNT NUMBER, PARTITIONING_KEY_COUNT NUMBER, LOCALITY "
     "VARCHAR2(6), ALIGNMENT VARCHAR2(12)",
     "SELECT i.INDEX_NAME, i.TABLE_NAME, t.PARTITIONING_TYPE, 'NONE', (SELECT count(*) FROM "
     "main.TARVEX_PARTITIONS p WHERE p.TABLE_NAME = t.TABLE_NAME), length(t.KEY_COLUMNS) - "
     "length(replace(t.KEY_COLUMNS, ',', '')) + 1, 'LOCAL', CASE WHEN (SELECT name FROM "
     "pragma_index_info(i.INDEX_NAME) WHERE seqno = 0) = substr(t.KEY_COLUMNS || ',', 1, instr(t.KEY_COLUMNS "
     "|| ',', ',') - 1) THEN 'PREFIXED' ELSE 'NON_PREFIXED' END FROM main.TARVEX_PART_INDEXES i JOIN "
     "main.TARVEX_PART_TABLES t ON t.TABLE_NAME = i.TABLE_NAME",
     "OWNER", TARVEX_SHOWN3("PART_INDEXES")},
    {"IND_PARTITIONS",
     "INDEX_NAME VARCHAR2(128), COMPOSITE VARCHAR2(3), PARTITION_NAME VARCHAR2(128), SUBPARTITION_COUNT "
     "NUMBER, HIGH_VALUE LONG, HIGH_VALUE_LENGTH NUMBER, PARTITION_POSITION NUMBER, STATUS VARCHAR2(8), "
     "TABLESPACE_NAME VARCHAR2(30)",
     "SELECT i.INDEX_NAME, 'NO', p.PARTITION_NAME, 0, p.HIGH_VALUE, coalesce(length(p.HIGH_VALUE), 0), "
     "p.POSITION, 'USABLE', 'USERS' FROM main.TARVEX_PART_INDEXES i JOIN main.TARVEX_PARTITIONS p ON "
     "p.TABLE_NAME = i.TABLE_NAME",
     "INDEX_OWNER",
     {{"USER_IND_PARTITIONS", nullptr},
      {"ALL_IND_PARTITIONS", "INDEX_OWNER, *"},
      {"DBA_IND_PARTITIONS", "INDEX_OWNER, *"}}},
    {"MVIEWS",
     "MVIEW_NAME VARCHAR2(128), CONTAINER_NAME VARCHAR2(128), QUERY LONG, QUERY_LEN NUMBER, UPDATABLE "
     "VARCHAR2(1), REWRITE_ENABLED VARCHAR2(1), REFRESH_MODE VARCHAR2(6), REFRESH_METHOD VARCHAR2(8), "
     "BUILD_MODE VARCHAR2(9), LAST_REFRESH_TYPE VARCHAR2(8), LAST_REFRESH_DATE DATE, STALENESS VARCHAR2(19), "
     "COMPILE_STATE VARCHAR2(19)",
     // Note: a view refreshed at every commit is fresh; of one refreshed on
     // demand the engine cannot tell whether its tables changed since.
     "SELECT MVIEW_NAME, MVIEW_NAME, QUERY, length(QUERY), 'N', REWRITE_ENABLED, REFRESH_MODE, "
     "REFRESH_METHOD, BUILD_MODE, CASE WHEN LAST_REFRESH_DATE IS NULL THEN 'NA' ELSE 'COMPLETE' END, "
     "LAST_REFRESH_DATE, CASE WHEN LAST_REFRESH_DATE IS NULL THEN 'UNUSABLE' WHEN REFRESH_MODE = 'COMMIT' "
     "THEN 'FRESH' ELSE 'UNKNOWN' END, 'VALID' FROM main.TARVEX_MVIEWS",
     "OWNER", TARVEX_SHOWN3("MVIEWS")},
    {"MVIEW_LOGS",
     "MASTER VARCHAR2(128), LOG_TABLE VARCHAR2(128), ROWIDS VARCHAR2(3), PRIMARY_KEY VARCHAR2(3)",
     "SELECT MASTER, LOG_TABLE, ROWIDS, PRIMARY_KEY FROM main.TARVEX_MVIEW_LOGS",
     "LOG_OWNER",
     {{"USER_MVIEW_LOGS", "LOG_OWNER, *"},
      {"ALL_MVIEW_LOGS", "LOG_OWNER, *"},
      {"DBA_MVIEW_LOGS", "LOG_OWNER, *"}}},
    {"TABLES",
     "TABLE_NAME VARCHAR2(128), TABLESPACE_NAME VARCHAR2(30), CLUSTER_NAME VARCHAR2(128), IOT_NAME "
     "VARCHAR2(128), STATUS VARCHAR2(8), PCT_FREE NUMBER, LOGGING VARCHAR2(3), NUM_ROWS NUMBER, BLOCKS "
     "NUMBER, "
     "AVG_ROW_LEN NUMBER, DEGREE VARCHAR2(10), CACHE VARCHAR2(5), LAST_ANALYZED DATE, PARTITIONED "
     "VARCHAR2(3), IOT_TYPE VARCHAR2(12), TEMPORARY "
     "VARCHAR2(1), DURATION VARCHAR2(15), COMPRESSION VARCHAR2(8), DROPPED VARCHAR2(3), READ_ONLY "
     "VARCHAR2(3), NESTED VARCHAR2(3)",
     // Note: the server right-aligns DEGREE and CACHE in their widths.
     "SELECT m.name, 'USERS', NULL, NULL, 'VALID', coalesce(o.PCT_FREE, 10), coalesce(o.LOGGING, "
     "'YES'), st.NUM_ROWS, st.BLOCKS, st.AVG_ROW_LEN, printf('%10s', coalesce(o.DEGREE, '1')), printf('%5s', "
     "coalesce(o.CACHE, 'N')), st.LAST_ANALYZED, CASE WHEN m.name IN (SELECT TABLE_NAME FROM "
     "main.TARVEX_PART_TABLES) THEN 'YES' ELSE 'NO' END, o.IOT_TYPE, 'N', NULL, coalesce(o.COMPRESSION, "
     "'DISABLED'), 'NO', coalesce(o.READ_ONLY, 'NO'), 'NO' FROM main.sqlite_schema m LEFT JOIN "
     "main.TARVEX_TABLE_STATS st ON st.TABLE_NAME = m.name LEFT JOIN main.TARVEX_TABLE_OPTIONS o ON "
     "o.TABLE_NAME = m.name WHERE m.type = 'table' AND %U UNION ALL "
     "SELECT "
     "TABLE_NAME, NULL, NULL, NULL, 'VALID', 0, 'NO', NULL, NULL, NULL, '         1', '    N', NULL, 'NO', "
     "NULL, 'Y', DURATION, 'DISABLED', 'NO', 'NO', 'NO' FROM main.TARVEX_TEMPORARY UNION ALL "
     // Note: the storage of a nested table column is a table of its own, NESTED, on the server.
     "SELECT TABLE_NAME, 'USERS', NULL, NULL, 'VALID', 10, 'YES', NULL, NULL, NULL, '         1', '    N', "
     "NULL, 'NO', NULL, 'N', NULL, 'DISABLED', 'NO', 'NO', 'YES' FROM main.TARVEX_NESTED_TABLES",
     "OWNER",
     {{"USER_TABLES", nullptr}, {"ALL_TABLES", "OWNER, *"}, {"DBA_TABLES", "OWNER, *"}, {"TABS", nullptr}}},
    {"TAB_COLUMNS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), DATA_TYPE VARCHAR2(128), DATA_LENGTH NUMBER, "
     "DATA_PRECISION NUMBER, DATA_SCALE NUMBER, NULLABLE VARCHAR2(1), COLUMN_ID NUMBER, DEFAULT_LENGTH "
     "NUMBER, DATA_DEFAULT LONG, CHAR_LENGTH NUMBER, CHAR_USED VARCHAR2(1), DEFAULT_ON_NULL VARCHAR2(3), "
     "IDENTITY_COLUMN VARCHAR2(3), " TARVEX_COLUMN_STATISTICS ", DATA_TYPE_OWNER VARCHAR2(128)",
     "SELECT " TARVEX_COLUMN_ROWS_WITH(", " TARVEX_TYPE_OWNER) " AND NOT " TARVEX_COLUMN_HIDDEN,
     "OWNER",
     {{"USER_TAB_COLUMNS", nullptr},
      {"ALL_TAB_COLUMNS", "OWNER, *"},
      {"DBA_TAB_COLUMNS", "OWNER, *"},
      {"COLS", nullptr}}},
    // Note: whether a view's column takes DML is the engine's rule of key-preserved tables (CJoinView).
    {"UPDATABLE_COLUMNS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), UPDATABLE VARCHAR2(3), INSERTABLE VARCHAR2(3), "
     "DELETABLE VARCHAR2(3)",
     "SELECT m.name, p.name, TARVEX_UPDATABLE(m.name, p.name, 'U'), "
     "TARVEX_UPDATABLE(m.name, p.name, 'I'), TARVEX_UPDATABLE(m.name, p.name, "
     "'D') FROM main.sqlite_schema m, pragma_table_info(m.name) p WHERE (m.type = 'table' OR m.type = "
     "'view' AND TARVEX_VIEW_VALID(m.name)) AND %U",
     "OWNER",
     {{"USER_UPDATABLE_COLUMNS", "OWNER, *"},
      {"ALL_UPDATABLE_COLUMNS", "OWNER, *"},
      {"DBA_UPDATABLE_COLUMNS", "OWNER, *"}}},
    // Note: USER_TAB_COLS also shows INVISIBLE columns, which have no COLUMN_ID.
    {"TAB_COLS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), DATA_TYPE VARCHAR2(128), DATA_LENGTH NUMBER, "
     "DATA_PRECISION NUMBER, DATA_SCALE NUMBER, NULLABLE VARCHAR2(1), COLUMN_ID NUMBER, DEFAULT_LENGTH "
     "NUMBER, DATA_DEFAULT LONG, CHAR_LENGTH NUMBER, CHAR_USED VARCHAR2(1), DEFAULT_ON_NULL VARCHAR2(3), "
     "IDENTITY_COLUMN VARCHAR2(3), " TARVEX_COLUMN_STATISTICS ", HIDDEN_COLUMN VARCHAR2(3), VIRTUAL_COLUMN "
     "VARCHAR2(3), DATA_TYPE_OWNER VARCHAR2(128)",
     "SELECT " TARVEX_COLUMN_ROWS_WITH(", CASE WHEN " TARVEX_COLUMN_HIDDEN
                                       " THEN 'YES' ELSE 'NO' END, CASE WHEN "
                                       "p.hidden >= 2 THEN 'YES' ELSE 'NO' END, " TARVEX_TYPE_OWNER),
     "OWNER",
     {{"USER_TAB_COLS", nullptr}, {"ALL_TAB_COLS", "OWNER, *"}, {"DBA_TAB_COLS", "OWNER, *"}}},
    {"NESTED_TABLES",
     "TABLE_NAME VARCHAR2(128), TABLE_TYPE_OWNER VARCHAR2(128), TABLE_TYPE_NAME VARCHAR2(128), "
     "PARENT_TABLE_NAME VARCHAR2(128), PARENT_TABLE_COLUMN VARCHAR2(4000), STORAGE_SPEC VARCHAR2(30), "
     "RETURN_TYPE VARCHAR2(20), ELEMENT_SUBSTITUTABLE VARCHAR2(25)",
     "SELECT TABLE_NAME, ORA_USER(), TABLE_TYPE_NAME, PARENT_TABLE_NAME, PARENT_TABLE_COLUMN, STORAGE_SPEC, "
     "RETURN_TYPE, 'N' FROM main.TARVEX_NESTED_TABLES",
     "OWNER", TARVEX_SHOWN3("NESTED_TABLES")},
    {"VIEWS", "VIEW_NAME VARCHAR2(128), TEXT_LENGTH NUMBER, TEXT LONG, READ_ONLY VARCHAR2(1)",
     "SELECT v.VIEW_NAME, length(v.TEXT), v.TEXT, v.READ_ONLY FROM main.TARVEX_VIEWS v JOIN "
     "main.sqlite_schema m ON m.type = 'view' AND m.name = v.VIEW_NAME WHERE v.VIEW_NAME NOT IN "
     "(SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS)",
     "OWNER", TARVEX_SHOWN3("VIEWS")},
    {"SYNONYMS",
     "SYNONYM_NAME VARCHAR2(128), TABLE_OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128), DB_LINK "
     "VARCHAR2(128)",
     "SELECT SYNONYM_NAME, TABLE_OWNER, TABLE_NAME, NULL FROM main.TARVEX_SYNONYMS",
     "OWNER",
     {{"USER_SYNONYMS", nullptr},
      {"ALL_SYNONYMS", "OWNER, *"},
      {"DBA_SYNONYMS", "OWNER, *"},
      {"SYN", nullptr}}},
    {"INDEXES",
     "INDEX_NAME VARCHAR2(128), INDEX_TYPE VARCHAR2(27), TABLE_NAME VARCHAR2(128), TABLE_TYPE VARCHAR2(11), "
     "UNIQUENESS VARCHAR2(9), TABLESPACE_NAME VARCHAR2(30), LOGGING VARCHAR2(3), BLEVEL NUMBER, LEAF_BLOCKS "
     "NUMBER, DISTINCT_KEYS NUMBER, AVG_LEAF_BLOCKS_PER_KEY NUMBER, AVG_DATA_BLOCKS_PER_KEY NUMBER, "
     "CLUSTERING_FACTOR NUMBER, STATUS VARCHAR2(8), NUM_ROWS NUMBER, SAMPLE_SIZE NUMBER, LAST_ANALYZED DATE, "
     "DEGREE VARCHAR2(40), PARTITIONED VARCHAR2(3), TEMPORARY VARCHAR2(1), GENERATED VARCHAR2(1), VISIBILITY "
     "VARCHAR2(9)",
     // Note: the options of a key's index are set when it bears the key's name (NameKeyIndexes).
     // The blocks per key are the server's: leaf blocks over distinct keys, and
     // the clustering factor over distinct keys, each at least 1.
     "SELECT m.name, 'NORMAL', m.tbl_name, 'TABLE', CASE WHEN m.sql IS NULL OR upper(m.sql) LIKE "
     "'CREATE UNIQUE%' THEN 'UNIQUE' ELSE 'NONUNIQUE' END, 'USERS', 'YES', s.BLEVEL, s.LEAF_BLOCKS, "
     "s.DISTINCT_KEYS, iif(s.DISTINCT_KEYS > 0, max(1, s.LEAF_BLOCKS / s.DISTINCT_KEYS), "
     "iif(s.DISTINCT_KEYS = 0, 0, NULL)), iif(s.DISTINCT_KEYS > 0, max(1, s.CLUSTERING_FACTOR / "
     "s.DISTINCT_KEYS), iif(s.DISTINCT_KEYS = 0, 0, NULL)), s.CLUSTERING_FACTOR, 'VALID', s.NUM_ROWS, "
     "s.SAMPLE_SIZE, s.LAST_ANALYZED, '1', CASE WHEN m.name IN (SELECT INDEX_NAME FROM "
     "main.TARVEX_PART_INDEXES) THEN 'YES' ELSE 'NO' END, 'N', iif(m.sql IS NULL, 'Y', 'N'), 'VISIBLE' FROM "
     "main.sqlite_schema m LEFT JOIN main.TARVEX_INDEX_STATS s ON s.INDEX_NAME = m.name AND s.TABLE_NAME = "
     "m.tbl_name WHERE m.type = 'index' AND upper(m.tbl_name) NOT LIKE 'TARVEX%' AND m.name NOT LIKE "
     "'TARVEX%'",
     "OWNER, TABLE_OWNER",
     {{"USER_INDEXES", TARVEX_INDEX_COLUMNS("")},
      {"ALL_INDEXES", TARVEX_INDEX_COLUMNS("OWNER, ")},
      {"DBA_INDEXES", TARVEX_INDEX_COLUMNS("OWNER, ")},
      {"IND", TARVEX_INDEX_COLUMNS("")}}},
    {"IND_COLUMNS",
     "INDEX_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), COLUMN_POSITION "
     "NUMBER, DESCEND VARCHAR2(4)",
     "SELECT m.name, m.tbl_name, i.name, i.seqno + 1, 'ASC' FROM main.sqlite_schema m, "
     "pragma_index_info(m.name) i WHERE m.type = 'index' AND upper(m.tbl_name) NOT LIKE 'TARVEX%' AND m.name "
     "NOT LIKE 'TARVEX%'",
     "INDEX_OWNER, TABLE_OWNER",
     {{"USER_IND_COLUMNS", nullptr},
      {"ALL_IND_COLUMNS",
       "INDEX_OWNER, INDEX_NAME, TABLE_OWNER, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND"},
      {"DBA_IND_COLUMNS",
       "INDEX_OWNER, INDEX_NAME, TABLE_OWNER, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND"}}},
    {"SEQUENCES",
     "SEQUENCE_NAME VARCHAR2(128), MIN_VALUE NUMBER, MAX_VALUE NUMBER, INCREMENT_BY NUMBER, CYCLE_FLAG "
     "VARCHAR2(1), ORDER_FLAG VARCHAR2(1), CACHE_SIZE NUMBER, LAST_NUMBER NUMBER",
     "SELECT s.NAME, ORA_STORE_NUMBER(coalesce(o.MIN_VALUE, CASE WHEN s.STEP > 0 THEN '1' ELSE "
     "'-999999999999999999999999999' END), 0, -1000, 'MIN_VALUE', 0), ORA_STORE_NUMBER(coalesce(o.MAX_VALUE, "
     "CASE WHEN s.STEP > 0 THEN '9999999999999999999999999999' ELSE '-1' END), 0, -1000, 'MAX_VALUE', 0), "
     "s.STEP, coalesce(o.CYCLE_FLAG, 'N'), coalesce(o.ORDER_FLAG, "
     "'N'), coalesce(o.CACHE_SIZE, 20), s.NEXT_VALUE FROM main.TARVEX_SEQUENCES s LEFT JOIN "
     "main.TARVEX_SEQUENCE_OPTIONS o ON o.NAME = s.NAME",
     "SEQUENCE_OWNER",
     {{"USER_SEQUENCES", nullptr},
      {"ALL_SEQUENCES", "SEQUENCE_OWNER, *"},
      {"DBA_SEQUENCES", "SEQUENCE_OWNER, *"},
      {"SEQ", nullptr}}},
    {"OBJECTS",
     "OBJECT_NAME VARCHAR2(128), SUBOBJECT_NAME VARCHAR2(128), OBJECT_TYPE VARCHAR2(23), CREATED DATE, "
     "LAST_DDL_TIME DATE, TIMESTAMP VARCHAR2(19), STATUS VARCHAR2(7)",
     "SELECT o.N, o.P, o.T, t.CREATED, t.LAST_DDL_TIME, replace(t.SPEC_TIME, ' ', ':'), o.S FROM "
     "(" TARVEX_OBJECT_ROWS " UNION ALL SELECT TABLE_NAME, 'TABLE', 'VALID', NULL FROM "
     "main.TARVEX_NESTED_TABLES) o LEFT JOIN main.TARVEX_OBJECT_TIMES t ON t.NAME = o.N AND t.TYPE = o.T",
     "OWNER",
     {{"USER_OBJECTS", nullptr}, {"ALL_OBJECTS", "OWNER, *"}, {"DBA_OBJECTS", "OWNER, *"}, {"OBJ", nullptr}}},
    {"SOURCE", "NAME VARCHAR2(128), TYPE VARCHAR2(12), LINE NUMBER, TEXT VARCHAR2(4000)",
     "WITH RECURSIVE s(NAME, TYPE, LINE, REST, TEXT) AS (SELECT NAME, TYPE, 0, SOURCE || char(10), NULL FROM "
     "main.TARVEX_UNITS UNION ALL SELECT NAME, TYPE, LINE + 1, substr(REST, instr(REST, char(10)) + 1), "
     "substr(REST, 1, instr(REST, char(10))) FROM s WHERE REST <> '') SELECT NAME, TYPE, LINE, TEXT FROM s "
     "WHERE LINE > 0",
     "OWNER", TARVEX_SHOWN3("SOURCE")},
    {"ERRORS",
     "NAME VARCHAR2(128), TYPE VARCHAR2(12), SEQUENCE NUMBER, LINE NUMBER, POSITION NUMBER, TEXT "
     "VARCHAR2(4000), ATTRIBUTE VARCHAR2(9), MESSAGE_NUMBER NUMBER",
     "SELECT NAME, TYPE, SEQUENCE, LINE, POSITION, TEXT, 'ERROR', CAST(substr(TEXT, 5, 5) AS INTEGER) FROM "
     "main.TARVEX_UNIT_ERRORS",
     "OWNER", TARVEX_SHOWN3("ERRORS")},
    {"PROCEDURES",
     "OBJECT_NAME VARCHAR2(128), PROCEDURE_NAME VARCHAR2(128), OBJECT_TYPE VARCHAR2(13), AGGREGATE "
     "VARCHAR2(3), PIPELINED VARCHAR2(3), DETERMINISTIC VARCHAR2(3)",
     "SELECT NAME, NULL, TYPE, 'NO', 'NO', 'NO' FROM main.TARVEX_UNITS", "OWNER",
     TARVEX_SHOWN3("PROCEDURES")},
    {"TYPES",
     "TYPE_NAME VARCHAR2(128), TYPECODE VARCHAR2(128), ATTRIBUTES NUMBER, METHODS NUMBER, PREDEFINED "
     "VARCHAR2(3), INCOMPLETE VARCHAR2(3), FINAL VARCHAR2(3), INSTANTIABLE VARCHAR2(3), SUPERTYPE_OWNER "
     "VARCHAR2(128), SUPERTYPE_NAME VARCHAR2(128), LOCAL_ATTRIBUTES NUMBER, LOCAL_METHODS NUMBER",
     "SELECT NAME, json_extract(s, '$.code'), json_array_length(s, '$.attrs'), "
     "coalesce(json_array_length(s, '$.methods'), 0), 'NO', 'NO', "
     "coalesce(json_extract(s, '$.final'), 'YES'), 'YES', NULL, NULL, NULL, NULL FROM " TARVEX_TYPE_ROWS,
     "OWNER", TARVEX_SHOWN3("TYPES")},
    {"COLL_TYPES",
     "TYPE_NAME VARCHAR2(128), COLL_TYPE VARCHAR2(128), UPPER_BOUND NUMBER, ELEM_TYPE_MOD VARCHAR2(7), "
     "ELEM_TYPE_OWNER VARCHAR2(128), ELEM_TYPE_NAME VARCHAR2(128), LENGTH NUMBER, PRECISION NUMBER, SCALE "
     "NUMBER",
     "SELECT NAME, json_extract(s, '$.kind'), json_extract(s, '$.bound'), NULL, CASE WHEN json_extract(s, "
     "'$.element[0]') IN (SELECT NAME FROM main.TARVEX_UNITS WHERE TYPE = 'TYPE') THEN ORA_USER() END, "
     "json_extract(s, '$.element[0]'), json_extract(s, '$.element[1]'), json_extract(s, '$.element[2]'), "
     "json_extract(s, '$.element[3]') FROM " TARVEX_TYPE_ROWS " WHERE json_extract(s, '$.code') = "
     "'COLLECTION'",
     "OWNER", TARVEX_SHOWN3("COLL_TYPES")},
    {"TYPE_ATTRS",
     "TYPE_NAME VARCHAR2(128), ATTR_NAME VARCHAR2(128), ATTR_TYPE_MOD VARCHAR2(7), ATTR_TYPE_OWNER "
     "VARCHAR2(128), ATTR_TYPE_NAME VARCHAR2(128), LENGTH NUMBER, PRECISION NUMBER, SCALE NUMBER, ATTR_NO "
     "NUMBER",
     "SELECT t.NAME, json_extract(a.value, '$[0]'), NULL, CASE WHEN json_extract(a.value, '$[1][0]') IN "
     "(SELECT NAME FROM main.TARVEX_UNITS WHERE TYPE = 'TYPE') THEN ORA_USER() END, json_extract(a.value, "
     "'$[1][0]'), json_extract(a.value, '$[1][1]'), json_extract(a.value, '$[1][2]'), json_extract(a.value, "
     "'$[1][3]'), a.key + 1 FROM " TARVEX_TYPE_ROWS " t, json_each(t.s, '$.attrs') a",
     "OWNER", TARVEX_SHOWN3("TYPE_ATTRS")},
    {"TYPE_METHODS",
     "TYPE_NAME VARCHAR2(128), METHOD_NAME VARCHAR2(128), METHOD_NO NUMBER, METHOD_TYPE VARCHAR2(6), "
     "PARAMETERS NUMBER, RESULTS NUMBER, FINAL VARCHAR2(3), INSTANTIABLE VARCHAR2(3), OVERRIDING "
     "VARCHAR2(3), "
     "INHERITED VARCHAR2(3)",
     "SELECT t.NAME, json_extract(m.value, '$[0]'), m.key + 1, CASE WHEN json_extract(m.value, '$[1]') IN "
     "('MAP', 'ORDER') THEN json_extract(m.value, '$[1]') ELSE 'PUBLIC' END, json_extract(m.value, '$[3]'), "
     "json_extract(m.value, '$[2]'), 'YES', 'YES', 'NO', 'NO' FROM " TARVEX_TYPE_ROWS
     " t, json_each(t.s, '$.methods') m",
     "OWNER", TARVEX_SHOWN3("TYPE_METHODS")},
    // Note: a unit's references are those its compilation recorded (a view
    // read by its SQL is recorded as a table) and the sequences its source
    // takes values of; a view's are the names its
    // query gives in FROM clauses, before .NEXTVAL and before argument lists
    // that are objects of the schema; a trigger also depends on its table.
    {"DEPENDENCIES",
     "NAME VARCHAR2(128), TYPE VARCHAR2(19), REFERENCED_OWNER VARCHAR2(128), REFERENCED_NAME VARCHAR2(128), "
     "REFERENCED_TYPE VARCHAR2(19), REFERENCED_LINK_NAME VARCHAR2(128), DEPENDENCY_TYPE VARCHAR2(4)",
     "SELECT NAME, TYPE, ORA_USER(), REFERENCED_NAME, CASE WHEN REFERENCED_TYPE <> 'TABLE' THEN "
     "REFERENCED_TYPE WHEN REFERENCED_NAME IN (SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS) THEN 'SYNONYM' "
     "WHEN REFERENCED_NAME IN (SELECT name FROM main.sqlite_schema WHERE type = 'view') THEN 'VIEW' ELSE "
     "'TABLE' END, NULL, 'HARD' FROM (SELECT NAME, TYPE, REFERENCED_NAME, REFERENCED_TYPE FROM "
     "main.TARVEX_UNIT_DEPENDENCIES UNION SELECT t.TRIGGER_NAME, 'TRIGGER', t.TABLE_NAME, 'TABLE' FROM "
     "main.TARVEX_TRIGGERS t UNION SELECT u.NAME, u.TYPE, json_extract(j.value, '$[0]'), 'SEQUENCE' FROM "
     "main.TARVEX_UNITS u, json_each(TARVEX_VIEW_REFERENCES(u.SOURCE)) j WHERE json_extract(j.value, '$[1]') "
     "= 'SEQUENCE' AND json_extract(j.value, '$[0]') IN (SELECT NAME FROM main.TARVEX_SEQUENCES)) UNION ALL "
     "SELECT VIEW_NAME, 'VIEW', ORA_USER(), N, CASE H WHEN 'OBJECT' THEN "
     "coalesce((SELECT 'SYNONYM' FROM main.TARVEX_SYNONYMS s WHERE s.SYNONYM_NAME = N), (SELECT "
     "upper(o.type) "
     "FROM main.sqlite_schema o WHERE o.name = N AND o.type IN ('table', 'view') AND upper(o.name) NOT LIKE "
     "'TARVEX%')) WHEN 'SEQUENCE' THEN (SELECT 'SEQUENCE' FROM main.TARVEX_SEQUENCES q WHERE q.NAME = N) "
     "ELSE "
     "(SELECT u.TYPE FROM main.TARVEX_UNITS u WHERE u.NAME = N AND u.TYPE IN ('FUNCTION', 'PACKAGE')) END AS "
     "T, NULL, 'HARD' FROM (SELECT v.VIEW_NAME, json_extract(j.value, '$[0]') AS N, json_extract(j.value, "
     "'$[1]') AS H FROM main.TARVEX_VIEWS v JOIN main.sqlite_schema m ON m.type = 'view' AND m.name = "
     "v.VIEW_NAME, json_each(TARVEX_VIEW_REFERENCES(v.TEXT)) j WHERE v.VIEW_NAME NOT IN (SELECT SYNONYM_NAME "
     "FROM main.TARVEX_SYNONYMS)) WHERE T IS NOT NULL AND N <> VIEW_NAME",
     "OWNER", TARVEX_SHOWN3("DEPENDENCIES")},
    {"ARGUMENTS",
     "OBJECT_NAME VARCHAR2(128), PACKAGE_NAME VARCHAR2(128), OVERLOAD VARCHAR2(40), ARGUMENT_NAME "
     "VARCHAR2(128), POSITION NUMBER, SEQUENCE NUMBER, DATA_LEVEL NUMBER, DATA_TYPE VARCHAR2(30), IN_OUT "
     "VARCHAR2(9)",
     "SELECT NAME, PACKAGE_NAME, OVERLOAD, ARGUMENT_NAME, POSITION, COALESCE(SEQUENCE, POSITION + 1), 0, "
     "DATA_TYPE, IN_OUT FROM "
     "main.TARVEX_UNIT_ARGUMENTS",
     "OWNER", TARVEX_SHOWN3("ARGUMENTS")},
    {"TRIGGERS",
     "TRIGGER_NAME VARCHAR2(128), TRIGGER_TYPE VARCHAR2(16), TRIGGERING_EVENT VARCHAR2(246), TABLE_NAME "
     "VARCHAR2(128), BASE_OBJECT_TYPE VARCHAR2(18), WHEN_CLAUSE VARCHAR2(4000), STATUS VARCHAR2(8), "
     "TRIGGER_BODY LONG",
     "SELECT m.name, NULL, NULL, m.tbl_name, 'TABLE', NULL, 'ENABLED', m.sql FROM "
     "main.sqlite_schema m WHERE m.type = 'trigger' AND m.name NOT LIKE 'TARVEX%' UNION ALL SELECT "
     "t.TRIGGER_NAME, t.TRIGGER_TYPE, t.TRIGGERING_EVENT, t.TABLE_NAME, CASE t.TRIGGER_TYPE WHEN 'INSTEAD "
     "OF' "
     "THEN 'VIEW' ELSE 'TABLE' END, t.WHEN_CLAUSE, t.STATUS, substr(u.SOURCE, instr(upper(u.SOURCE), "
     "'BEGIN')) "
     "FROM main.TARVEX_TRIGGERS t JOIN main.TARVEX_UNITS u ON u.NAME = t.TRIGGER_NAME AND u.TYPE = 'TRIGGER' "
     "WHERE t.TABLE_NAME IN (SELECT name FROM main.sqlite_schema WHERE type IN ('table', 'view'))",
     "OWNER, TABLE_OWNER",
     {{"USER_TRIGGERS",
       "TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER, BASE_OBJECT_TYPE, TABLE_NAME, "
       "WHEN_CLAUSE, STATUS, TRIGGER_BODY"},
      {"ALL_TRIGGERS",
       "OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER, BASE_OBJECT_TYPE, TABLE_NAME, "
       "WHEN_CLAUSE, STATUS, TRIGGER_BODY"},
      {"DBA_TRIGGERS",
       "OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER, BASE_OBJECT_TYPE, TABLE_NAME, "
       "WHEN_CLAUSE, STATUS, TRIGGER_BODY"}}},
    {"TRIGGER_ORDERING",
     "TRIGGER_NAME VARCHAR2(128), REFERENCED_TRIGGER_NAME VARCHAR2(128), ORDERING_TYPE VARCHAR2(8)",
     "SELECT t.TRIGGER_NAME, j.value ->> 1, j.value ->> 0 FROM main.TARVEX_TRIGGERS t JOIN main.TARVEX_UNITS "
     "u "
     "ON u.NAME = t.TRIGGER_NAME AND u.TYPE = 'TRIGGER', json_each(TARVEX_TRIGGER_ORDER(u.SOURCE)) j ORDER "
     "BY "
     "t.rowid, j.key",
     "TRIGGER_OWNER, REFERENCED_TRIGGER_OWNER",
     {{"USER_TRIGGER_ORDERING",
       "TRIGGER_NAME, REFERENCED_TRIGGER_OWNER, REFERENCED_TRIGGER_NAME, ORDERING_TYPE"},
      {"ALL_TRIGGER_ORDERING",
       "TRIGGER_OWNER, TRIGGER_NAME, REFERENCED_TRIGGER_OWNER, REFERENCED_TRIGGER_NAME, ORDERING_TYPE"},
      {"DBA_TRIGGER_ORDERING",
       "TRIGGER_OWNER, TRIGGER_NAME, REFERENCED_TRIGGER_OWNER, REFERENCED_TRIGGER_NAME, ORDERING_TYPE"}}},
    {"TAB_COMMENTS", "TABLE_NAME VARCHAR2(128), TABLE_TYPE VARCHAR2(11), COMMENTS VARCHAR2(4000)",
     "SELECT m.name, upper(m.type), c.COMMENTS FROM main.sqlite_schema m LEFT JOIN "
     "main.TARVEX_COMMENTS c ON c.TABLE_NAME = m.name AND c.COLUMN_NAME = '' WHERE m.type IN "
     "('table', 'view') AND %U",
     "OWNER", TARVEX_SHOWN3("TAB_COMMENTS")},
    {"COL_COMMENTS", "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), COMMENTS VARCHAR2(4000)",
     "SELECT m.name, p.name, c.COMMENTS FROM main.sqlite_schema m JOIN "
     "pragma_table_info(m.name) p LEFT JOIN main.TARVEX_COMMENTS c ON c.TABLE_NAME = m.name AND "
     "c.COLUMN_NAME = p.name WHERE m.type IN ('table', 'view') AND %U",
     "OWNER", TARVEX_SHOWN3("COL_COMMENTS")},
    {"TAB_IDENTITY_COLS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), GENERATION_TYPE VARCHAR2(10), SEQUENCE_NAME "
     "VARCHAR2(128), IDENTITY_OPTIONS VARCHAR2(298)",
     "SELECT TABLE_NAME, COLUMN_NAME, GENERATION_TYPE, SEQUENCE_NAME, IDENTITY_OPTIONS FROM "
     "main.TARVEX_IDENTITIES",
     "OWNER", TARVEX_SHOWN3("TAB_IDENTITY_COLS")},
    {"CATALOG",
     "TABLE_NAME VARCHAR2(128), TABLE_TYPE VARCHAR2(11)",
     "SELECT m.name, CASE WHEN m.name IN (SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS) THEN "
     "'SYNONYM' ELSE upper(m.type) END FROM main.sqlite_schema m WHERE m.type IN ('table', 'view') AND %U "
     "UNION ALL SELECT TABLE_NAME, 'TABLE' FROM main.TARVEX_TEMPORARY UNION ALL SELECT NAME, "
     "'SEQUENCE' FROM main.TARVEX_SEQUENCES",
     "OWNER",
     {{"USER_CATALOG", nullptr}, {"ALL_CATALOG", "OWNER, *"}, {"CAT", nullptr}}},
    {"TAB",
     "TNAME VARCHAR2(128), TABTYPE VARCHAR2(13), CLUSTERID NUMBER",
     "SELECT m.name, CASE WHEN m.name IN (SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS) THEN "
     "'SYNONYM' ELSE upper(m.type) END, NULL FROM main.sqlite_schema m WHERE m.type IN ('table', 'view') AND "
     "%U UNION ALL SELECT TABLE_NAME, 'TABLE', NULL FROM main.TARVEX_TEMPORARY",
     "",
     {{"TAB", nullptr}}},
    {"USERS",
     "USERNAME VARCHAR2(128), USER_ID NUMBER, ACCOUNT_STATUS VARCHAR2(32), LOCK_DATE DATE, EXPIRY_DATE "
     "DATE, DEFAULT_TABLESPACE VARCHAR2(30), TEMPORARY_TABLESPACE VARCHAR2(30), CREATED DATE, PROFILE "
     "VARCHAR2(128), COMMON VARCHAR2(3), ORACLE_MAINTAINED VARCHAR2(1)",
     // Note: the user is as old as the file; no password ages or locks it.
     "SELECT ORA_USER(), ORA_UID(), 'OPEN', NULL, NULL, 'USERS', 'TEMP', ORA_SESSION_FACT('CREATED'), "
     "'DEFAULT', 'NO', 'N'",
     "",
     {{"USER_USERS",
       "USERNAME, USER_ID, ACCOUNT_STATUS, LOCK_DATE, EXPIRY_DATE, DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE, "
       "CREATED"},
      {"ALL_USERS", "USERNAME, USER_ID, CREATED, COMMON, ORACLE_MAINTAINED"},
      {"DBA_USERS", nullptr}}},
    {"DICTIONARY",
     "TABLE_NAME VARCHAR2(128), COMMENTS VARCHAR2(4000)",
     "%D",
     "",
     {{"DICTIONARY", nullptr}, {"DICT", nullptr}}},
    {"NLS_SESSION",
     "PARAMETER VARCHAR2(30), VALUE VARCHAR2(64)",
     TARVEX_NLS_SESSION_ROWS,
     "",
     {{"NLS_SESSION_PARAMETERS", nullptr}}},
    // Note: V$NLS_PARAMETERS also shows the database's character sets.
    {"NLS_V",
     "PARAMETER VARCHAR2(64), VALUE VARCHAR2(64)",
     TARVEX_NLS_SESSION_ROWS ", " TARVEX_NLS_CHARACTER_SET_ROWS,
     "",
     {{"V$NLS_PARAMETERS", nullptr}}},
    {"NLS_DATABASE",
     "PARAMETER VARCHAR2(128), VALUE VARCHAR2(64)",
     TARVEX_NLS_DATABASE_ROWS,
     "",
     {{"NLS_DATABASE_PARAMETERS", nullptr}, {"NLS_INSTANCE_PARAMETERS", nullptr}}},
    {"VERSION",
     "BANNER VARCHAR2(80), BANNER_FULL VARCHAR2(160), BANNER_LEGACY VARCHAR2(80), CON_ID NUMBER",
     "SELECT 'Tarvex Embedded Database (SQLite ' || sqlite_version() || ')', 'Tarvex Embedded Database "
     "(SQLite ' || sqlite_version() || ')', 'Tarvex Embedded Database (SQLite ' || sqlite_version() || ')', "
     "0",
     "",
     {{"V$VERSION", nullptr}}},
    {"GLOBAL_NAME",
     "GLOBAL_NAME VARCHAR2(4000)",
     "SELECT ORA_SYS_CONTEXT('USERENV', 'DB_NAME')",
     "",
     {{"GLOBAL_NAME", nullptr}}},
    {"TABLESPACES",
     "TABLESPACE_NAME VARCHAR2(30), BLOCK_SIZE NUMBER, STATUS VARCHAR2(9), CONTENTS VARCHAR2(21)",
     "SELECT 'USERS', page_size, 'ONLINE', 'PERMANENT' FROM pragma_page_size() UNION ALL SELECT 'TEMP', "
     "page_size, 'ONLINE', 'TEMPORARY' FROM pragma_page_size()",
     "",
     {{"USER_TABLESPACES", nullptr}, {"DBA_TABLESPACES", nullptr}}},
    {"SYS_PRIVS",
     "USERNAME VARCHAR2(128), PRIVILEGE VARCHAR2(40), ADMIN_OPTION VARCHAR2(3)",
     "SELECT ORA_USER(), column1, 'NO' FROM (VALUES ('CREATE SESSION'), ('CREATE TABLE'), ('CREATE VIEW'), "
     "('CREATE SEQUENCE'), ('CREATE SYNONYM'), ('CREATE PROCEDURE'), ('CREATE TRIGGER'), ('UNLIMITED "
     "TABLESPACE'))",
     "",
     {{"USER_SYS_PRIVS", nullptr},
      {"SESSION_PRIVS", "PRIVILEGE"},
      {"DBA_SYS_PRIVS", "USERNAME AS GRANTEE, PRIVILEGE, ADMIN_OPTION"}}},
    {"ROLE_PRIVS",
     "USERNAME VARCHAR2(128), GRANTED_ROLE VARCHAR2(128), ADMIN_OPTION VARCHAR2(3), DEFAULT_ROLE VARCHAR2(3)",
     "SELECT ORA_USER(), column1, 'NO', 'YES' FROM (VALUES ('CONNECT'), ('RESOURCE'))",
     "",
     {{"USER_ROLE_PRIVS", nullptr},
      {"SESSION_ROLES", "GRANTED_ROLE AS ROLE"},
      {"DBA_ROLE_PRIVS", "USERNAME AS GRANTEE, GRANTED_ROLE, ADMIN_OPTION, DEFAULT_ROLE"}}},
    {"TAB_PRIVS",
     "GRANTEE VARCHAR2(128), OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128), GRANTOR VARCHAR2(128), "
     "PRIVILEGE VARCHAR2(40), GRANTABLE VARCHAR2(3)",
     "SELECT NULL, NULL, NULL, NULL, NULL, NULL WHERE 0",
     "",
     {{"USER_TAB_PRIVS", nullptr}, {"ALL_TAB_PRIVS", nullptr}, {"DBA_TAB_PRIVS", nullptr}}},
    {"RECYCLEBIN",
     "OBJECT_NAME VARCHAR2(128), ORIGINAL_NAME VARCHAR2(128), OPERATION VARCHAR2(9), TYPE VARCHAR2(25), "
     "DROPTIME VARCHAR2(19)",
     "SELECT NULL, NULL, NULL, NULL, NULL WHERE 0",
     "",
     {{"USER_RECYCLEBIN", nullptr}, {"RECYCLEBIN", nullptr}}},
    {"CONSTRAINTS",
     "CONSTRAINT_NAME VARCHAR2(128), CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(128), "
     "SEARCH_CONDITION LONG, R_CONSTRAINT_NAME VARCHAR2(128), DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8), "
     "INDEX_NAME VARCHAR2(128), VALIDATED VARCHAR2(13), "
     "GENERATED VARCHAR2(14), \"DEFERRABLE\" VARCHAR2(14), DEFERRED VARCHAR2(9)",
     nullptr,
     "OWNER, R_OWNER",
     {{"USER_CONSTRAINTS",
       "OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, R_OWNER, R_CONSTRAINT_NAME, "
       "DELETE_RULE, STATUS, \"DEFERRABLE\", DEFERRED, VALIDATED, GENERATED, INDEX_NAME"},
      {"ALL_CONSTRAINTS",
       "OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, R_OWNER, R_CONSTRAINT_NAME, "
       "DELETE_RULE, STATUS, \"DEFERRABLE\", DEFERRED, VALIDATED, GENERATED, INDEX_NAME"},
      {"DBA_CONSTRAINTS",
       "OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, R_OWNER, R_CONSTRAINT_NAME, "
       "DELETE_RULE, STATUS, \"DEFERRABLE\", DEFERRED, VALIDATED, GENERATED, INDEX_NAME"}}},
    {"CONS_COLUMNS",
     "CONSTRAINT_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), POSITION NUMBER",
     nullptr,
     "OWNER",
     {{"USER_CONS_COLUMNS", "OWNER, *"}, {"ALL_CONS_COLUMNS", "OWNER, *"}, {"DBA_CONS_COLUMNS", "OWNER, *"}}},
};

#undef TARVEX_SHOWN3
#undef TARVEX_TYPE_ROWS

// The parts of the server's other types (intervals, row addresses, ...).
void OtherTypePart(sqlite3_context* context, const CServerType::Shape& shape, int part) {
    switch (part) {
        case 0:
            return sqlite3_result_text(context, shape.name.c_str(), -1, SQLITE_TRANSIENT);
        case 1:
            return sqlite3_result_int64(context, shape.length);
        case 2:
            return shape.precision < 0 ? sqlite3_result_null(context)
                                       : sqlite3_result_int(context, shape.precision);
        case 3:
            return shape.scale < 0 ? sqlite3_result_null(context) : sqlite3_result_int(context, shape.scale);
        case 4:
            return sqlite3_result_int64(context, shape.characters);
        default:
            if (!shape.national) return sqlite3_result_null(context);
            return sqlite3_result_text(context, "C", 1, SQLITE_STATIC);
    }
}

void TypePart(sqlite3_context* context, int, sqlite3_value** argv) {
    const unsigned char* raw = sqlite3_value_text(argv[0]);
    std::string declared = raw != nullptr ? reinterpret_cast<const char*>(raw) : "";
    if (CServerType::Shape shape; CServerType::Describe(declared, shape))
        return OtherTypePart(context, shape, sqlite3_value_int(argv[1]));
    CSqliteCatalog::Column column = CSqliteCatalog::Describe("", declared);
    std::string base = CNameList::Identifier(declared.substr(0, declared.find('(')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base.size() > 5 && base.compare(base.size() - 5, 5, "_CHAR") == 0) base.resize(base.size() - 5);
    bool text = (column.type == CSqlType::Text || column.type == CSqlType::Char) && column.length > 0;
    // Note: the server names a timestamp with its digits and its zone:
    // TIMESTAMP(6), TIMESTAMP(3) WITH TIME ZONE; it takes 11 bytes, 13 zoned.
    if (column.type == CSqlType::Date && column.fraction >= 0) {
        static constexpr const char* kZones[] = {"", " WITH TIME ZONE", " WITH LOCAL TIME ZONE"};
        base = "TIMESTAMP(" + std::to_string(column.fraction) + ")" + kZones[column.zone];
    }
    // The ANSI names of NUMBER are kept as NUMBER.
    for (std::string_view ansi : {"INTEGER", "INT", "SMALLINT", "DECIMAL", "DEC", "NUMERIC"})
        if (base == ansi) base = "NUMBER";
    switch (sqlite3_value_int(argv[1])) {
        case 0:
            sqlite3_result_text(context, base.c_str(), -1, SQLITE_TRANSIENT);
            return;
        case 1: {
            // Note: a LOB column holds its locator, 4000 bytes as the server counts.
            bool lob = base == "CLOB" || base == "NCLOB" || base == "BLOB";
            // Note: RAW(n) holds n bytes.
            if (base == "RAW" && declared.find('(') != std::string::npos)
                return sqlite3_result_int64(context, std::atol(declared.c_str() + declared.find('(') + 1));
            long length = column.type == CSqlType::Number ? 22
                          : column.type == CSqlType::Date ? (column.fraction < 0 ? 7
                                                             : column.zone == 1  ? 13
                                                                                 : 11)
                          : lob                           ? 4000
                                                          : column.length;
            if (column.charSemantics && column.length > 0) length *= 2;
            sqlite3_result_int64(context, length);
            return;
        }
        case 2:
            if (column.type == CSqlType::Number && column.precision > 0)
                return sqlite3_result_int(context, column.precision);
            return sqlite3_result_null(context);
        case 3:
            if (column.type == CSqlType::Number && column.scale != CSqliteCatalog::Column::kNoScale)
                return sqlite3_result_int(context, column.scale);
            if (column.type == CSqlType::Date && column.fraction >= 0)
                return sqlite3_result_int(context, column.fraction);
            return sqlite3_result_null(context);
        case 4:
            // The length as declared, in the unit of the declaration.
            return sqlite3_result_int64(context, text ? column.length : 0);
        default:
            if (!text) return sqlite3_result_null(context);
            return sqlite3_result_text(context, column.charSemantics ? "C" : "B", 1, SQLITE_STATIC);
    }
}

}  // namespace

std::string CSqliteDictionary::ObjectRows() {
    std::string select = TARVEX_OBJECT_ROWS;
    for (std::size_t at; (at = select.find("%U")) != std::string::npos;) select.replace(at, 2, kUserObjects);
    return select;
}

namespace {

// TARVEX_VIEW_VALID(name): whether the view still compiles. A view whose
// table was dropped is kept, INVALID, as on the server; reading its
// columns would fail the whole dictionary query.
void ViewValid(sqlite3_context* context, int, sqlite3_value** argv) {
    const unsigned char* name = sqlite3_value_text(argv[0]);
    bool valid = name != nullptr && sqliteapi::ViewCompiles(sqlite3_context_db_handle(context),
                                                            reinterpret_cast<const char*>(name));
    sqlite3_result_int(context, valid ? 1 : 0);
}

}  // namespace

namespace {

// TARVEX_NAME(name): the server's name SQLite keeps as `name` (CSqliteName);
// TARVEX_UNSPELLED(text): a statement's text with its quoted names so.
template <std::string (*Read)(std::string_view)>
void ReadBack(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(context, argv[0]);
    sqliteapi::ResultText(context,
                          encoding::Cp932ToUtf8(Read(encoding::Utf8ToCp932(sqliteapi::TextOf(argv[0])))));
}

std::string NameOf(std::string_view spelling) { return CSqliteName::NameOf(spelling); }

// TARVEX_VIEW_REFERENCES(text): the names a view's query refers to, a JSON
// array of [name, how] (CViewReferences).
void ViewReferences(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT)
        return sqlite3_result_text(context, "[]", 2, SQLITE_STATIC);
    auto references = CViewReferences::Of(encoding::Utf8ToCp932(sqliteapi::TextOf(argv[0])));
    for (auto& reference : references) reference.first = encoding::Cp932ToUtf8(reference.first);
    sqliteapi::ResultText(context, CViewReferences::Json(references));
}

}  // namespace

bool CSqliteDictionary::Install(sqlite3* db) {
    constexpr int kDeterministic = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function(db, "ORA_TYPE_PART", 2, kDeterministic, nullptr, TypePart, nullptr,
                                   nullptr) == SQLITE_OK &&
           sqlite3_create_function(db, "TARVEX_VIEW_VALID", 1, SQLITE_UTF8, nullptr, ViewValid, nullptr,
                                   nullptr) == SQLITE_OK &&
           sqlite3_create_function(db, "TARVEX_VIEW_REFERENCES", 1, kDeterministic, nullptr, ViewReferences,
                                   nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function(db, "TARVEX_NAME", 1, kDeterministic, nullptr, ReadBack<NameOf>, nullptr,
                                   nullptr) == SQLITE_OK &&
           sqlite3_create_function(db, "TARVEX_UNSPELLED", 1, kDeterministic, nullptr,
                                   ReadBack<CSqliteName::UnspellNames>, nullptr, nullptr) == SQLITE_OK;
}

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#';
}

// A name the server gives all users (TAB, DICT, V$VERSION, ...) rather
// than one of the USER_, ALL_ and DBA_ views.
bool IsPublicName(std::string_view name) {
    for (std::string_view prefix : {"USER_", "ALL_", "DBA_"})
        if (name.substr(0, prefix.size()) == prefix) return false;
    return true;
}

// The view a name is made as: a public name gets a name of the catalog's
// own, so that an object of the user's that bears it is never hidden.
std::string MadeName(std::string_view name) {
    return IsPublicName(name) ? "\"TARVEX_PUBLIC_" + std::string(name) + "\"" : std::string(name);
}

// The rows of a view are kept in a table of its own in the connection's
// temporary database, typed as the server declares them.
std::string RowsTable(const View& view) { return "temp.TARVEX_DICT_" + std::string(view.name); }

// The names of a column list "A TYPE, B, C TYPE(n)".
std::string ColumnNames(std::string_view columns) {
    std::string names;
    for (std::size_t at = 0; at < columns.size();) {
        std::size_t end = at;
        while (end < columns.size() && columns[end] != ' ' && columns[end] != ',') ++end;
        names += (names.empty() ? "" : ", ") + std::string(columns.substr(at, end - at));
        int depth = 0;
        while (end < columns.size() && (depth > 0 || columns[end] != ',')) {
            if (columns[end] == '(') ++depth;
            if (columns[end] == ')') --depth;
            ++end;
        }
        at = end + 2;
    }
    return names;
}

// The catalog's views and then the system's (CSqliteSystemViews and the
// views of the instance and its administration).
const std::vector<const View*>& AllViews() {
    static const std::vector<const View*> views = [] {
        std::vector<const View*> all;
        for (const View& view : kViews) all.push_back(&view);
        for (const View& view : CSqliteSystemViews::Views()) all.push_back(&view);
        for (const View& view : CSqliteInstanceViews::Views()) all.push_back(&view);
        for (const View& view : CSqliteAdminViews::Views()) all.push_back(&view);
        return all;
    }();
    return views;
}

// Every name the dictionary answers to, with its table of rows.
const std::unordered_map<std::string, const View*>& Names() {
    static const std::unordered_map<std::string, const View*> names = [] {
        std::unordered_map<std::string, const View*> all;
        for (const View* view : AllViews())
            for (const Shown& shown : view->shown)
                if (shown.name != nullptr) all.emplace(shown.name, view);
        return all;
    }();
    return names;
}

// The views are made on first use: most sessions never read them. A
// rollback may take them away again, so the last one made is looked for.
bool ViewsInstalled(sqlite3* db) {
    const View& last = *AllViews().back();
    std::string name = last.shown[0].name;
    for (const Shown& shown : last.shown)
        if (shown.name != nullptr) name = shown.name;
    Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM temp.sqlite_schema WHERE type = 'view' AND name = '" + name + "'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

void InstallViews(sqlite3* db) {
    for (const View* made : AllViews()) {
        const View& view = *made;
        std::string ownerColumns;
        std::string_view list = view.owners;
        for (std::size_t at = 0; at < list.size();) {
            std::size_t comma = list.find(", ", at);
            std::string_view one =
                list.substr(at, comma == std::string_view::npos ? list.size() - at : comma - at);
            ownerColumns += ", " + std::string(one) + " VARCHAR2(128)";
            at = comma == std::string_view::npos ? list.size() : comma + 2;
        }
        std::string table = "CREATE TEMP TABLE IF NOT EXISTS TARVEX_DICT_" + std::string(view.name) + " (" +
                            view.columns + view.extra + ownerColumns + ")";
        sqlite3_exec(db, table.c_str(), nullptr, nullptr, nullptr);
        std::string own = ColumnNames(view.columns);
        for (const Shown& shown : view.shown) {
            if (shown.name == nullptr) continue;
            std::string columns = shown.list != nullptr ? shown.list : own;
            if (std::size_t star = columns.find('*'); star != std::string::npos)
                columns.replace(star, 1, own);
            std::string sql = "CREATE TEMP VIEW IF NOT EXISTS " + MadeName(shown.name) + " AS SELECT " +
                              columns + " FROM " + RowsTable(view);
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
    }
}

// The names of the dictionary, as rows of DICTIONARY.
std::string DictionaryRows() {
    std::vector<std::string> names;
    for (const auto& entry : Names()) names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    std::string rows = "VALUES ";
    for (std::size_t k = 0; k < names.size(); ++k) rows += (k > 0 ? ", ('" : "('") + names[k] + "', NULL)";
    return rows;
}

// The owner columns of a view are the session's user; R_OWNER only where
// a key is referenced.
void FillOwners(sqlite3* db, const View& view) {
    std::string_view list = view.owners;
    if (list.empty()) return;
    std::string set;
    for (std::size_t at = 0; at < list.size();) {
        std::size_t comma = list.find(", ", at);
        std::string one(list.substr(at, comma == std::string_view::npos ? list.size() - at : comma - at));
        set += (set.empty() ? "" : ", ") + one +
               (one == "R_OWNER" ? " = CASE WHEN R_CONSTRAINT_NAME IS NULL THEN NULL ELSE ORA_USER() END"
                                 : " = ORA_USER()");
        at = comma == std::string_view::npos ? list.size() : comma + 2;
    }
    if (std::string_view(view.columns).find("DATA_TYPE_OWNER ") != std::string_view::npos)
        set += ", DATA_TYPE_OWNER = CASE WHEN DATA_TYPE_OWNER IS NULL THEN NULL ELSE ORA_USER() END";
    std::string sql = "UPDATE " + RowsTable(view) + " SET " + set;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

bool HasColumn(sqlite3* db, const char* table, const char* column) {
    Statement look = Prepare(
        db, std::string("SELECT 1 FROM pragma_table_info('") + table + "') WHERE name = '" + column + "'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

bool HasTable(sqlite3* db, std::string_view name) {
    Statement look =
        ::Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = '" + std::string(name) + "'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

// Catalog tables a file of an earlier version may lack, and rows of their
// columns that stand for none.
const std::pair<std::string, std::string> kLaterTables[] = {
    {"main.TARVEX_PART_TABLES",
     "(SELECT NULL AS TABLE_NAME, NULL AS PARTITIONING_TYPE, NULL AS KEY_COLUMNS WHERE 0)"},
    {"main.TARVEX_PARTITIONS",
     "(SELECT NULL AS TABLE_NAME, NULL AS PARTITION_NAME, NULL AS POSITION, NULL AS HIGH_VALUE, NULL AS "
     "NUM_ROWS, NULL AS LAST_ANALYZED, NULL AS BOUNDS WHERE 0)"},
    {"main.TARVEX_PART_INTERVALS",
     "(SELECT NULL AS TABLE_NAME, NULL AS INTERVAL, NULL AS STEP, NULL AS RANGES WHERE 0)"},
    {"main.TARVEX_PART_INDEXES", "(SELECT NULL AS INDEX_NAME, NULL AS TABLE_NAME WHERE 0)"},
    {"main.TARVEX_MVIEWS",
     "(SELECT NULL AS MVIEW_NAME, NULL AS QUERY, NULL AS REFRESH_MODE, NULL AS REFRESH_METHOD, NULL AS "
     "BUILD_MODE, NULL AS REWRITE_ENABLED, NULL AS LAST_REFRESH_DATE WHERE 0)"},
    {"main.TARVEX_INDEX_STATS",
     "(SELECT NULL AS INDEX_NAME, NULL AS TABLE_NAME, NULL AS BLEVEL, NULL AS LEAF_BLOCKS, NULL AS "
     "DISTINCT_KEYS, NULL AS CLUSTERING_FACTOR, NULL AS NUM_ROWS, NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED "
     "WHERE 0)"},
    {"main.TARVEX_MVIEW_LOGS",
     "(SELECT NULL AS MASTER, NULL AS LOG_TABLE, NULL AS ROWIDS, NULL AS PRIMARY_KEY WHERE 0)"},
};

// Fills the rows of a view from the file's schema and catalog tables.
void Refresh(sqlite3* db, const View& view) {
    // Note: a view of what the engine does not have keeps no rows.
    if (*view.select == '\0') return;
    std::string select = view.select;
    for (std::size_t at; (at = select.find("%U")) != std::string::npos;) select.replace(at, 2, kUserObjects);
    if (select == "%D") select = DictionaryRows();
    // Note: a file of an earlier version that could not be converted (a
    // read-only one) has no column table; its columns are SQLite's.
    constexpr std::string_view kColumns = "main.TARVEX_COLUMNS";
    if (std::size_t at = select.find(kColumns); at != std::string::npos && !HasTable(db, "TARVEX_COLUMNS"))
        select.replace(
            at, kColumns.size(),
            "(SELECT NULL AS TABLE_NAME, NULL AS COLUMN_NAME, NULL AS COLUMN_ID, NULL AS DATA_TYPE, "
            "NULL AS NULLABLE, NULL AS DATA_DEFAULT WHERE 0)");
    // Note: a file never analyzed has no column statistics (CTableStatistics).
    constexpr std::string_view kColumnStatistics = "main.TARVEX_COLUMN_STATS";
    if (std::size_t at = select.find(kColumnStatistics);
        at != std::string::npos && !HasTable(db, "TARVEX_COLUMN_STATS"))
        select.replace(
            at, kColumnStatistics.size(),
            "(SELECT NULL AS TABLE_NAME, NULL AS COLUMN_NAME, NULL AS NUM_DISTINCT, NULL AS NUM_NULLS, "
            "NULL AS AVG_COL_LEN, NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED WHERE 0)");
    // Note: nor the options of columns and tables (CColumnOptions, CTableOptions).
    constexpr struct {
        std::string_view table;
        const char* empty;
    } kOptions[] = {
        {"TARVEX_COLUMN_OPTIONS",
         "(SELECT NULL AS TABLE_NAME, NULL AS COLUMN_NAME, NULL AS HIDDEN_COLUMN, NULL AS DEFAULT_ON_NULL "
         "WHERE "
         "0)"},
        {"TARVEX_UNITS",
         "(SELECT NULL AS NAME, NULL AS TYPE, NULL AS SOURCE, NULL AS STATUS, NULL AS CREATED WHERE 0)"},
        {"TARVEX_NESTED_TABLES",
         "(SELECT NULL AS TABLE_NAME, NULL AS PARENT_TABLE_NAME, NULL AS PARENT_TABLE_COLUMN, NULL AS "
         "TABLE_TYPE_NAME, NULL AS STORAGE_SPEC, NULL AS RETURN_TYPE WHERE 0)"},
        {"TARVEX_TABLE_OPTIONS",
         "(SELECT NULL AS TABLE_NAME, NULL AS LOGGING, NULL AS DEGREE, NULL AS CACHE, NULL AS COMPRESSION, "
         "NULL "
         "AS PCT_FREE, NULL AS READ_ONLY, NULL AS IOT_TYPE WHERE 0)"},
    };
    for (const auto& options : kOptions) {
        std::string name = "main." + std::string(options.table);
        if (select.find(name) == std::string::npos || HasTable(db, options.table)) continue;
        for (std::size_t at; (at = select.find(name)) != std::string::npos;)
            select.replace(at, name.size(), options.empty);
    }
    // Note: a file without index-organized tables may lack their column.
    if (constexpr std::string_view kIotType = "o.IOT_TYPE";
        select.find(kIotType) != std::string::npos && !HasColumn(db, "TARVEX_TABLE_OPTIONS", "IOT_TYPE"))
        for (std::size_t at; (at = select.find(kIotType)) != std::string::npos;)
            select.replace(at, kIotType.size(), "NULL");
    // Note: the same for the tables of partitions and materialized views.
    for (const auto& [table, empty] : kLaterTables) {
        if (select.find(table) == std::string::npos || HasTable(db, table.substr(5))) continue;
        for (std::size_t at; (at = select.find(table)) != std::string::npos;)
            select.replace(at, table.size(), empty);
    }
    // Note: a file of an earlier version keeps no identity's sequence name.
    constexpr std::string_view kIdentityDefault = TARVEX_IDENTITY_DEFAULT;
    if (select.find(kIdentityDefault) != std::string::npos &&
        !HasColumn(db, "TARVEX_IDENTITIES", "SEQUENCE_NAME"))
        for (std::size_t at; (at = select.find(kIdentityDefault)) != std::string::npos;)
            select.replace(at, kIdentityDefault.size(), "NULL");
    std::string sql = "DELETE FROM " + RowsTable(view) + "; INSERT INTO " + RowsTable(view) + " (" +
                      ColumnNames(view.columns + std::string(view.extra)) + ") " + select;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The views a statement names, each once.
std::vector<const View*> Named(std::string_view text) {
    std::vector<const View*> named;
    const auto& names = Names();
    std::string word;
    for (std::size_t at = 0; at < text.size();) {
        if (!IsNameCharacter(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && IsNameCharacter(text[end])) ++end;
        if (end - at >= 3 && end - at <= 32) {
            word.assign(text.substr(at, end - at));
            for (char& c : word)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            auto found = names.find(word);
            if (found != names.end() && std::find(named.begin(), named.end(), found->second) == named.end())
                named.push_back(found->second);
        }
        at = end;
    }
    return named;
}

// The columns of the dictionary's views that hold a statement's text, with
// the names in it as SQLite keeps them.
constexpr std::string_view kStatementTexts[] = {
    "TEXT",         "SEARCH_CONDITION", "DATA_DEFAULT", "COLUMN_EXPRESSION",
    "TRIGGER_BODY", "WHEN_CLAUSE",      "DESCRIPTION",  "QUERY"};

// The rows of a view show each name as the server keeps it: a name column
// (VARCHAR2(128), as the server declares most, or one called so) read back
// from its spelling, and a statement's text with its quoted names so.
void ShowNames(sqlite3* db, const View& view) {
    const std::string declared = std::string(view.columns) + view.extra;
    const std::string names = ColumnNames(declared);
    std::string set;
    for (std::size_t at = 0; at < names.size();) {
        std::size_t comma = names.find(", ", at);
        std::string name = names.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        at = comma == std::string::npos ? names.size() : comma + 2;
        const bool text = std::find(std::begin(kStatementTexts), std::end(kStatementTexts), name) !=
                          std::end(kStatementTexts);
        const bool identifier = declared.find(name + " VARCHAR2(128)") != std::string::npos ||
                                name.ends_with("_NAME") || name == "NAME";
        if (!text && !identifier) continue;
        set += (set.empty() ? "" : ", ") + name + " = CASE WHEN " + name + " GLOB '*^[A-Z]*' THEN " +
               (text ? "TARVEX_UNSPELLED(" : "TARVEX_NAME(") + name + ") ELSE " + name + " END";
    }
    if (set.empty()) return;
    std::string sql = "UPDATE " + RowsTable(view) + " SET " + set;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

void FillConstraints(sqlite3* db);
void NameKeyIndexes(sqlite3* db, const View& view);
void ShowIndexOptions(sqlite3* db, const std::string& rows);

}  // namespace

std::string CSqliteDictionary::PublicView(std::string_view upperName) {
    auto found = Names().find(std::string(upperName));
    if (found == Names().end() || !IsPublicName(upperName)) return {};
    return MadeName(upperName);
}

void CSqliteDictionary::Prepare(sqlite3* db, std::string_view text) {
    std::vector<const View*> named = Named(text);
    if (named.empty()) return;
    if (!ViewsInstalled(db)) InstallViews(db);
    const std::span<const View> instance = CSqliteInstanceViews::Views();
    const std::less<const View*> before;
    if (std::any_of(named.begin(), named.end(), [&](const View* view) {
            return !before(view, instance.data()) && before(view, instance.data() + instance.size());
        }))
        CSqliteInstanceViews::Measure(db);
    bool namesConstraints = false;
    for (const View* view : named) {
        if (view->select != nullptr)
            Refresh(db, *view);
        else
            namesConstraints = true;
        for (std::string_view keyed : {"INDEXES", "IND_COLUMNS", "SEGMENTS", "EXTENTS"})
            if (view->name == keyed) NameKeyIndexes(db, *view);
    }
    if (namesConstraints) FillConstraints(db);
    for (const View* view : named) {
        FillOwners(db, *view);
        ShowNames(db, *view);
    }
}

namespace {

void FillConstraints(sqlite3* db) {
    sqlite3_exec(db, "DELETE FROM temp.TARVEX_DICT_CONSTRAINTS; DELETE FROM temp.TARVEX_DICT_CONS_COLUMNS",
                 nullptr, nullptr, nullptr);
    std::vector<CSqliteDictionary::Constraint> constraints = CSqliteDictionary::All(db);
    Statement add = ::Prepare(
        db,
        "INSERT INTO temp.TARVEX_DICT_CONSTRAINTS (CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, "
        "SEARCH_CONDITION, R_CONSTRAINT_NAME, DELETE_RULE, INDEX_NAME, STATUS, VALIDATED, GENERATED, "
        "\"DEFERRABLE\", DEFERRED) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    Statement column =
        ::Prepare(db,
                  "INSERT INTO temp.TARVEX_DICT_CONS_COLUMNS (CONSTRAINT_NAME, TABLE_NAME, COLUMN_NAME, "
                  "POSITION) VALUES (?1, ?2, ?3, ?4)");
    if (!add || !column) return;
    for (const CSqliteDictionary::Constraint& c : constraints) {
        std::string referenced;
        if (c.type == 'R')
            for (const CSqliteDictionary::Constraint& key : constraints)
                if ((key.type == 'P' || key.type == 'U') && key.table == c.referencedTable &&
                    (c.referencedColumns.empty() ? key.type == 'P' : key.columns == c.referencedColumns))
                    referenced = key.name;
        std::string type(1, c.type);
        sqlite3_bind_text(add.get(), 1, c.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 2, type.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 3, c.table.c_str(), -1, SQLITE_TRANSIENT);
        if (c.type == 'C')
            sqlite3_bind_text(add.get(), 4, c.condition.c_str(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(add.get(), 4);
        if (referenced.empty())
            sqlite3_bind_null(add.get(), 5);
        else
            sqlite3_bind_text(add.get(), 5, referenced.c_str(), -1, SQLITE_TRANSIENT);
        if (c.type == 'R')
            sqlite3_bind_text(add.get(), 6, c.deleteRule.c_str(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(add.get(), 6);
        // Note: a key made with its table is enforced by an index of its name;
        // one set aside by DISABLE by none.
        std::string index = c.index.empty() && (c.type == 'P' || c.type == 'U') ? c.name : c.index;
        if (c.enforcedBy == "NONE") index.clear();
        if (index.empty())
            sqlite3_bind_null(add.get(), 7);
        else
            sqlite3_bind_text(add.get(), 7, index.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 8, c.enabled ? "ENABLED" : "DISABLED", -1, SQLITE_STATIC);
        sqlite3_bind_text(add.get(), 9, c.validated ? "VALIDATED" : "NOT VALIDATED", -1, SQLITE_STATIC);
        // Note: the names the system gives are SYS_C and digits.
        bool generated = c.generated || c.name.rfind("SYS_C", 0) == 0;
        sqlite3_bind_text(add.get(), 10, generated ? "GENERATED NAME" : "USER NAME", -1, SQLITE_STATIC);
        sqlite3_bind_text(add.get(), 11, c.deferrable ? "DEFERRABLE" : "NOT DEFERRABLE", -1, SQLITE_STATIC);
        sqlite3_bind_text(add.get(), 12, c.deferred ? "DEFERRED" : "IMMEDIATE", -1, SQLITE_STATIC);
        sqlite3_step(add.get());
        sqlite3_reset(add.get());
        for (std::size_t k = 0; k < c.columns.size(); ++k) {
            sqlite3_bind_text(column.get(), 1, c.name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(column.get(), 2, c.table.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(column.get(), 3, c.columns[k].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(column.get(), 4, static_cast<sqlite3_int64>(k + 1));
            sqlite3_step(column.get());
            sqlite3_reset(column.get());
        }
    }
}

void NameKeyIndexes(sqlite3* db, const View& view) {
    // The index SQLite makes for a key written with its table bears the
    // key's name, as the server names it; a key over the row id has none of
    // its own, and is listed as the server would list its index.
    bool columns = std::string_view(view.name) == "IND_COLUMNS";
    // Note: the segments of such an index are the key's too.
    bool segments = std::string_view(view.name) == "SEGMENTS" || std::string_view(view.name) == "EXTENTS";
    std::string rows = RowsTable(view);
    std::string named = segments ? "SEGMENT_NAME" : "INDEX_NAME";
    Statement automatic =
        ::Prepare(db,
                  "SELECT m.name, m.tbl_name, group_concat(i.name, ',') FROM "
                  "(SELECT name, tbl_name FROM main.sqlite_schema WHERE type = 'index' AND "
                  "sql IS NULL ORDER BY name) m, pragma_index_info(m.name) i GROUP BY m.name");
    Statement rename = ::Prepare(db, "UPDATE " + rows + " SET " + named + " = ?2 WHERE " + named + " = ?1");
    if (!automatic || !rename) return;
    std::vector<CSqliteDictionary::Constraint> keys = CSqliteDictionary::All(db);
    std::erase_if(keys, [](const CSqliteDictionary::Constraint& c) {
        return (c.type != 'P' && c.type != 'U') || c.enforcedBy != "TABLE";
    });
    std::vector<bool> found(keys.size(), false);
    while (sqlite3_step(automatic.get()) == SQLITE_ROW) {
        std::string table = Text(automatic.get(), 1);
        std::string over = Text(automatic.get(), 2);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            std::string joined;
            for (const auto& column : keys[k].columns) joined += (joined.empty() ? "" : ",") + column;
            if (found[k] || keys[k].table != table || joined != over) continue;
            found[k] = true;
            sqlite3_bind_text(rename.get(), 1, Text(automatic.get(), 0).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(rename.get(), 2, keys[k].name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(rename.get());
            sqlite3_reset(rename.get());
            break;
        }
    }
    if (segments) return;
    Statement add = ::Prepare(
        db, columns ? "INSERT INTO " + rows +
                          " (INDEX_NAME, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND) "
                          "VALUES (?1, ?2, ?3, ?4, 'ASC')"
                    : "INSERT INTO " + rows +
                          " (INDEX_NAME, INDEX_TYPE, TABLE_NAME, UNIQUENESS, LOGGING, STATUS, DEGREE, "
                          "VISIBILITY) VALUES (?1, 'NORMAL', ?2, 'UNIQUE', 'YES', 'VALID', '1', "
                          "'VISIBLE')");
    for (std::size_t k = 0; add && k < keys.size(); ++k) {
        if (found[k] || keys[k].type != 'P') continue;
        for (std::size_t c = 0; c < (columns ? keys[k].columns.size() : 1); ++c) {
            sqlite3_bind_text(add.get(), 1, keys[k].name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(add.get(), 2, keys[k].table.c_str(), -1, SQLITE_TRANSIENT);
            if (columns) {
                sqlite3_bind_text(add.get(), 3, keys[k].columns[c].c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int64(add.get(), 4, static_cast<sqlite3_int64>(c + 1));
            }
            sqlite3_step(add.get());
            sqlite3_reset(add.get());
        }
    }
    if (!columns) ShowIndexOptions(db, rows);
}

void ShowIndexOptions(sqlite3* db, const std::string& rows) {
    // Note: an index altered since it was made shows what ALTER INDEX set.
    std::string sql = "UPDATE " + rows +
                      " AS r SET LOGGING = o.LOGGING, STATUS = o.STATUS, DEGREE = o.DEGREE, VISIBILITY = "
                      "o.VISIBILITY FROM main.TARVEX_INDEX_OPTIONS o WHERE o.INDEX_NAME = r.INDEX_NAME";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

std::string CSqliteDictionary::KeyName(sqlite3* db, std::string_view failed) {
    std::string table;
    std::vector<std::string> columns;
    for (std::size_t at = 0; at < failed.size();) {
        std::size_t comma = failed.find(", ", at);
        std::string_view part =
            failed.substr(at, comma == std::string_view::npos ? failed.size() - at : comma - at);
        std::size_t dot = part.find('.');
        if (dot == std::string_view::npos) return {};
        // Note: SQLite names the table and columns as the table spells them.
        table = part.substr(0, dot);
        columns.emplace_back(part.substr(dot + 1));
        at = comma == std::string_view::npos ? failed.size() : comma + 2;
    }
    for (const Constraint& constraint : All(db))
        if ((constraint.type == 'P' || constraint.type == 'U') && constraint.enabled &&
            constraint.table == table && constraint.columns == columns)
            return constraint.name;
    return {};
}

std::vector<CSqliteDictionary::Constraint> CSqliteDictionary::All(sqlite3* db) {
    std::vector<Constraint> all;
    Statement tables =
        ::Prepare(db,
                  "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND sql IS NOT NULL AND "
                  "name NOT LIKE 'sqlite%' AND upper(name) NOT LIKE 'TARVEX%' ORDER BY rowid");
    while (tables && sqlite3_step(tables.get()) == SQLITE_ROW)
        CConstraintCatalog::Read(db, Text(tables.get(), 0), all);
    tables.reset();
    // A view's option is a constraint of the view: O (read only), V (check).
    Statement views =
        ::Prepare(db,
                  "SELECT VIEW_NAME, READ_ONLY, CONSTRAINT_NAME, rowid FROM main.TARVEX_VIEWS WHERE "
                  "READ_ONLY = 'Y' OR CHECK_OPTION = 'Y' ORDER BY rowid");
    while (views && sqlite3_step(views.get()) == SQLITE_ROW) {
        Constraint c;
        c.table = Text(views.get(), 0);
        c.type = Text(views.get(), 1) == "Y" ? 'O' : 'V';
        c.name = Text(views.get(), 2);
        if (c.name.empty()) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "SYS_C%07lld",
                          9000000 + sqlite3_column_int64(views.get(), 3));
            c.name = buffer;
        }
        all.push_back(std::move(c));
    }
    views.reset();
    return all;
}

#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/warehouse/CPartitionScheme.h"

struct sqlite3;

// The partitions of tables (TARVEX_PART_TABLES, TARVEX_PARTITIONS) and the
// LOCAL indexes on them (TARVEX_PART_INDEXES). A partitioned table stays one
// SQLite table: its partitions are these rows and the rule of
// CPartitionScheme. Names upper case, UTF-8.
class CPartitionCatalog {
public:
    static constexpr const char* kTables[] = {
        "CREATE TABLE IF NOT EXISTS TARVEX_PART_TABLES (TABLE_NAME VARCHAR2(128) PRIMARY KEY, "
        "PARTITIONING_TYPE VARCHAR2(9) NOT NULL, KEY_COLUMNS TEXT NOT NULL, ROW_MOVEMENT VARCHAR2(8) NOT "
        "NULL)",
        "CREATE TABLE IF NOT EXISTS TARVEX_PARTITIONS (TABLE_NAME VARCHAR2(128) NOT NULL, PARTITION_NAME "
        "VARCHAR2(128) NOT NULL, POSITION INTEGER NOT NULL, HIGH_VALUE TEXT, IS_DEFAULT INTEGER NOT NULL, "
        "BOUNDS TEXT NOT NULL, NUM_ROWS INTEGER, LAST_ANALYZED TEXT, PRIMARY KEY (TABLE_NAME, "
        "PARTITION_NAME))",
        "CREATE TABLE IF NOT EXISTS TARVEX_PART_INDEXES (INDEX_NAME VARCHAR2(128) PRIMARY KEY, TABLE_NAME "
        "VARCHAR2(128) NOT NULL)",
        "CREATE TABLE IF NOT EXISTS TARVEX_MVIEW_LOGS (MASTER VARCHAR2(128) PRIMARY KEY, LOG_TABLE "
        "VARCHAR2(128) "
        "NOT NULL, ROWIDS VARCHAR2(3) NOT NULL, PRIMARY_KEY VARCHAR2(3) NOT NULL)",
        "CREATE TABLE IF NOT EXISTS TARVEX_PART_INTERVALS (TABLE_NAME VARCHAR2(128) PRIMARY KEY, INTERVAL "
        "VARCHAR2(1000) NOT NULL, STEP TEXT NOT NULL, RANGES INTEGER NOT NULL)",
    };

    // False when `table` is not partitioned (or the catalog cannot be read).
    static bool Read(sqlite3* db, const std::string& table, CPartitionScheme& scheme);
    // Replaces what the catalog holds of the scheme's table.
    static bool Write(sqlite3* db, const CPartitionScheme& scheme, CEngineError& error);
    static bool Forget(sqlite3* db, const std::string& table, CEngineError& error);
    static bool Rename(sqlite3* db, const std::string& table, const std::string& to, CEngineError& error);
    // A partition an INTERVAL table made for a row, after the others, under
    // the next system name (SYS_Pn); `partition` takes the name.
    static bool Append(sqlite3* db, const std::string& table, int position,
                       CPartitionScheme::Partition& partition, CEngineError& error);
    // SYS_Pn after the highest n the file holds.
    static std::string NextSystemName(sqlite3* db);
    // The highest n of the SYS_Pn names the file holds; 0 when none.
    static long long LastSystemNumber(sqlite3* db);
    static bool AddLocalIndex(sqlite3* db, const std::string& index, const std::string& table,
                              CEngineError& error);
    // The rows of each partition counted, for the dictionary's NUM_ROWS.
    static bool Count(sqlite3* db, const std::string& table, CEngineError& error);
    // The SQLite triggers that refuse a row no partition takes (ORA-14400)
    // and a key changed into another partition without ROW MOVEMENT
    // (ORA-14402), made anew.
    static bool Guard(sqlite3* db, const CPartitionScheme& scheme, CEngineError& error);

    // Bounds and lists kept as text: values by ',', tuples by ';'.
    static std::string Encode(const std::vector<CPartitionKey>& tuples);
    static std::vector<CPartitionKey> Decode(const std::string& text);
};

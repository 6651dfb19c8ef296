#include "engine/sqlite/warehouse/CPartitionCatalog.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CCatalogRows.h"

namespace {

using sqliteapi::Statement;

bool Fail(sqlite3* db, CEngineError& error) { return CCatalogRows::Fail(db, error); }

bool Exec(sqlite3* db, const std::string& sql, CEngineError& error) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK || Fail(db, error);
}

bool Run(sqlite3* db, const std::string& sql, const std::vector<std::string>& values, CEngineError& error) {
    return CCatalogRows::Run(db, sql, values, error);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string Literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string Column(const sqliteapi::Statement& statement, int column) {
    return CCatalogRows::Text(statement, column);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

constexpr char kKinds[] = {'N', 'V', 'T', 'M'};  // Null, Number, Text, MaxValue
constexpr char kHex[] = "0123456789ABCDEF";

// The arguments of TARVEX_PARTITION for a row: the table and its key.
std::string KeyArguments(const CPartitionScheme& scheme, const char* row) {
    std::string out = Literal(scheme.table);
    for (const std::string& column : scheme.columns) out += std::string(", ") + row + "." + Quoted(column);
    return out;
}

void ReadInterval(sqlite3* db, CPartitionScheme& scheme) {
    Statement interval = CCatalogRows::Keyed(
        db, "SELECT INTERVAL, STEP, RANGES FROM main.TARVEX_PART_INTERVALS WHERE TABLE_NAME = ?1",
        scheme.table);
    if (!interval || sqlite3_step(interval.get()) != SQLITE_ROW) return;
    scheme.interval = Column(interval, 0);
    scheme.step = Column(interval, 1);
    scheme.ranges = static_cast<std::size_t>(sqlite3_column_int64(interval.get(), 2));
}

}  // namespace

std::string CPartitionCatalog::Encode(const std::vector<CPartitionKey>& tuples) {
    std::string out;
    for (std::size_t t = 0; t < tuples.size(); ++t) {
        if (t > 0) out += ';';
        for (std::size_t v = 0; v < tuples[t].size(); ++v) {
            if (v > 0) out += ',';
            out += kKinds[static_cast<int>(tuples[t][v].kind)];
            for (char c : tuples[t][v].bytes) {
                auto byte = static_cast<unsigned char>(c);
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            }
        }
    }
    return out;
}

std::vector<CPartitionKey> CPartitionCatalog::Decode(const std::string& text) {
    std::vector<CPartitionKey> tuples;
    if (text.empty()) return tuples;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (const std::string& tuple : Split(text, ';')) {
        CPartitionKey key;
        for (const std::string& value : Split(tuple, ',')) {
            CPartitionValue decoded;
            for (int kind = 0; kind < 4; ++kind)
                if (!value.empty() && value[0] == kKinds[kind])
                    decoded.kind = static_cast<CPartitionValue::Kind>(kind);
            for (std::size_t at = 1; at + 1 < value.size(); at += 2)
                decoded.bytes += static_cast<char>(nibble(value[at]) * 16 + nibble(value[at + 1]));
            key.push_back(std::move(decoded));
        }
        tuples.push_back(std::move(key));
    }
    return tuples;
}

bool CPartitionCatalog::Read(sqlite3* db, const std::string& table, CPartitionScheme& scheme) {
    Statement head = CCatalogRows::Keyed(db,
                                         "SELECT PARTITIONING_TYPE, KEY_COLUMNS, ROW_MOVEMENT FROM "
                                         "main.TARVEX_PART_TABLES WHERE TABLE_NAME = ?1",
                                         table);
    if (!head || sqlite3_step(head.get()) != SQLITE_ROW) return false;
    scheme = CPartitionScheme();
    scheme.table = table;
    std::string method = Column(head, 0);
    scheme.method = method == "LIST"   ? CPartitionScheme::Method::List
                    : method == "HASH" ? CPartitionScheme::Method::Hash
                                       : CPartitionScheme::Method::Range;
    scheme.columns = Split(Column(head, 1), ',');
    scheme.rowMovement = Column(head, 2) == "ENABLED";
    Statement rows = CCatalogRows::Keyed(db,
                                         "SELECT PARTITION_NAME, HIGH_VALUE, IS_DEFAULT, BOUNDS FROM "
                                         "main.TARVEX_PARTITIONS WHERE TABLE_NAME = ?1 ORDER BY POSITION",
                                         table);
    if (!rows) return false;
    ReadInterval(db, scheme);
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        CPartitionScheme::Partition partition;
        partition.name = Column(rows, 0);
        partition.highValue = Column(rows, 1);
        partition.isDefault = sqlite3_column_int(rows.get(), 2) != 0;
        partition.values = Decode(Column(rows, 3));
        scheme.partitions.push_back(std::move(partition));
    }
    return true;
}

bool CPartitionCatalog::Write(sqlite3* db, const CPartitionScheme& scheme, CEngineError& error) {
    std::string columns;
    for (const std::string& column : scheme.columns) columns += (columns.empty() ? "" : ",") + column;
    if (!Run(db, "DELETE FROM main.TARVEX_PARTITIONS WHERE TABLE_NAME = ?1", {scheme.table}, error) ||
        !Run(db, "INSERT OR REPLACE INTO main.TARVEX_PART_TABLES VALUES (?1, ?2, ?3, ?4)",
             {scheme.table, CPartitionScheme::MethodName(scheme.method), columns,
              scheme.rowMovement ? "ENABLED" : "DISABLED"},
             error))
        return false;
    if (!Run(db, "DELETE FROM main.TARVEX_PART_INTERVALS WHERE TABLE_NAME = ?1", {scheme.table}, error) ||
        (!scheme.interval.empty() &&
         !Run(db, "INSERT INTO main.TARVEX_PART_INTERVALS VALUES (?1, ?2, ?3, ?4)",
              {scheme.table, scheme.interval, scheme.step, std::to_string(scheme.ranges)}, error)))
        return false;
    for (std::size_t k = 0; k < scheme.partitions.size(); ++k) {
        const auto& partition = scheme.partitions[k];
        if (!Run(db,
                 "INSERT INTO main.TARVEX_PARTITIONS (TABLE_NAME, PARTITION_NAME, POSITION, HIGH_VALUE, "
                 "IS_DEFAULT, BOUNDS) VALUES (?1, ?2, ?3, nullif(?4, ''), ?5, ?6)",
                 {scheme.table, partition.name, std::to_string(k + 1), partition.highValue,
                  partition.isDefault ? "1" : "0", Encode(partition.values)},
                 error))
            return false;
    }
    return true;
}

bool CPartitionCatalog::Append(sqlite3* db, const std::string& table, int position,
                               CPartitionScheme::Partition& partition, CEngineError& error) {
    partition.name = NextSystemName(db);
    return Run(
        db,
        "INSERT INTO main.TARVEX_PARTITIONS (TABLE_NAME, PARTITION_NAME, POSITION, HIGH_VALUE, "
        "IS_DEFAULT, BOUNDS) VALUES (?1, ?2, ?3, ?4, 0, ?5)",
        {table, partition.name, std::to_string(position), partition.highValue, Encode(partition.values)},
        error);
}

long long CPartitionCatalog::LastSystemNumber(sqlite3* db) {
    Statement statement = sqliteapi::Prepare(
        db,
        "SELECT coalesce(max(CAST(substr(PARTITION_NAME, 6) AS INTEGER)), 0) FROM main.TARVEX_PARTITIONS "
        "WHERE PARTITION_NAME GLOB 'SYS_P[0-9]*'");
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0)
                                                                    : 0;
}

std::string CPartitionCatalog::NextSystemName(sqlite3* db) {
    return "SYS_P" + std::to_string(LastSystemNumber(db) + 1);
}

bool CPartitionCatalog::Forget(sqlite3* db, const std::string& table, CEngineError& error) {
    return Run(db, "DELETE FROM main.TARVEX_PARTITIONS WHERE TABLE_NAME = ?1", {table}, error) &&
           Run(db, "DELETE FROM main.TARVEX_PART_INTERVALS WHERE TABLE_NAME = ?1", {table}, error) &&
           Run(db, "DELETE FROM main.TARVEX_PART_TABLES WHERE TABLE_NAME = ?1", {table}, error) &&
           Run(db, "DELETE FROM main.TARVEX_PART_INDEXES WHERE TABLE_NAME = ?1", {table}, error) &&
           Run(db,
               "DELETE FROM main.TARVEX_PART_INDEXES WHERE INDEX_NAME NOT IN (SELECT name FROM "
               "main.sqlite_schema WHERE type = 'index')",
               {}, error);
}

bool CPartitionCatalog::Rename(sqlite3* db, const std::string& table, const std::string& to,
                               CEngineError& error) {
    CPartitionScheme scheme;
    if (!Read(db, table, scheme)) return true;
    scheme.table = to;
    // Note: the triggers follow the table but name it in their calls; they are made anew.
    for (const char* prefix : {"TARVEX_PARTI_", "TARVEX_PARTU_"})
        if (!Exec(db, "DROP TRIGGER IF EXISTS main." + Quoted(prefix + table), error)) return false;
    return Run(db, "UPDATE main.TARVEX_PARTITIONS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1", {table, to},
               error) &&
           Run(db, "UPDATE main.TARVEX_PART_TABLES SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1", {table, to},
               error) &&
           Run(db, "UPDATE main.TARVEX_PART_INTERVALS SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1", {table, to},
               error) &&
           Run(db, "UPDATE main.TARVEX_PART_INDEXES SET TABLE_NAME = ?2 WHERE TABLE_NAME = ?1", {table, to},
               error) &&
           Guard(db, scheme, error);
}

bool CPartitionCatalog::AddLocalIndex(sqlite3* db, const std::string& index, const std::string& table,
                                      CEngineError& error) {
    return Run(db, "INSERT OR REPLACE INTO main.TARVEX_PART_INDEXES VALUES (?1, ?2)", {index, table}, error);
}

bool CPartitionCatalog::Count(sqlite3* db, const std::string& table, CEngineError& error) {
    CPartitionScheme scheme;
    if (!Read(db, table, scheme)) return true;
    return Exec(
        db,
        "UPDATE main.TARVEX_PARTITIONS SET NUM_ROWS = coalesce((SELECT n FROM (SELECT TARVEX_PARTITION(" +
            KeyArguments(scheme, "t") + ") AS p, count(*) AS n FROM main." + Quoted(table) +
            " t GROUP BY 1) WHERE p = POSITION), 0), LAST_ANALYZED = (SELECT LAST_ANALYZED FROM "
            "main.TARVEX_TABLE_STATS WHERE TABLE_NAME = " +
            Literal(table) + ") WHERE TABLE_NAME = " + Literal(table),
        error);
}

bool CPartitionCatalog::Guard(sqlite3* db, const CPartitionScheme& scheme, CEngineError& error) {
    std::string insert = Quoted("TARVEX_PARTI_" + scheme.table);
    std::string update = Quoted("TARVEX_PARTU_" + scheme.table);
    std::string columns;
    for (const std::string& column : scheme.columns)
        columns += (columns.empty() ? "" : ", ") + Quoted(column);
    // Note: an INTERVAL table makes the partition a row needs before it is
    // refused.
    std::string extend = scheme.interval.empty()
                             ? std::string()
                             : "SELECT TARVEX_PARTITION_EXTEND(" + KeyArguments(scheme, "NEW") +
                                   ") WHERE TARVEX_PARTITION(" + KeyArguments(scheme, "NEW") + ") IS NULL; ";
    return Exec(db, "DROP TRIGGER IF EXISTS main." + insert, error) &&
           Exec(db, "DROP TRIGGER IF EXISTS main." + update, error) &&
           Exec(db,
                "CREATE TRIGGER main." + insert + " BEFORE INSERT ON " + Quoted(scheme.table) +
                    " WHEN TARVEX_PARTITION(" + KeyArguments(scheme, "NEW") + ") IS NULL BEGIN " + extend +
                    "SELECT ORA_RAISE(14400) WHERE TARVEX_PARTITION(" + KeyArguments(scheme, "NEW") +
                    ") IS NULL; END",
                error) &&
           Exec(db,
                "CREATE TRIGGER main." + update + " BEFORE UPDATE OF " + columns + " ON " +
                    Quoted(scheme.table) + " BEGIN " + extend +
                    "SELECT ORA_RAISE(14400) WHERE TARVEX_PARTITION(" + KeyArguments(scheme, "NEW") +
                    ") IS NULL; SELECT ORA_RAISE(14402) WHERE TARVEX_PARTITION(" +
                    KeyArguments(scheme, "NEW") + ") <> TARVEX_PARTITION(" + KeyArguments(scheme, "OLD") +
                    ") AND NOT TARVEX_ROW_MOVEMENT(" + Literal(scheme.table) + "); END",
                error);
}

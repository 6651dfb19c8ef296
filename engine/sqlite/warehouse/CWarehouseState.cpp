#include "engine/sqlite/warehouse/CWarehouseState.h"

#include <sqlite3.h>

#include <iterator>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"

namespace {

CWarehouseState& State(sqlite3_context* context) {
    return *static_cast<CWarehouseState*>(sqlite3_user_data(context));
}

void Partition(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc < 1) return sqlite3_result_null(context);
    const CPartitionScheme* scheme =
        State(context).Scheme(sqlite3_context_db_handle(context), sqliteapi::TextOf(argv[0]));
    if (scheme == nullptr) return sqlite3_result_null(context);
    CPartitionKey key;
    for (int k = 1; k < argc; ++k) key.push_back(CPartitionValue::Of(argv[k]));
    int position = scheme->Locate(key);
    if (position < 0) return sqlite3_result_null(context);
    sqlite3_result_int(context, position + 1);
}

// TARVEX_PARTITION_EXTEND(table, key...): the partition an INTERVAL table
// makes for a row no partition takes; 1 when made, NULL when none may be.
void Extend(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc < 1) return sqlite3_result_null(context);
    sqlite3* db = sqlite3_context_db_handle(context);
    std::string table = sqliteapi::TextOf(argv[0]);
    const CPartitionScheme* scheme = State(context).Scheme(db, table);
    CPartitionKey key;
    for (int k = 1; k < argc; ++k) key.push_back(CPartitionValue::Of(argv[k]));
    CPartitionScheme::Partition partition;
    if (scheme == nullptr || !scheme->IntervalPartition(key, partition)) return sqlite3_result_null(context);
    CEngineError error;
    CPartitionScheme grown = *scheme;
    if (!CPartitionCatalog::Append(db, table, static_cast<int>(grown.partitions.size() + 1), partition,
                                   error))
        return sqlite3_result_error(context, error.message.c_str(), -1);
    grown.partitions.push_back(std::move(partition));
    State(context).schemes[table] = std::move(grown);
    sqlite3_result_int(context, 1);
}

void RowMovement(sqlite3_context* context, int, sqlite3_value** argv) {
    const CPartitionScheme* scheme =
        State(context).Scheme(sqlite3_context_db_handle(context), sqliteapi::TextOf(argv[0]));
    sqlite3_result_int(context, scheme != nullptr && scheme->rowMovement ? 1 : 0);
}

void MviewWritable(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_int(context, State(context).refreshing ? 1 : 0);
}

constexpr sqliteapi::FunctionRule kFunctions[] = {
    {"TARVEX_PARTITION", -1, Partition, false},
    {"TARVEX_ROW_MOVEMENT", 1, RowMovement, false},
    {"TARVEX_PARTITION_EXTEND", -1, Extend, false},
    {"TARVEX_MVIEW_WRITABLE", 0, MviewWritable, false},
};

}  // namespace

const CPartitionScheme* CWarehouseState::Scheme(sqlite3* db, const std::string& table) {
    auto found = schemes.find(table);
    if (found == schemes.end()) {
        CPartitionScheme scheme;
        std::optional<CPartitionScheme> read;
        if (CPartitionCatalog::Read(db, table, scheme)) read = std::move(scheme);
        found = schemes.emplace(table, std::move(read)).first;
    }
    return found->second ? &*found->second : nullptr;
}

bool CPartitionFunctions::Register(sqlite3* db, CWarehouseState* state) {
    return sqliteapi::RegisterFunctions(db, kFunctions, state);
}

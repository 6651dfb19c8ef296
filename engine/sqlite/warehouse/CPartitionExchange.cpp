#include "engine/sqlite/warehouse/CPartitionExchange.h"

#include <sqlite3.h>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "text/Encoding.h"

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The stored columns (a virtual one holds nothing to exchange).
std::vector<CSqliteCatalog::Column> Stored(const std::vector<CSqliteCatalog::Column>& columns) {
    std::vector<CSqliteCatalog::Column> stored;
    for (const auto& column : columns)
        if (!column.virtualColumn) stored.push_back(column);
    return stored;
}

std::string List(const std::vector<CSqliteCatalog::Column>& columns) {
    std::string out;
    for (const auto& column : columns)
        out += (out.empty() ? "" : ", ") + Quoted(encoding::Cp932ToUtf8(column.name));
    return out;
}

}  // namespace

bool CPartitionExchange::SameShape(const CSqliteCatalog::Column& a, const CSqliteCatalog::Column& b) {
    return a.type == b.type && a.precision == b.precision && a.scale == b.scale && a.fraction == b.fraction &&
           a.zone == b.zone && a.length == b.length && a.charSemantics == b.charSemantics;
}

bool CPartitionExchange::Exec(const std::string& utf8, int& code, std::string& argument) {
    if (sqlite3_exec(m_db, utf8.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    return EngineFailure(code, argument);
}

bool CPartitionExchange::EngineFailure(int& code, std::string& argument) {
    code = 0;
    argument = sqliteapi::Cp932Of(sqlite3_errmsg(m_db));
    return false;
}

bool CPartitionExchange::Match(int& code) {
    if (m_mine.size() != m_theirs.size()) {
        code = 14096;
        return false;
    }
    for (std::size_t c = 0; c < m_mine.size(); ++c)
        if (!SameShape(m_mine[c], m_theirs[c])) {
            code = 14097;
            return false;
        }
    return true;
}

// TARVEX_PARTITION over the key of the rows of `table` (a name qualifying
// the columns, or ""): the partitioned table's key columns, or (not `own`)
// the other table's columns in their places.
std::string CPartitionExchange::KeyOf(const CPartitionScheme& scheme, const std::string& table,
                                      bool own) const {
    std::string call = "TARVEX_PARTITION('" + scheme.table + "'";
    for (const std::string& key : scheme.columns) {
        std::string column = key;
        for (std::size_t c = 0; !own && c < m_mine.size(); ++c)
            if (encoding::Cp932ToUtf8(m_mine[c].name) == key)
                column = encoding::Cp932ToUtf8(m_theirs[c].name);
        call += ", " + (table.empty() ? std::string() : table + ".") + Quoted(column);
    }
    return call + ")";
}

bool CPartitionExchange::Run(const CPartitionScheme& scheme, int position, const std::string& other,
                             bool validate, int& code, std::string& argument) {
    std::string name = encoding::Utf8ToCp932(other);
    const auto* theirs = m_catalog.Columns(name);
    if (theirs == nullptr) {
        code = 942;
        argument = name;
        return false;
    }
    m_theirs = Stored(*theirs);
    CPartitionScheme partitioned;
    if (CPartitionCatalog::Read(m_db, other, partitioned) || other == scheme.table) {
        code = 14095;
        return false;
    }
    if (m_catalog.IsReadOnly(name)) {
        code = 12081;
        argument = name;
        return false;
    }
    const auto* mine = m_catalog.Columns(encoding::Utf8ToCp932(scheme.table));
    if (mine == nullptr) {
        code = 942;
        argument = encoding::Utf8ToCp932(scheme.table);
        return false;
    }
    m_mine = Stored(*mine);
    if (!Match(code)) return false;
    std::string place = " = " + std::to_string(position + 1);
    std::string table = "main." + Quoted(scheme.table);
    std::string staging = "main." + Quoted(other);
    if (validate) {
        sqliteapi::Statement outside =
            sqliteapi::Prepare(m_db, "SELECT 1 FROM " + staging + " s WHERE " + KeyOf(scheme, "s", false) +
                                         " IS NOT " + std::to_string(position + 1) + " LIMIT 1");
        if (!outside) return EngineFailure(code, argument);
        if (sqlite3_step(outside.get()) == SQLITE_ROW) {
            code = 14099;
            return false;
        }
    }
    std::string ours = List(m_mine);
    std::string others = List(m_theirs);
    return Exec("DROP TABLE IF EXISTS temp.TARVEX_EXCHANGE; CREATE TEMP TABLE TARVEX_EXCHANGE AS SELECT " +
                    ours + " FROM " + table + " t WHERE " + KeyOf(scheme, "t", true) + place +
                    "; DELETE FROM " + table + " WHERE " + KeyOf(scheme, "", true) + place +
                    "; INSERT INTO " + table + " (" + ours + ") SELECT " + others + " FROM " + staging +
                    "; DELETE FROM " + staging + "; INSERT INTO " + staging + " (" + others +
                    ") SELECT * FROM temp.TARVEX_EXCHANGE; DROP TABLE "
                    "temp.TARVEX_EXCHANGE",
                code, argument);
}

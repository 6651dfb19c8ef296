#include "engine/sqlite/CSqliteCatalog.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CServerType.h"
#include "engine/sqlite/CTableOptions.h"
#include "engine/sqlite/CTypedText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/warehouse/CPartitionCatalog.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Statement = sqliteapi::Statement;

using sqliteapi::Prepare;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Upper case of CP932 text: a trail byte is never touched.

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

struct TypeName {
    std::string_view name;
    CSqlType type;
    bool charSemantics;
    bool integer;
};

constexpr TypeName kTypeNames[] = {
    {"VARCHAR2", CSqlType::Text, false, false},       {"VARCHAR", CSqlType::Text, false, false},
    {"VARCHAR2_CHAR", CSqlType::Text, true, false},   {"NVARCHAR2", CSqlType::Text, true, false},
    {"CHAR", CSqlType::Char, false, false},           {"CHAR_CHAR", CSqlType::Char, true, false},
    {"NCHAR", CSqlType::Char, true, false},           {"CHARACTER", CSqlType::Char, false, false},
    {"CLOB", CSqlType::Text, false, false},           {"NCLOB", CSqlType::Text, false, false},
    {"LONG", CSqlType::Text, false, false},           {"NUMBER", CSqlType::Number, false, false},
    {"NUMERIC", CSqlType::Number, false, false},      {"DECIMAL", CSqlType::Number, false, false},
    {"DEC", CSqlType::Number, false, false},          {"INTEGER", CSqlType::Number, false, true},
    {"INT", CSqlType::Number, false, true},           {"SMALLINT", CSqlType::Number, false, true},
    {"BIGINT", CSqlType::Number, false, true},        {"FLOAT", CSqlType::Number, false, false},
    {"REAL", CSqlType::Number, false, false},         {"DOUBLE PRECISION", CSqlType::Number, false, false},
    {"BINARY_FLOAT", CSqlType::Number, false, false}, {"BINARY_DOUBLE", CSqlType::Number, false, false},
    {"DATE", CSqlType::Date, false, false},           {"TIMESTAMP", CSqlType::Date, false, false},
    {"DATETIME", CSqlType::Date, false, false},
};

// Whether a table or view of the file (or of the connection's temporary
// ones) is named exactly `name` (UTF-8).
bool Exists(sqlite3* db, const std::string& name) {
    Statement look = Prepare(db,
                             "SELECT 1 FROM main.sqlite_schema WHERE name = ?1 AND type IN ('table', 'view') "
                             "UNION ALL SELECT 1 FROM temp.sqlite_schema WHERE name = ?1 AND type IN "
                             "('table', 'view')");
    if (!look) return false;
    sqlite3_bind_text(look.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW;
}

// Note: a view's object or collection column is NOT NULL where the table's
// column it reads is; the view keeps no NOT NULL of its own.
void NotNullThroughView(sqlite3* db, const std::string& utf8Name,
                        std::vector<CSqliteCatalog::Column>& columns) {
    bool objects = false;
    for (const auto& column : columns)
        objects = objects || !column.objectType.empty() || !column.collection.empty();
    Statement view = objects
                         ? Prepare(db, "SELECT 1 FROM main.sqlite_schema WHERE name = ?1 AND type = 'view'")
                         : Statement();
    if (!view) return;
    sqlite3_bind_text(view.get(), 1, utf8Name.c_str(), -1, SQLITE_TRANSIENT);
    std::string quoted;
    for (char c : utf8Name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    Statement rows = sqlite3_step(view.get()) == SQLITE_ROW ? Prepare(db, "SELECT * FROM \"" + quoted + "\"")
                                                            : Statement();
    for (int k = 0; rows && k < sqlite3_column_count(rows.get()) && k < static_cast<int>(columns.size());
         ++k) {
        CSqliteCatalog::Column& column = columns[static_cast<std::size_t>(k)];
        const char* database = sqlite3_column_database_name(rows.get(), k);
        const char* table = sqlite3_column_table_name(rows.get(), k);
        const char* origin = sqlite3_column_origin_name(rows.get(), k);
        int notNull = 0;
        if ((!column.objectType.empty() || !column.collection.empty()) && database != nullptr &&
            table != nullptr && origin != nullptr &&
            sqlite3_table_column_metadata(db, database, table, origin, nullptr, nullptr, &notNull, nullptr,
                                          nullptr) == SQLITE_OK)
            column.notNull = notNull != 0;
    }
}

// The text the first row of `sql` gives for the name `name` (CP932, bound
// to ?1 as UTF-8); "" when none. UTF-8.
std::string OneText(sqlite3* db, const char* sql, std::string_view name) {
    Statement look = Prepare(db, sql);
    if (!look) return {};
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(look.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return sqlite3_step(look.get()) == SQLITE_ROW ? Text(look.get(), 0) : std::string();
}

}  // namespace

CSqliteCatalog::Column CSqliteCatalog::Describe(std::string name, std::string_view declared) {
    Column column;
    column.name = std::move(name);
    std::string text = Upper(declared);
    // Note: "TIMESTAMP(3) WITH TIME ZONE" is kept by SQLite as
    // "TIMESTAMP_WITH_TIME_ZONE(3)"; both are a TIMESTAMP and its zone.
    for (char& c : text)
        if (c == '_' && text.starts_with("TIMESTAMP")) c = ' ';
    if (text.starts_with("TIMESTAMP") && text.find(" TIME ZONE") != std::string::npos) {
        column.zone = text.find("LOCAL TIME ZONE") != std::string::npos ? Column::kLocalZone : Column::kZoned;
        // Note: the joined form holds its digits after the words.
        std::size_t open = text.find('(');
        std::size_t close = text.find(')', open);
        std::string digits = open != std::string::npos && close != std::string::npos
                                 ? text.substr(open, close - open + 1)
                                 : std::string();
        text = text.substr(0, std::min(text.find(" WITH"), text.find('('))) + digits;
    }
    std::size_t open = text.find('(');
    std::string base = text.substr(0, open);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::vector<long> arguments;
    bool lengthInCharacters = false;
    if (open != std::string::npos) {
        const char* at = text.c_str() + open + 1;
        char* end = nullptr;
        for (;;) {
            // Note: NUMBER(*, s) has no precision of its own.
            long value = 0;
            const char* next = at + 1;
            if (*at != '*') {
                value = std::strtol(at, &end, 10);
                next = end;
            }
            if (next == at) break;
            arguments.push_back(value);
            at = next;
            while (*at == ' ' || *at == ',') ++at;
        }
        // VARCHAR2(n CHAR): the length counts characters.
        lengthInCharacters = std::string_view(at).starts_with("CHAR");
    }
    column.binary = base == "BLOB" || base == "RAW" || base == "RAW_TEXT" || base == "LONG RAW";
    column.interval = base.starts_with("INTERVAL");
    column.floatWidth = base == "BINARY_FLOAT" ? 4 : base == "BINARY_DOUBLE" ? 8 : 0;
    if (CServerType::Shape shape; column.interval && CServerType::Describe(text, shape)) {
        column.yearToMonth = shape.serverType == servertype::kIntervalYm;
        column.precision = shape.precision;
        column.scale = shape.scale;
    }
    for (const TypeName& type : kTypeNames) {
        if (type.name != base) continue;
        column.type = type.type;
        column.charSemantics = type.charSemantics || lengthInCharacters;
        column.integer = type.integer;
        break;
    }
    if (column.type == CSqlType::Number && base != "FLOAT" && !arguments.empty()) {
        column.precision = static_cast<int>(arguments[0]);
        column.scale = arguments.size() > 1 ? static_cast<int>(arguments[1])
                       : arguments[0] > 0   ? 0
                                            : Column::kNoScale;
    }
    if (column.integer) column.scale = 0;
    // Note: NUMERIC and DECIMAL without digits hold integers: their scale is 0.
    if (arguments.empty() && (base == "NUMERIC" || base == "DECIMAL" || base == "DEC")) column.scale = 0;
    if (base == "TIMESTAMP") column.fraction = arguments.empty() ? 6 : static_cast<int>(arguments[0]);
    if (column.type == CSqlType::Text || column.type == CSqlType::Char)
        column.length = arguments.empty() ? (column.type == CSqlType::Char ? 1 : 0) : arguments[0];
    if (base == "CLOB" || base == "NCLOB" || base == "LONG") column.length = 0;
    return column;
}

std::string CSqliteCatalog::IdentitySequence(std::string_view table, std::string_view column) {
    return "ISEQ$$_" + cp932::ToUpperAscii(table) + "_" + cp932::ToUpperAscii(column);
}

CSqliteCatalog::~CSqliteCatalog() { sqlite3_finalize(m_version); }

void CSqliteCatalog::Refresh() {
    // Note: within a transaction only this connection can change the schema
    // it sees (and says so by Invalidate), so one look per transaction does.
    bool inTransaction = sqlite3_get_autocommit(m_db) == 0;
    if (inTransaction && m_checked) return;
    m_checked = inTransaction;
    if (m_version == nullptr) sqlite3_prepare_v2(m_db, "PRAGMA schema_version", -1, &m_version, nullptr);
    long long version = m_version != nullptr && sqlite3_step(m_version) == SQLITE_ROW
                            ? sqlite3_column_int64(m_version, 0)
                            : -2;
    if (m_version != nullptr) sqlite3_reset(m_version);
    if (version != m_schemaVersion) Forget();
    m_schemaVersion = version;
}

void CSqliteCatalog::Invalidate() {
    Forget();
    m_checked = false;
}

void CSqliteCatalog::Forget() {
    m_columns.clear();
    m_writable.clear();
    m_views.clear();
    ++m_generation;
}

const std::vector<CSqliteCatalog::Column>* CSqliteCatalog::Columns(std::string_view name) {
    std::string key(name);
    auto found = m_columns.find(key);
    if (found != m_columns.end()) return &found->second;
    std::vector<Column> columns;
    std::string quoted;
    for (char c : encoding::Cp932ToUtf8(key)) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    // Note: a table's columns are the catalog's; a view's (and a table of a
    // file the catalog has not recorded) are as SQLite declares them.
    std::string utf8Name = encoding::Cp932ToUtf8(key);
    // Note: pragma_table_xinfo lists generated (virtual) columns too, hidden 2 or 3.
    Statement statement = Prepare(
        m_db,
        "SELECT c.COLUMN_NAME, c.DATA_TYPE, coalesce(p.pk, 0), p.dflt_value, coalesce(p.hidden, 0), "
        "o.HIDDEN_COLUMN = 'YES', o.DEFAULT_ON_NULL = 'YES', coalesce(p.\"notnull\", 0) FROM "
        "main.TARVEX_COLUMNS c "
        "LEFT JOIN "
        "pragma_table_xinfo(?1) p ON p.name = c.COLUMN_NAME LEFT JOIN main.TARVEX_COLUMN_OPTIONS o "
        "ON o.TABLE_NAME = c.TABLE_NAME AND o.COLUMN_NAME = c.COLUMN_NAME WHERE c.TABLE_NAME = ?1 ORDER BY "
        "c.COLUMN_ID");
    if (statement) sqlite3_bind_text(statement.get(), 1, utf8Name.c_str(), -1, SQLITE_TRANSIENT);
    bool recorded = statement && sqlite3_step(statement.get()) == SQLITE_ROW;
    // Note: SQLite finds a table in any case; the server's names are exact.
    if (!recorded && Exists(m_db, utf8Name))
        statement = Prepare(
            m_db, "SELECT name, type, pk, dflt_value, hidden, 0, 0, \"notnull\" FROM pragma_table_xinfo(\"" +
                      quoted + "\") WHERE hidden <> 1");
    else if (!recorded)
        statement.reset();
    while (statement && (recorded || sqlite3_step(statement.get()) == SQLITE_ROW)) {
        recorded = false;
        columns.push_back(
            Describe(encoding::Utf8ToCp932(Text(statement.get(), 0)), Text(statement.get(), 1)));
        Column& column = columns.back();
        column.primaryKey = sqlite3_column_int(statement.get(), 2) > 0;
        column.defaultValue = encoding::Utf8ToCp932(Text(statement.get(), 3));
        column.virtualColumn = sqlite3_column_int(statement.get(), 4) >= 2;
        column.hidden = sqlite3_column_int(statement.get(), 5) != 0;
        column.defaultOnNull = sqlite3_column_int(statement.get(), 6) != 0;
        column.notNull = sqlite3_column_int(statement.get(), 7) != 0;
        if (column.type == CSqlType::Unknown)
            column.collection = encoding::Utf8ToCp932(Text(statement.get(), 1));
    }
    for (Column& column : columns) {
        std::vector<std::pair<std::string, std::string>> elements;
        bool objects = false;
        std::string named = cp932::ToUpperAscii(column.collection);
        column.collection.clear();
        ObjectShape shape;
        if (named.empty()) continue;
        if (CollectionColumns(named, false, elements, objects))
            column.collection = named;
        else if (ObjectType(named, shape))
            column.objectType = named;
        else if (HasType(named))
            column.brokenType = named;
    }
    NotNullThroughView(m_db, utf8Name, columns);
    Statement identities =
        Prepare(m_db,
                "SELECT COLUMN_NAME, CASE WHEN DEFAULT_ON_NULL = 'YES' THEN 'ON NULL' WHEN "
                "GENERATION_TYPE = 'ALWAYS' THEN 'ALWAYS' ELSE 'DEFAULT' END FROM "
                "main.TARVEX_IDENTITIES WHERE TABLE_NAME = ?1");
    if (identities) sqlite3_bind_text(identities.get(), 1, utf8Name.c_str(), -1, SQLITE_TRANSIENT);
    while (!columns.empty() && identities && sqlite3_step(identities.get()) == SQLITE_ROW) {
        std::string name = encoding::Utf8ToCp932(Text(identities.get(), 0));
        for (Column& column : columns)
            if (column.name == name) {
                column.identity = Text(identities.get(), 1);
                // Note: a key column that numbers its NULLs takes one.
                if (column.identity == "ON NULL") column.primaryKey = false;
            }
    }
    // Note: a missing name is asked again next time (another connection
    // may create it).
    if (columns.empty()) return nullptr;
    return &(m_columns[key] = std::move(columns));
}

std::string CSqliteCatalog::UniqueName(std::string_view failed) {
    // "T.A, T.B" -> table T, columns A, B
    std::string table;
    std::vector<std::string> columns;
    std::size_t at = 0;
    while (at < failed.size()) {
        std::size_t comma = failed.find(", ", at);
        std::string_view part =
            failed.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at);
        std::size_t dot = part.find('.');
        if (dot == std::string_view::npos) return {};
        table = part.substr(0, dot);
        columns.emplace_back(part.substr(dot + 1));
        if (comma == std::string_view::npos) break;
        at = comma + 2;
    }
    Statement list =
        Prepare(m_db, "SELECT name, origin FROM pragma_index_list('" + table + "') WHERE \"unique\"");
    while (list && sqlite3_step(list.get()) == SQLITE_ROW) {
        std::string index = Text(list.get(), 0);
        std::string origin = Text(list.get(), 1);
        Statement info = Prepare(m_db, "SELECT name FROM pragma_index_info('" + index + "') ORDER BY seqno");
        std::vector<std::string> indexed;
        while (info && sqlite3_step(info.get()) == SQLITE_ROW) indexed.push_back(Text(info.get(), 0));
        if (indexed != columns) continue;
        if (origin == "c") return index;
        break;
    }
    // Note: a key of the table itself is named by the dictionary's catalog
    // (CSqliteDictionary::KeyName), not here.
    return {};
}

std::vector<std::vector<std::string>> CSqliteCatalog::UniqueKeys(std::string_view name) {
    std::vector<std::vector<std::string>> keys;
    std::vector<std::string> primary;
    if (const auto* columns = Columns(name))
        for (const Column& column : *columns)
            if (column.primaryKey) primary.push_back(column.name);
    if (!primary.empty()) keys.push_back(std::move(primary));
    // Note: an index on an expression (a name of NULL) makes no key of columns.
    Statement list = Prepare(m_db,
                             "SELECT l.name, i.name FROM pragma_index_list(?1) l, pragma_index_info(l.name) "
                             "i WHERE l.\"unique\" AND l.partial = 0 ORDER BY l.seq, i.seqno");
    if (!list) return keys;
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(list.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    std::string index;
    bool expression = false;
    std::vector<std::vector<std::string>> indexed;
    while (sqlite3_step(list.get()) == SQLITE_ROW) {
        std::string made = Text(list.get(), 0);
        if (indexed.empty() || made != index) {
            if (!indexed.empty() && expression) indexed.pop_back();
            index = made;
            expression = false;
            indexed.emplace_back();
        }
        if (sqlite3_column_type(list.get(), 1) == SQLITE_NULL) expression = true;
        indexed.back().push_back(encoding::Utf8ToCp932(Text(list.get(), 1)));
    }
    if (!indexed.empty() && expression) indexed.pop_back();
    keys.insert(keys.end(), indexed.begin(), indexed.end());
    return keys;
}

bool CSqliteCatalog::View(std::string_view name, std::string& text, bool& readOnly, bool& checkOption) {
    auto found = m_views.find(name);
    if (found == m_views.end()) {
        ViewRecord record;
        CCatalogTables::View view;
        if (CCatalogTables::FindView(m_db, encoding::Cp932ToUtf8(name), view))
            record = {true, CTypedText::UpperWords(encoding::Utf8ToCp932(view.text)), view.readOnly,
                      view.checkOption};
        found = m_views.emplace(std::string(name), std::move(record)).first;
    }
    const ViewRecord& record = found->second;
    if (!record.known) return false;
    text = record.text;
    readOnly = record.readOnly;
    checkOption = record.checkOption;
    return true;
}

const CSqliteCatalog::Writable& CSqliteCatalog::WritableState(std::string_view table) {
    // Note: read once per table until the schema changes, as the columns are.
    std::string key(table);
    auto found = m_writable.find(key);
    if (found != m_writable.end()) return found->second;
    std::string utf8 = encoding::Cp932ToUtf8(table);
    Writable state{CTableOptions::IsReadOnly(m_db, utf8),
                   encoding::Utf8ToCp932(CTableOptions::UnusableUniqueIndex(m_db, utf8))};
    return m_writable[key] = std::move(state);
}

std::string CSqliteCatalog::OtherCase(std::string_view name) {
    const std::string utf8 = encoding::Cp932ToUtf8(name);
    Statement look = Prepare(m_db,
                             "SELECT name FROM main.sqlite_schema WHERE name = ?1 COLLATE NOCASE AND type IN "
                             "('table', 'view', 'index') UNION ALL SELECT name FROM temp.sqlite_schema WHERE "
                             "name = ?1 COLLATE NOCASE AND type IN ('table', 'view', 'index')");
    if (!look) return {};
    sqlite3_bind_text(look.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    std::string other;
    while (sqlite3_step(look.get()) == SQLITE_ROW) {
        std::string found = Text(look.get(), 0);
        if (found == utf8) return {};
        other = found;
    }
    return encoding::Utf8ToCp932(other);
}

bool CSqliteCatalog::IsReadOnly(std::string_view table) { return WritableState(table).readOnly; }

std::string CSqliteCatalog::UnusableUniqueIndex(std::string_view table) {
    return WritableState(table).unusableIndex;
}

bool CSqliteCatalog::HasFunction(std::string_view name) {
    return m_declared.count(name) > 0 || HasUnit(name, "FUNCTION");
}

void CSqliteCatalog::DeclareFunctions(unsigned long id, std::map<std::string, std::string> results) {
    m_declaredId = id;
    m_declared.clear();
    for (auto& [name, result] : results) m_declared.emplace(name, std::move(result));
}

bool CSqliteCatalog::DeclaredFunction(std::string_view name, unsigned long& id) const {
    if (m_declared.count(name) == 0) return false;
    id = m_declaredId;
    return true;
}

bool CSqliteCatalog::HasPackage(std::string_view name) { return HasUnit(name, "PACKAGE"); }

bool CSqliteCatalog::HasType(std::string_view name) { return HasUnit(name, "TYPE"); }

bool CSqliteCatalog::CollectionColumns(std::string_view name, bool function,
                                       std::vector<std::pair<std::string, std::string>>& columns,
                                       bool& object, int arguments) {
    // Note: the shape is the PL/SQL compiler's (TARVEX_TYPE_SHAPE, see CTypeShape).
    sqlite3_stmt* look = nullptr;
    if (sqlite3_prepare_v2(
            m_db,
            "SELECT json_extract(c.value, '$[0]'), json_extract(c.value, '$[1]'), "
            "json_extract(s.v, '$.object') FROM (SELECT TARVEX_TYPE_SHAPE(?1, ?2, ?3) AS v) s, "
            "json_each(s.v, '$.columns') c WHERE json_extract(s.v, '$.code') = 'COLLECTION'",
            -1, &look, nullptr) != SQLITE_OK) {
        sqlite3_finalize(look);
        return false;
    }
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(look, 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(look, 2, function ? 1 : 0);
    sqlite3_bind_int(look, 3, arguments);
    columns.clear();
    while (sqlite3_step(look) == SQLITE_ROW) {
        auto text = [&](int k) {
            const unsigned char* raw = sqlite3_column_text(look, k);
            return encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : "");
        };
        columns.emplace_back(text(0), text(1));
        object = sqlite3_column_int(look, 2) != 0;
    }
    sqlite3_finalize(look);
    return !columns.empty();
}

std::string CSqliteCatalog::CollectionElement(std::string_view name) {
    Statement look = Prepare(m_db,
                             "SELECT s.v ->> '$.element[0]' FROM (SELECT TARVEX_TYPE_SHAPE(?1, 0) AS v) s "
                             "WHERE s.v ->> '$.code' = 'COLLECTION' AND s.v ->> '$.object'");
    if (!look) return {};
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(look.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return {};
    return encoding::Utf8ToCp932(Text(look.get(), 0));
}

std::string CSqliteCatalog::ObjectShape::Ordering(bool& map) const {
    for (const Method& method : methods)
        if (method.kind == "MAP" || method.kind == "ORDER") {
            map = method.kind == "MAP";
            return method.name;
        }
    return {};
}

bool CSqliteCatalog::ObjectType(std::string_view name, ObjectShape& shape) {
    // Note: the shape is the PL/SQL compiler's (TARVEX_TYPE_SHAPE, see CTypeShape).
    Statement look = Prepare(m_db,
                             "SELECT TARVEX_TYPE_SHAPE(?1, 0) WHERE EXISTS (SELECT 1 FROM "
                             "main.TARVEX_UNITS WHERE NAME = ?1 AND TYPE = 'TYPE')");
    if (!look) return false;
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(look.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(look.get()) != SQLITE_ROW) return false;
    std::string json = Text(look.get(), 0);
    Statement parts = Prepare(
        m_db,
        "SELECT 0, a.value ->> '$[0]', a.value ->> '$[2]', a.value ->> '$[1][0]', a.value ->> '$[3]', 0 FROM "
        "json_each(?1, '$.attrs') a WHERE ?1 ->> '$.code' = 'OBJECT' UNION ALL SELECT 1, m.value ->> '$[0]', "
        "m.value ->> '$[1]', m.value ->> '$[2]', m.value ->> '$[3]', 0 FROM json_each(?1, '$.methods') m "
        "UNION ALL SELECT 2, ?1 ->> '$.final', NULL, NULL, NULL, 0 WHERE ?1 ->> '$.code' = 'OBJECT'");
    if (!parts) return false;
    sqlite3_bind_text(parts.get(), 1, json.c_str(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
    shape = ObjectShape{};
    bool object = false;
    while (sqlite3_step(parts.get()) == SQLITE_ROW) {
        auto text = [&](int k) { return encoding::Utf8ToCp932(Text(parts.get(), k)); };
        switch (sqlite3_column_int(parts.get(), 0)) {
            case 0: {
                ObjectShape::Attribute attribute{text(1), text(2), {}, false};
                std::string kind = text(4);
                if (!kind.empty()) {
                    attribute.schemaType = text(3);
                    attribute.object = kind == "OBJECT";
                }
                shape.attributes.push_back(std::move(attribute));
                break;
            }
            case 1:
                shape.methods.push_back({text(1), text(2), sqlite3_column_int(parts.get(), 3) != 0,
                                         sqlite3_column_int(parts.get(), 4)});
                break;
            default:
                object = true;
                shape.final = text(1) != "NO";
                break;
        }
    }
    return object;
}

std::string CSqliteCatalog::MemberResult(std::string_view type, std::string_view method, int arguments) {
    Statement look = Prepare(m_db, "SELECT TARVEX_MEMBER_RESULT(?1, ?2, ?3)");
    if (!look) return {};
    std::string utf8Type = encoding::Cp932ToUtf8(type);
    std::string utf8Method = encoding::Cp932ToUtf8(method);
    sqlite3_bind_text(look.get(), 1, utf8Type.c_str(), static_cast<int>(utf8Type.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(look.get(), 2, utf8Method.c_str(), static_cast<int>(utf8Method.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_int(look.get(), 3, arguments);
    return sqlite3_step(look.get()) == SQLITE_ROW ? encoding::Utf8ToCp932(Text(look.get(), 0))
                                                  : std::string();
}

bool CSqliteCatalog::HasInsteadOf(std::string_view view, std::string_view event) {
    sqlite3_stmt* look = nullptr;
    // Note: TRIGGERING_EVENT is "INSERT OR UPDATE OR DELETE" or a part of it.
    if (sqlite3_prepare_v2(
            m_db,
            "SELECT 1 FROM main.TARVEX_TRIGGERS WHERE TABLE_NAME = ?1 AND TRIGGER_TYPE = "
            "'INSTEAD OF' AND STATUS = 'ENABLED' AND ' OR ' || TRIGGERING_EVENT || ' OR ' LIKE "
            "'% OR ' || ?2 || ' OR %'",
            -1, &look, nullptr) != SQLITE_OK) {
        sqlite3_finalize(look);
        return false;
    }
    std::string utf8 = encoding::Cp932ToUtf8(view);
    sqlite3_bind_text(look, 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(look, 2, event.data(), static_cast<int>(event.size()), SQLITE_TRANSIENT);
    bool found = sqlite3_step(look) == SQLITE_ROW;
    sqlite3_finalize(look);
    return found;
}

bool CSqliteCatalog::HasUnit(std::string_view name, const char* type) {
    // Note: stored units are the ones kept in TARVEX_UNITS.
    sqlite3_stmt* look = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT 1 FROM main.TARVEX_UNITS WHERE NAME = ?1 AND TYPE = ?2", -1, &look,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(look);
        return false;
    }
    std::string utf8 = encoding::Cp932ToUtf8(name);
    sqlite3_bind_text(look, 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(look, 2, type, -1, SQLITE_STATIC);
    bool found = sqlite3_step(look) == SQLITE_ROW;
    sqlite3_finalize(look);
    return found;
}

std::string CSqliteCatalog::FunctionResult(std::string_view name, int arguments) {
    if (auto found = m_declared.find(name); found != m_declared.end()) return found->second;
    // Note: a package's function is named PACKAGE.FUNCTION; of an overloaded
    // name the one of as many arguments tells, else the first declared.
    if (name.find('.') != std::string_view::npos) {
        Statement look = Prepare(
            m_db,
            "SELECT a.DATA_TYPE FROM main.TARVEX_UNIT_ARGUMENTS a WHERE a.PACKAGE_NAME || '.' || a.NAME = ?1 "
            "AND a.POSITION = 0 ORDER BY (SELECT COUNT(*) FROM main.TARVEX_UNIT_ARGUMENTS p WHERE "
            "p.PACKAGE_NAME = a.PACKAGE_NAME AND p.NAME = a.NAME AND p.OVERLOAD IS a.OVERLOAD AND "
            "p.POSITION > 0) <> ?2, a.OVERLOAD LIMIT 1");
        if (!look) return {};
        std::string utf8 = encoding::Cp932ToUtf8(name);
        sqlite3_bind_text(look.get(), 1, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(look.get(), 2, arguments);
        return sqlite3_step(look.get()) == SQLITE_ROW ? encoding::Utf8ToCp932(Text(look.get(), 0))
                                                      : std::string();
    }
    return encoding::Utf8ToCp932(
        OneText(m_db,
                "SELECT DATA_TYPE FROM main.TARVEX_UNIT_ARGUMENTS WHERE NAME = ?1 AND POSITION = 0 AND "
                "PACKAGE_NAME IS NULL",
                name));
}

std::string CSqliteCatalog::FunctionResultType(std::string_view name, int arguments) {
    const std::string result = FunctionResult(name, arguments);
    if (result != "OBJECT" && result != "TABLE" && result != "VARRAY") return {};
    // Note: the shape is the PL/SQL compiler's (TARVEX_TYPE_SHAPE, see CTypeShape).
    return encoding::Utf8ToCp932(
        OneText(m_db,
                ("SELECT json_extract(TARVEX_TYPE_SHAPE(?1, 1, " + std::to_string(arguments) + "), '$.name')")
                    .c_str(),
                name));
}

bool CSqliteCatalog::Partitioning(std::string_view name, std::vector<std::string>& keys,
                                  std::vector<std::string>& partitions) {
    CPartitionScheme scheme;
    if (!CPartitionCatalog::Read(m_db, encoding::Cp932ToUtf8(std::string(name)), scheme)) return false;
    for (const std::string& key : scheme.columns) keys.push_back(encoding::Utf8ToCp932(key));
    for (const auto& partition : scheme.partitions)
        partitions.push_back(encoding::Utf8ToCp932(partition.name));
    return true;
}

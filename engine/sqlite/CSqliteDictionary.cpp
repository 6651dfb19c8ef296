#include "engine/sqlite/CSqliteDictionary.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
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

std::string Upper(std::string_view text) {
    std::string out(text);
    if (out.size() >= 2 && out.front() == '"') return out.substr(1, out.size() - 2);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

constexpr const char* kUserObjects = "m.name NOT LIKE 'sqlite%' AND upper(m.name) NOT LIKE 'TARVEX%'";

// A view of the dictionary: its columns with the server's declared types
// (a text of the server's LONG type is left untyped), and the query that
// fills its rows; CONSTRAINTS and CONS_COLUMNS are filled by All().
struct View {
    const char* name;
    const char* columns;
    const char* select;
};

// Note: the texts use "m" for main.sqlite_schema.
const View kViews[] = {
    {"TABLES",
     "TABLE_NAME VARCHAR2(128), TABLESPACE_NAME VARCHAR2(30), STATUS VARCHAR2(8), NUM_ROWS NUMBER, TEMPORARY "
     "VARCHAR2(1)",
     "SELECT upper(m.name), 'USERS', 'VALID', NULL, 'N' FROM main.sqlite_schema m WHERE m.type = 'table' AND "
     "%U UNION ALL SELECT TABLE_NAME, NULL, 'VALID', NULL, 'Y' FROM main.TARVEX_TEMPORARY"},
    {"TAB_COLUMNS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), DATA_TYPE VARCHAR2(128), DATA_LENGTH NUMBER, "
     "DATA_PRECISION NUMBER, DATA_SCALE NUMBER, NULLABLE VARCHAR2(1), COLUMN_ID NUMBER, DATA_DEFAULT, "
     "IDENTITY_COLUMN VARCHAR2(3)",
     "SELECT upper(m.name), upper(p.name), ORA_TYPE_PART(p.type, 0), ORA_TYPE_PART(p.type, 1), "
     "ORA_TYPE_PART(p.type, 2), ORA_TYPE_PART(p.type, 3), CASE WHEN p.\"notnull\" OR p.pk THEN 'N' ELSE 'Y' "
     "END, p.cid + 1, p.dflt_value, CASE WHEN EXISTS (SELECT 1 FROM main.TARVEX_IDENTITIES i WHERE "
     "i.TABLE_NAME = upper(m.name) AND i.COLUMN_NAME = upper(p.name)) THEN 'YES' ELSE 'NO' END FROM "
     "(SELECT name, type FROM main.sqlite_schema UNION ALL SELECT name, type FROM temp.sqlite_schema WHERE "
     "upper(name) IN (SELECT TABLE_NAME FROM main.TARVEX_TEMPORARY)) m, pragma_table_info(m.name) p WHERE "
     "m.type IN ('table', 'view') AND %U"},
    {"VIEWS", "VIEW_NAME VARCHAR2(128), TEXT_LENGTH NUMBER, TEXT, READ_ONLY VARCHAR2(1)",
     "SELECT v.VIEW_NAME, length(v.TEXT), v.TEXT, v.READ_ONLY FROM main.TARVEX_VIEWS v JOIN "
     "main.sqlite_schema "
     "m ON m.type = 'view' AND upper(m.name) = v.VIEW_NAME WHERE v.VIEW_NAME NOT IN (SELECT SYNONYM_NAME "
     "FROM "
     "main.TARVEX_SYNONYMS)"},
    {"SYNONYMS",
     "SYNONYM_NAME VARCHAR2(128), TABLE_OWNER VARCHAR2(128), TABLE_NAME VARCHAR2(128), DB_LINK "
     "VARCHAR2(128)",
     "SELECT SYNONYM_NAME, TABLE_OWNER, TABLE_NAME, NULL FROM main.TARVEX_SYNONYMS"},
    {"INDEXES",
     "INDEX_NAME VARCHAR2(128), INDEX_TYPE VARCHAR2(27), TABLE_NAME VARCHAR2(128), UNIQUENESS VARCHAR2(9), "
     "STATUS VARCHAR2(8)",
     "SELECT upper(m.name), 'NORMAL', upper(m.tbl_name), CASE WHEN m.sql IS NULL OR upper(m.sql) LIKE "
     "'CREATE "
     "UNIQUE%' THEN 'UNIQUE' ELSE 'NONUNIQUE' END, 'VALID' FROM main.sqlite_schema m WHERE m.type = 'index' "
     "AND upper(m.tbl_name) NOT LIKE 'TARVEX%' AND m.name NOT LIKE 'TARVEX%'"},
    {"IND_COLUMNS",
     "INDEX_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), COLUMN_POSITION "
     "NUMBER, "
     "DESCEND VARCHAR2(4)",
     "SELECT upper(m.name), upper(m.tbl_name), upper(i.name), i.seqno + 1, 'ASC' FROM main.sqlite_schema m, "
     "pragma_index_info(m.name) i WHERE m.type = 'index' AND upper(m.tbl_name) NOT LIKE 'TARVEX%' AND m.name "
     "NOT LIKE 'TARVEX%'"},
    {"SEQUENCES",
     "SEQUENCE_NAME VARCHAR2(128), MIN_VALUE NUMBER, MAX_VALUE NUMBER, INCREMENT_BY NUMBER, CYCLE_FLAG "
     "VARCHAR2(1), LAST_NUMBER NUMBER",
     "SELECT upper(s.NAME), 1, 9999999999999999999999999999, s.STEP, 'N', s.NEXT_VALUE FROM "
     "main.TARVEX_SEQUENCES s"},
    {"OBJECTS", "OBJECT_NAME VARCHAR2(128), OBJECT_TYPE VARCHAR2(23), STATUS VARCHAR2(7)",
     "SELECT upper(m.name), CASE WHEN upper(m.name) IN (SELECT SYNONYM_NAME FROM main.TARVEX_SYNONYMS) THEN "
     "'SYNONYM' ELSE upper(m.type) END, 'VALID' FROM main.sqlite_schema m WHERE m.type IN ('table', "
     "'view', 'index', 'trigger') AND %U AND upper(m.tbl_name) NOT LIKE 'TARVEX%' UNION ALL SELECT "
     "upper(NAME), 'SEQUENCE', 'VALID' FROM main.TARVEX_SEQUENCES UNION ALL SELECT u.NAME, u.TYPE, CASE WHEN "
     "EXISTS (SELECT 1 FROM main.TARVEX_UNIT_DEPENDENCIES d WHERE d.NAME = u.NAME AND d.TYPE = u.TYPE AND "
     "(d.REFERENCED_TYPE = 'TABLE' AND d.REFERENCED_NAME NOT IN (SELECT upper(name) FROM main.sqlite_schema "
     "UNION ALL SELECT upper(name) FROM temp.sqlite_schema) OR d.REFERENCED_TYPE <> 'TABLE' AND "
     "d.REFERENCED_NAME NOT IN (SELECT NAME FROM main.TARVEX_UNITS))) THEN 'INVALID' ELSE u.STATUS END FROM "
     "main.TARVEX_UNITS u"},
    {"SOURCE", "NAME VARCHAR2(128), TYPE VARCHAR2(12), LINE NUMBER, TEXT VARCHAR2(4000)",
     "WITH RECURSIVE s(NAME, TYPE, LINE, REST, TEXT) AS (SELECT NAME, TYPE, 0, SOURCE || char(10), NULL FROM "
     "main.TARVEX_UNITS UNION ALL SELECT NAME, TYPE, LINE + 1, substr(REST, instr(REST, char(10)) + 1), "
     "substr(REST, 1, instr(REST, char(10))) FROM s WHERE REST <> '') SELECT NAME, TYPE, LINE, TEXT FROM s "
     "WHERE LINE > 0"},
    {"ERRORS",
     "NAME VARCHAR2(128), TYPE VARCHAR2(12), SEQUENCE NUMBER, LINE NUMBER, POSITION NUMBER, TEXT "
     "VARCHAR2(4000), ATTRIBUTE VARCHAR2(9), MESSAGE_NUMBER NUMBER",
     "SELECT NAME, TYPE, SEQUENCE, LINE, POSITION, TEXT, 'ERROR', CAST(substr(TEXT, 5, 5) AS INTEGER) FROM "
     "main.TARVEX_UNIT_ERRORS"},
    {"PROCEDURES",
     "OBJECT_NAME VARCHAR2(128), PROCEDURE_NAME VARCHAR2(128), OBJECT_TYPE VARCHAR2(13), AGGREGATE "
     "VARCHAR2(3), PIPELINED VARCHAR2(3), DETERMINISTIC VARCHAR2(3)",
     "SELECT NAME, NULL, TYPE, 'NO', 'NO', 'NO' FROM main.TARVEX_UNITS"},
    {"DEPENDENCIES",
     "NAME VARCHAR2(128), TYPE VARCHAR2(19), REFERENCED_OWNER VARCHAR2(128), REFERENCED_NAME VARCHAR2(128), "
     "REFERENCED_TYPE VARCHAR2(19), DEPENDENCY_TYPE VARCHAR2(4)",
     "SELECT NAME, TYPE, NULL, REFERENCED_NAME, REFERENCED_TYPE, 'HARD' FROM main.TARVEX_UNIT_DEPENDENCIES"},
    {"ARGUMENTS",
     "OBJECT_NAME VARCHAR2(128), ARGUMENT_NAME VARCHAR2(128), POSITION NUMBER, SEQUENCE NUMBER, DATA_TYPE "
     "VARCHAR2(30), IN_OUT VARCHAR2(9)",
     "SELECT NAME, ARGUMENT_NAME, POSITION, POSITION + 1, DATA_TYPE, IN_OUT FROM main.TARVEX_UNIT_ARGUMENTS"},
    {"TRIGGERS",
     "TRIGGER_NAME VARCHAR2(128), TRIGGER_TYPE VARCHAR2(16), TRIGGERING_EVENT VARCHAR2(246), TABLE_NAME "
     "VARCHAR2(128), BASE_OBJECT_TYPE VARCHAR2(18), WHEN_CLAUSE VARCHAR2(4000), STATUS VARCHAR2(8), "
     "TRIGGER_BODY",
     "SELECT upper(m.name), NULL, NULL, upper(m.tbl_name), 'TABLE', NULL, 'ENABLED', m.sql FROM "
     "main.sqlite_schema m WHERE m.type = 'trigger' AND m.name NOT LIKE 'TARVEX%' UNION ALL SELECT "
     "t.TRIGGER_NAME, t.TRIGGER_TYPE, t.TRIGGERING_EVENT, t.TABLE_NAME, 'TABLE', t.WHEN_CLAUSE, t.STATUS, "
     "substr(u.SOURCE, instr(upper(u.SOURCE), 'BEGIN')) FROM main.TARVEX_TRIGGERS t JOIN main.TARVEX_UNITS u "
     "ON "
     "u.NAME = t.TRIGGER_NAME AND u.TYPE = 'TRIGGER' WHERE t.TABLE_NAME IN (SELECT upper(name) FROM "
     "main.sqlite_schema WHERE type = 'table')"},
    {"TAB_COMMENTS", "TABLE_NAME VARCHAR2(128), TABLE_TYPE VARCHAR2(11), COMMENTS VARCHAR2(4000)",
     "SELECT upper(m.name), upper(m.type), c.COMMENTS FROM main.sqlite_schema m LEFT JOIN "
     "main.TARVEX_COMMENTS c ON c.TABLE_NAME = upper(m.name) AND c.COLUMN_NAME = '' WHERE m.type IN "
     "('table', 'view') AND %U"},
    {"COL_COMMENTS", "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), COMMENTS VARCHAR2(4000)",
     "SELECT upper(m.name), upper(p.name), c.COMMENTS FROM main.sqlite_schema m JOIN "
     "pragma_table_info(m.name) p LEFT JOIN main.TARVEX_COMMENTS c ON c.TABLE_NAME = upper(m.name) AND "
     "c.COLUMN_NAME = upper(p.name) WHERE m.type IN ('table', 'view') AND %U"},
    {"TAB_IDENTITY_COLS",
     "TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(128), GENERATION_TYPE VARCHAR2(10), SEQUENCE_NAME "
     "VARCHAR2(128), IDENTITY_OPTIONS VARCHAR2(298)",
     "SELECT TABLE_NAME, COLUMN_NAME, GENERATION_TYPE, SEQUENCE_NAME, IDENTITY_OPTIONS FROM "
     "main.TARVEX_IDENTITIES"},
    {"CONSTRAINTS",
     "CONSTRAINT_NAME VARCHAR2(128), CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(128), "
     "SEARCH_CONDITION, "
     "R_CONSTRAINT_NAME VARCHAR2(128), DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8), INDEX_NAME VARCHAR2(128)",
     nullptr},
    {"CONS_COLUMNS",
     "CONSTRAINT_NAME VARCHAR2(128), TABLE_NAME VARCHAR2(128), COLUMN_NAME VARCHAR2(4000), POSITION NUMBER",
     nullptr},
};

void TypePart(sqlite3_context* context, int, sqlite3_value** argv) {
    const unsigned char* raw = sqlite3_value_text(argv[0]);
    std::string declared = raw != nullptr ? reinterpret_cast<const char*>(raw) : "";
    CSqliteCatalog::Column column = CSqliteCatalog::Describe("", declared);
    std::string base = Upper(declared.substr(0, declared.find('(')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base.size() > 5 && base.compare(base.size() - 5, 5, "_CHAR") == 0) base.resize(base.size() - 5);
    switch (sqlite3_value_int(argv[1])) {
        case 0:
            sqlite3_result_text(context, base.c_str(), -1, SQLITE_TRANSIENT);
            return;
        case 1: {
            long length = column.type == CSqlType::Number ? 22
                          : column.type == CSqlType::Date ? 7
                                                          : column.length;
            if (column.charSemantics && column.length > 0) length *= 2;
            sqlite3_result_int64(context, length);
            return;
        }
        case 2:
            if (column.type == CSqlType::Number && column.precision > 0)
                return sqlite3_result_int(context, column.precision);
            return sqlite3_result_null(context);
        default:
            if (column.type == CSqlType::Number && column.scale != CSqliteCatalog::Column::kNoScale)
                return sqlite3_result_int(context, column.scale);
            return sqlite3_result_null(context);
    }
}

bool NamesDictionary(std::string_view text) {
    for (std::size_t at = 0; (at = text.find('_', at)) != std::string_view::npos; ++at) {
        if (at < 3) continue;
        std::string word = Upper(text.substr(at - 3, 3));
        if (word == "SER" || word == "ALL" || word == "DBA") return true;
    }
    return false;
}

}  // namespace

bool CSqliteDictionary::Install(sqlite3* db) {
    return sqlite3_create_function(db, "ORA_TYPE_PART", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   TypePart, nullptr, nullptr) == SQLITE_OK;
}

namespace {

// Every view is made under each of these prefixes.
constexpr const char* kPrefixes[] = {"USER_", "ALL_", "DBA_"};

std::string ViewName(const char* prefix, const View& view) { return prefix + std::string(view.name); }

// The rows of a view are kept in a table of its own in the connection's
// temporary database, typed as the server declares them.
std::string RowsTable(const View& view) { return "temp.TARVEX_DICT_" + std::string(view.name); }

// The names of a column list "A TYPE, B, C TYPE(n)".
std::string ColumnNames(const View& view) {
    std::string names;
    std::string_view columns = view.columns;
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

// The views are made on first use: most sessions never read them. A
// rollback may take them away again, so the last one made is looked for.
bool ViewsInstalled(sqlite3* db) {
    Statement look = sqliteapi::Prepare(
        db, "SELECT 1 FROM temp.sqlite_schema WHERE type = 'view' AND name = '" +
                ViewName(kPrefixes[std::size(kPrefixes) - 1], kViews[std::size(kViews) - 1]) + "'");
    return look && sqlite3_step(look.get()) == SQLITE_ROW;
}

void InstallViews(sqlite3* db) {
    for (const View& view : kViews) {
        std::string table = "CREATE TEMP TABLE IF NOT EXISTS TARVEX_DICT_" + std::string(view.name) + " (" +
                            view.columns + ")";
        sqlite3_exec(db, table.c_str(), nullptr, nullptr, nullptr);
        for (const char* prefix : kPrefixes) {
            std::string sql = "CREATE TEMP VIEW IF NOT EXISTS " + ViewName(prefix, view) + " AS SELECT " +
                              ColumnNames(view) + " FROM " + RowsTable(view);
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
    }
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#';
}

// Whether `upper` (the statement upper-cased) names the view under a prefix.
bool Names(std::string_view upper, const View& view) {
    for (const char* prefix : kPrefixes) {
        std::string name = ViewName(prefix, view);
        for (std::size_t at = upper.find(name); at != std::string_view::npos; at = upper.find(name, at + 1)) {
            bool before = at > 0 && IsNameCharacter(upper[at - 1]);
            bool after = at + name.size() < upper.size() && IsNameCharacter(upper[at + name.size()]);
            if (!before && !after) return true;
        }
    }
    return false;
}

// Fills the rows of a view from the file's schema and catalog tables.
void Refresh(sqlite3* db, const View& view) {
    std::string select = view.select;
    for (std::size_t at; (at = select.find("%U")) != std::string::npos;) select.replace(at, 2, kUserObjects);
    std::string sql = "DELETE FROM " + RowsTable(view) + "; INSERT INTO " + RowsTable(view) + " " + select;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

void CSqliteDictionary::Prepare(sqlite3* db, std::string_view text) {
    if (!NamesDictionary(text)) return;
    std::string upper = cp932::ToUpperAscii(text);
    bool namesConstraints = false;
    bool installed = false;
    for (const View& view : kViews) {
        if (!Names(upper, view)) continue;
        if (!installed && !ViewsInstalled(db)) InstallViews(db);
        installed = true;
        if (view.select != nullptr)
            Refresh(db, view);
        else
            namesConstraints = true;
    }
    if (!namesConstraints) return;
    sqlite3_exec(db, "DELETE FROM temp.TARVEX_DICT_CONSTRAINTS; DELETE FROM temp.TARVEX_DICT_CONS_COLUMNS",
                 nullptr, nullptr, nullptr);
    std::vector<Constraint> constraints = All(db);
    // Note: constraints set aside by DISABLE are listed as such.
    sqlite3_exec(
        db,
        "INSERT INTO temp.TARVEX_DICT_CONSTRAINTS SELECT CONSTRAINT_NAME, CASE WHEN upper(DEFINITION) LIKE "
        "'%CHECK%' THEN 'C' WHEN upper(DEFINITION) LIKE '%PRIMARY KEY%' THEN 'P' WHEN upper(DEFINITION) LIKE "
        "'%REFERENCES%' THEN 'R' ELSE 'U' END, TABLE_NAME, (SELECT SEARCH_CONDITION FROM main.TARVEX_CHECKS "
        "c "
        "WHERE c.CONSTRAINT_NAME = d.CONSTRAINT_NAME), NULL, NULL, 'DISABLED', NULL FROM "
        "main.TARVEX_DISABLED d",
        nullptr, nullptr, nullptr);
    Statement add =
        ::Prepare(db,
                  "INSERT INTO temp.TARVEX_DICT_CONSTRAINTS (CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, "
                  "SEARCH_CONDITION, R_CONSTRAINT_NAME, DELETE_RULE, INDEX_NAME, STATUS) VALUES (?1, ?2, ?3, "
                  "?4, ?5, ?6, "
                  "?7, ?8)");
    Statement column = ::Prepare(db, "INSERT INTO temp.TARVEX_DICT_CONS_COLUMNS VALUES (?1, ?2, ?3, ?4)");
    if (!add || !column) return;
    for (const Constraint& c : constraints) {
        std::string referenced;
        if (c.type == 'R')
            for (const Constraint& key : constraints)
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
        if (c.index.empty())
            sqlite3_bind_null(add.get(), 7);
        else
            sqlite3_bind_text(add.get(), 7, c.index.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add.get(), 8, c.enabled ? "ENABLED" : "DISABLED", -1, SQLITE_STATIC);
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

std::string CSqliteDictionary::KeyName(sqlite3* db, std::string_view failed) {
    std::string table;
    std::vector<std::string> columns;
    for (std::size_t at = 0; at < failed.size();) {
        std::size_t comma = failed.find(", ", at);
        std::string_view part =
            failed.substr(at, comma == std::string_view::npos ? failed.size() - at : comma - at);
        std::size_t dot = part.find('.');
        if (dot == std::string_view::npos) return {};
        table = Upper(part.substr(0, dot));
        columns.push_back(Upper(part.substr(dot + 1)));
        at = comma == std::string_view::npos ? failed.size() : comma + 2;
    }
    for (const Constraint& constraint : All(db))
        if ((constraint.type == 'P' || constraint.type == 'U') && constraint.table == table &&
            constraint.columns == columns)
            return constraint.name;
    return {};
}

std::vector<CSqliteDictionary::Constraint> CSqliteDictionary::All(sqlite3* db) {
    std::vector<Constraint> all;
    Statement tables =
        ::Prepare(db,
                  "SELECT rowid, sql, type, upper(tbl_name), upper(name) FROM main.sqlite_schema WHERE "
                  "type = 'table' AND sql IS NOT NULL AND name NOT LIKE 'sqlite%' AND "
                  "upper(name) NOT LIKE 'TARVEX%' ORDER BY rowid");
    while (tables && sqlite3_step(tables.get()) == SQLITE_ROW) {
        std::string sql = Text(tables.get(), 1);
        auto found = Parse(sql, sqlite3_column_int64(tables.get(), 0));
        all.insert(all.end(), found.begin(), found.end());
    }
    tables.reset();
    // Note: the definition holds a CHECK condition compiled; the catalog has it as written.
    for (Constraint& c : all) {
        std::string written;
        if (c.type == 'C' && CCatalogTables::CheckCondition(db, c.name, written))
            c.condition = encoding::Cp932ToUtf8(written);
    }
    auto keys = CCatalogTables::Keys(db);
    // Note: the NOT NULL a key added to its columns is no constraint of its own.
    std::erase_if(all, [&](const Constraint& c) {
        if (c.type != 'C' || c.columns.size() != 1 || c.condition.find("IS NOT NULL") == std::string::npos)
            return false;
        for (const auto& key : keys)
            if (key.table == c.table && std::find(key.notNullAdded.begin(), key.notNullAdded.end(),
                                                  c.columns[0]) != key.notNullAdded.end())
                return true;
        return false;
    });
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
    for (const auto& key : keys) {
        Constraint c;
        c.name = key.name;
        c.type = key.type;
        c.table = key.table;
        c.columns = key.columns;
        c.enabled = key.enabled;
        c.index = key.index;
        all.push_back(std::move(c));
    }
    return all;
}

std::vector<CSqliteDictionary::Constraint> CSqliteDictionary::Parse(std::string_view sql, long long number) {
    std::vector<Constraint> out;
    auto tokens = CSqlScanner::Significant(sql);
    auto word = [&](std::size_t k) {
        return k < tokens.size() ? Upper(sql.substr(tokens[k].begin, tokens[k].length)) : std::string();
    };
    std::size_t k = 0;
    while (k < tokens.size() && word(k) != "(") ++k;
    std::string table = tokens.size() > 2 ? word(k - 1) : std::string();
    int ordinal = 0;
    auto generated = [&] {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "SYS_C%05lld%02d", number % 100000, ++ordinal % 100);
        return std::string(buffer);
    };
    // The words between brackets from `k` ("(" at k); k ends after ")".
    auto list = [&](std::size_t& at) {
        std::vector<std::string> names;
        if (word(at) != "(") return names;
        for (++at; at < tokens.size() && word(at) != ")"; ++at)
            if (word(at) != ",") names.push_back(word(at));
        ++at;
        return names;
    };
    auto bracketText = [&](std::size_t& at) {
        std::size_t begin = at;
        int depth = 0;
        for (; at < tokens.size(); ++at) {
            if (word(at) == "(") ++depth;
            if (word(at) == ")" && --depth == 0) break;
        }
        std::string text(sql.substr(tokens[begin].begin + 1, tokens[at].begin - tokens[begin].begin - 1));
        ++at;
        return text;
    };
    ++k;
    while (k < tokens.size()) {
        std::string column;
        std::string first = word(k);
        bool tableConstraint = first == "CONSTRAINT" || first == "PRIMARY" || first == "UNIQUE" ||
                               first == "CHECK" || first == "FOREIGN";
        if (!tableConstraint) {
            column = first;
            ++k;
        }
        // The rest of the item up to its "," at this depth.
        while (k < tokens.size() && word(k) != "," && word(k) != ")") {
            std::string name;
            if (word(k) == "CONSTRAINT") {
                name = word(k + 1);
                k += 2;
            }
            std::string w = word(k);
            Constraint c;
            c.table = table;
            if (w == "NOT" && word(k + 1) == "NULL") {
                c.type = 'C';
                c.columns = {column};
                c.condition = "\"" + column + "\" IS NOT NULL";
                k += 2;
            } else if (w == "PRIMARY" || w == "UNIQUE") {
                c.type = w == "PRIMARY" ? 'P' : 'U';
                k += w == "PRIMARY" ? 2 : 1;
                c.columns = word(k) == "(" ? list(k) : std::vector<std::string>{column};
            } else if (w == "CHECK") {
                c.type = 'C';
                ++k;
                c.condition = bracketText(k);
                if (!column.empty()) c.columns = {column};
            } else if (w == "FOREIGN" || w == "REFERENCES") {
                c.type = 'R';
                if (w == "FOREIGN") {
                    k += 2;
                    c.columns = list(k);
                } else {
                    c.columns = {column};
                }
                if (word(k) == "REFERENCES") ++k;
                c.referencedTable = word(k++);
                c.referencedColumns = list(k);
                for (; k < tokens.size() && word(k) != "," && word(k) != ")" && word(k) != "CONSTRAINT"; ++k)
                    if (word(k) == "DELETE")
                        c.deleteRule = word(k + 1) == "CASCADE" ? "CASCADE"
                                       : word(k + 1) == "SET"   ? "SET NULL"
                                                                : "NO ACTION";
            } else {
                // The type, a default or anything else: skip it with its brackets.
                if (w == "(") {
                    bracketText(k);
                } else {
                    ++k;
                }
                continue;
            }
            c.name = name.empty() ? generated() : name;
            out.push_back(std::move(c));
        }
        if (word(k) == ")") break;
        ++k;
    }
    return out;
}

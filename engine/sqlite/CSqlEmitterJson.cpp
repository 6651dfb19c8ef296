// CSqlEmitter: JSON_TABLE in FROM and JSON_VALUE with its clauses, over
// SQLite's JSON functions.
#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteName.h"
#include "engine/sqlite/CTypedText.h"
#include "text/Cp932.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

// An alias as names are kept: quoted as written, else upper-cased; "" for none.
std::string AliasName(std::string_view alias) {
    if (alias.size() >= 2 && alias.front() == '"') return std::string(alias.substr(1, alias.size() - 2));
    return cp932::ToUpperAscii(alias);
}

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The rows of `path` in the JSON text `document`: each value the path
// finds (in lax mode, wildcards anywhere), as the elements of the array
// ORA_JSON_PATH gathers them in; no rows for NULL or text that is no JSON.
std::string RowsOf(const std::string& document, const std::string& path) {
    return "json_each(ORA_JSON_PATH(" + document + ", " + Quote(path) + ", 'W'))";
}

// A row's value as JSON text. Note: json_each's own value column holds a
// number as a double and true as 1; the element's text keeps them exact.
std::string ItemOf(const std::string& rows) { return "(" + rows + ".json -> " + rows + ".fullkey)"; }

// The error of a scalar the RETURNING type does not take: no number, no
// date in ISO 8601, or text too long.
int RefusedCode(CSqlType type) {
    return type == CSqlType::Number ? 1722 : type == CSqlType::Date ? 1861 : 40478;
}

// A refusal as handled; a date's error names the text it could not read.
std::string WithText(std::string handled, CSqlType type, const std::string& text) {
    if (type == CSqlType::Date && handled == "ORA_RAISE(1861)") return "ORA_RAISE(1861, " + text + ")";
    return handled;
}

}  // namespace

std::string CSqlEmitter::JsonScalar(const std::string& item, const std::string& path,
                                    const CSqliteCatalog::Column& type) {
    std::string kind = "json_type(" + item + ", " + Quote(path) + ")";
    std::string value = "json_extract(" + item + ", " + Quote(path) + ")";
    std::string digits = "(" + item + " -> " + Quote(path) + ")";
    switch (type.type) {
        case CSqlType::Number:
            // Note: a number is read from its digits, exact; text that is a
            // number is one.
            return "ORA_TRY_NUMBER(CASE " + kind + " WHEN 'integer' THEN " + digits + " WHEN 'real' THEN " +
                   digits + " WHEN 'text' THEN " + value + " END, " + std::to_string(type.precision) + ", " +
                   std::to_string(type.scale) + ")";
        case CSqlType::Date:
            return "ORA_TRY_DATE(CASE " + kind + " WHEN 'text' THEN " + value + " END)";
        default: {
            std::string text = "(CASE " + kind + " WHEN 'text' THEN " + value + " WHEN 'integer' THEN " +
                               digits + " WHEN 'real' THEN " + digits +
                               " WHEN 'true' THEN 'true' WHEN 'false' THEN 'false' END)";
            if (type.length <= 0) return text;
            return "ORA_TRY_TEXT(" + text + ", " + std::to_string(type.length) + ", " +
                   (type.charSemantics ? "1" : "0") + ")";
        }
    }
}

bool CSqlEmitter::JsonColumns(const std::vector<CSqlJsonColumn>& columns, const std::string& rows,
                              Source& source, std::string& text) {
    std::string item = ItemOf(rows);
    std::string branch = SiblingBranches(columns, item, rows, text);
    int nested = 0;
    for (const CSqlJsonColumn& column : columns) {
        if (column.kind == CSqlJsonColumn::Kind::Nested) {
            // Note: a row with no nested rows stays, their columns NULL.
            std::string on = branch.empty() ? std::string("1") : branch + ".key = " + std::to_string(nested);
            std::string inner = rows + "_N" + std::to_string(nested++);
            std::string innerPath = CSqlScanner::LiteralText(column.path);
            text += " LEFT JOIN " + RowsOf(item, innerPath) + " " + inner + " ON " + on;
            if (!JsonColumns(column.columns, inner, source, text)) return false;
            continue;
        }
        std::string name = column.name.size() >= 2 && column.name.front() == '"'
                               ? std::string(column.name.substr(1, column.name.size() - 2))
                               : cp932::ToUpperAscii(column.name);
        for (const Typed& other : source.columns)
            if (other.name == name) return Fail(column.at, 957, name);
        Typed typed{name, CValueType{CSqlType::Number, 0, false}};
        if (column.kind == CSqlJsonColumn::Kind::Ordinality) {
            typed.emitted = "(" + rows + ".key + 1)";
            source.columns.push_back(std::move(typed));
            continue;
        }
        // Note: without PATH the column reads the member of its name, as the
        // name stands (upper case unless quoted).
        std::string columnPath = column.path.empty() ? "$.\"" + CSqliteName::NameOf(name) + "\""
                                                     : CSqlScanner::LiteralText(column.path);
        CSqliteCatalog::Column type = CSqliteCatalog::Describe(
            name, column.type.empty() ? std::string_view("VARCHAR2(4000)") : column.type);
        if (type.type == CSqlType::Unknown) return Fail(column.at, 902);
        typed.type = CValueType{type.type, type.length, type.charSemantics, false, type.fraction};
        if (column.kind == CSqlJsonColumn::Kind::Json && column.wrapper != 0)
            typed.emitted = "ORA_JSON_PATH(" + item + ", " + Quote(columnPath) +
                            (column.wrapper == 1 ? ", 'W')" : ", 'C')");
        else if (column.kind == CSqlJsonColumn::Kind::Json)
            typed.emitted = JsonColumnText(column, item, columnPath);
        else
            typed.emitted = JsonColumnValue(column, item, columnPath, type);
        source.columns.push_back(std::move(typed));
    }
    return true;
}

// Note: the rows of sibling nested paths are not multiplied but follow
// one another (a union join): each row of one has the others' columns NULL.
// A branch row per sibling that finds anything, or one row when none does,
// stands for each; the nested rows are joined on their branch.
std::string CSqlEmitter::SiblingBranches(const std::vector<CSqlJsonColumn>& columns, const std::string& item,
                                         const std::string& rows, std::string& text) {
    std::vector<std::string> finds;
    for (const CSqlJsonColumn& column : columns)
        if (column.kind == CSqlJsonColumn::Kind::Nested)
            finds.push_back("ORA_JSON_PATH(" + item + ", " + Quote(CSqlScanner::LiteralText(column.path)) +
                            ", 'E') = 1");
    if (finds.size() < 2) return {};
    std::string branch = rows + "_B";
    std::string numbers = "[";
    std::string none = "NOT (";
    std::string kept;
    for (std::size_t k = 0; k < finds.size(); ++k) {
        numbers += (k > 0 ? "," : "") + std::to_string(k);
        none += (k > 0 ? " OR " : "") + finds[k];
        kept += " OR (" + branch + ".key = " + std::to_string(k) + " AND " + finds[k] + ")";
    }
    text += " JOIN json_each('" + numbers + "]') " + branch + " ON (" + branch + ".key = 0 AND " + none +
            "))" + kept;
    return branch;
}

bool CSqlEmitter::JsonTableSource(const CSqlFromItem& item, Source& source, std::string& text) {
    std::string document;
    CSqlType type = JsonDocument(item.json->document, document);
    if (type == CSqlType::Date) document = "TO_CHAR(" + document + ")";
    std::string rows = "TARVEX_JT" + std::to_string(m_jsonTables++);
    std::string path = CSqlScanner::LiteralText(item.json->path);
    source.name = AliasName(item.alias);
    source.known = true;
    // ERROR ON ERROR: a document that is no JSON fails the query (it gives no rows).
    using Handler = CSqlJsonHandling::Handler;
    m_jsonTableOnError = item.json->handling.onError == Handler::Error ? Handler::Error : Handler::Null;
    if (m_jsonTableOnError == Handler::Error)
        document = "CASE WHEN json_valid(" + document + ") THEN " + document + " ELSE ORA_RAISE(40441) END";
    text = RowsOf("(" + document + ")", path) + " " + rows;
    return JsonColumns(item.json->columns, rows, source, text) && !m_failed;
}

std::string CSqlEmitter::JsonHandler(CSqlExpr::JsonHandler handler, const CSqlExpr* value, int code) {
    switch (handler) {
        case CSqlExpr::JsonHandler::Error:
            return "ORA_RAISE(" + std::to_string(code) + ")";
        case CSqlExpr::JsonHandler::Default: {
            std::string out;
            Expr(value, out);
            return out;
        }
        case CSqlExpr::JsonHandler::EmptyArray:
            return "'[]'";
        case CSqlExpr::JsonHandler::EmptyObject:
            return "'{}'";
        case CSqlExpr::JsonHandler::True:
            return "1";
        case CSqlExpr::JsonHandler::False:
            return "0";
        default:
            return "NULL";
    }
}

CSqlType CSqlEmitter::JsonValue(const CSqlExpr& expr, std::string& out) {
    if (expr.args.size() != 2) return Fail(expr.at, expr.args.size() < 2 ? 938 : 939), CSqlType::Unknown;
    std::string document;
    CSqlType documentType = JsonDocument(expr.args[0], document);
    if (documentType == CSqlType::Date) document = "TO_CHAR(" + document + ")";
    document = "(" + document + ")";
    std::string path = CSqlScanner::LiteralText(expr.args[1]->text);
    CSqliteCatalog::Column type = CSqliteCatalog::Describe(
        "JSON_VALUE", expr.detail.empty() ? std::string_view("VARCHAR2(4000)") : expr.detail);
    if (type.type == CSqlType::Unknown) return Fail(expr.at, 902), CSqlType::Unknown;
    std::string kind = "json_type(" + document + ", " + Quote(path) + ")";
    std::string value = JsonScalar(document, path, type);
    // The server's errors: no JSON, no value, no scalar, a value the type
    // refuses; each answered by ON ERROR (no value by ON EMPTY when given).
    auto failed = [&](int code) { return JsonHandler(expr.onError, expr.errorDefault, code); };
    std::string empty = expr.onEmpty == CSqlExpr::JsonHandler::Unset
                            ? failed(40462)
                            : JsonHandler(expr.onEmpty, expr.emptyDefault, 40462);
    out += "(CASE WHEN " + document + " IS NULL THEN NULL WHEN NOT json_valid(" + document + ") THEN " +
           failed(40441) + " WHEN " + kind + " IS NULL THEN " + empty + " WHEN " + kind +
           " = 'null' THEN NULL WHEN " + kind + " IN ('object', 'array') THEN " + failed(40456) + " WHEN " +
           value + " IS NULL THEN " +
           WithText(failed(RefusedCode(type.type)), type.type,
                    "json_extract(" + document + ", " + Quote(path) + ")") +
           " ELSE " + value + " END)";
    return type.type == CSqlType::Char ? CSqlType::Text : type.type;
}

bool CSqlEmitter::JsonText(const CSqlExpr& expr, const std::string& json, std::string& out) {
    CSqliteCatalog::Column type = CSqliteCatalog::Describe(
        "RETURNING", expr.detail.empty() ? std::string_view("VARCHAR2(4000)") : expr.detail);
    if (type.type != CSqlType::Text && type.type != CSqlType::Char) {
        // Note: binary JSON and the JSON type are the server's; other types hold no JSON text.
        std::string base = Upper(expr.detail.substr(0, expr.detail.find('(')));
        while (!base.empty() && base.back() == ' ') base.pop_back();
        if (base == "BLOB" || base == "RAW" || base == "JSON")
            return Fail(expr.at, 3001, Upper(expr.text) + " (RETURNING " + base + ")"), false;
        return Fail(expr.at, 40449), false;
    }
    static constexpr struct {
        unsigned char flag;
        char letter;
    } kLetters[] = {{CSqlExpr::kPretty, 'P'}, {CSqlExpr::kAscii, 'A'}, {CSqlExpr::kTruncate, 'T'}};
    std::string options;
    for (const auto& letter : kLetters)
        if ((expr.jsonOutput & letter.flag) != 0) options += letter.letter;
    out += "ORA_JSON_TEXT(" + json + ", '" + options + "', " + std::to_string(type.length) + ", " +
           (type.charSemantics ? "1" : "0") + ")";
    return true;
}

// Note: what JSON_QUERY finds is as long as RETURNING allows (VARCHAR2(4000)
// unless told): a longer result is an error, NULL ON ERROR.
CSqlType CSqlEmitter::JsonQuery(const CSqlExpr& expr, const JsonRow& row, std::string& out) {
    using Handler = CSqlExpr::JsonHandler;
    if (expr.onError != Handler::Null || (expr.onEmpty != Handler::Unset && expr.onEmpty != Handler::Null))
        return HandledJsonQuery(expr, out);
    std::string found;
    CSqlType type = Json(expr, row, found);
    if (m_failed || !JsonText(expr, found, out)) return CSqlType::Unknown;
    return type;
}

// JSON_QUERY with its ON ERROR and ON EMPTY: the server's errors are text
// that is no JSON (ORA-40441), nothing found (ORA-40462, ON EMPTY's when
// given), a scalar found without a wrapper (ORA-40480) and a result longer
// than RETURNING's type (ORA-40478).
CSqlType CSqlEmitter::HandledJsonQuery(const CSqlExpr& expr, std::string& out) {
    if (expr.args.size() != 2) return Fail(expr.at, expr.args.size() < 2 ? 938 : 939), CSqlType::Unknown;
    std::string document;
    if (JsonDocument(expr.args[0], document) == CSqlType::Date) document = "TO_CHAR(" + document + ")";
    document = "(" + document + ")";
    std::string path = Quote(CSqlScanner::LiteralText(expr.args[1]->text));
    auto failed = [&](int code) { return JsonHandler(expr.onError, nullptr, code); };
    std::string empty = expr.onEmpty == CSqlExpr::JsonHandler::Unset
                            ? failed(40462)
                            : JsonHandler(expr.onEmpty, nullptr, 40462);
    std::string kind = "json_type(" + document + ", " + path + ")";
    std::string found = "json_extract(" + document + ", " + path + ")";
    std::string none = kind + " IS NULL";
    std::string scalar = " WHEN " + kind + " NOT IN ('object', 'array') THEN " + failed(40480);
    if (expr.jsonWrapper != 0) {
        found = "ORA_JSON_PATH(" + document + ", " + path + (expr.jsonWrapper == 1 ? ", 'W')" : ", 'C')");
        none = "ORA_JSON_PATH(" + document + ", " + path + ", 'E') = 0";
        scalar.clear();
    }
    std::string text;
    if (m_failed || !JsonText(expr, found, text)) return CSqlType::Unknown;
    out += "(CASE WHEN " + document + " IS NULL THEN NULL WHEN NOT json_valid(" + document + ") THEN " +
           failed(40441) + " WHEN " + none + " THEN " + empty + scalar + " ELSE coalesce(" + text + ", " +
           failed(40478) + ") END)";
    return CSqlType::Text;
}

// JSON_EXISTS with TRUE or ERROR ON ERROR: text that is no JSON answers so
// (FALSE ON ERROR, the default, answers false).
CSqlType CSqlEmitter::HandledJsonExists(const CSqlExpr& expr, std::string& out) {
    if (expr.args.size() != 2) return Fail(expr.at, expr.args.size() < 2 ? 938 : 939), CSqlType::Unknown;
    std::string document;
    if (JsonDocument(expr.args[0], document) == CSqlType::Date) document = "TO_CHAR(" + document + ")";
    document = "(" + document + ")";
    std::string path = Quote(CSqlScanner::LiteralText(expr.args[1]->text));
    out += "(CASE WHEN " + document + " IS NOT NULL AND NOT json_valid(" + document + ") THEN " +
           JsonHandler(expr.onError, nullptr, 40441) + " ELSE ORA_JSON_PATH(" + document + ", " + path +
           ", 'E') END)";
    return CSqlType::Number;
}

// Note: the server's default is ERROR ON ERROR here: text that is no JSON
// (ORA-40441) or a result longer than the type (ORA-40478, unless TRUNCATE).
// Member names without quotes are read, as the server's lax syntax has it.
CSqlType CSqlEmitter::JsonSerialize(const CSqlExpr& expr, std::string& out) {
    if (expr.args.size() != 1) return Fail(expr.at, expr.args.empty() ? 938 : 939), CSqlType::Unknown;
    std::string document;
    if (JsonDocument(expr.args[0], document) == CSqlType::Date) document = "TO_CHAR(" + document + ")";
    document = "(" + document + ")";
    std::string text;
    if (!JsonText(expr, document, text)) return CSqlType::Unknown;
    // Note: the text is read again only to tell the two faults apart.
    out += "(CASE WHEN " + document + " IS NULL THEN NULL ELSE coalesce(" + text +
           ", CASE WHEN ORA_JSON_TEXT(" + document + ", '', 0, 0) IS NULL THEN " +
           JsonHandler(expr.onError, nullptr, 40441) + " ELSE " + JsonHandler(expr.onError, nullptr, 40478) +
           " END) END)";
    return CSqlType::Text;
}

std::string CSqlEmitter::JsonColumnHandler(CSqlJsonHandling::Handler handler, const CSqlExpr* value,
                                           int code) {
    using Handler = CSqlJsonHandling::Handler;
    if (handler == Handler::Unset) handler = m_jsonTableOnError;
    switch (handler) {
        case Handler::Error:
            return "ORA_RAISE(" + std::to_string(code) + ")";
        case Handler::Default: {
            std::string out;
            Expr(value, out);
            return out;
        }
        case Handler::EmptyArray:
            return "'[]'";
        case Handler::EmptyObject:
            return "'{}'";
        default:
            return "NULL";
    }
}

// A FORMAT JSON column without a wrapper: the object or array found; a
// scalar (ORA-40480) and nothing found answered as ON ERROR and ON EMPTY say.
std::string CSqlEmitter::JsonColumnText(const CSqlJsonColumn& column, const std::string& item,
                                        const std::string& path) {
    using Handler = CSqlJsonHandling::Handler;
    const CSqlJsonHandling& handling = column.handling;
    std::string kind = "json_type(" + item + ", " + Quote(path) + ")";
    std::string found = item + " -> " + Quote(path);
    if (handling.onError == Handler::Unset && handling.onEmpty == Handler::Unset &&
        m_jsonTableOnError != Handler::Error)
        return "(CASE WHEN " + kind + " IN ('object', 'array') THEN " + found + " END)";
    std::string failed = JsonColumnHandler(handling.onError, nullptr, 40480);
    std::string empty = handling.onEmpty == Handler::Unset
                            ? JsonColumnHandler(handling.onError, nullptr, 40462)
                            : JsonColumnHandler(handling.onEmpty, nullptr, 40462);
    return "(CASE WHEN " + kind + " IS NULL THEN " + empty + " WHEN " + kind +
           " IN ('object', 'array') THEN " + found + " ELSE " + failed + " END)";
}

std::string CSqlEmitter::JsonColumnValue(const CSqlJsonColumn& column, const std::string& item,
                                         const std::string& path, const CSqliteCatalog::Column& type) {
    using Handler = CSqlJsonHandling::Handler;
    const CSqlJsonHandling& handling = column.handling;
    std::string kind = "json_type(" + item + ", " + Quote(path) + ")";
    if (column.kind == CSqlJsonColumn::Kind::Exists) {
        // 'true' or 'false'; 1 or 0 for a NUMBER column.
        bool number = type.type == CSqlType::Number;
        return "(CASE WHEN " + kind + " IS NOT NULL THEN " + (number ? "1" : "'true'") + " ELSE " +
               (number ? "0" : "'false'") + " END)";
    }
    // Note: as JSON_VALUE: no value is ON EMPTY's (ON ERROR's when not
    // given), an object or array and a value the type refuses ON ERROR's.
    const auto failed = [&](int code) {
        return JsonColumnHandler(handling.onError, handling.errorDefault, code);
    };
    if (handling.onError == Handler::Unset && handling.onEmpty == Handler::Unset &&
        m_jsonTableOnError != Handler::Error)
        return JsonScalar(item, path, type);
    std::string empty = handling.onEmpty == Handler::Unset
                            ? failed(40462)
                            : JsonColumnHandler(handling.onEmpty, handling.emptyDefault, 40462);
    std::string value = JsonScalar(item, path, type);
    return "(CASE WHEN " + kind + " IS NULL THEN " + empty + " WHEN " + kind + " = 'null' THEN NULL WHEN " +
           kind + " IN ('object', 'array') THEN " + failed(40456) + " WHEN " + value + " IS NULL THEN " +
           WithText(failed(RefusedCode(type.type)), type.type,
                    "json_extract(" + item + ", " + Quote(path) + ")") +
           " ELSE " + value + " END)";
}

namespace {

// The server's own collection types, in SYS: TABLE(SYS.ODCINUMBERLIST(1, 2)).
struct BuiltinCollection {
    std::string_view name;
    std::string_view element;
};

constexpr BuiltinCollection kBuiltinCollections[] = {
    {"ODCINUMBERLIST", "NUMBER"},
    {"ODCIVARCHAR2LIST", "VARCHAR2(4000)"},
    {"ODCIDATELIST", "DATE"},
};

}  // namespace

bool CSqlEmitter::ConstructedDocument(const CSqlExpr& call, bool object, std::size_t attributes,
                                      std::string& out) {
    out = "json_array(";
    // Note: an element of an object type is made as any object of it is, an
    // attribute that is an object or a collection as its own document.
    std::string element = object ? m_catalog.CollectionElement(cp932::ToUpperAscii(call.text)) : "";
    for (std::size_t k = 0; k < call.args.size(); ++k) {
        const CSqlExpr* arg = call.args[k];
        if (k > 0) out += ", ";
        if (!object) {
            Expr(arg, out);
            continue;
        }
        if (!element.empty()) {
            if (!ElementObject(*arg, element, out)) return false;
            continue;
        }
        if (arg->kind != CSqlExpr::Kind::Call || arg->args.size() != attributes) return Fail(arg->at, 932);
        out += "json_array(";
        for (std::size_t a = 0; a < arg->args.size(); ++a) {
            if (a > 0) out += ", ";
            Expr(arg->args[a], out);
        }
        out += ")";
    }
    out += ")";
    return !m_failed;
}

bool CSqlEmitter::CollectionDocument(const CSqlExpr& expr,
                                     std::vector<std::pair<std::string, std::string>>& columns, bool& object,
                                     std::string& document, std::string* type) {
    std::string ignored;
    std::string& madeType = type != nullptr ? *type : ignored;
    if (expr.kind == CSqlExpr::Kind::Subquery)
        return QueriedCollection(expr, columns, object, document, madeType);
    // Note: a constructor is read below; the other collection expressions are CollectionOperand's.
    std::string made = expr.kind == CSqlExpr::Kind::Call ? cp932::ToUpperAscii(expr.text) : "";
    if (expr.kind == CSqlExpr::Kind::Multiset || (expr.kind == CSqlExpr::Kind::Name && IsCollection(expr)) ||
        ((made == "SET" || made == "COLLECT" || made == "CAST") && IsCollection(expr))) {
        Collection collection;
        if (!CollectionOperand(expr, document, collection)) return false;
        if (collection.columns.empty()) return Fail(expr.at, 22905);
        columns = collection.columns;
        object = collection.object;
        madeType = collection.type;
        return true;
    }
    // Note: a function without arguments is called without brackets too: TABLE(f).
    if (expr.kind == CSqlExpr::Kind::Name && expr.parts.size() == 1 &&
        m_catalog.CollectionColumns(cp932::ToUpperAscii(expr.parts[0]), true, columns, object)) {
        CSqlExpr call = expr;
        call.kind = CSqlExpr::Kind::Call;
        call.text = expr.parts[0];
        madeType = m_catalog.FunctionResultType(cp932::ToUpperAscii(call.text));
        StoredArguments(cp932::ToUpperAscii(call.text), call, document);
        return !m_failed;
    }
    bool constructor = false;
    if (expr.kind == CSqlExpr::Kind::Call) {
        std::string name = cp932::ToUpperAscii(expr.text);
        bool sys = expr.parts.size() == 2 && cp932::ToUpperAscii(expr.parts[0]) == "SYS";
        for (const BuiltinCollection& builtin : kBuiltinCollections)
            if ((expr.parts.size() == 1 || sys) && name == builtin.name)
                columns.emplace_back("COLUMN_VALUE", std::string(builtin.element));
        constructor = !columns.empty() ||
                      (expr.parts.size() == 1 && m_catalog.CollectionColumns(name, false, columns, object));
        // Note: a function of the server the engine lacks is refused by its name
        // (POWERMULTISET), not taken for a value that is no collection.
        if (!constructor && expr.parts.size() == 1 && IsServerFunction(name) && !m_catalog.HasFunction(name))
            return Fail(expr.at, 3001, name);
        if (!constructor && expr.parts.size() == 1 &&
            !m_catalog.CollectionColumns(name, true, columns, object))
            return Fail(expr.at, 22905);
    }
    if (columns.empty()) return PackagedCollection(expr, columns, object, document, madeType);
    if (constructor) {
        madeType = cp932::ToUpperAscii(expr.text);
        return ConstructedDocument(expr, object, columns.size(), document);
    }
    // Note: a stored function's collection is read as the document it returns.
    if (expr.kind == CSqlExpr::Kind::Call && expr.parts.size() == 1 &&
        m_catalog.HasFunction(cp932::ToUpperAscii(expr.text))) {
        madeType = m_catalog.FunctionResultType(cp932::ToUpperAscii(expr.text));
        StoredArguments(cp932::ToUpperAscii(expr.text), expr, document);
        return !m_failed;
    }
    return Expr(&expr, document) != CSqlType::Unknown || !m_failed;
}

bool CSqlEmitter::PackagedCollection(const CSqlExpr& expr,
                                     std::vector<std::pair<std::string, std::string>>& columns, bool& object,
                                     std::string& document, std::string& type) {
    const bool qualified =
        expr.parts.size() == 2 && (expr.kind == CSqlExpr::Kind::Call || expr.kind == CSqlExpr::Kind::Name);
    if (!qualified) return Fail(expr.at, 22905);
    CSqlExpr call = expr;
    call.kind = CSqlExpr::Kind::Call;
    if (expr.kind == CSqlExpr::Kind::Name) call.text = expr.parts[1];
    // A package's function that returns a collection: its document is read.
    const std::string name = cp932::ToUpperAscii(expr.parts[0]) + "." + cp932::ToUpperAscii(call.text);
    const int arguments = static_cast<int>(call.args.size());
    const std::string result = m_catalog.HasPackage(cp932::ToUpperAscii(expr.parts[0]))
                                   ? m_catalog.FunctionResult(name, arguments)
                                   : std::string();
    if ((result == "TABLE" || result == "VARRAY") &&
        m_catalog.CollectionColumns(name, true, columns, object, arguments)) {
        type = m_catalog.FunctionResultType(name, arguments);
        document = "TARVEX_CALL(" + Quote(name);
        for (const CSqlExpr* arg : call.args) {
            document += ", ";
            Expr(arg, document);
        }
        document += ")";
        return !m_failed;
    }
    // Note: TABLE(pkg.f(...)) or TABLE(pkg.f) of a package the engine lacks
    // (DBMS_XPLAN.DISPLAY) is refused by the function's name, as the call is.
    std::string ignored;
    if (Expr(&call, ignored) == CSqlType::Unknown && m_failed) return false;
    return Fail(expr.at, 22905);
}

bool CSqlEmitter::QueriedCollection(const CSqlExpr& query,
                                    std::vector<std::pair<std::string, std::string>>& columns, bool& object,
                                    std::string& document, std::string& type) {
    // Note: TABLE((query)) unnests the one collection the query's row holds;
    // the query's column is read as its document.
    Typed produced;
    std::string text;
    if (!QueriedDocument(query, text, produced)) return false;
    if (produced.collection.empty() ||
        !m_catalog.CollectionColumns(produced.collection, false, columns, object))
        return Fail(query.at, 22905);
    type = produced.collection;
    document = text;
    return true;
}

CSqlType CSqlEmitter::Cardinality(const CSqlExpr& call, std::string& out) {
    if (call.args.size() != 1) {
        Fail(call.at, call.args.empty() ? 938 : 939);
        return CSqlType::Unknown;
    }
    // Note: a collection variable of a block is bound as its JSON document.
    const CSqlExpr& arg = *call.args[0];
    std::vector<std::pair<std::string, std::string>> columns;
    bool object = false;
    std::string document;
    if (arg.kind == CSqlExpr::Kind::Bind) {
        Expr(&arg, document);
    } else if (IsCollection(arg)) {
        Collection collection;
        if (!CollectionOperand(arg, document, collection)) return CSqlType::Unknown;
    } else if (arg.kind != CSqlExpr::Kind::Call) {
        Fail(arg.at, 932);
        return CSqlType::Unknown;
    } else if (!CollectionDocument(arg, columns, object, document)) {
        return CSqlType::Unknown;
    }
    // Note: an empty collection, like a null one, counts NULL.
    out += "NULLIF(json_array_length(" + document + "), 0)";
    return CSqlType::Number;
}

bool CSqlEmitter::CollectionSource(const CSqlFromItem& item, Source& source, std::string& text) {
    const CSqlExpr& expr = *item.collection;
    std::vector<std::pair<std::string, std::string>> columns;
    bool object = false;
    std::string document;
    std::string collectionType;
    if (!CollectionDocument(expr, columns, object, document, &collectionType)) return false;
    std::string rows = "TARVEX_CT" + std::to_string(m_jsonTables++);
    std::string element = "json_quote(" + rows + ".value)";
    source.name = AliasName(item.alias);
    source.known = true;
    source.aliased = !item.alias.empty();
    text = "json_each(" + document + ") " + rows;
    const CSqliteCatalog::ObjectShape* shape =
        object ? ObjectShapeOf(m_catalog.CollectionElement(collectionType)) : nullptr;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        CSqliteCatalog::Column type = CSqliteCatalog::Describe(columns[k].first, columns[k].second);
        Typed typed{columns[k].first,
                    CValueType{type.type, type.length, type.charSemantics, false, type.fraction}};
        std::string path = object ? "$[" + std::to_string(k) + "]" : "$";
        typed.emitted = JsonScalar(element, path, type);
        if (shape != nullptr && k < shape->attributes.size())
            ElementAttribute(shape->attributes[k], element, path, typed);
        source.columns.push_back(std::move(typed));
    }
    return true;
}

void CSqlEmitter::ElementAttribute(const CSqliteCatalog::ObjectShape::Attribute& attribute,
                                   const std::string& element, const std::string& path, Typed& typed) {
    // Note: an attribute that is an object or a collection is a column of
    // its type, read as its document (its own attributes reached through
    // the alias) and shown as its constructor.
    if (attribute.schemaType.empty()) return;
    if (attribute.object) {
        typed.objectType = attribute.schemaType;
        typed.document = ObjectAt(element, path);
        ObjectColumn(typed, "");
        return;
    }
    typed.collection = attribute.schemaType;
    typed.document = "json_extract(" + element + ", '" + path + "')";
    CollectionColumn(typed, "");
}

bool CSqlEmitter::IsJsonConstructor(std::string_view name) {
    return name == "JSON_OBJECT" || name == "JSON_ARRAY" || name == "JSON_ARRAYAGG" ||
           name == "JSON_OBJECTAGG";
}

long CSqlEmitter::JsonLength(const CSqlExpr& expr) {
    if (expr.detail.empty()) return 4000;
    CSqliteCatalog::Column type = CSqliteCatalog::Describe("RETURNING", expr.detail);
    return type.type == CSqlType::Text || type.type == CSqlType::Char ? type.length : 0;
}

std::string CSqlEmitter::JsonItem(const CSqlExpr& arg, unsigned char flags) {
    std::string value;
    CSqlType type = Expr(&arg, value);
    // Note: what another generating function (or JSON_QUERY) gives is JSON.
    if (arg.kind == CSqlExpr::Kind::Call && arg.parts.size() <= 1 &&
        (IsJsonConstructor(Upper(arg.text)) || Upper(arg.text) == "JSON_QUERY"))
        return value;
    if ((flags & CSqlExpr::kFormatJson) != 0)
        return "(CASE WHEN (" + value + ") IS NULL THEN NULL WHEN json_valid(" + value + ") THEN json(" +
               value + ") ELSE ORA_RAISE(40441) END)";
    std::string kind = "U";
    switch (type) {
        case CSqlType::Number:
            kind = "N";
            break;
        case CSqlType::Text:
        case CSqlType::Char:
            kind = "S";
            break;
        case CSqlType::Date: {
            bool zoned = false;
            int fraction = Fraction(arg, zoned);
            kind = zoned || Zoned(arg) ? "Z" : (fraction >= 0 ? "T" : "D");
            break;
        }
        case CSqlType::Unknown:
            break;
    }
    return "ORA_JSON_ITEM('" + kind + "', " + value + ")";
}

bool CSqlEmitter::JsonMembers(const CSqlExpr& expr, std::vector<std::string>& out) {
    for (std::size_t k = 0; k + 1 < expr.args.size(); k += 2) {
        const CSqlExpr& key = *expr.args[k];
        const unsigned char keyFlags = k < expr.jsonFlags.size() ? expr.jsonFlags[k] : 0;
        const unsigned char valueFlags = k + 1 < expr.jsonFlags.size() ? expr.jsonFlags[k + 1] : 0;
        if (key.kind == CSqlExpr::Kind::Star) {
            // Note: a wildcard's columns keep their names as keys.
            const std::string qualifier = key.parts.empty() ? std::string() : Upper(key.parts[0]);
            bool found = qualifier.empty();
            const std::vector<Source> sources = m_scopes.back().sources;
            for (const Source& source : sources) {
                if (!qualifier.empty() && source.name != qualifier) continue;
                found = true;
                for (const Typed& column : source.columns) {
                    if (column.hidden) continue;
                    CSqlExpr& node = m_madeNodes.emplace_back();
                    node.kind = CSqlExpr::Kind::Name;
                    node.at = key.at;
                    node.parts = {m_madeNames.emplace_back(source.name),
                                  m_madeNames.emplace_back(column.name)};
                    out.push_back(Quote(column.name));
                    out.push_back(JsonItem(node, 0));
                }
            }
            if (!found) return Fail(key.at, 904, qualifier), false;
            continue;
        }
        if ((keyFlags & CSqlExpr::kNamedColumn) != 0) {
            // A column named alone: its name as written, in the case typed.
            std::string name = CTypedText::Typed(key.parts.back());
            if (name.size() >= 2 && name.front() == '"')
                name = CSqliteName::NameOf(name.substr(1, name.size() - 2));
            out.push_back(Quote(name));
        } else {
            std::string text;
            Expr(&key, text);
            out.push_back(text);
        }
        out.push_back(JsonItem(*expr.args[k + 1], valueFlags));
    }
    return !m_failed;
}

// Note: JSON_OBJECT and JSON_OBJECTAGG write NULL as null unless told
// ABSENT ON NULL; JSON_ARRAY and JSON_ARRAYAGG leave it out unless told
// NULL ON NULL. An aggregate of no rows is NULL.
CSqlType CSqlEmitter::JsonConstructor(const CSqlExpr& expr, const std::string& name, std::string& out) {
    const bool object = name == "JSON_OBJECT" || name == "JSON_OBJECTAGG";
    const bool absent = expr.jsonOnNull == 0 ? !object : expr.jsonOnNull == 2;
    const std::string absentFlag = absent ? "1" : "0";
    if (name == "JSON_ARRAY") {
        out += "ORA_JSON_ARRAY(" + absentFlag;
        for (std::size_t k = 0; k < expr.args.size(); ++k)
            out += ", " + JsonItem(*expr.args[k], k < expr.jsonFlags.size() ? expr.jsonFlags[k] : 0);
        out += ")";
        return CSqlType::Text;
    }
    if (name == "JSON_OBJECT") {
        std::vector<std::string> members;
        if (!JsonMembers(expr, members)) return CSqlType::Unknown;
        out += "ORA_JSON_OBJECT(" + absentFlag;
        for (const std::string& member : members) out += ", " + member;
        out += ")";
        return CSqlType::Text;
    }
    ++m_aggregates;
    std::string element;
    if (name == "JSON_ARRAYAGG") {
        std::string item = JsonItem(*expr.args[0], expr.jsonFlags.empty() ? 0 : expr.jsonFlags[0]);
        element = absent ? item : "coalesce(" + item + ", 'null')";
    } else {
        std::vector<std::string> members;
        if (expr.args.size() != 2 || expr.args[0]->kind == CSqlExpr::Kind::Star ||
            (expr.jsonFlags[0] & CSqlExpr::kNamedColumn) != 0)
            return --m_aggregates, Fail(expr.at, 907), CSqlType::Unknown;
        if (!JsonMembers(expr, members)) return --m_aggregates, CSqlType::Unknown;
        element = "ORA_JSON_MEMBER(" + absentFlag + ", " + members[0] + ", " + members[1] + ")";
    }
    std::string list = "ORA_LISTAGG(" + element + ", ','";
    for (const auto& item : expr.withinGroup) {
        list += ", ";
        Expr(item.expr, list);
        list += item.descending ? ", 1" : ", 0";
    }
    list += ")";
    --m_aggregates;
    const char* open = object ? "'{'" : "'['";
    const char* close = object ? "'}'" : "']'";
    out += std::string("(CASE WHEN count(*) = 0 THEN NULL ELSE ") + open + " || coalesce(" + list +
           ", '') || " + close + " END)";
    return CSqlType::Text;
}

// Note: the alias and the column come first; the fields are matched in the
// case written, quoted or not. A column of text only: what is no JSON there
// answers NULL.
bool CSqlEmitter::JsonDotColumn(const CSqlExpr& expr, CSqlExpr*& column) {
    column = &m_madeNodes.emplace_back();
    column->kind = CSqlExpr::Kind::Name;
    column->at = expr.at;
    column->parts = {expr.parts[0], expr.parts[1]};
    CSqlType type = CSqlType::Unknown;
    CValueType full;
    // Note: an object or collection column is no JSON text, whatever it is stored as.
    return Resolve(*column, type, &full) && !m_failed &&
           (type == CSqlType::Text || type == CSqlType::Char || full.binary) && full.typeName.empty();
}

bool CSqlEmitter::JsonDotAccess(const CSqlExpr& expr, std::string& out) {
    CSqlExpr* column = nullptr;
    if (!JsonDotColumn(expr, column)) return false;
    std::string call = "ORA_JSON_DOT(";
    JsonDocument(column, call);
    for (std::size_t k = 2; k < expr.parts.size(); ++k) {
        std::string field = CTypedText::Typed(expr.parts[k]);
        if (field.size() >= 2 && field.front() == '"')
            field = CSqliteName::NameOf(field.substr(1, field.size() - 2));
        call += ", " + Quote(field);
    }
    out += call + ")";
    return true;
}

#include "engine/sqlite/CColumnCompiler.h"

#include <algorithm>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CCheckCompiler.h"
#include "engine/sqlite/CDeclaredType.h"
#include "engine/sqlite/CObjectFeatures.h"
#include "engine/sqlite/CServerType.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

namespace {

// A type whose words go on after its brackets, or that says TO
// ("TIMESTAMP(3) WITH TIME ZONE", "INTERVAL DAY(3) TO SECOND(2)"), which
// SQLite's type names cannot: its words joined by "_", its numbers last.
bool Joined(std::string_view type, std::string& out) {
    std::size_t close = type.find(')');
    bool wordsAfter = close != std::string_view::npos && close + 1 < type.size();
    if (!wordsAfter && type.find(" TO ") == std::string_view::npos) return false;
    std::string words;
    std::string numbers;
    bool inside = false;
    for (char c : type) {
        if (c == '(' || c == ')') {
            inside = c == '(';
            if (inside && !numbers.empty()) numbers += ',';
            continue;
        }
        if (inside)
            numbers += c;
        else
            words += c == ' ' ? '_' : c;
    }
    out = words + (numbers.empty() ? std::string() : "(" + numbers + ")");
    return true;
}

}  // namespace

std::string CColumnCompiler::StoredType(std::string_view declared) {
    std::string type(declared);
    // Note: an interval keeps both its numbers (defaults written out), so
    // that DAY(3) TO SECOND and DAY TO SECOND(3) stay apart.
    if (CServerType::Shape shape;
        CServerType::Describe(type, shape) && shape.serverType == servertype::kIntervalDs)
        return "INTERVAL_DAY_TO_SECOND(" + std::to_string(shape.precision) + "," +
               std::to_string(shape.scale) + ")";
    if (std::string joined; Joined(type, joined)) return joined;
    std::size_t open = type.find('(');
    if (open == std::string::npos) return type;
    std::size_t close = type.find(')', open);
    if (close == std::string::npos) return type;
    std::string base = type.substr(0, open);
    std::string inside = type.substr(open + 1, close - open - 1);
    std::string after = type.substr(close);
    // VARCHAR2(n CHAR): the semantics go with the name; (n BYTE) is (n).
    for (std::string_view unit : {" CHAR", " BYTE"}) {
        if (inside.size() <= unit.size() ||
            inside.compare(inside.size() - unit.size(), unit.size(), unit) != 0)
            continue;
        inside.resize(inside.size() - unit.size());
        if (unit == " CHAR") base = (base == "VARCHAR" ? "VARCHAR2" : base) + "_CHAR";
    }
    // NUMBER(*, s): the engine's types take numbers only, and a precision of 0 is none.
    if (StartsWith(inside, "*")) inside = "0" + inside.substr(1);
    // Note: a RAW is kept as its hexadecimal digits, which SQLite's numeric
    // affinity of a type named RAW would read as a number ("0012" as 12,
    // "1E10" as 10000000000); the name RAW_TEXT gives the column text affinity.
    if (base == "RAW") base = kRawText;
    return base + "(" + inside + after;
}

std::string CColumnCompiler::DeclaredOf(const CValueType& type) {
    if (!type.typeName.empty()) return type.typeName;
    switch (type.kind) {
        case CSqlType::Number:
            return type.floatWidth == 0 ? "NUMBER" : type.floatWidth == 4 ? "BINARY_FLOAT" : "BINARY_DOUBLE";
        case CSqlType::Date:
            if (type.fraction < 0) return "DATE";
            return "TIMESTAMP(" + std::to_string(type.fraction) + ")" +
                   (type.localZone ? " WITH LOCAL TIME ZONE"
                    : type.zone    ? " WITH TIME ZONE"
                                   : "");
        case CSqlType::Char:
        case CSqlType::Text: {
            std::string length = std::to_string(type.length > 0 ? type.length : 4000);
            std::string base = type.kind == CSqlType::Char ? "CHAR" : "VARCHAR2";
            return base + "(" + length + (type.chars ? " CHAR)" : ")");
        }
        case CSqlType::Unknown:
            break;
    }
    return "VARCHAR2(4000)";
}

bool CColumnCompiler::Compile(std::string_view text, const CColumnCatalog::Declared& column, std::size_t base,
                              bool types, std::vector<Edit>& edits, CSqlEmitter::Failure& failure,
                              const std::vector<CSqliteCatalog::Column>* row) {
    if (std::string refused = CObjectFeatures::RefusedType(column.type); types && !refused.empty()) {
        failure.at = column.typeBegin;
        failure.code = 3001;
        failure.name = refused;
        return false;
    }
    if (types && !column.type.empty()) {
        // Note: a column of the schema's own type is not kept here; it is
        // refused rather than stored as text.
        std::string base = cp932::ToUpperAscii(column.type.substr(0, column.type.find_first_of("( ")));
        std::vector<std::pair<std::string, std::string>> elements;
        bool objects = false;
        // Note: a nested table or VARRAY column holds its collection's
        // document (text), an object column its attributes' (see CSqliteCatalog::Column).
        CSqliteCatalog::ObjectShape shape;
        // Note: a type neither the server's nor the schema's is the server's "invalid datatype".
        if (!m_catalog.HasType(base) && !CDeclaredType::IsTypeWord(base)) {
            failure.at = column.typeBegin;
            failure.code = 902;
            return false;
        }
        if (m_catalog.HasType(base) && !m_catalog.CollectionColumns(base, false, elements, objects) &&
            !m_catalog.ObjectType(base, shape)) {
            failure.at = column.typeBegin;
            failure.code = 3001;
            failure.name = encoding::Utf8ToCp932("ユーザー定義型の列 (") + base + ")";
            return false;
        }
    }
    // Note: a virtual column has no type in SQLite's definition, whose
    // affinity would have SQLite's own checks compute it with functions
    // only this engine has; the catalog keeps its type.
    if (types && !column.type.empty())
        edits.push_back({base + column.typeBegin, column.typeEnd - column.typeBegin,
                         column.virtualColumn ? std::string() : StoredType(column.type)});
    if (!column.hasDefault) return true;
    std::string compiled;
    if (column.virtualColumn) {
        CValueType type;
        if (row == nullptr) {
            failure.at = column.clauseBegin;
            failure.code = 3001;
            failure.name = encoding::Utf8ToCp932("仮想列");
            return false;
        }
        if (!CCheckCompiler(m_catalog).Value(text, column.defaultBegin, column.defaultEnd, *row, compiled,
                                             type, failure))
            return false;
        // Note: without a type of its own the column has its expression's.
        if (column.type.empty()) m_virtualTypes.emplace_back(column.name, DeclaredOf(type));
        edits.push_back({base + column.clauseBegin, column.clauseEnd - column.clauseBegin,
                         "GENERATED ALWAYS AS (" + compiled + ") VIRTUAL"});
        return true;
    }
    if (!CCheckCompiler(m_catalog).Expression(text, column.defaultBegin, column.defaultEnd, compiled,
                                              failure))
        return false;
    // Note: an interval column's default is held to its precision as a value
    // given is (ORA_STORE_INTERVAL, as an INSERT writes it).
    if (CServerType::Shape shape;
        CServerType::Describe(column.type, shape) &&
        (shape.serverType == servertype::kIntervalDs || shape.serverType == servertype::kIntervalYm))
        compiled = "ORA_STORE_INTERVAL(" + compiled + ", " +
                   (shape.serverType == servertype::kIntervalYm ? "1" : "0") + ", " +
                   std::to_string(shape.precision) + ", " + std::to_string(shape.scale) + ")";
    // Note: SQLite takes an expression as a default in brackets.
    edits.push_back(
        {base + column.defaultBegin, column.defaultEnd - column.defaultBegin, "(" + compiled + ")"});
    return true;
}

std::string CColumnCompiler::Apply(std::string_view text, std::vector<Edit> edits) {
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
    std::string out(text);
    for (const Edit& edit : edits)
        if (edit.begin + edit.length <= out.size()) out.replace(edit.begin, edit.length, edit.with);
    return out;
}

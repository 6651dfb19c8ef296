// Collections in SQL: the multiset conditions (MEMBER OF, SUBMULTISET OF,
// IS A SET, IS EMPTY, =), the multiset operators (MULTISET UNION,
// INTERSECT, EXCEPT, SET), CAST(MULTISET (query)) and COLLECT, and a
// collection shown as a value (NUM_T(1, 2, 3)). A collection travels as the
// JSON array of its elements (see CollectionDocument).
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "text/Cp932.h"

namespace {

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The element of a json_each row `rows` as JSON text, an object's array as it is.
std::string ElementJson(const std::string& rows) {
    return "(CASE WHEN " + rows + ".type IN ('array', 'object') THEN " + rows + ".value ELSE json_quote(" +
           rows + ".value) END)";
}

std::string QuoteName(std::string_view name) { return "\"" + std::string(name) + "\""; }

bool IsCollectionCall(std::string_view name) { return name == "SET" || name == "COLLECT"; }

}  // namespace

bool CSqlEmitter::IsCollection(const CSqlExpr& expr) {
    std::vector<std::pair<std::string, std::string>> columns;
    bool object = false;
    if (expr.kind == CSqlExpr::Kind::Multiset)
        return expr.text == "UNION" || expr.text == "INTERSECT" || expr.text == "EXCEPT";
    if (expr.kind == CSqlExpr::Kind::Name) {
        CSqlType type = CSqlType::Unknown;
        const Typed* typed = nullptr;
        return ResolveQuietly(expr, type, typed) && typed != nullptr && !typed->collection.empty();
    }
    if (expr.kind != CSqlExpr::Kind::Call || expr.parts.size() != 1 || expr.over) return false;
    std::string name = Upper(expr.text);
    if (IsCollectionCall(name)) return true;
    if (name == "CAST") return m_catalog.CollectionColumns(Upper(expr.detail), false, columns, object);
    if (m_catalog.HasFunction(name)) return m_catalog.CollectionColumns(name, true, columns, object);
    return m_catalog.CollectionColumns(name, false, columns, object);
}

bool CSqlEmitter::ResolveQuietly(const CSqlExpr& expr, CSqlType& type, const Typed*& typed,
                                 CValueType* full) {
    bool failed = m_failed;
    Failure failure = m_failure;
    bool found = Resolve(expr, type, full, &typed);
    bool ambiguous = m_failed && !failed;
    m_failed = failed;
    m_failure = failure;
    return found && !ambiguous;
}

bool CSqlEmitter::CollectionOperand(const CSqlExpr& expr, std::string& document, Collection& collection) {
    std::string name = expr.kind == CSqlExpr::Kind::Call && expr.parts.size() == 1 ? Upper(expr.text) : "";
    if (expr.kind == CSqlExpr::Kind::Multiset || name == "SET")
        return MultisetOperator(expr, document, collection);
    if (name == "COLLECT") return Collect(expr, document);
    if (name == "CAST" && IsCollection(expr)) return CastCollection(expr, document, collection);
    if (expr.kind == CSqlExpr::Kind::Name) {
        CSqlType type = CSqlType::Unknown;
        const Typed* typed = nullptr;
        if (ResolveQuietly(expr, type, typed) && typed != nullptr && !typed->collection.empty()) {
            document = typed->document;
            collection.type = typed->collection;
            m_catalog.CollectionColumns(collection.type, false, collection.columns, collection.object);
            return true;
        }
    }
    if (expr.kind == CSqlExpr::Kind::Bind) {
        // Note: a collection variable of a block is bound as its document.
        Expr(&expr, document);
        return !m_failed;
    }
    if (!name.empty() && m_catalog.HasFunction(name) &&
        m_catalog.CollectionColumns(name, true, collection.columns, collection.object)) {
        // Note: a stored function's collection comes back as its document.
        collection.type = m_catalog.FunctionResultType(name);
        StoredArguments(name, expr, document);
        return !m_failed;
    }
    if (!CollectionDocument(expr, collection.columns, collection.object, document)) return false;
    std::vector<std::pair<std::string, std::string>> columns;
    bool object = false;
    if (!name.empty() && m_catalog.CollectionColumns(name, false, columns, object)) collection.type = name;
    return true;
}

std::string CSqlEmitter::ElementKey(const std::string& rows, const Collection& collection, CSqlType hint) {
    if (collection.object) return rows + ".value";
    CSqliteCatalog::Column type;
    type.type = hint;
    if (!collection.columns.empty())
        type = CSqliteCatalog::Describe(collection.columns[0].first, collection.columns[0].second);
    return JsonScalar("json_quote(" + rows + ".value)", "$", type);
}

CSqlType CSqlEmitter::MultisetCondition(const CSqlExpr& expr, std::string& out) {
    std::string_view what = expr.text;
    if (what == "MEMBER") return Membership(expr, out);
    Collection a;
    std::string first;
    if (!CollectionOperand(*expr.args[0], first, a)) return CSqlType::Unknown;
    std::string rows = "TARVEX_MS" + std::to_string(m_jsonTables++);
    std::string each = " FROM json_each(" + first + ") " + rows;
    std::string yes = expr.negated ? "0" : "1";
    std::string no = expr.negated ? "1" : "0";
    out += "(CASE WHEN (" + first + ") IS NULL THEN NULL";
    if (what == "EMPTY") {
        out += " WHEN json_array_length(" + first + ") = 0 THEN " + yes + " ELSE " + no + " END)";
    } else if (what == "SET") {
        out += " WHEN (SELECT COUNT(*)" + each + ") = (SELECT COUNT(*) FROM (SELECT DISTINCT " +
               ElementKey(rows, a, CSqlType::Unknown) + each + ")) THEN " + yes + " ELSE " + no + " END)";
    } else {
        // SUBMULTISET: every element of the first is matched by one of the
        // second; NULL where only a null element is left unmatched.
        Collection b;
        std::string second;
        if (!CollectionOperand(*expr.args[1], second, b)) return CSqlType::Unknown;
        if (a.columns.empty()) a = b;
        std::string other = rows + "_B";
        std::string key = ElementKey(rows, a, CSqlType::Unknown);
        auto count = [&](const std::string& document) {
            return "(SELECT COUNT(*) FROM json_each(" + document + ") " + other + " WHERE " +
                   ElementKey(other, a, CSqlType::Unknown) + " IS " + key + ")";
        };
        out += " WHEN (" + second + ") IS NULL THEN NULL WHEN json_array_length(" + first + ") = 0 THEN " +
               yes + " WHEN EXISTS (SELECT 1" + each + " WHERE " + rows + ".type <> 'null' AND " +
               count(first) + " > " + count(second) + ") THEN " + no + " WHEN EXISTS (SELECT 1" + each +
               " WHERE " + rows + ".type = 'null') THEN NULL ELSE " + yes + " END)";
    }
    return CSqlType::Number;
}

CSqlType CSqlEmitter::Membership(const CSqlExpr& expr, std::string& out) {
    Collection collection;
    std::string document;
    if (!CollectionOperand(*expr.args[1], document, collection)) return CSqlType::Unknown;
    std::string value;
    CSqlType type = CSqlType::Unknown;
    const CSqlExpr& element = *expr.args[0];
    std::string elementType = collection.object ? m_catalog.CollectionElement(collection.type) : "";
    if (!elementType.empty() && ObjectShapeOf(elementType) != nullptr) {
        // Note: an object is matched by its document, made as the collection's elements are.
        if (!ElementObject(element, elementType, value)) return CSqlType::Unknown;
    } else if (collection.object) {
        // Note: an object is matched by its attributes, written as its constructor's.
        if (element.kind != CSqlExpr::Kind::Call || element.args.size() != collection.columns.size())
            return Fail(element.at, 932), CSqlType::Unknown;
        value = "json_array(";
        for (std::size_t k = 0; k < element.args.size(); ++k) {
            if (k > 0) value += ", ";
            Expr(element.args[k], value);
        }
        value += ")";
    } else {
        type = Expr(&element, value);
    }
    std::string rows = "TARVEX_MS" + std::to_string(m_jsonTables++);
    std::string each = " FROM json_each(" + document + ") " + rows;
    std::string key = ElementKey(rows, collection, type);
    CSqlType keyType = type;
    if (!collection.object && !collection.columns.empty())
        keyType = CSqliteCatalog::Describe(collection.columns[0].first, collection.columns[0].second).type;
    Convert(keyType, type, key, value);
    // Note: NULL for a null or empty collection and for a null value; NULL
    // also when the value is not found but a null element might be it.
    out += std::string(expr.negated ? "NOT " : "") + "(CASE WHEN (" + document + ") IS NULL OR (" + value +
           ") IS NULL OR json_array_length(" + document + ") = 0 THEN NULL WHEN EXISTS (SELECT 1" + each +
           " WHERE " + key + " = " + value + ") THEN 1 WHEN EXISTS (SELECT 1" + each + " WHERE " + rows +
           ".type = 'null') THEN NULL ELSE 0 END)";
    return CSqlType::Number;
}

CSqlType CSqlEmitter::CollectionsEqual(const CSqlExpr& expr, std::string& out) {
    Collection a;
    Collection b;
    std::string first;
    std::string second;
    if (!CollectionOperand(*expr.args[0], first, a) || !CollectionOperand(*expr.args[1], second, b))
        return CSqlType::Unknown;
    if (a.columns.empty()) a = b;
    std::string rows = "TARVEX_MS" + std::to_string(m_jsonTables++);
    std::string other = rows + "_B";
    std::string key = ElementKey(rows, a, CSqlType::Unknown);
    auto count = [&](const std::string& document) {
        return "(SELECT COUNT(*) FROM json_each(" + document + ") " + other + " WHERE " +
               ElementKey(other, a, CSqlType::Unknown) + " IS " + key + ")";
    };
    auto hasNull = [&](const std::string& document) {
        return "EXISTS (SELECT 1 FROM json_each(" + document + ") " + other + " WHERE " + other +
               ".type = 'null')";
    };
    bool equal = expr.text == "=";
    // Note: NULL when either is null or holds a null element (and the counts agree).
    out += "(CASE WHEN (" + first + ") IS NULL OR (" + second +
           ") IS NULL THEN NULL WHEN json_array_length(" + first + ") <> json_array_length(" + second +
           ") THEN " + (equal ? "0" : "1") + " WHEN " + hasNull(first) + " OR " + hasNull(second) +
           " THEN NULL WHEN EXISTS (SELECT 1 FROM json_each(" + first + ") " + rows + " WHERE " +
           count(first) + " <> " + count(second) + ") THEN " + (equal ? "0" : "1") + " ELSE " +
           (equal ? "1" : "0") + " END)";
    return CSqlType::Number;
}

bool CSqlEmitter::MultisetOperator(const CSqlExpr& expr, std::string& document, Collection& collection) {
    bool set = expr.kind == CSqlExpr::Kind::Call;
    if (set && expr.args.size() != 1) return Fail(expr.at, expr.args.empty() ? 938 : 939);
    std::string first;
    if (!CollectionOperand(*expr.args[0], first, collection)) return false;
    std::string second;
    Collection right;
    if (!set && !CollectionOperand(*expr.args[1], second, right)) return false;
    if (collection.columns.empty()) collection = right;
    std::string rows = "TARVEX_MS" + std::to_string(m_jsonTables++);
    // Note: the elements are named once (a CTE) and counted by correlated
    // subqueries, not windows: an operand may be another operator's, and
    // SQLite's parser allows few levels of nested queries.
    const std::string all = rows + "_U", right_ = rows + "_R";
    auto side = [&](const std::string& doc, int order) {
        return "SELECT " + std::to_string(order) + " AS s, " + rows + ".key AS k, " +
               ElementKey(rows, collection, CSqlType::Unknown) + " AS v, " + ElementJson(rows) +
               " AS j FROM json_each(" + doc + ") " + rows;
    };
    std::string_view op = set ? std::string_view("SET") : expr.text;
    bool distinct = set || expr.distinct;
    std::string with = "WITH " + all + " AS (" + side(first, 0);
    if (op == "UNION") with += " UNION ALL " + side(second, 1);
    with += ")";
    if (op == "INTERSECT" || op == "EXCEPT") with += ", " + right_ + " AS (" + side(second, 1) + ")";
    // n: the how-manieth of its value this element is; m: how often the second holds it.
    std::string n =
        "(SELECT COUNT(*) FROM " + all + " e WHERE e.v IS u.v AND (e.s < u.s OR (e.s = u.s AND e.k <= u.k)))";
    std::string m = "(SELECT COUNT(*) FROM " + right_ + " e WHERE e.v IS u.v)";
    // Note: ALL matches each element of the second once (INTERSECT keeps
    // min(m, n) copies, EXCEPT max(n - m, 0)); DISTINCT keeps the first of each.
    std::string keep = op == "INTERSECT" ? (distinct ? m + " > 0 AND " + n + " = 1" : n + " <= " + m)
                       : op == "EXCEPT"  ? (distinct ? m + " = 0 AND " + n + " = 1" : n + " > " + m)
                                         : (distinct ? n + " = 1" : std::string("1"));
    std::string kept = "SELECT u.j AS j FROM " + all + " u WHERE " + keep + " ORDER BY u.s, u.k";
    document = "(CASE WHEN (" + first + ") IS NULL" + (set ? "" : " OR (" + second + ") IS NULL") +
               " THEN NULL ELSE (" + with +
               " SELECT '[' || COALESCE(group_concat(j, ','), '') || ']' FROM (" + kept + ")) END)";
    return true;
}

bool CSqlEmitter::CastCollection(const CSqlExpr& cast, std::string& document, Collection& collection) {
    collection.type = Upper(cast.detail);
    m_catalog.CollectionColumns(collection.type, false, collection.columns, collection.object);
    const CSqlExpr& argument = *cast.args[0];
    if (argument.kind == CSqlExpr::Kind::Subquery && argument.detail == "MULTISET") {
        std::string query;
        std::vector<Typed> produced;
        if (!Query(*argument.query, query, &produced)) return false;
        std::size_t wanted = collection.object ? collection.columns.size() : 1;
        if (produced.size() != wanted) return Fail(argument.at, produced.size() > wanted ? 913 : 947);
        std::string rows = "TARVEX_MQ" + std::to_string(m_jsonTables++);
        std::string names;
        std::string element = collection.object ? "json_array(" : "";
        for (std::size_t k = 0; k < produced.size(); ++k) {
            names += (k > 0 ? ", c" : "c") + std::to_string(k);
            element += (k > 0 ? ", c" : "c") + std::to_string(k);
        }
        element = collection.object ? element + ")" : "json_quote(" + element + ")";
        document = "(WITH " + rows + "(" + names + ") AS (" + query +
                   ") SELECT '[' || COALESCE(group_concat(" + element + ", ','), '') || ']' FROM " + rows +
                   ")";
        return !m_failed;
    }
    Collection from;
    // Note: a collection cast to a collection type keeps its elements.
    if (!CollectionOperand(argument, document, from)) return false;
    return true;
}

bool CSqlEmitter::Collect(const CSqlExpr& call, std::string& document) {
    if (call.args.size() != 1 || call.starArgument) return Fail(call.at, 909, "COLLECT");
    if (call.over) return Fail(call.at, 3001, "COLLECT ... OVER");
    // Note: the elements are ordered by one key, as LISTAGG orders its values.
    if (call.withinGroup.size() > 1)
        return Fail(call.withinGroup[1].expr->at, 3001, "COLLECT (ORDER BY ..., ...)");
    if (!call.withinGroup.empty() && call.distinct)
        return Fail(call.at, 3001, "COLLECT (DISTINCT ... ORDER BY)");
    std::string value;
    ++m_aggregates;
    Expr(call.args[0], value);
    std::string element = "CASE WHEN (" + value + ") IS NOT NULL THEN json_quote(" + value + ") END";
    std::string list;
    if (call.withinGroup.empty()) {
        // Note: nulls are left out, as every aggregate leaves them.
        list = "group_concat(" + std::string(call.distinct ? "DISTINCT " : "") + element + ")";
    } else {
        list = "ORA_LISTAGG(" + element + ", ',', ";
        Expr(call.withinGroup[0].expr, list);
        list += call.withinGroup[0].descending ? ", 1)" : ", 0)";
    }
    --m_aggregates;
    document = "('[' || COALESCE(" + list + ", '') || ']')";
    return !m_failed;
}

std::string CSqlEmitter::ShownElement(const std::string& value, const std::string& type) {
    CSqliteCatalog::Column column = CSqliteCatalog::Describe("COLUMN_VALUE", type);
    // Note: a number shows as the server writes it as text (.5, not 0.5).
    if (column.type == CSqlType::Number) return "COALESCE(ORA_NUMBER_TEXT(" + value + "), 'NULL')";
    return "COALESCE('''' || replace(" + value + ", '''', '''''') || '''', 'NULL')";
}

CSqlType CSqlEmitter::CollectionText(const CSqlExpr& expr, std::string& out) {
    Collection collection;
    std::string document;
    if (!CollectionOperand(expr, document, collection)) return CSqlType::Unknown;
    if (collection.type.empty()) return Fail(expr.at, 3001, Upper(expr.text)), CSqlType::Unknown;
    out += Shown(document, collection);
    return CSqlType::Text;
}

std::string CSqlEmitter::Shown(const std::string& document, const Collection& collection) {
    std::string rows = "TARVEX_MT" + std::to_string(m_jsonTables++);
    std::string item = "json_quote(" + rows + ".value)";
    std::string shown;
    std::string element = collection.object ? m_catalog.CollectionElement(collection.type) : "";
    if (!element.empty() && ObjectShapeOf(element) != nullptr) {
        // Note: an element is shown as any object of its type is, the objects it holds too.
        shown = "COALESCE(" + ShownObject(rows + ".value", element) + ", 'NULL')";
    } else if (collection.object) {
        // Note: an object element is shown as its constructor, named by the type's shape.
        std::string attributes;
        for (std::size_t k = 0; k < collection.columns.size(); ++k) {
            CSqliteCatalog::Column type =
                CSqliteCatalog::Describe(collection.columns[k].first, collection.columns[k].second);
            attributes += (k > 0 ? " || ', ' || " : "") +
                          ShownElement(JsonScalar(item, "$[" + std::to_string(k) + "]", type),
                                       collection.columns[k].second);
        }
        shown = "CASE WHEN " + rows + ".type = 'null' THEN 'NULL' ELSE json_extract(TARVEX_TYPE_SHAPE(" +
                Quote(collection.type) + ", 0), '$.element[0]') || '(' || " + attributes + " || ')' END";
    } else {
        std::string type = collection.columns.empty() ? "VARCHAR2(4000)" : collection.columns[0].second;
        shown = ShownElement(JsonScalar(item, "$", CSqliteCatalog::Describe("COLUMN_VALUE", type)), type);
    }
    return "(CASE WHEN (" + document + ") IS NULL THEN NULL ELSE " + Quote(collection.type) +
           " || '(' || COALESCE((SELECT group_concat(" + shown + ", ', ') FROM json_each(" + document + ") " +
           rows + "), '') || ')' END)";
}

void CSqlEmitter::CollectionColumn(Typed& typed, const std::string& source) {
    if (typed.collection.empty()) return;
    Collection collection;
    collection.type = typed.collection;
    m_catalog.CollectionColumns(collection.type, false, collection.columns, collection.object);
    if (typed.document.empty()) typed.document = QuoteName(source) + "." + QuoteName(typed.name);
    typed.emitted = Shown(typed.document, collection);
    typed.type = CValueType{CSqlType::Text, 0, false};
    typed.type.typeName = typed.collection;
}

bool CSqlEmitter::StoreCollection(const CSqliteCatalog::Column& column, const CSqlExpr& value,
                                  std::string& out) {
    if (value.kind == CSqlExpr::Kind::Null) {
        out += "NULL";
        return true;
    }
    if (TypelessNull(value, out)) return !m_failed;
    Collection collection;
    std::string document;
    bool bind = value.kind == CSqlExpr::Kind::Bind;
    if (!bind && !IsCollection(value)) return Fail(value.at, 932);
    if (!CollectionOperand(value, document, collection)) return false;
    // Note: a collection of another type is refused, as the server refuses it.
    if (!collection.type.empty() && collection.type != column.collection) return Fail(value.at, 932);
    out += document;
    return !m_failed;
}

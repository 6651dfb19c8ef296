// Object types in SQL: constructors, object columns (shown as their
// constructor), attributes read through a table's alias (c.col.attr),
// objects compared attribute by attribute, and member functions called on
// a column's value. An object travels as the JSON array of its attributes:
// scalars as text, an object attribute as its own array, a collection
// attribute as its document; a null object is NULL.
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Attribute = CSqliteCatalog::ObjectShape::Attribute;

std::string Upper(std::string_view text) { return cp932::ToUpperAscii(text); }

std::string Quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string QuoteName(std::string_view name) { return "\"" + std::string(name) + "\""; }

// Note: types hold one another only by value, never in a cycle; this bounds
// the text written for a type whose shape could not be read whole.
constexpr int kDeepestObject = 16;

std::string Extracted(const std::string& document, const std::string& path) {
    return "json_extract(" + document + ", " + Quote(path) + ")";
}

}  // namespace

const CSqliteCatalog::ObjectShape* CSqlEmitter::ObjectShapeOf(const std::string& type) {
    auto found = m_objectShapes.find(type);
    if (found == m_objectShapes.end()) {
        CSqliteCatalog::ObjectShape shape;
        if (!m_catalog.ObjectType(type, shape)) shape = {};
        found = m_objectShapes.emplace(type, std::move(shape)).first;
    }
    return found->second.attributes.empty() ? nullptr : &found->second;
}

bool CSqlEmitter::IsObject(const CSqlExpr& expr, std::string& type) {
    switch (expr.kind) {
        case CSqlExpr::Kind::Row:
            return expr.args.size() == 1 && IsObject(*expr.args[0], type);
        case CSqlExpr::Kind::Call:
            if (expr.parts.size() != 1 || expr.over || ObjectShapeOf(Upper(expr.text)) == nullptr)
                return false;
            type = Upper(expr.text);
            return true;
        case CSqlExpr::Kind::Name: {
            CSqlType kind = CSqlType::Unknown;
            const Typed* typed = nullptr;
            if (ResolveQuietly(expr, kind, typed)) {
                if (typed == nullptr || typed->objectType.empty()) return false;
                type = typed->objectType;
                return true;
            }
            AttributeRef ref;
            if (!FindAttribute(expr.parts, ref) || !ref.attribute.object) return false;
            type = ref.attribute.schemaType;
            return true;
        }
        default:
            return false;
    }
}

bool CSqlEmitter::ObjectOperand(const CSqlExpr& expr, std::string& document, std::string& type) {
    if (expr.kind == CSqlExpr::Kind::Row && expr.args.size() == 1)
        return ObjectOperand(*expr.args[0], document, type);
    // Note: a block's object variable is bound as {"type": ..., "attrs": [...]}
    // (see CObjectText); it stands where an object of `type` is wanted.
    if (expr.kind == CSqlExpr::Kind::Bind && !type.empty()) {
        std::string bound;
        Expr(&expr, bound);
        document = "(CASE WHEN " + bound + " IS NULL THEN NULL WHEN json_valid(" + bound + ") AND " + bound +
                   " ->> '$.type' = " + Quote(type) + " THEN json(" + bound +
                   " -> '$.attrs') ELSE ORA_RAISE(932) END)";
        return !m_failed;
    }
    if (!IsObject(expr, type)) return Fail(expr.at, 932);
    if (expr.kind == CSqlExpr::Kind::Call) return ConstructedObject(expr, type, document);
    CSqlType kind = CSqlType::Unknown;
    const Typed* typed = nullptr;
    if (ResolveQuietly(expr, kind, typed) && typed != nullptr) {
        document = typed->document;
        return true;
    }
    AttributeRef ref;
    FindAttribute(expr.parts, ref);
    document = Extracted(ref.document, ref.path);
    return true;
}

bool CSqlEmitter::ConstructedObject(const CSqlExpr& call, const std::string& type, std::string& out) {
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(type);
    if (shape == nullptr) return Fail(call.at, 932);
    // Note: the default constructor takes every attribute, in order.
    if (call.args.size() != shape->attributes.size()) return Fail(call.at, 2315);
    std::string made = "json_array(";
    for (std::size_t k = 0; k < call.args.size(); ++k) {
        if (k > 0) made += ", ";
        if (!AttributeValue(shape->attributes[k], type, *call.args[k], made)) return false;
    }
    out += made + ")";
    return !m_failed;
}

bool CSqlEmitter::ElementObject(const CSqlExpr& value, const std::string& element, std::string& out) {
    if (value.kind == CSqlExpr::Kind::Null) {
        out += "NULL";
        return true;
    }
    std::string document;
    std::string type = value.kind == CSqlExpr::Kind::Bind ? element : std::string();
    if (!ObjectOperand(value, document, type)) return false;
    if (type != element) return Fail(value.at, 932);
    out += "json(" + document + ")";
    return !m_failed;
}

bool CSqlEmitter::AttributeValue(const Attribute& attribute, const std::string& type, const CSqlExpr& value,
                                 std::string& out) {
    if (value.kind == CSqlExpr::Kind::Null) {
        out += "NULL";
        return true;
    }
    if (attribute.object) {
        std::string document;
        std::string made;
        if (!ObjectOperand(value, document, made)) return false;
        if (made != attribute.schemaType) return Fail(value.at, 932);
        out += "json(" + document + ")";
        return true;
    }
    if (!attribute.schemaType.empty()) {
        Collection collection;
        std::string document;
        if (!IsCollection(value) || !CollectionOperand(value, document, collection))
            return Fail(value.at, 932);
        if (!collection.type.empty() && collection.type != attribute.schemaType) return Fail(value.at, 932);
        out += "json(" + document + ")";
        return true;
    }
    std::string text;
    CSqlType given = Expr(&value, text);
    CSqliteCatalog::Column column = CSqliteCatalog::Describe(attribute.name, attribute.declared);
    std::string name = Quote(type + "." + attribute.name);
    std::string at = std::to_string(value.at);
    // Note: a number inside an object's document is kept as its digits.
    const std::string stored = StoreValue(column, given, text, name, at);
    out += column.type == CSqlType::Number ? "ORA_NUMBER_TEXT(" + stored + ")" : stored;
    return !m_failed;
}

std::string CSqlEmitter::ShownObject(const std::string& document, const std::string& type, int depth) {
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(type);
    if (shape == nullptr || depth > kDeepestObject) return "NULL";
    std::string attributes;
    for (std::size_t k = 0; k < shape->attributes.size(); ++k)
        attributes += (k > 0 ? " || ', ' || " : "") +
                      ShownAttribute(document, "$[" + std::to_string(k) + "]", shape->attributes[k], depth);
    return "(CASE WHEN (" + document + ") IS NULL THEN NULL ELSE " + Quote(type + "(") + " || " + attributes +
           " || ')' END)";
}

std::string CSqlEmitter::ShownAttribute(const std::string& document, const std::string& path,
                                        const Attribute& attribute, int depth) {
    if (attribute.object)
        return "COALESCE(" + ShownObject(ObjectAt(document, path), attribute.schemaType, depth + 1) +
               ", 'NULL')";
    if (!attribute.schemaType.empty()) {
        Collection collection;
        collection.type = attribute.schemaType;
        m_catalog.CollectionColumns(collection.type, false, collection.columns, collection.object);
        return "COALESCE(" + Shown(Extracted(document, path), collection) + ", 'NULL')";
    }
    return ShownElement(
        JsonScalar(document, path, CSqliteCatalog::Describe(attribute.name, attribute.declared)),
        attribute.declared);
}

bool CSqlEmitter::DerivedQuery(const CSqlSelect& query, std::string& out, std::vector<Typed>* columns) {
    const std::size_t outer = m_documentScope;
    m_documentScope = m_scopes.size() + 1;
    bool ok = Query(query, out, columns);
    m_documentScope = outer;
    return ok;
}

void CSqlEmitter::DerivedColumns(Source& source) {
    for (Typed& column : source.columns) {
        if (column.objectType.empty() && column.collection.empty()) continue;
        // Note: an inline view without an alias is read by its columns' names alone.
        column.document = (source.name.empty() ? "" : QuoteName(source.name) + ".") + QuoteName(column.name);
        column.emitted.clear();
        ObjectColumn(column, source.name);
        CollectionColumn(column, source.name);
    }
}

std::string CSqlEmitter::ObjectAt(const std::string& document, const std::string& path) {
    return "json(TARVEX_OBJECT_JSON(" + Extracted(document, path) + "))";
}

void CSqlEmitter::ObjectColumn(Typed& typed, const std::string& source) {
    if (typed.objectType.empty()) return;
    if (typed.document.empty()) typed.document = QuoteName(source) + "." + QuoteName(typed.name);
    typed.emitted = ShownObject(typed.document, typed.objectType);
    typed.type = CValueType{CSqlType::Text, 0, false};
    typed.type.typeName = typed.objectType;
}

bool CSqlEmitter::FindAttribute(const std::vector<std::string_view>& parts, AttributeRef& ref) {
    if (parts.size() < 3) return false;
    std::string qualifier = Upper(parts[0]);
    std::string name = Upper(parts[1]);
    const Typed* column = nullptr;
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend() && column == nullptr; ++scope)
        for (const auto& source : scope->sources) {
            if (source.name != qualifier || !source.aliased) continue;
            for (const auto& candidate : source.columns)
                if (candidate.name == name && !candidate.objectType.empty()) column = &candidate;
        }
    if (column == nullptr) return false;
    std::string type = column->objectType;
    ref.document = column->document;
    ref.path = "$";
    for (std::size_t k = 2; k < parts.size(); ++k) {
        const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(type);
        if (shape == nullptr) return false;
        std::string wanted = Upper(parts[k]);
        const Attribute* found = nullptr;
        for (std::size_t a = 0; a < shape->attributes.size() && found == nullptr; ++a)
            if (shape->attributes[a].name == wanted) {
                found = &shape->attributes[a];
                ref.path += "[" + std::to_string(a) + "]";
            }
        if (found == nullptr) return false;
        ref.attribute = *found;
        // Note: only an object attribute has attributes of its own.
        if (k + 1 < parts.size() && !found->object) return false;
        type = found->schemaType;
    }
    return true;
}

CSqlType CSqlEmitter::AttributeText(const AttributeRef& ref, std::string& out) {
    const Attribute& attribute = ref.attribute;
    if (attribute.object) {
        out += ShownObject(Extracted(ref.document, ref.path), attribute.schemaType);
        return CSqlType::Text;
    }
    if (!attribute.schemaType.empty()) {
        Collection collection;
        collection.type = attribute.schemaType;
        m_catalog.CollectionColumns(collection.type, false, collection.columns, collection.object);
        out += Shown(Extracted(ref.document, ref.path), collection);
        return CSqlType::Text;
    }
    CSqliteCatalog::Column column = CSqliteCatalog::Describe(attribute.name, attribute.declared);
    out += JsonScalar(ref.document, ref.path, column);
    return column.type == CSqlType::Unknown ? CSqlType::Text : column.type;
}

bool CSqlEmitter::StoreObject(const CSqliteCatalog::Column& column, const CSqlExpr& value, std::string& out) {
    if (value.kind == CSqlExpr::Kind::Null) {
        out += "NULL";
        return true;
    }
    if (value.kind == CSqlExpr::Kind::Subquery) return StoreQueriedObject(column, value, out);
    if (TypelessNull(value, out)) return !m_failed;
    std::string document;
    std::string type = value.kind == CSqlExpr::Kind::Bind ? column.objectType : std::string();
    if (!ObjectOperand(value, document, type)) return false;
    // Note: an object of another type is refused, as the server refuses it.
    if (type != column.objectType) return Fail(value.at, 932);
    out += document;
    return !m_failed;
}

bool CSqlEmitter::TypelessNull(const CSqlExpr& value, std::string& out) {
    CSqlType kind = CSqlType::Unknown;
    const Typed* typed = nullptr;
    if (value.kind != CSqlExpr::Kind::Name || !ResolveQuietly(value, kind, typed) || typed == nullptr ||
        typed->type.kind != CSqlType::Unknown || !typed->objectType.empty() || !typed->collection.empty())
        return false;
    std::string text;
    Expr(&value, text);
    out += "(CASE WHEN " + text + " IS NULL THEN NULL ELSE ORA_RAISE(932) END)";
    return true;
}

bool CSqlEmitter::QueriedDocument(const CSqlExpr& query, std::string& text, Typed& produced) {
    const std::size_t outer = m_documentScope;
    m_documentScope = m_scopes.size() + 1;
    ScalarSubquery(query, text, &produced);
    m_documentScope = outer;
    return !m_failed;
}

bool CSqlEmitter::StoreQueriedObject(const CSqliteCatalog::Column& column, const CSqlExpr& value,
                                     std::string& out) {
    // Note: the query's one column comes as its document (MERGE's and SET
    // (columns) = (query)'s values are such queries).
    Typed produced;
    std::string text;
    if (!QueriedDocument(value, text, produced)) return false;
    // Note: a query of NULL alone is a NULL of any type.
    bool typeless = produced.objectType.empty() && produced.type.kind == CSqlType::Unknown;
    if (!typeless && produced.objectType != column.objectType) return Fail(value.at, 932);
    out += text;
    return true;
}

bool CSqlEmitter::StoreAttribute(const CSqlStatement& statement, std::size_t k,
                                 const std::vector<CSqliteCatalog::Column>& columns, std::string& out) {
    std::string column = Upper(statement.targets[k][1]);
    const CSqliteCatalog::Column* stored = nullptr;
    for (const auto& candidate : columns)
        if (candidate.name == column) stored = &candidate;
    std::string document;
    std::string set;
    // Note: every attribute of the column the statement sets goes into one
    // assignment of it, in the order written.
    for (std::size_t j = k; j < statement.columns.size(); ++j) {
        if (j >= statement.targets.size() || statement.targets[j].size() < 3 ||
            Upper(statement.targets[j][1]) != column)
            continue;
        const auto& target = statement.targets[j];
        // Note: an attribute is reached through the table's alias only, as on the server.
        if (statement.alias.empty() || Upper(statement.alias) != Upper(target[0]))
            return Fail(statement.columnAt[j], 904, Upper(target[0]) + "." + column);
        AttributeRef ref;
        if (stored == nullptr || !FindAttribute(target, ref))
            return Fail(statement.columnAt[j], 904,
                        Upper(target[target.size() - 2]) + "." + Upper(target.back()));
        std::string value;
        if (!AttributeValue(ref.attribute, stored->objectType, *statement.values[j], value)) return false;
        document = ref.document;
        set = "json_set(" + (set.empty() ? document : set) + ", " + Quote(ref.path) + ", " + value + ")";
    }
    // Note: an attribute of a NULL object sets nothing; the object stays NULL.
    out += QuoteName(stored->name) + " = CASE WHEN " + document + " IS NULL THEN NULL ELSE " + set + " END";
    return !m_failed;
}

bool CSqlEmitter::CompareObjects(std::string_view op, const CSqlExpr& left, const CSqlExpr& right,
                                 std::string& out) {
    std::string first;
    std::string second;
    std::string leftType;
    std::string rightType;
    bool bindFirst = left.kind == CSqlExpr::Kind::Bind;
    if (!ObjectOperand(bindFirst ? right : left, bindFirst ? second : first,
                       bindFirst ? rightType : leftType))
        return false;
    (bindFirst ? leftType : rightType) = bindFirst ? rightType : leftType;
    if (!ObjectOperand(bindFirst ? left : right, bindFirst ? first : second,
                       bindFirst ? leftType : rightType))
        return false;
    if (leftType != rightType) return Fail(right.at, 932);
    // Note: with a MAP method objects compare as their MAP values do.
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(leftType);
    bool map = false;
    std::string method = shape != nullptr ? shape->Ordering(map) : std::string();
    if (map) {
        std::string member = "TARVEX_MEMBER(" + Quote(leftType + "." + method) + ", ";
        out += "(" + member + first + ") " + std::string(op) + " " + member + second + "))";
        return !m_failed;
    }
    if (std::string type; op != "=" && op != "<>") return !Unordered(IsObject(left, type) ? left : right);
    // Note: equal when every attribute is; unknown when either object is
    // NULL or holds a NULL attribute.
    std::string hasNull = "EXISTS (SELECT 1 FROM json_tree(%1) WHERE type = 'null')";
    std::string nullLeft = hasNull;
    std::string nullRight = hasNull;
    nullLeft.replace(nullLeft.find("%1"), 2, first);
    nullRight.replace(nullRight.find("%1"), 2, second);
    out += "(CASE WHEN (" + first + ") IS NULL OR (" + second + ") IS NULL OR " + nullLeft + " OR " +
           nullRight + " THEN NULL ELSE json(" + first + ") " + (op == "=" ? "=" : "<>") + " json(" + second +
           ") END)";
    return !m_failed;
}

bool CSqlEmitter::MapKey(const CSqlExpr& expr, std::string& key, bool& mapped) {
    mapped = false;
    std::string type;
    if (!IsObject(expr, type)) return true;
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(type);
    bool map = false;
    std::string method = shape != nullptr ? shape->Ordering(map) : std::string();
    if (!map) return !Unordered(expr);
    std::string document;
    if (!ObjectOperand(expr, document, type)) return false;
    // Note: a type's MAP method gives each object the scalar it sorts and compares by.
    key = "TARVEX_MEMBER(" + Quote(type + "." + method) + ", " + document + ")";
    mapped = true;
    return true;
}

bool CSqlEmitter::Unordered(const CSqlExpr& expr) {
    std::string type;
    if (!IsObject(expr, type)) return false;
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(type);
    bool map = false;
    if (shape != nullptr && !shape->Ordering(map).empty()) {
        Fail(expr.at, 3001,
             encoding::Utf8ToCp932(map ? "MAP メソッドを持つオブジェクトの DISTINCT"
                                       : "ORDER メソッドによる SQL 文中の順序付け"));
        return true;
    }
    Fail(expr.at, 22950);
    return true;
}

bool CSqlEmitter::MemberCall(const CSqlExpr& call, std::string& out, CSqlType& type) {
    if (call.parts.size() < 3) return false;
    std::vector<std::string_view> owner(call.parts.begin(), call.parts.end() - 1);
    CSqlExpr self;
    self.kind = CSqlExpr::Kind::Name;
    self.at = call.at;
    self.parts = owner;
    std::string objectType;
    if (!IsObject(self, objectType)) return false;
    const CSqliteCatalog::ObjectShape* shape = ObjectShapeOf(objectType);
    std::string name = Upper(call.parts.back());
    const CSqliteCatalog::ObjectShape::Method* method = nullptr;
    for (const auto& candidate : shape->methods)
        if (candidate.name == name && candidate.function && candidate.kind != "STATIC" &&
            candidate.kind != "CONSTRUCTOR" && candidate.parameters == static_cast<int>(call.args.size()) + 1)
            method = &candidate;
    if (method == nullptr) {
        Fail(call.at, 904, name);
        return true;
    }
    std::string document;
    std::string made;
    if (!ObjectOperand(self, document, made)) return true;
    // Note: the member runs in PL/SQL, SELF made from the document (see CObjectMembers).
    out += "TARVEX_MEMBER(" + Quote(objectType + "." + name) + ", " + document;
    for (const CSqlExpr* argument : call.args) {
        out += ", ";
        Expr(argument, out);
    }
    out += ")";
    std::string result = m_catalog.MemberResult(objectType, name, static_cast<int>(call.args.size()));
    type = CSqliteCatalog::Describe("", result).type;
    if (type == CSqlType::Unknown) type = CSqlType::Text;
    return true;
}

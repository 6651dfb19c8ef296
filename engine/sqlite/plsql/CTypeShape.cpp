#include "engine/sqlite/plsql/CTypeShape.h"

#include "engine/sqlite/plsql/CCollectionJson.h"

std::string CTypeShape::TypeJson(const CPlsqlType& type) {
    bool number = type.base == CPlsqlType::Base::Number || type.base == CPlsqlType::Base::Integer;
    bool text = type.base == CPlsqlType::Base::Text || type.base == CPlsqlType::Base::Char;
    std::string name = type.name.empty() ? "UNDEFINED" : type.name;
    std::string length = text && !type.lob && type.interval == 0 ? std::to_string(type.length) : "null";
    std::string precision = number && type.precision > 0 ? std::to_string(type.precision) : "null";
    std::string scale = number && type.scale != CPlsqlType::kNoScale && type.precision > 0
                            ? std::to_string(type.scale)
                            : "null";
    return "[" + CCollectionJson::Quoted(name) + "," + length + "," + precision + "," + scale + "]";
}

std::string CTypeShape::Kind(const CPlsqlType& type) {
    if (type.base == CPlsqlType::Base::Collection) return "\"COLLECTION\"";
    return type.base == CPlsqlType::Base::Record && type.object ? "\"OBJECT\"" : "null";
}

std::string CTypeShape::Json(const CPlsqlType& type) {
    if (type.base == CPlsqlType::Base::Collection) {
        bool varray = type.collection == CPlsqlType::CollectionKind::Varray;
        std::string out = "{\"code\":\"COLLECTION\",\"final\":\"YES\",\"kind\":";
        out += varray ? "\"VARYING ARRAY\",\"bound\":" + std::to_string(type.varrayLimit)
                      : "\"TABLE\",\"bound\":null";
        out += ",\"element\":" + (type.element ? TypeJson(*type.element) : "null") + ",\"attrs\":[]";
        return out + Columns(type) + ",\"name\":" + CCollectionJson::Quoted(type.name) + "}";
    }
    std::string out = "{\"code\":\"OBJECT\",\"final\":";
    out += type.notFinal ? "\"NO\",\"attrs\":[" : "\"YES\",\"attrs\":[";
    for (std::size_t k = 0; k < type.fields.size(); ++k) {
        if (k > 0) out += ",";
        const CPlsqlType& attribute = *type.fields[k].type;
        out += "[" + CCollectionJson::Quoted(type.fields[k].name) + "," + TypeJson(attribute) + "," +
               CCollectionJson::Quoted(CCollectionJson::Declared(attribute)) + "," + Kind(attribute) + "]";
    }
    out += "],\"methods\":[";
    for (std::size_t k = 0; k < type.methods.size(); ++k) {
        const auto& method = type.methods[k];
        out += (k > 0 ? ",[" : "[") + CCollectionJson::Quoted(method.name) + "," +
               CCollectionJson::Quoted(method.kind) + "," + (method.function ? "1," : "0,") +
               std::to_string(method.parameters) + "]";
    }
    return out + "],\"name\":" + CCollectionJson::Quoted(type.name) + "}";
}

std::string CTypeShape::Columns(const CPlsqlType& collection) {
    const CPlsqlType* element = collection.element.get();
    bool object = element != nullptr && element->base == CPlsqlType::Base::Record;
    std::string out = ",\"object\":" + std::string(object ? "true" : "false") + ",\"columns\":[";
    if (!object)
        return out + "[\"COLUMN_VALUE\"," +
               CCollectionJson::Quoted(element != nullptr ? CCollectionJson::Declared(*element)
                                                          : "VARCHAR2(4000)") +
               "]]";
    for (std::size_t k = 0; k < element->fields.size(); ++k) {
        const auto& field = element->fields[k];
        out += (k > 0 ? ",[" : "[") + CCollectionJson::Quoted(field.name) + "," +
               CCollectionJson::Quoted(CCollectionJson::Declared(*field.type)) + "]";
    }
    return out + "]";
}

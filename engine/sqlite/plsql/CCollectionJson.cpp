#include "engine/sqlite/plsql/CCollectionJson.h"

#include <cstdio>

#include "engine/sqlite/plsql/CObjectText.h"
#include "text/Cp932.h"

std::string CCollectionJson::Quoted(const std::string& text) {
    std::string out = "\"";
    for (std::size_t k = 0; k < text.size();) {
        std::size_t length = cp932::CharLength(text, k);
        char c = text[k];
        if (length == 1 && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (length == 1 && static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out.append(text, k, length);
        }
        k += length;
    }
    return out + "\"";
}

std::string CCollectionJson::Declared(const CPlsqlType& type) {
    using Base = CPlsqlType::Base;
    switch (type.base) {
        case Base::Number:
        case Base::Integer:
            if (type.precision <= 0) return "NUMBER";
            if (type.scale == CPlsqlType::kNoScale || type.scale == 0)
                return "NUMBER(" + std::to_string(type.precision) + ")";
            return "NUMBER(" + std::to_string(type.precision) + "," + std::to_string(type.scale) + ")";
        case Base::Date:
            return type.fraction >= 0 ? "TIMESTAMP(" + std::to_string(type.fraction) + ")" : "DATE";
        case Base::Char:
            return "CHAR(" + std::to_string(type.length > 0 ? type.length : 1) + ")";
        case Base::Text:
            if (type.lob) return "CLOB";
            return "VARCHAR2(" + std::to_string(type.length > 0 && type.length <= 4000 ? type.length : 4000) +
                   ")";
        default:
            return "VARCHAR2(4000)";
    }
}

std::string CCollectionJson::Columns(const CPlsqlType& collection) {
    const CPlsqlType* element = collection.element.get();
    if (element == nullptr || element->base != CPlsqlType::Base::Record)
        return "COLUMN_VALUE " + (element != nullptr ? Declared(*element) : std::string("VARCHAR2(4000)")) +
               " PATH '$'";
    std::string out;
    for (std::size_t k = 0; k < element->fields.size(); ++k) {
        const auto& field = element->fields[k];
        if (k > 0) out += ", ";
        out += "\"" + field.name + "\" " + Declared(*field.type) + " PATH '$[" + std::to_string(k) + "]'";
    }
    return out;
}

std::string CCollectionJson::Value(const CPlsqlValue& value) {
    switch (value.GetKind()) {
        case CPlsqlValue::Kind::Null:
            return "null";
        case CPlsqlValue::Kind::Number:
            return Quoted(value.NumberText());
        case CPlsqlValue::Kind::Boolean:
            return value.BoolValue() ? "true" : "false";
        default:
            return Quoted(value.TextValue());
    }
}

std::string CCollectionJson::Document(CPlsqlCollection& collection, const CPlsqlType& type) {
    bool record = type.element && type.element->base == CPlsqlType::Base::Record;
    std::string out = "[";
    CPlsqlCollection::Key key;
    for (bool more = collection.First(key); more; more = collection.Next(key, key)) {
        if (out.size() > 1) out += ",";
        const CPlsqlCollection::Element* element = collection.Find(key);
        if (element == nullptr) {
            out += "null";
        } else if (!record) {
            out += Value(element->value);
        } else if (type.element->object) {
            // Note: an attribute that is an object goes as its own attributes.
            out += CObjectText::Attributes(element->fields, *type.element);
        } else {
            out += "[";
            for (std::size_t f = 0; f < type.element->fields.size(); ++f) {
                if (f > 0) out += ",";
                out += f < element->fields.size() ? Value(element->fields[f]) : "null";
            }
            out += "]";
        }
    }
    return out + "]";
}

#include "engine/sqlite/plsql/CObjectText.h"

#include <string>

#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/plsql/CCollectionJson.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "text/Cp932.h"

bool CObjectText::Item(std::string_view text, std::size_t& at, std::string& value, bool& isNull,
                       bool& quoted) {
    value.clear();
    isNull = false;
    quoted = false;
    if (at < text.size() && text[at] == '\'') {
        quoted = true;
        for (++at; at < text.size();) {
            std::size_t length = cp932::CharLength(text, at);
            if (length == 1 && text[at] == '\'') {
                if (at + 1 < text.size() && text[at + 1] == '\'') {
                    value += '\'';
                    at += 2;
                    continue;
                }
                ++at;
                return true;
            }
            value.append(text.substr(at, length));
            at += length;
        }
        return false;
    }
    // A number, NULL, or a constructor of its own (skipped whole).
    int depth = 0;
    std::size_t begin = at;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c == '\'') {
            // A text inside a constructor of its own: up to its closing quote.
            for (++at; at < text.size(); at += cp932::CharLength(text, at))
                if (text[at] == '\'' && (at + 1 >= text.size() || text[++at] != '\'')) break;
            if (at < text.size() && text[at] != '\'') --at;
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && depth-- == 0) break;
        if (c == ',' && depth == 0) break;
    }
    value = std::string(text.substr(begin, at - begin));
    isNull = value == "NULL" || value.find('(') != std::string::npos;
    return depth <= 0;
}

CPlsqlValue CObjectText::Typed(const std::string& value, bool isNull, const CPlsqlType& type) {
    if (isNull || !type.IsScalar()) return CPlsqlValue();
    switch (type.base) {
        case CPlsqlType::Base::Number:
        case CPlsqlType::Base::Integer: {
            CNumberDecimal number;
            return CNumberDecimal::FromText(value, number) ? CPlsqlValue::Decimal(number) : CPlsqlValue();
        }
        case CPlsqlType::Base::Date:
            return CValueText::IsStoredDate(value) ? CPlsqlValue::Date(value) : CPlsqlValue();
        default:
            return CPlsqlValue::Text(value);
    }
}

std::string CObjectText::Document(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type) {
    return "{\"type\":" + CCollectionJson::Quoted(type.name) + ",\"attrs\":" + Attributes(fields, type) + "}";
}

std::string CObjectText::Attributes(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type) {
    std::string out = "[";
    for (std::size_t k = 0; k < type.fields.size(); ++k) {
        if (k > 0) out += ",";
        const CPlsqlValue* value = k < fields.size() ? &fields[k] : nullptr;
        std::vector<CPlsqlValue> held;
        const CPlsqlType& attribute = *type.fields[k].type;
        if (value == nullptr || value->IsNull())
            out += "null";
        else if (attribute.object && value->GetKind() == CPlsqlValue::Kind::Text &&
                 Read(value->TextValue(), attribute, held))
            out += Attributes(held, attribute);
        else if (value->GetKind() == CPlsqlValue::Kind::Number)
            out += CCollectionJson::Quoted(value->NumberText());
        else if (value->GetKind() == CPlsqlValue::Kind::Boolean)
            out += value->BoolValue() ? "true" : "false";
        else
            out += CCollectionJson::Quoted(value->TextValue());
    }
    return out + "]";
}

std::string CObjectText::Constructor(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type) {
    std::string out = type.name + "(";
    for (std::size_t k = 0; k < type.fields.size(); ++k) {
        if (k > 0) out += ", ";
        const CPlsqlValue* value = k < fields.size() ? &fields[k] : nullptr;
        if (value == nullptr || value->IsNull()) {
            out += "NULL";
        } else if (type.fields[k].type->object && value->GetKind() == CPlsqlValue::Kind::Text) {
            out += value->TextValue();
        } else if (value->GetKind() == CPlsqlValue::Kind::Number) {
            out += value->NumberText();
        } else {
            out += '\'';
            for (char c : value->TextValue()) out += c == '\'' ? std::string("''") : std::string(1, c);
            out += '\'';
        }
    }
    return out + ")";
}

bool CObjectText::Named(std::string_view text, const std::string& name) {
    return text.size() > name.size() + 1 && cp932::ToUpperAscii(text.substr(0, name.size())) == name &&
           text[name.size()] == '(' && text.back() == ')';
}

bool CObjectText::ReadElements(std::string_view text, const CPlsqlType& type, CPlsqlCollection& collection) {
    if (!type.element || type.element->base == CPlsqlType::Base::Collection || !Named(text, type.name))
        return false;
    const CPlsqlType& element = *type.element;
    CPlsqlCollection read;
    std::size_t at = type.name.size() + 1;
    std::string_view body = text.substr(0, text.size() - 1);
    for (std::int64_t index = 1; at < body.size(); ++index) {
        std::string value;
        bool isNull = false;
        bool quoted = false;
        if (!Item(body, at, value, isNull, quoted)) return false;
        CPlsqlCollection::Element& slot = read.elements[CPlsqlCollection::NumberKey(index)];
        if (element.base != CPlsqlType::Base::Record)
            slot.value = Typed(value, isNull && !quoted, element);
        else if (quoted || (value != "NULL" && !Read(value, element, slot.fields)))
            return false;
        if (at >= body.size()) break;
        if (body.compare(at, 2, ", ") != 0) return false;
        at += 2;
    }
    collection = std::move(read);
    return true;
}

bool CObjectText::Read(std::string_view text, const CPlsqlType& type, std::vector<CPlsqlValue>& fields) {
    if (!Named(text, type.name)) return false;
    std::vector<CPlsqlValue> read;
    std::size_t at = type.name.size() + 1;
    std::string_view body = text.substr(0, text.size() - 1);
    while (read.size() < type.fields.size()) {
        std::string value;
        bool isNull = false;
        bool quoted = false;
        if (!Item(body, at, value, isNull, quoted)) return false;
        const CPlsqlType& attribute = *type.fields[read.size()].type;
        // Note: an attribute that is an object is held as its constructor's text.
        if (attribute.object && !quoted)
            read.push_back(value == "NULL" ? CPlsqlValue() : CPlsqlValue::Text(value));
        else
            read.push_back(Typed(value, isNull && !quoted, attribute));
        if (at >= body.size()) break;
        if (body.compare(at, 2, ", ") != 0) return false;
        at += 2;
    }
    if (read.size() != type.fields.size() || at < body.size()) return false;
    fields = std::move(read);
    return true;
}

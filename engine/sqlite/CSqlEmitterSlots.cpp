#include <algorithm>
#include <cctype>

#include "engine/sqlite/CDateLiteral.h"
#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CValueText.h"

namespace {

// The conversions of literals written with parameters.
constexpr std::string_view kSlottedConversions[] = {"TO_DATE", "TO_TIMESTAMP", "TO_NUMBER", "TO_CHAR"};

// Whether `part` is a view of `text` (a literal token of the statement).
bool Within(std::string_view part, std::string_view text) {
    return !part.empty() && part.data() >= text.data() &&
           part.data() + part.size() <= text.data() + text.size();
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool CSqlEmitter::Mentions(std::string_view text, std::string_view parameter) {
    for (std::size_t at = text.find(parameter); at != std::string_view::npos;
         at = text.find(parameter, at + 1)) {
        const std::size_t end = at + parameter.size();
        if (end == text.size() || text[end] < '0' || text[end] > '9') return true;
    }
    return false;
}

std::string CSqlEmitter::AddSlot(LiteralSlot slot) {
    std::string parameter = "?" + std::to_string(m_slots->size() + 1);
    m_slots->push_back(std::move(slot));
    return parameter;
}

std::string CSqlEmitter::Position(std::size_t at) {
    if (!m_positionSlots || m_slots == nullptr) return std::to_string(at);
    LiteralSlot slot;
    slot.role = LiteralSlot::Role::Position;
    slot.at = at;
    slot.reported = at;
    slot.value.number = true;
    slot.value.integer = static_cast<std::int64_t>(at);
    return AddSlot(std::move(slot));
}

bool CSqlEmitter::SlottedValue(const CSqlExpr& value, std::string& out, CSqlType& type) {
    switch (value.kind) {
        case CSqlExpr::Kind::Null:
            out += "NULL";
            type = CSqlType::Unknown;
            return true;
        case CSqlExpr::Kind::DateLiteral: {
            int code = 0;
            std::string stored = CDateLiteral::Stored(value.text, value.timestamp, code);
            // Note: a literal with a zone, or one that does not read, is written as it stands.
            if (stored.empty() || !Within(value.text, m_text)) return false;
            LiteralSlot slot;
            slot.role = LiteralSlot::Role::Date;
            slot.at = static_cast<std::size_t>(value.text.data() - m_text.data());
            slot.reported = value.at;
            slot.timestamp = value.timestamp;
            slot.value.text = std::move(stored);
            out += AddSlot(std::move(slot));
            type = CSqlType::Date;
            return true;
        }
        case CSqlExpr::Kind::Call:
            return SlottedConversion(value, out, type);
        default:
            return false;
    }
}

std::string CSqlEmitter::RawSlot(const CSqlExpr& literal) {
    LiteralSlot slot;
    slot.role = LiteralSlot::Role::Raw;
    slot.at = static_cast<std::size_t>(literal.text.data() - m_text.data());
    slot.reported = literal.at;
    if (literal.kind == CSqlExpr::Kind::String) {
        slot.value.text = CSqlScanner::LiteralText(literal.text);
        return AddSlot(std::move(slot));
    }
    const char kind = CLiteralStore::PlainNumberKind(literal.text);
    slot.value.number = true;
    slot.value.real = kind == 'r';
    slot.value.text = std::string(literal.text);
    if (!slot.value.real) CValueText::ParseInteger(literal.text, slot.value.integer);
    std::string parameter = AddSlot(std::move(slot));
    return kind == 'r' ? "CAST(" + parameter + " AS REAL)" : parameter;
}

bool CSqlEmitter::SlottedConversion(const CSqlExpr& call, std::string& out, CSqlType& type) {
    const std::string name = UpperAscii(call.text);
    if (std::find(std::begin(kSlottedConversions), std::end(kSlottedConversions), name) ==
            std::end(kSlottedConversions) ||
        call.parts.size() != 1 || call.over || call.distinct || call.starArgument ||
        call.conversionDefault != nullptr || !call.withinGroup.empty() || call.keep != 0 ||
        call.args.empty() || call.args.size() > 3)
        return false;
    // Note: '' is NULL as written; any other literal is bound as it reads.
    for (const CSqlExpr* arg : call.args) {
        const bool text = arg->kind == CSqlExpr::Kind::String;
        const bool number =
            arg->kind == CSqlExpr::Kind::Number && CLiteralStore::PlainNumberKind(arg->text) != 0;
        if ((!text && !number) || !Within(arg->text, m_text)) return false;
    }
    std::vector<const CSqlExpr*> bound;
    for (const CSqlExpr* arg : call.args) {
        if (arg->kind == CSqlExpr::Kind::String && arg->text.size() <= 2) continue;
        const CSqlType given = arg->kind == CSqlExpr::Kind::String ? CSqlType::Char : CSqlType::Number;
        m_parameters[arg] = Parameter{RawSlot(*arg), given};
        bound.push_back(arg);
    }
    m_positionSlots = true;
    type = Expr(&call, out);
    m_positionSlots = false;
    for (const CSqlExpr* arg : bound) m_parameters.erase(arg);
    return true;
}

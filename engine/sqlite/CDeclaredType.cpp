#include "engine/sqlite/CDeclaredType.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CServerType.h"

namespace {

enum class Shape {
    Text,       // size from the argument, else from the values
    FixedText,  // size from the argument, else 1
    Number,     // precision and scale from the arguments, else 0, -127 (none)
    Integer,    // precision 38, scale 0
    Float,      // binary precision from the argument or the rule, scale -127
    Plain,      // no size
};

struct TypeRule {
    std::string_view name;
    int serverType;
    Shape shape;
    short precision;
};

constexpr TypeRule kTypes[] = {
    {"VARCHAR2", servertype::kVarchar2, Shape::Text, 0},
    {"VARCHAR2_CHAR", servertype::kVarchar2, Shape::Text, 0},
    {"CHAR_CHAR", servertype::kChar, Shape::FixedText, 0},
    {"VARCHAR", servertype::kVarchar2, Shape::Text, 0},
    {"NVARCHAR2", servertype::kVarchar2, Shape::Text, 0},
    {"CHARACTER VARYING", servertype::kVarchar2, Shape::Text, 0},
    {"TEXT", servertype::kVarchar2, Shape::Text, 0},
    {"CHAR", servertype::kChar, Shape::FixedText, 0},
    {"NCHAR", servertype::kChar, Shape::FixedText, 0},
    {"CHARACTER", servertype::kChar, Shape::FixedText, 0},
    {"NUMBER", servertype::kNumber, Shape::Number, 38},
    {"NUMERIC", servertype::kNumber, Shape::Number, 38},
    {"DECIMAL", servertype::kNumber, Shape::Number, 38},
    {"DEC", servertype::kNumber, Shape::Number, 38},
    {"INTEGER", servertype::kNumber, Shape::Integer, 38},
    {"INT", servertype::kNumber, Shape::Integer, 38},
    {"SMALLINT", servertype::kNumber, Shape::Integer, 38},
    {"BIGINT", servertype::kNumber, Shape::Integer, 38},
    {"FLOAT", servertype::kNumber, Shape::Float, 126},
    {"REAL", servertype::kNumber, Shape::Float, 63},
    {"DOUBLE PRECISION", servertype::kNumber, Shape::Float, 126},
    {"DOUBLE", servertype::kNumber, Shape::Float, 126},
    {"BINARY_FLOAT", servertype::kNumber, Shape::Float, 63},
    {"BINARY_DOUBLE", servertype::kNumber, Shape::Float, 126},
    {"DATE", servertype::kDate, Shape::Plain, 0},
    {"DATETIME", servertype::kDate, Shape::Plain, 0},
    {"TIMESTAMP", servertype::kTimestamp, Shape::Plain, 0},
    {"LONG RAW", servertype::kLongRaw, Shape::Plain, 0},
    {"LONG", servertype::kLong, Shape::Plain, 0},
    {"RAW", servertype::kRaw, Shape::Text, 0},
    {"RAW_TEXT", servertype::kRaw, Shape::Text, 0},
    {"CLOB", servertype::kClob, Shape::Plain, 0},
    {"NCLOB", servertype::kClob, Shape::Plain, 0},
    {"BLOB", servertype::kBlob, Shape::Plain, 0},
    {"BFILE", servertype::kBfile, Shape::Plain, 0},
};

constexpr long kNumberSize = 22;
constexpr short kNoScale = -127;
constexpr long kDateSize = 7;
constexpr long kLobSize = 4000;

std::string Normalise(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Splits "NAME(a,b)" into the name and its integer arguments.
void Split(std::string_view declared, std::string& name, std::vector<long>& arguments) {
    std::string text = Normalise(declared);
    std::size_t open = text.find('(');
    name = Normalise(text.substr(0, open));
    if (open == std::string::npos) return;
    std::size_t at = open + 1;
    while (at < text.size() && text[at] != ')') {
        // NUMBER(*, s): no precision of its own.
        if (text[at] == '*') {
            arguments.push_back(0);
            ++at;
            while (at < text.size() && (text[at] == ',' || text[at] == ' ')) ++at;
            continue;
        }
        char* end = nullptr;
        long value = std::strtol(text.c_str() + at, &end, 10);
        if (end == text.c_str() + at) break;
        arguments.push_back(value);
        at = static_cast<std::size_t>(end - text.c_str());
        while (at < text.size() && (text[at] == ',' || text[at] == ' ')) ++at;
        if (at < text.size() && text[at] != ')' && !(text[at] == '-' || (text[at] >= '0' && text[at] <= '9')))
            break;
    }
}

// A length in characters (VARCHAR2(n CHAR)) holds up to two bytes of CP932
// for each: the column is described in bytes, as the server does.
long BytesPerCharacter(const std::string& name) {
    return name.size() > 5 && name.compare(name.size() - 5, 5, "_CHAR") == 0 ? 2 : 1;
}

short ToShort(long value) {
    return static_cast<short>(value < -32768 ? -32768 : (value > 32767 ? 32767 : value));
}

// The server's other types (intervals, row addresses, binary floating
// point, national text, LONG RAW) as a query describes them.
bool Other(std::string_view declared, CDeclaredType::Description& out) {
    CServerType::Shape shape;
    if (!CServerType::Describe(declared, shape) || shape.serverType == servertype::kNumber) return false;
    CEngineColumn& column = out.column;
    column.serverType = shape.serverType;
    column.size =
        shape.serverType == servertype::kBinaryFloat || shape.serverType == servertype::kBinaryDouble
            ? shape.length
            : shape.width;
    column.precision = ToShort(std::max(shape.precision, 0));
    column.scale = ToShort(std::max(shape.scale, 0));
    column.charLength = shape.characters;
    column.national = shape.national;
    // Note: an interval keeps the text it was given, which may hold more
    // digits than the column declares; a query shows all of it.
    out.sizeFromValues = shape.serverType == servertype::kIntervalDs ||
                         shape.serverType == servertype::kIntervalYm ||
                         shape.serverType == servertype::kRowid;
    return true;
}

}  // namespace

CDeclaredType::Description CDeclaredType::Describe(std::string_view declared) {
    if (Description other; Other(declared, other)) return other;
    std::string name;
    std::vector<long> arguments;
    std::string text = Normalise(declared);
    int zoneType = 0;
    if (text.starts_with("TIMESTAMP") && text.find("TIME") != text.rfind("TIME")) {
        zoneType =
            text.find("LOCAL") != std::string::npos ? servertype::kTimestampLtz : servertype::kTimestampTz;
        std::size_t open = text.find('(');
        text = "TIMESTAMP" +
               (open == std::string::npos ? std::string() : text.substr(open, text.find(')') - open + 1));
    }
    Split(text, name, arguments);
    Description out;
    const TypeRule* rule = nullptr;
    for (const TypeRule& candidate : kTypes)
        if (candidate.name == name) {
            rule = &candidate;
            break;
        }
    if (rule == nullptr) {
        out.column.serverType = servertype::kVarchar2;
        out.sizeFromValues = true;
        return out;
    }
    CEngineColumn& column = out.column;
    column.serverType = rule->serverType;
    switch (rule->shape) {
        case Shape::Text:
            if (arguments.empty())
                out.sizeFromValues = true;
            else
                column.size = arguments[0] * BytesPerCharacter(name);
            if (BytesPerCharacter(name) > 1 && !arguments.empty()) column.charLength = arguments[0];
            break;
        case Shape::FixedText:
            column.size = (arguments.empty() ? 1 : arguments[0]) * BytesPerCharacter(name);
            if (BytesPerCharacter(name) > 1) column.charLength = arguments.empty() ? 1 : arguments[0];
            break;
        case Shape::Number:
            // Note: the server describes NUMBER without precision as
            // precision 0, scale -127; NUMBER(*, s) as precision 0, scale s.
            column.size = kNumberSize;
            column.precision = arguments.empty() ? 0 : ToShort(arguments[0]);
            column.scale = arguments.empty() ? kNoScale : arguments.size() > 1 ? ToShort(arguments[1]) : 0;
            out.roundsToScale = !arguments.empty();
            // NUMERIC and DECIMAL without digits are integers, as INTEGER is.
            if (arguments.empty() && name != "NUMBER") {
                column.precision = rule->precision;
                column.scale = 0;
                out.roundsToScale = true;
            }
            break;
        case Shape::Integer:
            column.size = kNumberSize;
            column.precision = rule->precision;
            break;
        case Shape::Float:
            column.size = kNumberSize;
            column.precision = arguments.empty() ? rule->precision : ToShort(arguments[0]);
            column.scale = kNoScale;
            break;
        case Shape::Plain:
            if (rule->serverType == servertype::kDate || rule->serverType == servertype::kTimestamp) {
                column.size = kDateSize;
                out.isDate = true;
                if (rule->serverType == servertype::kTimestamp) {
                    out.fraction = arguments.empty() ? 6 : static_cast<int>(arguments[0]);
                    column.scale = ToShort(out.fraction);
                    if (zoneType != 0) column.serverType = zoneType;
                    out.zone = zoneType == servertype::kTimestampTz;
                }
            } else if (rule->serverType >= servertype::kClob) {
                column.size = kLobSize;
            }
            break;
    }
    return out;
}

bool CDeclaredType::IsTypeWord(std::string_view word) {
    static constexpr std::string_view kOthers[] = {"INTERVAL", "ROWID", "UROWID", "BOOLEAN", "JSON"};
    for (std::string_view other : kOthers)
        if (word == other) return true;
    for (const TypeRule& rule : kTypes)
        if (rule.name.substr(0, rule.name.find(' ')) == word) return true;
    return false;
}

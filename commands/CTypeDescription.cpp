#include "commands/CTypeDescription.h"

#include <string_view>

#include "commands/ReadFields.h"
#include "interpreter/Messages.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "text/Cp932.h"

namespace {

enum class Shape { Name, Length, Number, Float, Fraction, Fixed };

struct TypeRule {
    std::string_view name;
    Shape shape;
    const char* fixed;  // Shape::Fixed: the text shown
};

// How the server shows an attribute or element type the dictionary names.
constexpr TypeRule kTypeRules[] = {
    {"VARCHAR2", Shape::Length, nullptr},    {"NVARCHAR2", Shape::Length, nullptr},
    {"CHAR", Shape::Length, nullptr},        {"NCHAR", Shape::Length, nullptr},
    {"RAW", Shape::Length, nullptr},         {"NUMBER", Shape::Number, nullptr},
    {"FLOAT", Shape::Float, nullptr},        {"TIMESTAMP", Shape::Fraction, nullptr},
    {"INTEGER", Shape::Fixed, "NUMBER(38)"}, {"SMALLINT", Shape::Fixed, "NUMBER(38)"},
};

// FLOAT without a precision holds 126 binary digits; TIMESTAMP without
// digits of a second keeps 6.
constexpr const char* kFloatDigits = "126";
constexpr const char* kFractionDigits = "6";

constexpr int kNameWidth = 20;
constexpr int kNullWidth = 8;

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string NumberText(const std::string& precision, const std::string& scale) {
    if (precision.empty()) return "NUMBER";
    if (scale.empty() || scale == "0") return "NUMBER(" + precision + ")";
    return "NUMBER(" + precision + ", " + scale + ")";
}

std::string OwnerCondition(const std::string& owner) {
    return owner.empty() ? std::string() : " AND OWNER = " + Quoted(owner);
}

std::string Dictionary(const std::string& owner, const char* view) {
    return std::string(owner.empty() ? "USER_" : "ALL_") + view;
}

// A name as the dictionary keeps it: upper case unless quoted.
std::string KeptName(std::string_view written) {
    if (written.size() >= 2 && written.front() == '"' && written.back() == '"')
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpper(written);
}

}  // namespace

CTypeDescription::Named CTypeDescription::Split(const std::string& name) {
    std::string word = textparse::TrimBlanks(name);
    if (std::size_t blank = word.find_first_of(" \t"); blank != std::string::npos) word.resize(blank);
    Named named;
    std::size_t dot = word.find('.');
    if (dot == std::string::npos || word.front() == '"') {
        named.type = KeptName(word);
        return named;
    }
    named.owner = KeptName(std::string_view(word).substr(0, dot));
    named.type = KeptName(std::string_view(word).substr(dot + 1));
    return named;
}

std::string CTypeDescription::TypeText(const std::string* values) {
    const std::string& name = values[0];
    if (!values[4].empty()) return name;
    for (const TypeRule& rule : kTypeRules) {
        if (rule.name != name) continue;
        switch (rule.shape) {
            case Shape::Length:
                return values[1].empty() ? name : name + "(" + values[1] + ")";
            case Shape::Number:
                return NumberText(values[2], values[3]);
            case Shape::Float:
                return "FLOAT(" + (values[2].empty() ? std::string(kFloatDigits) : values[2]) + ")";
            case Shape::Fraction:
                return "TIMESTAMP(" + (values[3].empty() ? std::string(kFractionDigits) : values[3]) + ")";
            case Shape::Fixed:
                return rule.fixed;
            case Shape::Name:
                break;
        }
    }
    return name;
}

bool CTypeDescription::Attributes(ODatabase& database, const Named& named, CScriptLines& output) {
    const std::string query =
        "SELECT ATTR_TYPE_NAME, LENGTH, PRECISION, SCALE, ATTR_TYPE_OWNER, ATTR_NAME FROM " +
        Dictionary(named.owner, "TYPE_ATTRS") + " WHERE TYPE_NAME = " + Quoted(named.type) +
        OwnerCondition(named.owner) + " ORDER BY ATTR_NO";
    ODynaset dynaset;
    if (dynaset.Open(database, query.c_str(), 0, nullptr) != OSUCCESS) return false;
    CScriptLines rows;
    for (; !dynaset.IsEOF(); dynaset.MoveNext(true)) {
        std::string values[6];
        ReadFields(dynaset, values, 6);
        rows.push_back(textparse::PadRight(values[5], kNameWidth) + " " + std::string(kNullWidth, ' ') + " " +
                       TypeText(values));
    }
    if (dynaset.FetchFailed() || rows.empty()) return false;
    output.push_back(MessageText(Message::DescribeHeader));
    output.push_back(MessageText(Message::DescribeRule));
    output.Append(rows);
    output.push_back("");
    return true;
}

bool CTypeDescription::Collection(ODatabase& database, const Named& named, CScriptLines& output) {
    const std::string query =
        "SELECT ELEM_TYPE_NAME, LENGTH, PRECISION, SCALE, ELEM_TYPE_OWNER, COLL_TYPE, UPPER_BOUND FROM " +
        Dictionary(named.owner, "COLL_TYPES") + " WHERE TYPE_NAME = " + Quoted(named.type) +
        OwnerCondition(named.owner);
    ODynaset dynaset;
    if (dynaset.Open(database, query.c_str(), 0, nullptr) != OSUCCESS || dynaset.IsEOF()) return false;
    std::string values[7];
    ReadFields(dynaset, values, 7);
    const std::string kind = values[5] == "TABLE" ? "TABLE" : "VARRAY(" + values[6] + ")";
    output.push_back(named.type + " " + kind + " OF " + TypeText(values));
    // Note: elements of an object type are described below, as the type itself would be.
    if (!values[4].empty())
        Attributes(database, Named{named.owner.empty() ? "" : values[4], values[0]}, output);
    return true;
}

bool CTypeDescription::Describe(ODatabase& database, const std::string& name, CScriptLines& output) {
    const Named named = Split(name);
    if (named.type.empty()) return false;
    return Attributes(database, named, output) || Collection(database, named, output);
}

#include "commands/CDescribeCommand.h"

#include <string>

#include "commands/CTypeDescription.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"

namespace {

enum class TypeValues { None, Size, PrecisionScale, Fraction, Precision, Interval };

struct TypeText {
    int serverType;
    const char* text;
    TypeValues values;
};

constexpr TypeText kTypeTexts[] = {
    {OTYPE_VARCHAR2, "VARCHAR2(%d)", TypeValues::Size},
    {OTYPE_NUMBER, "NUMBER(%d)", TypeValues::PrecisionScale},
    {OTYPE_LONG, "LONG", TypeValues::None},
    {OTYPE_DATE, "DATE", TypeValues::None},
    {OTYPE_RAW, "RAW(%d)", TypeValues::Size},
    {OTYPE_CHAR, "CHAR(%d)", TypeValues::Size},
    {OTYPE_CLOB, "CLOB", TypeValues::None},
    {OTYPE_BLOB, "BLOB", TypeValues::None},
    {OTYPE_BFILE, "BINARY FILE LOB", TypeValues::None},
    {OTYPE_TIMESTAMP, "TIMESTAMP(%d)", TypeValues::Fraction},
    {OTYPE_TIMESTAMP_TZ, "TIMESTAMP(%d) WITH TIME ZONE", TypeValues::Fraction},
    {OTYPE_TIMESTAMP_LTZ, "TIMESTAMP(%d) WITH LOCAL TIME ZONE", TypeValues::Fraction},
    {OTYPE_LONG_RAW, "LONG RAW", TypeValues::None},
    {OTYPE_ROWID, "ROWID", TypeValues::None},
    {OTYPE_UROWID, "UROWID(%d)", TypeValues::Size},
    {OTYPE_BINARY_FLOAT, "BINARY_FLOAT", TypeValues::None},
    {OTYPE_BINARY_DOUBLE, "BINARY_DOUBLE", TypeValues::None},
    {OTYPE_INTERVAL_YM, "INTERVAL YEAR(%d) TO MONTH", TypeValues::Precision},
    {OTYPE_INTERVAL_DS, "INTERVAL DAY(%d) TO SECOND(%d)", TypeValues::Interval},
};

// NCHAR and NVARCHAR2 are told by their length in characters.
std::string NationalType(const ODynaset& dynaset, int column) {
    const long chars = dynaset.GetFieldCharLength(column);
    const bool fixed = dynaset.GetFieldServerType(column) == OTYPE_CHAR;
    return FormatCount(fixed ? "NCHAR(%d)" : "NVARCHAR2(%d)",
                       chars > 0 ? chars : dynaset.GetFieldSize(column));
}

// The server's scale of a number declared without one: NUMBER is precision
// 0 with it, FLOAT(p) precision p.
constexpr int kNoScale = -127;
// ORA-00942, as a query of a missing table or view fails.
constexpr int kNoSuchTable = 942;
// ORA-04044, as the server refuses a query of a type by its name.
constexpr int kNotATable = 4044;
// NUMBER(*, s) has no precision of its own: it holds 38 digits.
constexpr int kMostDigits = 38;

std::string NumberType(int precision, int scale) {
    if (scale == kNoScale) return precision == 0 ? "NUMBER" : FormatCount("FLOAT(%d)", precision);
    if (precision == 0 && scale >= 0) precision = kMostDigits;
    if (scale <= 0) return FormatCount("NUMBER(%d)", precision);
    return "NUMBER(" + std::to_string(precision) + ", " + std::to_string(scale) + ")";
}

std::string ColumnType(const ODynaset& dynaset, int column) {
    // Note: a column of a schema's type is shown by the type's name.
    if (const char* named = dynaset.GetFieldTypeName(column); named != nullptr && *named != '\0')
        return named;
    const int type = dynaset.GetFieldServerType(column);
    if (dynaset.IsFieldNational(column) && (type == OTYPE_CHAR || type == OTYPE_VARCHAR2))
        return NationalType(dynaset, column);
    for (const auto& row : kTypeTexts) {
        if (row.serverType != type) continue;
        switch (row.values) {
            case TypeValues::None:
                return row.text;
            case TypeValues::Size:
                // Note: a length in characters is told as the server tells it.
                if (long chars = dynaset.GetFieldCharLength(column);
                    chars > 0 && row.serverType != OTYPE_RAW && row.serverType != OTYPE_UROWID) {
                    std::string text = FormatCount(row.text, chars);
                    return text.insert(text.size() - 1, " CHAR");
                }
                return FormatCount(row.text, dynaset.GetFieldSize(column));
            case TypeValues::PrecisionScale:
                return NumberType(dynaset.GetFieldPrecision(column), dynaset.GetFieldScale(column));
            case TypeValues::Fraction:
                return FormatCount(row.text, dynaset.GetFieldScale(column));
            case TypeValues::Precision:
                return FormatCount(row.text, dynaset.GetFieldPrecision(column));
            case TypeValues::Interval:
                return FormatCount(FormatCount(row.text, dynaset.GetFieldPrecision(column)),
                                   dynaset.GetFieldScale(column));
        }
    }
    return FormatCount("UNKNOWN(%d)", type);
}

}  // namespace

CScriptLines CDescribeCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    const std::string query = "SELECT * FROM " + args.Arg(0);
    ODynaset dynaset;
    CScriptLines output;
    if (dynaset.Open(*database, query.c_str(), ODYNASET_DESCRIBE_ONLY, nullptr) != OSUCCESS) {
        // Note: the server describes an object by its name, not by a query:
        // one it lacks is ORA-04043, whichever engine ran the query.
        const int code = database->GetErrorCode();
        if (code == kNoSuchTable || code == kNotATable) {
            // A schema's type is described by its attributes or its elements.
            if (CTypeDescription::Describe(*database, args.Arg(0), output)) return output;
            if (code == kNoSuchTable)
                return CScriptLines(FormatText(MessageText(Message::DescribeNoObject), args.Arg(0)));
            // Note: the query again, for its own error (the dictionary's queries replaced it).
            dynaset.Open(*database, query.c_str(), ODYNASET_DESCRIBE_ONLY, nullptr);
        }
        return context.AppendServerError(output);
    }
    output.push_back(MessageText(Message::DescribeHeader));
    output.push_back(MessageText(Message::DescribeRule));
    for (int c = 0; c < dynaset.GetFieldCount(); ++c) {
        const std::string nullText = dynaset.IsFieldNullOK(c) ? "" : "NOT NULL";
        const char* column = dynaset.GetFieldName(c);
        output.push_back(textparse::PadRight(column ? column : "", 20) + " " +
                         textparse::PadRight(nullText, 8) + " " + ColumnType(dynaset, c));
    }
    output.push_back("");
    return output;
}

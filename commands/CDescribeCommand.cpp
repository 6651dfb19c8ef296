#include "commands/CDescribeCommand.h"

#include <string>

#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"

namespace {

enum class TypeValues { None, Size, PrecisionScale };

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
};

std::string ColumnType(const ODynaset& dynaset, int column) {
    const int type = dynaset.GetFieldServerType(column);
    for (const auto& row : kTypeTexts) {
        if (row.serverType != type) continue;
        switch (row.values) {
            case TypeValues::None:
                return row.text;
            case TypeValues::Size:
                return FormatCount(row.text, dynaset.GetFieldSize(column));
            case TypeValues::PrecisionScale: {
                const int precision = dynaset.GetFieldPrecision(column);
                const int scale = dynaset.GetFieldScale(column);
                if (scale <= 0) return FormatCount(row.text, precision);
                return "NUMBER(" + std::to_string(precision) + ", " + std::to_string(scale) + ")";
            }
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
    if (dynaset.Open(*database, query.c_str(), ODYNASET_DESCRIBE_ONLY, nullptr) != OSUCCESS)
        return context.AppendServerError(output);
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

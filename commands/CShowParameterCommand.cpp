#include "commands/CShowParameterCommand.h"

#include "commands/ReadFields.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"

namespace {

// The widths of NAME and TYPE; VALUE is shown whole.
constexpr std::size_t kNameWidth = 36;
constexpr std::size_t kTypeWidth = 11;

// The server's parameter types by their numbers (V$PARAMETER.TYPE).
constexpr const char* kTypeNames[] = {"unknown", "boolean", "string",     "integer",
                                      "file",    "number",  "big integer"};

std::string TypeName(const std::string& number) {
    const int type = textparse::ParseLeadingInt(number);
    return type > 0 && type < static_cast<int>(std::size(kTypeNames)) ? kTypeNames[type] : kTypeNames[0];
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string Line(const std::string& name, const std::string& type, const std::string& value) {
    return textparse::PadRight(name, kNameWidth) + " " + textparse::PadRight(type, kTypeWidth) + " " + value;
}

}  // namespace

CScriptLines CShowParameterCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    const std::string name = textparse::TrimBlanks(args.Arg(0));
    // Note: the name is matched as the server's console matches it, as a
    // part of the parameter's name in any case.
    const std::string query =
        "SELECT NAME, TYPE, DISPLAY_VALUE FROM V$PARAMETER WHERE UPPER(NAME) LIKE '%' || "
        "UPPER(" +
        Quoted(name) + ") || '%' ORDER BY NAME";
    ODynaset dynaset;
    CScriptLines output;
    if (dynaset.Open(*database, query.c_str(), 0, nullptr) != OSUCCESS)
        return context.AppendServerError(output);
    CScriptLines rows;
    for (; !dynaset.IsEOF(); dynaset.MoveNext(true)) {
        std::string values[3];
        ReadFields(dynaset, values, 3);
        rows.push_back(Line(values[0], TypeName(values[1]), values[2]));
    }
    if (dynaset.FetchFailed()) return context.AppendServerError(output);
    if (rows.empty()) return output;
    output.push_back("");
    output.push_back(Line("NAME", "TYPE", "VALUE"));
    output.push_back(Line(std::string(kNameWidth, '-'), std::string(kTypeWidth, '-'), std::string(30, '-')));
    output.Append(rows);
    return output;
}

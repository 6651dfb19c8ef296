#include "commands/CShowSgaCommand.h"

#include <string>
#include <utility>
#include <vector>

#include "commands/ReadFields.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"

namespace {

// The name is padded to 24 characters and the bytes right-aligned in 11.
constexpr std::size_t kNameWidth = 24;
constexpr std::size_t kBytesWidth = 11;

std::string Line(const std::string& name, const std::string& bytes) {
    const std::string padded =
        bytes.size() >= kBytesWidth ? " " + bytes : std::string(kBytesWidth - bytes.size(), ' ') + bytes;
    return textparse::PadRight(name, kNameWidth) + padded + " bytes";
}

}  // namespace

CScriptLines CShowSgaCommand::Run(CCommandContext& context, const CCommandArgs&) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    // Note: the total is summed by the server, in its numbers, with the parts.
    const char* query = "SELECT NAME, TO_CHAR(VALUE), TO_CHAR(SUM(VALUE) OVER ()) FROM V$SGA";
    ODynaset dynaset;
    CScriptLines output;
    if (dynaset.Open(*database, query, 0, nullptr) != OSUCCESS) return context.AppendServerError(output);
    CScriptLines rows;
    std::string total;
    for (; !dynaset.IsEOF(); dynaset.MoveNext(true)) {
        std::string values[3];
        ReadFields(dynaset, values, 3);
        rows.push_back(Line(values[0], values[1]));
        total = values[2];
    }
    if (dynaset.FetchFailed()) return context.AppendServerError(output);
    if (rows.empty()) return output;
    output.push_back("");
    output.push_back(Line("Total System Global Area", total));
    output.Append(rows);
    return output;
}

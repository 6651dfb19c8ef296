#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "commands/CBreakCommand.h"
#include "commands/CColumnCommand.h"
#include "commands/CDefineCommand.h"
#include "commands/CTitleCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "report/CReportWriter.h"
#include "sql/QueryReport.h"
#include "text/CompactLine.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kOutOfMemory =
    "ORA-04030: メモリーが不足しているため、問い合わせの結果を表示できません。";

}  // namespace

CScriptLines& CSQLProcessor::RunQuery(const std::string& text, CScriptLines& output) {
    if (Database() == nullptr) {
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    ODynaset dynaset;
    if (dynaset.Open(*Database(), text.c_str(), 0, nullptr) != OSUCCESS) {
        NoteSqlFailure();
        return AppendServerError(output);
    }
    return AppendRows(dynaset, output);
}

// Note: a cursor expression's rows follow the row that holds it, laid out
// as a query result of their own (as PRINT shows a REFCURSOR).
void CSQLProcessor::AppendNestedResults(const ODynaset& dynaset, CScriptLines& output) {
    for (int c = 0; c < dynaset.GetFieldCount(); ++c) {
        if (dynaset.GetFieldServerType(c) != OTYPE_CURSOR) continue;
        ODynaset nested;
        if (nested.OpenNested(*Database(), dynaset, c) == OSUCCESS) LayOutRows(nested, output);
    }
}

CScriptLines& CSQLProcessor::AppendRows(ODynaset& dynaset, CScriptLines& output) {
    const std::size_t first = output.size();
    try {
        LayOutRows(dynaset, output);
    } catch (const std::bad_alloc&) {
        NoteSqlFailure();
        // Note: a query changes nothing, so nothing is rolled back; the rows
        // laid out so far are dropped to give their memory back.
        output.erase(output.begin() + static_cast<std::ptrdiff_t>(first), output.end());
        output.shrink_to_fit();
        output.push_back(encoding::Utf8ToCp932(kOutOfMemory));
        return output;
    }
    if (m_compactOutput) {
        for (std::size_t k = 0; k < first; ++k) output[k] = compactline::Encode(output[k]);
        m_outputCompacted = true;
    }
    return output;
}

void CSQLProcessor::LayOutRows(ODynaset& dynaset, CScriptLines& output) {
    // The options of the layout, with those kept as text by SET.
    CReportSettings settings = m_context.GetReportSettings();
    settings.heading = m_context.Setting("HEADING") == "ON";
    settings.numWidth = std::max(textparse::ParseLeadingInt(m_context.Setting("NUMWIDTH")), 1);
    const CTitleCommand& titles = Command<CTitleCommand>();
    CReportWriter writer(settings, Command<CColumnCommand>().GetColumns(),
                         Command<CBreakCommand>().GetBreaks(), titles.GetTop(), titles.GetBottom());
    writer.SetCompact(m_compactOutput);
    writer.SetReportTitles(&titles.GetReportHeader(), &titles.GetReportFooter());
    // Note: a title may name _USER or _DATE, which must be up to date.
    if (titles.GetTop().IsOn() || titles.GetBottom().IsOn() || titles.GetReportHeader().IsOn() ||
        titles.GetReportFooter().IsOn())
        Command<CDefineCommand>().RefreshPredefined(m_context);
    const CHashTable& defines = Command<CDefineCommand>().GetDefines();
    writer.SetVariables([&defines](const std::string& name, std::string& value) {
        const std::string* found = defines.Find(cp932::ToUpperAscii(name));
        if (found != nullptr) value = *found;
        return found != nullptr;
    });
    const long rows = queryreport::LayOut(dynaset, writer, output,
                                          [&](CScriptLines& out) { AppendNestedResults(dynaset, out); });
    // NEW_VALUE and OLD_VALUE: substitution variables from the last row.
    if (rows > 0)
        for (const auto& [name, value] : writer.Variables()) Command<CDefineCommand>().Define(name, value);
    // Note: a failure while rows arrive (a cancel, a lost connection) follows
    // the rows shown so far instead of a count that would claim success.
    if (dynaset.FetchFailed()) {
        NoteSqlFailure();
        AppendServerError(output);
        return;
    }
    output.emplace_back();
    // Note: FEEDBACK n counts from n rows; no rows at all is always told.
    if (settings.feedback > 0 && (rows == 0 || rows >= settings.feedback)) {
        output.push_back(FormatCount(MessageText(Message::RowsSelected), dynaset.GetRecordCount()));
        output.emplace_back();
    }
    // Note: said even with FEEDBACK OFF, so that nobody writes such a value
    // back believing it whole.
    if (const std::size_t replaced = dynaset.GetReplacedCount(); replaced > 0) {
        output.push_back(FormatCount(MessageText(Message::ReplacedCharacters), static_cast<long>(replaced)));
        output.emplace_back();
    }
}

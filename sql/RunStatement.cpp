#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/StatementHead.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"

namespace {

// The text with a final line that holds only "/" taken off (its line feed
// stays); `slash` tells whether there was one.
std::string WithoutSlashLine(const std::string& text, bool& slash) {
    const std::size_t feed = text.rfind('\n');
    const std::size_t start = feed == std::string::npos ? 0 : feed + 1;
    slash = start > 0 && statementhead::IsSlashLine(std::string_view(text).substr(start));
    return slash ? text.substr(0, start) : text;
}

// The text without the white space and the run of ";" that end it.
std::string WithoutFinalSemicolons(std::string text) {
    while (!text.empty()) {
        const char c = text.back();
        if (c != ';' && c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
        text.pop_back();
    }
    return text;
}

}  // namespace

CScriptLines& CSQLProcessor::RunStatement(std::string text, CScriptLines& output) {
    if (m_database == nullptr) {
        NoteSqlFailure();
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    text = BlankComments(text);
    bool slash = false;
    const std::string body = WithoutSlashLine(text, slash);
    int number = FindTemplate(text);
    // Note: a statement ended by "/" instead of ";" takes the template its
    // ";" would have given (a query ended by "/" is still a query).
    if (number < 0 && slash) number = FindTemplate(body + ";");
    const StatementGroup group = tables::GroupOf(number);
    // Note: blocks are sent with their final "END;"; anything else without
    // the ";" that ends it, even when blanks or a comment follow it, as the
    // server refuses a ";" at the end of a SQL statement.
    text = slash ? body : textparse::TrimTrailing(text, '/');
    if (group != StatementGroup::Block) text = WithoutFinalSemicolons(text);
    if (group == StatementGroup::Query) return RunQuery(text, output);

    if (m_database->ExecuteSQL(text.c_str()) != OSUCCESS) {
        NoteSqlFailure();
        if (number >= 0 && m_templates[static_cast<std::size_t>(number)].rfind("COMMIT", 0) == 0)
            m_commitFailed = true;
        return AppendServerError(output);
    }
    if (!IsFeedbackOn()) return output;
    if (number < 0) {
        // Note: a statement that fits no template still ran; say so rather
        // than stay silent.
        output.push_back(MessageText(Message::StatementProcessed));
    } else if (group == StatementGroup::RowChange) {
        output.push_back(
            FormatCount(m_messages[static_cast<std::size_t>(number)], m_database->GetRowsProcessed()));
    } else {
        output.push_back(m_messages[static_cast<std::size_t>(number)]);
    }
    return output;
}

#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/StatementHead.h"
#include "oracle/ODatabase.h"

namespace {

// Where a final line that holds only "/" begins (the line feed before it
// stays); npos when there is none.
std::size_t SlashLineStart(const std::string& text) {
    const std::size_t feed = text.rfind('\n');
    if (feed == std::string::npos) return std::string::npos;
    return statementhead::IsSlashLine(std::string_view(text).substr(feed + 1)) ? feed + 1 : std::string::npos;
}

// Takes off the white space and the run of ";" that end the text.
void DropFinalSemicolons(std::string& text) {
    while (!text.empty()) {
        const char c = text.back();
        if (c != ';' && c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
        text.pop_back();
    }
}

}  // namespace

CScriptLines& CSQLProcessor::RunStatement(std::string text, CScriptLines& output) {
    if (Database() == nullptr) {
        NoteSqlFailure();
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    text = BlankComments(std::move(text));
    const std::size_t slashLine = SlashLineStart(text);
    const bool slash = slashLine != std::string::npos;
    int number = FindTemplate(text);
    // Note: a statement ended by "/" instead of ";" takes the template its
    // ";" would have given (a query ended by "/" is still a query).
    if (number < 0 && slash) number = FindTemplate(text.substr(0, slashLine) + ";");
    const StatementGroup group = tables::GroupOf(number);
    // Note: blocks are sent with their final "END;"; anything else without
    // the ";" that ends it, even when blanks or a comment follow it, as the
    // server refuses a ";" at the end of a SQL statement.
    if (slash)
        text.resize(slashLine);
    else
        text.erase(text.find_last_not_of('/') + 1);
    if (group != StatementGroup::Block) DropFinalSemicolons(text);
    if (group == StatementGroup::Query) return RunQuery(text, output);

    if (Database()->ExecuteSQL(text) != OSUCCESS) {
        NoteSqlFailure();
        if (number >= 0 && m_templates[static_cast<std::size_t>(number)].rfind("COMMIT", 0) == 0)
            NoteFailedCommit();
        return AppendServerError(output);
    }
    if (!IsFeedbackOn()) return output;
    if (number < 0) {
        // Note: a statement that fits no template still ran; say so rather
        // than stay silent.
        output.push_back(MessageText(Message::StatementProcessed));
    } else if (group == StatementGroup::RowChange) {
        output.push_back(
            FormatCount(m_messages[static_cast<std::size_t>(number)], Database()->GetRowsProcessed()));
    } else {
        output.push_back(m_messages[static_cast<std::size_t>(number)]);
    }
    return output;
}

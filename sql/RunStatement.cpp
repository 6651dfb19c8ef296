#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::RunStatement(std::string text, CScriptLines& output) {
    if (m_database == nullptr) {
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    text = BlankComments(text);
    const int number = FindTemplate(text);
    text = textparse::TrimTrailing(text, '/');
    const StatementGroup group = tables::GroupOf(number);
    if (group != StatementGroup::Block) text = textparse::TrimTrailing(text, ';');
    if (group == StatementGroup::Query) return RunQuery(text, output);

    if (m_database->ExecuteSQL(text.c_str()) != OSUCCESS) {
        if (number >= 0 && m_templates[static_cast<std::size_t>(number)] == "COMMIT;") m_commitFailed = true;
        return AppendServerError(output);
    }
    if (number < 0) {
        // Note: a statement that no longer fits a template after comments
        // were blanked still ran; say so rather than stay silent.
        output.push_back(MessageText(Message::StatementProcessed));
    } else if (group == StatementGroup::RowChange) {
        output.push_back(
            FormatCount(m_messages[static_cast<std::size_t>(number)], m_database->GetRowsProcessed()));
    } else {
        output.push_back(m_messages[static_cast<std::size_t>(number)]);
    }
    return output;
}

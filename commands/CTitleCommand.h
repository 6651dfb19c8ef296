#pragma once

#include "commands/CCommand.h"
#include "report/CTitle.h"

// TTITLE and BTITLE (the row's fixed argument says which): the titles at
// the top and bottom of each page of query results; REPHEADER and
// REPFOOTER: those at the start and the end of each result.
class CTitleCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    const CTitle& GetTop() const { return m_top; }
    const CTitle& GetBottom() const { return m_bottom; }
    const CTitle& GetReportHeader() const { return m_reportHeader; }
    const CTitle& GetReportFooter() const { return m_reportFooter; }

private:
    CTitle m_top{"TTITLE"};
    CTitle m_bottom{"BTITLE"};
    CTitle m_reportHeader{"REPHEADER"};
    CTitle m_reportFooter{"REPFOOTER"};
};

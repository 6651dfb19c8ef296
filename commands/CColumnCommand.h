#pragma once

#include <string>

#include "commands/CCommand.h"
#include "report/CColumnTable.h"

// COLUMN [name [option ...]]: the settings of a column of query results
// (FORMAT, HEADING, JUSTIFY, NULL, NOPRINT, NEW_VALUE, WRAPPED, ...), or
// their listing.
class CColumnCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    const CColumnTable& GetColumns() const { return m_columns; }
    void ClearColumns() { m_columns.Clear(); }

private:
    CColumnTable m_columns;
};

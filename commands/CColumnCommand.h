#pragma once

#include <string>

#include "commands/CCommand.h"
#include "interpreter/CHashTable.h"

// COLUMN name FORMAT An: the display width of a column of query results.
class CColumnCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines SetColumnFormat(const std::string& column, const std::string& format);
    // Column name -> display width text.
    const CHashTable& GetColumnFormats() const { return m_columnFormats; }
    void ClearColumns() { m_columnFormats.RemoveAll(); }

private:
    CHashTable m_columnFormats;
};

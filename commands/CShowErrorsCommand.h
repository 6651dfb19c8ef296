#pragma once

#include <string>

#include "commands/CCommand.h"

// SHOW ERRORS [[TYPE] name]: the compilation errors of a PL/SQL unit, or of
// the unit the last CREATE statement named.
class CShowErrorsCommand : public CCommand {
public:
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines ShowErrors(CCommandContext& context, const std::string& unit);
    // Remembers the unit a CREATE [OR REPLACE] statement of PL/SQL names.
    void NoteCreatedUnit(const std::string& text);

private:
    // The unit the last CREATE statement named ("PROCEDURE", "P").
    std::string m_lastUnitType;
    std::string m_lastUnitName;
};

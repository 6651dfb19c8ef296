#pragma once

#include <string>

#include "commands/CCommand.h"

// WHENEVER SQLERROR|OSERROR EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE]
// [COMMIT|ROLLBACK] | CONTINUE [COMMIT|ROLLBACK|NONE]: what a failure does.
class CWheneverCommand : public CCommand {
public:
    // What WHENEVER asks for after a failure.
    struct FailureAction {
        bool exit = false;
        int status = 0;
        bool commit = false;
    };

    // The row's fixed argument is the kind: "SQLERROR" or "OSERROR".
    CScriptLines Run(CCommandContext& context, const CCommandArgs& args) override;
    CScriptLines SetWhenever(const std::string& kind, const std::string& action);
    // After a statement that failed in the database: leaves the console when
    // WHENEVER SQLERROR EXIT says so. True when it left.
    bool OnSqlError(CCommandContext& context) const;
    // After an operating-system failure outside a statement (a script that
    // cannot be read), as OnSqlError for WHENEVER OSERROR.
    bool OnOsError(CCommandContext& context) const;
    // Leaves the console as `action` says: commit or roll back, close the
    // session, ask the host to exit with the status.
    static void Leave(CCommandContext& context, const FailureAction& action);

private:
    FailureAction m_onSqlError;
    FailureAction m_onOsError;
};

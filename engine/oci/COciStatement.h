#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/oci/COciEnvironment.h"

// One statement handle: prepare, bind by name, execute. Failures fill the
// error given at construction, with the parse error offset as a CP932 byte
// position in the statement text.
class COciStatement {
public:
    COciStatement(const COciEnvironment& env, oci::OCISvcCtx* service, oci::OCIError* errorHandle,
                  CEngineError& error);
    ~COciStatement();
    COciStatement(const COciStatement&) = delete;
    COciStatement& operator=(const COciStatement&) = delete;

    bool Prepare(const std::string& sql);
    // Binds every declared variable whose ":NAME" appears in the text;
    // names in the text that are not declared stay unbound (the server then
    // reports them).
    bool Bind(const std::vector<CEngineBind>& binds);
    // Runs with `iters` (0 for a query) and `mode`. A unit compiled with
    // errors fails with the compilation warning (its code kept).
    bool Execute(oci::ub4 iters, oci::ub4 mode);
    // Writes the values the server left in the bound variables back.
    void StoreBinds(std::vector<CEngineBind>& binds) const;
    // Hands over the statement handles of the cursor variables the
    // execution opened, by variable name.
    std::vector<std::pair<std::string, oci::OCIStmt*>> TakeCursorVariables();
    // Takes an executed statement handle (an opened cursor variable) as
    // this statement's own.
    void Adopt(oci::OCIStmt* handle) { m_statement = handle; }

    oci::ub2 Type() const;
    long RowCount() const;
    oci::OCIStmt* Handle() const { return m_statement; }
    const COciEnvironment& Env() const { return m_env; }
    oci::OCIError* ErrorHandle() const { return m_errorHandle; }
    const CEngineError& Error() const { return m_error; }
    // Fills the error from the error handle after `status`.
    void Fail(oci::sword status);

    // The placeholder names (":NAME" without the colon, as written) outside
    // quotes and comments.
    static std::vector<std::string> Placeholders(const std::string& sql);

private:
    struct BoundValue {
        std::size_t bind = 0;
        std::vector<char> buffer;
        oci::sb2 indicator = 0;
        oci::ub2 length = 0;
        oci::OCIBind* handle = nullptr;
    };

    bool BindCursor(const std::string& variable, const std::string& placeholderName);

    const COciEnvironment& m_env;
    oci::OCISvcCtx* m_service;
    oci::OCIError* m_errorHandle;
    CEngineError& m_error;
    oci::OCIStmt* m_statement = nullptr;
    std::string m_sql;
    std::deque<BoundValue> m_bound;
    // Statement handles bound to cursor variables, by variable name.
    // Note: a deque, as the client writes to these slots after binding.
    std::deque<std::pair<std::string, oci::OCIStmt*>> m_cursors;
};

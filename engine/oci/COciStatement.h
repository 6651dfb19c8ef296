#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/oci/COciEnvironment.h"
#include "engine/oci/COciSessionState.h"

// One statement: prepared through the session's statement cache, bound by
// name, executed. Failures fill the error given at construction, with the
// parse error offset (bytes of the server's text) as a CP932 byte position
// in the statement text; a failure that ends the session marks it lost.
class COciStatement {
public:
    COciStatement(const COciEnvironment& env, COciSessionState& session, CEngineError& error);
    ~COciStatement();
    COciStatement(const COciStatement&) = delete;
    COciStatement& operator=(const COciStatement&) = delete;

    bool Prepare(const std::string& sql);
    // Binds every declared variable whose ":NAME" appears in the text;
    // names in the text that are not declared stay unbound (the server then
    // reports them).
    bool Bind(const std::vector<CEngineBind>& binds);
    // Runs with `iters` (0 for a query) and `mode`. A unit compiled with
    // errors fails with the compilation warning (its code kept); another
    // warning is kept in `warning`.
    bool Execute(oci::ub4 iters, oci::ub4 mode);
    // Writes the values the server left in the bound variables back.
    void StoreBinds(std::vector<CEngineBind>& binds) const;
    // Hands over the statement handles of the cursor variables the
    // execution opened, by variable name.
    std::vector<std::pair<std::string, oci::OCIStmt*>> TakeCursorVariables();
    // Takes an executed statement handle (an opened cursor variable or a
    // cursor expression's value) as this statement's own.
    void Adopt(oci::OCIStmt* handle) {
        m_statement = handle;
        m_cached = false;
    }
    // Works on a handle that stays its owner's (a cursor expression's value
    // in a define buffer): not freed here.
    void Borrow(oci::OCIStmt* handle) {
        Adopt(handle);
        m_borrowed = true;
    }
    // Binds a PL/SQL table of `count` text elements of `size` bytes.
    bool BindArray(const std::string& placeholder, char* buffer, oci::sb4 size, oci::ub2* lengths,
                   oci::sb2* indicators, oci::ub4 count, oci::ub4* current);
    // Binds one text value by its buffer.
    bool BindText(const std::string& placeholder, char* buffer, oci::sb4 size, oci::ub2* length,
                  oci::sb2* indicator);

    oci::ub2 Type() const;
    bool IsBlock() const;
    long RowCount() const;
    oci::OCIStmt* Handle() const { return m_statement; }
    const COciEnvironment& Env() const { return m_env; }
    COciSessionState& Session() const { return m_session; }
    oci::OCIError* ErrorHandle() const { return m_session.errorHandle; }
    const CEngineError& Error() const { return m_error; }
    const std::string& Warning() const { return m_warning; }
    // Fills the error from the error handle after `status`.
    void Fail(oci::sword status);

    // The placeholder names (":NAME" without the colon, as written) outside
    // quotes and comments.
    static std::vector<std::string> Placeholders(const std::string& sql);
    // True for the server errors that mean the session is gone.
    static bool EndsSession(int code);

private:
    struct BoundValue {
        std::size_t bind = 0;
        std::vector<char> buffer;
        oci::sb2 indicator = 0;
        oci::ub2 length = 0;
        oci::OCIBind* handle = nullptr;
        // Bound as a NUMBER (SQLT_VNU) rather than as text.
        bool number = false;
        // Bound as a native BINARY_FLOAT (4) or BINARY_DOUBLE (8); 0 if not.
        int floatBytes = 0;
        // A text too long for a VARCHAR2, bound as a temporary CLOB.
        oci::OCILobLocator* lob = nullptr;
    };

    bool BindCursor(const std::string& variable, const std::string& placeholderName);
    // Binds a NUMBER variable as a number; false (nothing bound, no error)
    // when its value is not a number, so that it goes as text instead.
    bool BindNumber(const CEngineBind& bind, std::size_t index, const std::string& placeholder, bool& failed);
    // Binds a BINARY_FLOAT or BINARY_DOUBLE variable as its native value;
    // false (nothing bound, no error) when its value is no such number.
    bool BindFloat(const CEngineBind& bind, std::size_t index, const std::string& placeholder, bool& failed);
    void NoteLostSession();
    // Binds `value` (server text) as a temporary CLOB written with it.
    bool BindLob(const std::string& placeholder, const std::string& value, BoundValue& bound);
    void FreeLobs();
    // The whole text of a CLOB (server bytes); false when it cannot be read.
    bool ReadLob(oci::OCILobLocator* lob, std::string& bytes) const;

    const COciEnvironment& m_env;
    COciSessionState& m_session;
    CEngineError& m_error;
    oci::OCIStmt* m_statement = nullptr;
    // Prepared through the statement cache (released to it, not freed).
    bool m_cached = false;
    bool m_borrowed = false;
    std::string m_sql;
    std::string m_serverSql;
    std::string m_warning;
    std::deque<BoundValue> m_bound;
    // Statement handles bound to cursor variables, by variable name.
    // Note: a deque, as the client writes to these slots after binding.
    std::deque<std::pair<std::string, oci::OCIStmt*>> m_cursors;
};

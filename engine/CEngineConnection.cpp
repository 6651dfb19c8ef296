#include "engine/CEngineConnection.h"

#include "text/Encoding.h"

std::unique_ptr<CEngineCursor> CEngineConnection::TakeCursorVariable(const std::string& name,
                                                                     CEngineError& error) {
    error.Set(encoding::Utf8ToCp932("このデータベースでは REFCURSOR 変数 ") + name +
              encoding::Utf8ToCp932(" を使えません。"));
    return nullptr;
}

bool CEngineConnection::EnableServerOutput(bool on, long size) {
    // Note: ENABLE(NULL) is the unlimited buffer; ENABLE() alone would
    // give the package's default of 20,000 bytes.
    const std::string block = !on        ? "BEGIN DBMS_OUTPUT.DISABLE; END;"
                              : size < 0 ? "BEGIN DBMS_OUTPUT.ENABLE(NULL); END;"
                                         : "BEGIN DBMS_OUTPUT.ENABLE(" + std::to_string(size) + "); END;";
    std::vector<CEngineBind> binds;
    long rows = 0;
    return Execute(block, binds, rows);
}

#include "engine/CEngineConnection.h"

#include "text/Encoding.h"

std::unique_ptr<CEngineCursor> CEngineConnection::TakeCursorVariable(const std::string& name,
                                                                     CEngineError& error) {
    error.Set(encoding::Utf8ToCp932("このデータベースでは REFCURSOR 変数 ") + name +
              encoding::Utf8ToCp932(" を使えません。"));
    return nullptr;
}

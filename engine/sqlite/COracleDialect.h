#pragma once

#include <string>
#include <string_view>

#include "engine/sqlite/CSqlRewrite.h"

// Turns the server's SQL into the embedded engine's: SYSDATE becomes
// SYSDATE(), arithmetic follows the server (see CArithmetic), TRUNCATE TABLE becomes DELETE FROM, the OR
// REPLACE of CREATE OR REPLACE TRIGGER/VIEW is dropped (the caller drops the old object), and in a trigger
// ":NEW."/":OLD." become "NEW."/"OLD.". Literals are never touched.
class COracleDialect {
public:
    static CSqlRewrite Translate(std::string_view text);

    // For CREATE OR REPLACE TRIGGER/VIEW: "DROP TRIGGER IF EXISTS name" (or
    // VIEW); "" for any other statement.
    static std::string DropBeforeReplace(std::string_view text);
};

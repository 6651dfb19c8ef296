#pragma once

// PL/SQL: the server's texts of PL/SQL errors and the predefined exceptions.
#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

class CPlsqlErrors {
public:
    // What VALUE_ERROR says after its code.
    enum class ValueError { None, Buffer, Conversion, Precision, NullKey };

    // "ORA-nnnnn: text" (CP932) of a PL/SQL runtime error; `arg` fills %1.
    static std::string Text(int code, std::string_view arg = {});
    static void Set(CEngineError& error, int code, std::string_view arg = {}, int position = -1);
    static std::string ValueErrorText(ValueError what);
    // "ORA-06550: 行l、列c:\nPLS-nnnnn: text" (CP932).
    static std::string Compile(int line, int column, int pls, std::string_view arg = {});
    // "ORA-06512: 行l", or "ORA-06512: "OWNER.UNIT", 行l" for a stored unit.
    static std::string Backtrace(int line, const std::string& unit = {});
    // The ORA code a predefined exception stands for; 0 when `name` (upper
    // case) is none.
    static int Predefined(std::string_view name);
    // What SQLCODE answers for an error of `code` (negative: user exception).
    static int SqlCode(int code);
};

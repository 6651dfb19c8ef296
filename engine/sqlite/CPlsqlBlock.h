#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"

// An anonymous block "BEGIN ... END;" split into the statements the
// embedded engine can run itself: NULL, ":NAME := expression", INSERT,
// UPDATE, DELETE and DBMS_OUTPUT.ENABLE / DISABLE / PUT_LINE (and PUT,
// NEW_LINE). Statements are split at ";" outside quotes and comments.
class CPlsqlBlock {
public:
    enum class StepKind {
        Null,
        Assign,
        Dml,
        OutputEnable,
        OutputDisable,
        OutputPutLine,
        OutputPut,
        OutputNewLine
    };

    struct Step {
        StepKind kind = StepKind::Null;
        std::size_t begin = 0;  // the statement, in the block text
        std::size_t length = 0;
        std::string target;               // Assign: the bind name without ":"
        std::size_t expressionBegin = 0;  // Assign, PutLine, Put: the expression
        std::size_t expressionLength = 0;
    };

    // False with a message and position in `error` when the text is not such
    // a block; an unsupported statement is named in the message.
    static bool Parse(std::string_view text, std::vector<Step>& steps, CEngineError& error);
};

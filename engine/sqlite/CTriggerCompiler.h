#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqliteCatalog.h"

// CREATE [OR REPLACE] TRIGGER ... BEGIN statement; ... END: the statements
// of the body compiled as any statement is (a value stored into a column
// passes the column's rules), :NEW and :OLD read as the row's NEW and OLD.
class CTriggerCompiler {
public:
    enum class Outcome {
        NotTaken,  // no trigger, or a body the statement tree does not hold
        Compiled,
        Failed  // `failure` set, its offset in `text`
    };

    // `header` is the text before BEGIN as the engine is to run it (the
    // caller's rewrite of it); `out` the whole trigger for SQLite.
    static Outcome Compile(std::string_view text, const std::string& header, CSqliteCatalog& catalog,
                           std::string& out, CSqlEmitter::Failure& failure);
    // Where BEGIN of a trigger's body is; 0 when `text` is no trigger with one.
    static std::size_t BodyStart(std::string_view text);
};

#pragma once

#include <string>

// Base of the library's objects that can report an error.
class OOracleObject {
public:
    virtual ~OOracleObject() = default;
    // Message text of the last failure (may hold line feeds); "" when the
    // last call succeeded.
    virtual std::string GetErrorText() const = 0;
};

#pragma once

#include <string>

// Raised by the pattern matcher when a text does not fit a pattern; caught
// by the table walks, never shown.
class CSQLCommandException {
public:
    CSQLCommandException(int code, std::string message) : m_code(code), m_message(std::move(message)) {}
    int GetCode() const { return m_code; }
    const std::string& GetErrorMessage() const { return m_message; }

private:
    int m_code;
    std::string m_message;
};

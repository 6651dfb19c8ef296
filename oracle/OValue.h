#pragma once

#include <string>

// A value of the client library: empty (NULL) or text. Numbers travel as
// their decimal text, as the server formats them.
class OValue {
public:
    OValue() = default;
    explicit OValue(const std::string& text) : m_text(text), m_null(false) {}
    explicit OValue(const char* text) : m_text(text ? text : ""), m_null(text == nullptr) {}

    bool IsNull() const { return m_null; }
    void Clear() {
        m_text.clear();
        m_null = true;
    }
    void SetText(const std::string& text) {
        m_text = text;
        m_null = false;
    }

    // The integer conversion: the whole-number part of the decimal text,
    // 0 for NULL or text that holds no number; clamped to the int range.
    int ToInt() const;
    // The text conversion: "" for NULL.
    const std::string& ToText() const { return m_text; }

private:
    std::string m_text;
    bool m_null = true;
};

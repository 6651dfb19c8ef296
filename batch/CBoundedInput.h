#pragma once

#include <cstddef>
#include <istream>
#include <streambuf>

// A reading view of another stream that ends early, as if the file ended,
// once it has given `maxBytes` bytes or a line grows past `maxLineBytes`;
// Exceeded() then says so. Keeps a replay of a huge file or of a line
// without end from taking all memory.
class CBoundedInput : public std::streambuf {
public:
    CBoundedInput(std::istream& source, std::size_t maxBytes, std::size_t maxLineBytes)
        : m_source(*source.rdbuf()), m_maxBytes(maxBytes), m_maxLineBytes(maxLineBytes) {}

    bool Exceeded() const { return m_exceeded; }

protected:
    int_type underflow() override;

private:
    std::streambuf& m_source;
    std::size_t m_maxBytes;
    std::size_t m_maxLineBytes;
    std::size_t m_bytes = 0;
    std::size_t m_lineBytes = 0;
    bool m_exceeded = false;
    char m_buffer[4096];
};

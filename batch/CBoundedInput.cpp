#include "batch/CBoundedInput.h"

#include <algorithm>
#include <cstring>

CBoundedInput::int_type CBoundedInput::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (m_exceeded) return traits_type::eof();
    const std::streamsize got = m_source.sgetn(m_buffer, sizeof m_buffer);
    if (got <= 0) return traits_type::eof();
    // Note: the bytes past either bound are never handed on.
    const std::size_t room = m_maxBytes > m_bytes ? m_maxBytes - m_bytes : 0;
    std::size_t kept = std::min(static_cast<std::size_t>(got), room);
    m_exceeded = kept < static_cast<std::size_t>(got);
    for (std::size_t at = 0; at < kept;) {
        const void* found = std::memchr(m_buffer + at, '\n', kept - at);
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_buffer) : kept;
        if (m_lineBytes + (end - at) > m_maxLineBytes) {
            kept = at + (m_maxLineBytes - m_lineBytes);
            m_exceeded = true;
            break;
        }
        m_lineBytes = found ? 0 : m_lineBytes + (end - at);
        at = end + 1;
    }
    m_bytes += kept;
    if (kept == 0) return traits_type::eof();
    setg(m_buffer, m_buffer, m_buffer + kept);
    return traits_type::to_int_type(*gptr());
}

#include "batch/CBoundedInput.h"

CBoundedInput::int_type CBoundedInput::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (m_exceeded) return traits_type::eof();
    const std::streamsize got = m_source.sgetn(m_buffer, sizeof m_buffer);
    if (got <= 0) return traits_type::eof();
    std::size_t kept = 0;
    for (; kept < static_cast<std::size_t>(got); ++kept) {
        m_lineBytes = m_buffer[kept] == '\n' ? 0 : m_lineBytes + 1;
        if (m_bytes + kept >= m_maxBytes || m_lineBytes > m_maxLineBytes) {
            m_exceeded = true;
            break;
        }
    }
    m_bytes += kept;
    if (kept == 0) return traits_type::eof();
    setg(m_buffer, m_buffer, m_buffer + kept);
    return traits_type::to_int_type(*gptr());
}

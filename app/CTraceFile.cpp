#include "app/CTraceFile.h"

#include <cstdlib>

CTraceFile::CTraceFile() {
    const char* path = std::getenv("TARVEX_TRACE");
    if (path == nullptr || *path == '\0') return;
    m_file.open(path, std::ios::binary | std::ios::trunc);
}

void CTraceFile::Write(std::string_view line) {
    if (!m_file.is_open()) return;
    m_file << line << "\r\n";
    m_file.flush();
    // Note: a failed write closes the trace for good rather than retrying.
    if (!m_file) m_file.close();
}

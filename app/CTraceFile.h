#pragma once

#include <fstream>
#include <string_view>

// A debugging log of the view's update steps. It is written only where the
// environment variable TARVEX_TRACE names a file; a file that cannot be
// opened or written is left alone and the program goes on.
class CTraceFile {
public:
    CTraceFile();
    bool IsOpen() const { return m_file.is_open(); }
    void Write(std::string_view line);

private:
    std::ofstream m_file;
};

#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The file SPOOL copies console lines to: CP932 with CR LF line ends, as
// File > Save writes, or UTF-8 when asked. A failure to open or write is
// told in one line; after a failed write the file is closed.
class CSpoolFile {
public:
    enum class Mode { Create, Replace, Append };

    CSpoolFile() = default;
    ~CSpoolFile();
    CSpoolFile(const CSpoolFile&) = delete;
    CSpoolFile& operator=(const CSpoolFile&) = delete;

    // SPOOL with the text after its word: "" tells whether and where it
    // spools; OFF closes; a file name [CREATE|REPLACE|APPEND] starts
    // spooling there (closing any file spooled to before). The answering
    // lines.
    std::vector<std::string> Command(std::string_view arguments, bool utf8);
    // Opens `name` (".lst" added when it has no extension): "" or the line
    // telling why it could not be opened.
    std::string Open(std::string_view name, Mode mode, bool utf8);
    // Writes one console line (trailing blanks dropped with `trim`): "" or
    // the line telling the write failed.
    std::string Write(std::string_view line, bool trim);
    // Hands what was written to the system: "" or the line telling the
    // write failed (the file is then closed).
    std::string Flush();
    // Flushes and closes: "" or the line telling the flush failed.
    std::string Close();

    bool IsOpen() const { return m_file != nullptr; }
    // The line that tells whether, and to which file, lines are spooled.
    std::string Status() const;
    const std::string& GetName() const { return m_name; }

    // `name` with ".lst" added when its last path part has no extension.
    static std::string WithExtension(std::string_view name);

private:
    std::FILE* m_file = nullptr;
    std::string m_name;
    bool m_utf8 = false;
    std::string m_buffer;

    std::string Failure(int error);
};

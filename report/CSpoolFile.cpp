#include "report/CSpoolFile.h"

#include <cerrno>
#include <cstring>

#include "report/ReportMessages.h"
#include "report/ReportText.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

struct ModeWord {
    const char* word;
    std::size_t abbreviation;
    CSpoolFile::Mode mode;
};

constexpr ModeWord kModes[] = {
    {"CREATE", 3, CSpoolFile::Mode::Create},
    {"REPLACE", 3, CSpoolFile::Mode::Replace},
    {"APPEND", 3, CSpoolFile::Mode::Append},
};

const char* OpenFlags(CSpoolFile::Mode mode) {
    switch (mode) {
        case CSpoolFile::Mode::Create:
            return "wbx";
        case CSpoolFile::Mode::Append:
            return "ab";
        case CSpoolFile::Mode::Replace:
            break;
    }
    return "wb";
}

// The reason of an operating-system failure, in the program's text.
std::string Reason(int error) { return encoding::Utf8ToCp932(std::strerror(error)); }

}  // namespace

CSpoolFile::~CSpoolFile() { Close(); }

std::string CSpoolFile::WithExtension(std::string_view name) {
    const std::size_t slash = name.find_last_of('/');
    const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = name.find('.', base);
    std::string out(name);
    if (dot == std::string_view::npos || dot == base) out += ".lst";
    return out;
}

std::string CSpoolFile::Open(std::string_view name, Mode mode, bool utf8) {
    std::string closing = Close();
    // Note: a name that ends in "/" names a directory, not a file in it.
    if (name.empty() || name.back() == '/')
        return ReportText(ReportMessage::SpoolOpenFailed, name, Reason(EISDIR));
    const std::string full = WithExtension(name);
    // Note: the name is CP932 in the console; the file system wants UTF-8.
    const std::string path = encoding::Cp932ToUtf8(full);
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), OpenFlags(mode));
    if (file == nullptr) {
        if (errno == EEXIST) return ReportText(ReportMessage::SpoolExists, full);
        return ReportText(ReportMessage::SpoolOpenFailed, full, Reason(errno));
    }
    m_file = file;
    m_name = full;
    m_utf8 = utf8;
    return closing;
}

std::string CSpoolFile::Failure(int error) {
    const std::string message = ReportText(ReportMessage::SpoolWriteFailed, m_name, Reason(error));
    std::fclose(m_file);
    m_file = nullptr;
    return message;
}

std::string CSpoolFile::Write(std::string_view line, bool trim) {
    if (m_file == nullptr) return {};
    if (trim) {
        const std::size_t end = line.find_last_not_of(' ');
        line = line.substr(0, end == std::string_view::npos ? 0 : end + 1);
    }
    m_buffer.clear();
    if (m_utf8)
        encoding::AppendCp932ToUtf8(line, m_buffer);
    else
        m_buffer.append(line);
    m_buffer += "\r\n";
    errno = 0;
    if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        return Failure(errno != 0 ? errno : EIO);
    return {};
}

std::string CSpoolFile::Flush() {
    if (m_file == nullptr) return {};
    errno = 0;
    if (std::fflush(m_file) != 0 || std::ferror(m_file) != 0) return Failure(errno != 0 ? errno : EIO);
    return {};
}

std::string CSpoolFile::Close() {
    if (m_file == nullptr) return {};
    errno = 0;
    const bool flushed = std::fflush(m_file) == 0 && std::ferror(m_file) == 0;
    const int error = errno != 0 ? errno : EIO;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (flushed && closed) return {};
    return ReportText(ReportMessage::SpoolWriteFailed, m_name, Reason(error));
}

std::string CSpoolFile::Status() const {
    if (m_file == nullptr) return ReportText(ReportMessage::SpoolNotSpooling);
    return ReportText(ReportMessage::SpoolSpooling, m_name);
}

std::vector<std::string> CSpoolFile::Command(std::string_view arguments, bool utf8) {
    std::vector<bool> quoted;
    const auto words = reporttext::Words(arguments, &quoted);
    auto answer = [](std::string line) {
        return line.empty() ? std::vector<std::string>{} : std::vector<std::string>{std::move(line)};
    };
    if (words.empty()) return {Status()};
    const std::string first = quoted[0] ? words[0] : cp932::ToUpperAscii(words[0]);
    if (words.size() == 1 && first == "OFF" && !quoted[0]) {
        if (m_file == nullptr) return {ReportText(ReportMessage::SpoolNotSpooling)};
        return answer(Close());
    }
    Mode mode = Mode::Replace;
    if (words.size() > 2) return {ReportText(ReportMessage::SpoolUsage)};
    if (words.size() == 2) {
        const std::string word = cp932::ToUpperAscii(words[1]);
        const ModeWord* found = nullptr;
        for (const auto& row : kModes)
            if (reporttext::IsAbbreviation(word, row.word, row.abbreviation)) found = &row;
        if (found == nullptr) return {ReportText(ReportMessage::SpoolUsage)};
        mode = found->mode;
    }
    return answer(Open(words[0], mode, utf8));
}

#include "text/CScriptLines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>

#include "text/Encoding.h"

namespace {

enum class NoticeKind { CannotOpen, Cycle, TooDeep, Unconvertible, TooLarge };

struct NoticeText {
    NoticeKind kind;
    const char* utf8;
};

// Each is followed by the file name as written after "@".
constexpr NoticeText kNoticeTexts[] = {
    {NoticeKind::CannotOpen, "ファイルを開けません: "},
    {NoticeKind::Cycle, "スクリプトの呼び出しが循環しています: "},
    {NoticeKind::TooDeep, "スクリプトの呼び出しが深すぎます: "},
    {NoticeKind::Unconvertible, "スクリプトを読めません: "},
    {NoticeKind::TooLarge, "スクリプトの行数が上限(10000000行、512MB)を超えたため、以降を実行しません: "},
};

std::string NoticeFor(NoticeKind kind, const std::string& name) {
    for (const auto& row : kNoticeTexts)
        if (row.kind == kind) return encoding::Utf8ToCp932(row.utf8) + name;
    return name;
}

// The same file reached by different spellings gives the same identity.
std::string FileIdentity(const std::string& path) {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
    return error ? path : canonical.string();
}

bool IsIncludeLine(const std::string& line) { return !line.empty() && line[0] == '@'; }

// Expands into a fresh list, so a script of any size costs linear time. A
// file included many times is read once; every line visited, "@" lines
// included, counts toward the bound.
class Expander {
public:
    Expander(CScriptLines& out, std::vector<CScriptLines::Notice>& notices, scripttext::Encoding encoding,
             std::size_t maxLines)
        : m_out(out), m_notices(notices), m_encoding(encoding), m_maxLines(maxLines) {}

    void Line(const std::string& line) {
        if (m_full) return;
        m_bytes += line.size() + 1;
        if (++m_visited > m_maxLines || m_bytes > CScriptLines::kMaxExpandedBytes) {
            m_full = true;
            return Notify(NoticeKind::TooLarge, m_currentName);
        }
        if (IsIncludeLine(line)) return Include(line.substr(1));
        m_out.push_back(line);
    }

private:
    void Include(const std::string& name) {
        const std::string& identity = Identity(name);
        if (std::find(m_chain.begin(), m_chain.end(), identity) != m_chain.end())
            return Notify(NoticeKind::Cycle, name);
        if (m_chain.size() >= CScriptLines::kMaxIncludeDepth) return Notify(NoticeKind::TooDeep, name);
        const CScriptLines* lines = nullptr;
        std::size_t badLine = 0;
        switch (Read(identity, name, lines, badLine)) {
            case CScriptLines::ReadResult::CannotOpen:
                return Notify(NoticeKind::CannotOpen, name);
            case CScriptLines::ReadResult::Unconvertible:
                return Notify(NoticeKind::Unconvertible, name + ": " + scripttext::RefusalText(badLine));
            case CScriptLines::ReadResult::Ok:
                break;
        }
        m_chain.push_back(identity);
        std::string outer = std::move(m_currentName);
        m_currentName = name;
        for (const auto& line : *lines) Line(line);
        m_currentName = std::move(outer);
        m_chain.pop_back();
    }

    const std::string& Identity(const std::string& name) {
        auto found = m_identities.find(name);
        if (found == m_identities.end()) found = m_identities.emplace(name, FileIdentity(name)).first;
        return found->second;
    }

    CScriptLines::ReadResult Read(const std::string& identity, const std::string& name,
                                  const CScriptLines*& lines, std::size_t& badLine) {
        auto found = m_files.find(identity);
        if (found == m_files.end()) {
            CScriptLines read;
            const auto result = CScriptLines::ReadScript(name, read, m_encoding, badLine);
            if (result != CScriptLines::ReadResult::Ok) return result;
            found = m_files.emplace(identity, std::move(read)).first;
        }
        lines = &found->second;
        return CScriptLines::ReadResult::Ok;
    }

    void Notify(NoticeKind kind, const std::string& name) {
        m_notices.push_back({m_out.size(), NoticeFor(kind, name)});
    }

    CScriptLines& m_out;
    std::vector<CScriptLines::Notice>& m_notices;
    scripttext::Encoding m_encoding;
    std::size_t m_maxLines;
    std::vector<std::string> m_chain;
    std::unordered_map<std::string, std::string> m_identities;
    std::unordered_map<std::string, CScriptLines> m_files;
    std::string m_currentName;
    std::size_t m_visited = 0;
    std::size_t m_bytes = 0;
    bool m_full = false;
};

}  // namespace

std::string CScriptLines::Join() const {
    std::string out;
    std::size_t total = 0;
    for (const auto& line : *this) total += line.size() + 1;
    out.reserve(total);
    for (std::size_t i = 0; i < size(); ++i) {
        if (i > 0) out += '\n';
        out += (*this)[i];
    }
    return out;
}

namespace {

bool ReadBytes(const std::string& path, std::string& data) {
    std::error_code error;
    // Note: only regular files; a device or pipe could feed lines without end.
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

bool CScriptLines::ReadFile(const std::string& path, CScriptLines& out) {
    std::string data;
    if (!ReadBytes(path, data)) return false;
    out.AppendText(data);
    return true;
}

CScriptLines::ReadResult CScriptLines::ReadScript(const std::string& path, CScriptLines& out,
                                                  scripttext::Encoding encoding, std::size_t& badLine) {
    std::string data;
    if (!ReadBytes(path, data)) return ReadResult::CannotOpen;
    std::string text;
    if (!scripttext::Decode(data, encoding, text, badLine)) return ReadResult::Unconvertible;
    CScriptLines lines;
    lines.AppendText(text);
    lines.KeepTypedLines();
    out.Append(lines);
    return ReadResult::Ok;
}

void CScriptLines::AppendText(std::string_view data) {
    CScriptLines& out = *this;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string_view::npos) {
            out.emplace_back(data.substr(start));
            break;
        }
        std::size_t stop = (end > start && data[end - 1] == '\r') ? end - 1 : end;
        out.emplace_back(data.substr(start, stop - start));
        start = end + 1;
    }
}

void CScriptLines::KeepTypedLines() {
    const auto typed = [](const std::string& line) { return line.starts_with(kConsolePrompt); };
    if (std::none_of(begin(), end(), typed)) return;
    std::size_t kept = 0;
    for (auto& line : *this)
        if (typed(line)) (*this)[kept++] = line.substr(kConsolePrompt.size());
    // Note: the idle prompt a console ends with was never typed.
    if (kept > 0 && (*this)[kept - 1].empty()) --kept;
    resize(kept);
}

bool CScriptLines::ExpandsToItself(const std::string& line) {
    return !IsIncludeLine(line) && line.size() + 1 <= kMaxExpandedBytes;
}

CScriptLines& CScriptLines::ExpandIncludes(CScriptLines& result) {
    std::vector<Notice> notices;
    return ExpandIncludes(result, notices);
}

CScriptLines& CScriptLines::ExpandIncludes(CScriptLines& result, std::vector<Notice>& notices,
                                           scripttext::Encoding encoding, std::size_t maxLines) {
    CScriptLines expanded;
    Expander expander(expanded, notices, encoding, maxLines);
    for (const auto& line : *this) expander.Line(line);
    *this = expanded;
    result = std::move(expanded);
    return result;
}

bool CScriptLines::IncludeFile(const std::string& path, std::size_t index) {
    if (index < size()) erase(begin() + static_cast<difference_type>(index));
    CScriptLines lines;
    if (!ReadFile(path, lines)) return false;
    index = std::min(index, size());
    insert(begin() + static_cast<difference_type>(index), std::make_move_iterator(lines.begin()),
           std::make_move_iterator(lines.end()));
    return true;
}

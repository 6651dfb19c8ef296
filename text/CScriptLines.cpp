#include "text/CScriptLines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>

#include "text/Encoding.h"

namespace {

enum class NoticeKind { CannotOpen, Cycle, TooDeep, TooLarge };

struct NoticeText {
    NoticeKind kind;
    const char* utf8;
};

// Each is followed by the file name as written after "@".
constexpr NoticeText kNoticeTexts[] = {
    {NoticeKind::CannotOpen, "ファイルを開けません: "},
    {NoticeKind::Cycle, "スクリプトの呼び出しが循環しています: "},
    {NoticeKind::TooDeep, "スクリプトの呼び出しが深すぎます: "},
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
    Expander(CScriptLines& out, std::vector<CScriptLines::Notice>& notices, std::size_t maxLines)
        : m_out(out), m_notices(notices), m_maxLines(maxLines) {}

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
        const CScriptLines* lines = Read(identity, name);
        if (lines == nullptr) return Notify(NoticeKind::CannotOpen, name);
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

    const CScriptLines* Read(const std::string& identity, const std::string& name) {
        auto found = m_files.find(identity);
        if (found != m_files.end()) return &found->second;
        CScriptLines lines;
        if (!CScriptLines::ReadFile(name, lines)) return nullptr;
        return &m_files.emplace(identity, std::move(lines)).first->second;
    }

    void Notify(NoticeKind kind, const std::string& name) {
        m_notices.push_back({m_out.size(), NoticeFor(kind, name)});
    }

    CScriptLines& m_out;
    std::vector<CScriptLines::Notice>& m_notices;
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

bool CScriptLines::ReadFile(const std::string& path, CScriptLines& out) {
    std::error_code error;
    // Note: only regular files; a device or pipe could feed lines without end.
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return false;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) {
            out.push_back(data.substr(start));
            break;
        }
        std::size_t stop = (end > start && data[end - 1] == '\r') ? end - 1 : end;
        out.push_back(data.substr(start, stop - start));
        start = end + 1;
    }
    return true;
}

CScriptLines& CScriptLines::ExpandIncludes(CScriptLines& result) {
    std::vector<Notice> notices;
    return ExpandIncludes(result, notices);
}

CScriptLines& CScriptLines::ExpandIncludes(CScriptLines& result, std::vector<Notice>& notices,
                                           std::size_t maxLines) {
    CScriptLines expanded;
    Expander expander(expanded, notices, maxLines);
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

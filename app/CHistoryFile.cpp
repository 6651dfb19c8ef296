#include "app/CHistoryFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "text/Cp932.h"

namespace {

constexpr char kFileName[] = "history.txt";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first word of `line` upper-cased, and where the text after it starts.
std::string FirstWord(const std::string& line, std::size_t& after) {
    std::size_t begin = 0;
    while (begin < line.size() && IsBlank(line[begin])) ++begin;
    after = begin;
    while (after < line.size() && !IsBlank(line[after]) && line[after] != '/') ++after;
    return cp932::ToUpper(std::string_view(line).substr(begin, after - begin));
}

bool IsConnect(const std::string& line) {
    std::size_t after = 0;
    const std::string word = FirstWord(line, after);
    return word == "CONNECT" || word == "CONN";
}

// A client command goes on to the next line when it ends in "-".
bool IsContinued(const std::string& line) {
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    return end > 0 && line[end - 1] == '-';
}

// The end of the word starting at `index`: a quoted part runs to its
// closing quote (or the end of the line), the rest up to one of `stops` or
// a blank, walking whole CP932 characters.
std::size_t WordEnd(const std::string& line, std::size_t index, std::string_view stops) {
    bool quoted = false;
    while (index < line.size()) {
        const char c = line[index];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (IsBlank(c) || stops.find(c) != std::string_view::npos))
            break;
        index += std::max<std::size_t>(1, cp932::CharLength(line, index));
    }
    return std::min(index, line.size());
}

// "CONNECT user/password@db" without "/password": the user and the password
// may be quoted, blanks and all; "CONNECT / AS SYSDBA" has none to remove.
std::string WithoutPassword(const std::string& line) {
    std::size_t index = 0;
    FirstWord(line, index);
    while (index < line.size() && IsBlank(line[index])) ++index;
    index = WordEnd(line, index, "/@");
    if (index >= line.size() || line[index] != '/') return line;
    const std::size_t end = WordEnd(line, index + 1, "@");
    if (end == index + 1) return line;
    return line.substr(0, index) + line.substr(end);
}

bool SetsPassword(const std::string& line) {
    constexpr std::string_view kWord = "IDENTIFIED";
    for (std::size_t i = 0; i + kWord.size() <= line.size(); i += cp932::CharLength(line, i)) {
        std::size_t k = 0;
        while (k < kWord.size() && (line[i + k] & ~0x20) == kWord[k]) ++k;
        if (k == kWord.size()) return true;
    }
    return false;
}

}  // namespace

std::string CHistoryFile::DefaultPath() {
    std::string directory = Env("TARVEX_HOME");
    if (directory.empty() && !Env("XDG_DATA_HOME").empty()) directory = Env("XDG_DATA_HOME") + "/tarvex";
    if (directory.empty() && !Env("HOME").empty()) directory = Env("HOME") + "/.local/share/tarvex";
    return directory.empty() ? std::string() : directory + "/" + kFileName;
}

std::string CHistoryFile::Escape(const std::string& entry) {
    std::string out;
    out.reserve(entry.size());
    for (char c : entry) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string CHistoryFile::Unescape(const std::string& line) {
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (line[i] != '\\' || (next != '\\' && next != 'r' && next != 'n')) {
            out += line[i];
            continue;
        }
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
        ++i;
    }
    return out;
}

CScriptLines CHistoryFile::Keep(const CScriptLines& history) {
    CScriptLines kept;
    bool inConnect = false;
    for (const auto& entry : history) {
        const bool continued = IsContinued(entry);
        if (inConnect || (IsConnect(entry) && continued)) {
            inConnect = continued;
            continue;
        }
        if (SetsPassword(entry)) continue;
        kept.push_back(IsConnect(entry) ? WithoutPassword(entry) : entry);
    }
    return kept;
}

CScriptLines CHistoryFile::Load(const std::string& path) {
    CScriptLines history;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        history.push_back(Unescape(line));
    }
    if (history.size() > kMaxEntries)
        history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(kMaxEntries));
    return history;
}

bool CHistoryFile::Save(const std::string& path, const CScriptLines& history) {
    if (path.empty()) return false;
    // Note: only the tail that can still be written is looked at, taken
    // from the start of a continued command so no password line slips in.
    std::size_t start = history.size() > 2 * kMaxEntries ? history.size() - 2 * kMaxEntries : 0;
    while (start > 0 && IsContinued(history[start - 1])) --start;
    CScriptLines tail;
    tail.assign(history.begin() + static_cast<std::ptrdiff_t>(start), history.end());
    const CScriptLines kept = Keep(tail);
    const std::size_t first = kept.size() > kMaxEntries ? kept.size() - kMaxEntries : 0;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    // Note: written beside the file and renamed over it, so a failed write
    // never leaves half a history.
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (std::size_t i = first; i < kept.size(); ++i) out << Escape(kept[i]) << '\n';
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) std::remove(temporary.c_str());
    return !error;
}

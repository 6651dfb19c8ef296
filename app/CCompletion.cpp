#include "app/CCompletion.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kKeywords[] = {
    "ALL",        "ALTER",    "AND",      "AS",      "ASC",       "BEGIN",     "BETWEEN",    "BY",
    "CASE",       "CHAR",     "CLOB",     "COLUMN",  "COMMIT",    "CONNECT",   "CONSTRAINT", "COUNT",
    "CREATE",     "DATE",     "DECLARE",  "DEFAULT", "DEFINE",    "DELETE",    "DESC",       "DESCRIBE",
    "DISCONNECT", "DISTINCT", "DROP",     "DUAL",    "ELSE",      "END",       "EXISTS",     "EXIT",
    "FOREIGN",    "FROM",     "FUNCTION", "GRANT",   "GROUP",     "HAVING",    "IN",         "INDEX",
    "INNER",      "INSERT",   "INTEGER",  "INTO",    "IS",        "JOIN",      "KEY",        "LEFT",
    "LIKE",       "MERGE",    "NOT",      "NULL",    "NUMBER",    "NVL",       "ON",         "OR",
    "ORDER",      "OUTER",    "PACKAGE",  "PRIMARY", "PROCEDURE", "PROMPT",    "REFERENCES", "REPLACE",
    "REVOKE",     "RIGHT",    "ROLLBACK", "ROWNUM",  "SELECT",    "SEQUENCE",  "SET",        "SHOW",
    "SPOOL",      "SUBSTR",   "SYSDATE",  "TABLE",   "THEN",      "TIMESTAMP", "TO_CHAR",    "TO_DATE",
    "TO_NUMBER",  "TRIGGER",  "TRUNCATE", "UNION",   "UNIQUE",    "UPDATE",    "VALUES",     "VARCHAR2",
    "VIEW",       "WHEN",     "WHERE",    "WITH",
};

// The dictionary queries whose first column lists names to complete.
constexpr const char* kNameQueries[] = {
    "SELECT table_name FROM user_tables",
    "SELECT view_name FROM user_views",
    "SELECT DISTINCT column_name FROM user_tab_columns",
};

bool IsWordByte(unsigned char c) { return std::isalnum(c) != 0 || c == '_' || c == '$' || c == '#'; }

// Where the word before `caret` starts, walking whole characters from the
// line's start (a trail byte may read as a letter).
int WordStart(const std::string& input, int caret) {
    std::size_t start = 0;
    std::size_t index = 0;
    const auto end = static_cast<std::size_t>(caret);
    while (index < end) {
        const std::size_t length = std::max<std::size_t>(1, cp932::CharLength(input, index));
        if (length > 1 || !IsWordByte(static_cast<unsigned char>(input[index]))) start = index + length;
        index += length;
    }
    return static_cast<int>(std::min(start, end));
}

// After "@", "@@" or START (and blanks): where the file name starts; -1
// when the line is no script call.
int FileNameStart(const std::string& input) {
    std::size_t index = input.find_first_not_of(" \t");
    if (index == std::string::npos) return -1;
    if (input[index] == '@') {
        index = input.find_first_not_of('@', index);
        return static_cast<int>(std::min(index, input.size()));
    }
    const std::string word = cp932::ToUpperAscii(std::string_view(input).substr(index, 6));
    if (word != "START " && word != "START\t") return -1;
    index = input.find_first_not_of(" \t", index + 5);
    return static_cast<int>(std::min(index, input.size()));
}

bool StartsWithIgnoringCase(const std::string& name, const std::string& prefix) {
    return name.size() >= prefix.size() && cp932::ToUpperAscii(std::string_view(name).substr(
                                               0, prefix.size())) == cp932::ToUpperAscii(prefix);
}

// The longest prefix all candidates share, compared without case but cut
// at whole characters.
std::string CommonPrefix(const std::vector<std::string>& candidates) {
    if (candidates.empty()) return {};
    std::string common = candidates.front();
    for (const auto& candidate : candidates) {
        std::size_t length = 0;
        while (length < common.size() && length < candidate.size() &&
               std::toupper(static_cast<unsigned char>(common[length])) ==
                   std::toupper(static_cast<unsigned char>(candidate[length])))
            ++length;
        common.resize(length);
    }
    std::size_t whole = 0;
    while (whole < common.size()) {
        const std::size_t length = std::max<std::size_t>(1, cp932::CharLength(common, whole));
        if (whole + length > common.size()) break;
        whole += length;
    }
    common.resize(whole);
    return common;
}

// Names keep the case of the word typed: lower case when its first letter is.
std::string InCaseOf(const std::string& name, const std::string& word) {
    const bool lower = !word.empty() && std::islower(static_cast<unsigned char>(word[0])) != 0;
    if (!lower) return name;
    std::string out = name;
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t length = std::max<std::size_t>(1, cp932::CharLength(out, i));
        if (length == 1) out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[i])));
        i += length;
    }
    return out;
}

void Finish(CCompletion::Result& result) {
    std::sort(result.candidates.begin(), result.candidates.end());
    result.candidates.erase(std::unique(result.candidates.begin(), result.candidates.end()),
                            result.candidates.end());
    const std::string common = CommonPrefix(result.candidates);
    if (common.size() > result.word.size()) result.insertion = common.substr(result.word.size());
}

}  // namespace

bool CCompletion::IsKeyword(std::string_view word) {
    const std::string upper = cp932::ToUpperAscii(word);
    return std::any_of(std::begin(kKeywords), std::end(kKeywords),
                       [&](const char* keyword) { return upper == keyword; });
}

void CCompletion::SetNames(std::vector<std::string> names) { m_names = std::move(names); }

std::vector<std::string> CCompletion::ReadNames(ODatabase& database) {
    std::vector<std::string> names;
    if (!database.IsOpen()) return names;
    char value[256];
    for (const char* query : kNameQueries) {
        ODynaset rows;
        if (rows.Open(database, query) != OSUCCESS) continue;
        for (; !rows.IsEOF(); rows.MoveNext()) {
            if (rows.GetFieldValue(0, value, sizeof value) == OSUCCESS && value[0] != '\0')
                names.emplace_back(value);
        }
    }
    return names;
}

CCompletion::Result CCompletion::Complete(const std::string& input, int caret) const {
    caret = std::clamp(caret, 0, static_cast<int>(input.size()));
    const int fileStart = FileNameStart(input);
    if (fileStart >= 0 && fileStart <= caret) return CompleteFile(input, fileStart, caret);
    Result result;
    result.wordStart = WordStart(input, caret);
    result.word = input.substr(static_cast<std::size_t>(result.wordStart),
                               static_cast<std::size_t>(caret - result.wordStart));
    if (result.word.empty()) return result;
    for (const char* keyword : kKeywords)
        if (StartsWithIgnoringCase(keyword, result.word))
            result.candidates.push_back(InCaseOf(keyword, result.word));
    for (const auto& name : m_names)
        if (StartsWithIgnoringCase(name, result.word))
            result.candidates.push_back(InCaseOf(name, result.word));
    Finish(result);
    // The rest keeps the letters typed; only what is added comes from the name.
    return result;
}

CCompletion::Result CCompletion::CompleteFile(const std::string& input, int start, int caret) const {
    Result result;
    result.wordStart = start;
    result.word = input.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(caret - start));
    const std::size_t slash = result.word.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : result.word.substr(0, slash + 1);
    const std::string prefix = slash == std::string::npos ? result.word : result.word.substr(slash + 1);
    std::error_code error;
    // Note: names on disk are UTF-8; the console's text is CP932.
    const std::string onDisk = directory.empty() ? "." : encoding::Cp932ToUtf8(directory);
    std::filesystem::directory_iterator entries(onDisk, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = encoding::Utf8ToCp932(entries->path().filename().string());
        if (name.compare(0, prefix.size(), prefix) != 0 || (prefix.empty() && name[0] == '.')) continue;
        if (entries->is_directory(error)) name += '/';
        result.candidates.push_back(directory + name);
    }
    std::sort(result.candidates.begin(), result.candidates.end());
    std::string common = result.candidates.empty() ? std::string() : result.candidates.front();
    for (const auto& candidate : result.candidates) {
        std::size_t length = 0;
        while (length < common.size() && length < candidate.size() && common[length] == candidate[length])
            ++length;
        common.resize(length);
    }
    if (common.size() > result.word.size()) result.insertion = common.substr(result.word.size());
    return result;
}

#pragma once

#include <string>
#include <string_view>
#include <vector>

class ODatabase;

// Tab completion on the input line (CP932 bytes, without the prompt): the
// word before the caret is completed from SQL keywords and the names the
// connected database's dictionary holds (tables, views, columns), or, after
// "@", "@@" or START, from the file names on disk.
class CCompletion {
public:
    struct Result {
        int wordStart = 0;                    // byte index where the word begins
        std::string word;                     // the bytes typed so far
        std::vector<std::string> candidates;  // sorted, each starting with the word
        std::string insertion;                // bytes to add at the caret (their common rest)
    };

    // Dictionary names used for words that are not file names.
    void SetNames(std::vector<std::string> names);
    // Reads the table, view and column names of the open database (none
    // when it is not open or the query fails).
    static std::vector<std::string> ReadNames(ODatabase& database);

    Result Complete(const std::string& input, int caret) const;
    // True for an SQL keyword of the completion list, in any case.
    static bool IsKeyword(std::string_view word);

private:
    Result CompleteFile(const std::string& input, int start, int caret) const;

    std::vector<std::string> m_names;
};

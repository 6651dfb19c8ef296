#pragma once

#include <span>
#include <string>

#include "text/CScriptLines.h"

// How RunStatement treats a statement, chosen by its template.
enum class StatementGroup { Query, RowChange, Block, Other };

struct StatementTemplate {
    const char* pattern;
    const char* message;  // UTF-8 here; the processor keeps it as CP932
    StatementGroup group;
};

// Where a later template is tried before an earlier one whose words begin
// its own (CREATE TABLESPACE before CREATE TABLE); rows named by pattern.
struct TemplatePreference {
    const char* preferred;
    const char* before;
};

// Two leading words that make a statement SQL where the first alone does not.
struct KeywordPair {
    const char* first;
    const char* second;
};

namespace tables {

// The widest column a query shows and the longest character variable; a
// width read from a long run of digits would otherwise make every result
// line gigabytes long.
constexpr int kMaxColumnWidth = 32767;

std::span<const char* const> StatementKeywords();
std::span<const KeywordPair> StatementKeywordPairs();
std::span<const StatementTemplate> StatementTemplates();
std::span<const TemplatePreference> TemplatePreferences();

// Group of a template number; Other for -1 and any number outside the table.
StatementGroup GroupOf(int templateNumber);

}  // namespace tables

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sqlite/CColumnCatalog.h"
#include "engine/sqlite/CSqlEmitter.h"

class CSqliteCatalog;

// A column's definition written for the table SQLite keeps: the declared
// type in the form its definition holds ("VARCHAR2(20 CHAR)" is
// VARCHAR2_CHAR(20), which SQLite's affinity and the describing of query
// columns read), the DEFAULT expression compiled as an expression of a query
// is, so that the server's functions and value rules hold in it.
class CColumnCompiler {
public:
    // Bytes [begin, begin + length) of a text replaced by `with`.
    struct Edit {
        std::size_t begin = 0;
        std::size_t length = 0;
        std::string with;
    };

    explicit CColumnCompiler(CSqliteCatalog& catalog) : m_catalog(catalog) {}

    // The type a table's definition holds for `declared` (the catalog's form).
    static std::string StoredType(std::string_view declared);
    // What a table's definition holds for RAW(n): RAW_TEXT(n).
    static constexpr std::string_view kRawText = "RAW_TEXT";
    // The edits of `column` (read from `text`, its offsets moved by `base`):
    // its type when `types`, its DEFAULT; a failure's offset is in `text`.
    // A virtual column's expression reads a row of `row` (none: ORA-03001).
    bool Compile(std::string_view text, const CColumnCatalog::Declared& column, std::size_t base, bool types,
                 std::vector<Edit>& edits, CSqlEmitter::Failure& failure,
                 const std::vector<CSqliteCatalog::Column>* row = nullptr);
    // The declared type of a value of `type` ("NUMBER", "VARCHAR2(20)" ...).
    static std::string DeclaredOf(const CValueType& type);
    // The virtual columns compiled without a type of their own, with their
    // expression's (column name and type, CP932, the catalog's form).
    const std::vector<std::pair<std::string, std::string>>& VirtualTypes() const { return m_virtualTypes; }
    // `text` with `edits` (not overlapping) made.
    static std::string Apply(std::string_view text, std::vector<Edit> edits);

private:
    CSqliteCatalog& m_catalog;
    std::vector<std::pair<std::string, std::string>> m_virtualTypes;
};

#pragma once

#include <string>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/warehouse/CPartitionScheme.h"

struct sqlite3;

// ALTER TABLE t EXCHANGE PARTITION p WITH TABLE s: the rows of p and those
// of s change places, inside the statement's transaction. The columns of
// both tables must match in number (ORA-14096) and in type and size
// (ORA-14097), by position; WITH VALIDATION every row of s must belong to p
// (ORA-14099). Rows are placed by their key, so a row given WITHOUT
// VALIDATION lands in the partition its key maps to.
class CPartitionExchange {
public:
    CPartitionExchange(sqlite3* db, CSqliteCatalog& catalog) : m_db(db), m_catalog(catalog) {}

    // `other` upper case UTF-8; the failure's code and arguments in `code`
    // and `argument` (CP932) when false.
    bool Run(const CPartitionScheme& scheme, int position, const std::string& other, bool validate, int& code,
             std::string& argument);

    // Whether two columns hold the same values: type, size, precision,
    // scale, fraction and zone alike.
    static bool SameShape(const CSqliteCatalog::Column& a, const CSqliteCatalog::Column& b);

private:
    bool Exec(const std::string& utf8, int& code, std::string& argument);
    bool EngineFailure(int& code, std::string& argument);
    bool Match(int& code);
    std::string KeyOf(const CPartitionScheme& scheme, const std::string& table, bool own) const;

    sqlite3* m_db;
    CSqliteCatalog& m_catalog;
    std::vector<CSqliteCatalog::Column> m_mine;
    std::vector<CSqliteCatalog::Column> m_theirs;
};

#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;

// CREATE [OR REPLACE] [PUBLIC] SYNONYM name FOR [schema.]object and DROP
// [PUBLIC] SYNONYM name [FORCE]. A synonym is a view of every column of its
// object (so that queries and DML through it reach the object's rows) whose
// name TARVEX_SYNONYMS records; USER_SYNONYMS reads that table.
class CSqliteSynonyms {
public:
    explicit CSqliteSynonyms(sqlite3* db) : m_db(db) {}

    // `user` is the session's user (CP932), the owner of a private synonym.
    bool Run(std::string_view sql, const std::string& user, CEngineError& error);

private:
    bool Create(std::string_view sql, const std::string& user, CEngineError& error);
    bool Drop(std::string_view sql, CEngineError& error);
    bool IsSynonym(const std::string& name);
    bool Exec(const std::string& sql, CEngineError& error);
    // Runs `sql` binding `values` (UTF-8) to ?1, ?2, ...
    bool ExecWith(const char* sql, std::initializer_list<std::string> values, CEngineError& error);

    sqlite3* m_db;
};

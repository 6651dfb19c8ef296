#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;

// The server's metadata that SQLite's own schema does not hold, kept in
// ordinary tables of the database file: sequences (TARVEX_SEQUENCES),
// identity columns with their options (TARVEX_IDENTITIES), comments
// (TARVEX_COMMENTS) and constraints set aside by DISABLE (TARVEX_DISABLED).
// Their version is the file's user_version. They are made, in one
// transaction, when a connection first opens the file for writing, and a
// file of an earlier version is converted then, once; reading never writes.
class CCatalogTables {
public:
    static constexpr int kVersion = 1;

    // Makes or converts the tables when the file is behind; a file that
    // cannot be written is left as it is (true). False with SQLite's reason.
    static bool Install(sqlite3* db, CEngineError& error);

    // Identity columns. `generation`: "ALWAYS", "BY DEFAULT" or "ON NULL"
    // (BY DEFAULT ON NULL). Names upper case, UTF-8.
    struct Identity {
        std::string table;
        std::string column;
        std::string generation = "BY DEFAULT";
        long long start = 1;
        bool startGiven = false;    // without START WITH a sequence there keeps its place
        bool startAtLimit = false;  // START WITH LIMIT VALUE
        long long increment = 1;
        std::string options;  // as written, for the dictionary
    };
    // Records `identity` and makes its sequence (or, for a column that is
    // one already, changes both).
    static bool SetIdentity(sqlite3* db, const Identity& identity, CEngineError& error);
    // The generation of the identity column, "" when it is none.
    static std::string IdentityOf(sqlite3* db, std::string_view table, std::string_view column);
    // Forgets what the catalog holds of a table that is gone (UTF-8 name).
    static bool Forget(sqlite3* db, const std::string& table, CEngineError& error);
};

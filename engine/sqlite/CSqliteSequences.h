#pragma once

#include <map>
#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

// The server's sequences on the embedded engine. A sequence is a row of the
// table TARVEX_SEQUENCES in the database file (name, next value, step);
// NAME.NEXTVAL and NAME.CURRVAL become the engine functions
// ORA_NEXTVAL('NAME') and ORA_CURRVAL('NAME'). CURRVAL is the value the last
// NEXTVAL of this connection gave.
class CSqliteSequences {
public:
    explicit CSqliteSequences(sqlite3* db) : m_db(db) {}
    CSqliteSequences(const CSqliteSequences&) = delete;
    CSqliteSequences& operator=(const CSqliteSequences&) = delete;

    // Registers ORA_NEXTVAL and ORA_CURRVAL; false on failure.
    bool Register();

    // CREATE SEQUENCE name [START WITH n] [INCREMENT BY n] [MINVALUE,
    // MAXVALUE, CYCLE, CACHE, ORDER and their NO forms] and DROP SEQUENCE
    // name, as CP932 text. False with a message
    // (and the position of the offending word) in `error`.
    bool Create(std::string_view sql, CEngineError& error);
    bool Drop(std::string_view sql, CEngineError& error);

private:
    static void NextValue(sqlite3_context* context, int argc, sqlite3_value** argv);
    static void CurrentValue(sqlite3_context* context, int argc, sqlite3_value** argv);
    bool Exec(const std::string& sql, CEngineError& error);
    void SetNext(const std::string& name, long long next);

    sqlite3* m_db;
    std::map<std::string, long long> m_current;
};

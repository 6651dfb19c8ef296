#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CColumnCompiler.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteDictionary.h"

// CREATE [TEMP] TABLE written for SQLite from the parts of the server's
// definition: the table's name, each column's name, its compiled type and
// DEFAULT, its constraints (NOT NULL, NULL, PRIMARY KEY, UNIQUE, REFERENCES
// with ON DELETE), the table's constraints (PRIMARY KEY, UNIQUE, FOREIGN KEY)
// and the compiled CHECK constraints. A word the server's grammar has no
// place for (SQLite's own AUTOINCREMENT, COLLATE, WITHOUT ROWID, STRICT ...)
// is refused at its token, as the server refuses it. DEFAULT ON NULL makes
// its column NOT NULL; a virtual column is SQLite's generated column, its
// clause compiled with the types and defaults.
class CTableText {
public:
    struct Failure {
        std::size_t at = 0;
        int code = 907;
        std::string name;  // CP932, the error's argument
    };

    // A CHECK constraint compiled in its place (`begin`, as the compiled
    // part starts), with its name and its condition as written (CP932).
    struct Check {
        std::size_t begin = 0;
        std::string name;
        bool generated = false;
        std::string condition;
        bool deferrable = false;
        bool deferred = false;
    };

    // `sql`: the statement, CP932, its physical clauses blanked (see
    // CSqliteSchema::Prepare); `compiled`: the types, DEFAULT expressions and
    // CHECK constraints written for SQLite, by their bytes in `sql`.
    bool Write(std::string_view sql, std::vector<CColumnCompiler::Edit> compiled, Failure& failure);
    // The name (UTF-8) each constraint written without one takes; it is
    // written into the definition, so that every constraint goes by the
    // name the catalog shows. Without a namer they stay unnamed.
    void SetNamer(std::function<std::string()> namer) { m_namer = std::move(namer); }
    // The CHECK constraints among the compiled parts Write is given.
    void SetChecks(std::vector<Check> checks) { m_checks = std::move(checks); }
    // The constraints written, in order, as the catalog records them (names,
    // columns and conditions UTF-8).
    const std::vector<CSqliteDictionary::Constraint>& Constraints() const { return m_constraints; }

    // The statement written (CP932).
    const std::string& Text() const { return m_out; }
    // The offset in `sql` of the byte at `offset` of Text(): a byte of a
    // compiled part maps to the start of what it was compiled from.
    std::size_t Origin(std::size_t offset) const;
    // Where the table's name is in `sql`.
    std::size_t NameAt() const { return m_nameAt; }

private:
    struct Chunk {
        std::size_t out;     // where it starts in m_out
        std::size_t source;  // where it starts in the text read
        bool verbatim;       // copied byte for byte
    };

    bool AtEnd() const { return m_k >= m_tokens.size(); }
    std::size_t Here() const;
    bool Is(std::string_view word, std::size_t ahead = 0) const;
    bool IsSymbol(char symbol) const;
    // Whether the token here is one of the server's reserved words, unquoted.
    bool IsReservedWord() const;
    bool IsName() const;
    bool Fail(int code, std::string name = {});
    // The next compiled part when it starts at or before the current token.
    const CColumnCompiler::Edit* CompiledHere() const;
    void Append(std::size_t source, std::string_view text, bool verbatim);
    // Copies the current token (with the space before it) and moves on.
    void Take();
    // Takes a name; one with "#", which SQLite's names cannot hold, goes in
    // quotes and in the upper case the server keeps.
    void TakeName();
    // Moves past the current token without writing it.
    void Skip() { m_end = m_tokens[m_k].begin + m_tokens[m_k].length, ++m_k; }
    // Writes the next compiled part in place of the bytes it was made from.
    void TakeCompiled();
    bool TakeWords(std::initializer_list<std::string_view> words);
    // The name at the current token: upper case unless quoted.
    std::string NameHere() const;
    bool Name();
    bool NameList(std::vector<std::string>* names = nullptr);
    // Before the words of a constraint: its name, the one given after
    // CONSTRAINT or (written here) one the namer gives; `c` takes it.
    void NameConstraint(CSqliteDictionary::Constraint& c);
    // CONSTRAINT name: the name of what follows.
    bool ConstraintName();
    void AddConstraint(CSqliteDictionary::Constraint c);
    bool Item();
    bool Column();
    bool ColumnConstraint();
    // DEFAULT ON NULL [FOR INSERT ONLY] expr.
    bool DefaultOnNull();
    bool TableConstraint();
    // At a PRIMARY KEY: false (ORA-02260) when the table has one already.
    bool SecondKey();
    bool References(CSqliteDictionary::Constraint& c);
    // [NOT] DEFERRABLE, INITIALLY IMMEDIATE | DEFERRED, in any order: written
    // in SQLite's order when `keep`.
    void States(bool keep, CSqliteDictionary::Constraint& c);

    std::string_view m_sql;
    std::vector<CSqlScanner::Token> m_tokens;
    std::vector<CColumnCompiler::Edit> m_compiled;
    std::size_t m_next = 0;  // the compiled part to write next
    std::size_t m_k = 0;
    std::size_t m_end = 0;  // end of the last token read
    std::size_t m_nameAt = 0;
    std::string m_out;
    std::vector<Chunk> m_chunks;
    std::vector<std::string> m_columns;  // the names defined so far
    bool m_primaryKey = false;
    std::string m_table;        // CP932, as the catalog names it
    std::string m_lastName;     // CP932, of the last Name()
    std::string m_pendingName;  // CP932, given after CONSTRAINT to what follows
    bool m_named = false;       // a CONSTRAINT name is written for what follows
    std::function<std::string()> m_namer;
    std::vector<CSqliteDictionary::Constraint> m_constraints;
    std::vector<Check> m_checks;
    bool m_inColumn = false;  // the items read are a column's
    Failure* m_failure = nullptr;
};

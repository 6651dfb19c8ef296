#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqliteDictionary.h"

struct sqlite3;

// The server's metadata that SQLite's own schema does not hold, kept in
// ordinary tables of the database file: sequences (TARVEX_SEQUENCES),
// identity columns with their options (TARVEX_IDENTITIES), comments
// (TARVEX_COMMENTS), views with their text and options (TARVEX_VIEWS),
// GLOBAL TEMPORARY tables (TARVEX_TEMPORARY), the columns of tables with
// their declared types (TARVEX_COLUMNS, see CColumnCatalog), every
// constraint with its name and state (TARVEX_CONSTRAINTS, see
// CConstraintCatalog), the times objects were made and changed
// (TARVEX_OBJECT_TIMES, see CObjectTimes) and the options of tables and
// indexes (TARVEX_TABLE_OPTIONS, TARVEX_INDEX_OPTIONS, see CTableOptions).
// Their version is the file's user_version. They are made, in one
// transaction, when a connection first opens the file for writing, and a
// file of an earlier version is converted then, once; reading never writes.
class CCatalogTables {
public:
    static constexpr int kVersion = 11;
    // The version from which CHECK constraints are compiled (see CCheckUpgrade).
    static constexpr int kChecksCompiled = 3;
    // The version from which the columns of tables are recorded (CColumnCatalog).
    static constexpr int kColumnsRecorded = 4;
    // The version from which a quoted name is kept in its own case: a
    // sequence of an earlier file went by its name in upper case, and the
    // catalog's rows of a table named in quotes by the upper case of it.
    static constexpr int kExactNames = 9;
    // The version from which a RAW column is kept as text (see CRawUpgrade).
    static constexpr int kRawText = 10;
    // The version from which a name with lower-case letters is kept by its
    // spelling (see CSqliteName, CNameUpgrade).
    static constexpr int kSpelledNames = 11;

    // Makes or converts the tables when the file is behind; a file that
    // cannot be written is left as it is (true). False with SQLite's reason.
    static bool Install(sqlite3* db, CEngineError& error);
    // The version of the file's tables (0 for a new file).
    static int Version(sqlite3* db);

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
    // Primary and unique keys added to a table after it was made (those of
    // CREATE TABLE are SQLite's own), kept in TARVEX_CONSTRAINTS. A key is enforced by a unique index:
    // one it made itself (`ownIndex`), or one that was there (the server's
    // namespaces of keys and indexes are apart). `notNullAdded`: the columns
    // the key made NOT NULL, which no constraint of their own lists.
    // Note: a key is a constraint of the catalog's (ENFORCED_BY 'INDEX').
    using Key = CSqliteDictionary::Constraint;
    static bool AddKey(sqlite3* db, const Key& key, CEngineError& error);
    static std::vector<Key> Keys(sqlite3* db);
    static bool SetKeyEnabled(sqlite3* db, const std::string& name, bool enabled, CEngineError& error);
    static bool DropKey(sqlite3* db, const std::string& name, CEngineError& error);

    // Views: the text as written and the options the server keeps.
    struct View {
        std::string name;
        std::string text;
        bool readOnly = false;
        bool checkOption = false;
        std::string constraint;  // the name of the option, "" when unnamed
    };
    static bool SetView(sqlite3* db, const View& view, CEngineError& error);
    // The view's options; false when the catalog holds no such view.
    static bool FindView(sqlite3* db, const std::string& name, View& view);

    // CHECK constraints: the table's definition holds each by its name with
    // its compiled condition; TARVEX_CONSTRAINTS the condition as written. An
    // unnamed one is given a name of the server's form in `name`. Names and
    // table UTF-8, the condition CP932.
    static bool AddCheck(sqlite3* db, const std::string& table, std::string& name,
                         const std::string& condition, CEngineError& error);
    // The condition of the CHECK constraint `name` as written (CP932); false
    // when the catalog holds none.
    static bool CheckCondition(sqlite3* db, const std::string& name, std::string& condition);
    static bool DropCheck(sqlite3* db, const std::string& name, CEngineError& error);

    // GLOBAL TEMPORARY tables: the definition is the file's, the rows each
    // connection's own (a table of its temporary database). `definition`:
    // the CREATE TEMP TABLE statement (UTF-8).
    static bool AddTemporary(sqlite3* db, const std::string& table, const std::string& definition,
                             bool deleteOnCommit, CEngineError& error);
    // Makes this connection's tables; the names of those whose rows go at
    // each commit in `deleteOnCommit` (quoted, UTF-8).
    static void OpenTemporary(sqlite3* db, std::vector<std::string>& deleteOnCommit);
    static std::vector<std::string> DeleteOnCommit(sqlite3* db);

    // What the catalog holds of a table or column follows its new name
    // (UTF-8, upper case), identity sequences included.
    static bool RenameTable(sqlite3* db, const std::string& table, const std::string& to,
                            CEngineError& error);
    static bool RenameColumn(sqlite3* db, const std::string& table, const std::string& column,
                             const std::string& to, CEngineError& error);

    // Forgets what the catalog holds of columns `table` no longer has.
    static bool Prune(sqlite3* db, const std::string& table, CEngineError& error);
    // Forgets what the catalog holds of a table or view that is gone (UTF-8 name).
    static bool Forget(sqlite3* db, const std::string& table, CEngineError& error);
};

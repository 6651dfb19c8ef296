#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// The server's data dictionary over one database file: USER_TABLES,
// USER_TAB_COLUMNS, USER_CONSTRAINTS, USER_CONS_COLUMNS, USER_INDEXES,
// USER_IND_COLUMNS, USER_VIEWS, USER_SEQUENCES, USER_OBJECTS, USER_SOURCE,
// USER_TAB_COMMENTS, USER_COL_COMMENTS, USER_TRIGGERS and the rest, with
// the same rows under ALL_ and DBA_ and their owner columns, and the names
// every user has (TAB, CAT, DICT, NLS_SESSION_PARAMETERS, V$VERSION, ...). They are temporary views
// of each connection (never stored in the file, so read-only) whose columns
// have the server's declared types; their rows are read from the file's
// schema and catalog tables (CCatalogTables) when a statement names them.
class CSqliteDictionary {
public:
    struct Constraint {
        std::string name;
        char type = 'C';  // P, U, R, C
        std::string table;
        std::vector<std::string> columns;
        std::string condition;        // C
        std::string referencedTable;  // R
        std::vector<std::string> referencedColumns;
        std::string deleteRule = "NO ACTION";
        bool enabled = true;
        bool validated = true;
        std::string index;       // P, U added later: the index that enforces it
        bool ownIndex = true;    // that index was made for it (and goes with it)
        bool generated = false;  // named by the system, not by its definition
        bool deferrable = false;
        bool deferred = false;  // INITIALLY DEFERRED
        // What enforces it: "TABLE" (the table's definition), "INDEX" (a
        // key added later) or "NONE" (set aside by DISABLE).
        std::string enforcedBy = "TABLE";
        std::vector<std::string> notNullAdded;  // P added later: the columns it made NOT NULL
    };

    // The query of the user's objects as USER_OBJECTS lists them: name N,
    // type T and status S.
    static std::string ObjectRows();
    // Adds what the views need; false on failure. The views themselves are
    // made by Prepare when a statement first names one.
    static bool Install(sqlite3* db);
    // Before a statement of `text`: makes the views it names current.
    static void Prepare(sqlite3* db, std::string_view text);
    // The name of the primary or unique key over "T.A, T.B" (as SQLite
    // reports a violation, UTF-8); "" when there is none.
    static std::string KeyName(sqlite3* db, std::string_view failed);
    // Every constraint of the file's tables as the catalog records them
    // (TARVEX_CONSTRAINTS), and the options of views.
    static std::vector<Constraint> All(sqlite3* db);
    // The view a public dictionary name (TAB, DICT, V$VERSION, ...; upper
    // case) is read from, for a statement that names no object of the
    // user's by it; "" for any other name.
    static std::string PublicView(std::string_view upperName);
};

#pragma once

// PL/SQL: an object type's member functions called from SQL on a value
// SQL holds (a column's document, see CSqlEmitter's object types).
class CSqliteConnection;
struct sqlite3_context;
struct sqlite3_value;

// TARVEX_MEMBER('TYPE.METHOD', document, arguments ...): the member
// function run with SELF made from the document's attributes; NULL for a
// NULL object. TARVEX_MEMBER_RESULT('TYPE', 'METHOD'): the declared type of
// the function's result ("NUMBER", "VARCHAR2(100)"), NULL when there is none.
class CObjectMembers {
public:
    static void Register(CSqliteConnection& connection);

private:
    static void Member(sqlite3_context* context, int count, sqlite3_value** values);
    static void Result(sqlite3_context* context, int count, sqlite3_value** values);
};

#pragma once

// A name under which the dictionary shows a table of rows, and its select
// list: nullptr for the table's own columns, "*" inside a list for them.
struct CDictionaryShown {
    const char* name;
    const char* list;
};

// A table of dictionary rows: its columns with the server's declared types
// (LONG ones shown as wide as SET LONG allows), the query that fills
// its rows, the owner columns the ALL_ and DBA_ views add (filled with the
// session's user), and the names it is shown under. In the query, "m" is
// main.sqlite_schema, %U limits it to the user's own objects and %D alone
// is the list of the dictionary's names; an empty query keeps no rows.
// The `extra` columns (", A TYPE") follow the others in the query, but a
// list's "*" leaves them out.
struct CDictionaryView {
    const char* name;
    const char* columns;
    const char* select;
    const char* owners = "OWNER";
    CDictionaryShown shown[6] = {};
    const char* extra = "";
};

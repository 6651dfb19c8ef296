#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// CREATE PRIVATE TEMPORARY TABLE ora$ptt_name (...) [ON COMMIT DROP
// DEFINITION | ON COMMIT PRESERVE DEFINITION]: a table of the session only,
// its definition gone at the end of the transaction (DROP, the default) or
// of the session (PRESERVE). Its name begins with the prefix the server's
// PRIVATE_TEMP_TABLE_PREFIX gives (ORA$PTT_), else ORA-00903.
class CPrivateTable {
public:
    static constexpr std::string_view kPrefix = "ORA$PTT_";
    // The session's list of them, for USER_PRIVATE_TEMP_TABLES.
    static constexpr const char* kCreateList =
        "CREATE TEMP TABLE IF NOT EXISTS TARVEX_PRIVATE (TABLE_NAME VARCHAR2(128) PRIMARY KEY, DURATION "
        "VARCHAR2(11) NOT NULL)";

    struct Definition {
        bool found = false;
        std::string name;  // upper case unless quoted, CP932
        bool dropOnCommit = true;
        // The statement as a session table's: PRIVATE made GLOBAL and the ON
        // COMMIT clause blanked, every other byte where it was.
        std::string text;
    };
    struct Failure {
        int code = 0;
        std::size_t at = 0;
    };

    // False with `failure` set for a wrong name; true otherwise, with
    // `out.found` for such a statement.
    static bool Read(std::string_view sql, Definition& out, Failure& failure);
};

#pragma once

// The tables and views one statement names, read from its tree.
#include <string>
#include <string_view>
#include <vector>

class CStatementTables {
public:
    // The names `sql` reads or writes in its FROM lists, subqueries and DML
    // target (upper case unless quoted, CP932, each once, without their
    // schema); false when the statement does not parse.
    static bool Of(std::string_view sql, std::vector<std::string>& out);
};

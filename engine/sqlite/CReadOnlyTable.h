#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"

// What a READ ONLY table refuses of ALTER TABLE: the changes of its columns
// and of its rows (ADD, MODIFY, RENAME, DROP and SET UNUSED of a column;
// DROP, TRUNCATE and EXCHANGE of a partition). Its constraints, indexes,
// partition bounds, physical attributes and name may still change.
class CReadOnlyTable {
public:
    using Tokens = std::vector<CSqlScanner::Token>;

    // For ALTER TABLE whose action is token `action`: whether a READ ONLY
    // table refuses it (ORA-12081).
    static bool Refuses(std::string_view sql, const Tokens& tokens, std::size_t action);
};

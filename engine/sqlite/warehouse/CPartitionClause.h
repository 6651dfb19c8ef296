#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/warehouse/CPartitionScheme.h"

// The partitioning clause of CREATE TABLE (PARTITION BY RANGE | LIST | HASH
// (columns) ...) and the partition descriptions of ALTER TABLE, read from
// the statement's tokens: names, and each bound or listed value as the
// expression written, to be computed by the engine.
class CPartitionClause {
public:
    using Tokens = std::vector<CSqlScanner::Token>;

    struct Value {
        std::string text;  // CP932, as written
        std::size_t at = 0;
        bool maxValue = false;
    };
    struct Item {
        std::string name;  // upper case CP932; "" when the system names it
        std::size_t at = 0;
        std::vector<std::vector<Value>> tuples;
        bool isDefault = false;
    };
    struct Failure {
        std::size_t at = 0;
        int code = 900;
        std::string name;  // CP932
    };

    CPartitionScheme::Method method = CPartitionScheme::Method::Range;
    std::vector<std::string> columns;  // upper case CP932
    std::vector<std::size_t> columnsAt;
    std::vector<Item> items;
    bool rowMovement = false;
    // INTERVAL (expression) of a RANGE table, as written; empty for none.
    std::string interval;
    std::size_t intervalAt = 0;

    // The clause of CREATE TABLE `sql`; false with `found` unset when it
    // has none, false with `failure` set when it is wrong or refused.
    bool ReadCreate(std::string_view sql, bool& found, Failure& failure);
    // One partition description at token `k` (PARTITION [name] [VALUES ...]
    // [attributes]); `k` moves past it.
    bool ReadItem(std::string_view sql, const Tokens& tokens, std::size_t& k, Item& item,
                  Failure& failure) const;
    // The values of VALUES (...) or AT (...) at the bracket of token `k`; `k` moves past it.
    static bool ReadValues(std::string_view sql, const Tokens& tokens, std::size_t& k,
                           std::vector<std::vector<Value>>& tuples, bool& isDefault, Failure& failure);
    // CREATE TABLE name PARTITION BY ... AS query with the partitioning
    // clause blanked (the rows are made first, their partitions checked
    // after); any other text as it is.
    static std::string BlankBeforeQuery(const std::string& sql);
    // The name at token `k` (upper case unless quoted).
    static std::string Name(std::string_view sql, const CSqlScanner::Token& token);

private:
    bool ReadMethod(std::string_view sql, const Tokens& tokens, std::size_t& k, Failure& failure);
    bool ReadItems(std::string_view sql, const Tokens& tokens, std::size_t& k, Failure& failure);
    bool ReadInterval(std::string_view sql, const Tokens& tokens, std::size_t& k, Failure& failure);
};

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// ALTER TABLE ... SET UNUSED and DROP UNUSED COLUMNS. A column set unused
// is gone for every purpose, so it is dropped at once: SET UNUSED COLUMN c
// and SET UNUSED (c, ...) are written as the DROP COLUMN of the same
// columns, with its checks. With nothing ever left unused, DROP UNUSED
// COLUMNS and DROP COLUMNS CONTINUE have nothing to reclaim.
class CUnusedColumns {
public:
    enum class Kind {
        Other,    // a statement of another kind
        Dropped,  // SET UNUSED, written as DROP in `dropping`
        Nothing,  // DROP UNUSED COLUMNS | DROP COLUMNS CONTINUE
    };
    struct Statement {
        Kind kind = Kind::Other;
        std::string dropping;     // the statement as DROP, same length (positions hold)
        std::size_t table = 0;    // where the table's name starts
        std::string name;         // the table's name, as the catalog keeps it (CP932)
        std::size_t columns = 0;  // how many columns SET UNUSED names
    };

    static Statement Read(std::string_view sql);
};

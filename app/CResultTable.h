#pragma once

#include <functional>
#include <string>

// A query result as the console shows it (a heading line, a line of dashes
// under each column, the rows, up to a blank line), read back as
// tab-separated text for a spreadsheet: the headings, then one line per
// row, each cell without its padding.
class CResultTable {
public:
    // The text of console line `row`, "" past the end.
    using LineAt = std::function<std::string(int row)>;

    // The result that holds console line `row` (its heading, dashes or one
    // of its rows) among `count` lines, as tab-separated CP932 text with
    // "\n" between lines; "" when no result is there.
    static std::string CopyAt(const LineAt& lineAt, int count, int row);
};

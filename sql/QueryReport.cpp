#include "sql/QueryReport.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "oracle/ODynaset.h"
#include "oracle/OTypes.h"
#include "report/CReportWriter.h"

namespace {

// The most bytes one value is fetched with (the library's length limit).
constexpr int kMaxFetch = 65534;
// The most bytes a number's text takes: written out in full, the least
// NUMBER (1E-130) has a point and 130 digits.
constexpr int kNumberFetch = 136;
// The widest column.
constexpr int kMaxColumnWidth = 32767;

// Width of a column by its server type; kFieldSize: the column's size.
constexpr int kFieldSize = -1;
constexpr int kAtLeastDate = -2;
// Two hexadecimal digits for each byte of the field.
constexpr int kHexDigits = -3;
constexpr int kDateWidth = 8;

struct TypeWidth {
    int serverType;
    int width;
};

constexpr TypeWidth kTypeWidths[] = {
    {OTYPE_VARCHAR2, kFieldSize},
    {OTYPE_RAW, kHexDigits},
    {OTYPE_CHAR, kFieldSize},
    {OTYPE_NUMBER, 10},
    // Note: a DATE shows "RR-MM-DD"; a TIMESTAMP of the size of its text
    // shows all of it.
    {OTYPE_DATE, kAtLeastDate},
    {OTYPE_TIMESTAMP, kAtLeastDate},
    {OTYPE_TIMESTAMP_TZ, kAtLeastDate},
    {OTYPE_TIMESTAMP_LTZ, kAtLeastDate},
    {OTYPE_LONG, 80},
    {OTYPE_CLOB, 80},
    {OTYPE_BLOB, 80},
    {OTYPE_BFILE, 80},
    // Note: as wide as the text a cursor expression's cell shows.
    {OTYPE_CURSOR, 20},
};

constexpr int kLongTypes[] = {OTYPE_LONG, OTYPE_CLOB, OTYPE_BLOB, OTYPE_BFILE};

// Note: a type outside the table (ROWID, LONG RAW, ...) is as wide as its
// field when the library gives a size, else 10.
// A field size beyond the widest column is taken as that width.
int DefaultWidth(int serverType, long fieldSize) {
    const int size = static_cast<int>(std::clamp<long>(fieldSize, 0, kMaxColumnWidth));
    for (const auto& row : kTypeWidths)
        if (row.serverType == serverType)
            return row.width == kFieldSize     ? size
                   : row.width == kAtLeastDate ? std::max(size, kDateWidth)
                   : row.width == kHexDigits   ? std::min(2 * size, kMaxColumnWidth)
                                               : row.width;
    return size > 0 ? size : 10;
}

std::vector<ReportColumn> Describe(ODynaset& dynaset) {
    const int count = std::max(dynaset.GetFieldCount(), 0);
    std::vector<ReportColumn> columns(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        ReportColumn& column = columns[static_cast<std::size_t>(c)];
        const int type = dynaset.GetFieldServerType(c);
        column.name = dynaset.GetFieldName(c) ? dynaset.GetFieldName(c) : "";
        column.number = type == OTYPE_NUMBER || type == OTYPE_BINARY_FLOAT || type == OTYPE_BINARY_DOUBLE;
        column.isLong = std::find(std::begin(kLongTypes), std::end(kLongTypes), type) != std::end(kLongTypes);
        column.isDate = type == OTYPE_DATE || type == OTYPE_TIMESTAMP || type == OTYPE_TIMESTAMP_TZ ||
                        type == OTYPE_TIMESTAMP_LTZ;
        column.width = DefaultWidth(type, dynaset.GetFieldSize(c));
    }
    return columns;
}

}  // namespace

namespace queryreport {

long LayOut(ODynaset& dynaset, CReportWriter& writer, CScriptLines& output,
            const std::function<void(CScriptLines&)>& afterRow) {
    const std::vector<ReportColumn> columns = Describe(dynaset);
    writer.Begin(columns, output);
    // Note: each column has a buffer of its own, sized once, so a row's
    // values stand side by side without a copy.
    std::vector<std::vector<char>> buffers(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int whole = columns[c].number ? kNumberFetch : kMaxFetch;
        buffers[c].resize(static_cast<std::size_t>(
                              std::clamp(writer.FetchBytes(static_cast<int>(c), whole), 0, kMaxFetch)) +
                          1);
    }
    std::vector<std::string_view> values(columns.size());
    while (!dynaset.IsEOF()) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::vector<char>& buffer = buffers[c];
            buffer[0] = '\0';
            dynaset.GetFieldValue(static_cast<int>(c), buffer.data(),
                                  static_cast<unsigned short>(buffer.size()));
            buffer.back() = '\0';
            values[c] = std::string_view(buffer.data());
        }
        writer.Row(values, output);
        if (afterRow) afterRow(output);
        // Note: a move that fails without reaching the end would repeat the
        // same row for ever; the rows shown so far stand.
        if (dynaset.MoveNext(true) != OSUCCESS) break;
    }
    writer.End(output);
    return writer.RowCount();
}

}  // namespace queryreport

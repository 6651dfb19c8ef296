#include <algorithm>
#include <cstring>
#include <vector>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"

namespace {

// Width of a column by its server type; kFieldSize: the column's size.
constexpr int kFieldSize = -1;

struct TypeWidth {
    int serverType;
    int width;
};

constexpr TypeWidth kTypeWidths[] = {
    {OTYPE_VARCHAR2, kFieldSize},
    {OTYPE_RAW, kFieldSize},
    {OTYPE_CHAR, kFieldSize},
    {OTYPE_NUMBER, 10},
    {OTYPE_DATE, 8},
    {OTYPE_LONG, 80},
    {OTYPE_CLOB, 80},
    {OTYPE_BLOB, 80},
    {OTYPE_BFILE, 80},
};

// Note: a type outside the table (ROWID, LONG RAW, ...) is as wide as its
// field when the library gives a size, else 10.
// A field size beyond the widest column is taken as that width.
int DefaultWidth(int serverType, long fieldSize) {
    const int size = static_cast<int>(std::clamp<long>(fieldSize, 0, tables::kMaxColumnWidth));
    for (const auto& row : kTypeWidths)
        if (row.serverType == serverType) return row.width == kFieldSize ? size : row.width;
    return size > 0 ? size : 10;
}

// The first `width` bytes of `text`, blank-padded, then the separating blank.
void AppendCell(std::string& line, const char* text, int width) {
    const std::size_t size = std::strlen(text);
    for (int k = 0; k < width; ++k) line += static_cast<std::size_t>(k) < size ? text[k] : ' ';
    line += ' ';
}

}  // namespace

CScriptLines& CSQLProcessor::RunQuery(const std::string& text, CScriptLines& output) {
    if (m_database == nullptr) {
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    ODynaset dynaset;
    if (dynaset.Open(*m_database, text.c_str(), 0, nullptr) != OSUCCESS) return AppendServerError(output);
    return AppendRows(dynaset, output);
}

CScriptLines& CSQLProcessor::AppendRows(ODynaset& dynaset, CScriptLines& output) {
    CScriptLines lines{""};
    const int columns = std::max(dynaset.GetFieldCount(), 0);
    std::vector<int> widths(static_cast<std::size_t>(columns));
    std::string heading;
    std::string underline;
    for (int c = 0; c < columns; ++c) {
        const char* name = dynaset.GetFieldName(c) ? dynaset.GetFieldName(c) : "";
        int width = DefaultWidth(dynaset.GetFieldServerType(c), dynaset.GetFieldSize(c));
        try {
            width = textparse::ParseLeadingInt(m_columnFormats.Lookup(name));
        } catch (const CHashTableException&) {
        }
        widths[static_cast<std::size_t>(c)] = width;
        AppendCell(heading, name, width);
        underline.append(static_cast<std::size_t>(std::max(width, 0)), '-');
        underline += ' ';
    }
    try {
        if (m_settings.Lookup("HEADING") == "ON") {
            lines.push_back(heading);
            lines.push_back(underline);
        }
    } catch (const CHashTableException&) {
    }
    std::vector<char> buffer;
    while (!dynaset.IsEOF()) {
        std::string row;
        for (int c = 0; c < columns; ++c) {
            // Note: the value is read as wide as its column (100 bytes at
            // least), so that long values show up to the column's width.
            const int width = widths[static_cast<std::size_t>(c)];
            buffer.assign(static_cast<std::size_t>(std::max(width + 1, 100)), '\0');
            dynaset.GetFieldValue(c, buffer.data(), static_cast<unsigned short>(buffer.size()));
            buffer.back() = '\0';
            AppendCell(row, buffer.data(), width);
        }
        lines.push_back(row);
        // Note: a move that fails without reaching the end would repeat the
        // same row for ever; the rows shown so far stand.
        if (dynaset.MoveNext(true) != OSUCCESS) break;
    }
    // Note: a failure while rows arrive (a cancel, a lost connection) follows
    // the rows shown so far instead of a count that would claim success.
    if (dynaset.FetchFailed()) {
        output.Append(lines);
        return AppendServerError(output);
    }
    lines.push_back("");
    lines.push_back(FormatCount(MessageText(Message::RowsSelected), dynaset.GetRecordCount()));
    lines.push_back("");
    output.Append(lines);
    return output;
}

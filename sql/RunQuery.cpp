#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "commands/CColumnCommand.h"
#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "text/CompactLine.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// The most bytes one value is fetched with (the library's length limit).
constexpr int kMaxFetch = 65534;

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
    // Note: as wide as the text a cursor expression's cell shows.
    {OTYPE_CURSOR, 20},
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

// The first `width` bytes of `text`, blank-padded, then the separating
// blank; the padding compact when asked (see CompactLine).
// Note: a double-byte character that would be cut at the width is left
// out whole (a blank takes its place).
void AppendCell(std::string& line, std::string_view text, int width, bool compact) {
    const std::size_t room = static_cast<std::size_t>(std::max(width, 0));
    // A value within the width is whole (no character reaches past the end).
    std::size_t length = text.size() <= room ? text.size() : 0;
    while (length < text.size()) {
        const std::size_t next = length + cp932::CharLength(text, length);
        if (next > room) break;
        length = next;
    }
    if (!compact) {
        line.append(text.substr(0, length));
        line.append(room - length + 1, ' ');
        return;
    }
    compactline::AppendText(line, text.substr(0, length));
    compactline::AppendBlanks(line, room - length + 1);
}

constexpr const char* kOutOfMemory =
    "ORA-04030: メモリーが不足しているため、問い合わせの結果を表示できません。";

}  // namespace

CScriptLines& CSQLProcessor::RunQuery(const std::string& text, CScriptLines& output) {
    if (Database() == nullptr) {
        output.push_back(MessageText(Message::NoDatabase));
        return output;
    }
    ODynaset dynaset;
    if (dynaset.Open(*Database(), text.c_str(), 0, nullptr) != OSUCCESS) {
        NoteSqlFailure();
        return AppendServerError(output);
    }
    return AppendRows(dynaset, output);
}

// Note: a cursor expression's rows follow the row that holds it, laid out
// as a query result of their own (as PRINT shows a REFCURSOR).
void CSQLProcessor::AppendNestedResults(const ODynaset& dynaset, CScriptLines& output) {
    for (int c = 0; c < dynaset.GetFieldCount(); ++c) {
        if (dynaset.GetFieldServerType(c) != OTYPE_CURSOR) continue;
        ODynaset nested;
        if (nested.OpenNested(*Database(), dynaset, c) == OSUCCESS) LayOutRows(nested, output);
    }
}

CScriptLines& CSQLProcessor::AppendRows(ODynaset& dynaset, CScriptLines& output) {
    const std::size_t first = output.size();
    try {
        LayOutRows(dynaset, output);
    } catch (const std::bad_alloc&) {
        NoteSqlFailure();
        // Note: a query changes nothing, so nothing is rolled back; the rows
        // laid out so far are dropped to give their memory back.
        output.erase(output.begin() + static_cast<std::ptrdiff_t>(first), output.end());
        output.shrink_to_fit();
        output.push_back(encoding::Utf8ToCp932(kOutOfMemory));
        return output;
    }
    if (m_compactOutput) {
        for (std::size_t k = 0; k < first; ++k) output[k] = compactline::Encode(output[k]);
        m_outputCompacted = true;
    }
    return output;
}

void CSQLProcessor::LayOutRows(ODynaset& dynaset, CScriptLines& output) {
    const bool compact = m_compactOutput;
    const CHashTable& columnFormats = Command<CColumnCommand>().GetColumnFormats();
    output.emplace_back();
    const int columns = std::max(dynaset.GetFieldCount(), 0);
    std::vector<int> widths(static_cast<std::size_t>(columns));
    std::string heading;
    std::string underline;
    for (int c = 0; c < columns; ++c) {
        const char* name = dynaset.GetFieldName(c) ? dynaset.GetFieldName(c) : "";
        int width = DefaultWidth(dynaset.GetFieldServerType(c), dynaset.GetFieldSize(c));
        try {
            width = textparse::ParseLeadingInt(columnFormats.Lookup(name));
        } catch (const CHashTableException&) {
        }
        widths[static_cast<std::size_t>(c)] = width;
        AppendCell(heading, name, width, compact);
        underline.append(static_cast<std::size_t>(std::max(width, 0)), '-');
        underline += ' ';
    }
    try {
        if (m_context.GetSettings().Lookup("HEADING") == "ON") {
            output.push_back(std::move(heading));
            output.push_back(std::move(underline));
        }
    } catch (const CHashTableException&) {
    }
    // Note: each value is fetched whole up to its column's width (the
    // library never splits a double-byte character), so nothing a cell can
    // show is lost to a fixed buffer.
    std::vector<char> buffer;
    // Note: each line is built in one reused buffer and kept in a copy of
    // its exact size, so the console holds no slack of a growing string.
    std::string row;
    while (!dynaset.IsEOF()) {
        row.clear();
        for (int c = 0; c < columns; ++c) {
            const int width = widths[static_cast<std::size_t>(c)];
            const std::size_t room = static_cast<std::size_t>(std::clamp(width, 0, kMaxFetch)) + 1;
            if (buffer.size() < room) buffer.resize(room);
            buffer[0] = '\0';
            dynaset.GetFieldValue(c, buffer.data(), static_cast<unsigned short>(room));
            buffer[room - 1] = '\0';
            AppendCell(row, buffer.data(), width, compact);
        }
        output.emplace_back(row);
        AppendNestedResults(dynaset, output);
        // Note: a move that fails without reaching the end would repeat the
        // same row for ever; the rows shown so far stand.
        if (dynaset.MoveNext(true) != OSUCCESS) break;
    }
    // Note: a failure while rows arrive (a cancel, a lost connection) follows
    // the rows shown so far instead of a count that would claim success.
    if (dynaset.FetchFailed()) {
        NoteSqlFailure();
        AppendServerError(output);
        return;
    }
    output.emplace_back();
    if (IsFeedbackOn()) {
        output.push_back(FormatCount(MessageText(Message::RowsSelected), dynaset.GetRecordCount()));
        output.emplace_back();
    }
    // Note: said even with FEEDBACK OFF, so that nobody writes such a value
    // back believing it whole.
    if (const std::size_t replaced = dynaset.GetReplacedCount(); replaced > 0) {
        output.push_back(FormatCount(MessageText(Message::ReplacedCharacters), static_cast<long>(replaced)));
        output.emplace_back();
    }
}

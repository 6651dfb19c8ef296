#include "report/CReportWriter.h"

#include <algorithm>
#include <utility>

#include "text/CompactLine.h"
#include "text/Cp932.h"
#include "text/NumberFit.h"

namespace {

using reporttext::Align;
using Fold = CColumnSettings::Fold;

constexpr int kReportSlot = -1;
constexpr int kRowSlot = -2;
constexpr int kMissing = -3;

Align FromJustify(CColumnSettings::Justify justify, Align otherwise) {
    switch (justify) {
        case CColumnSettings::Justify::Left:
            return Align::Left;
        case CColumnSettings::Justify::Center:
            return Align::Center;
        case CColumnSettings::Justify::Right:
            return Align::Right;
        case CColumnSettings::Justify::Default:
            break;
    }
    return otherwise;
}

std::vector<std::string> SplitHeading(const std::string& text, char separator) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); at += at < text.size() ? cp932::CharLength(text, at) : 1) {
        if (at < text.size() && (separator == '\0' || text[at] != separator)) continue;
        lines.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    return lines;
}

}  // namespace

struct CReportWriter::Column {
    std::string name;
    std::string alias;
    bool number = false;
    bool print = true;
    int width = 0;
    Align valueAlign = Align::Left;
    Align headingAlign = Align::Left;
    const CNumberFormat* format = nullptr;
    Fold fold = Fold::Truncated;
    std::string nullText;
    std::vector<std::string> heading;
    // The break slot this column breaks on with NODUPLICATES; -1: none.
    int noDuplicatesSlot = -1;
    // The whole value is read: broken on, computed or kept in a variable.
    bool whole = false;
    // The column grows to its first value (a date with no width of its own).
    bool fitsFirstValue = false;
};

struct CReportWriter::BreakSlot {
    const CBreakSet::Break* rule;
    int column;
    std::string previous;
};

struct CReportWriter::ComputeEntry {
    const CBreakSet::Compute* rule;
    int slot;
    std::vector<int> of;
    std::vector<CAggregate> figures;
};

CReportWriter::CReportWriter(const CReportSettings& settings, const CColumnTable& columns,
                             const CBreakSet& breaks, const CTitle& top, const CTitle& bottom)
    : m_settings(settings), m_columnTable(columns), m_breakSet(breaks), m_top(top), m_bottom(bottom) {
    m_liveVariables = [this](const std::string& name, std::string& value) {
        const std::string key = cp932::ToUpperAscii(name);
        for (std::size_t k = 0; k < m_variables.size(); ++k)
            if (m_variableSet[k] && m_variables[k].first == key) return value = m_variables[k].second, true;
        return m_titleVariables && m_titleVariables(name, value);
    };
}

const CTitle::Variables* CReportWriter::TitleVariables() const {
    return m_variables.empty() && !m_titleVariables ? nullptr : &m_liveVariables;
}

void CReportWriter::TakeVariables(const std::vector<std::string_view>& values, bool old) {
    for (std::size_t k = 0; k < m_variables.size(); ++k) {
        if (m_variableOld[k] != old) continue;
        m_variables[k].second.assign(values[static_cast<std::size_t>(m_variableColumns[k])]);
        m_variableSet[k] = true;
    }
}

CReportWriter::~CReportWriter() = default;

int CReportWriter::FindColumn(const std::string& name) const {
    const std::string key = cp932::ToUpperAscii(name);
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (cp932::ToUpperAscii(m_columns[c].name) == key || m_columns[c].alias == key)
            return static_cast<int>(c);
    return kMissing;
}

void CReportWriter::SetUpColumn(const ReportColumn& source, const CColumnSettings* s, Column& column) const {
    column.name = source.name;
    column.number = source.number;
    column.print = s == nullptr || !s->noPrint;
    if (s != nullptr) column.alias = s->alias;
    column.heading =
        s != nullptr && s->heading ? SplitHeading(*s->heading, m_settings.headSep) : std::vector{source.name};
    // Note: a column's own format wins over NUMFORMAT, an An format too.
    const bool ownTextWidth = s != nullptr && s->textWidth > 0;
    if (source.number && s != nullptr && s->number)
        column.format = &*s->number;
    else if (source.number && !ownTextWidth && m_numFormat)
        column.format = &*m_numFormat;
    std::size_t headingWidth = 0;
    for (const auto& line : column.heading) headingWidth = std::max(headingWidth, line.size());
    if (column.format != nullptr)
        column.width = std::max(column.format->Width(), static_cast<int>(headingWidth));
    else if (ownTextWidth)
        column.width = s->textWidth;
    else if (source.number)
        column.width = m_settings.numWidth;
    else
        column.width =
            source.isLong
                ? std::min({m_settings.longWidth, m_settings.longChunk, CReportSettings::kMaxLongColumn})
                : source.width;
    column.width = std::max(column.width, 0);
    column.fitsFirstValue = source.isDate && !ownTextWidth;
    column.valueAlign = column.format != nullptr ? Align::Right : Align::Left;
    column.headingAlign =
        FromJustify(s != nullptr ? s->justify : CColumnSettings::Justify::Default, column.valueAlign);
    column.fold = s != nullptr && s->fold != Fold::Default
                      ? s->fold
                      : (m_settings.wrap ? Fold::Wrapped : Fold::Truncated);
    column.nullText = s != nullptr && s->nullText ? *s->nullText : m_settings.nullText;
}

void CReportWriter::SetUpColumns(const std::vector<ReportColumn>& columns) {
    if (!m_settings.numFormat.empty()) {
        CNumberFormat format;
        std::string error;
        if (CNumberFormat::Parse(m_settings.numFormat, format, error)) m_numFormat = format;
    }
    m_columns.clear();
    m_columns.resize(columns.size());
    m_lineWidth = 0;
    m_headingLines = 1;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        Column& column = m_columns[c];
        const CColumnSettings* s = m_columnTable.Find(columns[c].name);
        SetUpColumn(columns[c], s, column);
        for (const std::string* variable :
             {s != nullptr ? &s->newValue : nullptr, s != nullptr ? &s->oldValue : nullptr}) {
            if (variable == nullptr || variable->empty()) continue;
            m_variableColumns.push_back(static_cast<int>(c));
            m_variableOld.push_back(variable == &s->oldValue);
            m_variableSet.push_back(false);
            column.whole = true;
            m_variables.emplace_back(*variable, std::string());
        }
        if (!column.print) continue;
        if (!m_printed.empty()) m_lineWidth += static_cast<int>(m_settings.colSep.size());
        m_lineWidth += column.width;
        m_printed.push_back(static_cast<int>(c));
        m_headingLines = std::max(m_headingLines, static_cast<int>(column.heading.size()));
    }
    if (m_settings.lineSize > 0) m_lineWidth = m_settings.lineSize;
    m_cells.assign(m_printed.size(), std::string());
    m_shown.assign(m_printed.size(), std::string_view());
}

// Note: a date's text is as long as the session's date format makes it
// (ALTER SESSION SET NLS_DATE_FORMAT); the first value tells how long.
void CReportWriter::FitFirstValues(const std::vector<std::string_view>& values) {
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        Column& column = m_columns[static_cast<std::size_t>(m_printed[i])];
        const int length = static_cast<int>(values[static_cast<std::size_t>(m_printed[i])].size());
        if (!column.fitsFirstValue || length <= column.width) continue;
        if (m_settings.lineSize <= 0) m_lineWidth += length - column.width;
        column.width = length;
    }
}

void CReportWriter::SetUpBreaks() {
    m_breaks.clear();
    m_computes.clear();
    for (const auto& rule : m_breakSet.Breaks()) {
        const int column = rule.column == "REPORT"
                               ? kReportSlot
                               : (rule.column == "ROW" ? kRowSlot : FindColumn(rule.column));
        if (column == kMissing) continue;
        if (column >= 0) m_columns[static_cast<std::size_t>(column)].whole = true;
        if (column >= 0 && rule.noDuplicates)
            m_columns[static_cast<std::size_t>(column)].noDuplicatesSlot = static_cast<int>(m_breaks.size());
        m_breaks.push_back({&rule, column, {}});
    }
    for (const auto& compute : m_breakSet.Computes()) {
        int slot = -1;
        for (std::size_t s = 0; s < m_breaks.size() && slot < 0; ++s) {
            const int column = m_breaks[s].column;
            if ((compute.on == "REPORT" && column == kReportSlot) ||
                (compute.on == "ROW" && column == kRowSlot) ||
                (column >= 0 && column == FindColumn(compute.on)))
                slot = static_cast<int>(s);
        }
        // Note: a compute on the report needs no BREAK ON REPORT of its own.
        if (slot < 0 && compute.on == "REPORT") {
            static const CBreakSet::Break kReport{"REPORT", 0, false, true};
            slot = static_cast<int>(m_breaks.size());
            m_breaks.push_back({&kReport, kReportSlot, {}});
        }
        if (slot < 0) continue;
        ComputeEntry entry{&compute, slot, {}, {}};
        for (const auto& name : compute.of) {
            const int column = FindColumn(name);
            if (column < 0) continue;
            entry.of.push_back(column);
            m_columns[static_cast<std::size_t>(column)].whole = true;
        }
        if (entry.of.empty()) continue;
        entry.figures.resize(entry.of.size());
        for (auto& figure : entry.figures)
            for (const auto& function : compute.functions) figure.Want(function.function);
        m_computes.push_back(std::move(entry));
    }
}

int CReportWriter::FetchBytes(int c, int whole) const {
    const Column& column = m_columns[static_cast<std::size_t>(c)];
    if (column.number || column.whole || column.fitsFirstValue || m_settings.csv ||
        column.fold != Fold::Truncated)
        return whole;
    return std::min(column.width, whole);
}

void CReportWriter::Begin(const std::vector<ReportColumn>& columns, CScriptLines& out) {
    SetUpColumns(columns);
    SetUpBreaks();
    if (m_settings.csv) {
        if (!m_settings.heading) return;
        m_line.clear();
        for (std::size_t i = 0; i < m_printed.size(); ++i) {
            const std::string& name = m_columns[static_cast<std::size_t>(m_printed[i])].name;
            if (i > 0) m_line += m_settings.csvDelimiter;
            m_line += m_settings.csvQuote ? "\"" + name + "\"" : name;
        }
        Emit(m_line, out);
        return;
    }
    m_firstPagePending = true;
}

void CReportWriter::Emit(std::string& line, CScriptLines& out) {
    if (m_settings.trimOut) {
        const std::size_t end = line.find_last_not_of(' ');
        line.resize(end == std::string::npos ? 0 : end + 1);
    }
    auto push = [&](std::string_view piece) {
        if (m_compact) {
            m_encoded.clear();
            compactline::AppendText(m_encoded, piece);
            piece = m_encoded;
        }
        out.emplace_back(piece);
        ++m_used;
    };
    const std::size_t limit = static_cast<std::size_t>(m_settings.lineSize);
    if (m_settings.lineSize <= 0 || line.size() <= limit) return push(line);
    std::string_view rest = line;
    while (!rest.empty()) {
        std::size_t length = reporttext::FitBytes(rest, limit);
        if (length == 0) length = cp932::CharLength(rest, 0);
        push(rest.substr(0, length));
        rest.remove_prefix(length);
    }
}

void CReportWriter::EmitBlank(CScriptLines& out) {
    m_line.clear();
    Emit(m_line, out);
}

void CReportWriter::EmitHeadings(CScriptLines& out) {
    if (!m_settings.heading) return;
    for (int l = 0; l < m_headingLines; ++l) {
        m_line.clear();
        for (std::size_t i = 0; i < m_printed.size(); ++i) {
            const Column& column = m_columns[static_cast<std::size_t>(m_printed[i])];
            if (i > 0) m_line += m_settings.colSep;
            // Note: both branches are views; a std::string branch would
            // make the view point into a temporary copy.
            const std::string_view text = static_cast<std::size_t>(l) < column.heading.size()
                                              ? std::string_view(column.heading[static_cast<std::size_t>(l)])
                                              : std::string_view();
            reporttext::AppendAligned(m_line, text, static_cast<std::size_t>(column.width),
                                      column.headingAlign);
        }
        m_line += ' ';
        Emit(m_line, out);
    }
    if (m_settings.underline == '\0') return;
    m_line.clear();
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        if (i > 0) m_line += m_settings.colSep;
        m_line.append(static_cast<std::size_t>(m_columns[static_cast<std::size_t>(m_printed[i])].width),
                      m_settings.underline);
    }
    m_line += ' ';
    Emit(m_line, out);
}

void CReportWriter::BeginPage(CScriptLines& out) {
    ++m_page;
    m_used = 0;
    m_pageOpen = true;
    m_firstRowOnPage = true;
    if (m_settings.pageSize == 0) return;
    for (int k = 0; k < m_settings.newPage; ++k) EmitBlank(out);
    EmitTitle(&m_top, out);
    if (m_page == 1) EmitTitle(m_reportHeader, out);
    EmitHeadings(out);
}

void CReportWriter::EmitTitle(const CTitle* title, CScriptLines& out) {
    if (title == nullptr || !title->IsOn()) return;
    for (auto& line : title->Render(m_page, m_lineWidth, TitleVariables())) Emit(line, out);
}

void CReportWriter::EndPage(CScriptLines& out) {
    if (!m_pageOpen) return;
    m_pageOpen = false;
    if (m_settings.pageSize == 0 || !m_bottom.IsOn()) return;
    if (Paged()) {
        const int room = m_settings.pageSize - m_bottom.LineCount();
        while (m_used < room) EmitBlank(out);
    }
    for (auto& line : m_bottom.Render(m_page, m_lineWidth, TitleVariables())) Emit(line, out);
}

void CReportWriter::MakeRoom(int lines, CScriptLines& out) {
    if (!Paged() || !m_pageOpen || m_firstRowOnPage) return;
    if (m_used + lines <= m_settings.pageSize - m_bottom.LineCount()) return;
    EndPage(out);
    BeginPage(out);
}

std::string_view CReportWriter::CellText(int c, std::string_view value, std::string& scratch) {
    const Column& column = m_columns[static_cast<std::size_t>(c)];
    if (value.empty()) return column.nullText;
    if (!column.number) return value;
    if (column.format != nullptr) {
        if (!CDecimal::Parse(value, m_decimal)) return value;
        column.format->Format(m_decimal, scratch);
        return scratch;
    }
    if (static_cast<int>(value.size()) <= column.width) return value;
    scratch = numberfit::Fit(value, column.width);
    return scratch;
}

void CReportWriter::EmitRow(const std::vector<std::string_view>& values, int brokenFrom, CScriptLines& out) {
    bool folded = false;
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        const int c = m_printed[i];
        const Column& column = m_columns[static_cast<std::size_t>(c)];
        m_shown[i] = CellText(c, values[static_cast<std::size_t>(c)], m_cells[i]);
        folded = folded || (!column.number && column.fold != Fold::Truncated &&
                            static_cast<int>(m_shown[i].size()) > column.width);
    }
    int lines = 1;
    std::vector<std::vector<std::string_view>> pieces;
    if (folded) {
        pieces.resize(m_printed.size());
        for (std::size_t i = 0; i < m_printed.size(); ++i) {
            const Column& column = m_columns[static_cast<std::size_t>(m_printed[i])];
            if (column.number || column.fold == Fold::Truncated)
                pieces[i] = {m_shown[i]};
            else
                pieces[i] = reporttext::Wrap(m_shown[i], static_cast<std::size_t>(column.width),
                                             column.fold == Fold::WordWrapped);
            lines = std::max(lines, static_cast<int>(pieces[i].size()));
        }
    }
    // Note: a break value repeated is left out, except on the first row of
    // a page (known only once the row has its room).
    MakeRoom(lines, out);
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        const int slot = m_columns[static_cast<std::size_t>(m_printed[i])].noDuplicatesSlot;
        if (slot < 0 || m_rows == 0 || m_firstRowOnPage || (brokenFrom >= 0 && slot >= brokenFrom)) continue;
        m_shown[i] = {};
        if (folded) pieces[i] = {std::string_view()};
    }
    for (int l = 0; l < lines; ++l) {
        m_line.clear();
        for (std::size_t i = 0; i < m_printed.size(); ++i) {
            const Column& column = m_columns[static_cast<std::size_t>(m_printed[i])];
            if (i > 0) m_line += m_settings.colSep;
            std::string_view text = m_shown[i];
            if (folded)
                text = static_cast<std::size_t>(l) < pieces[i].size() ? pieces[i][static_cast<std::size_t>(l)]
                                                                      : "";
            reporttext::AppendAligned(m_line, text, static_cast<std::size_t>(column.width),
                                      column.valueAlign);
        }
        m_line += ' ';
        Emit(m_line, out);
    }
    m_firstRowOnPage = false;
}

void CReportWriter::EmitCsvRow(const std::vector<std::string_view>& values, CScriptLines& out) {
    m_line.clear();
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        const auto c = static_cast<std::size_t>(m_printed[i]);
        if (i > 0) m_line += m_settings.csvDelimiter;
        const std::string_view value = values[c];
        if (value.empty() || m_columns[c].number || !m_settings.csvQuote) {
            m_line += value;
            continue;
        }
        m_line += '"';
        for (char ch : value) {
            m_line += ch;
            if (ch == '"') m_line += '"';
        }
        m_line += '"';
    }
    Emit(m_line, out);
}

void CReportWriter::EmitComputes(int slot, CScriptLines& out) {
    int count = 0;
    for (const auto& entry : m_computes)
        if (entry.slot == slot) count += static_cast<int>(entry.rule->functions.size());
    if (count == 0) return;
    const int breakColumn = m_breaks[static_cast<std::size_t>(slot)].column;
    const bool breakShown =
        breakColumn >= 0 && std::find(m_printed.begin(), m_printed.end(), breakColumn) != m_printed.end();
    const int labelColumn = breakShown ? breakColumn : (m_printed.empty() ? -1 : m_printed.front());
    MakeRoom(count + 1, out);
    const char rule = m_settings.underline == '\0' ? '-' : m_settings.underline;
    m_line.clear();
    for (std::size_t i = 0; i < m_printed.size(); ++i) {
        const int c = m_printed[i];
        if (i > 0) m_line += m_settings.colSep;
        char mark = ' ';
        if (breakShown && c == breakColumn) mark = '*';
        for (const auto& entry : m_computes)
            if (entry.slot == slot && std::find(entry.of.begin(), entry.of.end(), c) != entry.of.end())
                mark = rule;
        m_line.append(static_cast<std::size_t>(m_columns[static_cast<std::size_t>(c)].width), mark);
    }
    m_line += ' ';
    Emit(m_line, out);
    std::string scratch;
    for (auto& entry : m_computes) {
        if (entry.slot != slot) continue;
        for (const auto& function : entry.rule->functions) {
            m_line.clear();
            for (std::size_t i = 0; i < m_printed.size(); ++i) {
                const int c = m_printed[i];
                const Column& column = m_columns[static_cast<std::size_t>(c)];
                if (i > 0) m_line += m_settings.colSep;
                const auto of = std::find(entry.of.begin(), entry.of.end(), c);
                std::string result;
                std::string_view text;
                Align align = Align::Left;
                if (of != entry.of.end()) {
                    result = entry.figures[static_cast<std::size_t>(of - entry.of.begin())].Result(
                        function.function);
                    text = result.empty() ? std::string_view() : CellText(c, result, scratch);
                    // Note: a count is a number, right-aligned under a text
                    // column too.
                    const bool counted = function.function == CBreakSet::Function::Count ||
                                         function.function == CBreakSet::Function::Number;
                    align = counted && !column.number ? Align::Right : column.valueAlign;
                } else if (c == labelColumn) {
                    text = function.label;
                }
                reporttext::AppendAligned(m_line, text, static_cast<std::size_t>(column.width), align);
            }
            m_line += ' ';
            Emit(m_line, out);
        }
        for (auto& figure : entry.figures) figure.Reset();
    }
}

void CReportWriter::Row(const std::vector<std::string_view>& values, CScriptLines& out) {
    if (m_settings.csv) {
        EmitCsvRow(values, out);
        TakeVariables(values, false);
        TakeVariables(values, true);
        ++m_rows;
        return;
    }
    TakeVariables(values, false);
    if (std::exchange(m_firstPagePending, false)) {
        FitFirstValues(values);
        BeginPage(out);
    }
    int brokenFrom = -1;
    if (m_rows > 0) {
        for (std::size_t s = 0; s < m_breaks.size() && brokenFrom < 0; ++s) {
            const BreakSlot& slot = m_breaks[s];
            if (slot.column == kRowSlot ||
                (slot.column >= 0 && values[static_cast<std::size_t>(slot.column)] != slot.previous))
                brokenFrom = static_cast<int>(s);
        }
    }
    if (brokenFrom >= 0) {
        bool page = false;
        int skip = 0;
        for (int s = static_cast<int>(m_breaks.size()) - 1; s >= brokenFrom; --s) {
            const BreakSlot& slot = m_breaks[static_cast<std::size_t>(s)];
            if (slot.column == kReportSlot) continue;
            EmitComputes(s, out);
            page = page || slot.rule->skipPage;
            skip = std::max(skip, slot.rule->skip);
        }
        if (page && m_settings.pageSize != 0) {
            EndPage(out);
            BeginPage(out);
        } else if (skip > 0) {
            MakeRoom(skip + 1, out);
            if (!m_firstRowOnPage)
                for (int k = 0; k < skip; ++k) EmitBlank(out);
        }
    }
    for (auto& entry : m_computes)
        for (std::size_t k = 0; k < entry.of.size(); ++k) {
            const auto c = static_cast<std::size_t>(entry.of[k]);
            entry.figures[k].Add(values[c], m_columns[c].number);
        }
    EmitRow(values, brokenFrom, out);
    for (auto& slot : m_breaks)
        if (slot.column >= 0) slot.previous.assign(values[static_cast<std::size_t>(slot.column)]);
    TakeVariables(values, true);
    ++m_rows;
}

void CReportWriter::End(CScriptLines& out) {
    if (m_settings.csv) return;
    if (std::exchange(m_firstPagePending, false)) BeginPage(out);
    if (m_rows > 0) {
        for (int s = static_cast<int>(m_breaks.size()) - 1; s >= 0; --s)
            if (m_breaks[static_cast<std::size_t>(s)].column != kReportSlot) EmitComputes(s, out);
        for (std::size_t s = 0; s < m_breaks.size(); ++s)
            if (m_breaks[s].column == kReportSlot) EmitComputes(static_cast<int>(s), out);
    }
    if (m_settings.pageSize != 0 && m_reportFooter != nullptr && m_reportFooter->IsOn()) {
        MakeRoom(m_reportFooter->LineCount(), out);
        EmitTitle(m_reportFooter, out);
    }
    EndPage(out);
}

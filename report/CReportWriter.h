#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/CAggregate.h"
#include "report/CBreakSet.h"
#include "report/CColumnTable.h"
#include "report/CReportSettings.h"
#include "report/CTitle.h"
#include "report/ReportText.h"
#include "text/CScriptLines.h"

// A column of a query result as the database describes it.
struct ReportColumn {
    std::string name;
    bool number = false;
    // LONG and LOB columns: as wide as SET LONG says.
    bool isLong = false;
    // The width by the column's type.
    int width = 0;
    // DATE columns: their text follows the session's date format, so the
    // column grows to the first value when that is wider.
    bool isDate = false;
};

// Lays a query result out as report lines: rows -> column settings
// (format, heading, justification, null text, folding, NOPRINT) -> breaks
// and computes -> pages (titles, headings repeated) -> lines (COLSEP,
// LINESIZE, TRIMOUT, CSV). Fed one row at a time; knows no database.
class CReportWriter {
public:
    CReportWriter(const CReportSettings& settings, const CColumnTable& columns, const CBreakSet& breaks,
                  const CTitle& top, const CTitle& bottom);
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    // Where the titles find the values of substitution variables.
    void SetVariables(CTitle::Variables variables) { m_titleVariables = std::move(variables); }
    // The titles of the whole result: the header on its first page after
    // the top title, the footer after the last computes (null: none).
    void SetReportTitles(const CTitle* header, const CTitle* footer) {
        m_reportHeader = header;
        m_reportFooter = footer;
    }
    // ON: the lines go out in the compact form of CompactLine.
    void SetCompact(bool on) { m_compact = on; }
    // Sets the layout up for these columns. The first page's top (titles,
    // headings) comes with the first row, so that a title shows that row's
    // NEW_VALUE, or with End when there is none.
    void Begin(const std::vector<ReportColumn>& columns, CScriptLines& out);
    // One row: a value per column, "" for NULL.
    void Row(const std::vector<std::string_view>& values, CScriptLines& out);
    // The last computes and the bottom title.
    void End(CScriptLines& out);
    long RowCount() const { return m_rows; }
    // How many bytes of a value of column `c` the layout can use (after
    // Begin): a text cut at its width needs no more than the width; a
    // number, a folded text, or one that breaks, is computed or kept in a
    // variable needs all of it (`whole`).
    int FetchBytes(int c, int whole) const;
    // The NEW_VALUE and OLD_VALUE variables with the last row's values.
    // While rows arrive, titles see a NEW_VALUE variable with the value of
    // the row being laid out, and an OLD_VALUE one with the row before it
    // (a bottom title ends its page with the page's last value).
    const std::vector<std::pair<std::string, std::string>>& Variables() const { return m_variables; }

private:
    struct Column;
    struct BreakSlot;
    struct ComputeEntry;

    const CReportSettings& m_settings;
    const CColumnTable& m_columnTable;
    const CBreakSet& m_breakSet;
    const CTitle& m_top;
    const CTitle& m_bottom;
    const CTitle* m_reportHeader = nullptr;
    const CTitle* m_reportFooter = nullptr;
    bool m_compact = false;
    CTitle::Variables m_titleVariables;
    std::vector<Column> m_columns;
    std::vector<int> m_printed;  // indexes into m_columns, in order
    std::vector<BreakSlot> m_breaks;
    std::vector<ComputeEntry> m_computes;
    std::vector<std::pair<std::string, std::string>> m_variables;
    int m_headingLines = 0;
    int m_lineWidth = 0;
    int m_page = 0;
    int m_used = 0;
    bool m_pageOpen = false;
    bool m_firstRowOnPage = true;
    long m_rows = 0;
    std::string m_line;
    // A line in its compact form, built here and copied out at its exact
    // size, so the console holds no slack of a growing string.
    std::string m_encoded;
    std::vector<std::string> m_cells;
    std::vector<std::string_view> m_shown;
    std::optional<CNumberFormat> m_numFormat;
    CDecimal m_decimal;
    // Widens the columns that grow to their first value (dates).
    void FitFirstValues(const std::vector<std::string_view>& values);
    // The column of each of m_variables, whether it is an OLD_VALUE, and
    // whether this result gave it a value yet.
    std::vector<int> m_variableColumns;
    std::vector<bool> m_variableOld;
    std::vector<bool> m_variableSet;
    // The titles' variables: those above, else m_titleVariables.
    CTitle::Variables m_liveVariables;
    bool m_firstPagePending = false;

    bool Paged() const { return m_settings.pageSize > 0; }
    void SetUpColumns(const std::vector<ReportColumn>& columns);
    // One column's layout by its settings (`settings` null: none set).
    void SetUpColumn(const ReportColumn& source, const CColumnSettings* settings, Column& column) const;
    void SetUpBreaks();
    void BeginPage(CScriptLines& out);
    void EndPage(CScriptLines& out);
    // Starts a new page when `lines` more would not fit on this one.
    void MakeRoom(int lines, CScriptLines& out);
    void Emit(std::string& line, CScriptLines& out);
    void EmitBlank(CScriptLines& out);
    void EmitHeadings(CScriptLines& out);
    // The lines of `title` when it is on.
    void EmitTitle(const CTitle* title, CScriptLines& out);
    // The text of a value in column `c` (number layout, null text).
    std::string_view CellText(int c, std::string_view value, std::string& scratch);
    void EmitRow(const std::vector<std::string_view>& values, int brokenFrom, CScriptLines& out);
    void EmitCsvRow(const std::vector<std::string_view>& values, CScriptLines& out);
    // The computes on break slot `slot`, then their figures reset.
    void EmitComputes(int slot, CScriptLines& out);
    int FindColumn(const std::string& name) const;
    // The NEW_VALUE (`old` false) or OLD_VALUE variables take the row's values.
    void TakeVariables(const std::vector<std::string_view>& values, bool old);
    const CTitle::Variables* TitleVariables() const;
};

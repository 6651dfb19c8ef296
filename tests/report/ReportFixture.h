#pragma once

#include <string>
#include <vector>

#include "report/CBreakSet.h"
#include "report/CColumnTable.h"
#include "report/CReportSettings.h"
#include "report/CReportWriter.h"
#include "report/CTitle.h"
#include "text/CScriptLines.h"

// The report commands' state of one console, and a run of rows through the
// writer.
struct ReportFixture {
    CReportSettings settings;
    CColumnTable columns;
    CBreakSet breaks;
    CTitle top{"TTITLE"};
    CTitle bottom{"BTITLE"};

    std::vector<std::string> Run(const std::vector<ReportColumn>& shape,
                                 const std::vector<std::vector<std::string>>& rows) {
        CReportWriter writer(settings, columns, breaks, top, bottom);
        CScriptLines out;
        writer.Begin(shape, out);
        std::vector<std::string_view> values;
        for (const auto& row : rows) {
            values.assign(row.begin(), row.end());
            writer.Row(values, out);
        }
        writer.End(out);
        return {out.begin(), out.end()};
    }
};

inline std::vector<ReportColumn> EmpShape() {
    return {{"DEPTNO", true, false, 22}, {"ENAME", false, false, 10}, {"SAL", true, false, 22}};
}

inline std::vector<std::vector<std::string>> EmpRows() {
    return {
        {"10", "KING", "5000"}, {"10", "CLARK", "2450.5"}, {"20", "SMITH", "800.1"}, {"20", "FORD", ".2"}};
}

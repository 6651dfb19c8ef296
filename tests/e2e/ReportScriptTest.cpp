// A report script of the kind kept by database administrators: column
// headings and formats, a break with sums, page titles, a page and line
// size and a spool file, run on both engines with the same expected text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ReportScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ReportScript() { m_road = GetParam(); }
};

const char kEmp[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), job VARCHAR2(9), sal NUMBER(9,2), deptno NUMBER(2));\n"
    "INSERT INTO emp VALUES ('KING', 'PRESIDENT', 5000, 10);\n"
    "INSERT INTO emp VALUES ('CLARK', 'MANAGER', 2450.1, 10);\n"
    "INSERT INTO emp VALUES ('MILLER', 'CLERK', 1300.2, 10);\n"
    "INSERT INTO emp VALUES ('JONES', 'MANAGER', 2975, 20);\n"
    "INSERT INTO emp VALUES ('SMITH', NULL, 800.7, 20);\n";

// The report as the console shows it from the line after SPOOL on, which
// the spool file holds too (its echoed lines are the report script).
const char kSpooled[] =
    "SQL> TTITLE CENTER 'Pay by department' SKIP 2|"
    "SQL> COLUMN deptno HEADING 'Dept' FORMAT 9999|"
    "SQL> COLUMN ename HEADING 'Employee!Name' FORMAT A8|"
    "SQL> COLUMN job NULL '-'|"
    "SQL> COLUMN sal HEADING 'Salary' FORMAT 99,990.99|"
    "SQL> BREAK ON deptno SKIP 1|"
    "SQL> COMPUTE SUM OF sal ON deptno|"
    "SQL> SELECT deptno, ename, job, sal FROM emp ORDER BY deptno, ename;|"
    "|"
    "           Pay by department|"
    "|"
    " Dept Employee JOB           Salary |"
    "      Name                          |"
    "----- -------- --------- ---------- |"
    "   10 CLARK    MANAGER     2,450.10 |"
    "      KING     PRESIDENT   5,000.00 |"
    "      MILLER   CLERK       1,300.20 |"
    "*****                    ---------- |"
    "sum                        8,750.30 |"
    "|"
    "   20 JONES    MANAGER     2,975.00 |"
    "      SMITH    -             800.70 |"
    "|"
    "           Pay by department|"
    "|"
    " Dept Employee JOB           Salary |"
    "      Name                          |"
    "----- -------- --------- ---------- |"
    "*****                    ---------- |"
    "sum                        3,775.70 |"
    "|"
    "5行が選択されました。|"
    "|"
    "SQL> SPOOL OFF";

// The lines of `console` ('|' between them) but the script's own: a
// script's commands go to the spool only with ECHO ON.
std::string OutputOnly(const std::string& console) {
    std::string out;
    bool first = true;
    std::size_t start = 0;
    for (std::size_t bar = console.find('|');; bar = console.find('|', start)) {
        std::string line = console.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (!line.starts_with("SQL> ")) {
            out += (first ? "" : "|") + line;
            first = false;
        }
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return out;
}

}  // namespace

TEST_P(ReportScript, HeadingsFormatsBreaksSumsTitlesAndSpool) {
    ExpectRun("SQL> SPOOL pay|" + std::string(kSpooled) + "|SQL> ",
              std::string(kEmp) + "SET PAGESIZE 14\nSET LINESIZE 40\nSET HEADSEP !\n");
    EXPECT_EQ(testfiles::Read("pay.lst"), SpoolText(OutputOnly(kSpooled)));
}

// Numbers wider than their column are rounded to fit, never cut; a number
// format too narrow for its value shows "#"s.
TEST_P(ReportScript, NumbersAreNeverCut) {
    ExpectRun(
        "SQL> SELECT 123456789012 big, 2/3 third, 9876543210.55 money, 123.4 small FROM dual;||"
        "BIG        THIRD      MONEY      SMALL |"
        "---------- ---------- ---------- ----- |"
        "1.2346E+11 .666666667 9876543211 ##### ||"
        "1行が選択されました。||"
        "SQL> SET NUMWIDTH 5|"
        "SQL> SELECT 2/3 third FROM dual;||"
        "THIRD |----- |.6667 ||1行が選択されました。||SQL> ",
        "CONNECT a/b\nCOLUMN small FORMAT 99.9\n");
}

// A value kept by NEW_VALUE shows in a later title; CSV for spreadsheets.
TEST_P(ReportScript, NewValueInATitleAndCsv) {
    ExpectRun(
        "SQL> TTITLE LEFT 'Top: ' top_n|"
        "SQL> SELECT 'x' c FROM dual;||Top: 42|C |- |x ||1行が選択されました。||"
        "SQL> TTITLE OFF|"
        "SQL> SET MARKUP CSV ON|"
        "SQL> SELECT 1 a, 'y\"z' b FROM dual;|\"A\",\"B\"|1,\"y\"\"z\"||1行が選択されました。||SQL> ",
        "CONNECT a/b\nCOLUMN n NEW_VALUE top_n NOPRINT\nSELECT 42 n FROM dual;\n");
}

INSTANTIATE_TEST_SUITE_P(Roads, ReportScript, ::testing::Values(Road::Embedded, Road::Server));

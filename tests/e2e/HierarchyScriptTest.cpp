// A teaching script of the kind written against the vendor's HR schema: an
// organisation chart over a join with ORDER SIBLINGS BY, statistics per
// department with KEEP, and rows of a JSON document; run on the embedded
// database through the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class HierarchyScript : public ScriptRun {};

const char kScript[] =
    "CONNECT hr/hr\n"
    "CREATE TABLE departments (department_id NUMBER(4), department_name VARCHAR2(30));\n"
    "CREATE TABLE employees (employee_id NUMBER(6), last_name VARCHAR2(25), manager_id NUMBER(6),\n"
    "  department_id NUMBER(4), salary NUMBER(8,2));\n"
    "INSERT INTO departments VALUES (90, 'Executive');\n"
    "INSERT INTO departments VALUES (60, 'IT');\n"
    "INSERT INTO employees VALUES (100, 'King', NULL, 90, 24000);\n"
    "INSERT INTO employees VALUES (101, 'Kochhar', 100, 90, 17000);\n"
    "INSERT INTO employees VALUES (103, 'Hunold', 102, 60, 9000);\n"
    "INSERT INTO employees VALUES (102, 'De Haan', 100, 90, 17000);\n"
    "INSERT INTO employees VALUES (104, 'Ernst', 103, 60, 6000);\n"
    "COLUMN org_chart FORMAT A20\n"
    "COLUMN department_name FORMAT A12\n"
    "SELECT LPAD(' ', 2 * (LEVEL - 1)) || e.last_name org_chart, d.department_name\n"
    "  FROM employees e JOIN departments d ON e.department_id = d.department_id\n"
    " START WITH e.manager_id IS NULL\n"
    "CONNECT BY PRIOR e.employee_id = e.manager_id\n"
    " ORDER SIBLINGS BY e.last_name;\n"
    "COLUMN sd FORMAT 99990.99\n"
    "SELECT department_id, MEDIAN(salary) med, STDDEV(salary) sd,\n"
    "       MAX(last_name) KEEP (DENSE_RANK FIRST ORDER BY salary DESC) top\n"
    "  FROM employees GROUP BY department_id ORDER BY department_id;\n"
    "SELECT j.sku, j.qty FROM "
    "JSON_TABLE('{\"lines\":[{\"sku\":\"A\",\"qty\":2},{\"sku\":\"B\",\"qty\":5}]}',\n"
    "  '$.lines[*]' COLUMNS (sku VARCHAR2(5) PATH '$.sku', qty NUMBER(3) PATH '$.qty')) j;\n";

TEST_F(HierarchyScript, OrganisationChartStatisticsAndJsonRows) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    // De Haan comes before Kochhar among King's reports; Hunold's IT rows
    // hang below De Haan of the Executive department.
    EXPECT_NE(r.out.find(Console("ORG_CHART            DEPARTMENT_N |"
                                 "-------------------- ------------ |"
                                 "King                 Executive    |"
                                 "  De Haan            Executive    |"
                                 "    Hunold           IT           |"
                                 "      Ernst          IT           |"
                                 "  Kochhar            Executive    |"
                                 "|5行が選択されました。")),
              std::string::npos)
        << r.out;
    // STDDEV: sqrt(4500000) = 2121.32 and sqrt(16333333.33) = 4041.45.
    EXPECT_NE(r.out.find(Console("DEPARTMENT MED               SD TOP                       |"
                                 "---------- ---------- --------- ------------------------- |"
                                 "60         7500         2121.32 Hunold                    |"
                                 "90         17000        4041.45 King                      |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("SKU   QTY        |----- ---------- |A     2          |B     5          |")),
              std::string::npos)
        << r.out;
}

}  // namespace

// A schema script of the kind vendors' sample schemas are: named keys added
// after the tables, a unique index named like its key, a column renamed
// under its CHECK, constraints disabled and enabled, and the dictionary's
// answer the same in a second session of the same file.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ConstraintCatalogScript : public ScriptRun {};

// A row of the answer: the columns padded to the widths of their types.
std::string Row(const std::string& name, const std::string& type, const std::string& condition,
                const std::string& state) {
    return name + std::string(128 - name.size(), ' ') + " " + type + " " + condition +
           std::string(80 - condition.size(), ' ') + " " + state + "|";
}

constexpr const char* kQuery =
    "SELECT constraint_name, constraint_type t, search_condition, status, validated\n"
    "FROM user_constraints WHERE table_name IN ('REGIONS', 'COUNTRIES') ORDER BY 1;\n";

TEST_F(ConstraintCatalogScript, KeysChecksAndStatesSurviveTheScriptAndTheNextSession) {
    RunResult r = RunScripts(
        {std::string("CONNECT hr/hr\n"
                     "CREATE TABLE regions (region_id NUMBER CONSTRAINT region_id_nn NOT NULL,\n"
                     "  region_name VARCHAR2(25));\n"
                     "CREATE UNIQUE INDEX reg_id_pk ON regions (region_id);\n"
                     "ALTER TABLE regions ADD (CONSTRAINT reg_id_pk PRIMARY KEY (region_id));\n"
                     "CREATE TABLE countries (country_id CHAR(2) CONSTRAINT country_id_nn NOT NULL,\n"
                     "  country_name VARCHAR2(40), region_id NUMBER,\n"
                     "  CONSTRAINT country_c_id_pk PRIMARY KEY (country_id),\n"
                     "  CONSTRAINT countr_name_ck CHECK (country_name <> 'X'));\n"
                     "ALTER TABLE countries ADD (CONSTRAINT countr_reg_fk FOREIGN KEY (region_id)\n"
                     "  REFERENCES regions (region_id));\n"
                     "INSERT INTO regions VALUES (1, 'Europe');\n"
                     "INSERT INTO countries VALUES ('IT', 'Italy', 1);\n"
                     "COMMIT;\n"
                     "ALTER TABLE countries RENAME COLUMN country_name TO name;\n"
                     "ALTER TABLE countries DISABLE CONSTRAINT countr_reg_fk;\n"
                     "INSERT INTO countries VALUES ('XX', 'Nowhere', 9);\n"
                     "ALTER TABLE countries ENABLE NOVALIDATE CONSTRAINT countr_name_ck;\n"
                     "INSERT INTO countries VALUES ('YY', 'X', 1);\n") +
             kQuery,
         std::string("CONNECT hr/hr\n") + kQuery});
    const std::string answer =
        "SQL> SELECT constraint_name, constraint_type t, search_condition, status, validated|"
        "SQL> FROM user_constraints WHERE table_name IN ('REGIONS', 'COUNTRIES') ORDER BY 1;||"
        "CONSTRAINT_NAME" +
        std::string(113, ' ') + " T SEARCH_CONDITION" + std::string(64, ' ') + " STATUS   VALIDATED     |" +
        std::string(128, '-') + " - " + std::string(80, '-') + " -------- ------------- |" +
        Row("COUNTRY_C_ID_PK", "P", "", "ENABLED  VALIDATED     ") +
        Row("COUNTRY_ID_NN", "C", "\"COUNTRY_ID\" IS NOT NULL", "ENABLED  VALIDATED     ") +
        Row("COUNTR_NAME_CK", "C", "NAME <> 'X'", "ENABLED  NOT VALIDATED ") +
        Row("COUNTR_REG_FK", "R", "", "DISABLED NOT VALIDATED ") +
        Row("REGION_ID_NN", "C", "\"REGION_ID\" IS NOT NULL", "ENABLED  VALIDATED     ") +
        Row("REG_ID_PK", "P", "", "ENABLED  VALIDATED     ") + "|6行が選択されました。|";
    // The renamed column is renamed in the check, which still holds; the
    // key takes the index of its name; the states stay for the next session.
    EXPECT_NE(r.out.find("ORA-02290: チェック制約 COUNTR_NAME_CK に違反しました。"), std::string::npos)
        << r.out;
    std::size_t first = r.out.find(Console(answer));
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("接続に成功しました。|" + answer), first + 1), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("ORA-00955"), std::string::npos) << r.out;
}

}  // namespace

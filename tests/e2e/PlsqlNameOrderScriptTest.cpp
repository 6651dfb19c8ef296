// A script of the kind Oracle users run, through the batch runner: Japanese
// names kept in an associative array and compared in PL/SQL in the order
// SQL sorts them (code point order of AL32UTF8), an error kept under
// another by RAISE_APPLICATION_ERROR, and a nested object of an object
// column read into a block; each answer as the PL/SQL Language Reference
// gives it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlNameOrder : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PlsqlNameOrder() { m_road = GetParam(); }
};

}  // namespace

TEST_P(PlsqlNameOrder, NamesErrorsAndNestedObjects) {
    RunResult r =
        RunScripts({"CONNECT u/u@" + Named("ORDERS") +
                    "\n"
                    "SET SERVEROUTPUT ON\n"
                    "DECLARE\n"
                    "  TYPE m IS TABLE OF NUMBER INDEX BY VARCHAR2(20);\n"
                    "  x m;\n"
                    "  k VARCHAR2(20);\n"
                    "BEGIN\n"
                    "  x('高橋') := 1; x('佐藤') := 2; x('鈴木') := 3; x('abc') := 4; x('ＡＢ') := 5;\n"
                    "  k := x.FIRST;\n"
                    "  WHILE k IS NOT NULL LOOP DBMS_OUTPUT.PUT_LINE(k); k := x.NEXT(k); END LOOP;\n"
                    "  IF '高橋' > '佐藤' THEN DBMS_OUTPUT.PUT_LINE('gt'); ELSE DBMS_OUTPUT.PUT_LINE('le'); "
                    "END IF;\n"
                    "END;\n"
                    "/\n"
                    "SELECT CASE WHEN '高橋' > '佐藤' THEN 'gt' ELSE 'le' END AS o FROM dual;\n"
                    "DECLARE PROCEDURE p IS BEGIN RAISE_APPLICATION_ERROR(-20001, 'inner'); END;\n"
                    "BEGIN p; EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'outer', TRUE); "
                    "END;\n"
                    "/\n"
                    "CREATE TYPE city_t AS OBJECT (name VARCHAR2(20), zip VARCHAR2(8))\n"
                    "/\n"
                    "CREATE TYPE person_t AS OBJECT (name VARCHAR2(20), home city_t)\n"
                    "/\n"
                    "CREATE TABLE people (id NUMBER, p person_t);\n"
                    "INSERT INTO people VALUES (1, person_t('太郎', city_t('東京', '100-0001')));\n"
                    "DECLARE v person_t; s VARCHAR2(20);\n"
                    "BEGIN\n"
                    "  SELECT p INTO v FROM people WHERE id = 1;\n"
                    "  SELECT t.p.home.zip INTO s FROM people t WHERE id = 1;\n"
                    "  DBMS_OUTPUT.PUT_LINE(v.name || ' ' || v.home.name || ' ' || s);\n"
                    "END;\n"
                    "/\n"});
    EXPECT_NE(r.out.find(Console("PL/SQLプロシージャが正常に完了しました。|abc|佐藤|鈴木|高橋|ＡＢ|gt")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("O  |-- |gt ")), std::string::npos) << r.out;
    EXPECT_NE(
        r.out.find(Console("ORA-20002: outer|ORA-06512: 行2|ORA-20001: inner|ORA-06512: 行1|ORA-06512: 行2")),
        std::string::npos)
        << r.out;
    ExpectTail(r, "PL/SQLプロシージャが正常に完了しました。|太郎 東京 100-0001|SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, PlsqlNameOrder, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

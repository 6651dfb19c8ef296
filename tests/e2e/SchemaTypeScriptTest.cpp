// Schema-level types as teaching scripts use them: nested tables, VARRAYs
// and object types made by CREATE TYPE, used in blocks, passed to and
// returned from stored units, read by SQL through TABLE(), and kept in the
// dictionary; each answer as the PL/SQL Language Reference gives it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class SchemaTypes : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    SchemaTypes() { m_road = GetParam(); }
};

const char kTypes[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TYPE num_list AS TABLE OF NUMBER;\n"
    "/\n"
    "CREATE TYPE name_arr AS VARRAY(3) OF VARCHAR2(10);\n"
    "/\n"
    "CREATE TYPE emp_t AS OBJECT (empno NUMBER(4), ename VARCHAR2(10));\n"
    "/\n"
    "CREATE TYPE emp_list AS TABLE OF emp_t;\n"
    "/\n";

TEST_P(SchemaTypes, CollectionsAndObjectsInABlock) {
    const RunResult r = ExpectRun(
        "PL/SQLプロシージャが正常に完了しました。|count=2 last=3 next=3|limit=3 count=2|"
        "2 SMITH ALLEN2 JONES|outside limit|beyond count|deleted|cardinality=2/null|null collection|SQL> ",
        std::string(kTypes) +
            "DECLARE\n  n num_list := num_list(10, 20, 30, 40);\n  a name_arr := name_arr('a', 'b');\n"
            "  e emp_t := emp_t(7369, 'SMITH');\n  l emp_list := emp_list();\n  u num_list;\nBEGIN\n"
            "  n.DELETE(2);\n  n.TRIM;\n"
            "  dbms_output.put_line('count=' || n.COUNT || ' last=' || n.LAST || ' next=' || n.NEXT(1));\n"
            "  dbms_output.put_line('limit=' || a.LIMIT || ' count=' || a.COUNT);\n  l.EXTEND;\n"
            "  l(1) := e;\n  l.EXTEND;\n  l(2) := emp_t(7499, 'ALLEN');\n  l(2).ename := 'ALLEN2';\n"
            "  e.ename := 'JONES';\n"
            "  dbms_output.put_line(l.COUNT || ' ' || l(1).ename || ' ' || l(2).ename || ' ' || e.ename);\n"
            "  BEGIN a.EXTEND(2); EXCEPTION WHEN SUBSCRIPT_OUTSIDE_LIMIT THEN dbms_output.put_line('outside "
            "limit'); END;\n"
            "  BEGIN dbms_output.put_line(n(4)); EXCEPTION WHEN SUBSCRIPT_BEYOND_COUNT THEN "
            "dbms_output.put_line('beyond count'); END;\n"
            "  BEGIN dbms_output.put_line(n(2)); EXCEPTION WHEN NO_DATA_FOUND THEN "
            "dbms_output.put_line('deleted'); END;\n"
            "  dbms_output.put_line('cardinality=' || CARDINALITY(n) || '/' || NVL(TO_CHAR(CARDINALITY(u)), "
            "'null'));\n"
            "  BEGIN u.EXTEND; EXCEPTION WHEN COLLECTION_IS_NULL THEN dbms_output.put_line('null "
            "collection'); END;\n"
            "END;\n/\n");
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
}

TEST_P(SchemaTypes, AnObjectNotMadeIsNullAndItsAttributesCannotBeSet) {
    const RunResult r = ExpectRun(
        "PL/SQLプロシージャが正常に完了しました。|p null, q made|[]|AB|access into null|SQL> ",
        std::string(kTypes) +
            "DECLARE\n  p emp_t;\n  q emp_t := emp_t(1, 'A');\nBEGIN\n"
            "  IF p IS NULL AND q IS NOT NULL THEN dbms_output.put_line('p null, q made'); END IF;\n"
            "  dbms_output.put_line('[' || p.ename || ']');\n  p := q;\n  p.ename := 'B';\n"
            "  dbms_output.put_line(q.ename || p.ename);\n  q := NULL;\n  q.ename := 'C';\nEXCEPTION\n"
            "  WHEN ACCESS_INTO_NULL THEN dbms_output.put_line('access into null');\nEND;\n/\n");
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
}

TEST_P(SchemaTypes, UnitsTakeAndReturnThemAndSqlReadsThemThroughTable) {
    const RunResult r = ExpectRun(
        "N          |---------- |3          ||1行が選択されました。||SQL> ",
        std::string(kTypes) +
            "CREATE TABLE emp_tab (empno NUMBER(4), ename VARCHAR2(10), sal NUMBER(7,2));\n"
            "INSERT INTO emp_tab VALUES (7369, 'SMITH', 800);\n"
            "INSERT INTO emp_tab VALUES (7499, 'ALLEN', 1600);\n"
            "INSERT INTO emp_tab VALUES (7521, 'WARD', 1250.5);\nCOMMIT;\n"
            "CREATE OR REPLACE FUNCTION total(p num_list) RETURN NUMBER IS\n  s NUMBER := 0;\nBEGIN\n"
            "  FOR i IN 1 .. p.COUNT LOOP s := s + p(i); END LOOP;\n  RETURN s;\nEND;\n/\n"
            "CREATE OR REPLACE PROCEDURE double_all(p IN OUT num_list) IS\nBEGIN\n"
            "  FOR i IN 1 .. p.COUNT LOOP p(i) := p(i) * 2; END LOOP;\nEND;\n/\n"
            "CREATE OR REPLACE FUNCTION paid_from(p_min NUMBER) RETURN emp_list IS\n"
            "  r emp_list := emp_list();\nBEGIN\n"
            "  FOR e IN (SELECT empno, ename FROM emp_tab WHERE sal >= p_min ORDER BY empno) LOOP\n"
            "    r.EXTEND;\n    r(r.LAST) := emp_t(e.empno, e.ename);\n  END LOOP;\n  RETURN r;\nEND;\n/\n"
            "DECLARE\n  sals num_list;\n  staff emp_list;\n  one emp_t;\n  s NUMBER;\nBEGIN\n"
            "  SELECT sal BULK COLLECT INTO sals FROM emp_tab ORDER BY empno;\n  double_all(sals);\n"
            "  dbms_output.put_line('total=' || total(sals));\n"
            "  FOR t IN (SELECT column_value AS v FROM TABLE(sals) ORDER BY 1 DESC) LOOP\n"
            "    dbms_output.put_line(t.v);\n  END LOOP;\n"
            "  SELECT SUM(e.sal) INTO s FROM emp_tab e JOIN TABLE(num_list(7369, 7521)) k ON k.column_value "
            "= e.empno;\n"
            "  dbms_output.put_line('sum=' || s);\n"
            "  SELECT emp_t(empno, LOWER(ename)) BULK COLLECT INTO staff FROM emp_tab ORDER BY empno;\n"
            "  SELECT emp_t(empno, ename) INTO one FROM emp_tab WHERE empno = 7521;\n"
            "  dbms_output.put_line(staff.COUNT || ' ' || staff(1).ename || ' ' || one.ename);\nEND;\n/\n"
            "SELECT empno, ename FROM TABLE(paid_from(1250));\n"
            "CREATE OR REPLACE FUNCTION everyone RETURN emp_list IS BEGIN RETURN paid_from(0); END;\n/\n"
            "SELECT MAX(ename) AS m FROM TABLE(everyone);\n"
            "SELECT COUNT(*) AS n FROM TABLE(sys.odcinumberlist(1, 2, 3));\n");
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
    EXPECT_NE(
        r.out.find(Console(
            "PL/SQLプロシージャが正常に完了しました。|total=7301|3200|2501|1600|sum=2050.5|3 smith WARD")),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("7499       ALLEN      |7521       WARD       ||2行が選択されました。")),
              std::string::npos)
        << r.out;
    // A function without arguments is called without brackets as well.
    EXPECT_NE(r.out.find(Console("M          |---------- |WARD       |")), std::string::npos) << r.out;
}

TEST_P(SchemaTypes, DictionaryDependentsAndRefusals) {
    RunResult r = RunScripts(
        {std::string(kTypes) +
         "SELECT type_name || ':' || typecode || ':' || attributes AS t FROM user_types ORDER BY 1;\n"
         "SELECT type_name || ':' || coll_type || ':' || upper_bound || ':' || elem_type_name AS c "
         "FROM user_coll_types ORDER BY 1;\n"
         "CREATE PROCEDURE take(p num_list, q OUT emp_t, r name_arr) IS BEGIN NULL; END;\n"
         "/\n"
         "SELECT argument_name || ':' || data_type AS a FROM user_arguments ORDER BY position;\n"
         "DROP TYPE emp_t;\n"
         "CREATE TYPE point_t UNDER emp_t (x NUMBER);\n"
         "/\n"
         "CREATE TABLE holder (id NUMBER, ids num_list);\n"
         "DROP TYPE emp_t FORCE;\n"
         "SELECT object_name || ':' || status AS s FROM user_objects WHERE object_type = 'TYPE' "
         "ORDER BY 1;\n"});
    for (const char* row :
         {"EMP_LIST:COLLECTION:0", "EMP_T:OBJECT:2", "NAME_ARR:COLLECTION:0", "NUM_LIST:COLLECTION:0",
          "EMP_LIST:TABLE::EMP_T", "NAME_ARR:VARYING ARRAY:3:VARCHAR2", "NUM_LIST:TABLE::NUMBER",
          "EMP_LIST:INVALID", "NAME_ARR:VALID", "P:TABLE", "Q:OBJECT", "R:VARRAY"})
        EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;
    EXPECT_NE(r.out.find("ORA-02303"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ORA-03001: 未実装の機能です: UNDER"), std::string::npos) << r.out;
    // A nested table column holds its collection.
    EXPECT_NE(r.out.find("SQL> CREATE TABLE holder (id NUMBER, ids num_list);\n表が作成されました。"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("SQL> DROP TYPE emp_t FORCE;\n型が削除されました。"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("POINT_T"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, SchemaTypes, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace

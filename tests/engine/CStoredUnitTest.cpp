// Stored procedures and functions on the embedded engine: kept in the file
// with their source, called from blocks, CALL and SQL, answering errors with
// the server's "ORA-06512" lines and USER_ERRORS rows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"

namespace {

class StoredUnitTest : public OutputFixture {
protected:
    std::string Run(const std::string& text) { return OutputOf(text); }
};

}  // namespace

TEST_F(StoredUnitTest, ProceduresTakeInOutAndDefaultsByPositionAndName) {
    Exec(
        "CREATE OR REPLACE PROCEDURE add_to(total IN OUT NUMBER, amount IN NUMBER DEFAULT 1, "
        "note OUT VARCHAR2) IS\nBEGIN\n  total := total + amount;\n  note := 'added ' || amount;\nEND;");
    const char* cases[][2] = {
        {"DECLARE t NUMBER := 10; n VARCHAR2(20); BEGIN add_to(t, 5, n); dbms_output.put_line(t || ' ' || "
         "n); END;",
         "15 added 5"},
        {"DECLARE t NUMBER := 10; n VARCHAR2(20); BEGIN add_to(note => n, total => t); "
         "dbms_output.put_line(t || ' ' || n); END;",
         "11 added 1"},
        {"DECLARE t NUMBER := 1; n VARCHAR2(20); BEGIN add_to(t, note => n, amount => 2); "
         "dbms_output.put_line(t); END;",
         "3"},
        {"BEGIN add_to(1, 2); END;",
         "ERROR ORA-06550: 行1、列14:|PLS-00363: 式'1'は代入ターゲットとして使用できません。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c[0]), c[1]) << c[0];
    m_binds.push_back(CEngineBind{"T", "7", false, servertype::kNumber, false});
    m_binds.push_back(CEngineBind{"N", "", true, servertype::kVarchar2, false});
    EXPECT_EQ(Run("CALL add_to(:t, 3, :n)"), "");
    EXPECT_EQ(m_binds[0].value, "10");
    EXPECT_EQ(m_binds[1].value, "added 3");
    EXPECT_EQ(Rows("SELECT OBJECT_NAME, OBJECT_TYPE, STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'ADD_TO'"),
              "ADD_TO,PROCEDURE,VALID");
    EXPECT_EQ(Rows("SELECT ARGUMENT_NAME, POSITION, IN_OUT FROM USER_ARGUMENTS WHERE OBJECT_NAME = 'ADD_TO' "
                   "ORDER BY POSITION"),
              "TOTAL,1,IN/OUT|AMOUNT,2,IN|NOTE,3,OUT");
    EXPECT_EQ(
        Rows("SELECT LINE, TEXT FROM USER_SOURCE WHERE NAME = 'ADD_TO' AND LINE IN (1, 3)"),
        "1,PROCEDURE add_to(total IN OUT NUMBER, amount IN NUMBER DEFAULT 1, note OUT VARCHAR2) IS\n|3,  "
        "total := total + amount;\n");
    Exec(
        "CREATE PROCEDURE twice_to(t IN OUT NUMBER) IS n VARCHAR2(1); BEGIN add_to(t, t, n); "
        "SELECT COUNT(*) INTO t FROM USER_TABLES; END;");
    EXPECT_EQ(Rows("SELECT REFERENCED_NAME, REFERENCED_TYPE FROM USER_DEPENDENCIES WHERE NAME = 'TWICE_TO' "
                   "ORDER BY 1"),
              "ADD_TO,PROCEDURE|USER_TABLES,TABLE");
    Exec("DROP PROCEDURE add_to");
    EXPECT_EQ(Run("BEGIN add_to(1); END;"),
              "ERROR ORA-06550: 行1、列7:|PLS-00201: 識別子'ADD_TO'を宣言してください。|ORA-06550: "
              "行1、列7:|PL/SQL: Statement ignored");
    EXPECT_EQ(Run("DROP PROCEDURE add_to"), "ERROR ORA-04043: オブジェクトADD_TOは存在しません。");
}

TEST_F(StoredUnitTest, FunctionsAnswerInBlocksAndInSqlAndRecurse) {
    Exec("CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2))");
    Exec("INSERT INTO emp VALUES ('SMITH', 800)");
    Exec("INSERT INTO emp VALUES ('ALLEN', 1600)");
    Exec(
        "CREATE FUNCTION bonus(s NUMBER, rate NUMBER := 0.1) RETURN NUMBER IS BEGIN RETURN s * rate; "
        "END;");
    Exec(
        "CREATE FUNCTION fact(n PLS_INTEGER) RETURN NUMBER IS BEGIN IF n <= 1 THEN RETURN 1; END IF; "
        "RETURN n * fact(n - 1); END fact;");
    EXPECT_EQ(
        Run("BEGIN dbms_output.put_line(bonus(1000) || ' ' || bonus(1000, 0.5) || ' ' || fact(20)); END;"),
        "100 500 2432902008176640000");
    EXPECT_EQ(Rows("SELECT ename, bonus(sal) FROM emp ORDER BY ename"), "ALLEN,160|SMITH,80");
    // A NUMBER result is described as a number before any row.
    CEngineResult described;
    ASSERT_TRUE(m_connection->Query("SELECT fact(3) FROM emp WHERE 1 = 0", m_binds, described));
    EXPECT_EQ(described.Columns()[0].serverType, 2);
    Exec(
        "CREATE FUNCTION payroll RETURN NUMBER IS n NUMBER; BEGIN SELECT SUM(sal) INTO n FROM emp; "
        "RETURN n; END;");
    // A unit whose table is gone is INVALID, and VALID again once the table is back.
    Exec("CREATE TABLE emp_copy AS SELECT * FROM emp");
    Exec("DROP TABLE emp");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'PAYROLL'"), "INVALID");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(payroll); END;").substr(0, 40),
              "ERROR ORA-06550: 行1、列28:|PLS-00905");
    Exec("CREATE TABLE emp AS SELECT * FROM emp_copy");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'PAYROLL'"), "VALID");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(payroll); END;"), "2400");
    EXPECT_EQ(
        Run("DECLARE n NUMBER; BEGIN SELECT SUM(bonus(sal, 2)) INTO n FROM emp; dbms_output.put_line(n); "
            "END;"),
        "4800");
    Exec("CREATE FUNCTION endless(n NUMBER) RETURN NUMBER IS BEGIN RETURN endless(n + 1); END;");
    // A runaway recursion stops at the storage error; its stack shows the
    // innermost calls and the block's own line, not one line a call.
    std::string endless = Run("BEGIN dbms_output.put_line(endless(1)); END;");
    EXPECT_EQ(endless.substr(0, 15), "ERROR ORA-06500");
    EXPECT_EQ(std::count(endless.begin(), endless.end(), '|'), 11) << endless;
    EXPECT_EQ(endless.substr(endless.rfind('|')), "|ORA-06512: 行1");
    Exec("CREATE FUNCTION silent RETURN NUMBER IS BEGIN NULL; END;");
    EXPECT_EQ(Run("DECLARE n NUMBER; BEGIN\n  n := silent;\nEND;"),
              "ERROR ORA-06503: PL/SQL: ファンクションが値なしで戻りました。|ORA-06512: \"SILENT\", "
              "行1|ORA-06512: 行2");
}

TEST_F(StoredUnitTest, ErrorsOfNestedUnitsNameEachUnitAndLine) {
    Exec("CREATE PROCEDURE inner_p IS\nBEGIN\n  RAISE_APPLICATION_ERROR(-20010, 'deep');\nEND;");
    Exec("CREATE PROCEDURE outer_p IS\nBEGIN\n  NULL;\n  inner_p;\nEND;");
    EXPECT_EQ(Run("BEGIN\n  outer_p;\nEND;"),
              "ERROR ORA-20010: deep|ORA-06512: \"INNER_P\", 行3|ORA-06512: \"OUTER_P\", 行4|ORA-06512: 行2");
}

TEST_F(StoredUnitTest, AUnitWithErrorsIsKeptInvalidWithItsErrors) {
    EXPECT_EQ(Run("CREATE OR REPLACE PROCEDURE broken IS\nBEGIN\n  no_such_thing;\nEND;"),
              "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(m_connection->LastError().code, 24344);
    EXPECT_EQ(Rows("SELECT LINE, POSITION, TEXT FROM USER_ERRORS WHERE NAME = 'BROKEN' ORDER BY SEQUENCE"),
              "3,3,PL/SQL: Statement ignored|3,3,PLS-00201: 識別子'NO_SUCH_THING'を宣言してください。");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'BROKEN'"), "INVALID");
    EXPECT_EQ(Run("BEGIN broken; END;"),
              "ERROR ORA-06550: 行1、列7:|PLS-00905: オブジェクトBROKENは無効です。|ORA-06550: "
              "行1、列7:|PL/SQL: Statement ignored");
    EXPECT_EQ(Run("CREATE PROCEDURE broken IS BEGIN NULL; END;"),
              "ERROR ORA-00955: 名前 BROKEN はすでに使われています。");
    Exec("CREATE OR REPLACE PROCEDURE broken IS\nBEGIN\n  NULL;\nEND;");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_ERRORS WHERE NAME = 'BROKEN'"), "0");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'BROKEN'"), "VALID");
}

TEST_F(StoredUnitTest, ConstructsTheEngineLacksAreRefusedByName) {
    const char* cases[][2] = {
        {"CREATE PROCEDURE auto_p IS PRAGMA AUTONOMOUS_TRANSACTION; BEGIN NULL; END;",
         "ERROR ORA-03001: 未実装の機能です: 自律型トランザクション (AUTONOMOUS_TRANSACTION) "
         "は組込みデータベースでは使えません。"},
        {"CREATE FUNCTION pipe_f RETURN NUMBER PIPELINED IS BEGIN RETURN 1; END;",
         "ERROR ORA-03001: 未実装の機能です: PIPELINED は組込みデータベースでは使えません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c[0]), c[1]) << c[0];
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME IN ('AUTO_P', 'PIPE_F')"), "0");
}

TEST_F(StoredUnitTest, PackagesKeepTheirStateForTheSessionAndHideTheirPrivateMembers) {
    Exec("CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2))");
    Exec("INSERT INTO emp VALUES ('SMITH', 800)");
    Exec(
        "CREATE OR REPLACE PACKAGE counter AS\n  total NUMBER := 0;\n  PROCEDURE add(n NUMBER);\n"
        "  FUNCTION doubled RETURN NUMBER;\nEND counter;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY counter AS\n  calls PLS_INTEGER;\n"
        "  FUNCTION twice(n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;\n"
        "  PROCEDURE add(n NUMBER) IS\n  BEGIN\n    total := total + n;\n    calls := calls + 1;\n"
        "  END add;\n  FUNCTION doubled RETURN NUMBER IS BEGIN RETURN twice(total) + calls; END;\n"
        "BEGIN\n  calls := 0;\n  SELECT sal INTO total FROM emp WHERE ename = 'SMITH';\nEND counter;");
    EXPECT_EQ(Run("BEGIN counter.add(5); counter.add(10); END;"), "");
    EXPECT_EQ(
        Run("BEGIN dbms_output.put_line(counter.total || ' ' || counter.doubled); counter.total := 1; END;"),
        "815 1632");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(counter.total); END;"), "1");
    // A public function answers in SQL with the session's package state; a
    // private one is no function there.
    EXPECT_EQ(Rows("SELECT counter.doubled, counter.doubled * 10 FROM dual"), "4,40");
    EXPECT_EQ(Rows("SELECT ename FROM emp WHERE sal > counter.doubled"), "SMITH");
    EXPECT_EQ(Rows("SELECT counter.twice(1) FROM dual").substr(0, 15), "ERROR ORA-06550");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(counter.twice(1)); END;"),
              "ERROR ORA-06550: 行1、列28:|PLS-00302: コンポーネント'TWICE'を宣言してください。|ORA-06550: "
              "行1、列7:|PL/SQL: Statement ignored");
    EXPECT_EQ(Rows("SELECT OBJECT_TYPE, STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'COUNTER' ORDER BY 1"),
              "PACKAGE,VALID|PACKAGE BODY,VALID");
    EXPECT_EQ(
        Run("CREATE OR REPLACE PACKAGE BODY counter AS\n  PROCEDURE add(n NUMBER) IS\n  BEGIN\n    nothing;\n"
            "  END;\nEND;"),
        "ERROR 警告: コンパイル・エラーがあります。");
    // The body also leaves out DOUBLED, a member of the heading (PLS-00323 first, at 1/1).
    EXPECT_EQ(Rows("SELECT TYPE, LINE, TEXT FROM USER_ERRORS WHERE NAME = 'COUNTER' AND SEQUENCE > 1 "
                   "ORDER BY SEQUENCE"),
              "PACKAGE BODY,4,PL/SQL: Statement ignored|PACKAGE BODY,4,PLS-00201: "
              "識別子'NOTHING'を宣言してください。");
    // Without its body, a package's members answer the server's errors,
    // from SQL and from a block alike.
    Exec("DROP PACKAGE BODY counter");
    for (std::string answer : {Rows("SELECT counter.doubled FROM dual"),
                               Run("BEGIN dbms_output.put_line(counter.doubled); END;")}) {
        std::replace(answer.begin(), answer.end(), '\n', '|');
        EXPECT_EQ(answer.substr(0, answer.find('|', answer.find('|') + 1)),
                  "ERROR ORA-04067: 実行されていません。パッケージ本体\"COUNTER\"は存在しません。|ORA-06508: "
                  "PL/SQL: コールされているプログラム・ユニットが見つかりませんでした。");
    }
    Exec("DROP PACKAGE counter");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME = 'COUNTER'"), "0");
}

TEST_F(StoredUnitTest, PackageCollectionsLastTheSession) {
    Exec(
        "CREATE PACKAGE cache AS\n  TYPE names IS TABLE OF VARCHAR2(20) INDEX BY PLS_INTEGER;\n"
        "  seen names;\n  PROCEDURE note(s VARCHAR2);\nEND;");
    Exec(
        "CREATE PACKAGE BODY cache AS\n  PROCEDURE note(s VARCHAR2) IS\n  BEGIN\n"
        "    seen(seen.COUNT + 1) := s;\n  END;\nEND;");
    EXPECT_EQ(Run("BEGIN cache.note('a'); cache.note('b'); END;"), "");
    EXPECT_EQ(Run("BEGIN cache.note('c'); dbms_output.put_line(cache.seen.COUNT || cache.seen(2)); END;"),
              "3b");
}

// A package's exceptions are named PKG.NAME from other units, in handlers
// and in RAISE; a block's own exception of another name is a different one.
TEST_F(StoredUnitTest, PackageExceptionsAreCaughtAndRaisedByTheirQualifiedNames) {
    Exec(
        "CREATE PACKAGE bank AS\n  insufficient EXCEPTION;\n  PRAGMA EXCEPTION_INIT(insufficient, -20001);\n"
        "  closed EXCEPTION;\n  PROCEDURE pay(n NUMBER);\nEND;");
    Exec(
        "CREATE PACKAGE BODY bank AS\n  PROCEDURE pay(n NUMBER) IS\n  BEGIN\n"
        "    IF n > 10 THEN RAISE_APPLICATION_ERROR(-20001, 'short by ' || (n - 10)); END IF;\n"
        "    IF n < 0 THEN RAISE closed; END IF;\n  END;\nEND;");
    EXPECT_EQ(
        Run("BEGIN bank.pay(15); EXCEPTION WHEN bank.insufficient THEN dbms_output.put_line(SQLERRM); END;"),
        "ORA-20001: short by 5");
    // The block's first exception is not the package's first.
    EXPECT_EQ(Run("DECLARE mine EXCEPTION; BEGIN bank.pay(-1); EXCEPTION WHEN mine THEN "
                  "dbms_output.put_line('mine'); WHEN bank.closed THEN dbms_output.put_line('closed'); END;"),
              "closed");
    EXPECT_EQ(Run("BEGIN RAISE bank.closed; EXCEPTION WHEN bank.closed OR bank.insufficient THEN "
                  "dbms_output.put_line(SQLCODE); END;"),
              "1");
    EXPECT_EQ(Run("BEGIN NULL; EXCEPTION WHEN bank.missing THEN NULL; END;"),
              "ERROR ORA-06550: 行1、列33:|PLS-00302: コンポーネント'MISSING'を宣言してください。");
}

// ALTER ... COMPILE compiles a procedure now: VALID once its table is back,
// INVALID with its errors (and the warning) while the table is gone.
TEST_F(StoredUnitTest, AlterCompileSetsTheStatusAtOnce) {
    EXPECT_EQ(Run("CREATE PROCEDURE fill IS BEGIN INSERT INTO box VALUES (1); END;"),
              "ERROR 警告: コンパイル・エラーがあります。");
    Exec("CREATE TABLE box (n NUMBER)");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'FILL'"), "INVALID");
    Exec("ALTER PROCEDURE fill COMPILE");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'FILL'"), "VALID");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_ERRORS WHERE NAME = 'FILL'"), "0");
    Exec("DROP TABLE box");
    EXPECT_EQ(Run("ALTER PROCEDURE fill COMPILE"), "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'FILL'"), "INVALID");
    EXPECT_NE(Rows("SELECT TEXT FROM USER_ERRORS WHERE NAME = 'FILL'").find("ORA-00942"), std::string::npos);
    EXPECT_EQ(Run("ALTER PROCEDURE none COMPILE").substr(0, 15), "ERROR ORA-04043");
}

// ALTER PACKAGE ... COMPILE compiles now: the heading and body, the body
// alone, or the heading alone; a package whose table went is INVALID, and
// the first use once the table is back compiles it again, VALID.
TEST_F(StoredUnitTest, AlterPackageCompileSetsTheStatusAndUseRecompiles) {
    Exec("CREATE TABLE box (n NUMBER)");
    Exec("INSERT INTO box VALUES (4)");
    Exec("CREATE PACKAGE boxes AS FUNCTION total RETURN NUMBER; END;");
    Exec(
        "CREATE PACKAGE BODY boxes AS\n  FUNCTION total RETURN NUMBER IS\n    t NUMBER;\n  BEGIN\n"
        "    SELECT SUM(n) INTO t FROM box;\n    RETURN t;\n  END;\nEND;");
    const char* status =
        "SELECT OBJECT_TYPE || ' ' || STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'BOXES' ORDER BY "
        "OBJECT_TYPE";
    Exec("DROP TABLE box");
    EXPECT_EQ(Rows(status), "PACKAGE VALID|PACKAGE BODY INVALID");
    EXPECT_EQ(Run("ALTER PACKAGE boxes COMPILE"), "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows(status), "PACKAGE VALID|PACKAGE BODY INVALID");
    EXPECT_EQ(Rows("SELECT TYPE, LINE FROM USER_ERRORS WHERE NAME = 'BOXES' ORDER BY SEQUENCE").substr(0, 14),
              "PACKAGE BODY,5");
    Exec("ALTER PACKAGE boxes COMPILE SPECIFICATION");
    EXPECT_EQ(Run("ALTER PACKAGE boxes COMPILE BODY"), "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(boxes.total); END;").substr(0, 15), "ERROR ORA-06550");
    Exec("CREATE TABLE box (n NUMBER)");
    Exec("INSERT INTO box VALUES (6)");
    EXPECT_EQ(Rows(status), "PACKAGE VALID|PACKAGE BODY INVALID");
    EXPECT_EQ(Run("BEGIN dbms_output.put_line(boxes.total); END;"), "6");
    EXPECT_EQ(Rows(status), "PACKAGE VALID|PACKAGE BODY VALID");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_ERRORS WHERE NAME = 'BOXES'"), "0");
    Exec("DROP TABLE box");
    EXPECT_EQ(Run("ALTER PACKAGE BODY boxes COMPILE"), "ERROR 警告: コンパイル・エラーがあります。");
    Exec("CREATE TABLE box (n NUMBER)");
    Exec("ALTER PACKAGE boxes COMPILE BODY");
    EXPECT_EQ(Rows(status), "PACKAGE VALID|PACKAGE BODY VALID");
    EXPECT_EQ(Run("ALTER PACKAGE nothing_here COMPILE").substr(0, 15), "ERROR ORA-04043");
    // A procedure left INVALID by ALTER ... COMPILE is VALID again once used.
    Exec("CREATE PROCEDURE fill IS BEGIN INSERT INTO box VALUES (1); END;");
    Exec("DROP TABLE box");
    EXPECT_EQ(Run("ALTER PROCEDURE fill COMPILE"), "ERROR 警告: コンパイル・エラーがあります。");
    Exec("CREATE TABLE box (n NUMBER)");
    EXPECT_EQ(Run("BEGIN fill; END;"), "");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'FILL'"), "VALID");
}

// An error of a function a block's SQL calls keeps the function's line
// above the block's, as the server shows them.
TEST_F(StoredUnitTest, AFunctionFailingInsideSqlKeepsItsLine) {
    Exec("CREATE FUNCTION f RETURN NUMBER IS\nBEGIN\n  RETURN 1 / 0;\nEND;");
    EXPECT_EQ(Run("DECLARE\n  x NUMBER;\nBEGIN\n  SELECT f INTO x FROM dual;\nEND;"),
              "ERROR ORA-01476: 除数がゼロです。|ORA-06512: \"F\", 行3|ORA-06512: 行4");
    EXPECT_EQ(Run("DECLARE x NUMBER; BEGIN SELECT f INTO x FROM dual; EXCEPTION WHEN ZERO_DIVIDE THEN "
                  "dbms_output.put_line(SQLERRM); END;"),
              "ORA-01476: 除数がゼロです。");
}

// USER_ARGUMENTS: a function's result is position 0 and first in sequence,
// a procedure's parameters start the sequence at 1; a package's members name
// their package, and the members of one name are numbered by OVERLOAD in the
// order the heading declares them (NULL for a name declared once). Replacing
// the heading keeps one set of rows, a body none of its own, and DROP
// PACKAGE takes them.
TEST_F(StoredUnitTest, UserArgumentsNumberOverloadsAndPlaceResults) {
    Exec("CREATE PROCEDURE p(a NUMBER, b OUT DATE) IS BEGIN NULL; END;");
    Exec("CREATE FUNCTION f(x DATE) RETURN VARCHAR2 IS BEGIN RETURN 'x'; END;");
    const char* heading =
        "CREATE OR REPLACE PACKAGE shapes AS FUNCTION area(r NUMBER) RETURN NUMBER; FUNCTION area(w NUMBER, "
        "h NUMBER) RETURN NUMBER; PROCEDURE reset(n IN OUT PLS_INTEGER); END;";
    EXPECT_EQ(Run(heading), "");
    EXPECT_EQ(Run(heading), "");
    Exec(
        "CREATE PACKAGE BODY shapes AS FUNCTION area(r NUMBER) RETURN NUMBER IS BEGIN RETURN r * r; "
        "END; FUNCTION area(w NUMBER, h NUMBER) RETURN NUMBER IS BEGIN RETURN w * h; END; PROCEDURE "
        "reset(n IN OUT PLS_INTEGER) IS BEGIN n := 0; END; END;");
    const char* query =
        "SELECT object_name, package_name, overload, argument_name, position, sequence, data_level, "
        "data_type, "
        "in_out FROM user_arguments ORDER BY package_name NULLS FIRST, object_name, overload, sequence";
    EXPECT_EQ(
        Rows(query),
        "F,-,-,-,0,1,0,VARCHAR2,OUT|F,-,-,X,1,2,0,DATE,IN|P,-,-,A,1,1,0,NUMBER,IN|P,-,-,B,2,2,0,DATE,OUT|"
        "AREA,SHAPES,1,-,0,1,0,NUMBER,OUT|AREA,SHAPES,1,R,1,2,0,NUMBER,IN|"
        "AREA,SHAPES,2,-,0,1,0,NUMBER,OUT|AREA,SHAPES,2,W,1,2,0,NUMBER,IN|AREA,SHAPES,2,H,2,3,0,NUMBER,IN|"
        "RESET,SHAPES,-,N,1,1,0,PLS_INTEGER,IN/OUT");
    Exec("DROP PACKAGE shapes");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_arguments"), "4");
}

// A file written before USER_ARGUMENTS had its package columns gets them
// when opened: its rows answer as before, and a package stores its members.
TEST(StoredUnitFile, OlderArgumentRowsGainTheirPackageColumns) {
    TempHome home;
    {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        ASSERT_EQ(EngineFixture::RunOn(*connection,
                                       "CREATE FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x; END;"),
                  "OK");
    }
    EngineFixture::WriteRaw(
        home.Path("old.db"),
        "CREATE TABLE A (NAME VARCHAR2(128) NOT NULL, ARGUMENT_NAME VARCHAR2(128), POSITION "
        "INTEGER NOT NULL, DATA_TYPE VARCHAR2(30), IN_OUT VARCHAR2(9) NOT NULL);"
        "INSERT INTO A SELECT NAME, ARGUMENT_NAME, POSITION, DATA_TYPE, IN_OUT FROM "
        "TARVEX_UNIT_ARGUMENTS; DROP TABLE TARVEX_UNIT_ARGUMENTS;"
        "ALTER TABLE A RENAME TO TARVEX_UNIT_ARGUMENTS");
    CEngineError error;
    auto connection = CSqliteConnection::Open("OLD", error);
    ASSERT_NE(connection, nullptr) << error.message;
    ASSERT_EQ(EngineFixture::RunOn(*connection, "CREATE PACKAGE k AS PROCEDURE q(n NUMBER); END;"), "OK");
    EXPECT_EQ(EngineFixture::RowsOn(*connection,
                                    "SELECT object_name || package_name || position || sequence "
                                    "FROM user_arguments ORDER BY 1"),
              "F01|F12|QK11");
    EXPECT_EQ(EngineFixture::RowsOn(*connection, "SELECT f(4) FROM dual"), "4");
}

// A MERGE is compiled with the unit as the other static SQL is: one naming a
// missing table or column leaves the unit INVALID with the error in
// USER_ERRORS, and it runs once the table is there.
TEST_F(StoredUnitTest, AMergeIsCompiledWithItsUnit) {
    Exec("CREATE TABLE stock (id NUMBER PRIMARY KEY, qty NUMBER)");
    const char* missingTable =
        "CREATE OR REPLACE PROCEDURE restock(p_id NUMBER, p_qty NUMBER) IS\nBEGIN\n"
        "  MERGE INTO stock s USING (SELECT p_id id, p_qty qty FROM incoming) i ON (s.id = i.id)\n"
        "  WHEN MATCHED THEN UPDATE SET s.qty = s.qty + i.qty\n"
        "  WHEN NOT MATCHED THEN INSERT (id, qty) VALUES (i.id, i.qty);\nEND;";
    EXPECT_EQ(Run(missingTable), "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = 'RESTOCK'"), "INVALID");
    // The SQL's error stands at the table it names, the statement passed over at its start.
    EXPECT_EQ(
        Rows("SELECT line, position, text FROM user_errors WHERE name = 'RESTOCK' ORDER BY sequence"),
        "3,3,PL/SQL: SQL Statement ignored|3,60,PL/SQL: ORA-00942: 表またはビュー INCOMING は存在しません。");
    EXPECT_EQ(Run("CREATE OR REPLACE PROCEDURE restock(p_id NUMBER, p_qty NUMBER) IS\nBEGIN\n"
                  "  MERGE INTO stock s USING (SELECT p_id id, p_qty qty FROM dual) i ON (s.id = i.id)\n"
                  "  WHEN MATCHED THEN UPDATE SET s.quantity = s.qty + i.qty;\nEND;"),
              "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_errors WHERE name = 'RESTOCK' AND text LIKE '%ORA-00904%'"),
              "1");
    Exec("CREATE TABLE incoming (n NUMBER)");
    Exec("INSERT INTO incoming VALUES (1)");
    EXPECT_EQ(Run(missingTable), "");
    EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = 'RESTOCK'"), "VALID");
    EXPECT_EQ(Run("BEGIN restock(7, 5); restock(7, 2); END;"), "");
    EXPECT_EQ(Rows("SELECT id, qty FROM stock"), "7,7");
    // An anonymous block with such a MERGE fails before anything runs.
    Exec("CREATE TABLE note (t VARCHAR2(10))");
    EXPECT_EQ(Run("BEGIN INSERT INTO note VALUES ('x'); MERGE INTO nowhere n USING dual ON (1 = 1) "
                  "WHEN MATCHED THEN UPDATE SET n.a = 1; END;")
                  .rfind("ERROR ORA-06550: 行1、列49:|PL/SQL: ORA-00942", 0),
              0u);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM note"), "0");
}

// A script whose procedure and block have several compile errors, run on
// the embedded database through the batch runner: SHOW ERRORS lists every
// statement passed over with its error, and the block answers an ORA-06550
// pair for each error in the order of its text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlCompileErrorsScript : public ScriptRun {};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER);\n"
    "CREATE OR REPLACE PROCEDURE raise_all AS\n"
    "  total NUMBER;\n"
    "BEGIN\n"
    "  UPDATE emp SET salary = salary * 1.1;\n"
    "  total := bonus + 1;\n"
    "  SELECT SUM(sal) INTO total FROM emps;\n"
    "END;\n"
    "/\n"
    "SHOW ERRORS\n"
    "BEGIN\n"
    "  counter := 1;\n"
    "  DELETE FROM emp WHERE dept = 10;\n"
    "END;\n"
    "/\n";

TEST_F(PlsqlCompileErrorsScript, ShowErrorsAndABlockListEveryError) {
    RunResult r = RunScripts({kScript});
    ExpectTail(r,
               "SQL> SHOW ERRORS|PROCEDURE RAISE_ALLのエラーです。||"
               "LINE/COL ERROR|-------- -----------------------------------------------------------------|"
               "4/3      PL/SQL: SQL Statement ignored|"
               "4/18     PL/SQL: ORA-00904: 列 SALARY は存在しません。|"
               "5/3      PL/SQL: Statement ignored|"
               "5/12     PLS-00201: 識別子'BONUS'を宣言してください。|"
               "6/3      PL/SQL: SQL Statement ignored|"
               "6/35     PL/SQL: ORA-00942: 表またはビュー EMPS は存在しません。|"
               "SQL> BEGIN|SQL>   counter := 1;|SQL>   DELETE FROM emp WHERE dept = 10;|SQL> END;|SQL> /|"
               "  counter := 1;|  *|エラー行: 1: エラーが発生しました。|"
               "ORA-06550: 行2、列3:|PLS-00201: 識別子'COUNTER'を宣言してください。|"
               "ORA-06550: 行2、列3:|PL/SQL: Statement ignored|"
               "ORA-06550: 行3、列25:|PL/SQL: ORA-00904: 列 DEPT は存在しません。|"
               "ORA-06550: 行3、列3:|PL/SQL: SQL Statement ignored|SQL> ");
}

// A package whose member's parameter type does not resolve, and a block
// whose declaration calls a function nobody declared.
const char kUnresolvedScript[] =
    "CONNECT scott/tiger\n"
    "CREATE OR REPLACE PACKAGE pk IS\n"
    "  PROCEDURE p(a no_such_type);\n"
    "END;\n"
    "/\n"
    "SHOW ERRORS\n"
    "DECLARE\n"
    "  v NUMBER := nofunc(1);\n"
    "BEGIN\n"
    "  NULL;\n"
    "END;\n"
    "/\n";

TEST_F(PlsqlCompileErrorsScript, UnresolvedNamesAreListedAsTheServerDoes) {
    RunResult r = RunScripts({kUnresolvedScript});
    ExpectTail(r,
               "SQL> SHOW ERRORS|PACKAGE PKのエラーです。||"
               "LINE/COL ERROR|-------- -----------------------------------------------------------------|"
               "0/0      PL/SQL: Compilation unit analysis terminated|"
               "2/17     PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。|"
               "SQL> DECLARE|SQL>   v NUMBER := nofunc(1);|SQL> BEGIN|SQL>   NULL;|SQL> END;|SQL> /|"
               "  v NUMBER := nofunc(1);|              *|エラー行: 1: エラーが発生しました。|"
               "ORA-06550: 行2、列15:|PLS-00201: 識別子'NOFUNC'を宣言してください。|"
               "ORA-06550: 行2、列5:|PL/SQL: Item ignored|SQL> ");
}

}  // namespace

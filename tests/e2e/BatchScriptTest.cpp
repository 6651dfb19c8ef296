// Runs the built program on script files against a fresh embedded database
// and compares the whole console it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/TestFiles.h"

namespace {

struct RunResult {
    int status;
    std::string out, err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The console as written, from its lines separated by '|'.
std::string Console(const std::string& lines) {
    std::string text;
    std::istringstream in(lines + "|");
    for (std::string line; std::getline(in, line, '|');) text += line + "\n";
    return text;
}

class BatchScript : public ::testing::Test {
protected:
    // Writes each script (UTF-8 here, CP932 on disk) and runs them in order,
    // after the file arguments in `before`.
    RunResult RunScripts(const std::vector<std::string>& scripts, const std::string& stdinText = "",
                         const std::string& before = "") {
        const char* bin = std::getenv("TARVEX_BIN");
        if (bin == nullptr) return {-1, "", "TARVEX_BIN is not set"};
        std::string command =
            "TARVEX_HOME='" + (m_dir.Path() / "home").string() + "' '" + bin + "' --batch " + before;
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            std::string name = "script" + std::to_string(i) + ".sql";
            m_dir.Write(name, testfiles::Sjis(scripts[i]));
            command += " " + name;
        }
        m_dir.Write("stdin.txt", testfiles::Sjis(stdinText));
        int raw = std::system((command + " < stdin.txt > out.txt 2> err.txt").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll("out.txt"), ReadAll("err.txt")};
    }

    // Expects the run to succeed and its console to end with `lines`.
    static void ExpectTail(const RunResult& r, const std::string& lines) {
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string tail = Console(lines);
        ASSERT_GE(r.out.size(), tail.size()) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
    }

    testfiles::ScratchDir m_dir;
};

const char kCreate[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);\n"
    "INSERT INTO emp VALUES ('smith', 800, NULL);\n"
    "INSERT INTO emp VALUES ('allen', 1600, NULL);\n";

TEST_F(BatchScript, TablesRowsAndDescribe) {
    RunResult r = RunScripts({std::string(kCreate) + "SELECT ename, sal FROM emp;\n"
                                                     "UPDATE emp\n   SET sal = sal + 1\n;\n"
                                                     "DELETE FROM emp WHERE ename = 'NOBODY';\n"
                                                     "SELECT ename FROM emp WHERE sal > 5000;\n"
                                                     "desc emp\n"});
    EXPECT_EQ(r.out,
              Console("SQL> CONNECT scott/tiger|接続に成功しました。|"
                      "SQL> CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);|"
                      "表が作成されました。|SQL> INSERT INTO emp VALUES ('smith', 800, NULL);|"
                      "1行が作成されました。|SQL> INSERT INTO emp VALUES ('allen', 1600, NULL);|"
                      "1行が作成されました。|SQL> SELECT ename, sal FROM emp;||"
                      "ENAME      SAL        |---------- ---------- |SMITH      800        |"
                      "ALLEN      1600       ||2行が選択されました。||SQL> UPDATE emp|"
                      "SQL>    SET sal = sal + 1|SQL> ;|2行が更新されました。|"
                      "SQL> DELETE FROM emp WHERE ename = 'NOBODY';|0行が削除されました。|"
                      "SQL> SELECT ename FROM emp WHERE sal > 5000;||ENAME      |---------- ||"
                      "0行が選択されました。||SQL> desc emp|名前                 NULL?    型|"
                      "-------------------- -------- --------------------|"
                      "ENAME                         VARCHAR2(10)|SAL                           NUMBER(7, 2)|"
                      "HIRED                         DATE||SQL> "));
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(BatchScript, ErrorReportMarksTheFailingLine) {
    RunResult r = RunScripts({std::string(kCreate) + "SELECT ename,\n  nosuch FROM emp;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected = Console(
        "SQL> SELECT ename,|SQL>   nosuch FROM emp;|  nosuch FROM emp;|  *|"
        "エラー行: 1: エラーが発生しました。");
    std::size_t at = r.out.find(expected);
    ASSERT_NE(at, std::string::npos) << r.out;
    // The server's message follows, then the fresh prompt.
    std::string rest = r.out.substr(at + expected.size());
    EXPECT_NE(rest.find("NOSUCH"), std::string::npos) << rest;
    EXPECT_EQ(rest.substr(rest.size() - 6), "SQL> \n");
}

TEST_F(BatchScript, DefineSubstitutesAndColumnFormatNarrows) {
    ExpectTail(
        RunScripts({std::string(kCreate) + "define t = emp\nCOLUMN ename FORMAT a3\nCOLUMN sal FORMAT 999\n"
                                           "SELECT ename FROM &t WHERE sal < 1000;\nCLEAR COLUMNS\n"
                                           "SELECT ename FROM &T WHERE sal < 1000;\n"}),
        "SQL> define t = emp|SQL> COLUMN ename FORMAT a3|SQL> COLUMN sal FORMAT 999|"
        "FORMAT文字列\"999\"が不正です。|SQL> SELECT ename FROM &t WHERE sal < 1000;||"
        "ENA |--- |SMI ||1行が選択されました。||SQL> CLEAR COLUMNS|"
        "SQL> SELECT ename FROM &T WHERE sal < 1000;||ENAME      |---------- |SMITH      ||"
        "1行が選択されました。||SQL> ");
}

TEST_F(BatchScript, CommentsUnknownCommandsSetAndShow) {
    RunResult r =
        RunScripts({"REM setup\n/* a block\n   comment */\nDESC\nDISCONNECT\nCONNECT scott\n",
                    "show numwidth\nSET NUMWIDTH 51\nSET NUMWIDTH 020\nSHOW NUM\nSET HEADING maybe\n"
                    "SET AUTOCOMMIT ON\nSHOW HEADING\nSHOW SERVEROUTPUT\nCONNECT a/b\nSET AUTO IMM\n"
                    "SHOW AUTOCOMMIT\nSET HEADING OFF\nSELECT 'x' FROM dual;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console("SQL> REM setup|SQL> /* a block|SQL>    comment */|SQL> DESC|"
                             "不明なコマンドです。|SQL> DISCONNECT|接続されていません。|"
                             "SQL> CONNECT scott|不明なコマンドです。|SQL> show numwidth|NUMWIDTH 10|"
                             "SQL> SET NUMWIDTH 51|numwidthオプション 0が範囲外です(範囲: 2～50)。|"
                             "SQL> SET NUMWIDTH 020|SQL> SHOW NUM|NUMWIDTH 020|SQL> SET HEADING maybe|"
                             "headingをONまたはOFFに設定する必要があります。|SQL> SET AUTOCOMMIT ON|"
                             "接続されていません。|SQL> SHOW HEADING|HEADING ON|SQL> SHOW SERVEROUTPUT|"
                             "SERVEROUTPUT OFF|SQL> CONNECT a/b|接続に成功しました。|SQL> SET AUTO IMM|"
                             "SQL> SHOW AUTOCOMMIT|AUTOCOMMIT IMMEDIATE|SQL> SET HEADING OFF|"
                             "SQL> SELECT 'x' FROM dual;||X ||1行が選択されました。||SQL> "));
}

TEST_F(BatchScript, DataSurvivesInTheNamedDatabase) {
    RunResult first =
        RunScripts({"CONNECT u/p@shop\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (7);\nEXIT\nSELECT 1 "
                    "FROM dual;\n"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.substr(first.out.size() - 16), "SQL> EXIT\nSQL> \n");
    RunResult second = RunScripts({"CONNECT u/p@shop\nSELECT n FROM t;\n"});
    EXPECT_NE(second.out.find("\n7          \n"), std::string::npos) << second.out;
}

// Standard input is not read when files are named; CLEAR SCREEN in the
// first file leaves only what follows.
TEST_F(BatchScript, ScriptsRerunMissingFilesAndClearScreen) {
    m_dir.Write("inner.sql", testfiles::Sjis("SHOW HEAD\nSHOW NUM\n"));
    RunResult r =
        RunScripts({"SHOW NUM\nclear screen\n", "@inner.sql\n@absent.sql\nSHOW AUTO\n/\n"}, "SHOW HEAD\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console("SQL> @inner.sql|HEADING ON|NUMWIDTH 10|SQL> @absent.sql|"
                             "ファイルを開けません: absent.sql|SQL> SHOW AUTO|AUTOCOMMIT OFF|SQL> /|"
                             "SQL> SHOW AUTO|AUTOCOMMIT OFF|SQL> "));
}

TEST_F(BatchScript, UnreadableFileGivesStatusOne) {
    RunResult r = RunScripts({"SHOW HEAD\n"}, "", "nothere.sql");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Console("SQL> SHOW HEAD|HEADING ON|SQL> "));
    EXPECT_NE(r.err.find("nothere.sql"), std::string::npos);
}

TEST_F(BatchScript, BindVariablesAndBlocks) {
    RunResult r =
        RunScripts({"CONNECT a/b\nVARIABLE n NUMBER\nEXECUTE :n := 6 * 7\nPRINT n\nBEGIN\n  :n := :n + "
                    "1;\nEND;\n/\nprint n\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              Console("SQL> CONNECT a/b|接続に成功しました。|SQL> VARIABLE n NUMBER|"
                      "SQL> EXECUTE :n := 6 * 7||PL/SQLプロシージャが正常に完了しました。||"
                      "SQL> PRINT n||N|--------------------|42||SQL> BEGIN|SQL>   :n := :n + 1;|SQL> END;|"
                      "SQL> /|PL/SQLプロシージャが正常に完了しました。|SQL> print n||N|"
                      "--------------------|43||SQL> "));
}

// Note: a value longer than its column is refused by bytes, as the server
// does, and names are measured by bytes too.
TEST_F(BatchScript, JapaneseNamesAndValuesAreMeasuredByBytes) {
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE 社員 (名前 VARCHAR2(6), メモ VARCHAR2(20));\n"
                    "INSERT INTO 社員 VALUES ('山田太郎', 'ｶﾀｶﾅ');\n"
                    "INSERT INTO 社員 VALUES ('山田太', 'ｶﾀｶﾅ');\nSELECT * FROM 社員;\n"});
    EXPECT_NE(r.out.find("ORA-12899: 社員.名前 の値が長すぎます (8 バイト、最大 6 バイト)。"),
              std::string::npos)
        << r.out;
    ExpectTail(r,
               "SQL> SELECT * FROM 社員;||名前   メモ                 |"
               "------ -------------------- |山田太 ｶﾀｶﾅ                 ||"
               "1行が選択されました。||SQL> ");
}

// A schema script with named constraints, a view with an outer join, a
// sequence and a populating block, then queries answered as the server does.
TEST_F(BatchScript, SchemaScriptRunsAndQueriesGiveTheServersAnswers) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger\n"
         "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT dept_pk PRIMARY KEY, dname VARCHAR2(14) NOT NULL) "
         "TABLESPACE users;\n"
         "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT emp_pk PRIMARY KEY, ename VARCHAR2(10), hiredate "
         "DATE, "
         "sal NUMBER(7,2), deptno NUMBER(2));\n"
         "ALTER TABLE emp ADD (CONSTRAINT emp_dept_fk FOREIGN KEY (deptno) REFERENCES dept (deptno));\n"
         "CREATE VIEW emp_v AS SELECT e.ename, d.dname, e.sal FROM emp e, dept d WHERE e.deptno = "
         "d.deptno(+);\n"
         "CREATE SEQUENCE emp_seq START WITH 7000;\n"
         "BEGIN\n"
         "  INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
         "  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'SMITH', TO_DATE('1980-12-17', 'YYYY-MM-DD'), 800.555, "
         "10);\n"
         "  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'KING', TO_DATE('1981-11-17', 'YYYY-MM-DD'), 5000, "
         "NULL);\n"
         "END;\n/\n"
         "INSERT INTO emp VALUES (1, 'TOOLONGNAME', NULL, 1, 10);\n"
         "SELECT ename, dname, sal FROM emp_v ORDER BY dname;\n"
         "SELECT ename, hiredate + 1 FROM emp WHERE ROWNUM = 1;\n"
         "SELECT SUM(sal) FROM emp;\n"});
    ExpectTail(
        r,
        "SQL> INSERT INTO emp VALUES (1, 'TOOLONGNAME', NULL, 1, 10);|"
        "INSERT INTO emp VALUES (1, 'TOOLONGNAME', NULL, 1, 10);|                           *|"
        "エラー行: 0: エラーが発生しました。|"
        "ORA-12899: EMP.ENAME の値が長すぎます (11 バイト、最大 10 バイト)。|"
        "SQL> SELECT ename, dname, sal FROM emp_v ORDER BY dname;||"
        "ENAME      DNAME          SAL        |---------- -------------- ---------- |"
        "SMITH      ACCOUNTING     800.56     |KING                      5000       ||"
        "2行が選択されました。||"
        "SQL> SELECT ename, hiredate + 1 FROM emp WHERE ROWNUM = 1;||"
        "ENAME      HIREDATE |---------- -------- |SMITH      80-12-18 ||1行が選択されました。||"
        "SQL> SELECT SUM(sal) FROM emp;||SUM(SAL)   |---------- |5800.56    ||1行が選択されました。||SQL> ");
    // Nothing but the value too long failed (its code is the only ORA-1...).
    EXPECT_EQ(r.out.find("ORA-0"), std::string::npos) << r.out;
}

}  // namespace

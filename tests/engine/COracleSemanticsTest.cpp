// The embedded engine answers as the server does: each case is a rule of the
// server, not the engine's own output.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/sqlite/CStatementLimits.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/Sj.h"

namespace {

class COracleSemanticsTest : public EngineFixture {
protected:
    int TypeOf(const std::string& sql) {
        CEngineResult result;
        if (!m_connection->Query(sql, m_binds, result) || result.Columns().empty()) return -1;
        return result.Columns()[0].serverType;
    }
};

}  // namespace

TEST_F(COracleSemanticsTest, RownumCountsAcceptedRowsBeforeOrderBy) {
    Exec("CREATE TABLE R (X NUMBER)");
    for (const char* value : {"1", "2", "3", "NULL"})
        Exec(std::string("INSERT INTO R VALUES (") + value + ")");
    EXPECT_EQ(Rows("SELECT ROWNUM, X FROM R WHERE X IS NOT NULL ORDER BY X DESC"), "3,3|2,2|1,1");
    EXPECT_EQ(Rows("SELECT X FROM (SELECT X FROM R ORDER BY X DESC) WHERE ROWNUM <= 2"), "-|3");
    EXPECT_EQ(Rows("SELECT X FROM R WHERE ROWNUM < 3 ORDER BY X DESC"), "2|1");
}

TEST_F(COracleSemanticsTest, TextIsNeverTakenForADate) {
    EXPECT_EQ(Rows("SELECT '2024-01-15 10:00:00' FROM DUAL"), "2024-01-15 10:00:00");
    // A text literal is CHAR of its length, as on the server.
    EXPECT_EQ(TypeOf("SELECT '2024-01-15 10:00:00' FROM DUAL"), servertype::kChar);
    EXPECT_EQ(TypeOf("SELECT DATE '2024-01-15' + 1 FROM DUAL"), servertype::kDate);
    EXPECT_EQ(Rows("SELECT DATE '2024-01-15' + 1 FROM DUAL"), "24-01-16");
    EXPECT_EQ(Rows("SELECT SYSDATE FROM DUAL"), Rows("SELECT TO_CHAR(SYSDATE, 'RR-MM-DD') FROM DUAL"));
}

TEST_F(COracleSemanticsTest, NumberColumnsRoundAndRefuseWhatTheirPrecisionCannotHold) {
    Exec("CREATE TABLE T (B NUMBER(5,2), I NUMBER(3), N NUMBER, H NUMBER(9,-2))");
    Exec("INSERT INTO T (H) VALUES (1250)");
    Exec("INSERT INTO T (H) VALUES (1249.9)");
    EXPECT_EQ(Rows("SELECT H FROM T ORDER BY H"), "1200|1300");
    Exec("DELETE FROM T");
    Exec("INSERT INTO T (B) VALUES (1.005)");
    EXPECT_EQ(Rows("SELECT B, B * 3 FROM T"), "1.01,3.03");
    Exec("UPDATE T SET B = -2.675, I = 12.5, N = '7.50'");
    EXPECT_EQ(Rows("SELECT B, I, N FROM T"), "-2.68,13,7.5");
    std::string sql = "INSERT INTO T (B) VALUES (1000)";
    EXPECT_EQ(Failure(sql), "ORA-01438: T.B の値が列の精度を超えています。");
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.find("1000")));
    EXPECT_EQ(m_connection->LastError().code, 1438);
    EXPECT_EQ(Failure("INSERT INTO T (B) VALUES (999.995)"), "ORA-01438: T.B の値が列の精度を超えています。");
    EXPECT_EQ(Failure("INSERT INTO T (N) VALUES ('12a')"), "ORA-01722: 数値に変換できない値です。");
}

TEST_F(COracleSemanticsTest, TextColumnsRefuseLongValuesAndCharIsPadded) {
    Exec("CREATE TABLE T (V VARCHAR2(3), C CHAR(4), W VARCHAR2(2 CHAR))");
    std::string sql = "INSERT INTO T (V) VALUES ('abcdef')";
    EXPECT_EQ(Failure(sql), "ORA-12899: T.V の値が長すぎます (6 バイト、最大 3 バイト)。");
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.find("'abcdef'")));
    EXPECT_EQ(Failure("INSERT INTO T (V) VALUES ('日本')"),
              "ORA-12899: T.V の値が長すぎます (4 バイト、最大 3 バイト)。");
    Exec("INSERT INTO T (C, W) VALUES ('ab', '日本')");
    EXPECT_EQ(Rows("SELECT LENGTH(C), C || '|' FROM T"), "4,ab  |");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE C = 'ab'"), "1");
    EXPECT_EQ(Failure("INSERT INTO T (W) VALUES ('abc')"),
              "ORA-12899: T.W の値が長すぎます (3 文字、最大 2 文字)。");
}

TEST_F(COracleSemanticsTest, DatesAreValuesWithArithmetic) {
    Exec("CREATE TABLE T (D DATE)");
    Exec("INSERT INTO T VALUES (TO_DATE('2024-01-31 10:30:00', 'YYYY-MM-DD HH24:MI:SS'))");
    EXPECT_EQ(Rows("SELECT D + 1, TO_CHAR(D, 'YYYY'), TRUNC(D), ADD_MONTHS(D, 1) FROM T"),
              "24-02-01,2024,24-01-31,24-02-29");
    EXPECT_EQ(Rows("SELECT TO_CHAR(D - 0.5, 'YYYY-MM-DD HH24:MI') FROM T"), "2024-01-30 22:30");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TRUNC(D, 'MM'), 'YYYY-MM-DD'), TO_CHAR(ROUND(D, 'MM'), 'YYYY-MM-DD'), "
                   "TO_CHAR(TRUNC(D, 'YYYY'), 'YYYY-MM-DD'), TO_CHAR(ROUND(D, 'HH'), 'HH24:MI'), "
                   "TO_CHAR(TRUNC(D, 'Q'), 'MM-DD') FROM T"),
              "2024-01-01,2024-02-01,2024-01-01,11:00,01-01");
    EXPECT_EQ(Rows("SELECT TRUNC(0.29, 2), TRUNC(-1.999, 1), TRUNC(1555, -2), TRUNC(7.9) FROM DUAL"),
              ".29,-1.9,1500,7");
    EXPECT_EQ(Rows("SELECT D - DATE '2024-01-01' FROM T"), "30.4375");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE D > DATE '2024-01-31'"), "1");
    EXPECT_EQ(
        Rows("SELECT EXTRACT(MONTH FROM D), CAST(D AS VARCHAR2(8)), CAST('1.25' AS NUMBER(3,1)) FROM T"),
        "1,24-01-31,1.3");
    EXPECT_EQ(Rows("SELECT MAX(D), MIN(D) + 1, MAX(X) FROM T, (SELECT DATE '2026-01-02' AS X FROM DUAL)"),
              "24-01-31,24-02-01,26-01-02");
    Exec("CREATE TABLE C AS SELECT D, D + 1 AS E, 'x' AS F FROM T");
    EXPECT_EQ(Rows("SELECT E - D, F, TO_CHAR(E, 'YYYY') FROM C"), "1,x,2024");
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY/MM/DD'");
    EXPECT_EQ(Rows("SELECT D FROM T"), "2024/01/31");
    m_binds.push_back(CEngineBind{"V", "", true, servertype::kVarchar2, false});
    Exec("BEGIN :V := DATE '2024-02-29' + 1; END;");
    EXPECT_EQ(m_binds[0].value, "2024/03/01");
    Exec("BEGIN :V := '2024-01-15 10:00:00'; END;");
    EXPECT_EQ(m_binds[0].value, "2024-01-15 10:00:00");
    Exec("INSERT INTO T VALUES ('2025/02/03')");
    EXPECT_EQ(Rows("SELECT TO_CHAR(MAX(D), 'YYYYMMDD') FROM T"), "20250203");
}

TEST_F(COracleSemanticsTest, FunctionsAndOperatorsAnswerAsTheServer) {
    const std::pair<const char*, const char*> cases[] = {
        {"7 / 2, 6 / 2, -1 / 4, 1 / 2 / 2, 7 - 2 - 1, 9007199254740993 + 0",
         "3.5,3,-.25,.25,4,9007199254740993"},
        {"CONCAT('A', NULL), 'A' || NULL || 'B', NULL || NULL, 'N=' || NVL(NULL, 0) * 2", "A,AB,-,N=0"},
        {"1 + 1 || 'X', '1' || 1 + 1, 'V' || 0.5, NVL('', 'E'), TO_NUMBER('12.50') + 1", "2X,12,V.5,E,13.5"},
        {"CASE WHEN 'abc' LIKE 'A%' THEN 'I' ELSE 'S' END, TO_CHAR(42), TO_CHAR(1234.5, '9,999.99')",
         "S,42, 1,234.50"},
        {"SUBSTR('ABCDE', 2, 3), SUBSTR('ABCDE', 0, 2), SUBSTR('ABCDE', -2), SUBSTR('あいう', 2, 1)",
         "BCD,AB,DE,い"},
        {"SUBSTR('ABCDE', 4, 9223372036854775807), NVL(SUBSTR('ABCDE', 9), 'NONE')", "DE,NONE"},
        {"INSTR('ABCABC', 'B', 3), INSTR('ABCABC', 'B', 1, 2), INSTR('ABCABC', 'B', -1), INSTR('AB', 'X')",
         "5,5,5,0"},
        {"REPLACE('ABCABC', 'B'), REPLACE('ABC', 'B', NULL), LPAD('7', 3, '0'), RPAD('AB', 5, '*-')",
         "ACAC,AC,007,AB*-*"},
        {"LPAD('ABCDE', 3), INITCAP('HELLO wORLD'), GREATEST(3, 10, 7), LEAST('B', 'A', 'C')",
         "ABC,Hello World,10,A"},
        {"CEIL(1.2) + FLOOR(1.8), LAST_DAY(DATE '2024-02-10'), 1 + DATE '2024-12-31'", "3,24-02-29,25-01-01"},
        {"TO_CHAR(TO_DATE('2026-02-03 13:04:05', 'YYYY-MM-DD HH24:MI:SS'), 'HH12:MI AM')", "01:04 午後"},
        // A model reads the text back; an NLS parameter names G and D.
        {"TO_NUMBER('￥1,234.5', 'L9G999D9') + 1, TO_NUMBER('1.234,5', '9G999D9', "
         "'NLS_NUMERIC_CHARACTERS='',.''') * 2, TO_NUMBER(NULL, '99'), TO_NUMBER('7', NULL)",
         "1235.5,2469,-,-"}};
    for (const auto& [expressions, values] : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + expressions + " FROM DUAL"), values) << expressions;
    for (const char* expression :
         {"TO_DATE('2026-02-30', 'YYYY-MM-DD')", "TO_DATE('NOT A DATE', 'YYYY-MM-DD')", "TO_NUMBER('12X')",
          "TO_NUMBER('1,234', '9999')", "TO_NUMBER('1', '9', 'NLS_DATE_LANGUAGE=ENGLISH')",
          "TO_CHAR(1, 'ABC')", "'A' + 1", "1 - SYSDATE", "SYSDATE + SYSDATE", "1 / 0", "GREATEST()",
          "LPAD('A', 9223372036854775807)", "ADD_MONTHS(SYSDATE, 9223372036854775807)", "1 / (2 - 2)"})
        EXPECT_EQ(Rows(std::string("SELECT ") + expression + " FROM DUAL").rfind("ERROR ORA-", 0), 0u)
            << expression;
}

TEST_F(COracleSemanticsTest, ErrorPositionsAreBytesOfTheCp932StatementAsWritten) {
    Exec("SELECT 1 FROM DUAL;  \n");  // one trailing semicolon is allowed
    Exec("CREATE TABLE T (A NUMBER NOT NULL)");
    const struct {
        const char* sql;
        const char* at;  // the error is at its last occurrence; nullptr: position 0
        const char* code;
    } cases[] = {{"SELECT 1 FROM DUAL; SELECT 2 FROM DUAL", "SELECT", "ORA-00933"},
                 {"SELECT '日本' AS A FORM DUAL", "FORM", "ORA-00923"},
                 // SYSDATE is rewritten to a longer call before the error.
                 {"SELECT SYSDATE, '日本' FROM DUAL WHERE WHERE", "WHERE", "ORA-"},
                 {"  CREATE DATABASE LINK L", "CREATE", "ORA-03001"},
                 {"INSERT INTO T VALUES (NULL)", nullptr, "ORA-01400"},
                 // A division by zero is reported at its operator, text that is no
                 // number at the text, both found at run time.
                 {"SELECT 2 * (7 / (2 - 2)) FROM DUAL", "/", "ORA-01476"},
                 {"INSERT INTO T VALUES (1 + 'x' / 1)", "'x'", "ORA-01722"},
                 {"INSERT INTO T SELECT 3 / 0 FROM DUAL", "/", "ORA-01476"}};
    for (const auto& c : cases) {
        const std::string sql = Sj(c.sql);
        EXPECT_EQ(Failure(c.sql).rfind(c.code, 0), 0u) << c.sql << ": " << Error();
        EXPECT_EQ(m_connection->LastError().position, c.at ? static_cast<int>(sql.rfind(c.at)) : 0) << c.sql;
    }
    long rows = 0;
    const std::string invalid = Sj("SELECT '日本") + "\x81' FROM DUAL";
    EXPECT_FALSE(m_connection->Execute(invalid, m_binds, rows));
    EXPECT_EQ(m_connection->LastError().code, 29275);
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(invalid.find('\x81')));
    EXPECT_EQ(Rows("SELECT 'A' || CHR(128512) || 'B', '日本' FROM DUAL"), "A?B,日本");  // not in CP932
}

TEST_F(COracleSemanticsTest, TextComparedWithANumberIsANumber) {
    Exec("CREATE TABLE T (V VARCHAR2(5))");
    Exec("INSERT INTO T VALUES ('10')");
    EXPECT_EQ(Rows("SELECT V FROM T WHERE V > 9"), "10");
    Exec("INSERT INTO T VALUES ('x')");
    EXPECT_EQ(Rows("SELECT V FROM T WHERE V > 9"), "ERROR ORA-01722: 数値に変換できない値です。");
}

TEST_F(COracleSemanticsTest, MinusOuterJoinsAndDictionary) {
    Exec("CREATE TABLE D (ID NUMBER PRIMARY KEY, NAME VARCHAR2(10))");
    Exec("CREATE TABLE E (ID NUMBER, DEPT NUMBER)");
    Exec("INSERT INTO D VALUES (1, 'A')");
    Exec("INSERT INTO D VALUES (2, 'B')");
    Exec("INSERT INTO E VALUES (10, 1)");
    EXPECT_EQ(Rows("SELECT ID FROM D MINUS SELECT DEPT FROM E"), "2");
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE ID >= ALL (SELECT ID FROM D) OR ID = ANY (SELECT DEPT FROM E) "
                   "ORDER BY 1"),
              "1|2");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM D WHERE ID > ALL (SELECT DEPT FROM E WHERE DEPT > 5)"), "2");
    // The outer column shares its name with the subquery's column.
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE ID > ALL (SELECT ID FROM D WHERE ID < 2)"), "2");
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE ID < ANY (SELECT ID FROM D)"), "1");
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE ID >= ALL (SELECT ID FROM D)"), "2");
    // A query applied to each row of D: one row each.
    for (const char* join : {"CROSS", "OUTER"})
        EXPECT_EQ(Rows(std::string("SELECT 1 FROM D ") + join + " APPLY (SELECT 1 FROM DUAL) X"), "1|1");
    Exec("INSERT INTO E VALUES (11, NULL)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM D WHERE ID > ALL (SELECT DEPT FROM E)"), "0");
    Exec("DELETE FROM E WHERE ID = 11");
    EXPECT_EQ(Rows("SELECT ID, NAME FROM D JOIN E USING (ID)"), "");
    EXPECT_EQ(Rows("SELECT ID AS K FROM D UNION SELECT DEPT FROM E ORDER BY K DESC"), "2|1");
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT D.*, ID + 1, ROWNUM FROM D", m_binds, result));
    EXPECT_EQ(result.Columns()[2].name, "ID+1");
    EXPECT_EQ(result.Columns()[3].name, "ROWNUM");
    EXPECT_EQ(Rows("SELECT D.NAME, E.ID FROM D, E WHERE D.ID = E.DEPT(+) ORDER BY D.NAME"), "A,10|B,-");
    EXPECT_EQ(Rows("SELECT TABLE_NAME FROM USER_TABLES ORDER BY TABLE_NAME"), "D|E");
}

TEST_F(COracleSemanticsTest, ErrorsNameTheObjectAtTheirToken) {
    Exec("CREATE TABLE EMP (ENAME VARCHAR2(10) NOT NULL, CONSTRAINT EMP_PK PRIMARY KEY (ENAME))");
    const struct {
        const char* sql;
        const char* message;
        const char* at;  // nullptr: position 0
    } cases[] = {
        {"SELECT * FROM NOPE", "ORA-00942: 表またはビュー NOPE は存在しません。", "NOPE"},
        {"SELECT salary FROM EMP", "ORA-00904: 列 SALARY は存在しません。", "salary"},
        {"INSERT INTO EMP VALUES (NULL)", "ORA-01400: EMP.ENAME には NULL を入れられません。", nullptr},
        {"SELECT NOFUNC(1) FROM DUAL", "ORA-00904: 関数 NOFUNC は存在しません。", "NOFUNC"},
        {"SELECT ENAME FROM EMP, EMP E2", "ORA-00918: 列 ENAME の定義があいまいです。", "ENAME"},
        {"MERGE INTO EMP USING DUAL ON (1 = 1) WHEN MATCHED THEN UPDATE SET NOCOL = 'X'",
         "ORA-00904: 列 NOCOL は存在しません。", "NOCOL"},
    };
    std::string deep = "SELECT " + std::string(300, '(') + "1" + std::string(300, ')') + " FROM DUAL";
    EXPECT_EQ(Failure(deep).rfind("ORA-03001: ", 0), 0u);
    std::string signs;
    for (int k = 0; k < 50000; ++k) signs += "- ";
    EXPECT_EQ(Failure("SELECT " + signs + "1 FROM DUAL").rfind("ORA-03001: ", 0), 0u);
    std::string sum = "1";
    for (int k = 0; k < 50000; ++k) sum += "+1";
    EXPECT_EQ(Failure("SELECT " + sum + " FROM DUAL").rfind("ORA-03001: ", 0), 0u);
    // Refused before translation, at the first operator past the bound.
    EXPECT_EQ(m_connection->LastError().position,
              8 + 2 * static_cast<int>(CStatementLimits::kMaxOperatorRun));
    for (const auto& c : cases) {
        std::string sql = c.sql;
        EXPECT_EQ(Failure(sql), c.message) << sql;
        EXPECT_EQ(m_connection->LastError().position, c.at ? static_cast<int>(sql.find(c.at)) : 0) << sql;
    }
    Exec("INSERT INTO EMP VALUES ('A')");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES ('A')"), "ORA-00001: 一意制約 EMP_PK に違反する値です。");
    Exec("CREATE TABLE K (ID NUMBER PRIMARY KEY)");
    Exec("INSERT INTO K VALUES (1)");
    std::string key = Rows("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'K'");
    EXPECT_EQ(key.rfind("SYS_C", 0), 0u) << key;
    EXPECT_EQ(Failure("INSERT INTO K VALUES (1)"), "ORA-00001: 一意制約 " + key + " に違反する値です。");
    EXPECT_EQ(m_connection->LastError().code, 1);
}

TEST(COracleSemanticsFile, AFileOfThePreviousVersionOpensWithItsTypes) {
    TempHome home;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(home.Path("old.db").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(raw,
                     "CREATE TABLE T (A VARCHAR2(3), D DATE, N NUMBER(7,2));"
                     "INSERT INTO T VALUES ('abc', '2024-01-15 00:00:00', 1.5);"
                     "CREATE TABLE TARVEX_SEQUENCES (NAME TEXT PRIMARY KEY, NEXT_VALUE INTEGER NOT NULL, "
                     "STEP INTEGER NOT NULL);"
                     "INSERT INTO TARVEX_SEQUENCES VALUES ('S', 5, 1);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(raw);
    CEngineError error;
    auto connection = CSqliteConnection::Open("OLD", error);
    ASSERT_NE(connection, nullptr) << error.message;
    std::vector<CEngineBind> binds;
    CEngineResult result;
    ASSERT_TRUE(connection->Query("SELECT D + 1, N * 2, S.NEXTVAL FROM T", binds, result))
        << connection->LastError().message;
    EXPECT_EQ(result.Value(0, 0), "24-01-16");
    EXPECT_EQ(result.Value(0, 1), "3");
    EXPECT_EQ(result.Value(0, 2), "5");
    long rows = 0;
    EXPECT_FALSE(connection->Execute("INSERT INTO T (A) VALUES ('abcd')", binds, rows));
    EXPECT_EQ(connection->LastError().code, 12899);
}

// A trigger's statements store by the same column rules as any statement,
// reading the row through :NEW and :OLD; a table may be named LOG.
TEST_F(COracleSemanticsTest, TriggerBodiesStoreByTheColumnRules) {
    Exec("CREATE TABLE T (ID NUMBER, V VARCHAR2(3))");
    Exec("CREATE TABLE LOG (ID NUMBER(3), V VARCHAR2(3), OLD_V VARCHAR2(3))");
    Exec(
        "CREATE OR REPLACE TRIGGER TRG AFTER INSERT ON T FOR EACH ROW\n"
        "BEGIN\n  INSERT INTO LOG VALUES (:NEW.ID * 2.5, :NEW.V || 'zzzz', NULL);\nEND;\n");
    EXPECT_EQ(Failure("INSERT INTO T VALUES (1, 'ab')"),
              "ORA-12899: LOG.V の値が長すぎます (6 バイト、最大 3 バイト)。\nORA-06512: \"TRG\", 行2\n"
              "ORA-04088: トリガー'TRG'の実行中にエラーが発生しました");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "0");
    Exec("DROP TRIGGER TRG");
    Exec("INSERT INTO T VALUES (3, 'ab')");
    Exec(
        "CREATE OR REPLACE TRIGGER TRG AFTER UPDATE ON T FOR EACH ROW\n"
        "BEGIN\n  INSERT INTO LOG VALUES (:NEW.ID * 2.5, UPPER(:NEW.V), :OLD.V);\n  NULL;\nEND;\n");
    Exec("UPDATE T SET V = 'cd'");
    EXPECT_EQ(Rows("SELECT ID, V, OLD_V FROM LOG"), "8,CD,ab");
    std::string sql =
        "CREATE TRIGGER T2 BEFORE DELETE ON T FOR EACH ROW\nBEGIN\n  DELETE FROM LOG WHERE ID = "
        ":OLD.NOPE;\nEND;\n";
    // Note: as on the server, the trigger is kept with its compilation error.
    EXPECT_EQ(Failure(sql), "警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT LINE, POSITION, TEXT FROM USER_ERRORS WHERE NAME = 'T2' ORDER BY SEQUENCE"),
              "2,30,PLS-00049: バインド変数'OLD.NOPE'が正しくありません。");
}

// USER, UID and SYS_CONTEXT('USERENV', ...) answer from the session; a
// table function the engine lacks is refused by its name.
TEST_F(COracleSemanticsTest, SessionFactsAndNamedRefusals) {
    CEngineError error;
    auto scott = CSqliteConnection::Open("", error, CSqliteConnection::kDefaultBusyTimeoutMs, "scott");
    ASSERT_NE(scott, nullptr);
    std::vector<CEngineBind> binds;
    CEngineResult result;
    ASSERT_TRUE(
        scott->Query("SELECT USER, SYS_CONTEXT('userenv', 'current_schema'), SYS_CONTEXT('USERENV', "
                     "'DB_NAME'), SYS_CONTEXT('OTHER', 'X'), UID - UID FROM DUAL",
                     binds, result));
    ASSERT_EQ(result.RowCount(), 1u);
    EXPECT_EQ(result.Value(0, 0), "SCOTT");
    EXPECT_EQ(result.Value(0, 1), "SCOTT");
    EXPECT_EQ(result.Value(0, 2), "DEFAULT");
    EXPECT_TRUE(result.IsNull(0, 3));
    EXPECT_EQ(result.Value(0, 4), "0");
    EXPECT_FALSE(scott->Query("SELECT SYS_CONTEXT('USERENV', 'NOPE') FROM DUAL", binds, result));
    EXPECT_EQ(scott->LastError().code, 2003);
    std::string sql = "SELECT * FROM XMLTABLE('/a' PASSING XMLTYPE('<a/>')) X";
    EXPECT_EQ(Rows(sql).substr(0, 15), "ERROR ORA-03001");
    EXPECT_NE(Rows(sql).find("XMLTABLE"), std::string::npos);
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.find("XMLTABLE")));
    // A function of the server the engine lacks is refused by name; an
    // unknown name is no function.
    EXPECT_EQ(Rows("SELECT CON_ID_TO_DBID(1) FROM DUAL").substr(0, 15), "ERROR ORA-03001");
    EXPECT_NE(Rows("SELECT CON_ID_TO_DBID(1) FROM DUAL").find("CON_ID_TO_DBID"), std::string::npos);
    EXPECT_EQ(Rows("SELECT NOSUCHFN(1) FROM DUAL").substr(0, 15), "ERROR ORA-00904");
}

// A conversion's own NLS_DATE_LANGUAGE holds for that call alone, whatever
// the session's language; any other NLS parameter is refused, not ignored.
TEST_F(COracleSemanticsTest, ConversionsTakeTheirOwnDateLanguage) {
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('17-JUN-2003', 'DD-MON-YYYY', 'NLS_DATE_LANGUAGE=AMERICAN'), "
                   "'YYYY-MM-DD'), TO_CHAR(DATE '2003-06-17', 'DD-MON-YY', "
                   "'nls_date_language = ''American''') FROM DUAL"),
              "2003-06-17,17-JUN-03");
    // The session still speaks Japanese.
    EXPECT_EQ(Rows("SELECT TO_CHAR(DATE '2003-06-17', 'MON') FROM DUAL"), "6月");
    EXPECT_EQ(Rows("SELECT TO_DATE('17-JUN-2003', 'DD-MON-YYYY') FROM DUAL").substr(0, 15),
              "ERROR ORA-01843");
    const std::string sql =
        "SELECT TO_DATE('17-JUN-2003', 'DD-MON-YYYY', 'NLS_NUMERIC_CHARACTERS=.,') FROM DUAL";
    EXPECT_EQ(Rows(sql).substr(0, 15), "ERROR ORA-12702");
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(sql.find("'17")));
    EXPECT_EQ(Rows("SELECT TO_CHAR(12.5, '99.9', 'NLS_DATE_LANGUAGE=AMERICAN') FROM DUAL").substr(0, 15),
              "ERROR ORA-12702");
}

// NLS_LANGUAGE names the months and days as NLS_DATE_LANGUAGE does, and
// NLS_TERRITORY gives the territory's date format, as schema scripts set
// them before they insert dates written with month names.
TEST_F(COracleSemanticsTest, SessionLanguageAndTerritoryGiveNamesAndFormat) {
    Exec("ALTER SESSION SET NLS_LANGUAGE = American");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('13-JUL-87', 'dd-mm-rr'), 'YYYY-MM-DD') FROM DUAL"), "1987-07-13");
    EXPECT_EQ(Rows("SELECT DATE '2003-06-17' FROM DUAL"), "03-06-17");
    Exec("ALTER SESSION SET NLS_TERRITORY = America");
    EXPECT_EQ(Rows("SELECT DATE '2003-06-17' FROM DUAL"), "17-JUN-03");
    EXPECT_EQ(Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER IN ('NLS_LANGUAGE', "
                   "'NLS_TERRITORY', 'NLS_DATE_FORMAT') ORDER BY PARAMETER"),
              "DD-MON-RR|AMERICAN|AMERICA");
    Exec("ALTER SESSION SET NLS_TERRITORY = 'GERMANY' NLS_LANGUAGE = JAPANESE");
    EXPECT_EQ(Rows("SELECT DATE '2003-06-17', TO_CHAR(DATE '2003-06-17', 'MON') FROM DUAL"), "17.06.03,6月");
    EXPECT_EQ(Failure("ALTER SESSION SET NLS_TERRITORY = Narnia").substr(0, 9), "ORA-12705");
    EXPECT_EQ(Rows("SELECT DATE '2003-06-17' FROM DUAL"), "17.06.03");
}

// What a hierarchical query needs: LEVEL and PRIOR only with CONNECT BY, and
// CONNECT BY over one table (joins are refused by name).
TEST_F(COracleSemanticsTest, HierarchiesNeedConnectBy) {
    Exec("CREATE TABLE H (ID NUMBER, UP NUMBER)");
    Exec("INSERT INTO H VALUES (1, NULL)");
    Exec("INSERT INTO H VALUES (2, 1)");
    EXPECT_EQ(Rows("SELECT LEVEL FROM H").substr(0, 15), "ERROR ORA-01788");
    EXPECT_EQ(Rows("SELECT PRIOR ID FROM H START WITH UP IS NULL CONNECT BY PRIOR ID = UP"), "-|1");
    EXPECT_EQ(Rows("SELECT PRIOR ID FROM H").substr(0, 15), "ERROR ORA-03001");
    // Over a join the hierarchy walks the joined rows: each of the two
    // roots (1 with B = 1, 2) has both joined rows of 2 below it.
    EXPECT_EQ(Rows("SELECT A.ID FROM H A, H B START WITH A.UP IS NULL CONNECT BY PRIOR A.ID = A.UP"),
              "1|2|2|1|2|2");
    EXPECT_EQ(Rows("SELECT ID, LEVEL FROM H CONNECT BY PRIOR ID = UP START WITH UP IS NULL"), "1,1|2,2");
    EXPECT_EQ(Rows("SELECT ID FROM H START WITH ID = 2 CONNECT BY PRIOR UP = ID AND LEVEL <= 1"), "2");
}

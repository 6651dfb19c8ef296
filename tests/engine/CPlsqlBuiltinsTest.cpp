// The server's packages in blocks on the embedded engine, each case with
// what the PL/SQL Packages and Types Reference says the call does: DBMS_LOB's
// writing calls, UTL_RAW, DBMS_OUTPUT's buffer and GET_LINES, and the
// answer to a package or member that is not there.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlBuiltinsTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE(NULL); END;");
    }

public:
    std::string Block(const std::string& text) { return OutputOf(text); }
};

using Case = BlockCase;

void Check(PlsqlBuiltinsTest& test, const Case* cases, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) EXPECT_EQ(test.Block(cases[k].block), cases[k].answer) << k;
}

}  // namespace

TEST_F(PlsqlBuiltinsTest, DbmsLobWritesItsFirstArgument) {
    const Case cases[] = {
        {"DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, TRUE); DBMS_LOB.APPEND(c, 'Hello'); "
         "DBMS_LOB.WRITEAPPEND(c, 3, ', world'); DBMS_LOB.APPEND(c, c); "
         "dbms_output.put_line(c || ' ' || DBMS_LOB.GETLENGTH(c)); END;",
         "Hello, wHello, w 16"},
        // WRITEAPPEND's amount counts characters of a CLOB.
        {"DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, FALSE, DBMS_LOB.SESSION); "
         "DBMS_LOB.WRITEAPPEND(c, 2, 'あいう'); dbms_output.put_line(c || LENGTH(c)); END;",
         "あい2"},
        {"DECLARE c CLOB := 'x'; BEGIN DBMS_LOB.FREETEMPORARY(c); dbms_output.put_line(NVL(c, 'freed')); "
         "END;",
         "freed"},
        {"DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, TRUE); DBMS_LOB.WRITEAPPEND(c, 4, 'abc'); END;",
         "ERROR ORA-21560: 引数2がNULL、無効または範囲外です。|ORA-06512: 行1"},
        {"DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, TRUE); DBMS_LOB.WRITEAPPEND(c, 0, 'abc'); END;",
         "ERROR ORA-21560: 引数2がNULL、無効または範囲外です。|ORA-06512: 行1"},
        {"BEGIN DBMS_LOB.APPEND('a', 'b'); END;",
         "ERROR ORA-06550: 行1、列23:|PLS-00363: 式''a''は代入ターゲットとして使用できません。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
        {"DECLARE c CLOB; BEGIN DBMS_LOB.APPEND(c); END;",
         "ERROR ORA-06550: 行1、列23:|PLS-00306: "
         "'DBMS_LOB.APPEND'の呼出しで、引数の数または型が正しくありません"
         "。|ORA-06550: 行1、列23:|PL/SQL: Statement ignored"},
    };
    Check(*this, cases, std::size(cases));
}

TEST_F(PlsqlBuiltinsTest, UtlRawCastsBetweenTextAndBytes) {
    const Case cases[] = {
        {"DECLARE r RAW(10); BEGIN r := UTL_RAW.CAST_TO_RAW('abc'); dbms_output.put_line(r || ' ' || "
         "UTL_RAW.LENGTH(r) || ' ' || UTL_RAW.CAST_TO_VARCHAR2(r)); END;",
         "616263 3 abc"},
        {"BEGIN dbms_output.put_line(UTL_RAW.CAST_TO_VARCHAR2('4a4B') || UTL_RAW.LENGTH('ABC')); END;",
         "JK2"},
        // CP932 text is its bytes.
        {"BEGIN dbms_output.put_line(UTL_RAW.LENGTH(UTL_RAW.CAST_TO_RAW('日本'))); END;", "4"},
        {"BEGIN dbms_output.put_line(NVL(UTL_RAW.CAST_TO_RAW(NULL), 'null')); END;", "null"},
        {"BEGIN dbms_output.put_line(UTL_RAW.CAST_TO_VARCHAR2('XYZ')); END;",
         "ERROR ORA-01465: 16進数が無効です。|ORA-06512: 行1"},
    };
    Check(*this, cases, std::size(cases));
}

TEST_F(PlsqlBuiltinsTest, GetLinesTakesUpToTheCountAndSaysHowManyCame) {
    const Case cases[] = {
        {"DECLARE l DBMS_OUTPUT.CHARARR; n INTEGER := 10; BEGIN dbms_output.put_line('one'); "
         "dbms_output.put_line('two'); dbms_output.put('three'); dbms_output.new_line; "
         "DBMS_OUTPUT.GET_LINES(l, n); dbms_output.put_line(n || ':' || l(1) || ',' || l(3) || ',' || "
         "l.COUNT); "
         "END;",
         "3:one,three,3"},
        // The lines not taken stay for the next call; a line not ended is not taken.
        {"DECLARE l DBMSOUTPUT_LINESARRAY; n INTEGER := 1; s VARCHAR2(10); st INTEGER; BEGIN "
         "dbms_output.put_line('a'); dbms_output.put_line('b'); dbms_output.put('c'); "
         "DBMS_OUTPUT.GET_LINES(l, n); DBMS_OUTPUT.GET_LINE(s, st); dbms_output.new_line; "
         "dbms_output.put_line(n || l.COUNT || l(1) || s || st); END;",
         "c|11ab0"},
        {"DECLARE l SYS.DBMSOUTPUT_LINESARRAY; n INTEGER := 5; BEGIN DBMS_OUTPUT.GET_LINES(l, n); "
         "dbms_output.put_line(n || ' ' || l.COUNT); END;",
         "0 0"},
        {"DECLARE l VARCHAR2(10); n INTEGER := 5; BEGIN DBMS_OUTPUT.GET_LINES(l, n); END;",
         "ERROR ORA-06550: 行1、列47:|PLS-00306: 'GET_LINES'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列47:|PL/SQL: Statement ignored"},
    };
    Check(*this, cases, std::size(cases));
}

// ENABLE(size): the limit is the largest size asked for, 2,000 to 1,000,000
// bytes, 20,000 when none is given; ENABLE(NULL) has none. DISABLE drops
// the buffer and what is put after it.
TEST_F(PlsqlBuiltinsTest, EnableSetsTheBufferLimitAndDisableDropsIt) {
    const char* hundred = "FOR i IN 1..100 LOOP dbms_output.put_line(RPAD('x', 50, 'x')); END LOOP;";
    auto run = [&](const std::string& before) {
        std::string out = Block("BEGIN DBMS_OUTPUT.DISABLE; " + before + " " + hundred + " END;");
        return out.substr(0, 6) == "ERROR " ? out.substr(6, out.find('|') - 6)
                                            : "lines " + std::to_string(out.size() / 51 + 1);
    };
    const std::string overflow = "ORA-20000: ORU-10027: バッファがあふれました (上限 ";
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE(2000);"), overflow + "2000 バイト)。");
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE(10);"), overflow + "2000 バイト)。");
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE(4000); DBMS_OUTPUT.ENABLE(3000);"), overflow + "4000 バイト)。");
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE;"), "lines 100");
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE(6000);"), "lines 100");
    EXPECT_EQ(run("DBMS_OUTPUT.ENABLE(NULL); DBMS_OUTPUT.ENABLE(2000);"), "lines 100");
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.DISABLE; DBMS_OUTPUT.ENABLE; FOR i IN 1..401 LOOP "
                    "dbms_output.put_line(RPAD('x', 50, 'x')); END LOOP; END;")
                  .substr(0, 6 + overflow.size() + 19),
              "ERROR " + overflow + "20000 バイト)。");
    EXPECT_EQ(Block("BEGIN dbms_output.put_line('kept'); DBMS_OUTPUT.DISABLE; dbms_output.put_line('gone'); "
                    "END;"),
              "");
    EXPECT_EQ(
        Block("BEGIN DBMS_OUTPUT.ENABLE(NULL); DBMS_SESSION.SLEEP(0.01); dbms_output.put_line('on'); END;"),
        "on");
}

TEST_F(PlsqlBuiltinsTest, PackagesAndMembersThatAreNotThereAreNotDeclared) {
    const Case cases[] = {
        {"BEGIN no_such_pkg.run(1); END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00201: 識別子'NO_SUCH_PKG.RUN'を宣言してください。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
        {"DECLARE n NUMBER; BEGIN n := no_such_pkg.f(1); END;",
         "ERROR ORA-06550: 行1、列30:|PLS-00201: 識別子'NO_SUCH_PKG.F'を宣言してください。|ORA-06550: "
         "行1、列25:|PL/SQL: Statement ignored"},
        {"BEGIN UTL_FILE.FCLOSE_ALL; END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00201: 識別子'UTL_FILE.FCLOSE_ALL'を宣言してください。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
        {"BEGIN DBMS_LOB.TRIM_ALL(1); END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00302: コンポーネント'TRIM_ALL'を宣言してください。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
        {"DECLARE n NUMBER; BEGIN n := UTL_RAW.BIT_AND('01', '02'); END;",
         "ERROR ORA-06550: 行1、列38:|PLS-00302: コンポーネント'BIT_AND'を宣言してください。|ORA-06550: "
         "行1、列25:|PL/SQL: Statement ignored"},
        {"BEGIN DBMS_OUTPUT.PUT_ALL('x'); END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00302: コンポーネント'PUT_ALL'を宣言してください。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
        // DBMS_LOB's readers answer as SQL does.
        {"DECLARE c CLOB := 'abcabc'; BEGIN dbms_output.put_line(DBMS_LOB.INSTR(c, 'c', 1, 2) || "
         "DBMS_LOB.SUBSTR(c, 2, 2)); END;",
         "6bc"},
    };
    Check(*this, cases, std::size(cases));
}

// The packages are SYS's: the schema's name may stand before theirs, in a
// block and in its SQL.
TEST_F(PlsqlBuiltinsTest, SysBeforeAPackagesNameNamesTheSamePackage) {
    const Case cases[] = {
        {"BEGIN SYS.DBMS_OUTPUT.PUT_LINE('a'); sys.dbms_output.put('b'); SYS.DBMS_OUTPUT.NEW_LINE; END;",
         "a|b"},
        {"DECLARE n NUMBER; BEGIN n := SYS.DBMS_LOB.GETLENGTH(TO_CLOB('abc')); SYS.DBMS_LOCK.SLEEP(0); "
         "dbms_output.put_line(n); END;",
         "3"},
        {"DECLARE n NUMBER; BEGIN SELECT SYS.DBMS_RANDOM.VALUE(2, 2) INTO n FROM DUAL; "
         "dbms_output.put_line(n); END;",
         "2"},
        {"DECLARE sys NUMBER := 1; BEGIN dbms_output.put_line(sys + 1); END;", "2"},
        {"BEGIN SYS.NO_SUCH_PKG.RUN; END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00201: 識別子'SYS.NO_SUCH_PKG.RUN'を宣言してください。|ORA-06550: "
         "行1、列7:|PL/SQL: Statement ignored"},
    };
    Check(*this, cases, std::size(cases));
}

// Arguments of the wrong type are refused when the block compiles, as the
// server does (PLS-00306), not when the call runs.
TEST_F(PlsqlBuiltinsTest, ArgumentsAreCheckedAgainstTheParametersTypesWhenCompiled) {
    const Case cases[] = {
        {"BEGIN DBMS_OUTPUT.PUT_LINE(TRUE); END;",
         "ERROR ORA-06550: 行1、列7:|PLS-00306: 'PUT_LINE'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列7:|PL/SQL: Statement ignored"},
        {"DECLARE b BOOLEAN := 1 < 2; BEGIN DBMS_OUTPUT.PUT(b); DBMS_OUTPUT.NEW_LINE; END;",
         "ERROR ORA-06550: 行1、列35:|PLS-00306: 'PUT'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列35:|PL/SQL: Statement ignored"},
        {"DECLARE TYPE r IS RECORD (a NUMBER); v r; BEGIN DBMS_OUTPUT.PUT_LINE(v); END;",
         "ERROR ORA-06550: 行1、列49:|PLS-00306: 'PUT_LINE'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列49:|PL/SQL: Statement ignored"},
        {"DECLARE c CLOB; BEGIN DBMS_LOB.CREATETEMPORARY(c, 'yes'); END;",
         "ERROR ORA-06550: 行1、列23:|PLS-00306: "
         "'CREATETEMPORARY'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列23:|PL/SQL: Statement ignored"},
        {"BEGIN DBMS_OUTPUT.PUT_LINE(CASE WHEN 1 < 2 THEN 'yes' END || 1 || (SYSDATE - SYSDATE)); END;",
         "yes10"},
        {"BEGIN DBMS_OUTPUT.PUT_LINE(NULL); DBMS_OUTPUT.PUT_LINE(DBMS_RANDOM.VALUE(1, 1)); END;", "1"},
    };
    Check(*this, cases, std::size(cases));
}

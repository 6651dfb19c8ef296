// GOTO and statement labels: where a GOTO may go (a label in a sequence of
// statements around it) and the compile errors where it may not.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/engine/EngineFixture.h"

namespace {

class GotoTest : public OutputFixture {};

using Case = BlockCase;

}  // namespace

TEST_F(GotoTest, GoesToTheLabelInTheFirstSequenceAroundIt) {
    const Case cases[] = {
        // Forward, out of a loop and an IF.
        {"DECLARE p VARCHAR2(30); n PLS_INTEGER := 37; BEGIN FOR j IN 2..ROUND(SQRT(n)) LOOP "
         "IF n MOD j = 0 THEN p := ' is not a prime number'; GOTO print_now; END IF; END LOOP; "
         "p := ' is a prime number'; <<print_now>> DBMS_OUTPUT.PUT_LINE(TO_CHAR(n) || p); END;",
         "37 is a prime number"},
        {"DECLARE p VARCHAR2(30); n PLS_INTEGER := 35; BEGIN FOR j IN 2..ROUND(SQRT(n)) LOOP "
         "IF n MOD j = 0 THEN p := ' is not a prime number'; GOTO print_now; END IF; END LOOP; "
         "p := ' is a prime number'; <<print_now>> DBMS_OUTPUT.PUT_LINE(TO_CHAR(n) || p); END;",
         "35 is not a prime number"},
        // Backward: a loop made of a label and a GOTO.
        {"DECLARE i PLS_INTEGER := 0; BEGIN <<again>> i := i + 1; dbms_output.put(i); "
         "IF i < 4 THEN GOTO again; END IF; dbms_output.new_line; END;",
         "1234"},
        // To the label of the loop around it: the loop starts again.
        {"DECLARE a NUMBER(2) := 10; BEGIN <<loopstart>> WHILE a < 20 LOOP dbms_output.put(a || ' '); "
         "a := a + 1; IF a = 15 THEN a := a + 1; GOTO loopstart; END IF; END LOOP; dbms_output.new_line; "
         "END;",
         "10 11 12 13 14 16 17 18 19 "},
        // Out of a sub-block into the block around it.
        {"DECLARE n NUMBER := 0; BEGIN <<get_name>> n := n + 1; BEGIN IF n < 3 THEN GOTO get_name; END IF; "
         "END; dbms_output.put_line(n); END;",
         "3"},
        // Within a loop's body: to a NULL at its end, the loop goes on.
        {"BEGIN FOR i IN 1..5 LOOP IF MOD(i, 2) = 0 THEN GOTO end_loop; END IF; dbms_output.put(i); "
         "<<end_loop>> NULL; END LOOP; dbms_output.new_line; END;",
         "135"},
        // From an exception handler to the block around its block.
        {"DECLARE tries NUMBER := 0; BEGIN <<retry>> tries := tries + 1; "
         "BEGIN IF tries < 3 THEN RAISE NO_DATA_FOUND; END IF; dbms_output.put_line('done ' || tries); "
         "EXCEPTION WHEN NO_DATA_FOUND THEN GOTO retry; END; END;",
         "done 3"},
        // Two labels on one statement; a labelled block run again.
        {"DECLARE k NUMBER := 0; BEGIN <<a>> <<b>> k := k + 1; IF k = 1 THEN GOTO a; ELSIF k = 2 THEN GOTO "
         "b; "
         "END IF; <<blk>> BEGIN k := k + 10; IF k < 30 THEN GOTO blk; END IF; END; dbms_output.put_line(k); "
         "END;",
         "33"},
        // MOD as an operator, with the server's signs.
        {"BEGIN dbms_output.put_line((-7 MOD 3) || ' ' || (7 MOD -3) || ' ' || (7.5 MOD 2) || ' ' || (5 MOD "
         "0)); "
         "END;",
         "-1 1 1.5 5"},
        // The innermost sequence with the label wins.
        {"BEGIN GOTO x; <<x>> dbms_output.put_line('outer'); BEGIN GOTO x; dbms_output.put_line('skipped'); "
         "<<x>> dbms_output.put_line('inner'); END; END;",
         "outer|inner"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(GotoTest, ACursorForLoopLeftByGotoIsClosed) {
    Exec("CREATE TABLE t (n NUMBER)");
    Exec("INSERT INTO t VALUES (1)");
    Exec("INSERT INTO t VALUES (2)");
    EXPECT_EQ(OutputOf("DECLARE CURSOR c IS SELECT n FROM t ORDER BY n; rounds NUMBER := 0; BEGIN "
                       "<<again>> rounds := rounds + 1; FOR r IN c LOOP dbms_output.put(r.n); "
                       "IF rounds < 2 THEN GOTO again; END IF; END LOOP; dbms_output.new_line; "
                       "IF c%ISOPEN THEN dbms_output.put_line('open'); END IF; END;"),
              "112");
}

TEST_F(GotoTest, ForbiddenJumpsAreCompileErrors) {
    const Case cases[] = {
        {"DECLARE\n  valid BOOLEAN := TRUE;\nBEGIN\n  GOTO update_row;\n  IF valid THEN\n  <<update_row>>\n"
         "    NULL;\n  END IF;\nEND;",
         "ERROR ORA-06550: 行4、列8:|PLS-00375: "
         "GOTO文が不正です。このGOTOはラベル'UPDATE_ROW'に分岐できません。|"
         "ORA-06550: 行4、列3:|PL/SQL: Statement ignored"},
        // From one IF clause to another.
        {"BEGIN IF 1 = 1 THEN GOTO other; ELSE <<other>> NULL; END IF; END;",
         "ERROR ORA-06550: 行1、列26:|PLS-00375: GOTO文が不正です。このGOTOはラベル'OTHER'に分岐できません。|"
         "ORA-06550: 行1、列21:|PL/SQL: Statement ignored"},
        // Into a loop, a sub-block, a CASE branch.
        {"BEGIN GOTO inside; FOR i IN 1..2 LOOP <<inside>> NULL; END LOOP; END;",
         "ERROR ORA-06550: 行1、列12:|PLS-00375: "
         "GOTO文が不正です。このGOTOはラベル'INSIDE'に分岐できません。|"
         "ORA-06550: 行1、列7:|PL/SQL: Statement ignored"},
        {"BEGIN GOTO inner; BEGIN <<inner>> NULL; END; END;",
         "ERROR ORA-06550: 行1、列12:|PLS-00375: GOTO文が不正です。このGOTOはラベル'INNER'に分岐できません。|"
         "ORA-06550: 行1、列7:|PL/SQL: Statement ignored"},
        {"BEGIN CASE 1 WHEN 1 THEN GOTO w2; WHEN 2 THEN <<w2>> NULL; END CASE; END;",
         "ERROR ORA-06550: 行1、列31:|PLS-00375: GOTO文が不正です。このGOTOはラベル'W2'に分岐できません。|"
         "ORA-06550: 行1、列26:|PL/SQL: Statement ignored"},
        // From a handler back into its own block, and into a handler.
        {"BEGIN <<top>> NULL; EXCEPTION WHEN OTHERS THEN GOTO top; END;",
         "ERROR ORA-06550: 行1、列53:|PLS-00375: GOTO文が不正です。このGOTOはラベル'TOP'に分岐できません。|"
         "ORA-06550: 行1、列48:|PL/SQL: Statement ignored"},
        {"BEGIN GOTO h; EXCEPTION WHEN OTHERS THEN <<h>> NULL; END;",
         "ERROR ORA-06550: 行1、列12:|PLS-00375: GOTO文が不正です。このGOTOはラベル'H'に分岐できません。|"
         "ORA-06550: 行1、列7:|PL/SQL: Statement ignored"},
        // Out of a subprogram.
        {"BEGIN <<outside>> NULL; DECLARE PROCEDURE p IS BEGIN GOTO outside; END; BEGIN p; END; END;",
         "ERROR ORA-06550: 行1、列59:|PLS-00375: "
         "GOTO文が不正です。このGOTOはラベル'OUTSIDE'に分岐できません。|"
         "ORA-06550: 行1、列54:|PL/SQL: Statement ignored"},
        // No such label.
        {"BEGIN GOTO nowhere; END;",
         "ERROR ORA-06550: 行1、列12:|PLS-00201: 識別子'NOWHERE'を宣言してください。|ORA-06550: 行1、列7:|"
         "PL/SQL: Statement ignored"},
        // A label needs a statement after it.
        {"DECLARE\n  done BOOLEAN;\nBEGIN\n  FOR i IN 1..50 LOOP\n    IF done THEN\n       GOTO end_loop;\n"
         "    END IF;\n    <<end_loop>>\n  END LOOP;\nEND;",
         "ERROR ORA-06550: 行9、列3:|PLS-00103: 記号\"END\"が見つかりました。"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(GotoTest, AStoredUnitWithABadGotoIsCreatedInvalid) {
    EXPECT_EQ(
        OutputOf("CREATE PROCEDURE jumpy IS BEGIN GOTO later; IF 1 = 1 THEN <<later>> NULL; END IF; END;"),
        "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = 'JUMPY'"), "INVALID");
    EXPECT_EQ(Rows("SELECT line, position, text FROM user_errors WHERE name = 'JUMPY' ORDER BY sequence"),
              "1,26,PL/SQL: Statement ignored|"
              "1,31,PLS-00375: GOTO文が不正です。このGOTOはラベル'LATER'に分岐できません。");
    Exec(
        "CREATE OR REPLACE PROCEDURE jumpy IS BEGIN GOTO later; dbms_output.put_line('no'); "
        "<<later>> dbms_output.put_line('yes'); END;");
    EXPECT_EQ(OutputOf("BEGIN jumpy; END;"), "yes");
}

TEST_F(GotoTest, CancelStopsALoopMadeOfGoto) {
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        m_connection->Cancel();
    });
    std::string answer = OutputOf("BEGIN <<again>> NULL; GOTO again; END;");
    canceller.join();
    EXPECT_EQ(answer, "ERROR ORA-01013: ユーザーの要求で操作を取り消しました。");
    EXPECT_EQ(OutputOf("BEGIN dbms_output.put_line('after'); END;"), "after");
}

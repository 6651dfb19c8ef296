// A script of triggers as teaching material shows them, through the batch
// runner on both roads: statement and row triggers logging the order they
// fire in, a BEFORE ROW trigger that stamps and upper-cases the row, and a
// package compiled again with ALTER PACKAGE ... COMPILE.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TriggerScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    TriggerScript() { m_road = GetParam(); }
};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TABLE items (id NUMBER, name VARCHAR2(20), changed DATE);\n"
    "CREATE TABLE src (n NUMBER);\n"
    "INSERT INTO src VALUES (1);\nINSERT INTO src VALUES (2);\nINSERT INTO src VALUES (3);\n"
    "CREATE OR REPLACE TRIGGER items_bs BEFORE INSERT OR UPDATE ON items\n"
    "DECLARE n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM items;\n"
    "  dbms_output.put_line('before statement: ' || n || ' rows');\nEND;\n/\n"
    "CREATE OR REPLACE TRIGGER items_stamp BEFORE INSERT OR UPDATE ON items FOR EACH ROW\n"
    "BEGIN\n  :NEW.changed := SYSDATE;\n  :NEW.name := UPPER(:NEW.name);\n"
    "  dbms_output.put_line('before row ' || :NEW.id);\nEND;\n/\n"
    "CREATE OR REPLACE TRIGGER items_ar AFTER INSERT OR UPDATE ON items FOR EACH ROW\n"
    "BEGIN\n  dbms_output.put_line('after row ' || :NEW.id || ' ' || :NEW.name);\nEND;\n/\n"
    "CREATE OR REPLACE TRIGGER items_as AFTER INSERT OR UPDATE ON items\n"
    "DECLARE n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM items;\n"
    "  dbms_output.put_line('after statement: ' || n || ' rows');\nEND;\n/\n"
    "INSERT INTO items (id, name) SELECT n, CONCAT('item', n) FROM src;\n"
    "UPDATE items SET name = 'renamed', changed = NULL WHERE id = 2;\n"
    "SELECT id, name, NVL2(changed, 'stamped', 'none') stamp FROM items ORDER BY id;\n";

TEST_P(TriggerScript, TriggersFireInTheServersOrder) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.out.find("警告"), std::string::npos) << r.out;
    ExpectTail(
        r,
        "SQL> INSERT INTO items (id, name) SELECT n, CONCAT('item', n) FROM src;|3行が作成されました。|"
        "before statement: 0 rows|before row 1|after row 1 ITEM1|before row 2|after row 2 ITEM2|"
        "before row 3|after row 3 ITEM3|after statement: 3 rows|"
        "SQL> UPDATE items SET name = 'renamed', changed = NULL WHERE id = 2;|1行が更新されました。|"
        "before statement: 3 rows|before row 2|after row 2 RENAMED|after statement: 3 rows|"
        "SQL> SELECT id, name, NVL2(changed, 'stamped', 'none') stamp FROM items ORDER BY id;||"
        "ID         NAME                 STAMP   |---------- -------------------- ------- |"
        "1          ITEM1                stamped |2          RENAMED              stamped |"
        "3          ITEM3                stamped ||3行が選択されました。||SQL> ");
}

TEST_P(TriggerScript, AlterPackageCompileAnswersAtOnce) {
    ExpectRun(
        "SQL> ALTER PACKAGE boxes COMPILE;|ALTER PACKAGE boxes COMPILE;|*|エラー行: 0: "
        "エラーが発生しました。|警告: コンパイル・エラーがあります。|"
        "SQL> SELECT object_type, status FROM user_objects WHERE object_name = 'BOXES' ORDER BY 1;||"
        "OBJECT_TYPE             STATUS  |----------------------- ------- |"
        "PACKAGE                 VALID   |PACKAGE BODY            INVALID ||2行が選択されました。||SQL> ",
        "CONNECT scott/tiger\nCREATE TABLE box (n NUMBER);\nCREATE OR REPLACE PACKAGE boxes AS\n"
        "  FUNCTION total RETURN NUMBER;\nEND;\n/\nCREATE OR REPLACE PACKAGE BODY boxes AS\n"
        "  FUNCTION total RETURN NUMBER IS\n    t NUMBER;\n  BEGIN\n    SELECT SUM(n) INTO t FROM box;\n"
        "    RETURN t;\n  END;\nEND;\n/\nDROP TABLE box;\n");
}

// A MERGE fires the statement triggers of both its events, and a row
// trigger that reads the table its statement changes stops it with
// ORA-04091 and the trigger's lines, until the trigger is disabled.
TEST_P(TriggerScript, MergeFiresStatementTriggersAndAMutatingTableStopsIt) {
    ExpectRun(
        "SQL> WHEN NOT MATCHED THEN INSERT (item, qty) VALUES (d.item, d.qty);|"
        "MERGE INTO stock s USING delivery d ON (s.item = d.item)|*|エラー行: 0: エラーが発生しました。|"
        "ORA-04091: 表SCOTT.STOCKは変更中です。トリガー/ファンクションで参照できない可能性があります。|"
        "ORA-06512: \"SCOTT.STOCK_TOTAL\", 行4|"
        "ORA-04088: トリガー'SCOTT.STOCK_TOTAL'の実行中にエラーが発生しました|before insert|before update|"
        "SQL> ALTER TRIGGER stock_total DISABLE;|トリガが更新されました。|"
        "SQL> MERGE INTO stock s USING delivery d ON (s.item = d.item)|"
        "SQL> WHEN MATCHED THEN UPDATE SET s.qty = s.qty + d.qty|"
        "SQL> WHEN NOT MATCHED THEN INSERT (item, qty) VALUES (d.item, d.qty);|2行がマージされました。|"
        "before insert|before update|SQL> SELECT * FROM stock ORDER BY item;||ITEM       QTY        |"
        "---------- ---------- |apple      8          |pear       7          ||2行が選択されました。||SQL> ",
        "CONNECT scott/tiger\nSET SERVEROUTPUT ON\n"
        "CREATE TABLE stock (item VARCHAR2(10) PRIMARY KEY, qty NUMBER);\n"
        "CREATE TABLE delivery (item VARCHAR2(10), qty NUMBER);\n"
        "INSERT INTO stock VALUES ('apple', 5);\nINSERT INTO delivery VALUES ('apple', 3);\n"
        "INSERT INTO delivery VALUES ('pear', 7);\n"
        "CREATE OR REPLACE TRIGGER stock_bs BEFORE INSERT OR UPDATE ON stock\nBEGIN\n"
        "  IF INSERTING THEN dbms_output.put_line('before insert'); END IF;\n"
        "  IF UPDATING THEN dbms_output.put_line('before update'); END IF;\nEND;\n/\n"
        "CREATE OR REPLACE TRIGGER stock_total AFTER INSERT OR UPDATE ON stock FOR EACH ROW\nDECLARE\n"
        "  n NUMBER;\nBEGIN\n  SELECT SUM(qty) INTO n FROM stock;\nEND;\n/\n"
        "MERGE INTO stock s USING delivery d ON (s.item = d.item)\n"
        "WHEN MATCHED THEN UPDATE SET s.qty = s.qty + d.qty\n");
}

INSTANTIATE_TEST_SUITE_P(Roads, TriggerScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace

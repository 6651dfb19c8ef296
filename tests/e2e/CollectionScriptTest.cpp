// A teaching script over collections in SQL: orders and their line items,
// each order's items made a nested table on the fly (CAST(MULTISET ...)),
// read back through TABLE(), and multiset conditions in WHERE; through the
// batch runner on both roads, with the answers worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class CollectionScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    CollectionScript() { m_road = GetParam(); }
};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "CREATE TYPE item_t AS OBJECT (product VARCHAR2(10), qty NUMBER(3), price NUMBER(7,2));\n"
    "/\n"
    "CREATE TYPE item_list AS TABLE OF item_t;\n"
    "/\n"
    "CREATE TYPE id_list AS TABLE OF NUMBER;\n"
    "/\n"
    "CREATE TABLE orders (order_id NUMBER(4) PRIMARY KEY, customer VARCHAR2(10));\n"
    "CREATE TABLE order_items (order_id NUMBER(4) REFERENCES orders, product VARCHAR2(10),\n"
    "  qty NUMBER(3), price NUMBER(7,2));\n"
    "INSERT INTO orders VALUES (1, 'ACME');\n"
    "INSERT INTO orders VALUES (2, 'GLOBEX');\n"
    "INSERT INTO orders VALUES (3, 'INITECH');\n"
    "INSERT INTO order_items VALUES (1, 'PEN', 10, 1.5);\n"
    "INSERT INTO order_items VALUES (1, 'INK', 2, 7.25);\n"
    "INSERT INTO order_items VALUES (2, 'PAPER', 5, 4);\n"
    "INSERT INTO order_items VALUES (2, 'PEN', 1, 1.5);\n"
    "COMMIT;\n"
    "COLUMN items FORMAT A60\n"
    "-- each order with its items as one value\n"
    "SELECT o.order_id,\n"
    "       CAST(MULTISET(SELECT i.product, i.qty, i.price FROM order_items i\n"
    "                     WHERE i.order_id = o.order_id ORDER BY i.product) AS item_list) items\n"
    "FROM orders o ORDER BY o.order_id;\n"
    "-- the items read back as rows of each order\n"
    "SELECT o.customer, t.product, t.qty * t.price AS amount\n"
    "FROM orders o, TABLE(CAST(MULTISET(SELECT i.product, i.qty, i.price FROM order_items i\n"
    "                                   WHERE i.order_id = o.order_id) AS item_list)) t\n"
    "ORDER BY o.customer, t.product;\n"
    "SELECT customer FROM orders WHERE order_id MEMBER OF id_list(1, 3) ORDER BY 1;\n"
    "SELECT customer FROM orders o\n"
    "WHERE CAST(MULTISET(SELECT i.order_id FROM order_items i WHERE i.order_id = o.order_id) AS id_list) "
    "IS EMPTY;\n"
    "SELECT product, CARDINALITY(CAST(COLLECT(order_id) AS id_list)) AS orders\n"
    "FROM order_items GROUP BY product ORDER BY product;\n"
    "SELECT id_list(1, 2, 2) MULTISET UNION DISTINCT id_list(3) AS ids FROM dual;\n";

TEST_P(CollectionScript, OrdersWithTheirItems) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
    // Order 1: INK 2 x 7.25 = 14.5 and PEN 10 x 1.5 = 15; order 2: PAPER 5 x 4
    // = 20 and PEN 1 x 1.5; order 3 has none.
    for (const char* lines : {
             "1          ITEM_LIST(ITEM_T('INK', 2, 7.25), ITEM_T('PEN', 10, 1.5))    |"
             "2          ITEM_LIST(ITEM_T('PAPER', 5, 4), ITEM_T('PEN', 1, 1.5))      |"
             "3          ITEM_LIST()                                                  |",
             "ACME       INK        14.5       |ACME       PEN        15         |"
             "GLOBEX     PAPER      20         |GLOBEX     PEN        1.5        ||4行が選択されました。",
             "ACME       |INITECH    ||2行が選択されました。",
             "INITECH    ||1行が選択されました。",
             "INK        1          |PAPER      1          |PEN        2          |",
         })
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << "\n" << r.out;
    ExpectTail(r, "IDS              |---------------- |ID_LIST(1, 2, 3) ||1行が選択されました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, CollectionScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace

// An order-entry script of the kind vendors' sample schemas use: a
// warehouse object inside an inventory object, a nested table and a VARRAY
// of inventories as columns, rows inserted with constructors, the
// collections unnested by TABLE() over a column and over a query, the
// warehouse's attributes read through the collection's alias, DESCRIBE of
// the types, and the data read again after a new connection; the answers
// worked out by hand from the SQL Language Reference (TABLE collection
// expression) and the Object-Relational Developer's Guide.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class NestedObjectScript : public ScriptRun {};

const char kSchema[] =
    "CONNECT oe/oe@OE\n"
    "CREATE TYPE warehouse_typ AS OBJECT (warehouse_id NUMBER(3), warehouse_name VARCHAR2(35),\n"
    "  location_id NUMBER(4));\n"
    "/\n"
    "CREATE TYPE inventory_typ AS OBJECT (product_id NUMBER(6), warehouse warehouse_typ,\n"
    "  quantity_on_hand NUMBER(8));\n"
    "/\n"
    "CREATE TYPE inventory_list_typ AS TABLE OF inventory_typ;\n"
    "/\n"
    "CREATE TYPE inventory_array_typ AS VARRAY(3) OF inventory_typ;\n"
    "/\n"
    "CREATE TABLE prod (product_id NUMBER(6) PRIMARY KEY, inv inventory_list_typ,\n"
    "  spare inventory_array_typ) NESTED TABLE inv STORE AS inv_nt;\n"
    "INSERT INTO prod VALUES (1, inventory_list_typ(\n"
    "  inventory_typ(1, warehouse_typ(1, 'Southlake', 1400), 10),\n"
    "  inventory_typ(1, warehouse_typ(2, 'San Francisco', 1500), 4)),\n"
    "  inventory_array_typ(inventory_typ(1, warehouse_typ(3, 'New Jersey', 1600), 2)));\n"
    "INSERT INTO prod VALUES (2, inventory_list_typ(), NULL);\n"
    "COMMIT;\n";

const char kAgain[] =
    "CONNECT oe/oe@OE\n"
    "COLUMN inv FORMAT A140\n"
    "SELECT p.inv FROM prod p WHERE product_id = 1;\n"
    "SELECT p.product_id, i.quantity_on_hand, i.warehouse.warehouse_name FROM prod p, TABLE(p.inv) i\n"
    "ORDER BY i.quantity_on_hand;\n"
    "SELECT s.warehouse.location_id AS loc FROM prod p, TABLE(p.spare) s;\n"
    "SELECT SUM(quantity_on_hand) AS total FROM TABLE(SELECT inv FROM prod WHERE product_id = 1);\n"
    "SELECT COUNT(*) AS n FROM TABLE(SELECT inv FROM prod WHERE product_id = 2);\n"
    "DESC warehouse_typ\n"
    "DESC inventory_array_typ\n";

TEST_F(NestedObjectScript, InventoriesOfWarehousesUnnested) {
    RunResult r = RunScripts({kSchema, kAgain});
    for (const char* lines : {
             // A warehouse's name is as wide as its attribute is declared (35).
             "PRODUCT_ID QUANTITY_O WAREHOUSE.WAREHOUSE_NAME            |"
             "---------- ---------- ----------------------------------- |"
             "1          4          San Francisco                       |"
             "1          10         Southlake                           |"
             "|"
             "2行が選択されました。",
             "LOC        |---------- |1600       ||1行が選択されました。",
             "TOTAL      |---------- |14         ||1行が選択されました。",
             // An empty collection unnests to no rows.
             "N          |---------- |0          ||1行が選択されました。",
             "WAREHOUSE_ID                  NUMBER(3)|WAREHOUSE_NAME                VARCHAR2(35)|"
             "LOCATION_ID                   NUMBER(4)",
             "INVENTORY_ARRAY_TYP VARRAY(3) OF INVENTORY_TYP",
             "WAREHOUSE                     WAREHOUSE_TYP",
         })
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << "\n" << r.out;
    // The warehouses stay objects inside the collection.
    EXPECT_NE(r.out.find("\nINVENTORY_LIST_TYP(INVENTORY_TYP(1, WAREHOUSE_TYP(1, 'Southlake', 1400), 10), "
                         "INVENTORY_TYP(1, WAREHOUSE_TYP(2, 'San Francisco', 1500), 4)) "),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
}

}  // namespace

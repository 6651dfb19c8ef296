// An order-entry script of the kind vendors' sample schemas use: an
// address object type and a VARRAY of phone numbers as columns of a
// customers table, rows inserted with constructors, queries of attributes
// through the table's alias, attribute and whole-object updates, a block
// reading objects, and the data read again after a new connection; the
// answers worked out by hand from the Object-Relational Developer's Guide.
// Note: the embedded road only; the server's client library hands an
// object column over as an object, not as text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ObjectColumnScript : public ScriptRun {};

const char kSchema[] =
    "CONNECT oe/oe@OE\n"
    "CREATE TYPE cust_address_typ AS OBJECT\n"
    "  (street_address VARCHAR2(40), postal_code VARCHAR2(10), city VARCHAR2(30),\n"
    "   state_province VARCHAR2(10), country_id CHAR(2));\n"
    "/\n"
    "CREATE TYPE phone_list_typ AS VARRAY(5) OF VARCHAR2(25);\n"
    "/\n"
    "CREATE TABLE customers (customer_id NUMBER(6) CONSTRAINT customers_pk PRIMARY KEY,\n"
    "  cust_last_name VARCHAR2(20) NOT NULL, cust_address cust_address_typ,\n"
    "  phone_numbers phone_list_typ, credit_limit NUMBER(9,2));\n"
    "INSERT INTO customers VALUES (101, 'Welles',\n"
    "  cust_address_typ('514 W Superior St', '46901', 'Kokomo', 'IN', 'US'),\n"
    "  phone_list_typ('+1 317 123 4104'), 100);\n"
    "INSERT INTO customers VALUES (102, 'Pacino',\n"
    "  cust_address_typ('2515 Bloyd Ave', '46218', 'Indianapolis', 'IN', 'US'),\n"
    "  phone_list_typ('+1 317 123 4111', '+1 317 123 4112'), 100);\n"
    "INSERT INTO customers VALUES (103, 'Taylor',\n"
    "  cust_address_typ('Via Frenzy 6903', '00133', 'Roma', NULL, 'IT'), NULL, 200);\n"
    "INSERT INTO customers VALUES (104, 'Sutherland', NULL, NULL, 200);\n"
    "COMMIT;\n"
    "SELECT c.customer_id, c.cust_address.city AS city FROM customers c\n"
    "WHERE c.cust_address.country_id = 'US' ORDER BY c.customer_id;\n"
    "SELECT customer_id FROM customers c WHERE c.cust_address IS NULL;\n"
    "SELECT cust_address.city FROM customers;\n"
    "UPDATE customers c SET c.cust_address.city = 'Gary', c.cust_address.postal_code = '46401'\n"
    "WHERE c.customer_id = 101;\n"
    "UPDATE customers SET cust_address = cust_address_typ('1 Via Roma', NULL, 'Milano', NULL, 'IT')\n"
    "WHERE customer_id = 104;\n"
    "COMMIT;\n";

const char kAgain[] =
    "CONNECT oe/oe@OE\n"
    "SET SERVEROUTPUT ON\n"
    "COLUMN cust_address FORMAT A70\n"
    "SELECT cust_address FROM customers WHERE customer_id IN (101, 103) ORDER BY customer_id;\n"
    "SELECT c.cust_address.city AS city FROM customers c\n"
    "WHERE c.cust_address = cust_address_typ('1 Via Roma', NULL, 'Milano', NULL, 'IT');\n"
    "SELECT c.customer_id FROM customers c\n"
    "WHERE c.cust_address = cust_address_typ('2515 Bloyd Ave', '46218', 'Indianapolis', 'IN', 'US');\n"
    "SELECT customer_id FROM customers c ORDER BY c.cust_address;\n"
    "DECLARE\n"
    "  a cust_address_typ;\n"
    "BEGIN\n"
    "  SELECT cust_address INTO a FROM customers WHERE customer_id = 103;\n"
    "  dbms_output.put_line(a.city || ', ' || NVL(a.state_province, '-') || ', ' || a.country_id);\n"
    "END;\n"
    "/\n"
    "DESCRIBE customers\n"
    "SELECT column_name || ':' || data_type || ':' || data_type_owner AS col FROM user_tab_columns\n"
    "WHERE table_name = 'CUSTOMERS' ORDER BY column_id;\n";

TEST_F(ObjectColumnScript, CustomersWithAddressesAndPhones) {
    RunResult r = RunScripts({kSchema, kAgain});
    for (const char* lines : {
             // Only the US addresses, by the attribute read through the alias.
             "CUSTOMER_I CITY                           |---------- ------------------------------ |"
             "101        Kokomo                         |102        Indianapolis                   ||"
             "2行が選択されました。",
             // The NULL object of 104 is the one IS NULL finds.
             "CUSTOMER_I |---------- |104        ||1行が選択されました。",
             // Without the table's alias an attribute is no column.
             "SELECT cust_address.city FROM customers;|       *",
             // Both attributes of 101 change in its one row.
             "WHERE c.customer_id = 101;|1行が更新されました。",
             // After a new connection the rows are as they were committed.
             "CUST_ADDRESS_TYP('514 W Superior St', '46401', 'Gary', 'IN', 'US')     |"
             "CUST_ADDRESS_TYP('Via Frenzy 6903', '00133', 'Roma', NULL, 'IT')       ||"
             "2行が選択されました。",
             // Objects compare attribute by attribute: 104's address holds NULL
             // attributes, so it equals nothing; 102's equals its constructor.
             "'IT');||CITY                           |------------------------------ ||0行が選択されました。",
             "CUSTOMER_I |---------- |102        ||1行が選択されました。",
             // A block reads an object column into an object variable.
             "Roma, -, IT",
             // DESCRIBE and the dictionary name the columns' types.
             "CUST_ADDRESS                  CUST_ADDRESS_TYP|PHONE_NUMBERS                 PHONE_LIST_TYP",
         })
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << "\n" << r.out;
    for (const char* text : {
             "ORA-00904",
             // Without a MAP or ORDER method objects are not sorted.
             "ORA-22950",
             // The types are the user's own.
             "\nCUSTOMER_ID:NUMBER: ",
             "\nCUST_ADDRESS:CUST_ADDRESS_TYP:OE ",
             "\nPHONE_NUMBERS:PHONE_LIST_TYP:OE ",
         })
        EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
}

}  // namespace

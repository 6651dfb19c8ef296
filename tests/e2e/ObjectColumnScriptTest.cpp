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

// A lesson on object types as a course runs it: a person type with an
// address, a view over the table, an inline view and a WITH query reading
// the address through an alias, MERGE of new addresses, and blocks that
// read rows into %ROWTYPE records and records of their own; the answers
// worked out by hand from the PL/SQL Language Reference (records, objects,
// ACCESS_INTO_NULL) and the SQL Language Reference (MERGE, views).
const char kLesson[] =
    "CONNECT scott/tiger@LESSON\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TYPE address_typ AS OBJECT (street VARCHAR2(30), city VARCHAR2(20), postal_code VARCHAR2(8));\n"
    "/\n"
    "CREATE TABLE people (person_id NUMBER(4) PRIMARY KEY, name VARCHAR2(20) NOT NULL,\n"
    "  home address_typ NOT NULL);\n"
    "INSERT INTO people VALUES (1, 'Sato', address_typ('1-2 Ginza', 'Tokyo', '1040061'));\n"
    "INSERT INTO people VALUES (2, 'Suzuki', address_typ('3 Umeda', 'Osaka', '5300001'));\n"
    "INSERT INTO people VALUES (3, 'Ito', NULL);\n"
    "CREATE VIEW people_v AS SELECT person_id, name, home FROM people;\n"
    "DESCRIBE people\n"
    "DESCRIBE people_v\n"
    "COLUMN home FORMAT A50\n"
    "SELECT p.name, p.home.city AS city FROM people_v p ORDER BY p.person_id;\n"
    "SELECT home FROM people_v WHERE person_id = 2;\n"
    "SELECT q.home.postal_code AS zip FROM (SELECT home, person_id FROM people) q WHERE q.person_id = 1;\n"
    "WITH w AS (SELECT name, home FROM people) SELECT w2.name FROM w w2\n"
    "WHERE w2.home = address_typ('3 Umeda', 'Osaka', '5300001');\n"
    "MERGE INTO people p USING (SELECT 2 id, 'Suzuki' nm FROM dual UNION ALL SELECT 4, 'Kato' FROM dual) s\n"
    "ON (p.person_id = s.id)\n"
    "WHEN MATCHED THEN UPDATE SET p.home = address_typ('5 Namba', 'Osaka', '5420076')\n"
    "WHEN NOT MATCHED THEN INSERT VALUES (s.id, s.nm, address_typ('7 Sakae', 'Nagoya', '4600008'));\n"
    "SELECT p.person_id, p.home.street AS street FROM people p ORDER BY p.person_id;\n"
    "DECLARE\n"
    "  r people%ROWTYPE;\n"
    "BEGIN\n"
    "  SELECT * INTO r FROM people WHERE person_id = 4;\n"
    "  dbms_output.put_line(r.name || ' lives in ' || r.home.city);\n"
    "  r.home.city := 'Gifu';\n"
    "  UPDATE people SET home = r.home WHERE person_id = r.person_id;\n"
    "END;\n"
    "/\n"
    "DECLARE\n"
    "  TYPE visit_t IS RECORD (who VARCHAR2(20), addr address_typ);\n"
    "  v visit_t;\n"
    "BEGIN\n"
    "  dbms_output.put_line('before: ' || NVL(v.addr.city, 'nowhere'));\n"
    "  v.addr.city := 'Kyoto';\n"
    "EXCEPTION\n"
    "  WHEN ACCESS_INTO_NULL THEN dbms_output.put_line('no address yet');\n"
    "END;\n"
    "/\n"
    "SELECT p.home.city AS city FROM people p WHERE p.person_id = 4;\n";

TEST_F(ObjectColumnScript, LessonOnViewsRecordsAndMerge) {
    RunResult r = RunScripts({kLesson});
    for (const char* lines : {
             // The NULL object is refused by the column's NOT NULL.
             "INSERT INTO people VALUES (3, 'Ito', NULL);|*",
             // The table describes its object column with its NOT NULL.
             "HOME                 NOT NULL ADDRESS_TYP",
             // Through the view the attribute is read and the object shown whole.
             ("Sato                 Tokyo                |Suzuki               Osaka                ||"
              "2行が選択されました。"),
             "ADDRESS_TYP('3 Umeda', 'Osaka', '5300001')         ||1行が選択されました。",
             // An inline view and a WITH query hand the object on too.
             "ZIP      |-------- |1040061  ||1行が選択されました。",
             "NAME                 |-------------------- |Suzuki               ||1行が選択されました。",
             // MERGE updates Suzuki's and adds Kato's address.
             "2行がマージされました。",
             ("1          1-2 Ginza                      |2          5 Namba                        |"
              "4          7 Sakae                        ||3行が選択されました。"),
             // The record's address is read, changed and stored back.
             "Kato lives in Nagoya",
             "before: nowhere|no address yet",
             "CITY                 |-------------------- |Gifu                 ||1行が選択されました。",
         })
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << "\n" << r.out;
    EXPECT_NE(r.out.find("ORA-01400"), std::string::npos) << r.out;
    // The view describes its object column as the table does.
    std::size_t view = r.out.find("DESCRIBE people_v");
    ASSERT_NE(view, std::string::npos) << r.out;
    EXPECT_LT(r.out.find("HOME                 NOT NULL ADDRESS_TYP", view),
              r.out.find("SELECT p.name", view))
        << r.out;
}

}  // namespace

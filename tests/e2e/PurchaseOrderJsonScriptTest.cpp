// A purchase-order script of the kind the JSON documentation teaches with:
// a table whose documents must be JSON, dot notation, JSON_TABLE with
// NESTED PATH (a phone list that is sometimes one string), JSON_EXISTS,
// JSON_VALUE's handlers and JSON_SERIALIZE PRETTY; run on the embedded
// database through the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PurchaseOrderJsonScript : public ScriptRun {};

const char kScript[] =
    "CONNECT po/po\n"
    "CREATE TABLE j_purchaseorder\n"
    "  (id          VARCHAR2(32) NOT NULL PRIMARY KEY,\n"
    "   date_loaded DATE,\n"
    "   po_document VARCHAR2(4000)\n"
    "   CONSTRAINT ensure_json CHECK (po_document IS JSON));\n"
    "INSERT INTO j_purchaseorder\n"
    "  VALUES ('A1', DATE '2014-04-21',\n"
    "          '{\"PONumber\"             : 1600,\n"
    "            \"Reference\"            : \"ABULL-20140421\",\n"
    "            \"Requestor\"            : \"Alexis Bull\",\n"
    "            \"User\"                 : \"ABULL\",\n"
    "            \"CostCenter\"           : \"A50\",\n"
    "            \"ShippingInstructions\" : {\"name\"   : \"Alexis Bull\",\n"
    "                                      \"Address\": {\"street\"  : \"200 Sporting Green\",\n"
    "                                                  \"city\"    : \"South San Francisco\",\n"
    "                                                  \"state\"   : \"CA\",\n"
    "                                                  \"zipCode\" : 99236,\n"
    "                                                  \"country\" : \"United States of America\"},\n"
    "                                      \"Phone\" : [{\"type\" : \"Office\", \"number\" : "
    "\"909-555-7307\"},\n"
    "                                                 {\"type\" : \"Mobile\", \"number\" : "
    "\"415-555-1234\"}]},\n"
    "            \"Special Instructions\" : null,\n"
    "            \"AllowPartialShipment\" : true,\n"
    "            \"LineItems\"            : [{\"ItemNumber\" : 1,\n"
    "                                       \"Part\"       : {\"Description\" : \"One Magic Christmas\",\n"
    "                                                       \"UnitPrice\"   : 19.95,\n"
    "                                                       \"UPCCode\"     : 13131092899},\n"
    "                                       \"Quantity\"   : 9.0},\n"
    "                                      {\"ItemNumber\" : 2,\n"
    "                                       \"Part\"       : {\"Description\" : \"Lethal Weapon\",\n"
    "                                                       \"UnitPrice\"   : 19.95,\n"
    "                                                       \"UPCCode\"     : 85391628927},\n"
    "                                       \"Quantity\"   : 5.0}]}');\n"
    "INSERT INTO j_purchaseorder\n"
    "  VALUES ('A2', DATE '2014-05-10',\n"
    "          '{\"PONumber\"             : 672,\n"
    "            \"Reference\"            : \"SBELL-20141017\",\n"
    "            \"Requestor\"            : \"Sarah Bell\",\n"
    "            \"User\"                 : \"SBELL\",\n"
    "            \"CostCenter\"           : \"A50\",\n"
    "            \"ShippingInstructions\" : {\"name\"    : \"Sarah Bell\",\n"
    "                                      \"Address\" : {\"street\"  : \"200 Sporting Green\",\n"
    "                                                   \"city\"    : \"South San Francisco\",\n"
    "                                                   \"state\"   : \"CA\",\n"
    "                                                   \"zipCode\" : 99236,\n"
    "                                                   \"country\" : \"United States of America\"},\n"
    "                                      \"Phone\"   : \"983-555-6509\"},\n"
    "            \"Special Instructions\" : \"Courier\",\n"
    "            \"LineItems\"            : [{\"ItemNumber\" : 1,\n"
    "                                       \"Part\"       : {\"Description\" : \"Making the Grade\",\n"
    "                                                       \"UnitPrice\"   : 20,\n"
    "                                                       \"UPCCode\"     : 27616867759},\n"
    "                                       \"Quantity\"   : 8.0}]}');\n"
    "INSERT INTO j_purchaseorder VALUES ('A3', SYSDATE, '{\"PONumber\" : 3 \"oops\"}');\n"
    "COMMIT;\n"
    "COLUMN po_no FORMAT A8\n"
    "COLUMN city FORMAT A20\n"
    "SELECT po.po_document.PONumber po_no, po.po_document.ShippingInstructions.Address.city city\n"
    "  FROM j_purchaseorder po ORDER BY 1;\n"
    "COLUMN requestor FORMAT A12\n"
    "COLUMN phone_type FORMAT A10\n"
    "COLUMN phone_num FORMAT A12\n"
    "COLUMN descr FORMAT A20\n"
    "SELECT jt.*\n"
    "  FROM j_purchaseorder,\n"
    "       JSON_TABLE(po_document, '$'\n"
    "         COLUMNS (requestor VARCHAR2(32) PATH '$.Requestor',\n"
    "                  NESTED PATH '$.ShippingInstructions.Phone[*]'\n"
    "                    COLUMNS (phone_type VARCHAR2(10) PATH '$.type',\n"
    "                             phone_num  VARCHAR2(12) PATH '$.number'))) jt\n"
    " ORDER BY 1, 2;\n"
    "SELECT jt.ponumber, jt.seq, jt.descr, jt.qty * jt.price total\n"
    "  FROM j_purchaseorder po,\n"
    "       JSON_TABLE(po.po_document, '$'\n"
    "         COLUMNS (ponumber NUMBER PATH '$.PONumber',\n"
    "                  NESTED PATH '$.LineItems[*]'\n"
    "                    COLUMNS (seq FOR ORDINALITY,\n"
    "                             descr VARCHAR2(20) PATH '$.Part.Description',\n"
    "                             qty NUMBER PATH '$.Quantity',\n"
    "                             price NUMBER PATH '$.Part.UnitPrice'))) jt\n"
    " ORDER BY 1, 2;\n"
    "SELECT id FROM j_purchaseorder WHERE JSON_EXISTS(po_document, '$.ShippingInstructions.Phone[*].type') "
    "ORDER BY id;\n"
    "SELECT JSON_VALUE(po_document, '$.ShippingInstructions' ERROR ON ERROR) FROM j_purchaseorder WHERE id = "
    "'A1';\n"
    "COLUMN ref FORMAT A5\n"
    "SELECT JSON_VALUE(po_document, '$.Reference' RETURNING VARCHAR2(5) DEFAULT 'long' ON ERROR) ref,\n"
    "       JSON_VALUE(po_document, '$.Nothing' RETURNING NUMBER DEFAULT -1 ON EMPTY) missing\n"
    "  FROM j_purchaseorder WHERE id = 'A2';\n"
    "COLUMN pretty FORMAT A200\n"
    "SELECT JSON_SERIALIZE(JSON_QUERY(po_document, '$.ShippingInstructions.Address') PRETTY) pretty\n"
    "  FROM j_purchaseorder WHERE id = 'A2';\n";

TEST_F(PurchaseOrderJsonScript, DocumentsReadAsRowsValuesAndText) {
    RunResult r = RunScripts({kScript});
    ASSERT_EQ(r.status, 0) << r.err;
    // The third document is no JSON: the check refuses it.
    EXPECT_NE(r.out.find("ORA-02290"), std::string::npos) << r.out;
    // Dot notation answers text: '1600' sorts before '672'.
    EXPECT_NE(r.out.find(Console("PO_NO    CITY                 |"
                                 "-------- -------------------- |"
                                 "1600     South San Francisco  |"
                                 "672      South San Francisco  |")),
              std::string::npos)
        << r.out;
    // Sarah Bell's Phone is one string: lax mode reads it as an array of
    // it, a row with neither type nor number.
    EXPECT_NE(r.out.find(Console("REQUESTOR    PHONE_TYPE PHONE_NUM    |"
                                 "------------ ---------- ------------ |"
                                 "Alexis Bull  Mobile     415-555-1234 |"
                                 "Alexis Bull  Office     909-555-7307 |"
                                 "Sarah Bell                           |"
                                 "|3行が選択されました。")),
              std::string::npos)
        << r.out;
    // 9.0 x 19.95, 5.0 x 19.95 and 8.0 x 20; SEQ numbers each order's items.
    EXPECT_NE(r.out.find(Console("PONUMBER   SEQ        DESCR                TOTAL      |"
                                 "---------- ---------- -------------------- ---------- |"
                                 "672        1          Making the Grade     160        |"
                                 "1600       1          One Magic Christmas  179.55     |"
                                 "1600       2          Lethal Weapon        99.75      |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("ID                               |"
                                 "-------------------------------- |"
                                 "A1                               |"
                                 "|1行が選択されました。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("ORA-40456"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("REF   MISSING    |----- ---------- |long  -1         |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("{|"
                                 "  \"street\" : \"200 Sporting Green\",|"
                                 "  \"city\" : \"South San Francisco\",|"
                                 "  \"state\" : \"CA\",|"
                                 "  \"zipCode\" : 99236,|"
                                 "  \"country\" : \"United States of America\"") +
                         "}"),
              std::string::npos)
        << r.out;
}

}  // namespace

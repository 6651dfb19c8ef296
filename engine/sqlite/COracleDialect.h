#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlRewrite.h"

// Turns the server's SQL into the embedded engine's. Literals are never
// touched, and positions in the result map back to the typed text
// (CSqlRewrite):
// - SYSDATE becomes SYSDATE() (DEFAULT SYSDATE: DEFAULT (SYSDATE()));
// - ROWNUM becomes ROW_NUMBER() OVER () in a select list, else ROWNUM(), and
//   ordered subqueries of its statement keep their order (LIMIT -1 OFFSET 0);
// - arithmetic follows the server (see CArithmetic);
// - TRUNCATE TABLE becomes DELETE FROM;
// - CREATE OR REPLACE TRIGGER/VIEW loses OR REPLACE (the caller drops the
//   old object first);
// - in a trigger, ":NEW."/":OLD." become "NEW."/"OLD.";
// - a view or trigger that selects FROM DUAL gets a one-row subquery;
// - lengths lose BYTE/CHAR ("VARCHAR2(10 BYTE)");
// - DROP TABLE loses CASCADE CONSTRAINTS and PURGE, ALTER TABLE ... ADD (one
//   column) its brackets;
// - the empty literal '' is NULL;
// - NAME.NEXTVAL and NAME.CURRVAL call the sequences (CSqliteSequences).
class COracleDialect {
public:
    // Text compiled elsewhere (a CHECK constraint's condition), put in place
    // of bytes `begin` to `begin + length` as it is.
    struct Compiled {
        std::size_t begin = 0;
        std::size_t length = 0;
        std::string with;
    };

    // `compiled`: in increasing order, not overlapping.
    static CSqlRewrite Translate(std::string_view text, const std::vector<Compiled>& compiled = {});
};

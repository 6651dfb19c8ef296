#include "engine/sqlite/CReservedWords.h"

#include <algorithm>
#include <string>

#include "text/Cp932.h"

namespace {

// Sorted, for a binary search.
constexpr std::string_view kReserved[] = {
    "ACCESS",     "ADD",        "ALL",        "ALTER",   "AND",        "ANY",        "AS",        "ASC",
    "AUDIT",      "BETWEEN",    "BY",         "CHAR",    "CHECK",      "CLUSTER",    "COLUMN",    "COMMENT",
    "COMPRESS",   "CONNECT",    "CREATE",     "CURRENT", "DATE",       "DECIMAL",    "DEFAULT",   "DELETE",
    "DESC",       "DISTINCT",   "DROP",       "ELSE",    "EXCLUSIVE",  "EXISTS",     "FILE",      "FLOAT",
    "FOR",        "FROM",       "GRANT",      "GROUP",   "HAVING",     "IDENTIFIED", "IMMEDIATE", "IN",
    "INCREMENT",  "INDEX",      "INITIAL",    "INSERT",  "INTEGER",    "INTERSECT",  "INTO",      "IS",
    "LEVEL",      "LIKE",       "LOCK",       "LONG",    "MAXEXTENTS", "MINUS",      "MLSLABEL",  "MODE",
    "MODIFY",     "NOAUDIT",    "NOCOMPRESS", "NOT",     "NOWAIT",     "NULL",       "NUMBER",    "OF",
    "OFFLINE",    "ON",         "ONLINE",     "OPTION",  "OR",         "ORDER",      "PCTFREE",   "PRIOR",
    "PRIVILEGES", "PUBLIC",     "RAW",        "RENAME",  "RESOURCE",   "REVOKE",     "ROW",       "ROWID",
    "ROWNUM",     "ROWS",       "SELECT",     "SESSION", "SET",        "SHARE",      "SIZE",      "SMALLINT",
    "START",      "SUCCESSFUL", "SYNONYM",    "SYSDATE", "TABLE",      "THEN",       "TO",        "TRIGGER",
    "UID",        "UNION",      "UNIQUE",     "UPDATE",  "USER",       "VALIDATE",   "VALUES",    "VARCHAR",
    "VARCHAR2",   "VIEW",       "WHENEVER",   "WHERE",   "WITH",
};

}  // namespace

bool CReservedWords::Is(std::string_view word) {
    const std::string upper = cp932::ToUpperAscii(word);
    return std::binary_search(std::begin(kReserved), std::end(kReserved), std::string_view(upper));
}

#pragma once

struct sqlite3;

// The values of the SQL/JSON generation functions (JSON_OBJECT, JSON_ARRAY
// and their aggregates) as JSON text, as the server writes them:
//   ORA_JSON_ITEM(kind, v)   one value as JSON: kind 'N' a NUMBER (digits
//                            as TO_CHAR writes them, with a 0 before the
//                            point), 'S' text (quoted), 'U' a value of no
//                            known type (a number as a number, else text),
//                            'D' a DATE and 'T' a TIMESTAMP in ISO 8601
//                            ("2020-01-02T03:04:05.5"), 'Z' a zoned one with
//                            its offset; NULL for NULL
//   ORA_JSON_OBJECT(absent, k1, j1, ...)   an object of the keys and items
//   ORA_JSON_ARRAY(absent, j1, ...)        an array of the items
//   ORA_JSON_MEMBER(absent, k, j)          "k":j, a member of JSON_OBJECTAGG
// An item NULL is JSON null, or left out when `absent` is 1.
class CJsonFunctions {
public:
    static bool Register(sqlite3* db);
};

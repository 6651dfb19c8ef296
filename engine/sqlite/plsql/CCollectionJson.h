#pragma once

// PL/SQL: a collection read by SQL (TABLE(collection) in FROM) as the rows
// of a JSON document, and the columns they make.
#include <string>

#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlType.h"

// The document is an array of the elements in key order: a scalar element
// as a JSON string (numbers in their exact digits, dates as stored), a
// record element as an array of its fields. Texts are CP932.
class CCollectionJson {
public:
    // The COLUMNS clause of JSON_TABLE over the document: COLUMN_VALUE for
    // scalar elements, a column for each field of record elements.
    static std::string Columns(const CPlsqlType& collection);
    static std::string Document(CPlsqlCollection& collection, const CPlsqlType& type);
    // The declared type SQL gives a value of `type` ("NUMBER(4)", "VARCHAR2(10)").
    static std::string Declared(const CPlsqlType& type);
    // `text` as a JSON string; a trail byte of CP932 is never escaped.
    static std::string Quoted(const std::string& text);

private:
    static std::string Value(const CPlsqlValue& value);
};

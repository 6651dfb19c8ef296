#pragma once

#include <string_view>
#include <vector>

#include "engine/sqlite/CSqliteDictionary.h"

// The constraints a CREATE TABLE definition (UTF-8) writes, in order: what
// a table's definition enforces when the statement that makes or rebuilds it
// is recorded in the catalog, and what the catalog of an older file is
// converted from. Those written without a name have none here (`generated`):
// the catalog names them.
class CConstraintDefinition {
public:
    static std::vector<CSqliteDictionary::Constraint> Read(std::string_view createTable);
};

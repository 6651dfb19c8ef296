#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "engine/sqlite/CSqliteDictionary.h"

// The constraints a CREATE TABLE definition (UTF-8) writes, in order, read
// once when the catalog of a file of an earlier version is converted (the
// engine records what it compiles; it reads no definition back), and where
// a constraint of such a file that its definition leaves unnamed is to be
// taken out of it. Those written without a name have none here
// (`generated`): the conversion names them.
class CConstraintDefinition {
public:
    // `places`, when given, receives the bytes of each constraint's words.
    using Place = std::pair<std::size_t, std::size_t>;
    static std::vector<CSqliteDictionary::Constraint> Read(std::string_view createTable,
                                                           std::vector<Place>* places = nullptr);
};

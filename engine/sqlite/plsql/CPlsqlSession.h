#pragma once

// PL/SQL: what one connection keeps between blocks (compiled stored units).
#include <map>
#include <memory>
#include <string>

struct CPlsqlUnit;

// Stored units compiled once and kept until the schema changes; the unit
// being compiled, so that a unit may call itself.
struct CPlsqlSession {
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> units;
    std::map<std::string, std::shared_ptr<CPlsqlUnit>> compiling;
    void Forget() { units.clear(); }
};

#include "engine/sqlite/plsql/CPlsqlType.h"

int CPlsqlType::FieldIndex(const std::string& field) const {
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (fields[k].name == field) return static_cast<int>(k);
    return -1;
}

// Statement text in, SQLite text out: the translation never reads past the
// statement and every byte it writes maps back into the statement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqliteTranslation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view statement(reinterpret_cast<const char*>(data), size);
    std::vector<std::size_t> origins;
    CSqliteTranslation::Translate(statement, &origins);
    for (std::size_t origin : origins)
        if (origin > statement.size()) std::abort();
    return 0;
}

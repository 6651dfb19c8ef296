#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The statement translation of the embedded engine as one call, the way the
// connection uses it, for tools and fuzzing that should not depend on how
// the translation is built.
class CSqliteTranslation {
public:
    // The SQLite text (still CP932) that `statement` becomes. When `origins`
    // is given it receives, for every byte of that text, the offset in
    // `statement` it was made from.
    static std::string Translate(std::string_view statement, std::vector<std::size_t>* origins = nullptr);
};

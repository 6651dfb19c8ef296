#include "engine/sqlite/CSqliteTranslation.h"

#include "engine/sqlite/COracleDialect.h"

std::string CSqliteTranslation::Translate(std::string_view statement, std::vector<std::size_t>* origins) {
    CSqlRewrite rewrite = COracleDialect::Translate(statement);
    std::string text = rewrite.Text();
    if (origins != nullptr) {
        origins->resize(text.size());
        for (std::size_t at = 0; at < text.size(); ++at) (*origins)[at] = rewrite.MapBack(at);
    }
    return text;
}

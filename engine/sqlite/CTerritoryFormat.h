#pragma once

#include <string>
#include <string_view>

// The date format elements a territory defines: DL (its long date), DS (its
// short date) and TS (its short time), each standing for a model of the
// territory's. Writing (TO_CHAR) takes them anywhere in a model; reading
// (TO_DATE) takes one alone, or DL or DS with TS, separated by white space.
class CTerritoryFormat {
public:
    enum class Outcome { Expanded, Unknown, Refused };

    // `format` with DL, DS and TS replaced by `territory`'s models (quoted
    // text kept); Unknown when the territory has no such models, `format`
    // then unchanged.
    static Outcome ForWriting(std::string_view format, std::string_view territory, std::string& out);
    // The same for reading; Refused when the elements stand with others.
    static Outcome ForReading(std::string_view format, std::string_view territory, std::string& out);
    // The territories whose models are known, for widths of any of them.
    static std::size_t TerritoryCount();
    static std::string_view TerritoryName(std::size_t k);
};

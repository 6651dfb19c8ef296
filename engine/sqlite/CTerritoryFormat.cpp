#include "engine/sqlite/CTerritoryFormat.h"

#include <iterator>
#include <vector>

namespace {

struct TerritoryModels {
    std::string_view name;
    std::string_view longDate;
    std::string_view shortDate;
    std::string_view shortTime;
};

// Note: a model that turns fill mode on turns it off again at its end, so
// that what follows the element is written as the user's model says.
constexpr TerritoryModels kTerritories[] = {
    {"JAPAN", "YYYY\"年\"MM\"月\"DD\"日\" DAY", "RR-MM-DD", "HH24:MI:SS"},
    {"AMERICA", "fmDay, Month dd, yyyyfm", "MM/DD/RRRR", "HH:MI:SS AM"},
    {"UNITED KINGDOM", "fmDay, dd Month yyyyfm", "DD/MM/RRRR", "HH24:MI:SS"},
    {"GERMANY", "fmDay, dd. Month yyyyfm", "DD.MM.RRRR", "HH24:MI:SS"},
};

const TerritoryModels* Find(std::string_view territory) {
    for (const TerritoryModels& row : kTerritories)
        if (row.name == territory) return &row;
    return nullptr;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// One piece of a model: quoted text, one of the territory's elements, or
// any other character.
struct Piece {
    std::string_view text;
    char element = 0;  // 'L' (DL), 'S' (DS), 'T' (TS), or 0
};

// The territory's element at `at`, 0 for none. DS before P is D with its
// spelling suffix (DSP, DSPTH).
char ElementAt(std::string_view format, std::size_t at) {
    if (at + 2 > format.size()) return 0;
    char first = Upper(format[at]);
    char second = Upper(format[at + 1]);
    if (first == 'T' && second == 'S') return 'T';
    if (first != 'D') return 0;
    if (second == 'L') return 'L';
    bool spelled = at + 2 < format.size() && Upper(format[at + 2]) == 'P';
    return second == 'S' && !spelled ? 'S' : 0;
}

std::vector<Piece> Pieces(std::string_view format) {
    std::vector<Piece> pieces;
    for (std::size_t k = 0; k < format.size();) {
        std::size_t length = 1;
        char element = ElementAt(format, k);
        if (element != 0) {
            length = 2;
        } else if (format[k] == '"') {
            std::size_t close = format.find('"', k + 1);
            length = close == std::string_view::npos ? format.size() - k : close + 1 - k;
        } else if (Upper(format[k]) == 'D') {
            // Note: DD and DDD are whole elements; a DL or DS is never read inside them.
            while (k + length < format.size() && Upper(format[k + length]) == 'D') ++length;
        }
        pieces.push_back({format.substr(k, length), element});
        k += length;
    }
    return pieces;
}

std::string_view ModelOf(const TerritoryModels& models, char element) {
    return element == 'L' ? models.longDate : element == 'S' ? models.shortDate : models.shortTime;
}

bool IsBlank(std::string_view text) { return text == " " || text == "\t" || text == "\n"; }

// Whether the pieces are what reading takes: one element alone, or DL or DS
// and TS, separated by white space.
bool ReadableAlone(const std::vector<Piece>& pieces) {
    std::string elements;
    for (const Piece& piece : pieces) {
        if (piece.element != 0)
            elements += piece.element;
        else if (!IsBlank(piece.text))
            return false;
    }
    return elements.size() == 1 || elements == "LT" || elements == "ST" || elements == "TL" ||
           elements == "TS";
}

CTerritoryFormat::Outcome Expand(const std::vector<Piece>& pieces, std::string_view territory,
                                 std::string& out) {
    const TerritoryModels* models = Find(territory);
    out.clear();
    for (const Piece& piece : pieces) {
        if (piece.element == 0) {
            out += piece.text;
            continue;
        }
        if (models == nullptr) return CTerritoryFormat::Outcome::Unknown;
        out += ModelOf(*models, piece.element);
    }
    return CTerritoryFormat::Outcome::Expanded;
}

bool HasElement(const std::vector<Piece>& pieces) {
    for (const Piece& piece : pieces)
        if (piece.element != 0) return true;
    return false;
}

}  // namespace

CTerritoryFormat::Outcome CTerritoryFormat::ForWriting(std::string_view format, std::string_view territory,
                                                       std::string& out) {
    std::vector<Piece> pieces = Pieces(format);
    if (!HasElement(pieces)) return out = std::string(format), Outcome::Expanded;
    Outcome outcome = Expand(pieces, territory, out);
    if (outcome != Outcome::Expanded) out = std::string(format);
    return outcome;
}

CTerritoryFormat::Outcome CTerritoryFormat::ForReading(std::string_view format, std::string_view territory,
                                                       std::string& out) {
    std::vector<Piece> pieces = Pieces(format);
    if (!HasElement(pieces)) return out = std::string(format), Outcome::Expanded;
    if (!ReadableAlone(pieces)) return out = std::string(format), Outcome::Refused;
    Outcome outcome = Expand(pieces, territory, out);
    if (outcome != Outcome::Expanded) out = std::string(format);
    return outcome;
}

std::size_t CTerritoryFormat::TerritoryCount() { return std::size(kTerritories); }

std::string_view CTerritoryFormat::TerritoryName(std::size_t k) { return kTerritories[k].name; }

#pragma once

#include <string>
#include <string_view>

// Fitting a number the database gave as text into a column of a fixed
// width without changing what it says: rounded half away from zero to the
// decimals that fit; in scientific notation ("1.2346E+11") when its integer
// part does not fit; "#" in every place when nothing fits.
namespace numberfit {

// `text` itself when it fits `width` or is not a number; else its fitted
// form, at most `width` bytes.
std::string Fit(std::string_view text, int width);

// The most digit places of a number written without a model.
constexpr int kServerPlaces = 40;
// A number's plain decimal `text` as the server writes it without a model
// (TO_CHAR(n), n || text): unchanged while its digits from the leading to
// the last take at most 40 places; else in scientific notation in 40
// bytes ("1.0000000000000000000000000000000000E+40"). Other text unchanged.
std::string ServerText(std::string_view text);

}  // namespace numberfit

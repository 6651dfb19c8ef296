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

}  // namespace numberfit

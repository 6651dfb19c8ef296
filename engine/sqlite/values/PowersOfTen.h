#pragma once

// Values: powers of ten that a 64-bit integer holds, for scaling decimals
// of up to 15 digits.
#include <cstdint>

inline constexpr std::int64_t kPowersOfTen[] = {1,
                                                10,
                                                100,
                                                1000,
                                                10000,
                                                100000,
                                                1000000,
                                                10000000,
                                                100000000,
                                                1000000000,
                                                10000000000,
                                                100000000000,
                                                1000000000000,
                                                10000000000000,
                                                100000000000000,
                                                1000000000000000};

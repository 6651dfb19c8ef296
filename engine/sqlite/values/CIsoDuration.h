#pragma once

// Values: an interval written as an ISO 8601 duration, as TO_YMINTERVAL and
// TO_DSINTERVAL read it besides their SQL forms.
#include <string_view>

#include "engine/sqlite/values/CIntervalFunctions.h"

// [-]P[yY][mM][dD][T[hH][mM][s[.f]S]] (or P-...), no blanks inside: each field an
// integer of up to nine digits, the fields in that order, at least one, and
// after T at least one of the time's. A YEAR TO MONTH value takes the years
// and months (months past eleven carry into years) and passes the rest
// over; a DAY TO SECOND value takes no years or months, and its hours,
// minutes and seconds carry into days.
class CIsoDuration {
public:
    // Whether `text` is written in this form ([-]P after any blanks).
    static bool Is(std::string_view text);
    // 0, ORA-01867 for text that is no such duration, or ORA-01873 when the
    // value's years or days need more than nine digits.
    static int Read(std::string_view text, bool yearToMonth, CIntervalFunctions::Value& out);
};

#pragma once

#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"

class CTimeZone;

// A TIMESTAMP's text by the session's NLS_TIMESTAMP_FORMAT or
// NLS_TIMESTAMP_TZ_FORMAT (or any date format model).
class CTimestampText {
public:
    // `stored` (a value as the engine keeps it, its zone after it when it
    // has one) written by `format` (UTF-8): FF without digits writes
    // `fraction` digits (none, nor the radix before it, for 0); TZH, TZM,
    // TZR and TZD write the value's zone, else `zone`. False when `stored`
    // is no timestamp or `format` no valid model.
    static bool Show(std::string_view stored, std::string_view format, int fraction, const CTimeZone& zone,
                     CDateLanguage language, std::string& out);
    // The widest text Show writes by `format` (a zone's region takes up to
    // 32 bytes); 0 for a model that is not valid.
    static long Width(std::string_view format, int fraction, CDateLanguage language);
    // `format` with each FF that has no digits given `fraction` of them.
    static std::string WithFraction(std::string_view format, int fraction);
};

#pragma once

#include <string>
#include <string_view>

// A calendar date and time of day, as the DATE type holds it.
struct CDateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    // Fractional seconds, in nanoseconds (TIMESTAMP).
    int nanos = 0;
};

// The language of month and day names (NLS_DATE_LANGUAGE).
enum class CDateLanguage { Japanese, American };

// Date format models (TO_DATE, TO_TIMESTAMP, TO_CHAR): YYYY, RRRR, YY, RR,
// MM, MONTH, MON, DD, DAY, DY, HH24, HH12, HH, MI, SS, FF and FF1..FF9, X,
// AM/PM and FM; other punctuation and "quoted text" are copied (or, when
// reading, skipped). Elements are matched in any case; names are written in
// the case of the element (Month, MONTH, month) and the given language.
// Reading follows the server's matching rules: MM also takes a month's name
// or abbreviation, MON its name, MONTH its abbreviation, YY and RR four
// digits; names are read in any case. Text is UTF-8 (names of JAPANESE
// are not ASCII).
class CDateFormat {
public:
    // "YYYY-MM-DD" with an optional " HH:MM:SS".
    static bool ParseStored(std::string_view text, CDateTime& value);
    static std::string ToStored(const CDateTime& value);
    static CDateTime Now();
    // Microseconds since 1970, for the fraction of the second now.
    static long long NowMicros();

    // Reads `text` by `format`; false with a message in `error`.
    static bool Parse(std::string_view text, std::string_view format, CDateTime& value, std::string& error,
                      CDateLanguage language = CDateLanguage::Japanese);
    // The same, answering 0 or the server's number for what failed: a
    // field out of its range (ORA-01843 the month, ORA-01847 the day,
    // ORA-01850 the hour, ...), a name not of the language, a number
    // missing (ORA-01858, or ORA-01840 where the text has ended), text
    // left over (ORA-01830), a day the month lacks (ORA-01839), a literal
    // of the format not in the text (ORA-01861).
    static int Read(std::string_view text, std::string_view format, CDateTime& value,
                    CDateLanguage language = CDateLanguage::Japanese);
    static bool Format(const CDateTime& value, std::string_view format, std::string& out, std::string& error,
                       CDateLanguage language = CDateLanguage::Japanese);
    // The language NLS_DATE_LANGUAGE names (AMERICAN, ENGLISH, JAPANESE);
    // false for another name.
    static bool LanguageNamed(std::string_view name, CDateLanguage& language);
    // The language an NLS parameter of a conversion names: "NLS_DATE_LANGUAGE
    // = name", the name optionally quoted. False for any other parameter (a
    // number's NLS_NUMERIC_CHARACTERS among them), which the caller refuses.
    static bool LanguageOfParameter(std::string_view text, CDateLanguage& language);

    static bool IsValid(const CDateTime& value);
    // NEXT_DAY: the first later date that falls on the day `name` names (a
    // name of the language beginning with the day's abbreviation; what
    // follows the abbreviation is not read), at the same time of day.
    // False when the name names no day.
    static bool NextDay(const CDateTime& value, std::string_view name, CDateLanguage language,
                        CDateTime& out);

    // Date arithmetic in days (fractions are parts of a day, rounded to the
    // second). AddDays fails when the result leaves the years 1 to 9999.
    static bool AddDays(const CDateTime& value, double days, CDateTime& out);
    static double DaysBetween(const CDateTime& later, const CDateTime& earlier);
    // Months added as the server does: the last day of a month stays the
    // last day, a day past the end of the new month becomes its last day.
    static bool AddMonths(const CDateTime& value, long long months, CDateTime& out);
    static int LastDayOfMonth(int year, int month);
    // `model` with each FF that names no digits written FF`digits`: the
    // server writes a value's fraction to the digits of its type (FF of a
    // TIMESTAMP(3) is three digits; a bare FF of a TIMESTAMP(0) is dropped). Quoted text stays as it is.
    static std::string WithFractionDigits(std::string_view model, int digits);
    // Whether `model` writes fractional seconds (FF, FFn) outside its quoted text.
    static bool NamesFraction(std::string_view model);
};

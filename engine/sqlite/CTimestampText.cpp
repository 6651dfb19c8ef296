#include "engine/sqlite/CTimestampText.h"

#include <algorithm>

#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/CZoneFunctions.h"
#include "engine/sqlite/values/FormatText.h"

namespace {

bool IsElement(std::string_view format, std::size_t at, std::string_view element) {
    if (at + element.size() > format.size()) return false;
    for (std::size_t k = 0; k < element.size(); ++k) {
        char c = format[at + k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != element[k]) return false;
    }
    return true;
}

bool HasRegion(std::string_view format) {
    bool quoted = false;
    for (std::size_t k = 0; k < format.size(); ++k) {
        if (format[k] == '"') quoted = !quoted;
        if (!quoted && IsElement(format, k, "TZR")) return true;
    }
    return false;
}

// The longest name of a region, against the offset a sample shows.
constexpr long kRegionWidth = 32;
constexpr long kOffsetWidth = 6;

}  // namespace

std::string CTimestampText::WithFraction(std::string_view format, int fraction) {
    std::string out;
    for (std::size_t k = 0; k < format.size();) {
        if (formattext::CopyQuoted(format, k, out)) continue;
        bool digits = k + 2 < format.size() && format[k + 2] >= '1' && format[k + 2] <= '9';
        if (!IsElement(format, k, "FF") || digits) {
            out += format[k++];
            continue;
        }
        if (fraction > 0) {
            out += "FF" + std::to_string(std::min(fraction, 9));
        } else if (!out.empty() && (out.back() == '.' || out.back() == 'X' || out.back() == 'x')) {
            out.pop_back();
        }
        k += 2;
    }
    return out;
}

bool CTimestampText::Show(std::string_view stored, std::string_view format, int fraction,
                          const CTimeZone& zone, CDateLanguage language, std::string& out) {
    std::string_view local = stored;
    std::string_view written;
    CTimeZone shownZone = zone;
    if (CTimeZone::Split(stored, local, written) && CTimeZone::Parse(written, shownZone) != 0) return false;
    CDateTime value;
    if (!CDateFormat::ParseStored(local, value)) return false;
    std::int32_t offset = 0;
    std::int64_t seconds = CTimeZone::Seconds(value);
    shownZone.OffsetOfLocal(seconds, offset);
    std::string model = CZoneFunctions::WithZone(WithFraction(format, fraction), shownZone, seconds - offset);
    std::string error;
    out.clear();
    return CDateFormat::Format(value, model, out, error, language);
}

long CTimestampText::Width(std::string_view format, int fraction, CDateLanguage language) {
    std::string sample;
    CTimeZone zone;
    if (CTimeZone::Parse("+09:00", zone) != 0 ||
        !Show("2000-09-28 23:59:59.999999999", format, fraction, zone, language, sample))
        return 0;
    return static_cast<long>(sample.size()) + (HasRegion(format) ? kRegionWidth - kOffsetWidth : 0);
}

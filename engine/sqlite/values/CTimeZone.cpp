#include "engine/sqlite/values/CTimeZone.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "engine/sqlite/values/CZoneFile.h"

namespace {

constexpr std::size_t kNameLimit = 64;
constexpr std::size_t kLocalLength = 29;  // "YYYY-MM-DD HH:MM:SS.nnnnnnnnn"

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A region's name is letters, digits, "_", "-", "+" and single "/" between
// parts, none of them "." or "..": nothing leaves the zone database.
bool IsRegionName(std::string_view name) {
    if (name.empty() || name.size() > kNameLimit || name.front() == '/' || name.back() == '/') return false;
    char previous = '/';
    for (char c : name) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !IsDigit(c) && c != '_' && c != '-' && c != '+' && c != '/') return false;
        if (c == '/' && previous == '/') return false;
        previous = c;
    }
    return (name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z');
}

// The file of a region, its parts matched in any case; empty when none.
std::string RegionPath(const std::string& upper) {
    namespace fs = std::filesystem;
    fs::path at = CTimeZone::Directory();
    std::size_t begin = 0;
    while (begin <= upper.size()) {
        std::size_t end = upper.find('/', begin);
        std::string part = upper.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        std::error_code error;
        fs::path found;
        for (fs::directory_iterator it(at, error), last; !error && it != last; it.increment(error))
            if (Upper(it->path().filename().string()) == part) {
                found = it->path();
                break;
            }
        if (found.empty()) return {};
        at = found;
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    std::error_code error;
    return fs::is_regular_file(at, error) ? at.string() : std::string();
}

// Regions read once and kept; a name the database lacks is kept as null.
const CZoneFile* Region(const std::string& upper) {
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<CZoneFile>> regions;
    std::lock_guard<std::mutex> guard(lock);
    auto found = regions.find(upper);
    if (found != regions.end()) return found->second.get();
    std::unique_ptr<CZoneFile> file = std::make_unique<CZoneFile>();
    std::string path = RegionPath(upper);
    if (path.empty() || !file->Load(path)) file.reset();
    return regions.emplace(upper, std::move(file)).first->second.get();
}

// "[+|-]h[h]:mi": 0 or the server's number.
int ParseOffset(std::string_view text, std::int32_t& seconds) {
    std::size_t at = 0;
    int sign = 1;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) sign = text[at++] == '-' ? -1 : 1;
    int hour = 0;
    int minute = 0;
    std::size_t digits = 0;
    for (; at < text.size() && IsDigit(text[at]) && digits < 2; ++at, ++digits)
        hour = hour * 10 + (text[at] - '0');
    if (digits == 0 || at >= text.size() || text[at] != ':') return 1857;
    ++at;
    digits = 0;
    for (; at < text.size() && IsDigit(text[at]) && digits < 2; ++at, ++digits)
        minute = minute * 10 + (text[at] - '0');
    if (digits == 0 || at != text.size()) return 1857;
    if (hour > 15) return 1874;
    if (minute > 59) return 1875;
    seconds = sign * (hour * 3600 + minute * 60);
    return 0;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

int CTimeZone::Parse(std::string_view text, CTimeZone& out) {
    text = Trimmed(text);
    out = CTimeZone();
    if (!text.empty() && (text[0] == '+' || text[0] == '-' || IsDigit(text[0])))
        return ParseOffset(text, out.offset);
    if (!IsRegionName(text)) return text.empty() ? 1857 : 1882;
    out.region = true;
    out.name = Upper(text);
    return Region(out.name) != nullptr ? 0 : 1882;
}

std::string CTimeZone::Show() const { return region ? name : ShowOffset(offset); }

std::int32_t CTimeZone::OffsetAt(std::int64_t utc) const {
    const CZoneFile* file = region ? Region(name) : nullptr;
    return file != nullptr ? file->TypeAt(utc).offset : offset;
}

std::string CTimeZone::Abbreviation(std::int64_t utc) const {
    const CZoneFile* file = region ? Region(name) : nullptr;
    return file != nullptr ? file->TypeAt(utc).abbreviation : std::string();
}

int CTimeZone::OffsetOfLocal(std::int64_t local, std::int32_t& out) const {
    const CZoneFile* file = region ? Region(name) : nullptr;
    if (file == nullptr) {
        out = offset;
        return 0;
    }
    return file->OffsetOfLocal(local, out);
}

std::string CTimeZone::ShowOffset(std::int32_t seconds) {
    char buffer[16];
    std::int32_t minutes = std::abs(seconds) / 60;
    std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", seconds < 0 ? '-' : '+', minutes / 60 % 100,
                  minutes % 60);
    return buffer;
}

std::string CTimeZone::MachineOffset() { return Machine().Show(); }

CTimeZone CTimeZone::Machine() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    CTimeZone zone;
    zone.offset = static_cast<std::int32_t>(local.tm_gmtoff);
    return zone;
}

std::string CTimeZone::Directory() {
    const char* folder = std::getenv("TZDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo";
}

std::int64_t CTimeZone::Seconds(const CDateTime& value) {
    // Days from 1970-01-01 of the proleptic Gregorian calendar.
    std::int64_t year = value.year - (value.month <= 2 ? 1 : 0);
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t month = value.month + (value.month > 2 ? -3 : 9);
    std::int64_t dayOfYear = (153 * month + 2) / 5 + value.day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + value.hour * 3600 + value.minute * 60 + value.second;
}

CDateTime CTimeZone::FromSeconds(std::int64_t seconds, int nanos) {
    std::int64_t days = seconds >= 0 ? seconds / 86400 : -((86399 - seconds) / 86400);
    std::int64_t rest = seconds - days * 86400;
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t month = (5 * dayOfYear + 2) / 153;
    CDateTime out;
    out.day = static_cast<int>(dayOfYear - (153 * month + 2) / 5 + 1);
    out.month = static_cast<int>(month < 10 ? month + 3 : month - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest % 3600 / 60);
    out.second = static_cast<int>(rest % 60);
    out.nanos = nanos;
    return out;
}

std::string CTimeZone::Store(const CDateTime& local, const CTimeZone& zone) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%09d ", local.year, local.month,
                  local.day, local.hour, local.minute, local.second, local.nanos);
    return buffer + zone.Show();
}

bool CTimeZone::Split(std::string_view stored, std::string_view& local, std::string_view& zone) {
    if (stored.size() <= kLocalLength + 1 || stored[kLocalLength] != ' ' || stored[19] != '.') return false;
    local = stored.substr(0, kLocalLength);
    zone = stored.substr(kLocalLength + 1);
    return true;
}

int CTimeZone::Convert(const CDateTime& local, const CTimeZone& from, const CTimeZone& to, CDateTime& out) {
    std::int32_t offset = 0;
    if (int code = from.OffsetOfLocal(Seconds(local), offset); code != 0) return code;
    std::int64_t utc = Seconds(local) - offset;
    out = FromSeconds(utc + to.OffsetAt(utc), local.nanos);
    return CDateFormat::IsValid(out) ? 0 : 1841;
}

int CTimeZone::Instant(std::string_view stored, const CTimeZone& fallback, CDateTime& utc) {
    std::string_view local = stored;
    std::string_view written;
    CTimeZone zone = fallback;
    if (Split(stored, local, written))
        if (int code = Parse(written, zone); code != 0) return code;
    CDateTime value;
    if (!CDateFormat::ParseStored(local, value)) return 932;
    return Convert(value, zone, CTimeZone(), utc);
}

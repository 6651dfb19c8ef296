#pragma once

#include <string>

// The checks ACCEPT makes of a reply before it defines its variable: a
// NUMBER must be a number, a DATE a date, and both must fit the FORMAT
// given (a number model, a date model, or An for the most bytes of text).
namespace acceptreply {

enum class Type { Char, Number, Date };

// The date model a DATE reply is read by when no FORMAT is given and no
// session can read it by its own: the dates of the console's sessions.
constexpr const char* kDefaultDateFormat = "RR-MM-DD";

// "" when `format` ("" for none) can check replies of `type`; else the
// line that refuses it.
std::string FormatRefusal(Type type, const std::string& format);

// How a hidden reply stands in a refusal.
constexpr const char* kHiddenReply = "********";

// "" when `reply` is a value of `type` that fits `format`; else the line
// that refuses it (naming the reply as kHiddenReply when `hidden`).
std::string Refusal(Type type, const std::string& format, const std::string& reply, bool hidden = false);

// True when `reply` reads as a date by the date model `format`: every
// element matched, the date and time of day valid.
bool IsDate(const std::string& reply, const std::string& format);
// True when `format` is made of date model elements only.
bool IsDateFormat(const std::string& format);

}  // namespace acceptreply

#pragma once

#include <string>
#include <string_view>

#include "text/Encoding.h"

// CP932 bytes of a UTF-8 literal, as the program's text is held.
inline std::string Sj(std::string_view utf8) { return encoding::Utf8ToCp932(utf8); }

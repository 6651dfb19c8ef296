#pragma once

#include <cstddef>
#include <string>

#include "text/CScriptLines.h"

// The recall list kept between sessions: one entry a line in the user's
// data directory, CP932 bytes as typed, with "\\", "\r" and "\n" escaped so
// that an entry holding pasted line breaks stays one entry. Passwords are
// never written.
class CHistoryFile {
public:
    static constexpr std::size_t kMaxEntries = 1000;

    // "history.txt" in the data directory ($TARVEX_HOME, else
    // $XDG_DATA_HOME/tarvex, else ~/.local/share/tarvex); "" when there is
    // none.
    static std::string DefaultPath();
    // The last kMaxEntries entries of the file; empty when it is missing or
    // unreadable.
    static CScriptLines Load(const std::string& path);
    // Writes the last kMaxEntries entries that may be kept (see Keep),
    // replacing the file whole. False when it could not be written.
    static bool Save(const std::string& path, const CScriptLines& history);
    // The history as it is written: a CONNECT line loses its "/password", a
    // CONNECT continued on further lines is left out with them, and a line
    // that sets a password (IDENTIFIED BY) is left out.
    static CScriptLines Keep(const CScriptLines& history);

    static std::string Escape(const std::string& entry);
    static std::string Unescape(const std::string& line);
};

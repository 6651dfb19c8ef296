#pragma once

#include <string>

// Where the database files of the embedded engine live, and which database
// names are allowed.
//
// A database name is case-insensitive: "" is the default database
// ("default.db"); any other name becomes its lower-case form plus ".db" in
// the data directory: $TARVEX_HOME, else $XDG_DATA_HOME/tarvex, else
// ~/.local/share/tarvex (created when missing). Blanks around the name are
// ignored.
class CDatabaseLocation {
public:
    // Fills `path` with the file of that database, creating the data
    // directory when missing. False with a message in `error` when the name is
    // refused or the directory is unusable.
    static bool Resolve(const std::string& name, std::string& path, std::string& error);

    // The data directory as configured (not created); "" when none can be found.
    static std::string DataDirectory();

    // Checks one (trimmed, non-empty) name: "" when it is allowed, else why not.
    static std::string CheckName(const std::string& name);

    // The file name (without directory) of an allowed, trimmed name, UTF-8.
    static std::string FileName(const std::string& name);
};

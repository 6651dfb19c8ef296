#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The program's command line, read without the window system: what a run
// without a window answers itself, and whether the window is wanted.
struct CLaunchOptions {
    bool batch = false;
    bool help = false;
    std::string pdf;
    std::string screenshot;
    std::vector<std::string> files;
    std::string error;

    // Reads the command line without the program name.
    static CLaunchOptions Parse(const std::vector<std::string>& args);
    // True when the run needs the window module: a window, or a printout.
    bool NeedsWindow() const;
    // Answers a run that needs no window (--help, a usage error, --batch)
    // from the command line `args` it was parsed from; returns the exit status.
    int RunWithoutWindow(const std::vector<std::string>& args, std::istream& standardInput,
                         std::ostream& output, std::ostream& errors) const;

    static const char* Usage();
};

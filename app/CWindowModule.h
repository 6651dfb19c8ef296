#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The window is a module of its own, loaded (next to the program, or from the
// library folder it is installed with) only when a window is wanted, so a
// run without one loads no window-system library.
// The module takes the console, the interpreter and the engines from the
// program, so there is one copy of each.
class CWindowModule {
public:
    // The module's entry point: int TarvexWindowMain(int argc, char** argv).
    static constexpr char kEntryPoint[] = "TarvexWindowMain";
    // Status when the module cannot be loaded.
    static constexpr int kNotLoadedStatus = 1;

    // Where the module may be: next to the running program, then in the
    // library folder the program was installed with.
    static std::vector<std::string> Candidates();
    // The first candidate that exists (the first of all when none does).
    static std::string Path();
    // Loads the module and runs its entry point with the command line;
    // returns its status, or says on `errors` what could not be loaded.
    static int Run(int argc, char** argv, std::ostream& errors);
};

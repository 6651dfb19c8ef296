#pragma once

// Turns the echo of the terminal on standard input off while a hidden
// answer (a password, ACCEPT ... HIDE) is typed, and on again afterwards.
// Restore() may be called from any thread on the way out of the program,
// so that no exit leaves the terminal without its echo.
class CTerminalEcho {
public:
    // False when standard input is no terminal (nothing changed).
    static bool Hide();
    static void Restore();
};

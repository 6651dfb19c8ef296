#include "batch/CTerminalEcho.h"

#include <termios.h>
#include <unistd.h>

#include <atomic>

namespace {

struct termios g_saved {};
std::atomic<bool> g_hidden{false};

}  // namespace

bool CTerminalEcho::Hide() {
    if (g_hidden || isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &g_saved) != 0) return false;
    struct termios quiet = g_saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    quiet.c_lflag |= ECHONL;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0) return false;
    g_hidden = true;
    return true;
}

void CTerminalEcho::Restore() {
    if (!g_hidden.exchange(false)) return;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
}

#include "batch/CInterruptWatcher.h"

#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The write end of the watcher's pipe, read by the signal handler.
volatile std::sig_atomic_t g_writeEnd = -1;
constexpr char kInterrupt = 'i';
constexpr char kQuit = 'q';

#ifndef _WIN32
struct sigaction g_previous;

void OnInterrupt(int) {
    const char byte = kInterrupt;
    if (g_writeEnd >= 0) [[maybe_unused]]
        auto written = write(g_writeEnd, &byte, 1);
}
#endif

}  // namespace

CInterruptWatcher::CInterruptWatcher(std::function<void()> first, std::function<void()> again)
    : m_first(std::move(first)), m_again(std::move(again)) {
#ifndef _WIN32
    if (pipe(m_pipe) != 0) return;
    fcntl(m_pipe[1], F_SETFD, FD_CLOEXEC);
    fcntl(m_pipe[0], F_SETFD, FD_CLOEXEC);
    g_writeEnd = m_pipe[1];
    m_thread = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_previous);
#endif
}

CInterruptWatcher::~CInterruptWatcher() {
#ifndef _WIN32
    if (!m_thread.joinable()) return;
    sigaction(SIGINT, &g_previous, nullptr);
    g_writeEnd = -1;
    const char byte = kQuit;
    [[maybe_unused]] auto written = write(m_pipe[1], &byte, 1);
    m_thread.join();
    close(m_pipe[0]);
    close(m_pipe[1]);
#endif
}

void CInterruptWatcher::Watch() {
#ifndef _WIN32
    for (;;) {
        char byte = 0;
        const ssize_t got = read(m_pipe[0], &byte, 1);
        if (got < 0) continue;
        if (got == 0 || byte == kQuit) return;
        if (++m_count == 1) {
            if (m_first) m_first();
        } else if (m_again) {
            m_again();
        }
    }
#endif
}

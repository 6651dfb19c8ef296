#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Turns Ctrl+C (SIGINT) into calls made on a thread of its own, where they
// may do what a signal handler must not: the first SIGINT calls `first`,
// every later one `again`. The previous handler is put back on destruction.
// One watcher at a time per process.
class CInterruptWatcher {
public:
    CInterruptWatcher(std::function<void()> first, std::function<void()> again);
    ~CInterruptWatcher();
    CInterruptWatcher(const CInterruptWatcher&) = delete;
    CInterruptWatcher& operator=(const CInterruptWatcher&) = delete;

    // SIGINTs seen so far.
    int Count() const { return m_count; }

private:
    void Watch();

    std::function<void()> m_first;
    std::function<void()> m_again;
    std::atomic<int> m_count{0};
    int m_pipe[2] = {-1, -1};
    std::thread m_thread;
};

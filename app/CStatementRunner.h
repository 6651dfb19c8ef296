#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

// Runs the console's work (a submitted line, a replayed file) on a worker
// thread while the window goes on serving its events. Run returns once the
// work has ended, so callers see it as a plain call; meanwhile the window
// repaints, scrolls and takes Esc, and nothing else may touch the console.
class CStatementRunner : public QObject {
    Q_OBJECT

public:
    explicit CStatementRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~CStatementRunner() override;

    // Runs `job` to its end; an exception it throws is thrown here. False
    // (nothing runs) while another job is under way.
    bool Run(const std::function<void()>& job);
    bool IsRunning() const { return m_running; }
    // True on the thread of the job under way.
    bool IsWorkerThread() const;

signals:
    void Started();
    // The job has ended; emitted before Run returns.
    void Finished();

private:
    void Finish();

    std::thread m_thread;
    std::atomic<std::thread::id> m_workerId;
    bool m_running = false;
};

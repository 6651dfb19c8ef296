#include "app/CStatementRunner.h"

#include <QEventLoop>
#include <exception>
#include <memory>

CStatementRunner::~CStatementRunner() {
    if (m_thread.joinable()) m_thread.join();
}

bool CStatementRunner::IsWorkerThread() const { return std::this_thread::get_id() == m_workerId.load(); }

bool CStatementRunner::Run(const std::function<void()>& job) {
    if (m_running) return false;
    m_running = true;
    emit Started();
    auto error = std::make_shared<std::exception_ptr>();
    QEventLoop loop;
    connect(this, &CStatementRunner::Finished, &loop, &QEventLoop::quit);
    m_thread = std::thread([this, job, error] {
        m_workerId = std::this_thread::get_id();
        try {
            job();
        } catch (...) {
            *error = std::current_exception();
        }
        m_workerId = std::thread::id();
        QMetaObject::invokeMethod(this, &CStatementRunner::Finish, Qt::QueuedConnection);
    });
    // Note: the loop also ends when Finish ran in a dialog's loop opened
    // meanwhile; it then returns as soon as that dialog has closed.
    loop.exec();
    if (*error) std::rethrow_exception(*error);
    return true;
}

void CStatementRunner::Finish() {
    m_thread.join();
    m_running = false;
    emit Finished();
}

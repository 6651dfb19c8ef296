#include "app/CAnswerWait.h"

void CAnswerWait::Give(bool answered, std::string answer) {
    {
        std::lock_guard lock(m_mutex);
        if (m_done) return;
        m_done = true;
        m_answered = answered;
        m_answer = std::move(answer);
    }
    m_given.notify_all();
}

bool CAnswerWait::Wait(std::string& answer) {
    std::unique_lock lock(m_mutex);
    m_given.wait(lock, [this] { return m_done; });
    if (m_answered) answer = std::move(m_answer);
    return m_answered;
}

bool CAnswerWait::IsDone() const {
    std::lock_guard lock(m_mutex);
    return m_done;
}

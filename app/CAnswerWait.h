#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

// One question put to the user on the input line, as the thread that asked
// waits for it: the window gives the answer (or none) once, the asker takes
// it. Safe between the two threads.
class CAnswerWait {
public:
    // The answer (`answered` false: the user gave up); only the first counts.
    void Give(bool answered, std::string answer);
    // Blocks until an answer was given; false when the user gave up.
    bool Wait(std::string& answer);
    bool IsDone() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_given;
    bool m_done = false;
    bool m_answered = false;
    std::string m_answer;
};

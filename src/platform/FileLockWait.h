#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

// The pause between two tries for a lock: short at first, so that turns
// pass quickly among a few writers, and never past the deadline.
class LockPoll {
  public:
    explicit LockPoll(std::chrono::milliseconds wait) : m_deadline(std::chrono::steady_clock::now() + wait) {}

    // Sleeps before the next try; false once the deadline has passed.
    bool pause()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now >= m_deadline)
            return false;
        m_step = std::min(m_step * 2, std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(m_step, m_deadline - now));
        return true;
    }

  private:
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::milliseconds m_step{1};
};

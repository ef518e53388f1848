// Time as the transfer sees it, so tests can run a silent radio's fifteen
// one-second attempts in no time at all.
#pragma once

#include <chrono>

namespace varnok {

class Clock {
public:
    using Duration = std::chrono::microseconds;

    virtual ~Clock() = default;
    /// Time since an arbitrary start.
    virtual Duration now() = 0;
    /// Waits until now() >= t.
    virtual void sleepUntil(Duration t) = 0;

    void sleepFor(Duration d) { sleepUntil(now() + d); }
    void sleepMs(int ms) { sleepFor(std::chrono::milliseconds(ms)); }
};

/// The machine's monotonic clock.
Clock& systemClock();

/// A clock that moves only when something sleeps on it.
class VirtualClock : public Clock {
public:
    Duration now() override { return m_now; }
    void sleepUntil(Duration t) override {
        if (t > m_now)
            m_now = t;
    }

private:
    Duration m_now{0};
};

} // namespace varnok

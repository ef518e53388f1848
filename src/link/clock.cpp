#include "link/clock.h"

#include <thread>

namespace varnok {
namespace {

class SystemClock : public Clock {
public:
    Duration now() override { return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - m_start); }
    void sleepUntil(Duration t) override {
        const Duration left = t - now();
        if (left > Duration::zero())
            std::this_thread::sleep_for(left);
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

} // namespace varnok

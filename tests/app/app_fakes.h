// What the application layer's tests put around it: a user answering from a
// script, a radio in virtual time behind a port that can stop at a block, and
// a wake-up the test thread can wait for.
#pragma once

#include "app/prompts.h"
#include "link/demo_radio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

namespace varnok::app {

/// Records every question and answers from queues; with nothing queued a
/// box answers Cancel when it has it, else its first button, and a chooser
/// is cancelled.
struct ScriptedPrompts : Prompts {
    Button show(const Message& message) override {
        shown.push_back(message);
        if (during)
            during();
        if (answers.empty()) {
            const auto& b = message.buttons;
            return std::find(b.begin(), b.end(), Button::Cancel) != b.end() ? Button::Cancel : b.front();
        }
        const Button answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> openPath(const std::string& folder) override { return path(folder); }
    std::optional<std::string> savePath(const std::string& suggested) override { return path(suggested); }
    std::optional<std::string> portName(const std::string& current) override { return path(current); }

    std::optional<std::string> path(const std::string& given) {
        asked.push_back(given);
        if (paths.empty())
            return std::nullopt;
        auto answer = paths.front();
        paths.pop_front();
        return answer;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Message& m : shown)
            out.push_back(m.text);
        return out;
    }

    std::vector<Message> shown;
    std::deque<Button> answers;
    std::deque<std::optional<std::string>> paths;
    std::vector<std::string> asked; ///< what each chooser started from
    std::function<void()> during;   ///< runs inside every box, as a nested event loop would
};

/// Holds the worker at the first write once the radio has done `block`
/// blocks, until the test releases it.
struct Gate {
    int block = -1;
    std::promise<void> reached, release;
    std::future<void> reachedSeen = reached.get_future(), released = release.get_future();
    bool passed = false;

    void pass(int done) {
        if (block < 0 || passed || done < block)
            return;
        passed = true;
        reached.set_value();
        released.wait();
    }
    /// On the test thread: waits for the worker to stop, runs `then`, lets it go.
    void at(const std::function<void()>& then) {
        reachedSeen.wait();
        then();
        release.set_value();
    }
};

class GatedPort : public SerialPort {
public:
    GatedPort(std::shared_ptr<DemoRadio> radio, Clock& clock, Gate& gate, bool* closed = nullptr)
        : m_radio(radio), m_inner(radio, clock, false), m_gate(gate), m_closed(closed) {}
    ~GatedPort() override {
        if (m_closed)
            *m_closed = true;
    }
    bool purge(PurgeKind kind) override { return m_inner.purge(kind); }
    bool write(const std::uint8_t* data, std::size_t count) override {
        m_gate.pass(m_radio->blocksDone());
        return m_inner.write(data, count);
    }
    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override {
        return m_inner.read(buffer, count, received);
    }

private:
    std::shared_ptr<DemoRadio> m_radio;
    DemoRadioPort m_inner;
    Gate& m_gate;
    bool* m_closed;
};

/// The wake-up a face would post to its event loop.
struct Waker {
    std::mutex mutex;
    std::condition_variable cv;
    int count = 0;

    std::function<void()> callback() {
        return [this] {
            std::lock_guard<std::mutex> lock(mutex);
            ++count;
            cv.notify_all();
        };
    }
    /// Waits for a wake-up since the last wait; false after 10 s without.
    bool wait() {
        std::unique_lock<std::mutex> lock(mutex);
        const bool woken = cv.wait_for(lock, std::chrono::seconds(10), [this] { return count > 0; });
        count = 0;
        return woken;
    }
};

} // namespace varnok::app

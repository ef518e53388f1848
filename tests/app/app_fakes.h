// What the application layer's tests put around it: a user answering from a
// script, and a radio in virtual time behind a port that can stop at a block.
#pragma once

#include "app/prompts.h"
#include "link/demo_radio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <thread>

namespace varnok::app {

/// Records what was asked and answers from queues; with nothing queued a box
/// answers Cancel when it has it, else its first button, and a chooser is
/// cancelled.
struct ScriptedPrompts : Prompts {
    Button show(const Message& message) override {
        shown.push_back(message);
        texts.push_back(message.text);
        if (during)
            during();
        const auto& b = message.buttons;
        const Button answer = !answers.empty()                                 ? answers.front()
                              : std::count(b.begin(), b.end(), Button::Cancel) ? Button::Cancel
                                                                               : b.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    std::optional<std::string> openPath(const std::string& folder) override { return path(folder); }
    std::optional<std::string> savePath(const std::string& suggested) override { return path(suggested); }
    std::optional<std::string> portName(const std::string& current) override { return path(current); }
    std::optional<std::string> csvPath(const std::string& suggested, bool) override { return path(suggested); }
    std::optional<std::string> path(const std::string& given) {
        asked.push_back(given);
        if (paths.empty())
            return std::nullopt;
        return paths.front();
    }

    std::vector<Message> shown;
    std::vector<std::string> texts;
    std::deque<Button> answers;
    std::vector<std::string> paths; ///< a chooser's answer: the first, or cancelled
    std::vector<std::string> asked; ///< what each chooser started from
    std::function<void()> during;   ///< runs inside every box, as a nested event loop would
};

/// Holds the worker at its first write once the radio has done `block`
/// blocks, until the test thread has done what it wanted there.
struct Gate {
    int block = -1;
    std::atomic<int> stage{0}; ///< 1: the worker waits; 2: it may go on

    void pass(int done) {
        if (block < 0 || done < block || stage != 0)
            return;
        stage = 1;
        while (stage != 2)
            std::this_thread::yield();
    }
    void at(const std::function<void()>& then) {
        while (stage != 1)
            std::this_thread::yield();
        then();
        stage = 2;
    }
};

class GatedPort : public DemoRadioPort {
public:
    GatedPort(std::shared_ptr<DemoRadio> radio, Clock& clock, Gate& gate, bool* closed = nullptr)
        : DemoRadioPort(radio, clock, false), m_radio(radio), m_gate(gate), m_closed(closed) {}
    ~GatedPort() override {
        if (m_closed)
            *m_closed = true;
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        m_gate.pass(m_radio->blocksDone());
        return DemoRadioPort::write(data, count);
    }

private:
    std::shared_ptr<DemoRadio> m_radio;
    Gate& m_gate;
    bool* m_closed;
};

} // namespace varnok::app

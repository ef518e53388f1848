// The demo radio behind a pseudo-terminal, so that the real serial port code
// (and any other program) can talk to it as to a radio on a cable.
#pragma once

#include "link/demo_radio.h"

#include <atomic>
#include <memory>
#include <string>

namespace varnok {

class PtyRadio {
public:
    /// Opens a pseudo-terminal; nullptr with `error` set when that fails.
    static std::unique_ptr<PtyRadio> create(std::shared_ptr<DemoRadio> radio, bool paced, std::string& error);
    ~PtyRadio();
    PtyRadio(const PtyRadio&) = delete;
    PtyRadio& operator=(const PtyRadio&) = delete;

    /// The device path a program opens to reach the radio.
    const std::string& devicePath() const { return m_path; }

    /// Answers the line until `stop` is set or the radio hangs up (then the
    /// line is closed, as an unplugged cable would). Returns false on an
    /// unexpected I/O error.
    bool serve(const std::atomic<bool>& stop);

private:
    PtyRadio(std::shared_ptr<DemoRadio> radio, bool paced, int master, int slave, std::string path);
    void hangUp();

    std::shared_ptr<DemoRadio> m_radio;
    bool m_paced;
    int m_master;
    int m_slave; // held open so the line stays up between the client's opens
    std::string m_path;
};

} // namespace varnok

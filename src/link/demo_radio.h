// A radio on the other end of the line, for trying the program without a
// cable and for testing every way a real radio can misbehave.
#pragma once

#include "image/image.h"
#include "link/clock.h"
#include "link/serial_port.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnok {

/// Misbehaviour to put on. Block numbers count from 0 in each direction.
struct RadioFaults {
    bool silent = false;             ///< never answers anything
    int strayBytes = 0;              ///< stray bytes before the handshake's 0x06
    bool refuseConfirmation = false; ///< answers the confirmation with 0x15
    int shortReplyBlock = -1;        ///< read block whose reply is cut short
    int shortReplyLength = 10;       ///< bytes sent of that reply
    int shortReplyTimes = -1;        ///< how many requests get the short reply (-1: all)
    int nakReadBlock = -1;           ///< read block whose acknowledgement is 0x15
    int nakWriteBlock = -1;          ///< write block answered with 0x15
    int corruptWriteBlock = -1;      ///< write block stored with its first byte altered
    int hangUpAfterBlocks = -1;      ///< goes dead after this many blocks
};

/// Parses a fault list such as "silent", "stray=1", "short=5:10",
/// "short=5:11:1", "nak-read=3", "nak-write=7", "corrupt-write=9", "hangup=40",
/// "refuse-confirm", comma-separated. Returns false with `error` set.
bool parseRadioFaults(const std::string& text, RadioFaults& faults, std::string& error);

/// The radio's side of the protocol, with its own 1024-byte memory.
class DemoRadio {
public:
    explicit DemoRadio(const RadioImage& memory = sampleMemory(), RadioFaults faults = {});

    /// Takes bytes from the computer and gives what the radio sends back.
    std::vector<std::uint8_t> receive(const std::uint8_t* data, std::size_t count);

    bool hungUp() const { return m_hungUp; }
    const RadioImage& memory() const { return m_memory; }
    void setFaults(const RadioFaults& faults) { m_faults = faults; }
    /// Blocks moved in the current programming session.
    int blocksDone() const { return m_blocks; }

    /// A plausible configured radio: a handful of channels with tones,
    /// settings that differ from a new file's, the vendor's constant block.
    static RadioImage sampleMemory();
    /// What the radio answers to the follow-up byte.
    static const std::uint8_t kIdent[8];

private:
    enum class State { Idle, Handshaken, Identified, Programming };

    void onByte(std::uint8_t byte, std::vector<std::uint8_t>& out);
    void onCommand(std::vector<std::uint8_t>& out);
    void finishBlock();

    RadioImage m_memory;
    RadioFaults m_faults;
    State m_state = State::Idle;
    std::vector<std::uint8_t> m_window;  // last bytes, to spot the handshake
    std::vector<std::uint8_t> m_command; // command being received
    int m_readBlocks = 0;
    int m_writeBlocks = 0;
    int m_blocks = 0;
    int m_shortRepliesSent = 0;
    bool m_hungUp = false;
};

/// Time one byte takes on a 9600-baud 8N1 line (10 bits).
constexpr Clock::Duration kByteTime9600{1042};

/// The demo radio as a port: bytes move with the line's timing rules on the
/// given clock, optionally paced at 9600 baud.
class DemoRadioPort : public SerialPort {
public:
    DemoRadioPort(std::shared_ptr<DemoRadio> radio, Clock& clock, bool paced);

    bool purge(PurgeKind kind) override;
    bool write(const std::uint8_t* data, std::size_t count) override;
    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override;

    /// Every byte the computer sent, in order (for wire traces in tests).
    const std::vector<std::uint8_t>& sent() const { return m_sent; }

private:
    struct Pending {
        std::uint8_t byte;
        Clock::Duration arrival;
    };

    std::shared_ptr<DemoRadio> m_radio;
    Clock& m_clock;
    Clock::Duration m_byteTime;
    Clock::Duration m_lineFreeAt{0};  // when our last byte has left
    Clock::Duration m_radioFreeAt{0}; // when the radio's last byte arrives
    std::vector<Pending> m_incoming;
    std::vector<std::uint8_t> m_sent;
};

/// The radio behind the port name "demo": one per program run, so that what
/// a write sends, a later read brings back.
std::shared_ptr<DemoRadio> sharedDemoRadio();

} // namespace varnok

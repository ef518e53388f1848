#include "link/demo_radio.h"

#include "image/defaults.h"
#include "image/number.h"
#include "image/tones.h"
#include "link/transfer.h"

#include <algorithm>
#include <sstream>

namespace varnok {
namespace {

constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kStray = 0x55;

bool parseInt(const std::string& text, int& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6)
        return false;
    value = readInteger(text);
    return true;
}

} // namespace

const std::uint8_t DemoRadio::kIdent[8] = {'Q', 'X', '1', '0', '0', 0x00, 0x01, 0x06};

bool parseRadioFaults(const std::string& text, RadioFaults& faults, std::string& error) {
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.empty())
            continue;
        const auto eq = item.find('=');
        const std::string name = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        bool ok = true;
        if (name == "silent" && value.empty()) {
            faults.silent = true;
        } else if (name == "refuse-confirm" && value.empty()) {
            faults.refuseConfirmation = true;
        } else if (name == "stray") {
            ok = parseInt(value, faults.strayBytes);
        } else if (name == "nak-read") {
            ok = parseInt(value, faults.nakReadBlock);
        } else if (name == "nak-write") {
            ok = parseInt(value, faults.nakWriteBlock);
        } else if (name == "corrupt-write") {
            ok = parseInt(value, faults.corruptWriteBlock);
        } else if (name == "hangup") {
            ok = parseInt(value, faults.hangUpAfterBlocks);
        } else if (name == "short") {
            std::stringstream parts(value);
            std::string block, length, times;
            std::getline(parts, block, ':');
            std::getline(parts, length, ':');
            std::getline(parts, times, ':');
            ok = parseInt(block, faults.shortReplyBlock) &&
                 (length.empty() || parseInt(length, faults.shortReplyLength)) &&
                 (times.empty() || parseInt(times, faults.shortReplyTimes)) && faults.shortReplyLength < 12;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "unknown or malformed fault \"" + item + "\"";
            return false;
        }
    }
    return true;
}

DemoRadio::DemoRadio(const RadioImage& memory, RadioFaults faults) : m_memory(memory), m_faults(faults) {}

RadioImage DemoRadio::sampleMemory() {
    // Starts from a new image with the UHF presets (the radio keeps its own
    // auxiliary frequencies) and programs the channels a dealer would.
    RadioImage image = defaultImage(PresetSet::Uhf);
    struct Channel {
        Frequency rx, tx;
        const char *decode, *encode;
        std::uint8_t flags;
    };
    const Channel channels[] = {
        {46262500, 46262500, "无", "无", 0xCF},       {46265000, 46265000, "67.0", "67.0", 0xDA},
        {46712500, 46712500, "D023N", "D023N", 0xCE}, {46237500, 46737500, "88.5", "100.0", 0xD3},
        {46600000, 46600000, "D754I", "D754I", 0xA5}, {44600625, 44600625, "无", "151.4", 0xD0},
        {45250000, 45750000, "127.3", "127.3", 0xBE},
    };
    int n = 1;
    for (const auto& c : channels) {
        RecordView ch = image.channel(n++);
        ch.setRxFrequency(c.rx);
        ch.setTxFrequency(c.tx);
        const ToneCode decode = toneCode(c.decode), encode = toneCode(c.encode);
        ch[layout::record::kRxToneLow] = decode.low;
        ch[layout::record::kRxToneHigh] = decode.high;
        ch[layout::record::kTxToneLow] = encode.low;
        ch[layout::record::kTxToneHigh] = encode.high;
        ch.setFlags(c.flags);
    }
    image[layout::kFunctionFlags] = 0x97; // beep, power save, scan, English, local transmit alarm
    image[layout::kSquelch] = 5;
    image[layout::kMonitor] = 1;
    image[layout::kTxTimeLimit] = 4;
    image[layout::kBandCode] = layout::kBandCodeBase + 2;
    return image;
}

std::vector<std::uint8_t> DemoRadio::receive(const std::uint8_t* data, std::size_t count) {
    std::vector<std::uint8_t> out;
    // Once hung up nothing more is heard; what was answered before the
    // line went dead still arrives.
    for (std::size_t i = 0; i < count && !m_hungUp; ++i)
        onByte(data[i], out);
    if (m_faults.silent)
        out.clear();
    return out;
}

void DemoRadio::onByte(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    // The handshake restarts a session from any state, the way the radio's
    // firmware listens for it whenever it is not in the middle of a frame.
    m_window.push_back(byte);
    if (m_window.size() > sizeof wire::kHandshake)
        m_window.erase(m_window.begin());
    if (m_command.empty() && m_window.size() == sizeof wire::kHandshake &&
        std::equal(m_window.begin(), m_window.end(), std::begin(wire::kHandshake))) {
        out.insert(out.end(), static_cast<std::size_t>(m_faults.strayBytes), kStray);
        out.push_back(wire::kAck);
        m_state = State::Handshaken;
        m_blocks = m_readBlocks = m_writeBlocks = 0;
        m_window.clear();
        return;
    }

    switch (m_state) {
    case State::Idle:
        return;
    case State::Handshaken:
        if (byte == wire::kStart) {
            out.insert(out.end(), std::begin(kIdent), std::end(kIdent));
            m_state = State::Identified;
        }
        return;
    case State::Identified:
        if (byte == wire::kAck) {
            out.push_back(m_faults.refuseConfirmation ? kNak : wire::kAck);
            if (!m_faults.refuseConfirmation)
                m_state = State::Programming;
        }
        return;
    case State::Programming:
        if (m_command.empty() && byte == wire::kAck) { // acknowledgement of a read reply
            const bool nak = m_faults.nakReadBlock == m_readBlocks - 1;
            out.push_back(nak ? kNak : wire::kAck);
            finishBlock();
            return;
        }
        if (m_command.empty() && byte != wire::kRead && byte != wire::kWrite)
            return; // noise between frames
        m_command.push_back(byte);
        onCommand(out);
        return;
    }
}

void DemoRadio::onCommand(std::vector<std::uint8_t>& out) {
    const std::size_t need = m_command[0] == wire::kWrite ? 4 + wire::kBlockSize : 4;
    if (m_command.size() < need)
        return;
    const std::size_t address = (static_cast<std::size_t>(m_command[1]) << 8) | m_command[2];
    const bool valid = m_command[3] == wire::kBlockSize && address + wire::kBlockSize <= layout::kImageSize;
    if (m_command[0] == wire::kRead) {
        if (valid) {
            const int block = m_readBlocks++;
            std::vector<std::uint8_t> reply = {wire::kWrite, m_command[1], m_command[2], wire::kBlockSize};
            for (std::size_t k = 0; k < wire::kBlockSize; ++k)
                reply.push_back(m_memory[address + k]);
            if (block == m_faults.shortReplyBlock &&
                (m_faults.shortReplyTimes < 0 || m_shortRepliesSent < m_faults.shortReplyTimes)) {
                ++m_shortRepliesSent;
                --m_readBlocks; // the same block will be asked for again
                reply.resize(static_cast<std::size_t>(std::max(0, m_faults.shortReplyLength)));
            }
            out.insert(out.end(), reply.begin(), reply.end());
        }
    } else {
        if (valid) {
            const int block = m_writeBlocks++;
            const bool nak = block == m_faults.nakWriteBlock;
            if (!nak)
                for (std::size_t k = 0; k < wire::kBlockSize; ++k)
                    m_memory[address + k] = m_command[4 + k];
            // Acknowledged all the same: only reading back can tell.
            if (block == m_faults.corruptWriteBlock)
                m_memory[address] ^= 0x01;
            out.push_back(nak ? kNak : wire::kAck);
            finishBlock();
        }
    }
    m_command.clear();
}

void DemoRadio::finishBlock() {
    ++m_blocks;
    if (m_faults.hangUpAfterBlocks >= 0 && m_blocks >= m_faults.hangUpAfterBlocks)
        m_hungUp = true;
}

DemoRadioPort::DemoRadioPort(std::shared_ptr<DemoRadio> radio, Clock& clock, bool paced)
    : m_radio(std::move(radio)), m_clock(clock), m_byteTime(paced ? kByteTime9600 : Clock::Duration::zero()) {}

bool DemoRadioPort::purge(PurgeKind) {
    const Clock::Duration now = m_clock.now();
    m_incoming.erase(
        std::remove_if(m_incoming.begin(), m_incoming.end(), [&](const Pending& p) { return p.arrival <= now; }),
        m_incoming.end());
    return true;
}

bool DemoRadioPort::write(const std::uint8_t* data, std::size_t count) {
    if (m_radio->hungUp())
        return false;
    m_sent.insert(m_sent.end(), data, data + count);
    const Clock::Duration now = m_clock.now();
    // The bytes leave one after another; the radio answers once it has the
    // last of them, and its answer takes the line's time per byte as well.
    m_lineFreeAt = std::max(m_lineFreeAt, now) + m_byteTime * static_cast<int>(count);
    const std::vector<std::uint8_t> answer = m_radio->receive(data, count);
    Clock::Duration at = std::max(m_radioFreeAt, m_lineFreeAt);
    for (std::uint8_t byte : answer) {
        at += m_byteTime;
        m_incoming.push_back(Pending{byte, at});
    }
    if (!answer.empty())
        m_radioFreeAt = at;
    return true;
}

bool DemoRadioPort::read(std::uint8_t* buffer, std::size_t count, std::size_t& received) {
    using std::chrono::milliseconds;
    received = 0;
    const Clock::Duration deadline = m_clock.now() + milliseconds(portTiming::readTotalMs(count));
    Clock::Duration last{};
    while (received < count) {
        if (m_incoming.empty() && m_radio->hungUp() && received == 0)
            return false; // the line is dead, as a vanished device reports
        const bool any = !m_incoming.empty();
        Clock::Duration next = any ? m_incoming.front().arrival : deadline + milliseconds(1);
        if (received > 0 && next > last + milliseconds(portTiming::kReadIntervalMs)) {
            m_clock.sleepUntil(std::min(deadline, last + milliseconds(portTiming::kReadIntervalMs)));
            return true;
        }
        if (next > deadline) {
            m_clock.sleepUntil(deadline);
            return true;
        }
        m_clock.sleepUntil(next);
        buffer[received++] = m_incoming.front().byte;
        m_incoming.erase(m_incoming.begin());
        last = next;
    }
    return true;
}

std::shared_ptr<DemoRadio> sharedDemoRadio() {
    static std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>();
    return radio;
}

} // namespace varnok

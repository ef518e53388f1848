#include "link/transfer.h"

#include "link/diagnosis.h"

#include <array>

namespace varnok {
namespace {

// Pacing of the exchange. The radio's firmware was written against these
// pauses; shortening them makes some radios drop blocks.
constexpr int kHandshakeYields = 12;
constexpr int kConfirmYields = 16;
constexpr int kConfirmFailYields = 601;
constexpr int kReadBlockYields = 199;
constexpr int kWriteBlockYields = 201;
constexpr int kReadStoreSleepMs = 15;
constexpr int kReadBlockSleepMs = 20;
constexpr int kWriteBlockSleepMs = 2;

class Transfer {
public:
    Transfer(SerialPort& port, Direction direction, TransferHooks& hooks, Clock& clock)
        : m_port(port), m_direction(direction), m_hooks(hooks), m_clock(clock) {}

    const LinkObservation& observation() const { return m_seen; }

    TransferOutcome run(RadioImage& image) {
        m_hooks.setStatus(transferText::kDetecting);
        for (;;) {
            const Step handshake = shakeHands();
            if (handshake != Step::Done)
                return outcomeOf(handshake);
            const Step confirmation = confirm();
            if (confirmation == Step::Again)
                continue;
            if (confirmation != Step::Done)
                return outcomeOf(confirmation);
            break;
        }
        m_clock.sleepMs(1);
        m_hooks.blocksStarting();
        if (m_direction == Direction::Read)
            return readBlocks(image);
        return writeBlocks(image);
    }

private:
    enum class Step { Done, Again, Cancelled, Abandoned };

    static TransferOutcome outcomeOf(Step step) {
        return step == Step::Cancelled ? TransferOutcome::Cancelled : TransferOutcome::Abandoned;
    }

    /// Yield steps; true when the user asked to cancel.
    bool yieldSteps(int count, bool pause) {
        for (int i = 0; i < count; ++i) {
            if (m_hooks.cancelRequested())
                return true;
            if (pause)
                m_clock.sleepMs(1);
        }
        return false;
    }

    void beginStep(LinkPhase phase, int block = -1) {
        LinkObservation next;
        next.phase = phase;
        next.block = block;
        next.received = m_seen.received;
        m_seen = next;
    }

    // Every byte to and from the radio passes these two, so that a failure
    // can be told from what the line did.
    bool put(const std::uint8_t* data, std::size_t count) {
        const bool sent = m_port.write(data, count);
        m_seen.lineFailed = m_seen.lineFailed || !sent;
        return sent;
    }
    bool get(std::uint8_t* buffer, std::size_t count, std::size_t& got) {
        got = 0;
        const bool ok = m_port.read(buffer, count, got);
        m_seen.received += static_cast<long>(got);
        m_seen.receivedInStep += static_cast<long>(got);
        m_seen.lineFailed = m_seen.lineFailed || !ok;
        return ok;
    }
    bool send(std::uint8_t byte) { return put(&byte, 1); }

    /// A 1-byte read: nullopt when the call failed, else whether it got 0x06.
    enum class Ack { CallFailed, Good, Other };
    Ack readAck() {
        std::uint8_t byte = 0;
        std::size_t got = 0;
        if (!get(&byte, 1, got))
            return Ack::CallFailed;
        m_seen.unexpected = m_seen.unexpected || (got == 1 && byte != wire::kAck);
        return (got == 1 && byte == wire::kAck) ? Ack::Good : Ack::Other;
    }

    /// The radio's text, then what the line showed.
    std::string explained(const char* text) const {
        const std::string line = diagnoseLink(m_seen);
        return line.empty() ? std::string(text) : text + std::string("\n") + line;
    }

    /// The retry question after a round of failed attempts.
    Step askRetry() {
        if (!m_hooks.askRetry(explained(transferText::kRetryQuestion)))
            return Step::Abandoned;
        m_attempt = 1;
        beginStep(LinkPhase::Handshake); // a retry starts with a new handshake
        return Step::Again;
    }

    Step shakeHands() {
        for (;;) {
            m_port.purge(PurgeKind::Clear);
            m_hooks.setStatus(transferText::kWaiting);
            if (yieldSteps(kHandshakeYields, true))
                return Step::Cancelled;
            m_port.purge(PurgeKind::AbortAndClear);
            for (std::uint8_t byte : wire::kHandshake) {
                m_port.purge(PurgeKind::Clear);
                send(byte);
            }
            // The radio may put one stray byte before its acknowledgement.
            Ack ack = readAck();
            if (ack == Ack::Other)
                ack = readAck();
            if (ack == Ack::Good)
                return Step::Done;

            m_clock.sleepMs(1);
            if (++m_attempt > kHandshakeAttempts) {
                const Step answer = askRetry();
                if (answer == Step::Abandoned)
                    return answer;
            }
        }
    }

    Step confirm() {
        m_clock.sleepMs(1);
        std::array<std::uint8_t, wire::kIdentSize> ident{};
        std::size_t got = 0;
        beginStep(LinkPhase::Confirmation);
        m_port.purge(PurgeKind::Clear);
        get(ident.data(), 1, got); // whatever trails the handshake
        m_port.purge(PurgeKind::Clear);
        send(wire::kStart);
        get(ident.data(), ident.size(), got); // identification, not examined
        if (yieldSteps(kConfirmYields, true))
            return Step::Cancelled;

        m_port.purge(PurgeKind::Clear);
        while (!send(wire::kAck)) {
            // Asking instead of retrying silently keeps a dead line from
            // holding the user in an endless row of identical messages.
            if (!m_hooks.askRetry(explained(transferText::kSendStateFailed)))
                return Step::Abandoned;
            m_port.purge(PurgeKind::Clear);
        }
        switch (readAck()) {
        case Ack::Good:
            return Step::Done;
        case Ack::CallFailed:
            return askRetry();
        case Ack::Other:
            if (yieldSteps(kConfirmFailYields, true))
                return Step::Cancelled;
            return askRetry();
        }
        return Step::Abandoned;
    }

    static std::array<std::uint8_t, 4> request(std::uint8_t command, int address) {
        return {command, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF),
                wire::kBlockSize};
    }

    TransferOutcome readBlocks(RadioImage& image) {
        RadioImage copy = image;
        for (int block = 0; block < wire::kReadBlocks; ++block) {
            const int address = block * wire::kBlockSize;
            beginStep(LinkPhase::Blocks, block);
            std::array<std::uint8_t, wire::kReplySize> reply{};
            std::size_t got = 0;
            // A reply of 10 or 11 bytes would pass a length test but lacks
            // data bytes; ask for the block again rather than store bytes
            // that never came.
            for (int ask = 0; ask <= kShortReplyRetries; ++ask) {
                m_port.purge(PurgeKind::Clear);
                const auto req = request(wire::kRead, address);
                put(req.data(), req.size());
                if (!get(reply.data(), reply.size(), got))
                    got = 0;
                if (got < wire::kReplyMinimum || got == wire::kReplySize)
                    break;
            }
            if (got < wire::kReplySize) {
                m_hooks.report(explained(transferText::kReplyTooShort));
                return TransferOutcome::Failed;
            }
            m_port.purge(PurgeKind::Clear);
            for (std::size_t k = 0; k < wire::kBlockSize; ++k)
                copy[static_cast<std::size_t>(address) + k] = reply[wire::kReplyHeader + k];
            m_hooks.blockDone(block + 1, wire::kReadBlocks);
            m_clock.sleepMs(kReadStoreSleepMs);
            m_port.purge(PurgeKind::Clear);
            send(wire::kAck);
            if (readAck() != Ack::Good) {
                m_hooks.report(explained(transferText::kReadAckBad));
                return TransferOutcome::Failed;
            }
            if (yieldSteps(kReadBlockYields, false))
                return TransferOutcome::Cancelled;
            m_clock.sleepMs(kReadBlockSleepMs);
        }
        image = copy;
        return TransferOutcome::Complete;
    }

    TransferOutcome writeBlocks(const RadioImage& image) {
        for (int block = 0; block < wire::kWriteBlocks; ++block) {
            const int address = block * wire::kBlockSize;
            beginStep(LinkPhase::Blocks, block);
            m_port.purge(PurgeKind::Clear);
            const auto req = request(wire::kWrite, address);
            put(req.data(), req.size());
            m_clock.sleepMs(1);
            m_port.purge(PurgeKind::Clear);
            put(image.bytes().data() + address, wire::kBlockSize);
            if (readAck() != Ack::Good) {
                m_hooks.report(explained(transferText::kWriteAckBad));
                return TransferOutcome::Failed;
            }
            m_hooks.blockDone(block + 1, wire::kWriteBlocks);
            if (yieldSteps(kWriteBlockYields, false))
                return TransferOutcome::Cancelled;
            m_clock.sleepMs(kWriteBlockSleepMs);
        }
        return TransferOutcome::Complete;
    }

    SerialPort& m_port;
    Direction m_direction;
    TransferHooks& m_hooks;
    Clock& m_clock;
    int m_attempt = 1;
    LinkObservation m_seen;
};

} // namespace

TransferOutcome runTransfer(std::unique_ptr<SerialPort> port, Direction direction, RadioImage& image,
                            TransferHooks& hooks, Clock& clock, LinkObservation* observed) {
    Transfer transfer(*port, direction, hooks, clock);
    const TransferOutcome outcome = transfer.run(image);
    port.reset(); // the line is never held open between transfers
    if (observed)
        *observed = transfer.observation();
    return outcome;
}

} // namespace varnok

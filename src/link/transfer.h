// The exchange with the radio in one transfer: handshake, confirmation and
// 8-byte blocks, each acknowledged with 0x06.
#pragma once

#include "image/image.h"
#include "link/clock.h"
#include "link/serial_port.h"
#include "text/texts.h"

#include <memory>
#include <string>

namespace varnok {

/// Texts the transfer shows, exactly as the radio's users know them.
namespace transferText {
using text::kCannotOpenPort;
using text::kDetecting;
using text::kReadAckBad;
using text::kReplyTooShort;
using text::kRetryQuestion;
using text::kSendStateFailed;
using text::kWaiting;
/// After a write that stopped once blocks had gone out.
using text::kWriteAckBad;
using text::kWriteIncomplete;
} // namespace transferText

/// Wire constants.
namespace wire {
constexpr std::uint8_t kStart = 0x02;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kRead = 0x52;  // 'R'
constexpr std::uint8_t kWrite = 0x57; // 'W'
constexpr std::uint8_t kBlockSize = 0x08;
constexpr std::uint8_t kHandshake[] = {0x02, 'P', 'R', 'O', 'G', 'R', 'A', 'M'};
constexpr std::size_t kIdentSize = 8;
constexpr std::size_t kReplySize = 12; ///< 4 header bytes, then the block
constexpr std::size_t kReplyHeader = 4;
constexpr std::size_t kReplyMinimum = 10;
constexpr int kReadBlocks = 128;  ///< offsets 0 to 1016
constexpr int kWriteBlocks = 123; ///< offsets 0 to 976
} // namespace wire

enum class Direction { Read, Write };

enum class TransferOutcome {
    Complete,
    Failed,    ///< a message was reported
    Cancelled, ///< the user asked to stop; no message
    Abandoned, ///< the user answered Cancel to the retry question
};

/// What the transfer needs of its user interface. Every call comes from the
/// thread that runs the transfer; a face with a window forwards them.
class TransferHooks {
public:
    virtual ~TransferHooks() = default;
    virtual void setStatus(const std::string& text) = 0;
    /// One block done: `done` of `total` blocks of this direction.
    virtual void blockDone(int done, int total) = 0;
    /// A yield step: give the user interface a turn; true asks to cancel.
    virtual bool cancelRequested() = 0;
    /// The question with Retry and Cancel; true is Retry.
    virtual bool askRetry(const std::string& text) = 0;
    /// A failure message with an OK button; returns once it is acknowledged.
    virtual void report(const std::string& text) = 0;
    /// The handshake is done and the first block goes out next: from here
    /// on a write that does not complete leaves the radio partly written.
    virtual void blocksStarting() {}
};

enum class LinkPhase { Handshake, Confirmation, Blocks };

/// What the transfer saw of the radio up to where it stopped, so that a
/// failure can be explained from facts. A step is one round of handshake
/// attempts, the confirmation, or one block.
struct LinkObservation {
    LinkPhase phase = LinkPhase::Handshake;
    int block = -1;          ///< Blocks: the block of the last step, from 0
    long received = 0;       ///< bytes from the radio in the whole transfer
    long receivedInStep = 0; ///< bytes from the radio in the last step
    bool unexpected = false; ///< the last step received a byte other than the one the protocol answers with
    bool lineFailed = false; ///< the port refused a read or write in the last step (the device went away)
};

/// Runs one transfer over `port` and closes the port (destroys it) on every
/// outcome. A read fills a copy and replaces `image` only when all 128
/// blocks arrived; a write sends image offsets 0 to 983. A question or
/// report carries a second line that explains it from what was observed,
/// which also goes to `observed` when given.
TransferOutcome runTransfer(std::unique_ptr<SerialPort> port, Direction direction, RadioImage& image,
                            TransferHooks& hooks, Clock& clock = systemClock(), LinkObservation* observed = nullptr);

/// Attempts per handshake round before the retry question.
constexpr int kHandshakeAttempts = 15;
/// Extra requests for a block whose reply came in short (10 or 11 bytes).
constexpr int kShortReplyRetries = 2;

} // namespace varnok

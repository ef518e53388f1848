// The transfer engine against a radio whose every answer the fuzzer picks:
// right, silent, failing, short or garbled. Past the end of the input the
// radio answers right and the user says Cancel, so every run can end. It
// must end; "complete" only when the engine used nothing but right answers
// (the radio then holds the document, or the document what the radio sent);
// and the document stays as it was on any other outcome.
#include "fuzz_check.h"
#include "link/transfer.h"

#include <utility>
#include <vector>

using namespace varnok;

namespace {

struct Script {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t next() { return at < size ? data[at++] : 0; }
};

/// What the radio did, block by block: the last answer to each request.
struct Radio : TransferHooks {
    Script script;
    VirtualClock clock;
    long cancelAt = 0, yields = 0, calls = 0;
    int done = 0, total = 0;
    std::vector<std::uint8_t> lastWrite;
    int block = -1;                         ///< the block last asked for or sent
    RadioImage held;                        ///< read: what it sent; write: what it got
    std::vector<bool> blockRight, ackRight; ///< 12-byte reply (8 bytes got); 06 after it
    bool confirmRight = false, cancelled = false;
    bool lost = false; ///< a write failed: the radio missed it and stays silent

    void setStatus(const std::string&) override {}
    void blockDone(int n, int of) override { FUZZ_CHECK(n == ++done && of == total); }
    bool cancelRequested() override {
        cancelled = cancelled || ++yields == cancelAt; // a user who asked to stop goes on asking
        return cancelled;
    }
    bool askRetry(const std::string&) override { return script.next() & 1; }
    void report(const std::string&) override {}

    void countCall() { FUZZ_CHECK(++calls < 1000000); } // no end in sight: a livelock

    bool write(const std::uint8_t* bytes, std::size_t count) {
        countCall();
        if (script.next() == 0xFF) {
            lost = true;
            return false;
        }
        lastWrite.assign(bytes, bytes + count);
        if (count == 4 && (bytes[0] == wire::kRead || bytes[0] == wire::kWrite))
            block = (bytes[1] << 8 | bytes[2]) / wire::kBlockSize;
        if (count == wire::kBlockSize && block >= 0) {
            std::copy(bytes, bytes + count, held.bytes().begin() + block * wire::kBlockSize);
            blockRight[static_cast<std::size_t>(block)] = true;
        }
        return true;
    }

    /// Byte k of the right answer to a read of `count` bytes.
    std::uint8_t rightByte(std::size_t count, std::size_t k) {
        if (count == 1)
            return wire::kAck;
        const bool asked = lastWrite.size() == 4 && lastWrite[0] == wire::kRead;
        if (count == wire::kReplySize && asked && k < wire::kReplyHeader)
            return lastWrite[k]; // the header repeats the request
        return static_cast<std::uint8_t>(script.next() ^ k);
    }

    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& got) {
        countCall();
        const int how = std::exchange(lost, false) ? 4 : script.next() % 8; // 0-3 right
        got = 0;
        if (how == 4 || how == 5) { // silence; the call fails
            clock.sleepMs(portTiming::readTotalMs(count));
            return how == 4;
        }
        got = how == 6 ? script.next() % count : count; // short; whole
        for (std::size_t k = 0; k < got; ++k)
            buffer[k] = how < 4 ? rightByte(count, k) : script.next();
        const bool ack = got == 1 && buffer[0] == wire::kAck;
        if (count == wire::kReplySize && block >= 0) {
            blockRight[static_cast<std::size_t>(block)] = got == count;
            std::copy(buffer + wire::kReplyHeader, buffer + count, held.bytes().begin() + block * wire::kBlockSize);
        } else if (count == 1 && block >= 0) {
            ackRight[static_cast<std::size_t>(block)] = ack;
        } else if (count == 1 && lastWrite == std::vector<std::uint8_t>{wire::kAck}) {
            confirmRight = ack;
        }
        clock.sleepMs(static_cast<int>(got));
        return true;
    }
};

struct Port : SerialPort {
    explicit Port(Radio& r) : radio(r) {}
    bool purge(PurgeKind) override { return true; }
    bool write(const std::uint8_t* d, std::size_t n) override { return radio.write(d, n); }
    bool read(std::uint8_t* b, std::size_t n, std::size_t& got) override { return radio.read(b, n, got); }
    Radio& radio;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Radio radio;
    radio.script = {data, size};
    const Direction direction = radio.script.next() & 1 ? Direction::Write : Direction::Read;
    radio.cancelAt = radio.script.next() << 8; // 0: never
    radio.cancelAt |= radio.script.next();
    const int blocks = direction == Direction::Read ? wire::kReadBlocks : wire::kWriteBlocks;
    radio.total = blocks;
    radio.blockRight.assign(blocks, false);
    radio.ackRight.assign(blocks, false);

    RadioImage document;
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        document[i] = static_cast<std::uint8_t>(i * 7 + 3);
    RadioImage image = document;
    const TransferOutcome outcome = runTransfer(std::make_unique<Port>(radio), direction, image, radio, radio.clock);

    FUZZ_CHECK(radio.cancelled == (outcome == TransferOutcome::Cancelled));
    if (outcome == TransferOutcome::Complete) {
        FUZZ_CHECK(radio.confirmRight && radio.done == blocks);
        for (int b = 0; b < blocks; ++b)
            FUZZ_CHECK(radio.blockRight[static_cast<std::size_t>(b)] && radio.ackRight[static_cast<std::size_t>(b)]);
        const std::size_t end = direction == Direction::Read ? layout::kReadEnd : layout::kWriteEnd;
        FUZZ_CHECK(std::equal(image.bytes().begin(), image.bytes().begin() + end, radio.held.bytes().begin()));
    }
    if (outcome != TransferOutcome::Complete || direction == Direction::Write)
        FUZZ_CHECK(image == document);
    return 0;
}

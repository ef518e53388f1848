#include "link/demo_radio.h"
#include "link/transfer.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

#include <deque>

namespace varnok {
namespace {

using std::chrono::milliseconds;

/// Hooks that record what a user would have seen and answer as scripted.
struct ScriptedUser : TransferHooks {
    explicit ScriptedUser(Clock& c) : clock(c) {}

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void blockDone(int done, int total) override { blocks.emplace_back(done, total); }
    bool cancelRequested() override {
        ++yields;
        return cancelAtYield >= 0 && yields > cancelAtYield;
    }
    bool askRetry(const std::string& text) override {
        questions.push_back(text);
        questionTimes.push_back(clock.now());
        if (retryAnswers.empty())
            return false;
        const bool retry = retryAnswers.front();
        retryAnswers.pop_front();
        return retry;
    }
    void report(const std::string& text) override { reports.push_back(text); }
    void blocksStarting() override { startedAtBlock = static_cast<int>(blocks.size()); }

    Clock& clock;
    std::vector<std::string> statuses, questions, reports;
    std::vector<Clock::Duration> questionTimes;
    std::vector<std::pair<int, int>> blocks;
    std::deque<bool> retryAnswers;
    long yields = 0;
    long cancelAtYield = -1; ///< cancel from this yield step on
    int startedAtBlock = -1; ///< blocks done when the block phase was announced
};

/// Passes everything to a demo port; notes its closing and can fail writes.
class WatchedPort : public SerialPort {
public:
    WatchedPort(std::shared_ptr<DemoRadio> radio, Clock& clock, bool& closed, std::vector<std::uint8_t>& trace)
        : m_inner(std::move(radio), clock, false), m_closed(closed), m_trace(trace) {}
    ~WatchedPort() override {
        m_trace = m_inner.sent();
        m_closed = true;
    }
    bool purge(PurgeKind kind) override { return m_inner.purge(kind); }
    bool write(const std::uint8_t* data, std::size_t count) override {
        if (count == 1 && data[0] == wire::kAck && failAckWrites > 0) {
            --failAckWrites;
            return false;
        }
        return m_inner.write(data, count);
    }
    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override {
        return m_inner.read(buffer, count, received);
    }
    int failAckWrites = 0;

private:
    DemoRadioPort m_inner;
    bool& m_closed;
    std::vector<std::uint8_t>& m_trace;
};

class TransferTest : public ::testing::Test {
protected:
    TransferOutcome run(Direction direction, RadioFaults faults = {}, int failAckWrites = 0) {
        radio->setFaults(faults);
        auto port = std::make_unique<WatchedPort>(radio, clock, closed, trace);
        port->failAckWrites = failAckWrites;
        closed = false;
        return runTransfer(std::move(port), direction, image, user, clock);
    }

    static RadioImage patterned() {
        RadioImage m;
        for (std::size_t i = 0; i < layout::kImageSize; ++i)
            m[i] = static_cast<std::uint8_t>(i * 13 + 1);
        return m;
    }

    VirtualClock clock;
    ScriptedUser user{clock};
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>(patterned());
    RadioImage image = defaultImage(PresetSet::Uhf);
    bool closed = false;
    std::vector<std::uint8_t> trace;
};

std::vector<std::uint8_t> opening() {
    std::vector<std::uint8_t> bytes(std::begin(wire::kHandshake), std::end(wire::kHandshake));
    bytes.push_back(wire::kStart);
    bytes.push_back(wire::kAck);
    return bytes;
}

TEST_F(TransferTest, WholeReadOnTheWire) {
    ASSERT_EQ(run(Direction::Read), TransferOutcome::Complete);
    EXPECT_TRUE(closed);
    EXPECT_EQ(image, patterned());

    std::vector<std::uint8_t> expected = opening();
    for (int a = 0; a <= 1016; a += 8) {
        const std::uint8_t req[] = {0x52, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x08,
                                    0x06};
        expected.insert(expected.end(), std::begin(req), std::end(req));
    }
    EXPECT_EQ(trace, expected);
    ASSERT_EQ(user.blocks.size(), 128u);
    EXPECT_EQ(user.blocks.front(), std::make_pair(1, 128));
    EXPECT_EQ(user.blocks.back(), std::make_pair(128, 128));
    EXPECT_EQ(user.statuses.front(), transferText::kDetecting);
    EXPECT_EQ(user.statuses.at(1), transferText::kWaiting);
    EXPECT_TRUE(user.reports.empty());
    EXPECT_TRUE(user.questions.empty());
    // Each block sleeps 35 ms; the confirmation waits out one silent read.
    EXPECT_GE(clock.now(), milliseconds(128 * 35 + 550));
    EXPECT_LT(clock.now(), milliseconds(128 * 35 + 550 + 200));
}

TEST_F(TransferTest, WholeWriteOnTheWireStopsBefore984) {
    RadioImage sent = patterned();
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        sent[i] = static_cast<std::uint8_t>(~sent[i]);
    image = sent;
    ASSERT_EQ(run(Direction::Write), TransferOutcome::Complete);
    EXPECT_TRUE(closed);

    std::vector<std::uint8_t> expected = opening();
    for (int a = 0; a <= 976; a += 8) {
        const std::uint8_t req[] = {0x57, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x08};
        expected.insert(expected.end(), std::begin(req), std::end(req));
        expected.insert(expected.end(), sent.bytes().begin() + a, sent.bytes().begin() + a + 8);
    }
    EXPECT_EQ(trace, expected);
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        ASSERT_EQ(radio->memory()[i], i < 984 ? sent[i] : patterned()[i]) << i;
    EXPECT_EQ(user.blocks.size(), 123u);
    EXPECT_EQ(user.blocks.back(), std::make_pair(123, 123));
    EXPECT_EQ(user.startedAtBlock, 0);
}

TEST_F(TransferTest, HandshakeAcceptsOneStrayByteButNotTwo) {
    RadioFaults one;
    one.strayBytes = 1;
    EXPECT_EQ(run(Direction::Read, one), TransferOutcome::Complete);
    EXPECT_TRUE(user.questions.empty());

    RadioFaults two;
    two.strayBytes = 2;
    user.retryAnswers = {true}; // one more round, then Cancel
    image = defaultImage(PresetSet::Uhf);
    EXPECT_EQ(run(Direction::Read, two), TransferOutcome::Abandoned);
    ASSERT_EQ(user.questions.size(), 2u);
    EXPECT_EQ(user.questions[0], transferText::kRetryQuestion);
    // Two rounds of fifteen attempts, each sending the whole handshake.
    const std::vector<std::uint8_t> handshake(std::begin(wire::kHandshake), std::end(wire::kHandshake));
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 30; ++i)
        expected.insert(expected.end(), handshake.begin(), handshake.end());
    EXPECT_EQ(trace, expected);
    EXPECT_TRUE(closed);
    EXPECT_EQ(image, defaultImage(PresetSet::Uhf));
}

TEST_F(TransferTest, SilentRadioAsksAfterFifteenAttempts) {
    RadioFaults silent;
    silent.silent = true;
    EXPECT_EQ(run(Direction::Read, silent), TransferOutcome::Abandoned);
    ASSERT_EQ(user.questions.size(), 1u);
    // Each attempt: 12 paused yields, two 550 ms reads, a 1 ms sleep.
    const auto attempt = milliseconds(12 + 550 + 550 + 1);
    EXPECT_EQ(user.questionTimes[0], 15 * attempt);
    EXPECT_EQ(std::count(user.statuses.begin(), user.statuses.end(), transferText::kWaiting), 15);
    EXPECT_TRUE(user.reports.empty());
    EXPECT_TRUE(closed);
    EXPECT_EQ(user.startedAtBlock, -1); // nothing of the image went out
}

TEST_F(TransferTest, RefusedConfirmationWaitsThenAsks) {
    RadioFaults refuse;
    refuse.refuseConfirmation = true;
    EXPECT_EQ(run(Direction::Read, refuse), TransferOutcome::Abandoned);
    ASSERT_EQ(user.questions.size(), 1u);
    // 12 handshake yields, 16 confirmation yields, then 601 more, all paused.
    EXPECT_EQ(user.yields, 12 + 16 + 601);
    EXPECT_GE(user.questionTimes[0], milliseconds(12 + 550 + 16 + 601));
}

TEST_F(TransferTest, ConfirmationByteThatCannotBeSentIsAskedAbout) {
    EXPECT_EQ(run(Direction::Read, {}, 2), TransferOutcome::Abandoned);
    ASSERT_EQ(user.questions.size(), 1u);
    EXPECT_EQ(user.questions[0], transferText::kSendStateFailed);

    user.questions.clear();
    user.retryAnswers = {true, true};
    EXPECT_EQ(run(Direction::Read, {}, 2), TransferOutcome::Complete);
    EXPECT_EQ(user.questions, (std::vector<std::string>(2, transferText::kSendStateFailed)));
    EXPECT_EQ(image, patterned());
}

TEST_F(TransferTest, ShortRepliesAreAskedAgainNeverStored) {
    struct Case {
        int length, times;
        TransferOutcome outcome;
        int requestsForBlock;
    };
    const Case cases[] = {
        {11, 1, TransferOutcome::Complete, 2}, {10, 2, TransferOutcome::Complete, 3},
        {11, -1, TransferOutcome::Failed, 3},  {9, 1, TransferOutcome::Failed, 1},
        {0, 1, TransferOutcome::Failed, 1},
    };
    for (const auto& c : cases) {
        radio = std::make_shared<DemoRadio>(patterned());
        image = defaultImage(PresetSet::Uhf);
        user.reports.clear();
        RadioFaults faults;
        faults.shortReplyBlock = 5;
        faults.shortReplyLength = c.length;
        faults.shortReplyTimes = c.times;
        EXPECT_EQ(run(Direction::Read, faults), c.outcome) << c.length << "/" << c.times;
        const std::uint8_t request[] = {0x52, 0x00, 0x28, 0x08};
        int requests = 0;
        for (std::size_t i = 0; i + 4 <= trace.size(); ++i)
            requests += std::equal(request, request + 4, trace.begin() + static_cast<long>(i));
        EXPECT_EQ(requests, c.requestsForBlock) << c.length << "/" << c.times;
        if (c.outcome == TransferOutcome::Complete) {
            EXPECT_EQ(image, patterned());
            EXPECT_TRUE(user.reports.empty());
        } else {
            EXPECT_EQ(user.reports, std::vector<std::string>{transferText::kReplyTooShort});
            EXPECT_EQ(image, defaultImage(PresetSet::Uhf)); // nothing of the radio's half-read
        }
        EXPECT_TRUE(closed);
    }
}

TEST_F(TransferTest, BadAcknowledgementsFailWithTheirMessages) {
    RadioFaults nakRead;
    nakRead.nakReadBlock = 5;
    EXPECT_EQ(run(Direction::Read, nakRead), TransferOutcome::Failed);
    EXPECT_EQ(user.reports, std::vector<std::string>{transferText::kReadAckBad});
    EXPECT_EQ(image, defaultImage(PresetSet::Uhf));
    EXPECT_EQ(user.blocks.size(), 6u);

    user.reports.clear();
    RadioFaults nakWrite;
    nakWrite.nakWriteBlock = 7;
    const RadioImage before = radio->memory();
    EXPECT_EQ(run(Direction::Write, nakWrite), TransferOutcome::Failed);
    EXPECT_EQ(user.reports, std::vector<std::string>{transferText::kWriteAckBad});
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        ASSERT_EQ(radio->memory()[i], i < 56 ? image[i] : before[i]) << i;
    EXPECT_TRUE(closed);
}

TEST_F(TransferTest, HangUpInTheMiddleFails) {
    RadioFaults hangup;
    hangup.hangUpAfterBlocks = 40;
    EXPECT_EQ(run(Direction::Read, hangup), TransferOutcome::Failed);
    EXPECT_EQ(user.reports, std::vector<std::string>{transferText::kReplyTooShort});
    EXPECT_EQ(image, defaultImage(PresetSet::Uhf));
    EXPECT_TRUE(closed);

    radio = std::make_shared<DemoRadio>(patterned());
    user.reports.clear();
    EXPECT_EQ(run(Direction::Write, hangup), TransferOutcome::Failed);
    EXPECT_EQ(user.reports, std::vector<std::string>{transferText::kWriteAckBad});
}

TEST_F(TransferTest, CancelIsSeenInEveryPhase) {
    struct Case {
        Direction direction;
        long cancelAtYield;
        std::size_t blocksDone;
    };
    const Case cases[] = {
        {Direction::Read, 0, 0},                 // first handshake yield
        {Direction::Read, 12 + 5, 0},            // during the confirmation
        {Direction::Read, 12 + 16 + 199 * 3, 4}, // block phase: within one block
        {Direction::Write, 12 + 16 + 201 * 10, 11},
    };
    for (const auto& c : cases) {
        radio = std::make_shared<DemoRadio>(patterned());
        image = defaultImage(PresetSet::Uhf);
        user.blocks.clear();
        user.yields = 0;
        user.cancelAtYield = c.cancelAtYield;
        EXPECT_EQ(run(c.direction, {}), TransferOutcome::Cancelled) << c.cancelAtYield;
        EXPECT_EQ(user.blocks.size(), c.blocksDone) << c.cancelAtYield;
        EXPECT_TRUE(user.reports.empty());
        EXPECT_TRUE(closed);
        if (c.direction == Direction::Read) {
            EXPECT_EQ(image, defaultImage(PresetSet::Uhf));
        }
    }
}

TEST(DemoRadioFaults, ParsesTheFaultList) {
    RadioFaults f;
    std::string error;
    ASSERT_TRUE(parseRadioFaults("stray=1,short=5:11:2,nak-read=3,nak-write=7,hangup=40,refuse-confirm", f, error));
    EXPECT_EQ(f.strayBytes, 1);
    EXPECT_EQ(f.shortReplyBlock, 5);
    EXPECT_EQ(f.shortReplyLength, 11);
    EXPECT_EQ(f.shortReplyTimes, 2);
    EXPECT_EQ(f.nakReadBlock, 3);
    EXPECT_EQ(f.nakWriteBlock, 7);
    EXPECT_EQ(f.hangUpAfterBlocks, 40);
    EXPECT_TRUE(f.refuseConfirmation);
    for (const char* bad : {"loud", "stray=", "stray=x", "short=5:12", "silent=1", "hangup=-1"}) {
        RadioFaults g;
        EXPECT_FALSE(parseRadioFaults(bad, g, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos);
    }
}

TEST(DemoRadioPortTiming, ReadsFollowTheLineRules) {
    VirtualClock clock;
    auto radio = std::make_shared<DemoRadio>();
    DemoRadioPort port(radio, clock, true);
    std::uint8_t buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), 0x6D);
    std::size_t got = 99;
    // Nothing sent yet: a 1-byte read times out after 550 ms with 0 bytes.
    ASSERT_TRUE(port.read(buffer, 1, got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(clock.now(), milliseconds(550));
    EXPECT_EQ(buffer[0], 0x6D);
    // The handshake's 0x06 arrives one byte-time after the last byte left.
    for (std::uint8_t b : wire::kHandshake)
        port.write(&b, 1);
    const auto start = clock.now();
    ASSERT_TRUE(port.read(buffer, 12, got));
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(buffer[0], wire::kAck);
    EXPECT_EQ(buffer[1], 0x6D);
    // 8 bytes out, 1 byte back, then the 50 ms gap ends the read.
    EXPECT_EQ(clock.now() - start, kByteTime9600 * 9 + milliseconds(50));
}

} // namespace
} // namespace varnok

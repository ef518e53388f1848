// The transfer engine against the demo radio and its faults, in virtual time.
#include "link/demo_radio.h"
#include "link/diagnosis.h"
#include "link/ports.h"
#include "link/transfer.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

using std::chrono::milliseconds;
using D = Direction;
using O = TransferOutcome;
namespace text = transferText;

RadioImage pattern(std::uint8_t flip) {
    RadioImage m;
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        m[i] = static_cast<std::uint8_t>((i * 13 + 1) ^ flip);
    return m;
}

/// A transfer between a document of pattern(0xFF) and a radio of pattern(0); it answers the user's part as scripted.
struct Bench : TransferHooks {
    TransferOutcome run(Direction direction, const std::string& faults) {
        RadioFaults parsed;
        std::string error;
        EXPECT_TRUE(parseRadioFaults(faults, parsed, error)) << error;
        radio->setFaults(parsed);
        total = direction == D::Read ? 128 : 123;
        return runTransfer(std::make_unique<Port>(*this), direction, image, *this, clock, &observed);
    }
    void setStatus(const std::string&) override {}
    void blockDone(int done, int of) override { EXPECT_EQ(std::make_pair(done, of), std::make_pair(++blocks, total)); }
    bool cancelRequested() override {
        if (yields == deafAt)
            radio->setFaults(RadioFaults{true});
        return yields++ >= cancelAt && cancelAt >= 0;
    }
    bool askRetry(const std::string& question) override {
        if (seen.size() > 8)
            throw std::runtime_error("asked again and again");
        report(question);
        return retries-- > 0;
    }
    /// Keeps the radio's text in `seen` and what explains it in `explained`.
    void report(const std::string& message) override {
        seen.push_back(message.substr(0, message.find('\n')));
        explained.push_back(message.substr(std::min(message.size(), seen.back().size() + 1)));
    }

    /// The demo port, unpaced, failing the first failAcks writes of 06; it hands over what went out as it closes.
    struct Port : DemoRadioPort {
        explicit Port(Bench& b) : DemoRadioPort(b.radio, b.clock, false), bench(b) {}
        ~Port() override { bench.sentBytes = static_cast<long>(sent().size()); }
        bool write(const std::uint8_t* data, std::size_t count) override {
            return !(count == 1 && data[0] == wire::kAck && bench.failAcks-- > 0) && DemoRadioPort::write(data, count);
        }
        Bench& bench;
    };

    VirtualClock clock;
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>(pattern(0));
    RadioImage image = pattern(0xFF);
    int retries = 0, failAcks = 0, blocks = 0, total = 0; ///< blocks done of the direction's total
    long cancelAt = -1, yields = 0, sentBytes = -1;       ///< cancel from yield step cancelAt on; sent as it closed
    long deafAt = -1;                                     ///< the radio falls silent at this yield step
    std::vector<std::string> seen, explained; ///< questions and reports: the radio's text, the line after it
    LinkObservation observed;
};

TEST(Transfer, OutcomesAndWhatTheUserSeesAndKeeps) {
    const std::string Q = text::kRetryQuestion, SSF = text::kSendStateFailed, TooShort = text::kReplyTooShort;
    struct Case {
        const char* faults;
        Direction direction;
        TransferOutcome outcome;
        int blocks; ///< blocks done
        std::vector<std::string> seen;
        long endMs = -1, wireBytes = -1; ///< where they tell: virtual time at the end, bytes sent
        int retries = 0, failAcks = 0;
        long cancelAt = -1;
    };
    const int confirmed = 12 + 1 + 550 + 16, handshake = 8 + 1 + 1; // yields, a silent read, yields; 02 PROGRAM 02 06
    const Case cases[] = {
        {"", D::Read, O::Complete, 128, {}, confirmed + 1 + 128 * (15 + 20), handshake + 128 * (4 + 1)},
        {"", D::Write, O::Complete, 123, {}, confirmed + 1 + 123 * (1 + 2), handshake + 123 * (4 + 8)},
        {"stray=1", D::Read, O::Complete, 128, {}},
        {"stray=2", D::Read, O::Abandoned, 0, {Q, Q}, 30 * (12 + 1), 30 * 8, 1}, // 06 third: 15 tries, Retry, 15 more
        {"silent", D::Read, O::Abandoned, 0, {Q}, 15 * (12 + 550 + 550 + 1)},
        {"refuse-confirm", D::Write, O::Abandoned, 0, {Q}, confirmed + 601},
        {"", D::Read, O::Abandoned, 0, {SSF}, confirmed, handshake - 1, 0, 2},
        {"", D::Read, O::Complete, 128, {SSF, SSF}, -1, -1, 2, 2},
        {"short=5:11:2", D::Read, O::Complete, 128, {}, -1, handshake + 130 * 4 + 128}, // data missing: asked again
        {"short=5:10:3", D::Read, O::Failed, 5, {TooShort}},
        {"short=5:9:1", D::Read, O::Failed, 5, {TooShort}},
        {"stray=1,nak-read=5", D::Read, O::Failed, 6, {text::kReadAckBad}},
        {"nak-write=7", D::Write, O::Failed, 7, {text::kWriteAckBad}},
        {"hangup=40", D::Read, O::Failed, 40, {TooShort}, -1, handshake + 40 * 5}, // nothing goes out on a dead line
        {"hangup=40", D::Write, O::Failed, 40, {text::kWriteAckBad}, -1, handshake + 40 * 12},
        {"", D::Read, O::Cancelled, 0, {}, -1, -1, 0, 0, 0},                    // at the first handshake yield
        {"", D::Read, O::Cancelled, 0, {}, -1, -1, 0, 0, 12 + 5},               // in the confirmation
        {"", D::Read, O::Cancelled, 4, {}, -1, -1, 0, 0, 12 + 16 + 199 * 3},    // within one block
        {"", D::Write, O::Cancelled, 11, {}, -1, -1, 0, 0, 12 + 16 + 201 * 10}, //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "faults \"" << c.faults << "\", cancel at " << c.cancelAt);
        Bench b;
        b.retries = c.retries;
        b.failAcks = c.failAcks;
        b.cancelAt = c.cancelAt;
        EXPECT_EQ(b.run(c.direction, c.faults), c.outcome);
        ASSERT_GE(b.sentBytes, 0) << "the port was left open";
        EXPECT_EQ(b.seen, c.seen);
        EXPECT_EQ(c.endMs < 0 ? b.clock.now() : milliseconds(c.endMs), b.clock.now());
        EXPECT_EQ(c.wireBytes < 0 ? b.sentBytes : c.wireBytes, b.sentBytes);
        EXPECT_EQ(b.blocks, c.blocks);
        // A read reaches the document only whole; a write leaves the blocks acknowledged, never offsets 984 on.
        EXPECT_EQ(b.image, pattern(c.direction == D::Read && c.outcome == O::Complete ? 0 : 0xFF));
        RadioImage radio = pattern(0);
        std::copy_n(b.image.bytes().begin(), c.direction == D::Write ? 8 * c.blocks : 0, radio.bytes().begin());
        EXPECT_EQ(b.radio->memory(), radio);
    }
}

TEST(Transfer, FailuresAreExplainedFromWhatTheLineShowed) {
    const std::string stopped = "处停止回应：请检查电池电量和写频线插头。", garbled = "处的回应不完整或有误：";
    const struct {
        const char* faults;
        Direction direction;
        long received; ///< bytes from the radio in the whole transfer
        std::string explained;
        int failAcks = 0;
        long deafAt = -1;
    } cases[] = {
        // clang-format off
        {"silent", D::Read, 0, "未收到对讲机的任何回应：请检查写频线是否插紧、对讲机是否已开机、所选端口是否正确。"},
        {"stray=2", D::Read, 30, "收到的回应不是本程序支持的对讲机应有的回应：请确认对讲机型号为 QX-100、QX-200 或 QX-300，且写频线适用于该型号。"},
        {"refuse-confirm", D::Write, 10, "收到的回应不是本程序支持的对讲机应有的回应："},
        {"", D::Read, 9, "对讲机应答握手后停止回应：请检查电池电量和写频线插头。", 0, 12},
        {"", D::Read, 9, "串口无法读写：请检查 USB 写频线是否仍插在电脑上。", 1},
        {"short=0:0", D::Read, 10, "对讲机在第 1 块（偏移 0x000）" + stopped},
        {"short=33:11", D::Read, 10 + 33 * 13 + 33, "对讲机在第 34 块（偏移 0x108，信道 16 的数据）" + garbled},
        {"nak-read=34", D::Read, 10 + 35 * 13, "对讲机在第 35 块（偏移 0x110）" + garbled},
        {"nak-write=7", D::Write, 18, "对讲机在第 8 块（偏移 0x038，信道 3 的数据）" + garbled + "请检查写频线插头是否松动。"},
        {"hangup=2", D::Write, 12, "传输到第 3 块（偏移 0x010，信道 1 的数据）时串口无法再读写：请检查 USB 写频线是否仍插在电脑上。"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.faults << ", deaf at " << c.deafAt << ", failed 06 " << c.failAcks);
        Bench b;
        b.failAcks = c.failAcks;
        b.deafAt = c.deafAt;
        EXPECT_NE(b.run(c.direction, c.faults), O::Complete);
        ASSERT_FALSE(b.explained.empty());
        for (const std::string& line : b.explained)
            EXPECT_EQ(line.substr(0, c.explained.size()), c.explained);
        EXPECT_EQ(std::make_pair(b.observed.received, diagnoseLink(b.observed)),
                  std::make_pair(c.received, b.explained.back()));
    }
}

TEST(DemoPort, AnswersAtNineThousandSixHundredBaudWithinTheLineTimeOuts) {
    VirtualClock clock;
    const OpenedPort demo = openPort(kDemoPortName, clock);
    demo.port->write(wire::kHandshake, sizeof wire::kHandshake);
    std::uint8_t reply[12] = {0, 0x6D};
    std::size_t got = 0;
    EXPECT_TRUE(demo.port->read(reply, 12, got) && got == 1 && reply[0] == 0x06 && reply[1] == 0x6D);
    EXPECT_EQ(clock.now(), milliseconds(50) + kByteTime9600 * 9); // 8 bytes out and 1 back, then the 50 ms gap
}

/// A port that does not open, said in either language: the port as the
/// user named it and the device it stands for, the ports there are, the
/// group to join (named twice), the program in the way when known.
TEST(Transfer, PortsThatDoNotOpenAreExplainedInEitherLanguage) {
    namespace words = varnok::text;
    const std::vector<PortInfo> present{{"/dev/ttyS0", ""}, {"demo", ""}};
    const struct {
        words::Language language;
        std::string port;
        OpenedPort opened;
        std::string said;
    } rows[] = {
        // clang-format off
        {words::Language::Chinese, "/dev/ttyUSB7", {nullptr, "", OpenFailure::Missing},
         "串口 /dev/ttyUSB7 不存在。现有端口：/dev/ttyS0、demo"},
        {words::Language::English, "/dev/ttyUSB7", {nullptr, "", OpenFailure::Missing},
         "The serial port /dev/ttyUSB7 does not exist. Ports present: /dev/ttyS0, demo"},
        {words::Language::English, "/dev/ttyUSB0", {nullptr, "", OpenFailure::NoPermission, "uucp"},
         "No permission to open /dev/ttyUSB0: add your user to the group uucp (sudo usermod -aG uucp $USER), then log "
         "in again."},
        {words::Language::Chinese, "/dev/ttyUSB0", {nullptr, "", OpenFailure::Busy},
         "串口 /dev/ttyUSB0 正被其他程序占用：请关闭该程序后重试。"},
        {words::Language::English, "/dev/ttyUSB0", {nullptr, "", OpenFailure::Busy, "", "minicom"},
         "The serial port /dev/ttyUSB0 is in use by another program (minicom): close it and try again."},
#ifndef _WIN32
        {words::Language::Chinese, "COM1", {nullptr, "", OpenFailure::Busy},
         "串口 COM1（/dev/ttyS0） 正被其他程序占用：请关闭该程序后重试。"},
#endif
        // clang-format on
    };
    for (const auto& row : rows) {
        words::setLanguage(row.language);
        EXPECT_EQ(diagnoseOpen(row.port, row.opened, present), row.said);
    }
    words::setLanguage(words::Language::Chinese);
}

} // namespace
} // namespace varnok

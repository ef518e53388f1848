#include "app/transfer_job.h"

#include "app_fakes.h"

namespace varnok::app {
namespace {

using EventKind = TransferEvent::Kind;

struct JobBench {
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>();
    VirtualClock clock;
    Gate gate;
    std::atomic<int> wakes{0};
    bool closed = false;
    std::unique_ptr<TransferJob> job;

    explicit JobBench(Direction direction, RadioFaults faults = {}, int gateBlock = -1) {
        radio->setFaults(faults);
        gate.block = gateBlock;
        job = std::make_unique<TransferJob>(std::make_unique<GatedPort>(radio, clock, gate, &closed), direction,
                                            RadioImage(), clock, [this] { ++wakes; });
    }
    /// The events up to `last`, answering every question before it Cancel.
    std::vector<TransferEvent> drain(EventKind last = EventKind::Finished) {
        std::vector<TransferEvent> events;
        for (;;) {
            if (auto event = job->next()) {
                events.push_back(*event);
                if (event->kind == last)
                    return events;
                if (event->kind == EventKind::Question || event->kind == EventKind::Report)
                    job->answer(false);
            }
        }
    }
};

TEST(TransferJobTest, ACompleteReadQueuesStatusBlocksInOrderThenTheImage) {
    JobBench b(Direction::Read);
    const auto events = b.drain();
    ASSERT_EQ(events.size(), 2u + wire::kReadBlocks + 1);
    EXPECT_EQ(events[0].text + events[1].text,
              std::string(text::tr(transferText::kDetecting)) + text::tr(transferText::kWaiting));
    for (int i = 1; i <= wire::kReadBlocks; ++i)
        EXPECT_EQ(std::make_tuple(events[i + 1].kind, events[i + 1].done, events[i + 1].total),
                  std::make_tuple(EventKind::BlockDone, i, wire::kReadBlocks));
    EXPECT_EQ(std::make_tuple(events.back().outcome, events.back().blocksStarted, b.job->finished()),
              std::make_tuple(TransferOutcome::Complete, true, true));
    EXPECT_EQ(events.back().image, b.radio->memory());
    b.job.reset();
    EXPECT_EQ(b.wakes, static_cast<int>(events.size()));
}

TEST(TransferJobTest, DestroyingAJobWhoseQuestionWaitsEndsTheWorkerPromptly) {
    JobBench b(Direction::Read, RadioFaults{true});
    EXPECT_EQ(
        b.drain(EventKind::Question).back().text.rfind(text::tr(transferText::kRetryQuestion) + std::string("\n"), 0),
        0u);
    EXPECT_FALSE(b.job->finished());
    const auto before = std::chrono::steady_clock::now();
    b.job.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    EXPECT_TRUE(b.closed);
}

} // namespace
} // namespace varnok::app

#include "app/transfer_job.h"

#include "app_fakes.h"

namespace varnok::app {
namespace {

struct JobBench {
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>();
    VirtualClock clock;
    Gate gate;
    Waker waker;
    bool closed = false;

    std::unique_ptr<TransferJob> start(Direction direction) {
        return std::make_unique<TransferJob>(std::make_unique<GatedPort>(radio, clock, gate, &closed), direction,
                                             RadioImage(), clock, waker.callback());
    }
    /// Every event up to `last` (Finished unless said), answering Cancel.
    std::vector<TransferEvent> drain(TransferJob& job, TransferEvent::Kind last = TransferEvent::Kind::Finished) {
        std::vector<TransferEvent> events;
        while (waker.wait()) {
            while (auto event = job.next()) {
                events.push_back(*event);
                if (event->kind == last)
                    return events;
                if (event->kind == TransferEvent::Kind::Question || event->kind == TransferEvent::Kind::Report)
                    job.answer(false);
            }
        }
        ADD_FAILURE() << "no end after " << events.size() << " events";
        return events;
    }
};

TEST(TransferJobTest, ACompleteReadQueuesStatusBlocksInOrderThenTheImage) {
    JobBench b;
    auto job = b.start(Direction::Read);
    const auto events = b.drain(*job);
    ASSERT_EQ(events.size(), 2u + wire::kReadBlocks + 1);
    EXPECT_EQ(events[0].text, transferText::kDetecting);
    EXPECT_EQ(events[1].text, transferText::kWaiting);
    for (int i = 0; i < wire::kReadBlocks; ++i) {
        const TransferEvent& e = events[static_cast<std::size_t>(2 + i)];
        ASSERT_EQ(e.kind, TransferEvent::Kind::BlockDone);
        EXPECT_EQ(std::make_pair(e.done, e.total), std::make_pair(i + 1, wire::kReadBlocks));
    }
    EXPECT_EQ(events.back().outcome, TransferOutcome::Complete);
    EXPECT_EQ(events.back().image, b.radio->memory());
    EXPECT_TRUE(events.back().blocksStarted);
    EXPECT_TRUE(job->finished());
    EXPECT_FALSE(job->next());
}

TEST(TransferJobTest, ACancelIsSeenWithinOneBlock) {
    JobBench b;
    b.gate.block = 5;
    auto job = b.start(Direction::Write);
    b.gate.at([&] { job->cancel(); });
    const auto events = b.drain(*job);
    const auto blocks = std::count_if(events.begin(), events.end(),
                                      [](const TransferEvent& e) { return e.kind == TransferEvent::Kind::BlockDone; });
    EXPECT_LE(blocks, 6);
    EXPECT_EQ(events.back().outcome, TransferOutcome::Cancelled);
    EXPECT_TRUE(events.back().blocksStarted);
}

TEST(TransferJobTest, DestroyingAJobWhoseQuestionWaitsEndsTheWorkerPromptly) {
    JobBench b;
    b.radio->setFaults(RadioFaults{true});
    auto job = b.start(Direction::Read);
    EXPECT_EQ(b.drain(*job, TransferEvent::Kind::Question).back().text, transferText::kRetryQuestion);
    const auto before = std::chrono::steady_clock::now();
    job.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    EXPECT_TRUE(b.closed);
}

} // namespace
} // namespace varnok::app

// One transfer with the radio on a worker thread, so that no window ever
// waits for the line. The worker owns the port and a copy of the image and
// never touches anything else; what it has to show or ask goes into one
// queue, and a wake-up call tells the face to come and take it on its own
// thread. The image a read brings is handed over only at the end, so a
// document can change only when the read is complete.
#pragma once

#include "image/image.h"
#include "link/clock.h"
#include "link/serial_port.h"
#include "link/transfer.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace varnok::app {

/// Something the worker has to show or ask.
struct TransferEvent {
    enum class Kind {
        Status,    ///< `text` goes into the status line
        BlockDone, ///< block `done` of `total` was done
        Question,  ///< the retry question `text`; answer() with the choice
        Report,    ///< a failure message `text` with OK; answer() once shown
        Finished,  ///< the end: `outcome`, and for a complete read `image`
    };
    Kind kind = Kind::Status;
    std::string text;
    int done = 0;
    int total = 0;
    TransferOutcome outcome = TransferOutcome::Failed;
    RadioImage image;
    /// Finished: the first block had gone out (a write that did not complete
    /// has left the radio partly written).
    bool blocksStarted = false;
};

class TransferJob {
public:
    /// Called from the worker after each queued event; must be safe to call
    /// from any thread and only arrange for next() to be called soon.
    using Wake = std::function<void()>;

    /// Starts the worker at once over `port`, which it closes at the end.
    /// `image` is what a write sends; a read starts from a copy of it.
    TransferJob(std::unique_ptr<SerialPort> port, Direction direction, const RadioImage& image, Clock& clock,
                Wake wake);
    /// Abandons a transfer still running (the worker gives up at its next
    /// step, a waiting question counts as Cancel) and waits for the worker.
    ~TransferJob();
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    Direction direction() const { return m_direction; }
    /// The cancel request of the progress window: seen within one block.
    void cancel() { m_cancel = true; }
    /// The next event, oldest first; nullopt when none is waiting.
    std::optional<TransferEvent> next();
    /// Answers the Question or Report the worker waits on: true is Retry.
    void answer(bool retry);
    /// True once the Finished event was queued.
    bool finished() const { return m_finished; }

private:
    class Hooks;
    void push(TransferEvent event);
    /// Queues a question or report and waits for answer(); false when the
    /// job is abandoned meanwhile.
    bool ask(TransferEvent event);

    Direction m_direction;
    Wake m_wake;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_abandon{false};
    std::atomic<bool> m_finished{false};
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::deque<TransferEvent> m_events;
    std::optional<bool> m_answer;
    std::thread m_worker;
};

} // namespace varnok::app

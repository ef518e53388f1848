#include "app/transfer_job.h"

namespace varnok::app {

/// The transfer's user interface as the worker sees it: everything goes
/// into the queue, and a question waits there for its answer.
class TransferJob::Hooks : public TransferHooks {
public:
    explicit Hooks(TransferJob& job) : m_job(job) {}

    void setStatus(const std::string& text) override {
        TransferEvent event;
        event.kind = TransferEvent::Kind::Status;
        event.text = text;
        m_job.push(std::move(event));
    }
    void blockDone(int done, int total) override {
        TransferEvent event;
        event.kind = TransferEvent::Kind::BlockDone;
        event.done = done;
        event.total = total;
        m_job.push(std::move(event));
    }
    bool cancelRequested() override { return m_job.m_cancel || m_job.m_abandon; }
    bool askRetry(const std::string& text) override {
        TransferEvent event;
        event.kind = TransferEvent::Kind::Question;
        event.text = text;
        return m_job.ask(std::move(event));
    }
    void report(const std::string& text) override {
        TransferEvent event;
        event.kind = TransferEvent::Kind::Report;
        event.text = text;
        m_job.ask(std::move(event));
    }
    void blocksStarting() override { m_blocksStarted = true; }

    bool blocksStarted() const { return m_blocksStarted; }

private:
    TransferJob& m_job;
    bool m_blocksStarted = false;
};

TransferJob::TransferJob(std::unique_ptr<SerialPort> port, Direction direction, const RadioImage& image, Clock& clock,
                         Wake wake)
    : m_direction(direction), m_wake(std::move(wake)) {
    m_worker = std::thread([this, line = std::move(port), copy = image, &clock]() mutable {
        Hooks hooks(*this);
        TransferEvent end;
        end.kind = TransferEvent::Kind::Finished;
        end.outcome = runTransfer(std::move(line), m_direction, copy, hooks, clock);
        end.image = copy;
        end.blocksStarted = hooks.blocksStarted();
        push(std::move(end));
    });
}

TransferJob::~TransferJob() {
    {
        // Under the lock, so a worker about to wait for an answer sees it.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_abandon = true;
    }
    m_answered.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

std::optional<TransferEvent> TransferJob::next() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_events.empty())
        return std::nullopt;
    TransferEvent event = std::move(m_events.front());
    m_events.pop_front();
    return event;
}

void TransferJob::answer(bool retry) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answer = retry;
    }
    m_answered.notify_all();
}

void TransferJob::push(TransferEvent event) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (event.kind == TransferEvent::Kind::Finished)
            m_finished = true;
        m_events.push_back(std::move(event));
    }
    if (m_wake)
        m_wake();
}

bool TransferJob::ask(TransferEvent event) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answer.reset();
    }
    push(std::move(event));
    std::unique_lock<std::mutex> lock(m_mutex);
    m_answered.wait(lock, [this] { return m_answer.has_value() || m_abandon; });
    // Without an answer the wait ended because the job was abandoned.
    const bool retry = !m_abandon && *m_answer;
    m_answer.reset();
    return retry;
}

} // namespace varnok::app

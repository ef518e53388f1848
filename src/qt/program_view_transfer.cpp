// Read and Write from the window, and the port choice.
//
// The protocol runs on a worker thread so that the window never waits for
// the line. The worker owns the port and a copy of the image; it never
// touches a widget, the document or the view. What it has to show or ask is
// posted to this thread, and for a question it waits for the answer. The
// document changes only here, after a complete read.
#include "qt/program_view.h"

#include "app/strings.h"
#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/progress_dlg.h"
#include "qt/flex_grid.h"

#include <QInputDialog>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace varnok;
namespace strings = varnok::app::strings;

/// The worker of one transfer. Destroying it waits for the worker, which a
/// view going away makes give up at its next step.
struct CProgramView::TransferJob {
    std::thread worker;
    std::atomic<bool> abandon{false};
    /// Set once the first block goes out; a write that ends early after it
    /// has left the radio partly programmed.
    std::atomic<bool> blocksStarted{false};

    ~TransferJob() {
        abandon = true;
        if (worker.joinable())
            worker.join();
    }
};

namespace {

/// The transfer's user interface as seen from the worker thread.
class WindowHooks : public TransferHooks {
public:
    WindowHooks(CProgramApp& app, CProgressDlg& dlg, bool write, const std::atomic<bool>& abandon,
                std::atomic<bool>& blocksStarted)
        : m_app(app), m_dlg(dlg), m_write(write), m_abandon(abandon), m_blocksStarted(blocksStarted) {}

    void setStatus(const std::string& text) override {
        post([&dlg = m_dlg, text = QString::fromStdString(text)] { dlg.SetStatusText(text); });
    }
    void blockDone(int, int) override {
        post([&dlg = m_dlg, write = m_write] { dlg.ProgressStep(write); });
    }
    bool cancelRequested() override { return m_dlg.m_bCancel || m_abandon; }
    bool askRetry(const std::string& text) override {
        // Only Cancel abandons; the prompts already count Escape and the
        // close box as Cancel.
        return ask(QMessageBox::NoIcon, text, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry) !=
               QMessageBox::Cancel;
    }
    void report(const std::string& text) override { ask(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok); }
    void blocksStarting() override { m_blocksStarted = true; }

private:
    template <class Call> void post(Call call) {
        QMetaObject::invokeMethod(&m_dlg, std::move(call), Qt::QueuedConnection);
    }

    /// Shows a message box on the window's thread and waits for the answer.
    /// A view that goes away meanwhile drops the posted call, so the wait
    /// also ends when the transfer is abandoned.
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const std::string& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preferred) {
        auto answer = std::make_shared<std::promise<QMessageBox::StandardButton>>();
        std::future<QMessageBox::StandardButton> answered = answer->get_future();
        post([&app = m_app, answer, icon, text = QString::fromStdString(text), buttons, preferred] {
            answer->set_value(app.Message(icon, text, buttons, preferred));
        });
        while (answered.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
            if (m_abandon)
                return QMessageBox::Cancel;
        return answered.get();
    }

    CProgramApp& m_app;
    CProgressDlg& m_dlg;
    bool m_write;
    const std::atomic<bool>& m_abandon;
    std::atomic<bool>& m_blocksStarted;
};

} // namespace

void CProgramView::OnRead() { ShowProgressDlg(false); }

void CProgramView::OnWrite() { ShowProgressDlg(true); }

void CProgramView::ShowProgressDlg(bool write) {
    CommitEdit();
    if (!m_pProgressDlg)
        m_pProgressDlg = new CProgressDlg(this);
    CProgressDlg& dlg = *m_pProgressDlg;
    // The direction of a running transfer was fixed at Start; the caption
    // keeps saying which it is.
    if (dlg.GetState() != CProgressDlg::State::Running) {
        m_bWrite = write;
        dlg.SetCaption(QString::fromUtf8(write ? strings::kWriteCaption : strings::kReadCaption));
    }
    if (!dlg.IsWindow()) {
        dlg.Create();
        QRect frame = dlg.frameGeometry();
        frame.moveCenter(m_grid->mapToGlobal(m_grid->rect().center()));
        dlg.move(frame.topLeft());
    }
    dlg.raise();
    dlg.activateWindow();
}

void CProgramView::OnTransfer() {
    if (m_pTransfer || !m_pDocument || !m_pProgressDlg || m_pProgressDlg->GetState() != CProgressDlg::State::Running)
        return;
    const bool write = m_bWrite;
    // Every write encodes the form, whether or not the port then opens.
    if (write)
        FormToImage();

    Clock& clock = m_pTransferClock ? *m_pTransferClock : systemClock();
    const std::string port = m_strPort.toStdString();
    OpenedPort opened = m_portOpener ? m_portOpener(port, clock) : openPort(port, clock);
    if (!opened.port) {
        QString text = QString::fromUtf8(transferText::kCannotOpenPort);
        if (!opened.error.empty())
            text += QStringLiteral("\n\n") + QString::fromStdString(opened.error);
        m_app.Message(QMessageBox::Warning, text);
        m_pProgressDlg->DestroyWindow();
        emit TransferFinished(static_cast<int>(TransferOutcome::Failed));
        return;
    }

    m_bTransferWrite = write;
    m_pTransfer = std::make_shared<TransferJob>();
    TransferJob& job = *m_pTransfer;
    m_pTransfer->worker = std::thread([this, &app = m_app, &dlg = *m_pProgressDlg, &clock, &job, write,
                                       line = std::move(opened.port), image = m_pDocument->m_image]() mutable {
        WindowHooks hooks(app, dlg, write, job.abandon, job.blocksStarted);
        const TransferOutcome outcome =
            runTransfer(std::move(line), write ? Direction::Write : Direction::Read, image, hooks, clock);
        const bool blocksStarted = job.blocksStarted;
        QMetaObject::invokeMethod(
            this, [this, outcome, image, blocksStarted] { FinishTransfer(outcome, image, blocksStarted); },
            Qt::QueuedConnection);
    });
}

void CProgramView::FinishTransfer(TransferOutcome outcome, const RadioImage& image, bool blocksStarted) {
    m_pTransfer.reset(); // the worker has posted its last call and is ending
    const bool completeRead = outcome == TransferOutcome::Complete && !m_bTransferWrite;
    if (outcome == TransferOutcome::Complete)
        m_pProgressDlg->SetProgressPos(CProgressDlg::kProgressMax);
    if (completeRead)
        m_pDocument->m_image = image;
    m_pProgressDlg->DestroyWindow();
    if (completeRead)
        ImageToForm();
    // A cancel says nothing and a failure names only the block that failed;
    // neither tells that the radio now holds part of the new data.
    if (m_bTransferWrite && blocksStarted && outcome != TransferOutcome::Complete)
        m_app.Message(QMessageBox::Warning, QString::fromUtf8(transferText::kWriteIncomplete));
    emit TransferFinished(static_cast<int>(outcome));
}

bool CProgramView::IsTransferring() const {
    return m_pTransfer || (m_pProgressDlg && m_pProgressDlg->GetState() == CProgressDlg::State::Running);
}

void CProgramView::SelectPort(const QString& name) {
    if (!name.isEmpty())
        m_strPort = name;
}

void CProgramView::OnPortOther() {
    QString answer;
    if (m_askPortName) {
        answer = m_askPortName(window(), m_strPort);
    } else {
        QInputDialog dialog(window());
        dialog.setWindowTitle(QString::fromUtf8(strings::kAppTitle));
        dialog.setLabelText(QString::fromUtf8(strings::kOtherPortQuestion));
        dialog.setTextValue(m_strPort);
        dialog.setOkButtonText(QString::fromUtf8(strings::kButtonOk));
        dialog.setCancelButtonText(QString::fromUtf8(strings::kButtonCancel));
        if (dialog.exec() == QDialog::Accepted)
            answer = dialog.textValue();
    }
    SelectPort(answer.trimmed());
}

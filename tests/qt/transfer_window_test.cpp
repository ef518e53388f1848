// Read and Write from the window against the demo radio in virtual time:
// the progress dialog, every outcome, the cancel paths, the guard that keeps
// the document while a transfer runs, and the port menu.
#include "app_harness.h"

#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/progress_dlg.h"
#include "qt/dialog_units.h"
#include "qt/flex_grid.h"
#include "qt/program_view.h"
#include "link/demo_radio.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <condition_variable>
#include <mutex>

using namespace apptest;
using namespace varnok;

namespace {

const QString kWriteIncomplete = QStringLiteral("写入未完成，对讲机中的数据可能不完整，请重新写入。");

QStringList texts(const QList<ScriptedPrompts::Asked>& asked) {
    QStringList all;
    for (const auto& one : asked)
        all << one.text;
    return all;
}

/// Holds the worker before the request of one block until released.
class Gate {
public:
    explicit Gate(int block) : m_block(block) {}
    void atBlock(int block) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (block != m_block)
            return;
        m_parked = true;
        m_changed.wait(lock, [this] { return m_open; });
    }
    bool parked() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_parked;
    }
    void release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_block;
    bool m_parked = false;
    bool m_open = false;
};

/// The demo radio's port, noting every byte sent and stopping at the gate.
class TracedPort : public SerialPort {
public:
    TracedPort(std::unique_ptr<SerialPort> inner, std::shared_ptr<std::vector<std::uint8_t>> wire,
               std::shared_ptr<Gate> gate)
        : m_inner(std::move(inner)), m_wire(std::move(wire)), m_gate(std::move(gate)) {}
    bool purge(PurgeKind kind) override { return m_inner->purge(kind); }
    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override {
        return m_inner->read(buffer, count, received);
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        const bool request = count == 4 && (data[0] == wire::kRead || data[0] == wire::kWrite);
        if (request && m_gate)
            m_gate->atBlock(m_blocks++);
        m_wire->insert(m_wire->end(), data, data + count);
        return m_inner->write(data, count);
    }

private:
    std::unique_ptr<SerialPort> m_inner;
    std::shared_ptr<std::vector<std::uint8_t>> m_wire;
    std::shared_ptr<Gate> m_gate;
    int m_blocks = 0;
};

int occurrences(const std::vector<std::uint8_t>& wire, std::vector<std::uint8_t> pattern) {
    int n = 0;
    for (auto it = wire.begin(); (it = std::search(it, wire.end(), pattern.begin(), pattern.end())) != wire.end(); ++it)
        ++n;
    return n;
}

RadioImage memoryWithTail(std::uint8_t tail) {
    RadioImage memory = DemoRadio::sampleMemory();
    for (std::size_t at = layout::kWriteEnd; at < layout::kImageSize; ++at)
        memory[at] = static_cast<std::uint8_t>(tail + at);
    return memory;
}

/// A program run whose transfers reach a demo radio in virtual time.
struct Session {
    Run run;
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>(memoryWithTail(0x40));
    VirtualClock clock;
    QStringList opened;
    std::shared_ptr<std::vector<std::uint8_t>> wire = std::make_shared<std::vector<std::uint8_t>>();
    std::shared_ptr<Gate> gate;

    explicit Session(const QString& file = QString()) : run(file) {
        view().m_pTransferClock = &clock;
        view().m_portOpener = [this](const std::string& name, Clock& c) {
            opened << QString::fromStdString(name);
            auto port = std::make_unique<DemoRadioPort>(radio, c, false);
            return OpenedPort{std::make_unique<TracedPort>(std::move(port), wire, gate), {}};
        };
    }
    CProgramView& view() const { return *run.app->GetView(); }
    CMainFrame& frame() const { return *run.app->GetMainFrame(); }
    CProgressDlg& dlg() const { return *view().GetProgressDlg(); }
    void fault(const QString& faults) {
        RadioFaults parsed;
        std::string error;
        QVERIFY2(parseRadioFaults(faults.toStdString(), parsed, error), error.c_str());
        radio->setFaults(parsed);
    }
    /// Shows the dialog and presses Start.
    void start(bool write) {
        write ? view().OnWrite() : view().OnRead();
        QTest::mouseClick(dlg().StartButton(), Qt::LeftButton);
    }
    /// Waits for the end of the transfer; the outcome, -1 when none came.
    int finish(QSignalSpy& spy) {
        if (spy.isEmpty() && !spy.wait(10000))
            return -1;
        return spy.takeFirst().at(0).toInt();
    }
    int transfer(bool write) {
        QSignalSpy spy(&view(), &CProgramView::TransferFinished);
        start(write);
        return finish(spy);
    }
};

QList<int> valuesOf(const QSignalSpy& spy) {
    QList<int> values;
    for (const QList<QVariant>& call : spy)
        values << call.at(0).toInt();
    return values;
}

QList<int> range(int first, int last) {
    QList<int> out;
    for (int i = first; i <= last; ++i)
        out << i;
    return out;
}

void cancelBy(CProgressDlg& dlg, const QString& how) {
    if (how == QLatin1String("button"))
        QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        dlg.close();
}

constexpr int kComplete = static_cast<int>(TransferOutcome::Complete);
constexpr int kFailed = static_cast<int>(TransferOutcome::Failed);
constexpr int kCancelled = static_cast<int>(TransferOutcome::Cancelled);
constexpr int kAbandoned = static_cast<int>(TransferOutcome::Abandoned);

} // namespace

class TransferWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString configuredFile() {
        return writeFixture(m_dir.filePath(QStringLiteral("configured.sin")), configuredBytes());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        isolateSettings(m_dir.filePath(QStringLiteral("settings")));
    }
    void init() { clearSettings(); }

    void theDialogFollowsItsTemplateAndTheProgressRule() {
        Session s;
        s.view().OnRead();
        CProgressDlg& dlg = s.dlg();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("数据读取进度"));
        QVERIFY(!dlg.isModal());
        QCOMPARE(dlg.StartButton()->text(), QStringLiteral("开始"));
        QVERIFY(dlg.StartButton()->isDefault() && dlg.StartButton()->isEnabled());
        QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("取消"));
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("label1004"))->text(), QStringLiteral("进度值:"));
        QCOMPARE(dlg.StatusLine()->text(), QStringLiteral("等待中......"));
        QCOMPARE(dlg.ProgressBar()->minimum(), 0);
        QCOMPARE(dlg.ProgressBar()->maximum(), 123);
        QCOMPARE(dlg.ProgressBar()->value(), 0);

        // 宋体 10 pt, or a font that draws Chinese where it is missing; the
        // layout is the template's dialog units in that font.
        QCOMPARE(dlg.font().pointSize(), 10);
        QVERIFY(
            QFontDatabase::writingSystems(QFontInfo(dlg.font()).family()).contains(QFontDatabase::SimplifiedChinese));
        const DialogUnits du(QFontMetrics(dlg.font(), &dlg));
        QCOMPARE(dlg.size(), QSize(du.x(262), du.y(70)));
        QCOMPARE(dlg.StartButton()->geometry(), du.rect(7, 7, 40, 15));
        QCOMPARE(dlg.CancelButton()->geometry(), du.rect(205, 48, 40, 15));
        QCOMPARE(dlg.ProgressBar()->geometry(), du.rect(7, 28, 239, 11));
        QCOMPARE(dlg.StatusLine()->geometry(), du.rect(43, 46, 158, 10));
        const QPoint grid = s.view().Grid()->mapToGlobal(s.view().Grid()->rect().center());
        QVERIFY((dlg.frameGeometry().center() - grid).manhattanLength() <= 2);

        // A read steps to 123 and stays; a write stops at 122.
        for (bool write : {false, true}) {
            dlg.SetProgressPos(0);
            for (int block = 0; block < 128; ++block)
                dlg.ProgressStep(write);
            QCOMPARE(dlg.GetProgressPos(), write ? 122 : 123);
            QCOMPARE(dlg.StatusLine()->text(), QString::number(write ? 122 : 123));
        }
    }

    void aReadFillsTheFormWithTheRadiosData() {
        // What opening the same bytes from a file shows, model change included.
        FormState expected;
        Bytes expectedImage;
        {
            Run fromFile(configuredFile());
            expected = fromFile.form();
            expectedImage = fromFile.image();
        }
        Session s;
        s.radio = std::make_shared<DemoRadio>(RadioImage(configuredBytes()));
        s.view().OnRead();
        QSignalSpy steps(s.dlg().ProgressBar(), &QProgressBar::valueChanged);
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QCOMPARE(s.finish(done), kComplete);

        QCOMPARE(s.opened, QStringList{"COM1"});
        for (int address = 0; address < 1024; address += 8)
            QCOMPARE(occurrences(*s.wire, {wire::kRead, std::uint8_t(address >> 8), std::uint8_t(address), 8}), 1);
        QCOMPARE(s.run.image(), expectedImage);
        QVERIFY(s.run.form() == expected);
        QCOMPARE(s.run.grid().GetTextMatrix(1, 1), QStringLiteral("460.12500"));
        QCOMPARE(valuesOf(steps), range(1, 123));
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("123"));
        QVERIFY(!s.dlg().isVisible() && !s.view().IsTransferring());
        QVERIFY(s.run.prompts.asked().isEmpty());

        // Every end leaves room for a fresh dialog.
        s.view().OnWrite();
        QCOMPARE(s.dlg().ProgressBar()->value(), 0);
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("等待中......"));
        QVERIFY(s.dlg().StartButton()->isEnabled());
    }

    void aWriteChangesTheRadioExactlyAtOffsets0To983() {
        Session s(configuredFile());
        chooseByKeyboard(s.run.combo(Setting::Squelch), 7); // encoded only when the write starts
        const RadioImage before = s.radio->memory();
        s.view().OnWrite();
        QSignalSpy steps(s.dlg().ProgressBar(), &QProgressBar::valueChanged);
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QCOMPARE(s.finish(done), kComplete);

        const Bytes sent = s.run.image();
        QCOMPARE(sent[layout::kSquelch], std::uint8_t(7));
        for (std::size_t at = 0; at < layout::kImageSize; ++at)
            QCOMPARE(s.radio->memory()[at], at < layout::kWriteEnd ? sent[at] : before[at]);
        QCOMPARE(valuesOf(steps), range(1, 123)); // 1 to 122, then the end sets 123
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("122"));
        QVERIFY(s.run.prompts.asked().isEmpty());

        // What was written comes back.
        const FormState written = s.run.form();
        QCOMPARE(s.transfer(false), kComplete);
        QVERIFY(s.run.form() == written);
    }

    void cancelBeforeStartOpensNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void cancelBeforeStartOpensNothing() {
        QFETCH(QString, how);
        Session s(configuredFile());
        const Bytes before = s.run.image();
        s.view().OnWrite();
        QVERIFY(QTest::qWaitForWindowExposed(&s.dlg()));
        cancelBy(s.dlg(), how);
        QVERIFY(!s.dlg().isVisible());
        QVERIFY(!s.view().GetProgressDlg()->IsWindow());
        QTest::qWait(20);
        QVERIFY(s.opened.isEmpty());
        QCOMPARE(s.run.image(), before);
        QVERIFY(s.run.prompts.asked().isEmpty());
    }

    void cancelAfterStartStillOpensThePortAndEndsQuietly() {
        Session s(configuredFile());
        chooseByKeyboard(s.run.combo(Setting::Squelch), 2);
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        s.view().OnWrite();
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QTest::mouseClick(s.dlg().CancelButton(), Qt::LeftButton); // before the posted start arrives
        QCOMPARE(s.finish(done), kCancelled);
        QCOMPARE(s.opened.size(), 1);
        QCOMPARE(s.run.image()[layout::kSquelch], std::uint8_t(2));
        QCOMPARE(occurrences(*s.wire, {wire::kWrite}), 0);
        QCOMPARE(s.radio->memory(), memoryWithTail(0x40));
        QVERIFY(s.run.prompts.asked().isEmpty() && !s.dlg().isVisible());
    }

    void cancelDuringTheBlocksKeepsDocumentAndForm_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("how");
        QTest::newRow("read, Cancel button") << false << "button";
        QTest::newRow("read, Escape") << false << "escape";
        QTest::newRow("write, close box") << true << "close";
    }
    void cancelDuringTheBlocksKeepsDocumentAndForm() {
        QFETCH(bool, write);
        QFETCH(QString, how);
        Session s(configuredFile());
        s.gate = std::make_shared<Gate>(40);
        auto release = qScopeGuard([&] { s.gate->release(); });
        const FormState form = s.run.form();
        const Bytes before = s.run.image();
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        s.start(write);
        QTRY_VERIFY(s.gate->parked());
        QTRY_COMPARE(s.dlg().StatusLine()->text(), QStringLiteral("40"));
        QCOMPARE(s.dlg().ProgressBar()->value(), 40);

        cancelBy(s.dlg(), how);
        QVERIFY(s.dlg().isVisible() && s.dlg().m_bCancel); // the transfer closes it
        if (write)
            s.run.prompts.answer(QMessageBox::Ok);
        s.gate->release();
        QCOMPARE(s.finish(done), kCancelled);
        QVERIFY(!s.dlg().isVisible());
        QVERIFY(s.run.form() == form);
        // A read says nothing; a write says the radio holds part of it.
        QCOMPARE(texts(s.run.prompts.asked()), write ? QStringList{kWriteIncomplete} : QStringList());
        // Honoured within one block: the parked block 40 went, no other did.
        const std::uint8_t request = write ? wire::kWrite : wire::kRead;
        QCOMPARE(occurrences(*s.wire, {request, 0x01, 0x40, 0x08}), 1);
        QCOMPARE(occurrences(*s.wire, {request, 0x01, 0x48, 0x08}), 0);
        if (!write)
            QCOMPARE(s.run.image(), before);
        for (std::size_t at = 0; write && at < layout::kImageSize; ++at)
            QCOMPARE(s.radio->memory()[at], at < 41 * 8 ? s.run.image()[at] : memoryWithTail(0x40)[at]);
    }

    void aPortThatCannotBeOpened_data() {
        QTest::addColumn<bool>("write");
        QTest::newRow("read") << false;
        QTest::newRow("write") << true;
    }
    void aPortThatCannotBeOpened() {
        QFETCH(bool, write);
        Session s(configuredFile());
        s.view().m_portOpener = nullptr; // the real ports
        s.view().SelectPort(m_dir.filePath(QStringLiteral("no-such-tty")));
        chooseByKeyboard(s.run.combo(Setting::Squelch), 1);
        s.run.prompts.answer(QMessageBox::Ok);
        QCOMPARE(s.transfer(write), kFailed);
        QCOMPARE(s.run.prompts.asked().size(), 1);
        const auto& asked = s.run.prompts.asked().constFirst();
        QVERIFY(asked.text.startsWith(QStringLiteral("无法打开串口,请检查串口是否被占用或设备是否正常。")));
        QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!s.dlg().isVisible() && !s.view().IsTransferring());
        // A write has encoded the form all the same; a read changed nothing.
        QCOMPARE(s.run.image()[layout::kSquelch], std::uint8_t(write ? 1 : 3));
    }

    void theRetryQuestion_data() {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("handshakes");
        QTest::newRow("silent radio, Retry then Cancel")
            << "silent" << QList<int>{QMessageBox::Retry, QMessageBox::Cancel} << 30;
        QTest::newRow("confirmation refused, Cancel") << "refuse-confirm" << QList<int>{QMessageBox::Cancel} << 1;
    }
    void theRetryQuestion() {
        QFETCH(QString, faults);
        QFETCH(QList<int>, answers);
        QFETCH(int, handshakes);
        Session s(configuredFile());
        const Bytes before = s.run.image();
        s.fault(faults);
        for (int answer : answers)
            s.run.prompts.answer(static_cast<QMessageBox::StandardButton>(answer));
        QCOMPARE(s.transfer(false), kAbandoned);
        QCOMPARE(s.run.prompts.asked().size(), answers.size());
        for (const auto& asked : s.run.prompts.asked()) {
            QCOMPARE(asked.text, QStringLiteral("通讯错误，请检查连接是否正常,对讲机电源是否打开。"));
            QCOMPARE(asked.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        }
        QCOMPARE(s.run.prompts.unexpected(), 0);
        QCOMPARE(occurrences(*s.wire, {'P', 'R', 'O', 'G', 'R', 'A', 'M'}), handshakes);
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("等待对讲机响应...."));
        QCOMPARE(s.run.image(), before);
        QVERIFY(!s.dlg().isVisible());
    }

    void failuresEndWithTheirMessage_data() {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("blocks");
        QTest::newRow("short reply") << "short=3:9" << false << "没有收到足够的字节。" << 3;
        QTest::newRow("read refused") << "nak-read=5" << false << "发生错误，请重试。" << 6;
        QTest::newRow("radio hangs up, read") << "hangup=20" << false << "没有收到足够的字节。" << 20;
        QTest::newRow("write refused") << "nak-write=7" << true << " 程序中断，请请重启对讲机并重试。" << 7;
        QTest::newRow("radio hangs up, write") << "hangup=20" << true << " 程序中断，请请重启对讲机并重试。" << 20;
    }
    void failuresEndWithTheirMessage() {
        QFETCH(QString, faults);
        QFETCH(bool, write);
        QFETCH(QString, message);
        QFETCH(int, blocks);
        Session s(configuredFile());
        const FormState form = s.run.form();
        const Bytes before = s.run.image();
        s.fault(faults);
        s.run.prompts.answer(QMessageBox::Ok);
        s.run.prompts.answer(QMessageBox::Ok);
        QCOMPARE(s.transfer(write), kFailed);
        QCOMPARE(texts(s.run.prompts.asked()), write ? QStringList({message, kWriteIncomplete}) : QStringList{message});
        QCOMPARE(s.run.prompts.asked().constFirst().icon, QMessageBox::Warning);
        QCOMPARE(s.run.prompts.asked().constFirst().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(s.dlg().GetProgressPos(), blocks);
        QVERIFY(!s.dlg().isVisible());
        QVERIFY(s.run.form() == form);
        if (!write)
            QCOMPARE(s.run.image(), before);
        // A write leaves the radio with the blocks it acknowledged.
        for (std::size_t at = 0; write && at < layout::kImageSize; ++at)
            QCOMPARE(s.radio->memory()[at],
                     at < std::size_t(blocks) * 8 ? s.run.image()[at] : memoryWithTail(0x40)[at]);
    }

    void theGuardKeepsTheDocumentWhileATransferRuns() {
        const QString path = configuredFile();
        Session s;
        s.run.app->AddToRecentFileList(path);
        s.gate = std::make_shared<Gate>(10);
        auto release = qScopeGuard([&] { s.gate->release(); });
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        s.start(false);
        QTRY_VERIFY(s.gate->parked());
        const Bytes before = s.run.image();

        s.run.prompts.chooseOpen(path);
        s.frame().Action(CMainFrame::ID_FILE_NEW)->trigger();
        s.frame().Action(CMainFrame::ID_FILE_OPEN)->trigger();
        s.frame().RecentFileAction(0)->trigger();
        QVERIFY(!s.run.app->OpenDocumentFile(path)); // the way of a dropped file
        s.frame().Action(CMainFrame::ID_APP_EXIT)->trigger();
        QVERIFY(!s.frame().close());
        QCOMPARE(s.run.prompts.asked().size(), 6);
        for (const auto& asked : s.run.prompts.asked())
            QVERIFY(asked.text.startsWith(QStringLiteral("正在与对讲机传输数据")));
        QVERIFY(s.frame().isVisible());
        QCOMPARE(s.run.image(), before);
        QVERIFY(s.run.app->GetDocument()->GetPathName().isEmpty());

        // Write while a read runs: the same dialog, still a read.
        s.view().OnWrite();
        QVERIFY(!s.view().m_bWrite);
        QCOMPARE(s.dlg().windowTitle(), QStringLiteral("数据读取进度"));
        QCOMPARE(s.view().findChildren<CProgressDlg*>().size(), 1);
        // A second start does nothing.
        s.dlg().accept();
        s.view().OnTransfer();
        QTest::qWait(20);
        QCOMPARE(s.opened.size(), 1);

        QTest::mouseClick(s.dlg().CancelButton(), Qt::LeftButton);
        s.gate->release();
        QCOMPARE(s.finish(done), kCancelled);
        s.run.prompts.clear();
        s.frame().RecentFileAction(0)->trigger(); // free again once it has ended
        QVERIFY(s.run.prompts.asked().isEmpty());
        QCOMPARE(s.run.app->GetDocument()->GetPathName(), path);
    }

    void readOrWriteWhileTheDialogWaitsTakesTheNewDirection() {
        Session s(configuredFile());
        s.view().OnRead();
        s.view().OnWrite();
        QCOMPARE(s.view().findChildren<CProgressDlg*>().size(), 1);
        QCOMPARE(s.dlg().windowTitle(), QStringLiteral("数据写入进度"));
        QVERIFY(s.view().m_bWrite);
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QCOMPARE(s.finish(done), kComplete);
        for (std::size_t at = 0; at < layout::kWriteEnd; ++at) // written, not read
            QCOMPARE(s.radio->memory()[at], s.run.image()[at]);

        s.view().OnWrite();
        s.view().OnRead();
        QCOMPARE(s.dlg().windowTitle(), QStringLiteral("数据读取进度"));
        QVERIFY(!s.view().m_bWrite);
    }

    void closingUnderARunningTransferWaitsForTheWorkerNotForever() {
        // A silent radio in real time keeps the worker inside port reads of
        // half a second; the view going away must end it at its next step.
        auto s = std::make_unique<Session>();
        s->fault(QStringLiteral("silent"));
        s->view().m_pTransferClock = &systemClock();
        s->start(false);
        QTRY_COMPARE(s->opened.size(), 1);
        QTest::qWait(100); // past the first pauses, into the reads
        QVERIFY(s->view().IsTransferring());
        QElapsedTimer closing;
        closing.start();
        s.reset();
        QVERIFY(closing.elapsed() < 3000);
    }

    void thePortMenuChecksAndChooses() {
        Session s;
        CMainFrame& frame = s.frame();
        const int ids[] = {CMainFrame::ID_PORT_COM1, CMainFrame::ID_PORT_COM2, CMainFrame::ID_PORT_COM3,
                           CMainFrame::ID_PORT_COM4};
        const QStringList texts = {"COM1 \tCtrl+1", "COM2  \tCtrl+2", "COM3  \tCtrl+3", "COM4  \tCtrl+4"};
        auto checked = [&] {
            QStringList ports;
            for (QAction* item : frame.PortMenu()->actions())
                if (item->isChecked())
                    ports << item->data().toString();
            return ports;
        };
        for (int i = 0; i < 4; ++i) {
            QAction* item = frame.Action(ids[i]);
            QCOMPARE(item->text(), texts.at(i));
            QCOMPARE(item->statusTip(), QStringLiteral("选择串口%1 ").arg(i + 1));
            QVERIFY(item->isEnabled());
        }
        QCOMPARE(checked(), QStringList{"COM1"});

        frame.Action(CMainFrame::ID_PORT_COM3)->trigger();
        QCOMPARE(checked(), QStringList{"COM3"});
        frame.Action(CMainFrame::ID_PORT_COM3)->trigger(); // the checked one stays checked
        QCOMPARE(checked(), QStringList{"COM3"});
        QVERIFY(activate(&frame));
        for (int n : {2, 4, 1}) {
            QTest::keyClick(&frame, Qt::Key(Qt::Key_0 + n), Qt::ControlModifier);
            QCOMPARE(s.view().m_strPort, QStringLiteral("COM%1").arg(n));
            QCOMPARE(checked(), QStringList{QStringLiteral("COM%1").arg(n)});
        }

        // Below the separator: the ports found now, the demo radio, a port
        // typed by hand.
        emit frame.PortMenu()->aboutToShow();
        for (const PortInfo& found : portsBesidesCom(listSerialPorts())) {
            const QString name = QString::fromStdString(found.name);
            QAction* item = nullptr;
            for (QAction* candidate : frame.PortMenu()->actions())
                if (candidate->data().toString() == name)
                    item = candidate;
            QVERIFY2(item, qPrintable(name));
            QVERIFY(item->text().contains(QString::fromStdString(found.description)));
        }
        QAction* demo = frame.findChild<QAction*>(QStringLiteral("ID_PORT_DEMO"));
        QCOMPARE(demo->text(), QStringLiteral("演示对讲机"));
        demo->trigger();
        QCOMPARE(s.view().m_strPort, QStringLiteral("demo"));
        QCOMPARE(checked(), QStringList{"demo"});

        QAction* other = frame.findChild<QAction*>(QStringLiteral("ID_PORT_OTHER"));
        QStringList answers = {"  /dev/ttyUSB7 ", ""};
        QStringList offered;
        s.view().m_askPortName = [&](QWidget*, const QString& current) {
            offered << current;
            return answers.takeFirst();
        };
        other->trigger();
        QCOMPARE(s.view().m_strPort, QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(checked(), QStringList{"/dev/ttyUSB7"});
        other->trigger(); // no answer keeps the port
        QCOMPARE(s.view().m_strPort, QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(offered, QStringList({"demo", "/dev/ttyUSB7"}));

        // A choice made while the dialog waits is the port of that transfer.
        s.view().OnRead();
        frame.Action(CMainFrame::ID_PORT_COM2)->trigger();
        QSignalSpy done(&s.view(), &CProgramView::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QCOMPARE(s.finish(done), kComplete);
        QCOMPARE(s.opened, QStringList{"COM2"});
    }
};

QTEST_MAIN(TransferWindowTest)
#include "transfer_window_test.moc"

// Read and Write from the window against the demo radio in virtual time,
// for what only the widgets can get wrong: the progress dialog's layout,
// its buttons and keys, the worker's events reaching the window's thread,
// the messages' boxes, and the port menu. The transfer's rules are the
// application layer's and are tested without Qt.
#include "app_harness.h"

#include "link/demo_radio.h"
#include "qt/dialog_units.h"
#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "qt/progress_dlg.h"

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
        run.app->SetTransferLink(
            [this](const std::string& name, Clock& c) {
                opened << QString::fromStdString(name);
                auto port = std::make_unique<DemoRadioPort>(radio, c, false);
                return OpenedPort{std::make_unique<TracedPort>(std::move(port), wire, gate), {}};
            },
            clock);
    }
    CProgramView& view() const { return *run.app->GetView(); }
    CMainFrame& frame() const { return *run.app->GetMainFrame(); }
    CProgressDlg& dlg() const { return *frame().ProgressDlg(); }
    void fault(const QString& faults) {
        RadioFaults parsed;
        std::string error;
        QVERIFY2(parseRadioFaults(faults.toStdString(), parsed, error), error.c_str());
        radio->setFaults(parsed);
    }
    /// Read or Write from the menu, then Start.
    void start(bool write) {
        frame().Action(write ? CMainFrame::ID_RADIO_WRITE : CMainFrame::ID_RADIO_READ)->trigger();
        QTest::mouseClick(dlg().StartButton(), Qt::LeftButton);
    }
    /// Waits for the end of the transfer; the outcome, -1 when none came.
    int finish(QSignalSpy& spy) {
        if (spy.isEmpty() && !spy.wait(10000))
            return -1;
        return spy.takeFirst().at(0).toInt();
    }
    int transfer(bool write) {
        QSignalSpy spy(run.app.get(), &CProgramApp::TransferFinished);
        start(write);
        return finish(spy);
    }
    QStringList asked() const {
        QStringList texts;
        for (const auto& one : run.prompts.asked())
            texts << one.text;
        return texts;
    }
};

QList<int> valuesOf(const QSignalSpy& spy) {
    QList<int> values;
    for (const QList<QVariant>& call : spy)
        values << call.at(0).toInt();
    return values;
}

void cancelBy(CProgressDlg& dlg, const QString& how) {
    if (how == QLatin1String("button"))
        QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
    else if (how == QLatin1String("escape"))
        QTest::keyClick(&dlg, Qt::Key_Escape);
    else
        dlg.close();
}

/// The item of the port menu whose object name is `name`.
QAction* portItem(CMainFrame& frame, const QString& name) {
    for (QAction* item : frame.PortMenu()->actions())
        if (item->objectName() == name)
            return item;
    return nullptr;
}

constexpr int kComplete = static_cast<int>(TransferOutcome::Complete);
constexpr int kFailed = static_cast<int>(TransferOutcome::Failed);
constexpr int kCancelled = static_cast<int>(TransferOutcome::Cancelled);
constexpr int kAbandoned = static_cast<int>(TransferOutcome::Abandoned);
const QString kWriteIncomplete = QStringLiteral("写入未完成，对讲机中的数据可能不完整，请重新写入。");

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

    void theDialogFollowsItsTemplate() {
        Session s;
        QVERIFY(activate(&s.frame()));
        QTest::keyClick(&s.frame(), Qt::Key_R, Qt::ControlModifier);
        CProgressDlg& dlg = s.dlg();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("数据读取进度"));
        QVERIFY(!dlg.isModal());
        QCOMPARE(dlg.StartButton()->text(), QStringLiteral("开始"));
        QVERIFY(dlg.StartButton()->isDefault() && dlg.StartButton()->isEnabled());
        QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("取消"));
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("label1004"))->text(), QStringLiteral("进度值:"));
        QCOMPARE(dlg.StatusLine()->text(), QStringLiteral("等待中......"));
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
        // Write while it waits: the same dialog, the new direction.
        s.frame().Action(CMainFrame::ID_RADIO_WRITE)->trigger();
        QCOMPARE(s.frame().findChildren<CProgressDlg*>().size(), 1);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("数据写入进度"));
    }

    void aReadFillsTheFormWithTheRadiosData() {
        Session s;
        s.radio = std::make_shared<DemoRadio>(RadioImage(configuredBytes()));
        QVERIFY(activate(&s.frame()));
        QTest::keyClick(&s.frame(), Qt::Key_R, Qt::ControlModifier);
        QSignalSpy steps(s.dlg().ProgressBar(), &QProgressBar::valueChanged);
        QSignalSpy done(s.run.app.get(), &CProgramApp::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QVERIFY(!s.dlg().StartButton()->isEnabled());
        QCOMPARE(s.finish(done), kComplete);

        QCOMPARE(s.opened, QStringList{"COM1"});
        QCOMPARE(s.run.grid().GetTextMatrix(1, 1), QStringLiteral("460.12500"));
        QCOMPARE(s.run.combo(Setting::Band).currentText(), QStringLiteral("400 - 470MHZ"));
        // The window paints the bar as often as it gets round to it, up to
        // 123 and never back.
        const QList<int> values = valuesOf(steps);
        QCOMPARE(values.constLast(), 123);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("123"));
        QVERIFY(!s.dlg().isVisible());
        QVERIFY(s.run.prompts.asked().isEmpty());
    }

    void aWriteSendsWhatTheBoxesShow() {
        Session s(configuredFile());
        chooseByKeyboard(s.run.combo(Setting::Squelch), 7); // encoded only when the write starts
        const RadioImage before = s.radio->memory();
        QCOMPARE(s.transfer(true), kComplete);
        const Bytes sent = s.run.image();
        QCOMPARE(sent[layout::kSquelch], std::uint8_t(7));
        for (std::size_t at = 0; at < layout::kImageSize; ++at)
            QCOMPARE(s.radio->memory()[at], at < layout::kWriteEnd ? sent[at] : before[at]);
        QCOMPARE(s.dlg().StatusLine()->text(), QStringLiteral("122"));
        QVERIFY(s.run.prompts.asked().isEmpty());
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
        QVERIFY(activate(&s.frame()));
        QTest::keyClick(&s.frame(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(QTest::qWaitForWindowExposed(&s.dlg()));
        cancelBy(s.dlg(), how);
        QVERIFY(!s.dlg().isVisible());
        QTest::qWait(20);
        QVERIFY(s.opened.isEmpty());
        QVERIFY(s.run.prompts.asked().isEmpty());
    }

    void cancelDuringTheBlocks_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("how");
        QTest::newRow("read, Cancel button") << false << "button";
        QTest::newRow("read, Escape") << false << "escape";
        QTest::newRow("write, close box") << true << "close";
    }
    void cancelDuringTheBlocks() {
        QFETCH(bool, write);
        QFETCH(QString, how);
        Session s(configuredFile());
        s.gate = std::make_shared<Gate>(40);
        auto release = qScopeGuard([&] { s.gate->release(); });
        const FormState form = s.run.form();
        QSignalSpy done(s.run.app.get(), &CProgramApp::TransferFinished);
        s.start(write);
        QTRY_VERIFY(s.gate->parked());
        QTRY_COMPARE(s.dlg().StatusLine()->text(), QStringLiteral("40"));

        cancelBy(s.dlg(), how);
        QVERIFY(s.dlg().isVisible()); // the transfer closes it
        if (write)
            s.run.prompts.answer(QMessageBox::Ok);
        s.gate->release();
        QCOMPARE(s.finish(done), kCancelled);
        QVERIFY(!s.dlg().isVisible());
        QVERIFY(s.run.form() == form);
        QCOMPARE(s.asked(), write ? QStringList{kWriteIncomplete} : QStringList());
        const std::uint8_t request = write ? wire::kWrite : wire::kRead;
        QCOMPARE(occurrences(*s.wire, {request, 0x01, 0x48, 0x08}), 0);
    }

    void questionsAndFailuresComeInTheirBoxes() {
        Session s(configuredFile());
        s.fault(QStringLiteral("refuse-confirm"));
        s.run.prompts.answer(QMessageBox::Cancel);
        QCOMPARE(s.transfer(false), kAbandoned);
        QCOMPARE(s.run.prompts.asked().size(), 1);
        QCOMPARE(s.run.prompts.asked().at(0).text, QStringLiteral("通讯错误，请检查连接是否正常,对讲机电源是否打开。"));
        QCOMPARE(s.run.prompts.asked().at(0).buttons, QMessageBox::Retry | QMessageBox::Cancel);

        s.run.prompts.clear();
        s.fault(QStringLiteral("nak-write=7"));
        s.run.prompts.answer(QMessageBox::Ok);
        s.run.prompts.answer(QMessageBox::Ok);
        QCOMPARE(s.transfer(true), kFailed);
        QCOMPARE(s.asked(), QStringList({QStringLiteral(" 程序中断，请请重启对讲机并重试。"), kWriteIncomplete}));
        QCOMPARE(s.run.prompts.asked().at(0).icon, QMessageBox::Warning);
        QCOMPARE(s.run.prompts.unexpected(), 0);
    }

    void aPortThatCannotBeOpened() {
        Session s(configuredFile());
        s.run.app->SetTransferLink({}, systemClock()); // the real ports
        s.run.app->Apply(
            s.run.app->Workspace().selectPort(m_dir.filePath(QStringLiteral("no-such-tty")).toStdString()));
        s.run.prompts.answer(QMessageBox::Ok);
        QCOMPARE(s.transfer(false), kFailed);
        QCOMPARE(s.run.prompts.asked().size(), 1);
        QVERIFY(s.asked().at(0).startsWith(QStringLiteral("无法打开串口,请检查串口是否被占用或设备是否正常。")));
        QVERIFY(!s.dlg().isVisible());
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
        for (int i = 0; i < 4; ++i)
            QCOMPARE(frame.Action(ids[i])->text(), texts.at(i));
        QCOMPARE(checked(), QStringList{"COM1"});
        QVERIFY(activate(&frame));
        for (int n : {2, 4, 1}) {
            QTest::keyClick(&frame, Qt::Key(Qt::Key_0 + n), Qt::ControlModifier);
            QCOMPARE(checked(), QStringList{QStringLiteral("COM%1").arg(n)});
        }

        emit frame.PortMenu()->aboutToShow();
        QAction* demo = portItem(frame, QStringLiteral("ID_PORT_DEMO"));
        QCOMPARE(demo->text(), QStringLiteral("演示对讲机"));
        demo->trigger();
        QCOMPARE(checked(), QStringList{"demo"});

        QStringList answers = {"  /dev/ttyUSB7 ", ""};
        QStringList offered;
        s.run.app->m_prompts.askPortName = [&](QWidget*, const QString& current) {
            offered << current;
            return answers.takeFirst();
        };
        portItem(frame, QStringLiteral("ID_PORT_OTHER"))->trigger();
        QCOMPARE(checked(), QStringList{"/dev/ttyUSB7"});
        portItem(frame, QStringLiteral("ID_PORT_OTHER"))->trigger(); // no answer keeps the port
        QCOMPARE(checked(), QStringList{"/dev/ttyUSB7"});
        QCOMPARE(offered, QStringList({"demo", "/dev/ttyUSB7"}));

        // A choice made while the dialog waits is the port of that transfer.
        QTest::keyClick(&frame, Qt::Key_R, Qt::ControlModifier);
        frame.Action(CMainFrame::ID_PORT_COM2)->trigger();
        QSignalSpy done(s.run.app.get(), &CProgramApp::TransferFinished);
        QTest::mouseClick(s.dlg().StartButton(), Qt::LeftButton);
        QCOMPARE(s.finish(done), kComplete);
        QCOMPARE(s.opened, QStringList{"COM2"});
    }
};

QTEST_MAIN(TransferWindowTest)
#include "transfer_window_test.moc"

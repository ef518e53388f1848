// The desktop window, for what only its widgets can get wrong: which widget
// a key reaches, where the keyboard goes when the program closes an editor,
// the boxes the program asks in, the progress dialog woken from the
// transfer's thread, and the window going away with its dialogs. The rules
// behind them are the workspace's and the table editor's, tested without Qt.
#include "app/form_template.h"
#include "app/strings.h"
#include "link/demo_radio.h"
#include "qt/about_dlg.h"
#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "qt/progress_dlg.h"
#include "qt/words.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QCheckBox>
#include <QClipboard>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>

#include <deque>
#include <functional>

using namespace varnok;
namespace ids = varnok::app;

namespace {

using Answer = std::function<void(QMessageBox&)>;

/// Answers a message box as a user does, from inside the box.
Answer byKey(Qt::Key key) {
    return [key](QMessageBox& box) { QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box, key); };
}
Answer byButton(QMessageBox::StandardButton button) {
    return [button](QMessageBox& box) { QTest::mouseClick(box.button(button), Qt::LeftButton); };
}

/// A program run as a user meets it: its window active, its questions in
/// real message boxes answered from a script, its transfers reaching a demo
/// radio in virtual time.
struct Session {
    std::unique_ptr<CProgramApp> app = std::make_unique<CProgramApp>();
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>(DemoRadio::sampleMemory());
    VirtualClock clock;
    std::deque<Answer> answers;
    QStringList asked;     // the texts of the boxes shown, in order
    int answeredLate = 0;  // boxes the scripted answer did not close
    int unexpected = 0;    // boxes shown without a scripted answer
    int opened = 0;        // ports opened

    explicit Session(const QString& file = QString()) {
        wrap(app->m_prompts.message);
        wrap(app->m_prompts.captionedMessage);
        app->InitInstance(file);
        app->SetTransferLink(
            [this](const std::string&, Clock& c) {
                ++opened;
                return OpenedPort{std::make_unique<DemoRadioPort>(radio, c, false), {}};
            },
            clock);
        frame().activateWindow();
        if (!QTest::qWaitForWindowActive(&frame()))
            qFatal("the main window does not become active");
    }

    /// Shows the real box, then has the next scripted answer given in it
    /// once it waits for the user. A box that does not close on the answer
    /// is cancelled, so that a wrong key fails the test instead of hanging.
    template <typename Prompt>
    void wrap(Prompt& prompt) {
        prompt = [this, real = prompt](QWidget* parent, QMessageBox::Icon icon, const auto&... rest) {
            if (answers.empty()) {
                ++unexpected;
                return QMessageBox::Cancel;
            }
            QTimer::singleShot(0, [this, answer = answers.front()] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                asked << box->text();
                answer(*box);
                if (box->isVisible()) {
                    ++answeredLate;
                    box->reject();
                }
            });
            answers.pop_front();
            return real(parent, icon, rest...);
        };
    }

    CMainFrame& frame() const { return *app->GetMainFrame(); }
    CProgramView& view() const { return *app->GetView(); }
    CMSFlexGrid& grid() const { return *view().Grid(); }
    CProgressDlg& dlg() const { return *frame().ProgressDlg(); }
    QLineEdit* textBox() const { return qobject_cast<QLineEdit*>(view().CellEditor(CellEditor::Text)); }
    QComboBox* box(CellEditor editor) const { return qobject_cast<QComboBox*>(view().CellEditor(editor)); }
    /// The editor shown over the grid, if any.
    QWidget* open() const {
        for (auto kind : {CellEditor::Text, CellEditor::Tone, CellEditor::BusyLock, CellEditor::Bandwidth,
                          CellEditor::Scan, CellEditor::Power})
            if (view().CellEditor(kind)->isVisible())
                return view().CellEditor(kind);
        return nullptr;
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
    QString cell(int row, int col) const { return grid().GetTextMatrix(row, col); }

    void click(int row, int col, Qt::MouseButton button = Qt::LeftButton) const {
        QTest::mouseClick(grid().viewport(), button, Qt::NoModifier,
                          grid().visualRect(grid().model()->index(row, col)).center());
    }
    /// Each key goes where the keyboard is when it is typed.
    void type(const QString& keys) const {
        for (QChar ch : keys)
            QTest::keyClick(focus(), ch.toLatin1());
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(focus(), key, modifiers);
    }
    /// A control key as a keyboard sends it, with its control character.
    void controlKey(Qt::Key key, char16_t ch) const {
        QTest::sendKeyEvent(QTest::Click, focus(), key, QString(QChar(ch)), Qt::ControlModifier);
    }
};

QByteArray sampleFile() {
    const RadioImage memory = DemoRadio::sampleMemory();
    return QByteArray(reinterpret_cast<const char*>(memory.bytes().data()), int(memory.bytes().size()));
}

constexpr int kComplete = static_cast<int>(TransferOutcome::Complete);

/// Every interface below `root` in the accessibility tree.
void walk(QAccessibleInterface* root, std::vector<QAccessibleInterface*>& out) {
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i)) {
            out.push_back(child);
            walk(child, out);
        }
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

    QByteArray fileBytes() const {
        QFile in(m_file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
    }
    void init() {
        // The demo radio's sample: channel 1 at 462.62500 both ways without
        // tones, channel 8 empty.
        m_file = m_dir.filePath(QStringLiteral("radio.sin"));
        QFile out(m_file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(out.write(sampleFile()), qint64(1024));
        // Each test starts in the program's first language.
        QSettings(QString::fromUtf8(ids::strings::kSettingsOrganisation),
                  QString::fromUtf8(ids::strings::kSettingsApplication))
            .remove(QString::fromUtf8(ids::strings::kLanguageKey));
    }

    void escapeAndControlKeysNeverReachTheGridAsText() {
        Session s(m_file);
        s.click(1, 2);
        QCOMPARE(s.open(), s.textBox());
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QCOMPARE(s.open(), s.textBox());
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.textBox()->text(), QStringLiteral("462.62500"));
        // Typed on the grid itself, they open no editor either.
        s.click(1, 3, Qt::RightButton);
        QCOMPARE(s.focus(), &s.grid());
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QCOMPARE(s.open(), nullptr);
        QCOMPARE(s.cell(1, 2), QStringLiteral("462.62500"));
        // Enter is the grid's own: on to the next cell, the keyboard stays.
        s.key(Qt::Key_Return);
        QCOMPARE(s.grid().GetCol(), 4L);
        QCOMPARE(s.focus(), &s.grid());
        // Printable keys and composed text open the editor with what was
        // typed, and nothing searches the cells.
        s.type("4");
        QCOMPARE(s.open(), s.box(CellEditor::Tone));
        QCOMPARE(s.grid().GetCol(), 4L);
        QCOMPARE(s.box(CellEditor::Tone)->currentText(), QStringLiteral("4"));
        s.click(8, 1, Qt::RightButton);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("14"));
        QApplication::sendEvent(&s.grid(), &composed);
        QCOMPARE(s.open(), s.textBox());
        QCOMPARE(s.textBox()->text(), QStringLiteral("14"));
        QCOMPARE(s.grid().GetRow(), 8L);
        QCOMPARE(s.unexpected, 0);
    }

    void theKeyboardFollowsTheEditorTheProgramCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Save") << "save";
        QTest::newRow("arrow") << "arrow";
        QTest::newRow("right click") << "click";
        QTest::newRow("Tab") << "tab";
    }
    void theKeyboardFollowsTheEditorTheProgramCloses() {
        QFETCH(QString, how);
        Session s(m_file);
        s.click(8, 1);
        s.type("440");
        if (how == QLatin1String("save"))
            QTest::keyClick(&s.frame(), Qt::Key_S, Qt::ControlModifier);
        else if (how == QLatin1String("arrow"))
            s.key(Qt::Key_Down);
        else if (how == QLatin1String("click"))
            s.click(9, 2, Qt::RightButton);
        else
            s.key(Qt::Key_Tab);
        if (how == QLatin1String("tab")) {
            // The keyboard leaves for the next box of the form; the editor
            // keeps what is typed.
            QCOMPARE(s.open(), s.textBox());
            QCOMPARE(s.textBox()->text(), QStringLiteral("440"));
            QVERIFY(qobject_cast<QComboBox*>(s.focus()));
            QCOMPARE(s.focus()->parentWidget(), &s.view());
            return;
        }
        QCOMPARE(s.open(), nullptr);
        QCOMPARE(s.focus(), &s.grid());
        QCOMPARE(s.cell(8, 1), QStringLiteral("440.00000"));
        // What is typed next is an entry of the grid's current cell.
        const QPoint current(int(s.grid().GetCol()), int(s.grid().GetRow()));
        s.type("4");
        QCOMPARE(s.open(), s.textBox());
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.textBox()->text(), QStringLiteral("4"));
        QCOMPARE(QPoint(int(s.grid().GetCol()), int(s.grid().GetRow())), current);
        if (how == QLatin1String("save"))
            QCOMPARE(fileBytes().at(8 * 16 + 3), char(0x44)); // 440 MHz saved
    }

    void theToneBoxSelectsItsWholeTextOnOpen() {
        Session s(m_file);
        s.click(1, 3);
        QComboBox* tone = s.box(CellEditor::Tone);
        QCOMPARE(s.focus(), tone);
        QCOMPARE(tone->lineEdit()->text(), QStringLiteral("无"));
        QCOMPARE(tone->lineEdit()->selectedText(), tone->lineEdit()->text());
        s.type("67.0");
        s.key(Qt::Key_Return);
        QCOMPARE(s.cell(1, 3), QStringLiteral("67.0"));
    }

    void enterInADroppedListReachesThatList_data() {
        QTest::addColumn<bool>("cellList");
        QTest::newRow("scan list over the grid") << true;
        QTest::newRow("settings box") << false;
    }
    void enterInADroppedListReachesThatList() {
        QFETCH(bool, cellList);
        Session s(m_file);
        QComboBox* list = s.view().Combo(Setting::Squelch);
        if (cellList) {
            s.click(1, 7);
            list = s.box(CellEditor::Scan);
        }
        const int other = list->currentIndex() == 0 ? 1 : list->currentIndex() - 1;
        list->showPopup();
        QTRY_VERIFY(list->view()->isVisible());
        QTest::keyClick(list->view(), other == 1 ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(list->view(), Qt::Key_Return);
        QVERIFY(!list->view()->isVisible());
        if (cellList) {
            // Taken, and on as Enter in the closed box: the next cell.
            QCOMPARE(s.cell(1, 7), list->itemText(other));
            QCOMPARE(s.grid().GetCol(), 8L);
        } else {
            QCOMPARE(list->currentIndex(), other);
            QVERIFY(s.app->GetDocument()->IsModified());
        }
    }

    void enterInTheLastListGoesOnToTheNextBoxOfTheForm() {
        Session s(m_file);
        s.click(16, 5);
        s.key(Qt::Key_Return);
        // The grid is the last control: round to the first box.
        QCOMPARE(s.focus(), s.view().Combo(Setting::Model));
        QCOMPARE(s.open(), nullptr);
    }

    void enterInAMessageBoxReachesThatBox() {
        Session s(m_file);
        s.click(8, 1);
        s.type("180");
        s.answers.push_back(byKey(Qt::Key_Return));
        s.key(Qt::Key_Return);
        QCOMPARE(s.asked, QStringList{"Out of range!"});
        QCOMPARE(s.answeredLate, 0);
        QCOMPARE(s.frame().focusWidget(), s.textBox());
        QCOMPARE(s.textBox()->text(), QString());
    }

    void closingAChangedDocumentAsks_data() {
        QTest::addColumn<bool>("discard"); // else Escape, which keeps the window
        QTest::newRow("Escape") << false;
        QTest::newRow("Discard") << true;
    }
    void closingAChangedDocumentAsks() {
        QFETCH(bool, discard);
        Session s(m_file);
        QComboBox& squelch = *s.view().Combo(Setting::Squelch);
        squelch.setFocus();
        QTest::keyClick(&squelch, Qt::Key_Down);
        QVERIFY(s.app->GetDocument()->IsModified());
        s.answers.push_back(discard ? byButton(QMessageBox::Discard) : byKey(Qt::Key_Escape));
        QCOMPARE(s.frame().close(), discard);
        QCOMPARE(s.frame().isVisible(), !discard);
        QCOMPARE(s.asked.size(), 1);
        QCOMPARE(s.answeredLate, 0);
        QCOMPARE(fileBytes(), sampleFile());
        // Qt's own dialogs speak the form's language too.
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    }

    void theAccessibilityTreeNamesTheBoxesAndTheCurrentCell_data() {
        QTest::addColumn<QString>("keys"); // typed on the grid from channel 1's first cell
        QTest::addColumn<QString>("heard");
        QTest::newRow("down") << "Down" << "channel 2, 接收频率, 462.65000";
        QTest::newRow("unit dropped") << "Down Right" << "channel 2, 发射频率, 462.65000";
        QTest::newRow("tone") << "Down Down Down Right Right Right"
                              << "channel 4, QT/DQT编码, 100.0";
        QTest::newRow("empty") << "End PgDown" << "channel 16, 功率, empty";
        QTest::newRow("value under the cursor") << "Down Down Down Down Down Down Down 4 4 0 Up Down Ctrl+Z"
                                                << "channel 8, 接收频率, empty";
    }
    void theAccessibilityTreeNamesTheBoxesAndTheCurrentCell() {
        QFETCH(QString, keys);
        QFETCH(QString, heard);
        Session s(m_file);
        QVERIFY(QTest::qWaitForWindowActive(&s.frame()));
        std::vector<QAccessibleInterface*> tree;
        walk(QAccessible::queryAccessibleInterface(&s.frame()), tree);
        int named = 0;
        QAccessibleInterface* grid = nullptr;
        for (QAccessibleInterface* node : tree) {
            if (node->role() == QAccessible::Table)
                grid = node;
            auto* widget = qobject_cast<QWidget*>(node->object());
            if (node->role() != QAccessible::ComboBox || !s.view().isAncestorOf(widget))
                continue;
            // Labelled by the label beside it (Qt on Unix names a box by its
            // value and lets this relation name it), and named as it says.
            ++named;
            const auto labels = node->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(widget->accessibleName(), labels.constFirst().first->text(QAccessible::Name).remove(QLatin1Char(' ')));
        }
        QCOMPARE(named, kSettingCount);
        QVERIFY(grid);
        QCOMPARE(grid->object(), &s.grid());
        QCOMPARE(grid->text(QAccessible::Name), qtr(ids::strings::kChannelsTitle));

        s.click(1, 1, Qt::RightButton);
        for (const QString& key : keys.split(QLatin1Char(' '))) {
            const QKeyCombination combination = QKeySequence(key)[0];
            s.key(combination.key(), combination.keyboardModifiers());
        }
        QCOMPARE(s.focus(), &s.grid());
        QAccessibleInterface* current = grid->focusChild();
        QVERIFY(current);
        QCOMPARE(current->text(QAccessible::Name), heard);
    }

    void theKeyboardReachesEveryControlAndShowsWhereItIs() {
        Session s(m_file);
        QVERIFY(QTest::qWaitForWindowActive(&s.frame()));
        // Tab follows the form: the settings column top to bottom, then the
        // grid, and round again.
        std::vector<QWidget*> expected;
        for (Setting setting : kAllSettings)
            expected.push_back(s.view().Combo(setting));
        std::stable_sort(expected.begin(), expected.end(),
                         [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
        expected.push_back(&s.grid());
        expected.push_back(expected.front());
        s.grid().setFocus();
        s.key(Qt::Key_Tab);
        // What the control shows while it has the keyboard; for the grid,
        // its current cell.
        auto look = [&](QWidget* w) {
            if (w != &s.grid())
                return w->grab().toImage();
            const QModelIndex current = s.grid().currentIndex();
            return s.grid().viewport()->grab(s.grid().visualRect(current)).toImage();
        };
        std::vector<QWidget*> reached{s.focus()};
        QImage focused = look(s.focus());
        while (reached.size() < expected.size()) {
            s.key(Qt::Key_Tab);
            QWidget* left = reached.back();
            QVERIFY2(look(left) != focused, qPrintable(left->objectName() + QStringLiteral(" shows no focus")));
            reached.push_back(s.focus());
            focused = look(s.focus());
        }
        QCOMPARE(reached, expected);

        // The menus without a mnemonic are reached from the menu bar's key.
        QTest::keyClick(s.focus(), Qt::Key_F10);
        QTRY_VERIFY(QApplication::activePopupWidget());
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->title(), qtr(ids::strings::kMenuTitles[1]));
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY(s.dlg().isVisible()); // its first item, the read
        QCOMPARE(s.dlg().windowTitle(), qtr(ids::strings::kReadCaption));
    }

    void aReadWakesTheDialogAndEndsIt() {
        Session s;
        QTest::keyClick(&s.frame(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(QTest::qWaitForWindowExposed(&s.dlg()));
        QCOMPARE(s.focus(), s.dlg().StartButton());
        // The button that starts is the one labelled so.
        QCOMPARE(s.dlg().StartButton()->text(), qtr(ids::strings::kProgressStart));
        // Its Chinese texts in a face that draws them.
        QVERIFY(QFontDatabase::writingSystems(QFontInfo(s.dlg().font()).family())
                    .contains(QFontDatabase::SimplifiedChinese));
        QSignalSpy done(s.app.get(), &CProgramApp::TransferFinished);
        QTest::keyClick(s.dlg().StartButton(), Qt::Key_Return);
        QVERIFY(done.wait(10000));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), kComplete);
        QCOMPARE(s.dlg().ProgressBar()->value(), ids::ProgressWindow::kMax);
        QLabel* status = s.dlg().findChild<QLabel*>(QStringLiteral("label1005"));
        QCOMPARE(status->text(), QString::fromStdString(s.app->Workspace().progress().status));
        // What a screen reader is told follows the line, not its first text.
        QCOMPARE(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), status->text());
        QVERIFY(!s.dlg().isVisible());
        QCOMPARE(s.cell(1, 1), QStringLiteral("462.62500"));
        QCOMPARE(s.unexpected, 0);
    }

    void aCloneRunKeepsItsDialogBetweenRadiosWithItsCountInTheTitle() {
        Session s(m_file);
        s.frame().Action(varnok::app::strings::ID_RADIO_CLONE)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&s.dlg()));
        QVERIFY(s.dlg().VerifyBox()->isVisible() && s.dlg().BackupFirstBox()->isVisible());
        QTest::mouseClick(s.dlg().VerifyBox(), Qt::LeftButton);
        QVERIFY(s.app->Workspace().progress().verify);
        QSignalSpy done(s.app.get(), &CProgramApp::TransferFinished);
        QTest::keyClick(s.dlg().StartButton(), Qt::Key_Return);
        QVERIFY(done.wait(20000));
        QCOMPARE(s.opened, 2); // the write, then the verify
        QVERIFY(s.dlg().isVisible());
        QCOMPARE(s.dlg().windowTitle(), QStringLiteral("批量写频 - 已完成 1 台，失败 0 台"));
        QVERIFY(s.dlg().VerifyBox()->isEnabled() && s.dlg().StartButton()->isEnabled());
        // Between radios, Escape ends the run and says what it did.
        s.answers.push_back(byKey(Qt::Key_Return));
        QTest::keyClick(&s.dlg(), Qt::Key_Escape);
        QVERIFY(!s.dlg().isVisible());
        QTRY_COMPARE(s.asked.size(), 1);
        QVERIFY(s.asked.constFirst().startsWith(QStringLiteral("批量写频结束：已完成 1 台，失败 0 台")));
        QCOMPARE(s.unexpected, 0);
    }

    void channelsAreChosenOnTheirNumbersCopiedPastedAndTheStepUndone() {
        Session s(m_file);
        QVERIFY(!s.frame().Action(ids::strings::ID_EDIT_UNDO)->isEnabled());
        const QPoint one = s.grid().visualRect(s.grid().model()->index(1, 0)).center();
        const QPoint two = s.grid().visualRect(s.grid().model()->index(2, 0)).center();
        QTest::mouseClick(s.grid().viewport(), Qt::LeftButton, Qt::NoModifier, one);
        QTest::mouseClick(s.grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, two);
        QCOMPARE(s.app->Workspace().selectedChannels(), (std::vector<int>{1, 2}));
        QCOMPARE(s.grid().item(2, 3)->background(), s.grid().palette().highlight());
        QTest::keyClick(s.focus(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')) == 3); // the header and two rows
        s.click(10, 0);
        QTest::mouseClick(s.grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                          s.grid().visualRect(s.grid().model()->index(10, 0)).center());
        QTest::keyClick(s.focus(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s.cell(11, 1), s.cell(2, 1));
        QCOMPARE(s.unexpected, 0); // empty channels take rows without a question
        QVERIFY(s.frame().Action(ids::strings::ID_EDIT_UNDO)->isEnabled());
        QTest::keyClick(s.focus(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.cell(11, 1), QString());
        QVERIFY(s.frame().Action(ids::strings::ID_EDIT_REDO)->isEnabled());
        // In the open text box the keys are the box's own, and what its undo
        // leaves is what the table takes.
        s.click(12, 1);
        s.type(QStringLiteral("446"));
        QTest::keyClick(s.focus(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.open(), s.textBox());
        const QString undone = s.textBox()->text();
        QVERIFY(undone != QStringLiteral("446"));
        QTest::keyClick(s.focus(), Qt::Key_Return); // what the box shows is what goes in
        QCOMPARE(s.cell(12, 1), undone);
    }

    void theDialogCancelsBeforeStart_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void theDialogCancelsBeforeStart() {
        QFETCH(QString, how);
        Session s(m_file);
        s.frame().Action(varnok::app::strings::ID_RADIO_WRITE)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&s.dlg()));
        if (how == QLatin1String("button"))
            QTest::mouseClick(s.dlg().CancelButton(), Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(s.focus(), Qt::Key_Escape);
        else
            s.dlg().close();
        QVERIFY(!s.dlg().isVisible());
        QTest::qWait(20);
        QCOMPARE(s.opened, 0);
        QCOMPARE(s.unexpected, 0);
    }

    void theWindowGoesWithItsProgressDialogOpen() {
        // The dialog is the form's child and holds the keyboard: its going
        // moves the focus while the form is half destroyed.
        auto s = std::make_unique<Session>(m_file);
        s->frame().Action(varnok::app::strings::ID_RADIO_READ)->trigger();
        QVERIFY(QTest::qWaitForWindowActive(&s->dlg()));
        QTRY_COMPARE(s->focus(), s->dlg().StartButton());
        s.reset();
        QCOMPARE(QApplication::focusWidget(), nullptr);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void theReportIsSavedAsPdf() {
        Session s(m_file);
        const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
        s.app->m_prompts.pdfFileName = [&](QWidget*, const QString&) { return pdf; };
        s.frame().ExportPdfAction()->trigger();
        QFile out(pdf);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.read(5), QByteArray("%PDF-"));
        QCOMPARE(s.unexpected, 0);
    }

    void aDroppedChannelFileOpens() {
        Session s;
        const QPoint at(s.frame().width() / 2, s.frame().height() / 2);
        QMimeData text;
        text.setUrls({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("notes.txt")))});
        QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.frame(), &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(m_file)});
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.frame(), &drop);
        QTRY_COMPARE(s.cell(1, 1), QStringLiteral("462.62500"));
        // Opened by name, a missing file is told as not opened.
        s.answers.push_back(byKey(Qt::Key_Return));
        QVERIFY(!s.app->OpenDocumentFile(m_dir.filePath(QStringLiteral("missing.sin"))));
        QCOMPARE(s.asked.size(), 1);
    }

    void theToolbarButtonsTipTheShortHalfOfTheirPrompts() {
        Session s;
        int tipped = 0;
        for (const ids::strings::CommandText& command : ids::strings::kMenuCommands) {
            QAction* action = command.text ? s.frame().Action(command.id) : nullptr;
            if (!action || !s.frame().ToolBar()->actions().contains(action))
                continue;
            const QStringList halves = qtr(command.prompt).split(QLatin1Char('\n'));
            QCOMPARE(action->statusTip(), halves.constFirst());
            QCOMPARE(action->toolTip(), halves.constLast());
            ++tipped;
        }
        QCOMPARE(tipped, 7);
    }

    void thePortItemsShowTheKeysThatChooseThem() {
        Session s;
        int ports = 0;
        for (QAction* item : s.frame().PortMenu()->actions()) {
            if (item->shortcut().isEmpty())
                continue;
            ++ports;
            QCOMPARE(item->text().section(QLatin1Char('\t'), 1), item->shortcut().toString());
            QTest::keyClick(&s.frame(), item->shortcut()[0].key(), item->shortcut()[0].keyboardModifiers());
            QVERIFY(item->isChecked());
        }
        QCOMPARE(ports, 4);
    }

    /// Every word a user meets: the caption, each menu and item with its
    /// tips, the form's labels, boxes and cells, the status bar, the
    /// progress window, the About box, a question's buttons, Qt's own.
    static QStringList shownWords(Session& s) {
        QStringList words{s.frame().windowTitle(), QCoreApplication::translate("QPlatformTheme", "Cancel")};
        std::function<void(QMenu*)> menu = [&](QMenu* m) {
            words << m->title();
            for (QAction* item : m->actions()) {
                words << item->text() << item->toolTip() << item->statusTip();
                if (item->menu())
                    menu(item->menu());
            }
        };
        for (QAction* title : s.frame().menuBar()->actions())
            menu(title->menu());
        CAboutDlg about(&s.frame());
        for (QWidget* top : std::initializer_list<QWidget*>{&s.frame(), &s.dlg(), &about}) {
            words << top->windowTitle();
            for (auto* label : top->findChildren<QLabel*>())
                words << label->text();
            for (auto* button : top->findChildren<QAbstractButton*>())
                words << button->text();
            for (auto* group : top->findChildren<QGroupBox*>())
                words << group->title();
            for (auto* combo : top->findChildren<QComboBox*>())
                for (int i = 0; i < combo->count(); ++i)
                    words << combo->itemText(i) << combo->accessibleName();
        }
        for (int row = 0; row < kTableRows; ++row)
            for (int col = 0; col < column::kCount; ++col)
                words << s.cell(row, col);
        // A question, answered by reading its buttons and cancelling.
        s.answers.push_back([&words](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons())
                words << button->text();
            box.reject();
        });
        s.app->OnFileNew();
        return words;
    }

    /// The translation built into the program has every text's English words.
    void everyTextHasItsEnglishInQtsTranslation() {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/i18n/varnok_en.qm")));
        for (const varnok::text::Text& words : varnok::text::kAllTexts)
            QCOMPARE(english.translate("varnok", words.zh, words.name), QString::fromUtf8(words.en));
    }

    void theLanguageSwitchesAtOnceAndBack() {
        Session s(m_file);
        s.view().Combo(Setting::Squelch)->setCurrentIndex(3);
        emit s.view().Combo(Setting::Squelch)->activated(3); // a change, so that New asks
        const QStringList chinese = shownWords(s);
        QVERIFY(chinese.contains(QStringLiteral("宽带")));
        QVERIFY(chinese.contains(QStringLiteral("不保存(&N)")));

        s.frame().Action(ids::strings::ID_VIEW_LANGUAGE_ENGLISH)->trigger();
        const QStringList english = shownWords(s);
        for (const QString& words : english)
            for (QChar ch : words)
                QVERIFY2(!(ch.unicode() >= 0x3000 && ch.unicode() <= 0x9FFF) &&
                             !(ch.unicode() >= 0xFF00 && ch.unicode() <= 0xFFEF),
                         qPrintable(words));
        QVERIFY(english.contains(QStringLiteral("Wide")));
        QVERIFY(english.contains(QStringLiteral("Do&n't Save")));
        const QSettings kept(QString::fromUtf8(ids::strings::kSettingsOrganisation),
                             QString::fromUtf8(ids::strings::kSettingsApplication));
        QCOMPARE(kept.value(QString::fromUtf8(ids::strings::kLanguageKey)).toString(), QStringLiteral("en"));

        s.frame().Action(ids::strings::ID_VIEW_LANGUAGE_CHINESE)->trigger();
        const QStringList back = shownWords(s);
        QCOMPARE(back, chinese);
        QCOMPARE(s.unexpected, 0);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"

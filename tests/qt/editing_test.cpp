// Editing the channel table with the mouse and keyboard, for what only the
// widgets can get wrong: which editor widget opens over which cell, where
// the keyboard goes, which window a key reaches, and the messages' boxes.
// The rules themselves are the table editor's and are tested without Qt.
#include "app_harness.h"

#include "app/form_template.h"
#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

using namespace apptest;
using varnok::Setting;
namespace ids = varnok::app;

namespace {

struct Shown {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

/// A program run on a configured radio's file (channel 1: 460.12500 both
/// ways, band 400 - 470MHZ) with its window active and every message noted
/// and answered OK, driven by mouse and keyboard.
class Session {
public:
    explicit Session(const QString& file) : run(file) {
        CProgramApp& app = *run.app;
        app.m_prompts.message = [this](QWidget*, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons, QMessageBox::StandardButton) {
            shown.push_back({icon, QStringLiteral("Varnok写频软件"), text});
            return QMessageBox::Ok;
        };
        app.m_prompts.captionedMessage = [this](QWidget*, QMessageBox::Icon icon, const QString& caption,
                                                const QString& text) {
            shown.push_back({icon, caption, text});
            return QMessageBox::Ok;
        };
        if (!activate(app.GetMainFrame()))
            qFatal("the main window does not become active");
    }

    CMSFlexGrid& grid() const { return run.grid(); }
    QLineEdit* textBox() const { return grid().CellHost()->findChild<QLineEdit*>(QStringLiteral("edit61446")); }
    QComboBox* box(int id) const { return grid().CellHost()->findChild<QComboBox*>(QStringLiteral("combo%1").arg(id)); }
    /// The editors over the grid that are open.
    QList<QWidget*> open() const {
        QList<QWidget*> visible;
        for (QWidget* w : grid().CellHost()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                visible << w;
        return visible;
    }
    static QWidget* focus() { return QApplication::focusWidget(); }

    void click(int row, int col, Qt::MouseButton button = Qt::LeftButton) const {
        QTest::mouseClick(grid().viewport(), button, Qt::NoModifier, cellRect(row, col).center());
    }
    /// Each key goes where the keyboard is when it is typed, as a user's.
    void type(const QString& keys) const {
        for (QChar ch : keys)
            QTest::keyClick(focus(), ch.toLatin1());
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(focus(), key, modifiers);
    }
    /// A control key as a real keyboard sends it, with its control character.
    void controlKey(Qt::Key key, char16_t ch) const {
        QTest::sendKeyEvent(QTest::Click, focus(), key, QString(QChar(ch)), Qt::ControlModifier);
    }
    void enter() const { key(Qt::Key_Return); }

    QRect cellRect(int row, int col) const { return grid().visualRect(grid().model()->index(row, col)); }
    /// Where an editor of the cell stands: as wide and high as its column
    /// and row, 3 pixels up and left.
    QRect over(int row, int col) const {
        return QRect(grid().columnViewportPosition(col) - 3, grid().rowViewportPosition(row) - 3,
                     grid().columnWidth(col), grid().rowHeight(row));
    }
    QPoint current() const { return QPoint(int(grid().GetCol()), int(grid().GetRow())); }
    QString cell(int row, int col) const { return grid().GetTextMatrix(row, col); }
    QStringList takeTexts() {
        QStringList texts;
        for (const Shown& s : std::exchange(shown, {}))
            texts << s.text;
        return texts;
    }

    Run run;
    QList<Shown> shown;
};

} // namespace

class EditingTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        isolateSettings(m_dir.filePath(QStringLiteral("settings")));
    }
    void init() {
        clearSettings();
        m_file = writeFixture(m_dir.filePath(QStringLiteral("configured.sin")), configuredBytes());
    }

    void theEnterWalkOpensEachEditorOverItsCellWithTheKeyboard() {
        Session s(m_file);
        s.click(4, 1);
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.textBox()->geometry(), s.over(4, 1));
        s.type("460");
        const QList<QWidget*> editors = {
            s.textBox(),
            s.box(ids::kToneBoxId),
            s.box(ids::kToneBoxId),
            s.box(ids::kBusyLockBoxId),
            s.box(ids::kBandwidthBoxId),
            s.box(ids::kScanListBoxId),
            s.box(ids::kPowerBoxId),
            s.textBox(),
        };
        for (int step = 0; step < editors.size(); ++step) {
            if (s.focus() == s.box(ids::kBandwidthBoxId))
                s.key(Qt::Key_Down); // 窄带
            s.enter();
            const QPoint cell = step + 2 <= 8 ? QPoint(step + 2, 4) : QPoint(1, 5);
            QCOMPARE(s.current(), cell);
            QCOMPARE(s.focus(), editors.at(step));
            QCOMPARE(s.open(), QList<QWidget*>({editors.at(step)}));
            QCOMPARE(editors.at(step)->geometry().topLeft(), s.over(cell.y(), cell.x()).topLeft());
        }
        const QStringList channel = {"460.00000", "460.00000", "无", "无", "否", "窄带", "添加", "高"};
        for (int col = 1; col <= 8; ++col)
            QCOMPARE(s.cell(4, col), channel.at(col - 1));

        // A dropped list takes the highlighted entry with the same Enter.
        s.click(4, 7);
        QComboBox* scan = s.box(ids::kScanListBoxId);
        scan->showPopup();
        QTRY_VERIFY(scan->view()->isVisible());
        QTest::keyClick(scan->view(), Qt::Key_Down);
        QTest::keyClick(scan->view(), Qt::Key_Return);
        QCOMPARE(s.cell(4, 7), QStringLiteral("删除"));
        QCOMPARE(s.current(), QPoint(8, 4));
        QVERIFY(!scan->view()->isVisible());

        // Enter in the last channel's list hands the keyboard to the next
        // control of the form.
        s.click(16, 5);
        s.enter();
        QCOMPARE(s.focus(), &s.run.combo(Setting::RejectAlarm));
        QVERIFY(s.open().isEmpty());
        QVERIFY(s.shown.isEmpty());
    }

    void keysTheEditorsDoNotUseChangeNothingAndTheGridKeepsTheKeyboard() {
        Session s(m_file);
        s.click(1, 2);
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.textBox()->text(), QStringLiteral("460.12500"));
        // Typed on the grid, control keys open no editor either.
        s.click(1, 3, Qt::RightButton);
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QVERIFY(s.open().isEmpty());
        QCOMPARE(s.cell(1, 2), QStringLiteral("460.12500"));

        // An arrow key moves the current cell and commits; the keyboard
        // stays with the grid, never with a settings box.
        const int band = s.run.combo(Setting::Band).currentIndex();
        s.click(5, 1);
        s.type("440");
        s.key(Qt::Key_Down);
        QCOMPARE(s.current(), QPoint(1, 6));
        QCOMPARE(s.focus(), &s.grid());
        QCOMPARE(s.cell(5, 2), QStringLiteral("440.00000"));
        s.type("4");
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.run.combo(Setting::Band).currentIndex(), band);
        s.key(Qt::Key_Backspace);

        // So after Ctrl+S: what is typed next is a cell entry, and its
        // message comes in its own box.
        s.click(6, 1);
        s.type("441");
        QTest::keyClick(s.run.app->GetMainFrame(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(s.focus(), &s.grid());
        QCOMPARE(readImage(m_file)->at(6 * 16 + 3), std::uint8_t(0x44)); // 441 MHz saved
        s.type("180");
        s.enter();
        QCOMPARE(s.shown.size(), 1);
        QCOMPARE(s.shown.at(0).text, QStringLiteral("Out of range!"));
        QCOMPARE(s.shown.at(0).caption, QStringLiteral("Prompt"));
        QCOMPARE(s.shown.at(0).icon, QMessageBox::Information);
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.textBox()->text(), QString());
    }

    void typedTextReachesTheEditorsAndNeverTheClipboard() {
        Session s(m_file);
        QApplication::clipboard()->setText(QStringLiteral("copied channel list"));
        // The tone box opens with its entry selected: typing replaces it.
        s.click(1, 3);
        s.type("67.0");
        s.enter();
        QCOMPARE(s.cell(1, 3), QStringLiteral("67.0"));
        // A key typed on the grid opens the editor with that key alone.
        s.click(1, 3, Qt::RightButton);
        QTest::keyClick(&s.grid(), 'd');
        QCOMPARE(s.box(ids::kToneBoxId)->currentText(), QStringLiteral("d"));
        QCOMPARE(s.box(ids::kToneBoxId)->lineEdit()->cursorPosition(), 1);
        s.click(1, 1, Qt::RightButton);
        QTest::keyClick(&s.grid(), '7');
        QCOMPARE(s.textBox()->text(), QStringLiteral("7"));
        QVERIFY(!s.textBox()->hasSelectedText());
        s.key(Qt::Key_Backspace);
        s.key(Qt::Key_Escape);

        // Text from an input method opens the editors as keys do.
        s.click(2, 2, Qt::RightButton);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("14"));
        QApplication::sendEvent(&s.grid(), &composed);
        QCOMPARE(s.textBox()->text(), QStringLiteral("14"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied channel list"));
    }

    void aModelChosenByKeyboardClosesTheTextBoxUntaken() {
        Session s(m_file);
        s.click(1, 1);
        s.type("150");
        chooseByKeyboard(s.run.combo(Setting::Model), 1);
        QVERIFY(s.open().isEmpty());
        QCOMPARE(s.cell(1, 1), QStringLiteral("460.12500"));
        QCOMPARE(s.run.combo(Setting::Band).currentIndex(), 0);
        QVERIFY(s.run.app->GetDocument()->IsModified());
        QVERIFY(s.shown.isEmpty());
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"

// Editing the channel table in place as a dealer does it: clicks and keys
// on the grid, the Enter walk through a channel, the entry checks with
// their messages, and what every commit leaves in the cells.
#include "app_harness.h"

#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/flex_grid.h"
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

namespace {

const QString kTitle = QStringLiteral("Varnok写频软件");
const QString kPleaseInputNumber = QStringLiteral("Please input Number");
const QString kOutOfRange = QStringLiteral("Out of range!");
const QString kDataFormat = QStringLiteral("Error Data Format，Please input again");
const QString kStepValue = QStringLiteral("Error data Value，Please input according the step value(6.25K/5k)");

/// A channel as a radio gives it, for the cases that start from one.
const QStringList kFullChannel = {"145.00000", "145.00000", "88.5", "D023N", "是", "窄带", "删除", "低"};
/// A first frequency's channel: the typed value and the row defaults.
QStringList firstFrequencyRow(const QString& rx, const QString& tx) {
    return {rx, tx, "无", "无", "否", "宽带", "添加", "高"};
}

struct Shown {
    QWidget* parent;
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

/// A program run with its window active and every message noted and
/// answered OK, driven by mouse and keyboard.
class Session {
public:
    Session() {
        CProgramApp& app = *run.app;
        app.m_prompts.message = [this](QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons, QMessageBox::StandardButton) {
            shown.push_back({parent, icon, kTitle, text});
            return QMessageBox::Ok;
        };
        app.m_prompts.captionedMessage = [this](QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                                const QString& text) {
            shown.push_back({parent, icon, caption, text});
            return QMessageBox::Ok;
        };
        if (!activate(app.GetMainFrame()))
            qFatal("the main window does not become active");
    }

    CMSFlexGrid& grid() const { return run.grid(); }
    CProgramView* view() const { return run.app->GetView(); }
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
        QTest::mouseClick(grid().viewport(), button, Qt::NoModifier, centreOf(row, col));
    }
    /// Each key goes where the keyboard is when it is typed, as a user's.
    void type(const QString& keys) const {
        for (QChar ch : keys)
            QTest::keyClick(focus(), ch.toLatin1());
    }
    /// A control key as a real keyboard sends it, with its control character.
    void controlKey(Qt::Key key, char16_t ch) const {
        QTest::sendKeyEvent(QTest::Click, focus(), key, QString(QChar(ch)), Qt::ControlModifier);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(focus(), key, modifiers);
    }
    void enter() const { key(Qt::Key_Return); }

    QPoint centreOf(int row, int col) const { return cellRect(row, col).center(); }
    QRect cellRect(int row, int col) const { return grid().visualRect(grid().model()->index(row, col)); }
    /// Where an editor of the cell stands: as wide and high as its column
    /// and row, 3 pixels up and left.
    QRect over(int row, int col) const {
        return QRect(grid().columnViewportPosition(col) - 3, grid().rowViewportPosition(row) - 3,
                     grid().columnWidth(col), grid().rowHeight(row));
    }
    QPoint current() const { return QPoint(int(grid().GetCol()), int(grid().GetRow())); }

    QStringList row(int r) const {
        QStringList cells;
        for (int c = 1; c <= 8; ++c)
            cells << grid().GetTextMatrix(r, c);
        return cells;
    }
    void setRow(int r, const QStringList& cells) const {
        for (int c = 1; c <= 8; ++c)
            grid().SetTextMatrix(r, c, cells.at(c - 1));
    }
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

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        isolateSettings(m_dir.filePath(QStringLiteral("settings")));
    }
    void init() { clearSettings(); }

    void aFirstFrequencyBringsTheRowDefaults() {
        Session s;
        s.click(1, 1);
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.textBox()->geometry(), s.over(1, 1));
        s.type("145");
        s.enter();
        QCOMPARE(s.row(1), firstFrequencyRow("145.00000", "145.00000"));
        // On to the transmit frequency, which shows the copy, all selected.
        QCOMPARE(s.current(), QPoint(2, 1));
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.textBox()->geometry(), s.over(1, 2));
        QCOMPARE(s.textBox()->text(), QStringLiteral("145.00000"));
        QCOMPARE(s.textBox()->selectedText(), QStringLiteral("145.00000"));

        // A first transmit frequency is not copied back to receive.
        s.click(2, 2);
        s.type("146.0125");
        s.enter();
        QCOMPARE(s.row(2), firstFrequencyRow("", "146.01250"));
        QCOMPARE(s.current(), QPoint(3, 2));
        QCOMPARE(s.open(), QList<QWidget*>({s.box(CProgramView::kToneBoxId)}));
        QCOMPARE(s.box(CProgramView::kToneBoxId)->geometry(), s.over(2, 3));
        QCOMPARE(s.box(CProgramView::kToneBoxId)->currentText(), QStringLiteral("无"));
        QVERIFY(s.shown.isEmpty());
    }

    void emptiedFrequenciesTakeTheirTonesAndThenTheRow() {
        Session s;
        s.setRow(3, kFullChannel);
        s.click(3, 1);
        s.key(Qt::Key_Delete);
        s.enter();
        QCOMPARE(s.row(3), QStringList({"", "145.00000", "", "D023N", "是", "窄带", "删除", "低"}));
        // The last frequency goes, taken by a click elsewhere: a blank row.
        s.click(3, 2);
        s.key(Qt::Key_Delete);
        s.click(5, 5);
        QCOMPARE(s.row(3), QStringList(8, QString()));
        QVERIFY(s.shown.isEmpty());
    }

    void enterWalksAChannelIntoTheNext() {
        Session s;
        s.click(5, 1);
        s.type("145");
        const QList<QPoint> cells = {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}, {1, 6}};
        const QList<QWidget*> editors = {
            s.textBox(),
            s.box(CProgramView::kToneBoxId),
            s.box(CProgramView::kToneBoxId),
            s.box(CProgramView::kBusyLockBoxId),
            s.box(CProgramView::kBandwidthBoxId),
            s.box(CProgramView::kScanListBoxId),
            s.box(CProgramView::kPowerBoxId),
            s.textBox(),
        };
        for (int step = 0; step < cells.size(); ++step) {
            if (s.focus() == s.box(CProgramView::kBandwidthBoxId))
                s.key(Qt::Key_Down); // 窄带
            s.enter();
            QCOMPARE(s.current(), cells.at(step));
            QCOMPARE(s.focus(), editors.at(step));
            QVERIFY(editors.at(step)->isVisible());
        }
        QCOMPARE(s.row(5), QStringList({"145.00000", "145.00000", "无", "无", "否", "窄带", "添加", "高"}));
        QCOMPARE(s.textBox()->text(), QString());

        // A dropped list takes the highlighted entry with the same Enter.
        s.click(5, 7);
        QComboBox* scan = s.box(CProgramView::kScanListBoxId);
        scan->showPopup();
        QTRY_VERIFY(scan->view()->isVisible());
        QTest::keyClick(scan->view(), Qt::Key_Down);
        QTest::keyClick(scan->view(), Qt::Key_Return);
        QCOMPARE(s.grid().GetTextMatrix(5, 7), QStringLiteral("删除"));
        QCOMPARE(s.current(), QPoint(8, 5));
        QVERIFY(!scan->view()->isVisible());
        QVERIFY(s.shown.isEmpty());
    }

    void enterInTheLastChannelOrOnTheGridMovesTheFocus() {
        Session s;
        QWidget* afterGrid = &s.run.combo(Setting::RejectAlarm);
        s.setRow(16, kFullChannel);
        s.click(16, 5);
        s.key(Qt::Key_Down); // 否
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(16, 5), QStringLiteral("否"));
        QCOMPARE(s.focus(), afterGrid);
        QCOMPARE(s.current(), QPoint(5, 16));
        QVERIFY(s.open().isEmpty());
        s.click(16, 8);
        s.key(Qt::Key_Up); // 中
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(16, 8), QStringLiteral("中"));
        QCOMPARE(s.focus(), afterGrid);
        QCOMPARE(s.current(), QPoint(8, 16));

        // The grid itself: one column to the right, out of the bandwidth.
        s.click(4, 3, Qt::RightButton);
        s.enter();
        QCOMPARE(s.current(), QPoint(4, 4));
        QCOMPARE(s.focus(), &s.grid());
        QVERIFY(s.open().isEmpty());
        s.click(4, 6, Qt::RightButton);
        s.enter();
        QCOMPARE(s.current(), QPoint(6, 4));
        QCOMPARE(s.focus(), afterGrid);

        // Any other control of the form: the next one.
        s.run.combo(Setting::Model).setFocus();
        s.enter();
        QCOMPARE(s.focus(), &s.run.combo(Setting::TxTimeLimit));
        QVERIFY(s.shown.isEmpty());
    }

    void theBandwidthKeyTheRightButtonAndFixedCellsOpenNothing() {
        Session s;
        s.setRow(2, kFullChannel);
        s.click(2, 6, Qt::RightButton);
        QCOMPARE(s.current(), QPoint(6, 2));
        QTest::keyClick(&s.grid(), Qt::Key_1);
        QTest::keyClick(&s.grid(), Qt::Key_X);
        s.click(2, 3, Qt::RightButton);
        QTest::mouseDClick(s.grid().viewport(), Qt::RightButton, Qt::NoModifier, s.centreOf(2, 3));
        s.click(0, 4);
        s.click(9, 0);
        QCOMPARE(s.current(), QPoint(3, 2));
        QVERIFY(s.open().isEmpty());
        QCOMPARE(s.grid().GetTextMatrix(2, 6), QStringLiteral("窄带"));
        s.click(2, 3);
        QCOMPARE(s.open(), QList<QWidget*>({s.box(CProgramView::kToneBoxId)}));
        QCOMPARE(s.box(CProgramView::kToneBoxId)->currentText(), QStringLiteral("88.5"));
    }

    void aTypedKeyStartsTheEditorAndLeavesTheClipboardAlone() {
        Session s;
        QApplication::clipboard()->setText(QStringLiteral("copied channel list"));
        s.setRow(2, kFullChannel);
        s.setRow(3, kFullChannel);

        // A full stop on an empty frequency: the warning, then an empty box.
        s.click(1, 1, Qt::RightButton);
        QTest::keyClick(&s.grid(), '.');
        QCOMPARE(s.shown.size(), 1);
        QCOMPARE(s.shown.at(0).text, kPleaseInputNumber);
        QCOMPARE(s.shown.at(0).caption, kTitle);
        QCOMPARE(s.shown.at(0).icon, QMessageBox::Warning);
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.textBox()->text(), QString());
        s.shown.clear();

        // A digit replaces a frequency; another key does too, after the
        // warning. The caret waits after it.
        const QList<std::pair<char, QStringList>> keys = {{'7', {}}, {'a', {kPleaseInputNumber}}};
        for (const auto& [typed, messages] : keys) {
            s.click(2, 1, Qt::RightButton);
            s.shown.clear();
            QTest::keyClick(&s.grid(), typed);
            QCOMPARE(s.takeTexts(), messages);
            QCOMPARE(s.textBox()->text(), QString(QChar(typed)));
            QCOMPARE(s.textBox()->cursorPosition(), 1);
            QVERIFY(!s.textBox()->hasSelectedText());
            s.click(2, 3, Qt::RightButton); // commits the refused entry: a blank
            s.setRow(2, kFullChannel);
        }
        s.click(4, 2, Qt::RightButton);
        QTest::keyClick(&s.grid(), '4');
        QCOMPARE(s.textBox()->text(), QStringLiteral("4"));
        QCOMPARE(s.textBox()->cursorPosition(), 1);
        QVERIFY(!s.textBox()->hasSelectedText());

        // The tone box takes the character alone; a list keeps its entry.
        s.click(3, 3, Qt::RightButton);
        QTest::keyClick(&s.grid(), 'd');
        QCOMPARE(s.box(CProgramView::kToneBoxId)->currentText(), QStringLiteral("d"));
        QCOMPARE(s.box(CProgramView::kToneBoxId)->lineEdit()->cursorPosition(), 1);
        s.click(3, 5, Qt::RightButton);
        QTest::keyClick(&s.grid(), '1');
        QCOMPARE(s.open(), QList<QWidget*>({s.box(CProgramView::kBusyLockBoxId)}));
        QCOMPARE(s.box(CProgramView::kBusyLockBoxId)->currentText(), QStringLiteral("是"));

        // Text from an input method opens the editors as keys do.
        const auto compose = [&](const QString& text) {
            QInputMethodEvent composed;
            composed.setCommitString(text);
            QApplication::sendEvent(&s.grid(), &composed);
        };
        s.click(3, 4, Qt::RightButton);
        compose(QStringLiteral("无"));
        QCOMPARE(s.current(), QPoint(4, 3));
        QCOMPARE(s.open(), QList<QWidget*>({s.box(CProgramView::kToneBoxId)}));
        QCOMPARE(s.box(CProgramView::kToneBoxId)->currentText(), QStringLiteral("无"));
        s.click(5, 1, Qt::RightButton);
        compose(QStringLiteral("14"));
        QCOMPARE(s.textBox()->text(), QStringLiteral("14"));

        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied channel list"));
    }

    void theChecksShowTheirMessagesInOrder() {
        Session s;
        s.setRow(1, kFullChannel);
        // Leaving: out of the band and off the step grid, both said.
        s.click(2, 1);
        s.type("180.001");
        s.click(4, 4);
        QCOMPARE(s.takeTexts(), QStringList({kOutOfRange, kStepValue}));
        QCOMPARE(s.row(2), QStringList(8, QString()));

        // Enter: only the range, and the emptied box waits over the cell,
        // which keeps its frequency.
        s.click(1, 1);
        s.type("180.001");
        s.enter();
        QCOMPARE(s.shown.size(), 1);
        QCOMPARE(s.shown.at(0).text, kOutOfRange);
        QCOMPARE(s.shown.at(0).caption, QStringLiteral("Prompt"));
        QCOMPARE(s.shown.at(0).icon, QMessageBox::Information);
        QCOMPARE(s.shown.at(0).parent, static_cast<QWidget*>(s.view()));
        s.shown.clear();
        QCOMPARE(s.current(), QPoint(1, 1));
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.textBox()->geometry(), s.over(1, 1));
        QCOMPARE(s.textBox()->text(), QString());
        QCOMPARE(s.grid().GetTextMatrix(1, 1), QStringLiteral("145.00000"));
        // A click elsewhere takes the empty box in: the frequency and its
        // tone are gone, and nothing more is said.
        s.click(6, 4);
        QCOMPARE(s.row(1), QStringList({"", "145.00000", "", "D023N", "是", "窄带", "删除", "低"}));
        QVERIFY(s.shown.isEmpty());

        // Off the step grid on Enter: the box stays as for the range.
        s.click(1, 1);
        s.type("145.0025");
        s.enter();
        QCOMPARE(s.takeTexts(), QStringList({kStepValue}));
        QCOMPARE(s.current(), QPoint(1, 1));
        QVERIFY(s.textBox()->isVisible());
        // Not a frequency at all: counted as empty, and Enter moves on.
        s.type("abc");
        s.enter();
        QCOMPARE(s.shown.size(), 1);
        QCOMPARE(s.shown.at(0).text, kDataFormat);
        QCOMPARE(s.shown.at(0).caption, kTitle);
        QCOMPARE(s.shown.at(0).icon, QMessageBox::Warning);
        QCOMPARE(s.current(), QPoint(2, 1));
        QCOMPARE(s.grid().GetTextMatrix(1, 1), QString());
    }

    void listValuesNeedAFrequencyInTheRow() {
        Session s;
        s.grid().SetTextMatrix(7, 5, QStringLiteral("否"));
        s.click(7, 5);
        s.key(Qt::Key_Up); // 是
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(7, 5), QStringLiteral("否"));
        QCOMPARE(s.current(), QPoint(6, 7));
        s.click(7, 7);
        s.key(Qt::Key_Down); // 删除
        s.click(9, 1);
        QCOMPARE(s.grid().GetTextMatrix(7, 7), QString());

        s.setRow(8, kFullChannel);
        s.click(8, 7);
        s.key(Qt::Key_Up); // 添加
        s.click(9, 1);
        QCOMPARE(s.grid().GetTextMatrix(8, 7), QStringLiteral("添加"));
    }

    void aModelChangeClosesTheFrequencyToneAndBusyLockBoxesUntaken() {
        Session s;
        s.setRow(1, kFullChannel);
        s.click(1, 6);
        chooseByKeyboard(s.run.combo(Setting::Model), 1);
        QCOMPARE(s.open(), QList<QWidget*>({s.box(CProgramView::kBandwidthBoxId)}));
        QCOMPARE(s.box(CProgramView::kBandwidthBoxId)->geometry(), s.over(1, 6));

        const QList<std::pair<int, QString>> untaken = {{1, "150"}, {3, "67.0"}};
        for (const auto& [col, typed] : untaken) {
            s.click(1, col);
            s.type(typed);
            chooseByKeyboard(s.run.combo(Setting::Model), col == 1 ? 2 : 0);
            QVERIFY(s.open().isEmpty());
        }
        s.click(1, 5);
        s.key(Qt::Key_Down); // 否
        chooseByKeyboard(s.run.combo(Setting::Model), 1);
        QVERIFY(s.open().isEmpty());
        QCOMPARE(s.row(1), kFullChannel);
        QVERIFY(s.shown.isEmpty());
    }

    void theToneBoxWritesTableNamesOrOff() {
        Session s;
        s.setRow(1, kFullChannel);
        QComboBox* tone = s.box(CProgramView::kToneBoxId);
        const QList<std::pair<QString, QString>> cases = {
            {"67.0", "67.0"}, {"67", "OFF"}, {"d023n", "D023N"}, {"", "OFF"}, {"d754I", "D754I"}};
        for (const auto& [typed, written] : cases) {
            for (bool byEnter : {true, false}) {
                // The box opens with its entry selected: typing replaces it.
                s.click(1, 3);
                if (typed.isEmpty())
                    s.key(Qt::Key_Delete);
                s.type(typed);
                if (byEnter)
                    s.enter();
                else
                    s.click(9, 2);
                QCOMPARE(s.grid().GetTextMatrix(1, 3), written);
                QCOMPARE(s.current(), byEnter ? QPoint(4, 1) : QPoint(2, 9));
            }
        }
        // "无" comes from an input method, not from keys.
        s.click(1, 4);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("无"));
        QApplication::sendEvent(s.focus(), &composed);
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(1, 4), QStringLiteral("无"));

        // Entering a tone cell finds its entry by the start of the text,
        // in any letter case, else the first entry.
        s.grid().SetTextMatrix(2, 3, QStringLiteral("d754i"));
        s.grid().SetTextMatrix(2, 4, QStringLiteral("OFF"));
        s.click(2, 3);
        QCOMPARE(tone->currentText(), QStringLiteral("D754I"));
        s.click(2, 4);
        QCOMPARE(tone->currentText(), QStringLiteral("无"));

        // No frequency, no tone; the next cell shows its own entry, not
        // what was typed into the last.
        s.click(6, 3);
        s.type("67.0");
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(6, 3), QString());
        QCOMPARE(tone->currentText(), QStringLiteral("无"));
        QVERIFY(s.shown.isEmpty());
    }

    void keysTheEditorsDoNotUseChangeNothingAndTheGridKeepsTheKeyboard() {
        Session s;
        s.setRow(1, kFullChannel);
        s.click(1, 2);
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QCOMPARE(s.open(), QList<QWidget*>({s.textBox()}));
        QCOMPARE(s.textBox()->text(), QStringLiteral("145.00000"));
        // Typed on the grid, control keys open no editor either.
        s.click(1, 3, Qt::RightButton);
        s.key(Qt::Key_Escape);
        s.controlKey(Qt::Key_G, 7);
        QVERIFY(s.open().isEmpty());
        QCOMPARE(s.row(1), kFullChannel);

        // An arrow key moves the current cell and commits; the keyboard
        // stays with the grid, never with a settings box.
        const int band = s.run.combo(Setting::Band).currentIndex();
        s.click(2, 1);
        s.type("146");
        s.key(Qt::Key_Down);
        QCOMPARE(s.current(), QPoint(1, 3));
        QCOMPARE(s.focus(), &s.grid());
        QCOMPARE(s.row(2), firstFrequencyRow("146.00000", "146.00000"));
        s.type("4");
        QCOMPARE(s.focus(), s.textBox());
        QCOMPARE(s.run.combo(Setting::Band).currentIndex(), band);
        s.key(Qt::Key_Backspace);

        // Enter into a tone cell selects its entry, so typing replaces it.
        s.click(2, 2);
        s.enter();
        s.type("88.5");
        s.enter();
        QCOMPARE(s.grid().GetTextMatrix(2, 3), QStringLiteral("88.5"));
        QVERIFY(s.shown.isEmpty());
    }

    void anOpenedDocumentShowsItsOwnValueInTheCurrentCell() {
        Session s;
        const QString path = m_dir.filePath(QStringLiteral("configured.sin"));
        QVERIFY(writeImage(path, configuredBytes()));
        s.setRow(1, kFullChannel);
        s.click(1, 5);
        s.run.app->GetDocument()->SetModifiedBaseline();
        QVERIFY(s.run.app->OpenDocumentFile(path));
        QCOMPARE(s.grid().GetTextMatrix(1, 5), QStringLiteral("否"));
        s.click(1, 5);
        QCOMPARE(s.box(CProgramView::kBusyLockBoxId)->currentText(), QStringLiteral("否"));
        s.click(2, 1);
        QCOMPARE(s.grid().GetTextMatrix(1, 5), QStringLiteral("否"));
    }

    void saveTakesTheOpenEditFirst() {
        Session s;
        const QString path = m_dir.filePath(QStringLiteral("typed.sin"));
        s.click(1, 1);
        s.type("146.5");
        s.run.prompts.chooseSave(path);
        QTest::keyClick(s.run.app->GetMainFrame(), Qt::Key_S, Qt::ControlModifier);
        const std::optional<Bytes> saved = readImage(path);
        QVERIFY(saved);
        // 146.5 MHz in 10 Hz units, BCD, low byte first, both ways.
        const QList<int> frequencies(saved->begin() + 16, saved->begin() + 24);
        QCOMPARE(frequencies, QList<int>({0x00, 0x00, 0x65, 0x14, 0x00, 0x00, 0x65, 0x14}));
        QCOMPARE(s.row(1), firstFrequencyRow("146.50000", "146.50000"));
        QVERIFY(s.open().isEmpty());
        QVERIFY(!s.run.app->GetDocument()->IsModified());
        // The grid keeps the keyboard: what is typed next is a cell entry.
        QCOMPARE(s.focus(), &s.grid());
        s.type("180");
        s.enter();
        QCOMPARE(s.takeTexts(), QStringList{kOutOfRange});
    }
};

QTEST_MAIN(EditingTest)
#include "editing_test.moc"

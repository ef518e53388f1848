// The channel grid's contract with the form and its cell editors: the
// current cell and the order of its events, what keys and presses do, and
// sizes in twips.
#include "qt/flex_grid.h"

#include <QSignalSpy>
#include <QTest>

namespace {

/// One event as a handler sees it: which, and the current cell then.
struct Seen {
    QString event;
    long row;
    long col;
    long colSel;
    bool operator==(const Seen& other) const {
        return event == other.event && row == other.row && col == other.col && colSel == other.colSel;
    }
};

char* toString(const Seen& seen) {
    return QTest::toString(
        QStringLiteral("%1(%2,%3 sel %4)").arg(seen.event).arg(seen.row).arg(seen.col).arg(seen.colSel));
}

class Recorder {
public:
    explicit Recorder(CMSFlexGrid& grid) : m_grid(grid) {
        QObject::connect(&grid, &CMSFlexGrid::LeaveCell, [this] { note(QStringLiteral("leave")); });
        QObject::connect(&grid, &CMSFlexGrid::EnterCell, [this] { note(QStringLiteral("enter")); });
        QObject::connect(&grid, &CMSFlexGrid::MouseDown,
                         [this](short, short, int, int) { note(QStringLiteral("down")); });
        QObject::connect(&grid, &CMSFlexGrid::DblClick, [this] { note(QStringLiteral("dblclick")); });
    }
    QList<Seen> take() { return std::exchange(m_seen, {}); }

private:
    void note(const QString& event) { m_seen.push_back({event, m_grid.GetRow(), m_grid.GetCol(), m_grid.GetColSel()}); }

    CMSFlexGrid& m_grid;
    QList<Seen> m_seen;
};

QList<Seen> move(long fromRow, long fromCol, long toRow, long toCol) {
    return {{"leave", fromRow, fromCol, fromCol}, {"enter", toRow, toCol, toCol}};
}

} // namespace

class FlexGridTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMSFlexGrid> m_grid;

    QPoint centreOf(int row, int col) const { return m_grid->visualRect(m_grid->model()->index(row, col)).center(); }

private slots:
    void init() {
        m_grid = std::make_unique<CMSFlexGrid>(17, 9);
        m_grid->resize(620, 300);
        m_grid->show();
        m_grid->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_grid.get()));
        m_grid->setFocus();
    }
    void cleanup() { m_grid.reset(); }

    void startsOnTheFirstDataCell() {
        QCOMPARE(m_grid->GetRow(), 1L);
        QCOMPARE(m_grid->GetCol(), 1L);
    }

    void cellTexts() {
        m_grid->SetTextMatrix(16, 8, QStringLiteral("低"));
        m_grid->SetRow(16);
        m_grid->SetCol(8);
        QCOMPARE(m_grid->GetText(), QStringLiteral("低"));
        m_grid->SetText(QStringLiteral("高"));
        QCOMPARE(m_grid->GetTextMatrix(16, 8), QStringLiteral("高"));
        QVERIFY(m_grid->GetTextMatrix(16, 7).isEmpty());
    }

    void leaveSeesTheOldCellAndEnterTheNew() {
        Recorder recorder(*m_grid);
        m_grid->SetRow(5);
        QCOMPARE(recorder.take(), move(1, 1, 5, 1));
        m_grid->SetCol(6);
        QCOMPARE(recorder.take(), move(5, 1, 5, 6));
        m_grid->SetCol(6); // no change, no events
        m_grid->SetRow(17);
        m_grid->SetCol(-1);
        QCOMPARE(recorder.take(), QList<Seen>());
        QCOMPARE(m_grid->GetRow(), 5L);
        // The program may name a fixed cell; the user cannot (below).
        m_grid->SetRow(0);
        QCOMPARE(recorder.take(), move(5, 6, 0, 6));
    }

    void theKeyboardMovesAmongDataCellsOnly() {
        Recorder recorder(*m_grid);
        QTest::keyClick(m_grid.get(), Qt::Key_Up);
        QTest::keyClick(m_grid.get(), Qt::Key_Left);
        QCOMPARE(recorder.take(), QList<Seen>());
        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QCOMPARE(recorder.take(), move(1, 1, 2, 1));
        QTest::keyClick(m_grid.get(), Qt::Key_End);
        QCOMPARE(m_grid->GetCol(), 8L);
        QTest::keyClick(m_grid.get(), Qt::Key_Home);
        QCOMPARE(m_grid->GetCol(), 1L);
        QTest::keyClick(m_grid.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_grid->GetRow(), 16L);
        QTest::keyClick(m_grid.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(m_grid->GetRow(), 1L);
        QCOMPARE(m_grid->GetCol(), 1L);
        QTest::keyClick(m_grid.get(), Qt::Key_PageUp);
        QCOMPARE(m_grid->GetRow(), 1L);
    }

    void typedKeysAreReportedNotSearched() {
        // A list view would jump to a cell starting with the typed text.
        m_grid->SetTextMatrix(9, 4, QStringLiteral("7"));
        m_grid->SetTextMatrix(3, 2, QStringLiteral("a"));
        QSignalSpy keys(m_grid.get(), &CMSFlexGrid::KeyPress);
        Recorder recorder(*m_grid);
        QTest::keyClick(m_grid.get(), Qt::Key_7);
        QTest::keyClick(m_grid.get(), Qt::Key_A);
        QTest::keyClick(m_grid.get(), Qt::Key_Period);
        QTest::keyClick(m_grid.get(), Qt::Key_Return);
        QTest::keyClick(m_grid.get(), Qt::Key_Down); // navigation is no KeyPress
        QCOMPARE(keys.size(), 4);
        QCOMPARE(keys.at(0).at(0).value<char16_t>(), u'7');
        QCOMPARE(keys.at(1).at(0).value<char16_t>(), u'a');
        QCOMPARE(keys.at(2).at(0).value<char16_t>(), u'.');
        QCOMPARE(keys.at(3).at(0).value<char16_t>(), char16_t(13));
        QCOMPARE(recorder.take(), move(1, 1, 2, 1));
    }

    void aPressMakesItsCellCurrentBeforeMouseDown() {
        Recorder recorder(*m_grid);
        QSignalSpy downs(m_grid.get(), &CMSFlexGrid::MouseDown);
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(7, 3));
        QCOMPARE(recorder.take(), move(1, 1, 7, 3) << Seen({"down", 7, 3, 3}));
        QCOMPARE(downs.at(0).at(0).value<short>(), short(CMSFlexGrid::LeftButton));
        QCOMPARE(downs.at(0).at(1).value<short>(), short(0));
        QCOMPARE(downs.at(0).at(2).toInt(), centreOf(7, 3).x());
        QCOMPARE(m_grid->MouseRow(), 7L);

        QTest::mouseClick(m_grid->viewport(), Qt::RightButton, Qt::ShiftModifier, centreOf(8, 5));
        QCOMPARE(downs.at(1).at(0).value<short>(), short(CMSFlexGrid::RightButton));
        QCOMPARE(downs.at(1).at(1).value<short>(), short(CMSFlexGrid::ShiftMask));
        recorder.take();

        // Fixed cells never become current; the press is still reported.
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(0, 4));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(12, 0));
        QCOMPARE(recorder.take(), QList<Seen>({{"down", 8, 5, 5}, {"down", 8, 5, 5}}));
        QCOMPARE(m_grid->MouseRow(), 12L);
        QCOMPARE(m_grid->MouseCol(), 0L);

        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(8, 5));
        QVERIFY(recorder.take().endsWith(Seen({"dblclick", 8, 5, 5})));
    }

    void sizesAreInTwipsOfTheLogicalDpi() {
        const int dpiX = m_grid->logicalDpiX();
        const int dpiY = m_grid->logicalDpiY();
        // Untouched columns share the client width.
        const int client = m_grid->width() - 2 * m_grid->frameWidth();
        QCOMPARE(m_grid->GetColWidth(2), long(client / 9) * 1440 / dpiX);

        m_grid->SetColWidth(3, 1440);
        QCOMPARE(m_grid->GetColWidth(3), 1440L);
        QCOMPARE(m_grid->columnWidth(3), dpiX);
        m_grid->SetRow(4);
        m_grid->SetCol(3);
        const QRect cell = m_grid->visualRect(m_grid->model()->index(4, 3));
        QCOMPARE(m_grid->GetCellLeft(), long(cell.left()) * 1440 / dpiX);
        QCOMPARE(m_grid->GetCellTop(), long(cell.top()) * 1440 / dpiY);
        QCOMPARE(m_grid->GetCellWidth(), 1440L);
        QCOMPARE(m_grid->GetCellHeight(), long(m_grid->rowHeight(4)) * 1440 / dpiY);
        // The rectangle leads back to the cell's pixels, as an editor laid
        // over the cell computes them.
        QCOMPARE(m_grid->TwipsToPixelsX(m_grid->GetCellLeft()), long(cell.left()));
        QVERIFY(m_grid->GetCellHeight() > 0);
        QVERIFY(m_grid->rowHeight(4) > m_grid->fontMetrics().height());
    }

    void alignmentCentresCells() {
        QCOMPARE(m_grid->GetColAlignment(2), short(CMSFlexGrid::flexAlignGeneral));
        m_grid->SetColAlignment(2, CMSFlexGrid::flexAlignCenterCenter);
        QCOMPARE(m_grid->GetColAlignment(2), short(CMSFlexGrid::flexAlignCenterCenter));
        for (int row : {0, 1, 16})
            QCOMPARE(m_grid->item(row, 2)->textAlignment(), int(Qt::AlignCenter));
        QCOMPARE(m_grid->item(5, 3)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    }
};

QTEST_MAIN(FlexGridTest)
#include "flex_grid_test.moc"

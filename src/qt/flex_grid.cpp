#include "qt/flex_grid.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

constexpr long kTwipsPerInch = 1440;

Qt::Alignment toQt(short alignment) {
    switch (alignment) {
    case CMSFlexGrid::flexAlignLeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case CMSFlexGrid::flexAlignLeftBottom:
        return Qt::AlignLeft | Qt::AlignBottom;
    case CMSFlexGrid::flexAlignCenterTop:
        return Qt::AlignHCenter | Qt::AlignTop;
    case CMSFlexGrid::flexAlignCenterCenter:
        return Qt::AlignCenter;
    case CMSFlexGrid::flexAlignCenterBottom:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case CMSFlexGrid::flexAlignRightTop:
        return Qt::AlignRight | Qt::AlignTop;
    case CMSFlexGrid::flexAlignRightCenter:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CMSFlexGrid::flexAlignRightBottom:
        return Qt::AlignRight | Qt::AlignBottom;
    case CMSFlexGrid::flexAlignLeftCenter:
    case CMSFlexGrid::flexAlignGeneral:
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

short buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return CMSFlexGrid::RightButton;
    case Qt::MiddleButton:
        return CMSFlexGrid::MiddleButton;
    default:
        return CMSFlexGrid::LeftButton;
    }
}

short shiftCode(Qt::KeyboardModifiers modifiers) {
    short code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= CMSFlexGrid::ShiftMask;
    if (modifiers & Qt::ControlModifier)
        code |= CMSFlexGrid::CtrlMask;
    if (modifiers & Qt::AltModifier)
        code |= CMSFlexGrid::AltMask;
    return code;
}

} // namespace

CMSFlexGrid::CMSFlexGrid(int rows, int cols, QWidget* parent)
    : QTableWidget(rows, cols, parent), m_colWidth(static_cast<std::size_t>(cols), -1),
      m_alignment(static_cast<std::size_t>(cols), flexAlignGeneral) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    // Tab leaves the grid for the next control of the form, as in a dialog.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            auto* item = new QTableWidgetItem;
            const bool fixed = !isDataCell(r, c);
            // A fixed cell is not enabled, so neither a click nor the arrow
            // keys can make it current; its brushes keep it readable.
            item->setFlags(fixed ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (fixed) {
                item->setBackground(palette().button());
                item->setForeground(palette().buttonText());
            }
            item->setTextAlignment(toQt(flexAlignGeneral));
            setItem(r, c, item);
        }
    }
    applyRowHeights();
    if (rows > 1 && cols > 1)
        selectionModel()->setCurrentIndex(model()->index(1, 1), QItemSelectionModel::ClearAndSelect);
}

bool CMSFlexGrid::isDataCell(long row, long col) const {
    return row >= 1 && col >= 1 && row < rowCount() && col < columnCount();
}

void CMSFlexGrid::SetRow(long row) {
    if (row >= 0 && row < rowCount())
        moveTo(row, m_col);
}

void CMSFlexGrid::SetCol(long col) {
    if (col >= 0 && col < columnCount())
        moveTo(m_row, col);
}

void CMSFlexGrid::SetCurrentCell(long row, long col) {
    if (row >= 0 && row < rowCount() && col >= 0 && col < columnCount())
        moveTo(row, col);
}

void CMSFlexGrid::moveTo(long row, long col) {
    if (row == m_row && col == m_col)
        return;
    // Through the selection model, because the view itself refuses to make
    // a fixed (disabled) cell current, and the program may.
    selectionModel()->setCurrentIndex(model()->index(static_cast<int>(row), static_cast<int>(col)),
                                      QItemSelectionModel::ClearAndSelect);
}

void CMSFlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableWidget::currentChanged(current, previous);
    if (!current.isValid() || (current.row() == m_row && current.column() == m_col))
        return;
    emit LeaveCell();
    m_row = current.row();
    m_col = current.column();
    emit EnterCell();
}

QModelIndex CMSFlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableWidget::moveCursor(action, modifiers);
    if (!next.isValid() || rowCount() < 2 || columnCount() < 2)
        return next;
    return model()->index(std::max(next.row(), 1), std::max(next.column(), 1));
}

QString CMSFlexGrid::GetTextMatrix(long row, long col) const {
    const QTableWidgetItem* cell = item(static_cast<int>(row), static_cast<int>(col));
    return cell ? cell->text() : QString();
}

void CMSFlexGrid::SetTextMatrix(long row, long col, const QString& text) {
    if (QTableWidgetItem* cell = item(static_cast<int>(row), static_cast<int>(col)))
        cell->setText(text);
}

void CMSFlexGrid::SetCellSpoken(long row, long col, const QString& text) {
    QTableWidgetItem* cell = item(static_cast<int>(row), static_cast<int>(col));
    if (!cell || cell->data(Qt::AccessibleTextRole).toString() == text)
        return;
    cell->setData(Qt::AccessibleTextRole, text);
    if (row == m_row && col == m_col && hasFocus())
        announceCurrentCell(QAccessible::NameChanged);
}

void CMSFlexGrid::announceCurrentCell(QAccessible::Event type) {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell = cells ? cells->cellAt(static_cast<int>(m_row), static_cast<int>(m_col)) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent event(this, type);
    event.setChild(table->indexOfChild(cell));
    QAccessible::updateAccessibility(&event);
}

void CMSFlexGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    // The grid's own focus names only the table; a screen reader coming to
    // it should hear where in the table it is. The table's focus is
    // announced after this handler, so the cell's comes once it has been.
    QMetaObject::invokeMethod(
        this, [this] { if (hasFocus()) announceCurrentCell(QAccessible::Focus); }, Qt::QueuedConnection);
}

short CMSFlexGrid::GetColAlignment(long col) const {
    if (col < 0 || col >= columnCount())
        return flexAlignGeneral;
    return m_alignment[static_cast<std::size_t>(col)];
}

void CMSFlexGrid::SetColAlignment(long col, short alignment) {
    if (col < 0 || col >= columnCount())
        return;
    m_alignment[static_cast<std::size_t>(col)] = alignment;
    applyAlignment(col);
}

void CMSFlexGrid::applyAlignment(long col) {
    const Qt::Alignment alignment = toQt(m_alignment[static_cast<std::size_t>(col)]);
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* cell = item(r, static_cast<int>(col)))
            cell->setTextAlignment(alignment);
}

int CMSFlexGrid::clientWidth() const {
    ensurePolished();
    return std::max(0, width() - 2 * frameWidth());
}

long CMSFlexGrid::GetColWidth(long col) const {
    if (col < 0 || col >= columnCount())
        return 0;
    const long own = m_colWidth[static_cast<std::size_t>(col)];
    if (own >= 0)
        return own;
    return PixelsToTwipsX(clientWidth() / columnCount());
}

void CMSFlexGrid::SetColWidth(long col, long twips) {
    if (col < 0 || col >= columnCount() || twips < 0)
        return;
    m_colWidth[static_cast<std::size_t>(col)] = twips;
    setColumnWidth(static_cast<int>(col), static_cast<int>(TwipsToPixelsX(twips)));
}

void CMSFlexGrid::applyColumnWidths() {
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, static_cast<int>(TwipsToPixelsX(GetColWidth(c))));
}

void CMSFlexGrid::applyRowHeights() {
    // The rows follow the font, not the widget's size, so the cell
    // rectangles are known before the grid is first laid out.
    const int height = fontMetrics().height() + 3;
    verticalHeader()->setDefaultSectionSize(height);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, height);
}

long CMSFlexGrid::TwipsToPixelsX(long twips) const { return twips * logicalDpiX() / kTwipsPerInch; }
long CMSFlexGrid::TwipsToPixelsY(long twips) const { return twips * logicalDpiY() / kTwipsPerInch; }
long CMSFlexGrid::PixelsToTwipsX(long pixels) const { return pixels * kTwipsPerInch / logicalDpiX(); }
long CMSFlexGrid::PixelsToTwipsY(long pixels) const { return pixels * kTwipsPerInch / logicalDpiY(); }

long CMSFlexGrid::GetCellLeft() const {
    return PixelsToTwipsX(visualRect(model()->index(static_cast<int>(m_row), static_cast<int>(m_col))).left());
}

long CMSFlexGrid::GetCellTop() const {
    return PixelsToTwipsY(visualRect(model()->index(static_cast<int>(m_row), static_cast<int>(m_col))).top());
}

long CMSFlexGrid::GetCellWidth() const { return PixelsToTwipsX(columnWidth(static_cast<int>(m_col))); }

long CMSFlexGrid::GetCellHeight() const { return PixelsToTwipsY(rowHeight(static_cast<int>(m_row))); }

void CMSFlexGrid::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || event->key() == Qt::Key_Delete) {
        QTableWidget::keyPressEvent(event); // navigation
        return;
    }
    const char16_t key = text.at(0).unicode();
    emit KeyPress(key);
    if (key >= 32) {
        // Typed characters start an edit; they must not search the cells
        // and move the current cell as a list view would.
        event->accept();
    } else {
        // Enter, Escape and the like stay with the form around the grid.
        event->ignore();
    }
}

void CMSFlexGrid::inputMethodEvent(QInputMethodEvent* event) {
    // Composed text (Chinese, say) is typed text like any key's: reported,
    // never used to search the cells as a list view would.
    event->accept();
    const QString text = event->commitString();
    for (int i = 0; i < text.size(); ++i) {
        emit KeyPress(text.at(i).unicode());
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus != this) {
            if (i + 1 < text.size()) {
                QInputMethodEvent rest;
                rest.setCommitString(text.mid(i + 1));
                QApplication::sendEvent(focus, &rest);
            }
            return;
        }
    }
}

void CMSFlexGrid::reportPress(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    m_mouseRow = at.isValid() ? at.row() : -1;
    m_mouseCol = at.isValid() ? at.column() : -1;
    if (isDataCell(m_mouseRow, m_mouseCol))
        moveTo(m_mouseRow, m_mouseCol);
}

void CMSFlexGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    reportPress(event);
    event->accept();
    const QPoint at = event->position().toPoint();
    m_dragChannel = -1;
    if (event->button() == Qt::LeftButton && m_mouseCol == 0 && m_mouseRow >= 1) {
        m_dragChannel = m_mouseRow;
        emit ChannelPressed(static_cast<int>(m_mouseRow), event->modifiers() & Qt::ShiftModifier,
                            event->modifiers() & Qt::ControlModifier);
    }
    emit MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(), at.y());
}

void CMSFlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the left button double-clicks; a quick second press of another
    // button is one more press, so a right double-click opens nothing.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    reportPress(event);
    event->accept();
    emit DblClick();
}

void CMSFlexGrid::mouseMoveEvent(QMouseEvent* event) {
    // Dragging moves no current cell: only a press does, and it is always
    // reported with its MouseDown. A drag over the channel numbers that
    // began on one extends the channels chosen.
    event->accept();
    if (m_dragChannel < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && at.row() >= 1 && at.row() != m_dragChannel) {
        m_dragChannel = at.row();
        emit ChannelPressed(at.row(), true, false);
    }
}

void CMSFlexGrid::SetCellColors(long row, long col, const QBrush& background, const QBrush& foreground) {
    if (!isDataCell(row, col))
        return;
    QTableWidgetItem* cell = item(static_cast<int>(row), static_cast<int>(col));
    if (cell->background() != background)
        cell->setBackground(background);
    if (cell->foreground() != foreground)
        cell->setForeground(foreground);
}

void CMSFlexGrid::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyRowHeights();
        applyColumnWidths();
    } else if (event->type() == QEvent::PaletteChange) {
        for (int r = 0; r < rowCount(); ++r)
            for (int c = 0; c < columnCount(); ++c)
                if (!isDataCell(r, c)) {
                    item(r, c)->setBackground(palette().button());
                    item(r, c)->setForeground(palette().buttonText());
                }
    }
}

void CMSFlexGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    applyColumnWidths();
}

// The channel table's grid control: a fixed-size table of text cells with a
// fixed header row and first column, a current cell, and the property and
// event interface the form and its in-place editors are written against.
#pragma once

#include <QAccessible>
#include <QTableWidget>

#include <vector>

/// A grid of text cells with one fixed row and one fixed column.
///
/// Sizes are in twips (1440 to the inch, converted with the widget's logical
/// DPI) so that callers can lay windows over cells the same way at any DPI.
/// The current cell is always a data cell when the user moves it; the fixed
/// cells look like headers and cannot be clicked or arrowed into.
///
/// Events, in the order they come:
/// - LeaveCell while GetRow()/GetCol()/GetColSel() still name the cell being
///   left, then EnterCell once they name the new one. Both come whenever the
///   current cell changes, whether the user or the program (SetRow, SetCol)
///   moves it, and never when it stays.
/// - A press on a data cell makes it current first (Leave, Enter), then
///   raises MouseDown, so a handler sees the pressed cell as current.
///   MouseRow()/MouseCol() tell which cell a press hit, -1 outside cells.
///   DblClick is the left button's; a second press of another button comes
///   as one more MouseDown.
/// - KeyPress for every key that types a character (Enter is 13, Escape 27);
///   printable keys are not used for navigation, only reported. Text that
///   an input method commits is reported the same way, character by
///   character; once a handler has moved the focus away (an editor opened),
///   the rest of the text goes to the new focus.
class CMSFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    /// Cell alignment codes of ColAlignment.
    enum Alignment : short {
        flexAlignLeftTop = 0,
        flexAlignLeftCenter = 1,
        flexAlignLeftBottom = 2,
        flexAlignCenterTop = 3,
        flexAlignCenterCenter = 4,
        flexAlignCenterBottom = 5,
        flexAlignRightTop = 6,
        flexAlignRightCenter = 7,
        flexAlignRightBottom = 8,
        flexAlignGeneral = 9,
    };
    /// Mouse button and shift-state codes of MouseDown.
    enum Button : short { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Shift : short { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

    explicit CMSFlexGrid(int rows, int cols, QWidget* parent = nullptr);

    long GetRow() const { return m_row; }
    /// Moves the current cell to `row` of the current column; out of range
    /// values are ignored.
    void SetRow(long row);
    long GetCol() const { return m_col; }
    void SetCol(long col);
    /// Moves the current cell to (row, col) in one step; out of range values
    /// are ignored.
    void SetCurrentCell(long row, long col);
    /// The column the selection ends in; a single cell is selected, so this
    /// is the current column, also while it is being left.
    long GetColSel() const { return m_col; }

    /// Text of the current cell.
    QString GetText() const { return GetTextMatrix(m_row, m_col); }
    void SetText(const QString& text) { SetTextMatrix(m_row, m_col, text); }
    QString GetTextMatrix(long row, long col) const;
    void SetTextMatrix(long row, long col, const QString& text);

    /// What a screen reader hears for a cell, in place of its text. A
    /// change of the current cell's, while the grid has the keyboard, is
    /// announced at once, as the cell is when it becomes current.
    void SetCellSpoken(long row, long col, const QString& text);

    short GetColAlignment(long col) const;
    void SetColAlignment(long col, short alignment);
    /// Column width in twips. Until a column is given a width, the columns
    /// share the client width equally.
    long GetColWidth(long col) const;
    void SetColWidth(long col, long twips);

    /// The current cell's rectangle in twips, relative to CellHost().
    long GetCellLeft() const;
    long GetCellTop() const;
    long GetCellWidth() const;
    long GetCellHeight() const;

    /// The cell a MouseDown press hit, -1 when it hit no cell.
    long MouseRow() const { return m_mouseRow; }
    long MouseCol() const { return m_mouseCol; }

    /// The window whose client area the cell rectangles are relative to;
    /// windows laid over cells are its children.
    QWidget* CellHost() const { return viewport(); }

    long TwipsToPixelsX(long twips) const;
    long TwipsToPixelsY(long twips) const;
    long PixelsToTwipsX(long pixels) const;
    long PixelsToTwipsY(long pixels) const;

signals:
    void DblClick();
    void EnterCell();
    void LeaveCell();
    void KeyPress(char16_t key);
    void MouseDown(short button, short shift, int x, int y);
    /// A press on the channel number of `row` (with Shift or Ctrl held), or
    /// the button dragged onto it from another channel number.
    void ChannelPressed(int row, bool extend, bool toggle);

public:
    /// Marks a data cell: a selected channel's row, or a cell a comparison
    /// found different; a default brush clears the mark.
    void SetCellColors(long row, long col, const QBrush& background, const QBrush& foreground);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool isDataCell(long row, long col) const;
    void moveTo(long row, long col);
    void applyRowHeights();
    void applyColumnWidths();
    void applyAlignment(long col);
    int clientWidth() const;
    void reportPress(QMouseEvent* event);
    /// Tells a screen reader about the current cell.
    void announceCurrentCell(QAccessible::Event type);

    long m_row = 1;
    long m_col = 1;
    long m_mouseRow = -1;
    long m_mouseCol = -1;
    long m_dragChannel = -1; ///< the channel number the button went down on and is over now
    std::vector<long> m_colWidth;   ///< twips; -1 while the column has no width of its own
    std::vector<short> m_alignment; ///< per column
};

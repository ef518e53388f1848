// The channel table's grid control as a window class of its own: a fixed
// 17 x 9 table of text cells with a fixed header row and first column, a
// current cell, and the property and event interface the form and its
// in-place editors are written against (the same as the Qt face's grid).
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

/// Sizes are in twips (1440 to the inch, converted with the window's
/// logical DPI), so that callers lay windows over cells the same way at any
/// DPI. The current cell is always a data cell when the user moves it.
///
/// Events, in the order they come:
/// - LeaveCell while GetRow()/GetCol() still name the cell being left, then
///   EnterCell once they name the new one; whenever the current cell
///   changes, whether the user or the program moves it.
/// - A press on a data cell makes it current first, then raises MouseDown;
///   MouseRow()/MouseCol() tell which cell it hit, -1 outside cells.
///   DblClick is the left button's. MouseMove comes with the buttons held
///   (0 for none) and MouseRow()/MouseCol() set the same way.
/// - Both mouse events carry the Shift and Ctrl keys held (ShiftMask,
///   CtrlMask).
/// - KeyPress for every typed character (Escape is 27); arrows move the
///   current cell; the form's window takes Tab and Enter before the grid.
/// WM_COMMAND and WM_CTLCOLOR* from windows laid over the cells go on to
/// the grid's parent.
class CMSFlexGrid {
public:
    static constexpr wchar_t kClassName[] = L"VarnokFlexGrid";
    enum Button : short { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Shift : short { ShiftMask = 1, CtrlMask = 2 };
    /// A cell's colours when it has none of its own.
    static constexpr COLORREF kDefaultColor = CLR_INVALID;

    /// Registers the window class; the form's template names it.
    static void Register(HINSTANCE instance);
    /// The grid object of a window of the class.
    static CMSFlexGrid* FromHandle(HWND window);

    HWND GetSafeHwnd() const { return m_hWnd; }

    long GetRow() const { return m_row; }
    long GetCol() const { return m_col; }
    /// Moves the current cell in one step; out of range values are ignored.
    void SetCurrentCell(long row, long col);
    std::wstring GetTextMatrix(long row, long col) const;
    void SetTextMatrix(long row, long col, const std::wstring& text);

    /// Column width in twips; until a column is given one, the columns
    /// share the client width equally.
    long GetColWidth(long col) const;
    /// A data or fixed cell's own colours (kDefaultColor for the grid's);
    /// the focused current cell is drawn in the highlight colours anyway.
    void SetCellColors(long row, long col, COLORREF back, COLORREF fore);
    COLORREF GetCellBackColor(long row, long col) const;
    void SetColWidth(long col, long twips);
    /// The current cell's rectangle in twips, relative to the client area.
    long GetCellLeft() const;
    long GetCellTop() const;
    long GetCellWidth() const;
    long GetCellHeight() const;
    long MouseRow() const { return m_mouseRow; }
    long MouseCol() const { return m_mouseCol; }

    long TwipsToPixelsX(long twips) const { return twips * DpiX() / 1440; }
    long TwipsToPixelsY(long twips) const { return twips * DpiY() / 1440; }
    long PixelsToTwipsX(long pixels) const { return pixels * 1440 / DpiX(); }
    long PixelsToTwipsY(long pixels) const { return pixels * 1440 / DpiY(); }

    std::function<void()> EnterCell;
    std::function<void()> LeaveCell;
    std::function<void()> DblClick;
    std::function<void(short button, short shift)> MouseDown;
    std::function<void(short buttons, short shift)> MouseMove;
    std::function<void(char32_t key)> KeyPress;

private:
    static constexpr int kRows = 17;
    static constexpr int kCols = 9;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnPress(WPARAM keys, LPARAM at, short button, bool doubleClick);
    void OnMouseMove(WPARAM keys, LPARAM at);
    void OnArrow(WPARAM key);
    void MoveTo(long row, long col);
    int DpiX() const;
    int DpiY() const;
    int RowHeight() const;
    int ColumnPixels(long col) const;
    RECT CellRect(long row, long col) const;
    void HitTest(POINT at, long& row, long& col) const;

    HWND m_hWnd = nullptr;
    HFONT m_font = nullptr;
    long m_row = 1;
    long m_col = 1;
    long m_mouseRow = -1;
    long m_mouseCol = -1;
    wchar_t m_highSurrogate = 0;
    std::array<std::array<std::wstring, kCols>, kRows> m_text{};
    std::array<long, kCols> m_colWidth{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    struct Colors {
        COLORREF back = kDefaultColor;
        COLORREF fore = kDefaultColor;
    };
    std::array<std::array<Colors, kCols>, kRows> m_colors{};
};

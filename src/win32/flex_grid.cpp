#include "win32/flex_grid.h"

#include <windowsx.h>

#include <algorithm>

namespace {

/// The window's own DPI where Windows tells it (per-monitor aware programs
/// on Windows 10 and later), else the DC's logical DPI.
int windowDpi(HWND window, int caps) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, caps);
    ReleaseDC(window, dc);
    return dpi > 0 ? dpi : 96;
}

bool isDataCell(long row, long col) { return row >= 1 && row < 17 && col >= 1 && col < 9; }

short shiftOf(WPARAM keys) {
    return static_cast<short>(((keys & MK_SHIFT) ? CMSFlexGrid::ShiftMask : 0) |
                              ((keys & MK_CONTROL) ? CMSFlexGrid::CtrlMask : 0));
}

} // namespace

void CMSFlexGrid::Register(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}

CMSFlexGrid* CMSFlexGrid::FromHandle(HWND window) {
    return reinterpret_cast<CMSFlexGrid*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK CMSFlexGrid::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* grid = new CMSFlexGrid;
        grid->m_hWnd = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
        // The editors are children; painting the cells must not cover them.
        SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_CLIPCHILDREN);
    }
    CMSFlexGrid* grid = FromHandle(window);
    if (!grid)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete grid;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return grid->OnMessage(message, wParam, lParam);
}

LRESULT CMSFlexGrid::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(m_hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case WM_GETDLGCODE: {
        // Arrows and typed characters are the grid's; Escape too, as a
        // typed character. Tab and Enter stay with the form.
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        OnPress(wParam, lParam, LeftButton, false);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnPress(wParam, lParam, RightButton, false);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnPress(wParam, lParam, MiddleButton, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnPress(wParam, lParam, LeftButton, true);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        OnArrow(wParam);
        return 0;
    case WM_CHAR: {
        const auto unit = static_cast<wchar_t>(wParam);
        if (unit >= 0xD800 && unit < 0xDC00) {
            m_highSurrogate = unit;
            return 0;
        }
        char32_t key = unit;
        if (unit >= 0xDC00 && unit < 0xE000 && m_highSurrogate)
            key = 0x10000 + ((static_cast<char32_t>(m_highSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
        m_highSurrogate = 0;
        if (key != L'\t' && KeyPress)
            KeyPress(key);
        return 0;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        return SendMessageW(GetParent(m_hWnd), message, wParam, lParam);
    default:
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

int CMSFlexGrid::DpiX() const { return windowDpi(m_hWnd, LOGPIXELSX); }
int CMSFlexGrid::DpiY() const { return windowDpi(m_hWnd, LOGPIXELSY); }

int CMSFlexGrid::RowHeight() const {
    // The rows follow the font, as the Qt face's grid does.
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    return metrics.tmHeight + 3;
}

long CMSFlexGrid::GetColWidth(long col) const {
    if (col < 0 || col >= kCols)
        return 0;
    if (m_colWidth[static_cast<std::size_t>(col)] >= 0)
        return m_colWidth[static_cast<std::size_t>(col)];
    RECT client{};
    GetClientRect(m_hWnd, &client);
    return PixelsToTwipsX((client.right - client.left) / kCols);
}

void CMSFlexGrid::SetColWidth(long col, long twips) {
    if (col < 0 || col >= kCols || twips < 0)
        return;
    m_colWidth[static_cast<std::size_t>(col)] = twips;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CMSFlexGrid::ColumnPixels(long col) const { return static_cast<int>(TwipsToPixelsX(GetColWidth(col))); }

RECT CMSFlexGrid::CellRect(long row, long col) const {
    const int height = RowHeight();
    int left = 0;
    for (long c = 0; c < col; ++c)
        left += ColumnPixels(c);
    const int top = static_cast<int>(row) * height;
    return RECT{left, top, left + ColumnPixels(col), top + height};
}

long CMSFlexGrid::GetCellLeft() const { return PixelsToTwipsX(CellRect(m_row, m_col).left); }
long CMSFlexGrid::GetCellTop() const { return PixelsToTwipsY(CellRect(m_row, m_col).top); }
long CMSFlexGrid::GetCellWidth() const { return PixelsToTwipsX(ColumnPixels(m_col)); }
long CMSFlexGrid::GetCellHeight() const { return PixelsToTwipsY(RowHeight()); }

std::wstring CMSFlexGrid::GetTextMatrix(long row, long col) const {
    if (row < 0 || row >= kRows || col < 0 || col >= kCols)
        return {};
    return m_text[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void CMSFlexGrid::SetTextMatrix(long row, long col, const std::wstring& text) {
    if (row < 0 || row >= kRows || col < 0 || col >= kCols)
        return;
    std::wstring& cell = m_text[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (cell == text)
        return;
    cell = text;
    const RECT box = CellRect(row, col);
    InvalidateRect(m_hWnd, &box, FALSE);
}

void CMSFlexGrid::SetCellColors(long row, long col, COLORREF back, COLORREF fore) {
    if (row < 0 || row >= kRows || col < 0 || col >= kCols)
        return;
    Colors& colors = m_colors[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (colors.back == back && colors.fore == fore)
        return;
    colors = {back, fore};
    const RECT box = CellRect(row, col);
    InvalidateRect(m_hWnd, &box, FALSE);
}

COLORREF CMSFlexGrid::GetCellBackColor(long row, long col) const {
    if (row < 0 || row >= kRows || col < 0 || col >= kCols)
        return kDefaultColor;
    return m_colors[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)].back;
}

void CMSFlexGrid::SetCurrentCell(long row, long col) {
    if (row >= 0 && row < kRows && col >= 0 && col < kCols)
        MoveTo(row, col);
}

void CMSFlexGrid::MoveTo(long row, long col) {
    if (row == m_row && col == m_col)
        return;
    if (LeaveCell)
        LeaveCell();
    const RECT before = CellRect(m_row, m_col);
    m_row = row;
    m_col = col;
    const RECT after = CellRect(m_row, m_col);
    InvalidateRect(m_hWnd, &before, FALSE);
    InvalidateRect(m_hWnd, &after, FALSE);
    if (EnterCell)
        EnterCell();
}

void CMSFlexGrid::HitTest(POINT at, long& row, long& col) const {
    row = col = -1;
    const int height = RowHeight();
    if (at.y < 0 || height <= 0 || at.y >= height * kRows)
        return;
    int left = 0;
    for (long c = 0; c < kCols; ++c) {
        const int width = ColumnPixels(c);
        if (at.x >= left && at.x < left + width) {
            row = at.y / height;
            col = c;
            return;
        }
        left += width;
    }
}

void CMSFlexGrid::OnPress(WPARAM keys, LPARAM at, short button, bool doubleClick) {
    if (GetFocus() != m_hWnd)
        SetFocus(m_hWnd);
    HitTest(POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}, m_mouseRow, m_mouseCol);
    if (isDataCell(m_mouseRow, m_mouseCol))
        MoveTo(m_mouseRow, m_mouseCol);
    if (doubleClick) {
        if (DblClick)
            DblClick();
    } else if (MouseDown) {
        MouseDown(button, shiftOf(keys));
    }
}

void CMSFlexGrid::OnMouseMove(WPARAM keys, LPARAM at) {
    HitTest(POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}, m_mouseRow, m_mouseCol);
    const short buttons =
        static_cast<short>(((keys & MK_LBUTTON) ? LeftButton : 0) | ((keys & MK_RBUTTON) ? RightButton : 0) |
                           ((keys & MK_MBUTTON) ? MiddleButton : 0));
    if (MouseMove)
        MouseMove(buttons, shiftOf(keys));
}

void CMSFlexGrid::OnArrow(WPARAM key) {
    long row = m_row;
    long col = m_col;
    switch (key) {
    case VK_LEFT:
        --col;
        break;
    case VK_RIGHT:
        ++col;
        break;
    case VK_UP:
        --row;
        break;
    case VK_DOWN:
        ++row;
        break;
    case VK_HOME:
        col = 1;
        break;
    case VK_END:
        col = kCols - 1;
        break;
    case VK_PRIOR:
        row = 1;
        break;
    case VK_NEXT:
        row = kRows - 1;
        break;
    default:
        return;
    }
    if (isDataCell(row, col))
        MoveTo(row, col);
}

void CMSFlexGrid::OnPaint() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(m_hWnd, &ps);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    // Drawn off screen and copied in one go, so typing does not flicker.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max(1L, client.right), std::max(1L, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, m_font ? m_font : GetStockObject(DEFAULT_GUI_FONT));
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    SetBkMode(dc, TRANSPARENT);
    HPEN line = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, line);
    const bool focused = GetFocus() == m_hWnd;
    for (long r = 0; r < kRows; ++r) {
        for (long c = 0; c < kCols; ++c) {
            RECT cell = CellRect(r, c);
            const bool fixed = !isDataCell(r, c);
            const bool current = r == m_row && c == m_col;
            const Colors& own = m_colors[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            COLORREF fill = own.back != kDefaultColor ? own.back : GetSysColor(fixed ? COLOR_BTNFACE : COLOR_WINDOW);
            COLORREF ink = own.fore != kDefaultColor ? own.fore : GetSysColor(fixed ? COLOR_BTNTEXT : COLOR_WINDOWTEXT);
            if (current && focused) {
                fill = GetSysColor(COLOR_HIGHLIGHT);
                ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
            }
            SetDCBrushColor(dc, fill);
            FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            MoveToEx(dc, cell.right - 1, cell.top, nullptr);
            LineTo(dc, cell.right - 1, cell.bottom - 1);
            LineTo(dc, cell.left - 1, cell.bottom - 1);
            SetTextColor(dc, ink);
            RECT text = cell;
            DrawTextW(dc, m_text[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)].c_str(), -1, &text,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (current && !focused) {
                RECT frame = cell;
                InflateRect(&frame, -1, -1);
                DrawFocusRect(dc, &frame);
            }
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(line);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(m_hWnd, &ps);
}

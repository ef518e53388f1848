#include "win32/print_preview.h"

#include "app/strings.h"
#include "win32/report_print.h"
#include "win32/resource.h"
#include "win32/wide.h"

#include <algorithm>

namespace strings = varnok::app::strings;
using varnok::win32::widen;

namespace {

constexpr wchar_t kClassName[] = L"VarnokPrintPreview";
constexpr int kBarHeight = 36;
constexpr int kMargin = 16;

struct PreviewState {
    const varnok::FormState* form;
    varnok::report::PrintArea area;
    bool done = false;
    bool print = false;
};

void paintPage(HWND window, const PreviewState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    RECT room{client.left, client.top + kBarHeight, client.right, client.bottom};
    FillRect(dc, &room, GetSysColorBrush(COLOR_APPWORKSPACE));
    const varnok::report::PrintArea& area = state.area;
    const double scale = std::min(static_cast<double>(room.right - room.left - 2 * kMargin) / std::max(1, area.right),
                                  static_cast<double>(room.bottom - room.top - 2 * kMargin) / std::max(1, area.bottom));
    if (scale > 0) {
        // The page as a device of its own, with the printer's resolution
        // scaled down to the screen.
        varnok::report::PrintArea page = area;
        page.dpiX = std::max(1, static_cast<int>(area.dpiX * scale));
        page.dpiY = std::max(1, static_cast<int>(area.dpiY * scale));
        page.right = area.right * page.dpiX / std::max(1, area.dpiX);
        page.bottom = area.bottom * page.dpiY / std::max(1, area.dpiY);
        const POINT origin{(room.left + room.right - page.right) / 2, (room.top + room.bottom - page.bottom) / 2};
        RECT paper{origin.x, origin.y, origin.x + page.right, origin.y + page.bottom};
        RECT shadow = paper;
        OffsetRect(&shadow, 4, 4);
        FillRect(dc, &shadow, GetSysColorBrush(COLOR_3DDKSHADOW));
        FillRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HRGN clip = CreateRectRgnIndirect(&paper);
        SelectClipRgn(dc, clip);
        {
            varnok::win32::GdiCanvas canvas(dc, page, origin);
            varnok::win32::drawReport(canvas, *state.form);
        }
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK previewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PreviewState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_CREATE: {
        auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
        const std::pair<int, const char*> buttons[] = {{ID_PREVIEW_PRINT, strings::kPreviewPrint},
                                                       {ID_PREVIEW_CLOSE, strings::kPreviewClose}};
        int x = 8;
        for (const auto& [id, text] : buttons) {
            HWND button = CreateWindowExW(0, L"BUTTON", widen(text).c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x,
                                          6, 88, 24, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                          GetModuleHandleW(nullptr), nullptr);
            SendMessageW(button, WM_SETFONT, font, FALSE);
            x += 96;
        }
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_PREVIEW_PRINT || LOWORD(wParam) == ID_PREVIEW_CLOSE || LOWORD(wParam) == IDCANCEL) {
            state->print = LOWORD(wParam) == ID_PREVIEW_PRINT;
            DestroyWindow(window);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(window);
        return 0;
    case WM_SIZE:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        paintPage(window, *state);
        return 0;
    case WM_DESTROY:
        state->done = true;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void CPrintPreview::DoModal(HWND owner, const varnok::FormState& form, const varnok::report::PrintArea& area,
                            const std::function<void()>& print) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = previewProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    PreviewState state{&form, area};
    RECT frame{};
    GetWindowRect(owner, &frame);
    HWND window = CreateWindowExW(0, kClassName, widen(strings::kAppTitle).c_str(), WS_OVERLAPPEDWINDOW, frame.left,
                                  frame.top, std::max(640L, frame.right - frame.left),
                                  std::max(600L, frame.bottom - frame.top), owner, nullptr, instance, &state);
    if (!window)
        return;
    EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    MSG msg{};
    while (!state.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the main loop must see the request too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageW(window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
    if (state.print && print)
        print();
}

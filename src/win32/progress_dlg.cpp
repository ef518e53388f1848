#include "win32/progress_dlg.h"

#include "win32/program_app.h"
#include "win32/resource.h"
#include "win32/wide.h"

#include <commctrl.h>

using varnok::app::ProgressWindow;
using varnok::win32::widen;

namespace {
constexpr int kBar = 1003;
constexpr int kStatus = 1005;
} // namespace

CProgressDlg::CProgressDlg(CProgramApp& app, HWND owner, HWND centreOver)
    : m_app(app), m_owner(owner), m_centreOver(centreOver) {}

CProgressDlg::~CProgressDlg() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CProgressDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        SendDlgItemMessageW(window, kBar, PBM_SETRANGE32, 0, ProgressWindow::kMax);
        SendDlgItemMessageW(window, kBar, PBM_SETSTEP, 1, 0);
        return TRUE;
    }
    auto* dlg = reinterpret_cast<CProgressDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dlg || message != WM_COMMAND)
        return FALSE;
    // Start, then Cancel, Escape and the close box.
    if (LOWORD(wParam) == IDOK)
        dlg->m_app.Apply(dlg->m_app.Workspace().startTransfer());
    else if (LOWORD(wParam) == IDCANCEL)
        dlg->m_app.Apply(dlg->m_app.Workspace().cancelTransfer());
    return TRUE;
}

void CProgressDlg::Paint(const ProgressWindow& state) {
    if (state.state == ProgressWindow::State::NoWindow) {
        // Made anew for each transfer, as the window always was.
        if (m_hWnd) {
            DestroyWindow(m_hWnd);
            m_hWnd = nullptr;
        }
        return;
    }
    const bool appearing = !m_hWnd;
    if (appearing) {
        m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), m_owner, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
        if (!m_hWnd)
            return;
    }
    SetWindowTextW(m_hWnd, widen(state.caption).c_str());
    SendDlgItemMessageW(m_hWnd, kBar, PBM_SETPOS, static_cast<WPARAM>(state.position), 0);
    SetDlgItemTextW(m_hWnd, kStatus, widen(state.status).c_str());
    EnableWindow(GetDlgItem(m_hWnd, IDOK), state.startEnabled);
    if (!appearing)
        return;
    RECT box{};
    RECT over{};
    GetWindowRect(m_hWnd, &box);
    GetWindowRect(m_centreOver, &over);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    SetWindowPos(m_hWnd, HWND_TOP, (over.left + over.right - width) / 2, (over.top + over.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW);
    SetFocus(GetDlgItem(m_hWnd, IDOK));
}

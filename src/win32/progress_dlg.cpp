#include "win32/progress_dlg.h"

#include "app/form_template.h"
#include "win32/program_app.h"
#include "win32/resource.h"
#include "win32/string_tables.h"
#include "win32/wide.h"

#include <commctrl.h>

using varnok::app::ProgressWindow;
using varnok::win32::widen;

namespace {
constexpr int kBar = 1003;
constexpr int kStatus = 1005;
constexpr int kVerify = 1006;
constexpr int kBackupFirst = 1007;

void showCheck(HWND dialog, int id, bool shown, bool checked, bool enabled) {
    HWND box = GetDlgItem(dialog, id);
    ShowWindow(box, shown ? SW_SHOWNA : SW_HIDE);
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(box, enabled);
}
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
    const bool checked = IsDlgButtonChecked(window, LOWORD(wParam)) == BST_CHECKED;
    if (LOWORD(wParam) == kVerify)
        dlg->m_app.Apply(dlg->m_app.Workspace().setVerify(checked));
    else if (LOWORD(wParam) == kBackupFirst)
        dlg->m_app.Apply(dlg->m_app.Workspace().setBackupFirst(checked));
    else if (LOWORD(wParam) == IDOK)
        dlg->m_app.Apply(dlg->m_app.Workspace().startTransfer());
    else if (LOWORD(wParam) == IDCANCEL)
        dlg->m_app.Apply(dlg->m_app.Workspace().cancelTransfer());
    return TRUE;
}

void CProgressDlg::ShowTexts() {
    if (!m_hWnd)
        return;
    varnok::win32::showTemplateTexts(varnok::win32::templateWindows(m_hWnd, varnok::app::kProgressTemplate));
    Paint(m_app.Workspace().progress());
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
        varnok::win32::showTemplateTexts(varnok::win32::templateWindows(m_hWnd, varnok::app::kProgressTemplate));
    }
    SetWindowTextW(m_hWnd, widen(state.title()).c_str());
    const bool waiting = state.state == ProgressWindow::State::Waiting;
    showCheck(m_hWnd, kVerify, state.verifyShown, state.verify, waiting);
    showCheck(m_hWnd, kBackupFirst, state.backupFirstShown, state.backupFirst, waiting);
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

#include "win32/about_dlg.h"

#include "app/form_template.h"
#include "win32/resource.h"
#include "win32/string_tables.h"
#include "win32/wide.h"

namespace {

INT_PTR CALLBACK aboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetWindowTextW(window, varnok::win32::widen(varnok::app::strings::kAboutCaption).c_str());
        varnok::win32::showTemplateTexts(varnok::win32::templateWindows(window, varnok::app::kAboutTemplate));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

void CAboutDlg::DoModal(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, aboutProc, 0);
}

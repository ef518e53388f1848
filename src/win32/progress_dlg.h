// The progress window of a transfer: a modeless dialog from template 133,
// shown and closed as the workspace's ProgressWindow says. Start and Cancel
// go to the workspace.
#pragma once

#include "app/workspace.h"

#include <windows.h>

class CProgramApp;

class CProgressDlg {
public:
    /// `centreOver` is the window it is centred over when it appears.
    CProgressDlg(CProgramApp& app, HWND owner, HWND centreOver);
    ~CProgressDlg();
    HWND GetSafeHwnd() const { return m_hWnd; }
    void Paint(const varnok::app::ProgressWindow& state);
    /// The open window's texts again, in the current language.
    void ShowTexts();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CProgramApp& m_app;
    HWND m_owner;
    HWND m_centreOver;
    HWND m_hWnd = nullptr;
};

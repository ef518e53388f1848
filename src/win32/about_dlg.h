// The About box: template 100, modal; its button closes it.
#pragma once

#include <windows.h>

class CAboutDlg {
public:
    /// Shows the box and returns when it is closed.
    static void DoModal(HWND owner);
};

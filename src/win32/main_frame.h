// The main window: menus, toolbar, status bar with the commands' prompts,
// the port menu, the recent files, printing, and the form view inside.
// Commands go to the workspace; what they change is repainted through the
// application object.
#pragma once

#include "app/workspace.h"

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CProgramApp;
class CProgramView;
class CProgressDlg;

class CMainFrame {
public:
    /// Posted by a transfer's worker: take its events.
    static constexpr UINT WM_TRANSFER_WAKE = WM_APP + 1;

    explicit CMainFrame(CProgramApp& app);
    ~CMainFrame();
    /// Makes the window, hidden, with everything in it.
    bool Create();
    HWND GetSafeHwnd() const { return m_hWnd; }
    HACCEL Accelerators() const { return m_accelerators; }
    CProgramView* GetActiveView() const { return m_pView.get(); }
    CProgressDlg* ProgressDlg() const { return m_pProgressDlg.get(); }

    /// Carries out a menu, toolbar or accelerator command.
    void OnCommand(int id);
    void UpdateRecentFileMenu();
    void UpdatePortChecks();
    /// Shows every text of the window and its menus in the current language.
    void ShowTexts();
    /// Shrinks the window to fit the form, then centres it on the screen.
    void FitToForm();
    /// The caps, num and scroll lock panes follow the keyboard.
    void UpdateIndicators();
    /// The control of the form that last had the keyboard, given back when
    /// the window is activated again.
    void RememberFocus(HWND window);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void CreateToolBar();
    void CreateStatusBar();
    void RecalcLayout();
    void RefreshPortMenu();
    void SetPrompt(const std::string& prompt);
    std::string PromptOf(int id) const;
    void OnDropFiles(HDROP drop);
    const varnok::FormState& CommittedForm();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    /// A device context for the chosen (or the default) printer; null when
    /// the machine has none.
    HDC PrinterDC();

    CProgramApp& m_app;
    HWND m_hWnd = nullptr;
    HWND m_wndToolBar = nullptr;
    HWND m_wndStatusBar = nullptr;
    HACCEL m_accelerators = nullptr;
    HIMAGELIST m_toolImages = nullptr;
    HWND m_hWndFocus = nullptr;
    std::unique_ptr<CProgramView> m_pView;
    std::unique_ptr<CProgressDlg> m_pProgressDlg;
    /// The port menu's items below COM4: port names and prompts by id.
    std::map<int, std::string> m_portNames;
    std::map<int, std::string> m_portPrompts;
    std::wstring m_droppedFile;
    HGLOBAL m_hDevMode = nullptr;
    HGLOBAL m_hDevNames = nullptr;
};

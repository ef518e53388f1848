// The application object: builds the main window over the application
// layer's workspace, answers its questions with Windows' dialogs, keeps its
// settings in the registry, runs the message loop and repaints what each
// command changed.
#pragma once

#include "app/settings_store.h"
#include "app/workspace.h"
#include "text/texts.h"
#include "win32/prompts.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

class CMainFrame;
class CProgramView;

class CProgramApp {
public:
    /// Tests hand in their own prompts and settings; the program uses
    /// Windows' dialogs and HKEY_CURRENT_USER\Software\Varnok.
    explicit CProgramApp(varnok::app::Prompts* prompts = nullptr, varnok::app::SettingsStore* settings = nullptr);
    ~CProgramApp();

    /// Builds the window and opens `fileToOpen` (a new document when it is
    /// empty or cannot be opened), then shows the window centred.
    bool InitInstance(const std::wstring& fileToOpen, int showCommand);
    /// The message loop; returns the program's exit code.
    int Run();
    /// One message through the keys the form and the menu take first, then
    /// to its window.
    void ProcessMessage(MSG& msg);

    varnok::app::Workspace& Workspace() const { return *m_pWorkspace; }
    varnok::app::Prompts& Prompts() const { return *m_pPrompts; }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CProgramView* GetView() const;

    /// Repaints what a call of the workspace changed.
    void Apply(const varnok::app::Changes& changes);
    /// Shows the program in `language` from now on, and remembers it for
    /// the next start.
    void SetLanguage(varnok::text::Language language);

private:
    varnok::win32::Win32Prompts m_ownPrompts;
    std::unique_ptr<varnok::app::SettingsStore> m_pOwnSettings;
    varnok::app::Prompts* m_pPrompts;
    varnok::app::SettingsStore* m_pSettings;
    /// Where a transfer's worker posts its wake-up; read on that thread.
    std::atomic<HWND> m_wakeTarget{nullptr};
    std::unique_ptr<varnok::app::Workspace> m_pWorkspace;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    HWND m_lastFocus = nullptr;
};

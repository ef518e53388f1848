#include "win32/program_app.h"

#include "app/language.h"
#include "app/strings.h"
#include "win32/main_frame.h"
#include "win32/program_view.h"
#include "win32/progress_dlg.h"
#include "win32/registry_settings.h"
#include "win32/string_tables.h"
#include "win32/wide.h"

#include <commctrl.h>

CProgramApp::CProgramApp(varnok::app::Prompts* prompts, varnok::app::SettingsStore* settings)
    : m_pPrompts(prompts ? prompts : &m_ownPrompts) {
    if (!settings) {
        m_pOwnSettings = std::make_unique<varnok::win32::RegistrySettings>();
        settings = m_pOwnSettings.get();
    }
    m_pSettings = settings;
}

// The workspace goes first: it ends a transfer's worker, which may still
// post to the main window.
CProgramApp::~CProgramApp() {
    m_pWorkspace.reset();
    m_pMainFrame.reset();
}

bool CProgramApp::InitInstance(const std::wstring& fileToOpen, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    varnok::win32::useStringTables();
    varnok::text::setLanguage(varnok::app::startingLanguage(*m_pSettings, varnok::app::userInterfaceLocale()));

    // The worker of a transfer wakes this thread with a posted message.
    auto wake = [this] {
        if (HWND target = m_wakeTarget.load())
            PostMessageW(target, CMainFrame::WM_TRANSFER_WAKE, 0, 0);
    };
    m_pWorkspace = std::make_unique<varnok::app::Workspace>(*m_pPrompts, *m_pSettings, wake);
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    if (!m_pMainFrame->Create())
        return false;
    m_wakeTarget = m_pMainFrame->GetSafeHwnd();
    m_ownPrompts.m_hOwner = m_pMainFrame->GetSafeHwnd();

    std::wstring absolute;
    if (!fileToOpen.empty()) {
        absolute.resize(MAX_PATH * 4);
        absolute.resize(
            GetFullPathNameW(fileToOpen.c_str(), static_cast<DWORD>(absolute.size()), absolute.data(), nullptr));
    }
    // Centred before it is first shown, so it never visibly moves.
    m_pMainFrame->FitToForm();
    ShowWindow(m_pMainFrame->GetSafeHwnd(), showCommand);
    UpdateWindow(m_pMainFrame->GetSafeHwnd());
    // A file that cannot be opened has been reported; the program goes on
    // with a new document rather than ending.
    Apply(m_pWorkspace->start(varnok::win32::narrow(absolute)));
    return true;
}

CProgramView* CProgramApp::GetView() const { return m_pMainFrame ? m_pMainFrame->GetActiveView() : nullptr; }

void CProgramApp::Apply(const varnok::app::Changes& changes) {
    if (!m_pMainFrame || !m_pMainFrame->GetSafeHwnd())
        return;
    GetView()->Paint(changes);
    if (changes.progress)
        m_pMainFrame->ProgressDlg()->Paint(m_pWorkspace->progress());
    if (changes.recentFiles)
        m_pMainFrame->UpdateRecentFileMenu();
    if (changes.port)
        m_pMainFrame->UpdatePortChecks();
}

void CProgramApp::SetLanguage(varnok::text::Language language) {
    varnok::app::chooseLanguage(*m_pSettings, language);
    m_pMainFrame->ShowTexts();
}

void CProgramApp::ProcessMessage(MSG& msg) {
    CProgramView* view = GetView();
    HWND progress = m_pMainFrame->ProgressDlg()->GetSafeHwnd();
    const bool handled = (progress && IsDialogMessageW(progress, &msg)) || view->PreTranslateMessage(msg) ||
                         TranslateAcceleratorW(m_pMainFrame->GetSafeHwnd(), m_pMainFrame->Accelerators(), &msg) ||
                         IsDialogMessageW(view->GetSafeHwnd(), &msg);
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP)
        m_pMainFrame->UpdateIndicators();
    // The table editor learns where the keyboard is whenever it moves.
    HWND focus = GetFocus();
    if (focus != m_lastFocus) {
        m_lastFocus = focus;
        if (GetView())
            GetView()->OnFocusChanged(focus);
        m_pMainFrame->RememberFocus(focus);
    }
}

int CProgramApp::Run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        ProcessMessage(msg);
    return static_cast<int>(msg.wParam);
}

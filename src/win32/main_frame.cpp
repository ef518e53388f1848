#include "win32/main_frame.h"

#include "app/form_template.h"
#include "app/recent_files.h"
#include "app/strings.h"
#include "win32/about_dlg.h"
#include "win32/flex_grid.h"
#include "win32/print_preview.h"
#include "win32/program_app.h"
#include "win32/program_view.h"
#include "win32/progress_dlg.h"
#include "win32/report_print.h"
#include "win32/resource.h"
#include "win32/string_tables.h"
#include "win32/wide.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace strings = varnok::app::strings;
using namespace strings; // the command ids
using varnok::win32::narrow;
using varnok::win32::widen;

namespace {

constexpr wchar_t kClassName[] = L"VarnokMainFrame";

/// The menu bar's positions once OnCreate has put 编辑 after 文件.
constexpr int kFileMenu = 0;
constexpr int kEditMenu = 1;
constexpr int kRadioMenu = 2;
constexpr int kPortMenu = 3;
constexpr int kViewMenu = 4;

/// The four COM ports: their command ids and the port names they choose.
constexpr std::pair<int, const char*> kComPorts[] = {
    {ID_PORT_COM1, "COM1"}, {ID_PORT_COM2, "COM2"}, {ID_PORT_COM3, "COM3"}, {ID_PORT_COM4, "COM4"}};

/// Toolbar buttons in order with their images; 0 is a separator.
constexpr std::pair<int, int> kToolbar[] = {
    {ID_FILE_NEW, IDI_TOOL_NEW},
    {ID_FILE_OPEN, IDI_TOOL_OPEN},
    {ID_FILE_SAVE, IDI_TOOL_SAVE},
    {0, 0},
    {ID_RADIO_READ, IDI_TOOL_READ},
    {ID_RADIO_WRITE, IDI_TOOL_WRITE},
    {0, 0},
    {ID_FILE_PRINT, IDI_TOOL_PRINT},
    {ID_APP_ABOUT, IDI_TOOL_ABOUT},
};

std::wstring menuText(const strings::CommandText& command) {
    std::wstring text = widen(*command.text);
    if (*command.shortcut)
        text += L"\t" + widen(command.shortcut);
    return text;
}

const strings::CommandText* commandText(int id) {
    for (const strings::CommandText& command : strings::kMenuCommands)
        if (command.text && command.id == id)
            return &command;
    for (const strings::CommandText& command : strings::kRadioExtras)
        if (command.id == id)
            return &command;
    for (const strings::CommandText& command : strings::kFileExtras)
        if (command.id == id)
            return &command;
    for (const strings::CommandText& command : strings::kEditCommands)
        if (command.text && command.id == id)
            return &command;
    for (const strings::CommandText& command : strings::kLanguageCommands)
        if (command.id == id)
            return &command;
    return nullptr;
}

/// The bar's menu titles by position, 编辑 among them.
const strings::Text* menuTitle(int position) {
    if (position == kEditMenu)
        return &strings::kEditMenuTitle;
    const int table = position < kEditMenu ? position : position - 1;
    return table < static_cast<int>(std::size(strings::kMenuTitles)) ? strings::kMenuTitles[table] : nullptr;
}

void setItemText(HMENU menu, int position, const std::wstring& text) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item);
}

bool isRecentFile(int id) {
    return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + varnok::app::RecentFiles::kCount;
}

/// Gives the items of `menu` and its submenus their words in the current
/// language. The recent files keep their names, and the port menu, made
/// anew each time it opens, is not walked.
void showMenuTexts(HMENU menu) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU submenu = GetSubMenu(menu, i)) {
            // The language menu is the only one inside another.
            setItemText(menu, i, widen(strings::kLanguageMenu));
            showMenuTexts(submenu);
        } else if (const auto id = static_cast<int>(GetMenuItemID(menu, i)); !isRecentFile(id)) {
            if (const strings::CommandText* command = commandText(id))
                setItemText(menu, i, menuText(*command));
        }
    }
}

/// The key of a shortcut label: "Ctrl+" and a letter or digit, or "Del".
ACCEL acceleratorOf(const strings::CommandText& command) {
    const std::string label = command.shortcut;
    const auto id = static_cast<WORD>(command.id);
    if (label == "Del")
        return ACCEL{FVIRTKEY, VK_DELETE, id};
    return ACCEL{FVIRTKEY | FCONTROL, static_cast<WORD>(label.back()), id};
}

/// An edit control (the grid's text box, the tone box's field) keeps its
/// own Undo, Copy, Paste and Delete.
bool isEditControl(HWND window) {
    wchar_t name[16] = {};
    return window && GetClassNameW(window, name, 16) && lstrcmpiW(name, WC_EDITW) == 0;
}

std::optional<std::wstring> clipboardText(HWND owner) {
    if (!OpenClipboard(owner))
        return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

/// Puts `text` on the clipboard with the line breaks other programs expect.
void setClipboardText(HWND owner, const std::string& text) {
    std::wstring lines;
    for (wchar_t c : widen(text))
        lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (lines.size() + 1) * sizeof(wchar_t));
    if (!data)
        return;
    std::copy(lines.c_str(), lines.c_str() + lines.size() + 1, static_cast<wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, data))
            data = nullptr; // the clipboard owns it now
        CloseClipboard();
    }
    if (data)
        GlobalFree(data);
}

/// The prompt's part before the line break, or after it.
std::string promptPart(const strings::Text* prompt, bool tooltip) {
    const std::string text = prompt ? std::string(*prompt) : std::string();
    const std::size_t newline = text.find('\n');
    if (tooltip)
        return newline == std::string::npos ? std::string() : text.substr(newline + 1);
    return text.substr(0, newline);
}

std::wstring recentFileLabel(int index, const std::string& path) {
    constexpr std::size_t kLongest = 60;
    std::wstring shown = widen(path);
    std::replace(shown.begin(), shown.end(), L'/', L'\\');
    if (shown.size() > kLongest)
        shown = shown.substr(0, kLongest / 2 - 2) + L"..." + shown.substr(shown.size() - (kLongest / 2 - 1));
    std::wstring escaped;
    for (wchar_t c : shown) {
        escaped += c;
        if (c == L'&')
            escaped += L'&';
    }
    return L"&" + std::to_wstring(index + 1) + L" " + escaped;
}

/// Shown by its own style, whether or not the frame is on the screen yet.
bool isShown(HWND window) { return window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE); }

int dpiOf(HWND window) {
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return dpi > 0 ? dpi : 96;
}

} // namespace

CMainFrame::CMainFrame(CProgramApp& app) : m_app(app), m_pView(std::make_unique<CProgramView>(app)) {}

CMainFrame::~CMainFrame() {
    m_pProgressDlg.reset();
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    if (m_toolImages)
        ImageList_Destroy(m_toolImages);
    if (m_hDevMode)
        GlobalFree(m_hDevMode);
    if (m_hDevNames)
        GlobalFree(m_hDevNames);
    if (m_accelerators)
        DestroyAcceleratorTable(m_accelerators);
}

bool CMainFrame::Create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    // The resource's shortcuts and the 编辑 menu's, which the menu gets at
    // run time too.
    HACCEL resource = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(resource, nullptr, 0)));
    CopyAcceleratorTableW(resource, keys.data(), static_cast<int>(keys.size()));
    for (const strings::CommandText& command : strings::kEditCommands)
        if (command.text && *command.shortcut)
            keys.push_back(acceleratorOf(command));
    m_accelerators = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    // The title names the program, never the open file.
    CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, widen(strings::kAppTitle).c_str(),
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 900, 600, nullptr, nullptr,
                    instance, this);
    return m_hWnd && m_pView->GetSafeHwnd() && m_wndToolBar && m_wndStatusBar;
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<CMainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        frame->m_hWnd = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<CMainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!frame)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        frame->m_hWnd = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return frame->OnMessage(message, wParam, lParam);
}

void CMainFrame::OnCreate() {
    CreateToolBar();
    CreateStatusBar();
    m_pView->Create(m_hWnd);
    m_pProgressDlg = std::make_unique<CProgressDlg>(m_app, m_hWnd, m_pView->Grid()->GetSafeHwnd());
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LARGE))));
    HMENU bar = GetMenu(m_hWnd);
    HMENU editMenu = CreatePopupMenu();
    for (const strings::CommandText& command : strings::kEditCommands)
        AppendMenuW(editMenu, command.text ? MF_STRING : MF_SEPARATOR, static_cast<UINT_PTR>(command.id),
                    command.text ? menuText(command).c_str() : nullptr);
    InsertMenuW(bar, kEditMenu, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(editMenu),
                widen(strings::kEditMenuTitle).c_str());
    // The channel exchange follows the print commands, before the recent files.
    HMENU fileMenu = GetSubMenu(bar, kFileMenu);
    UINT at = 0;
    while (at < static_cast<UINT>(GetMenuItemCount(fileMenu)) &&
           GetMenuItemID(fileMenu, static_cast<int>(at)) != static_cast<UINT>(ID_FILE_PRINT_SETUP))
        ++at;
    InsertMenuW(fileMenu, ++at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    for (const strings::CommandText& command : strings::kFileExtras)
        InsertMenuW(fileMenu, ++at, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(command.id),
                    menuText(command).c_str());
    HMENU radioMenu = GetSubMenu(bar, kRadioMenu);
    AppendMenuW(radioMenu, MF_SEPARATOR, 0, nullptr);
    for (const strings::CommandText& command : strings::kRadioExtras)
        AppendMenuW(radioMenu, MF_STRING, static_cast<UINT_PTR>(command.id), menuText(command).c_str());
    HMENU languageMenu = CreatePopupMenu();
    for (const strings::CommandText& command : strings::kLanguageCommands)
        AppendMenuW(languageMenu, MF_STRING, static_cast<UINT_PTR>(command.id), menuText(command).c_str());
    HMENU viewMenu = GetSubMenu(bar, kViewMenu);
    AppendMenuW(viewMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(viewMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(languageMenu), widen(strings::kLanguageMenu).c_str());
    // The resource's menu and dialogs hold the Chinese words.
    ShowTexts();
}

void CMainFrame::ShowTexts() {
    SetWindowTextW(m_hWnd, widen(strings::kAppTitle).c_str());
    HMENU bar = GetMenu(m_hWnd);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        if (const strings::Text* title = menuTitle(i))
            setItemText(bar, i, widen(*title));
        if (i != kPortMenu)
            showMenuTexts(GetSubMenu(bar, i));
    }
    CheckMenuRadioItem(GetSubMenu(GetSubMenu(bar, kViewMenu), GetMenuItemCount(GetSubMenu(bar, kViewMenu)) - 1),
                       ID_VIEW_LANGUAGE_CHINESE, ID_VIEW_LANGUAGE_ENGLISH,
                       varnok::text::language() == varnok::text::Language::English ? ID_VIEW_LANGUAGE_ENGLISH
                                                                                   : ID_VIEW_LANGUAGE_CHINESE,
                       MF_BYCOMMAND);
    RefreshPortMenu();
    UpdateRecentFileMenu();
    DrawMenuBar(m_hWnd);
    SetPrompt(strings::kIdle);
    UpdateIndicators();
    m_pView->ShowTexts();
    if (m_pProgressDlg)
        m_pProgressDlg->ShowTexts();
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
        m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_VIEW_TOOLBAR)), GetModuleHandleW(nullptr), nullptr);
    if (!m_wndToolBar)
        return;
    SendMessageW(m_wndToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The images follow the screen's resolution; each .ico holds the SVG
    // drawn at 16, 24 and 32 pixels.
    const int size = MulDiv(16, dpiOf(m_hWnd), 96);
    m_toolImages = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 0);
    std::vector<TBBUTTON> buttons;
    for (const auto& [id, image] : kToolbar) {
        TBBUTTON button{};
        if (id == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            auto icon = static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(image), IMAGE_ICON, size, size, 0));
            button.iBitmap = ImageList_AddIcon(m_toolImages, icon);
            DestroyIcon(icon);
            button.idCommand = id;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    SendMessageW(m_wndToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_toolImages));
    SendMessageW(m_wndToolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(m_wndToolBar, TB_AUTOSIZE, 0, 0);
}

void CMainFrame::CreateStatusBar() {
    m_wndStatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                     m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_VIEW_STATUS_BAR)),
                                     GetModuleHandleW(nullptr), nullptr);
    SetPrompt(strings::kIdle);
}

void CMainFrame::RecalcLayout() {
    RECT client{};
    GetClientRect(m_hWnd, &client);
    int top = 0;
    int bottom = client.bottom;
    if (isShown(m_wndToolBar)) {
        SendMessageW(m_wndToolBar, TB_AUTOSIZE, 0, 0);
        RECT bar{};
        GetWindowRect(m_wndToolBar, &bar);
        top = bar.bottom - bar.top;
    }
    if (isShown(m_wndStatusBar)) {
        SendMessageW(m_wndStatusBar, WM_SIZE, 0, 0);
        RECT bar{};
        GetWindowRect(m_wndStatusBar, &bar);
        bottom -= bar.bottom - bar.top;
        // The message pane takes what the three indicators leave.
        const int pane = MulDiv(36, dpiOf(m_hWnd), 96);
        const int right = client.right - GetSystemMetrics(SM_CXVSCROLL);
        int parts[] = {std::max(0, right - 3 * pane), std::max(0, right - 2 * pane), std::max(0, right - pane), -1};
        SendMessageW(m_wndStatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
        UpdateIndicators();
    }
    if (HWND view = m_pView->GetSafeHwnd())
        SetWindowPos(view, nullptr, 0, top, client.right, std::max(0, bottom - top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::FitToForm() {
    RecalcLayout();
    // The form's own size, as its template made it, plus the bars.
    RECT dialog{0, 0, varnok::app::kFormWidth, varnok::app::kFormHeight};
    MapDialogRect(m_pView->GetSafeHwnd(), &dialog);
    int bars = 0;
    for (HWND bar : {m_wndToolBar, m_wndStatusBar}) {
        if (isShown(bar)) {
            RECT r{};
            GetWindowRect(bar, &r);
            bars += r.bottom - r.top;
        }
    }
    RECT wanted{0, 0, dialog.right, dialog.bottom + bars};
    AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)));
    RECT now{};
    GetWindowRect(m_hWnd, &now);
    const int width = std::min(now.right - now.left, wanted.right - wanted.left);
    const int height = std::min(now.bottom - now.top, wanted.bottom - wanted.top);
    // Centred on the screen's work area before it is first shown.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(m_hWnd, nullptr, (work.left + work.right - width) / 2, (work.top + work.bottom - height) / 2, width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::UpdateIndicators() {
    if (!m_wndStatusBar)
        return;
    const std::pair<int, const strings::Text*> locks[] = {
        {VK_CAPITAL, &strings::kCapsLock}, {VK_NUMLOCK, &strings::kNumLock}, {VK_SCROLL, &strings::kScrollLock}};
    int part = 1;
    for (const auto& [key, text] : locks) {
        const std::wstring shown = (GetKeyState(key) & 1) ? widen(*text) : std::wstring();
        SendMessageW(m_wndStatusBar, SB_SETTEXTW, static_cast<WPARAM>(part++), reinterpret_cast<LPARAM>(shown.c_str()));
    }
}

void CMainFrame::RememberFocus(HWND window) {
    if (window && IsChild(m_hWnd, window))
        m_hWndFocus = window;
}

void CMainFrame::SetPrompt(const std::string& prompt) {
    if (m_wndStatusBar)
        SendMessageW(m_wndStatusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(prompt).c_str()));
}

std::string CMainFrame::PromptOf(int id) const {
    if (isRecentFile(id))
        return strings::kRecentFilePrompt;
    if (const auto found = m_portPrompts.find(id); found != m_portPrompts.end())
        return found->second;
    if (const strings::CommandText* command = commandText(id))
        return promptPart(command->prompt, false);
    return strings::kIdle;
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP: {
        const auto menu = reinterpret_cast<HMENU>(wParam);
        HMENU bar = GetMenu(m_hWnd);
        if (menu == GetSubMenu(bar, kPortMenu))
            RefreshPortMenu();
        if (menu == GetSubMenu(bar, kEditMenu)) {
            // What an edit control with the keyboard would do is never greyed.
            const varnok::app::Workspace& ws = m_app.Workspace();
            const bool inEdit = isEditControl(GetFocus());
            const auto state = [](bool on) { return static_cast<UINT>(MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
            EnableMenuItem(menu, ID_EDIT_UNDO, state(inEdit || ws.canUndo()));
            EnableMenuItem(menu, ID_EDIT_REDO, state(ws.canRedo()));
            EnableMenuItem(menu, ID_EDIT_CLEAR, state(inEdit || !ws.selectedChannels().empty()));
        }
        if (menu == GetSubMenu(bar, kViewMenu)) {
            CheckMenuItem(menu, ID_VIEW_TOOLBAR, isShown(m_wndToolBar) ? MF_CHECKED : MF_UNCHECKED);
            CheckMenuItem(menu, ID_VIEW_STATUS_BAR, isShown(m_wndStatusBar) ? MF_CHECKED : MF_UNCHECKED);
        }
        return 0;
    }
    case WM_MENUSELECT:
        if (HIWORD(wParam) == 0xFFFF && lParam == 0)
            SetPrompt(strings::kIdle);
        else
            SetPrompt((HIWORD(wParam) & MF_POPUP) ? std::string() : PromptOf(LOWORD(wParam)));
        return 0;
    case WM_EXITMENULOOP:
        SetPrompt(strings::kIdle);
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            static std::wstring tip;
            const strings::CommandText* command = commandText(static_cast<int>(header->idFrom));
            tip = command ? widen(promptPart(command->prompt, true)) : std::wstring();
            info->lpszText = tip.data();
        } else if (header->code == TBN_HOTITEMCHANGE) {
            const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(lParam);
            SetPrompt((hot->dwFlags & HICF_LEAVING) ? std::string(strings::kIdle) : PromptOf(hot->idNew));
        }
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            RememberFocus(GetFocus());
        return 0;
    case WM_SETFOCUS:
        SetFocus(m_hWndFocus && IsWindow(m_hWndFocus) ? m_hWndFocus : m_pView->Combo(varnok::Setting::Model));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_APP + 2: {
        // A dropped file opens after the drop has finished, so a question
        // does not hold up the program it came from.
        const std::string path = narrow(m_droppedFile);
        m_droppedFile.clear();
        m_app.Apply(m_app.Workspace().openFile(path));
        return 0;
    }
    case WM_TRANSFER_WAKE:
        m_app.Apply(m_app.Workspace().pump());
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        if (m_app.Workspace().close())
            DestroyWindow(m_hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

void CMainFrame::OnCommand(int id) {
    varnok::app::Workspace& ws = m_app.Workspace();
    // Accelerators come before the control with the keyboard sees the key.
    if (HWND edit = GetFocus(); isEditControl(edit)) {
        constexpr std::pair<int, UINT> kEditMessages[] = {
            {ID_EDIT_UNDO, WM_UNDO}, {ID_EDIT_COPY, WM_COPY}, {ID_EDIT_PASTE, WM_PASTE}};
        for (const auto& [command, message] : kEditMessages)
            if (id == command) {
                SendMessageW(edit, message, 0, 0);
                return;
            }
        if (id == ID_EDIT_CLEAR) {
            // The key itself: it deletes the next character when nothing is
            // selected, which WM_CLEAR does not.
            SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
            SendMessageW(edit, WM_KEYUP, VK_DELETE, static_cast<LPARAM>(0xC0000001));
            return;
        }
    }
    for (const auto& [port, name] : kComPorts) {
        if (id == port) {
            m_app.Apply(ws.selectPort(name));
            UpdatePortChecks();
            return;
        }
    }
    if (const auto found = m_portNames.find(id); found != m_portNames.end()) {
        m_app.Apply(ws.selectPort(found->second));
        UpdatePortChecks();
        return;
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + varnok::app::RecentFiles::kCount) {
        m_app.Apply(ws.openRecent(id - ID_FILE_MRU_FILE1));
        return;
    }
    switch (id) {
    case ID_FILE_NEW:
        m_app.Apply(ws.fileNew());
        break;
    case ID_FILE_OPEN:
        m_app.Apply(ws.fileOpen());
        break;
    case ID_FILE_SAVE:
        m_app.Apply(ws.fileSave());
        break;
    case ID_FILE_SAVE_AS:
        m_app.Apply(ws.fileSaveAs());
        break;
    case ID_FILE_PRINT:
        OnFilePrint();
        break;
    case ID_FILE_PRINT_PREVIEW:
        OnFilePrintPreview();
        break;
    case ID_FILE_PRINT_SETUP:
        OnFilePrintSetup();
        break;
    case ID_APP_EXIT:
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        break;
    case ID_FILE_EXPORT_CSV:
        m_app.Apply(ws.exportCsv());
        break;
    case ID_FILE_IMPORT_CSV:
        m_app.Apply(ws.importCsv());
        break;
    case ID_FILE_COMPARE:
        m_app.Apply(ws.compareWithFile());
        break;
    case ID_EDIT_UNDO:
        m_app.Apply(ws.undo());
        break;
    case ID_EDIT_REDO:
        m_app.Apply(ws.redo());
        break;
    case ID_EDIT_COPY:
        // The open edit goes in first and is repainted; the copy then
        // finds nothing left to commit.
        m_app.Apply(ws.commitEdit());
        setClipboardText(m_hWnd, ws.copyRows());
        break;
    case ID_EDIT_PASTE:
        if (const std::optional<std::wstring> text = clipboardText(m_hWnd))
            m_app.Apply(ws.pasteRows(narrow(*text)));
        break;
    case ID_EDIT_CLEAR:
        m_app.Apply(ws.clearRows());
        break;
    case ID_RADIO_READ:
        m_app.Apply(ws.read());
        break;
    case ID_RADIO_WRITE:
        m_app.Apply(ws.write());
        break;
    case ID_RADIO_CLONE:
        m_app.Apply(ws.cloneRun());
        break;
    case ID_RADIO_BACKUPS:
        // ShellExecute's result above 32 is success.
        if (ws.prepareBackupFolder() &&
            reinterpret_cast<INT_PTR>(ShellExecuteW(m_hWnd, L"open", widen(ws.backupFolder()).c_str(), nullptr, nullptr,
                                                    SW_SHOWNORMAL)) <= 32)
            ws.backupFolderNotShown();
        break;
    case ID_PORT_OTHER:
        m_app.Apply(ws.askPort());
        RefreshPortMenu(); // a port typed by hand gets an item of its own
        break;
    case ID_VIEW_TOOLBAR:
        ShowWindow(m_wndToolBar, isShown(m_wndToolBar) ? SW_HIDE : SW_SHOW);
        RecalcLayout();
        break;
    case ID_VIEW_STATUS_BAR:
        ShowWindow(m_wndStatusBar, isShown(m_wndStatusBar) ? SW_HIDE : SW_SHOW);
        RecalcLayout();
        break;
    case ID_APP_ABOUT:
        CAboutDlg::DoModal(m_hWnd);
        break;
    case ID_VIEW_LANGUAGE_CHINESE:
    case ID_VIEW_LANGUAGE_ENGLISH:
        m_app.SetLanguage(id == ID_VIEW_LANGUAGE_ENGLISH ? varnok::text::Language::English
                                                         : varnok::text::Language::Chinese);
        break;
    default:
        break;
    }
}

void CMainFrame::RefreshPortMenu() {
    HMENU menu = GetSubMenu(GetMenu(m_hWnd), kPortMenu);
    if (!menu)
        return;
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    m_portNames.clear();
    m_portPrompts.clear();
    using Kind = varnok::app::PortItem::Kind;
    int nextId = ID_PORT_FIRST_FOUND;
    for (const varnok::app::PortItem& item : m_app.Workspace().portMenu()) {
        if (item.kind == Kind::Separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        int id = item.commandId;
        if (item.kind == Kind::Other) {
            id = ID_PORT_OTHER;
        } else if (item.kind != Kind::Com) {
            if (nextId > ID_PORT_LAST_FOUND)
                continue;
            id = nextId++;
            m_portNames[id] = item.port;
        }
        m_portPrompts[id] = item.prompt;
        std::wstring text = widen(item.text);
        if (!item.shortcut.empty())
            text += L"\t" + widen(item.shortcut);
        AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(id),
                    text.c_str());
    }
}

void CMainFrame::UpdatePortChecks() {
    // An exact comparison: "com1" typed by hand is not the COM1 item.
    HMENU menu = GetSubMenu(GetMenu(m_hWnd), kPortMenu);
    const std::string& chosen = m_app.Workspace().ports().port();
    for (const auto& [id, name] : kComPorts)
        CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (chosen == name ? MF_CHECKED : MF_UNCHECKED));
    for (const auto& [id, name] : m_portNames)
        CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (chosen == name ? MF_CHECKED : MF_UNCHECKED));
}

void CMainFrame::UpdateRecentFileMenu() {
    HMENU menu = GetSubMenu(GetMenu(m_hWnd), kFileMenu);
    if (!menu)
        return;
    // The entries, commands 57616 to 57619, stand where the placeholder
    // does; the greyed placeholder stands while the list is empty.
    int position = -1;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const auto id = static_cast<int>(GetMenuItemID(menu, i));
        if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + varnok::app::RecentFiles::kCount) {
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            position = i;
        }
    }
    if (position < 0)
        return;
    const std::vector<std::string> files = m_app.Workspace().recentFiles();
    if (files.empty()) {
        const strings::CommandText* placeholder = commandText(ID_FILE_MRU_FILE1);
        InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1,
                    placeholder ? menuText(*placeholder).c_str() : L"");
        return;
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        InsertMenuW(menu, static_cast<UINT>(position + static_cast<int>(i)), MF_BYPOSITION | MF_STRING,
                    static_cast<UINT_PTR>(ID_FILE_MRU_FILE1 + static_cast<int>(i)),
                    recentFileLabel(static_cast<int>(i), files[i]).c_str());
}

void CMainFrame::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && m_droppedFile.empty(); ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        const std::size_t dot = path.rfind(L'.');
        if (dot != std::wstring::npos && lstrcmpiW(path.c_str() + dot + 1, widen(strings::kFileSuffix).c_str()) == 0)
            m_droppedFile = path;
    }
    DragFinish(drop);
    if (!m_droppedFile.empty())
        PostMessageW(m_hWnd, WM_APP + 2, 0, 0);
}

// ---- Printing ---------------------------------------------------------------

const varnok::FormState& CMainFrame::CommittedForm() {
    // The report shows the table as the user sees it, so a value still being
    // typed goes in first, as it does for Save.
    m_app.Apply(m_app.Workspace().commitEdit());
    return m_app.Workspace().form();
}

HDC CMainFrame::PrinterDC() {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_hWnd;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    if (m_hDevNames) {
        auto* names = static_cast<DEVNAMES*>(GlobalLock(m_hDevNames));
        const auto* base = reinterpret_cast<const wchar_t*>(names);
        auto* mode = m_hDevMode ? static_cast<DEVMODEW*>(GlobalLock(m_hDevMode)) : nullptr;
        HDC dc = CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
        if (mode)
            GlobalUnlock(m_hDevMode);
        GlobalUnlock(m_hDevNames);
        return dc;
    }
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgW(&pd))
        return nullptr;
    m_hDevMode = pd.hDevMode;
    m_hDevNames = pd.hDevNames;
    return pd.hDC;
}

void CMainFrame::OnFilePrint() {
    const varnok::FormState form = CommittedForm();
    // The print path's own check: the page goes to a metafile, without a
    // printer or a dialog.
    if (const wchar_t* metafile = _wgetenv(L"VARNOK_PRINT_METAFILE"); metafile && *metafile) {
        if (!varnok::win32::writeReportMetafile(metafile, form))
            m_app.Prompts().show(varnok::app::titled(varnok::app::Icon::Warning, strings::kPrintFailed));
        return;
    }
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_hWnd;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    pd.nFromPage = pd.nToPage = pd.nMinPage = pd.nMaxPage = 1;
    pd.nCopies = 1;
    const BOOL chosen = PrintDlgW(&pd);
    m_hDevMode = pd.hDevMode;
    m_hDevNames = pd.hDevNames;
    if (!chosen)
        return;
    const bool printed = varnok::win32::printReport(pd.hDC, form, (pd.Flags & PD_PRINTTOFILE) != 0);
    DeleteDC(pd.hDC);
    if (!printed)
        m_app.Prompts().show(varnok::app::titled(varnok::app::Icon::Warning, strings::kPrintFailed));
}

void CMainFrame::OnFilePrintPreview() {
    const varnok::FormState form = CommittedForm();
    // The page of the chosen printer; a machine without one previews an A4
    // page at the printer resolution a metafile gets.
    varnok::report::PrintArea area{0, 0, 4660, 6716, 600, 600};
    if (HDC printer = PrinterDC()) {
        area = varnok::win32::printAreaOf(printer);
        DeleteDC(printer);
    }
    CPrintPreview::DoModal(m_hWnd, form, area, [this] { OnFilePrint(); });
}

void CMainFrame::OnFilePrintSetup() {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_hWnd;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    pd.Flags = PD_PRINTSETUP;
    PrintDlgW(&pd);
    m_hDevMode = pd.hDevMode;
    m_hDevNames = pd.hDevNames;
}

#include "win32/prompts.h"

#include "app/strings.h"
#include "win32/resource.h"
#include "win32/wide.h"

#include <commdlg.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace varnok::win32 {
namespace {

namespace strings = app::strings;

/// A message box's buttons: the system's kind of box that has that many in
/// that order, each slot's command id, answer and label.
struct Slot {
    int id;
    app::Button answer;
    const char* label;
};
struct BoxKind {
    UINT type;
    std::vector<Slot> slots;
};

BoxKind boxKind(const std::vector<app::Button>& buttons) {
    using app::Button;
    auto has = [&](Button b) { return std::find(buttons.begin(), buttons.end(), b) != buttons.end(); };
    if (has(Button::Save) || has(Button::Discard))
        return {MB_YESNOCANCEL,
                {{IDYES, Button::Save, strings::kButtonSave},
                 {IDNO, Button::Discard, strings::kButtonDiscard},
                 {IDCANCEL, Button::Cancel, strings::kButtonCancel}}};
    if (has(Button::Retry))
        return {MB_RETRYCANCEL,
                {{IDRETRY, Button::Retry, strings::kButtonRetry}, {IDCANCEL, Button::Cancel, strings::kButtonCancel}}};
    if (has(Button::Cancel))
        return {MB_OKCANCEL,
                {{IDOK, Button::Ok, strings::kButtonOk}, {IDCANCEL, Button::Cancel, strings::kButtonCancel}}};
    return {MB_OK, {{IDOK, Button::Ok, strings::kButtonOk}}};
}

UINT iconOf(app::Icon icon) {
    switch (icon) {
    case app::Icon::Information:
        return MB_ICONINFORMATION;
    case app::Icon::Warning:
        return MB_ICONWARNING;
    case app::Icon::Question:
        return MB_ICONQUESTION;
    default:
        return 0;
    }
}

// The box being shown relabels its buttons as it is activated; a message
// box runs on the thread that asked, one at a time.
thread_local const BoxKind* t_labelling = nullptr;
thread_local HHOOK t_hook = nullptr;

LRESULT CALLBACK labelButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_labelling) {
        const auto box = reinterpret_cast<HWND>(wParam);
        for (const Slot& slot : t_labelling->slots)
            SetDlgItemTextW(box, slot.id, widen(slot.label).c_str());
        t_labelling = nullptr;
    }
    return CallNextHookEx(t_hook, code, wParam, lParam);
}

/// The chooser's filter of one kind of file: its name, then its pattern.
std::wstring filter(const char* name, const char* suffix) {
    std::wstring text = widen(name);
    text += L'\0';
    text += L"*.";
    text += widen(suffix);
    text += L'\0';
    return text;
}

std::optional<std::string> runChooser(HWND owner, const std::wstring& folder, const std::wstring& file, bool save,
                                      const char* filterName = strings::kFileFilter,
                                      const char* fileSuffix = strings::kFileSuffix) {
    std::vector<wchar_t> buffer(32768, L'\0');
    std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), buffer.size() - 1)),
              buffer.begin());
    const std::wstring filterText = filter(filterName, fileSuffix);
    const std::wstring suffix = widen(fileSuffix);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterText.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = suffix.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (save)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    else
        ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
        return std::nullopt;
    return narrow(buffer.data());
}

struct PortQuestion {
    std::wstring current;
    std::wstring answer;
};

INT_PTR CALLBACK portProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        const auto* question = reinterpret_cast<const PortQuestion*>(lParam);
        SetWindowTextW(window, widen(strings::kAppTitle).c_str());
        SetDlgItemTextW(window, IDC_PORT_PROMPT, widen(strings::kOtherPortQuestion).c_str());
        SetDlgItemTextW(window, IDC_PORT_NAME, question->current.c_str());
        SetDlgItemTextW(window, IDOK, widen(strings::kButtonOk).c_str());
        SetDlgItemTextW(window, IDCANCEL, widen(strings::kButtonCancel).c_str());
        SendDlgItemMessageW(window, IDC_PORT_NAME, EM_SETSEL, 0, -1);
        return TRUE;
    }
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL))
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        auto* question = reinterpret_cast<PortQuestion*>(GetWindowLongPtrW(window, DWLP_USER));
        HWND field = GetDlgItem(window, IDC_PORT_NAME);
        question->answer.assign(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        question->answer.resize(static_cast<std::size_t>(
            GetWindowTextW(field, question->answer.data(), static_cast<int>(question->answer.size()))));
    }
    EndDialog(window, LOWORD(wParam));
    return TRUE;
}

} // namespace

app::Button Win32Prompts::show(const app::Message& message) {
    const BoxKind kind = boxKind(message.buttons);
    UINT type = kind.type | iconOf(message.icon) | (m_hOwner ? 0 : MB_TASKMODAL);
    for (std::size_t i = 0; i < kind.slots.size(); ++i)
        if (kind.slots[i].answer == message.defaultButton)
            type |= i == 1 ? MB_DEFBUTTON2 : i == 2 ? MB_DEFBUTTON3 : MB_DEFBUTTON1;
    t_labelling = &kind;
    t_hook = SetWindowsHookExW(WH_CBT, labelButtons, nullptr, GetCurrentThreadId());
    const int pressed = MessageBoxW(m_hOwner, widen(message.text).c_str(), widen(message.caption).c_str(), type);
    UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
    t_labelling = nullptr;
    for (const Slot& slot : kind.slots)
        if (slot.id == pressed)
            return slot.answer;
    // Closed with Escape or the close box: Cancel when it is offered.
    return kind.slots.back().answer;
}

std::optional<std::string> Win32Prompts::openPath(const std::string& folder) {
    return runChooser(m_hOwner, widen(folder), std::wstring(), false);
}

std::optional<std::string> Win32Prompts::savePath(const std::string& suggested) {
    return runChooser(m_hOwner, std::wstring(), widen(suggested), true);
}

std::optional<std::string> Win32Prompts::csvPath(const std::string& suggested, bool save) {
    const std::filesystem::path path = std::filesystem::u8path(suggested);
    return save ? runChooser(m_hOwner, std::wstring(), widen(suggested), true, strings::kCsvFilter, strings::kCsvSuffix)
                : runChooser(m_hOwner, path.parent_path().wstring(), std::wstring(), false, strings::kCsvFilter,
                             strings::kCsvSuffix);
}

std::optional<std::string> Win32Prompts::portName(const std::string& current) {
    PortQuestion question{widen(current), {}};
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PORT_NAME), m_hOwner, portProc,
                        reinterpret_cast<LPARAM>(&question)) != IDOK)
        return std::nullopt;
    return narrow(question.answer);
}

} // namespace varnok::win32

#include "win32/string_tables.h"

#include "win32/resource.h"
#include "win32/wide.h"

namespace varnok::win32 {

std::string StringTableTranslator::translate(const text::Text& text, text::Language language) const {
    const UINT id = IDS_TEXT_FIRST + static_cast<UINT>(text.id);
    const LANGID wanted = language == text::Language::English ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                                                              : MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    // A table is kept in blocks of sixteen counted strings, block n holding
    // ids 16 (n - 1) to 16 n - 1.
    HRSRC block = FindResourceExW(m_module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), wanted);
    if (!block)
        return {};
    const auto* at = static_cast<const WCHAR*>(LockResource(LoadResource(m_module, block)));
    if (!at)
        return {};
    const WCHAR* end = at + SizeofResource(m_module, block) / sizeof(WCHAR);
    for (UINT skipped = 0; skipped < id % 16 && at < end; ++skipped)
        at += 1 + *at;
    if (at >= end || *at > end - at - 1)
        return {};
    return narrow(std::wstring(at + 1, *at));
}

void useStringTables() {
    static const StringTableTranslator tables(GetModuleHandleW(nullptr));
    text::setTranslator(&tables);
}

TemplateWindows templateWindows(HWND dialog, const app::TemplateControl* controls, std::size_t count) {
    TemplateWindows windows;
    HWND child = GetWindow(dialog, GW_CHILD);
    for (std::size_t i = 0; i < count && child; ++i, child = GetWindow(child, GW_HWNDNEXT))
        windows.emplace_back(&controls[i], child);
    return windows;
}

void showTemplateTexts(const TemplateWindows& windows) {
    for (const auto& [control, window] : windows)
        if (control->text)
            SetWindowTextW(window, widen(*control->text).c_str());
}

} // namespace varnok::win32

#include "win32/registry_settings.h"

#include "win32/wide.h"

#include <windows.h>

namespace varnok::win32 {
namespace {

/// The subkey path and value name of "Group/Name".
void split(const std::wstring& root, const std::string& key, std::wstring& path, std::wstring& name) {
    const std::wstring wide = widen(key);
    const std::size_t slash = wide.rfind(L'/');
    path = root;
    if (slash != std::wstring::npos) {
        path += L'\\';
        path += wide.substr(0, slash);
    }
    name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
}

} // namespace

std::optional<std::string> RegistrySettings::value(const std::string& key) const {
    std::wstring path;
    std::wstring name;
    split(m_root, key, path, name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, text.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return narrow(text);
}

void RegistrySettings::setValue(const std::string& key, const std::optional<std::string>& value) {
    std::wstring path;
    std::wstring name;
    split(m_root, key, path, name);
    if (!value) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str());
        return;
    }
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    const std::wstring text = widen(*value);
    RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

} // namespace varnok::win32

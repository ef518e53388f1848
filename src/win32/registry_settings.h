// The program's settings in the registry, under the key
// HKEY_CURRENT_USER\Software\Varnok: a key "Group/Name" is the value Name of the subkey Group. Nothing
// else in the registry is written.
#pragma once

#include "app/settings_store.h"

#include <string>

namespace varnok::win32 {

class RegistrySettings : public app::SettingsStore {
public:
    /// `root` is below HKEY_CURRENT_USER; tests use a key of their own.
    explicit RegistrySettings(std::wstring root = L"Software\\Varnok") : m_root(std::move(root)) {}
    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::optional<std::string>& value) override;

private:
    std::wstring m_root;
};

} // namespace varnok::win32

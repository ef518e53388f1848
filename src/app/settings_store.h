// Where the program keeps what it remembers between runs (the recent-file
// list now; more later), behind a small interface: the Qt face keeps it in
// QSettings, the Windows face under HKEY_CURRENT_USER\Software\Varnok,
// tests in memory.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace varnok::app {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// Keys are "Group/Name" (e.g. "Recent File List/File1").
    virtual std::optional<std::string> value(const std::string& key) const = 0;
    /// Stores `value`; nullopt removes the key.
    virtual void setValue(const std::string& key, const std::optional<std::string>& value) = 0;
};

/// Settings that last as long as the object: tests, and tools that keep
/// nothing.
class MemorySettings : public SettingsStore {
public:
    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::optional<std::string>& value) override;

private:
    std::map<std::string, std::string> m_values;
};

} // namespace varnok::app

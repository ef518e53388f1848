#include "app/settings_store.h"

namespace varnok::app {

std::optional<std::string> MemorySettings::value(const std::string& key) const {
    const auto found = m_values.find(key);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void MemorySettings::setValue(const std::string& key, const std::optional<std::string>& value) {
    if (value)
        m_values[key] = *value;
    else
        m_values.erase(key);
}

} // namespace varnok::app

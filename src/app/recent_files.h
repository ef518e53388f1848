// The recent-file list of the File menu: four entries, most recent first,
// kept between runs.
#pragma once

#include "app/settings_store.h"

#include <string>
#include <vector>

namespace varnok::app {

class RecentFiles {
public:
    static constexpr int kCount = 4;

    explicit RecentFiles(SettingsStore& store) : m_store(store) {}

    /// The entries, most recent first; never more than kCount, no blanks.
    std::vector<std::string> list() const;
    /// Puts `path` first, once; the oldest entry beyond kCount drops off.
    void add(const std::string& path);
    /// Takes `path` out (a file that could not be opened).
    void remove(const std::string& path);

private:
    void store(const std::vector<std::string>& files);

    SettingsStore& m_store;
};

} // namespace varnok::app

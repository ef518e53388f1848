#include "app/recent_files.h"

#include <algorithm>

namespace varnok::app {
namespace {

std::string keyOf(int index) { return "Recent File List/File" + std::to_string(index + 1); }

} // namespace

std::vector<std::string> RecentFiles::list() const {
    std::vector<std::string> files;
    for (int i = 0; i < kCount; ++i) {
        const std::optional<std::string> file = m_store.value(keyOf(i));
        if (file && !file->empty())
            files.push_back(*file);
    }
    return files;
}

void RecentFiles::add(const std::string& path) {
    std::vector<std::string> files = list();
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > static_cast<std::size_t>(kCount))
        files.resize(kCount);
    store(files);
}

void RecentFiles::remove(const std::string& path) {
    std::vector<std::string> files = list();
    const auto kept = std::remove(files.begin(), files.end(), path);
    if (kept == files.end())
        return;
    files.erase(kept, files.end());
    store(files);
}

void RecentFiles::store(const std::vector<std::string>& files) {
    // Every slot is written, so a shorter list leaves no old entry behind.
    for (int i = 0; i < kCount; ++i) {
        if (static_cast<std::size_t>(i) < files.size())
            m_store.setValue(keyOf(i), files[static_cast<std::size_t>(i)]);
        else
            m_store.setValue(keyOf(i), std::nullopt);
    }
}

} // namespace varnok::app

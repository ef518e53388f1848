#include "app/backups.h"

#include "app/text.h"
#include "image/sinfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace varnok::app {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
TEST(Backups, TheFolderFollowsXdgDataHomeAndIgnoresARelativeOne) {
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("HOME", "/home/dealer", 1);
    const struct {
        const char* xdg; ///< nullptr: unset
        const char* folder;
    } rows[] = {
        {"/data", "/data/varnok/backups"},
        {"relative/data", "/home/dealer/.local/share/varnok/backups"},
        {"", "/home/dealer/.local/share/varnok/backups"},
        {nullptr, "/home/dealer/.local/share/varnok/backups"},
    };
    for (const auto& row : rows) {
        row.xdg ? ::setenv("XDG_DATA_HOME", row.xdg, 1) : ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(defaultBackupFolder(), row.folder) << (row.xdg ? row.xdg : "unset");
    }
    ::setenv("HOME", saved.c_str(), 1);
    xdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}
#endif

/// Named by local time and the model the form would show; a second backup
/// in the same second never replaces the first.
TEST(Backups, NamesCarryTimeAndModelAndNeverCollide) {
    std::tm moment{};
    moment.tm_year = 2026 - 1900;
    moment.tm_mon = 11;
    moment.tm_mday = 8;
    moment.tm_hour = 14;
    moment.tm_min = 3;
    moment.tm_sec = 22;
    moment.tm_isdst = -1;
    const std::time_t when = std::mktime(&moment); // local time, as the name shows it
    const struct {
        std::uint8_t modelCode;
        const char* name;
    } rows[] = {
        {layout::kModelCodeFirst, "2026-12-08_14-03-22_QX-100.sin"},
        {layout::kModelCodeSecond, "2026-12-08_14-03-22_QX-200.sin"},
        {0xFF, "2026-12-08_14-03-22_QX.sin"},
    };
    for (const auto& row : rows) {
        RadioImage image;
        image[layout::kModelCode] = row.modelCode;
        EXPECT_EQ(backupName(image, when), row.name);
    }

    const fs::path dir = fs::temp_directory_path() / "varnok_backups_test";
    fs::remove_all(dir);
    RadioImage image;
    image[layout::kModelCode] = layout::kModelCodeFirst;
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        image[7] = static_cast<std::uint8_t>(i);
        const Backup backup = storeBackup(image, utf8Path(dir / "new"), when);
        ASSERT_TRUE(backup.ok()) << backup.error;
        names.push_back(utf8Path(fsPath(backup.path).filename()));
        RadioImage kept;
        ASSERT_FALSE(loadChannelFile(fsPath(backup.path), kept));
        EXPECT_EQ(kept, image);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"2026-12-08_14-03-22_QX-100.sin", "2026-12-08_14-03-22_QX-100_2.sin",
                                               "2026-12-08_14-03-22_QX-100_3.sin"}));
    std::ofstream(dir / "file") << "not a folder";
    EXPECT_FALSE(storeBackup(image, utf8Path(dir / "file"), when).ok());
    fs::remove_all(dir);
}

} // namespace
} // namespace varnok::app

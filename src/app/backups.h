// Backups of what came out of a radio. A read is the only copy of a radio's
// configuration until the user saves it; keeping every complete read on
// disk means a closed window, a wrong Open or a bad write never loses one.
#pragma once

#include "image/image.h"

#include <ctime>
#include <string>

namespace varnok::app {

/// Where backups go: $XDG_DATA_HOME/varnok/backups (~/.local/share when it
/// is not set) on Linux, %LOCALAPPDATA%\Varnok\backups on Windows.
std::string defaultBackupFolder();

/// "2026-12-08_14-03-22_QX-100.sin": local date and time, then the model the
/// form shows for the image ("QX" when the image names none).
std::string backupName(const RadioImage& image, std::time_t when);

struct Backup {
    std::string path;  ///< where the image went, on success
    std::string error; ///< why it did not, for the user
    bool ok() const { return error.empty(); }
};

/// Stores `image` unchanged in `folder`, made when missing. A backup never
/// replaces another: a second read in the same second gets "_2" and so on.
Backup storeBackup(const RadioImage& image, const std::string& folder, std::time_t when = std::time(nullptr));

} // namespace varnok::app

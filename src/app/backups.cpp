#include "app/backups.h"

#include "app/text.h"
#include "image/form.h"
#include "image/sinfile.h"

#include <cstdlib>
#include <system_error>

namespace varnok::app {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
std::string environment(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    return value && *value ? utf8Path(fs::path(value)) : std::string();
}
#else
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string();
}
#endif

} // namespace

std::string defaultBackupFolder() {
#ifdef _WIN32
    std::string base = environment(L"LOCALAPPDATA");
    if (base.empty())
        base = environment(L"APPDATA");
    if (base.empty())
        base = environment(L"USERPROFILE");
    return utf8Path(fsPath(base) / "Varnok" / "backups");
#else
    // The XDG rules ignore a relative XDG_DATA_HOME.
    std::string base = environment("XDG_DATA_HOME");
    if (base.empty() || base[0] != '/') {
        const std::string home = environment("HOME");
        base = (home.empty() ? std::string("/tmp") : home) + "/.local/share";
    }
    return base + "/varnok/backups";
#endif
}

std::string backupName(const RadioImage& image, std::time_t when) {
    const std::string stamp = localTime(when, "%Y-%m-%d_%H-%M-%S");

    // Decoding rewrites the auxiliary records of its image, so a copy.
    RadioImage copy = image;
    FormState form;
    decodeImage(copy, form);
    std::string model = form.selectedText(Setting::Model);
    if (model.empty())
        model = "QX";
    return std::string(stamp) + "_" + model + ".sin";
}

Backup storeBackup(const RadioImage& image, const std::string& folder, std::time_t when) {
    Backup backup;
    std::error_code ec;
    const fs::path dir = fsPath(folder);
    fs::create_directories(dir, ec);
    if (ec) {
        backup.error = "cannot create the backup folder " + nativePath(folder) + ": " + ec.message();
        return backup;
    }
    const std::string name = backupName(image, when);
    const std::string stem = name.substr(0, name.size() - 4);
    fs::path target = dir / fsPath(name);
    for (int n = 2; fs::exists(fs::symlink_status(target, ec)); ++n)
        target = dir / fsPath(stem + "_" + std::to_string(n) + ".sin");
    if (const auto error = saveChannelFile(target, image)) {
        backup.error = error->message;
        return backup;
    }
    backup.path = utf8Path(target);
    return backup;
}

} // namespace varnok::app

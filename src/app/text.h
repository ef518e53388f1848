// Small text helpers of the application layer, kept out of the faces'
// headers.
#pragma once

#include "text/texts.h"

#include <ctime>
#include <filesystem>
#include <string>

namespace varnok::app {

using text::arg;

/// A UTF-8 path as a file system path, and back; the narrow conversions
/// would take the Windows code page instead of UTF-8.
inline std::filesystem::path fsPath(const std::string& utf8) { return std::filesystem::u8path(utf8); }
inline std::string utf8Path(const std::filesystem::path& path) { return path.u8string(); }

/// `when` in local time, as strftime's `format` writes it.
inline std::string localTime(std::time_t when, const char* format) {
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &when);
#else
    ::localtime_r(&when, &local);
#endif
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

/// A path with the platform's separators, as a user reads it.
inline std::string nativePath(const std::string& path) { return utf8Path(fsPath(path).make_preferred()); }

} // namespace varnok::app

// Channel data files (".sin"): the 1024 image bytes in offset order, nothing
// before or after them.
#pragma once

#include "image/image.h"

#include <filesystem>
#include <optional>
#include <string>

namespace varnok {

/// Why a file could not be read or written; `message` is one line for the
/// user and names the file.
struct FileError {
    enum class Kind {
        Io,     ///< the file could not be opened, read, written or replaced
        Format, ///< the file is not a channel file (too short)
    };
    Kind kind;
    std::string message;
};

/// Reads a channel file into `image`. The image changes only when all 1024
/// bytes were read; bytes after the first 1024 are ignored.
std::optional<FileError> loadChannelFile(const std::filesystem::path& path, RadioImage& image);

/// Writes the image atomically: a temporary file in the same folder is
/// written completely and then renamed over the target, so a failed save
/// leaves any old file as it was.
std::optional<FileError> saveChannelFile(const std::filesystem::path& path, const RadioImage& image);

} // namespace varnok

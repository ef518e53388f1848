// Channel data files (".sin"): the 1024 image bytes in offset order, nothing
// before or after them.
#pragma once

#include "image/image.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnok {

/// Why a file could not be read or written; `message` is one line for the
/// user and names the file (or the folder, when the folder is the obstacle).
struct FileError {
    enum class Kind {
        Io,     ///< the file could not be opened, read, written or replaced, or is no regular file
        Format, ///< the file is not a channel file (too short)
    };
    Kind kind;
    std::string message;
};

/// Reads a channel file into `image`. The image changes only when all 1024
/// bytes were read; bytes after the first 1024 are ignored. Anything but a
/// regular file (a pipe, a socket, a device, a folder) is refused without
/// waiting for it.
std::optional<FileError> loadChannelFile(const std::filesystem::path& path, RadioImage& image);

/// Reads at most `limit` bytes of a file into `content`, by the same rules:
/// anything but a regular file is refused without waiting for it.
std::optional<FileError> loadFileContent(const std::filesystem::path& path, std::size_t limit, std::string& content);

/// Writes the image to the file `path` names: a symbolic link is followed
/// and its target written, the link kept. A target that exists must be a
/// writable regular file. The new content is written completely to a
/// temporary file beside the target, which then takes the target's mode and
/// owner and replaces it; a target with several hard links is instead
/// rewritten in place, so every link sees the new content. After any failure
/// the old file is as it was and no temporary is left.
std::optional<FileError> saveChannelFile(const std::filesystem::path& path, const RadioImage& image);

/// Writes `content` to the file `path` names by the rules of
/// `saveChannelFile`, for the other files the program writes (the report as
/// a PDF).
std::optional<FileError> saveFileContent(const std::filesystem::path& path, std::string_view content);

/// The checks `saveChannelFile` makes before it writes anything, so a caller
/// can refuse a path before it gathers the image to save.
std::optional<FileError> checkSaveTarget(const std::filesystem::path& path);

} // namespace varnok

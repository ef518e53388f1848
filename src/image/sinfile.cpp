#include "image/sinfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnok {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileSize = layout::kImageSize;
// The kernel's own limit on a chain of links, so a loop ends the same way.
constexpr int kMaxLinkHops = 40;

std::string quoted(const fs::path& path) { return "\"" + path.u8string() + "\""; }

std::error_code errnoCode(int err) { return {err, std::generic_category()}; }

FileError ioError(const std::string& name, const std::string& what, std::error_code ec) {
    return FileError{FileError::Kind::Io, "cannot " + what + " " + name + ": " + ec.message()};
}

FileError folderError(const fs::path& folder, std::error_code ec) {
    return FileError{FileError::Kind::Io, "cannot create a file in folder " + quoted(folder) + ": " + ec.message()};
}

const char* kindName(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory:
        return "a folder";
    case fs::file_type::fifo:
        return "a named pipe";
    case fs::file_type::socket:
        return "a socket";
    case fs::file_type::character:
    case fs::file_type::block:
        return "a device";
    default:
        return "a special file";
    }
}

FileError notRegular(const std::string& name, fs::file_type type) {
    return FileError{FileError::Kind::Io, name + " is not a regular file: it is " + kindName(type)};
}

FileError tooShort(const fs::path& path, std::size_t got) {
    return FileError{FileError::Kind::Format, quoted(path) + " is not a channel file: it holds " + std::to_string(got) +
                                                  (got == 1 ? " byte" : " bytes") + ", a channel file holds " +
                                                  std::to_string(kFileSize)};
}

fs::path temporarySibling(const fs::path& target) {
    // One generator per thread: two documents may save at the same time.
    thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    fs::path tmp = target;
    tmp += suffix;
    return tmp;
}

/// What a save writes: the end of the link chain `path` starts, and how the
/// messages name it.
struct SaveTarget {
    fs::path file;
    fs::path folder;
    std::string name;
};

// Replacing a link by a regular file would leave the file it points to
// unchanged without a word, so a save writes the end of the chain. A relative
// link counts from its own folder; a dangling link gives the file to create.
std::optional<FileError> followLinks(const fs::path& path, SaveTarget& target) {
    fs::path file = path;
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(file, ec)))
            break;
        if (hops == kMaxLinkHops)
            return ioError(quoted(path), "write", std::make_error_code(std::errc::too_many_symbolic_link_levels));
        const fs::path next = fs::read_symlink(file, ec);
        if (ec)
            return ioError(quoted(path), "write", ec);
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    target.file = file;
    target.folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    target.name = quoted(path);
    if (file != path)
        target.name += " (a link to " + quoted(file) + ")";
    return std::nullopt;
}

#ifndef _WIN32

fs::file_type typeOf(mode_t mode) {
    if (S_ISDIR(mode))
        return fs::file_type::directory;
    if (S_ISFIFO(mode))
        return fs::file_type::fifo;
    if (S_ISSOCK(mode))
        return fs::file_type::socket;
    if (S_ISCHR(mode))
        return fs::file_type::character;
    if (S_ISBLK(mode))
        return fs::file_type::block;
    return fs::file_type::unknown;
}

/// Writes all of `data` from the start of the file; `written` counts the
/// bytes that reached it, also when a later write fails. Returns 0 or errno.
int writeAll(int fd, const std::uint8_t* data, std::size_t size, std::size_t& written) {
    written = 0;
    while (written < size) {
        const ssize_t n = ::pwrite(fd, data + written, size - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

struct PosixTarget : SaveTarget {
    bool exists = false;
    struct stat st {};
};

std::optional<FileError> inspect(const fs::path& path, PosixTarget& target) {
    if (auto error = followLinks(path, target))
        return error;
    if (::stat(target.file.c_str(), &target.st) == 0) {
        target.exists = true;
        if (!S_ISREG(target.st.st_mode))
            return notRegular(target.name, typeOf(target.st.st_mode));
        // Root may write anything, so a file without any write bit counts as
        // read-only too, as editors treat it.
        if ((target.st.st_mode & 0222) == 0 || ::access(target.file.c_str(), W_OK) != 0)
            return FileError{FileError::Kind::Io, target.name + " is read-only"};
        if (target.st.st_nlink > 1)
            return std::nullopt; // rewritten in place: the folder is not touched
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return ioError(target.name, "write", errnoCode(errno));
    }
    struct stat folder {};
    if (::stat(target.folder.c_str(), &folder) != 0)
        return folderError(target.folder, errnoCode(errno));
    if (!S_ISDIR(folder.st_mode))
        return folderError(target.folder, errnoCode(ENOTDIR));
    if (::access(target.folder.c_str(), W_OK | X_OK) != 0)
        return folderError(target.folder, errnoCode(errno));
    return std::nullopt;
}

// Every name of a hard-linked file must see the new content, which a rename
// would give to one name only. The old bytes stay in memory so a failure can
// put them back.
std::optional<FileError> rewriteInPlace(const PosixTarget& target, std::string_view bytes) {
    const int fd = ::open(target.file.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ioError(target.name, "open", errnoCode(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegular(target.name, typeOf(st.st_mode));
    }
    std::vector<std::uint8_t> old(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < old.size()) {
        const ssize_t n = ::pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            return ioError(target.name, "read", errnoCode(err));
        }
        got += static_cast<std::size_t>(n);
    }

    std::size_t written = 0;
    int err = writeAll(fd, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), written);
    if (err == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        err = errno;
    const bool truncated = err == 0;
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (err != 0) {
        std::size_t ignored = 0;
        const std::size_t back = truncated ? old.size() : std::min(written, old.size());
        writeAll(fd, old.data(), back, ignored);
        if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0)
            ::fsync(fd);
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0)
        return ioError(target.name, "write", errnoCode(err));
    return std::nullopt;
}

// The temporary is created with 0666 so the kernel applies the umask to a new
// file; a file that is replaced passes on its owner, group and mode.
std::optional<FileError> replaceByRename(const PosixTarget& target, std::string_view bytes) {
    fs::path tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = temporarySibling(target.file);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return folderError(target.folder, errnoCode(errno));

    int err = 0;
    if (target.exists) {
        // Only root may give a file away; a member of the group keeps at
        // least the group.
        if (::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
            if (errno != EPERM)
                err = errno;
            else if (::fchown(fd, static_cast<uid_t>(-1), target.st.st_gid) != 0 && errno != EPERM)
                err = errno;
        }
        if (err == 0 && ::fchmod(fd, target.st.st_mode & 07777) != 0)
            err = errno;
    }
    std::size_t written = 0;
    if (err == 0)
        err = writeAll(fd, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), written);
    // Synced before the rename, so a crash cannot leave a renamed empty file.
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(tmp.c_str(), target.file.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(tmp.c_str());
        return ioError(target.name, "write", errnoCode(err));
    }
    return std::nullopt;
}

#else

struct WindowsTarget : SaveTarget {};

std::optional<FileError> inspect(const fs::path& path, WindowsTarget& target) {
    if (auto error = followLinks(path, target))
        return error;
    std::error_code ec;
    const fs::file_status status = fs::status(target.file, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status))
            return notRegular(target.name, status.type());
        if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
            return FileError{FileError::Kind::Io, target.name + " is read-only"};
        return std::nullopt;
    }
    if (!fs::is_directory(target.folder, ec))
        return folderError(target.folder, ec ? ec : std::make_error_code(std::errc::not_a_directory));
    return std::nullopt;
}

std::optional<FileError> replaceByRename(const WindowsTarget& target, std::string_view bytes) {
    const fs::path tmp = temporarySibling(target.file);
    std::error_code ignored;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return folderError(target.folder, errnoCode(errno));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(tmp, ignored);
            return ioError(target.name, "write", errnoCode(errno ? errno : EIO));
        }
    }
    std::error_code ec;
    fs::rename(tmp, target.file, ec); // replaces an existing target
    if (ec) {
        fs::remove(tmp, ignored);
        return ioError(target.name, "write", ec);
    }
    return std::nullopt;
}

#endif

} // namespace

#ifndef _WIN32

std::optional<FileError> loadFileContent(const std::filesystem::path& path, std::size_t limit, std::string& content) {
    // A device is not even opened; the check after the open catches a file
    // swapped in between, and O_NONBLOCK keeps a pipe from blocking the open.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return notRegular(quoted(path), typeOf(st.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ioError(quoted(path), "open", errnoCode(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegular(quoted(path), typeOf(st.st_mode));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    std::string bytes(limit, '\0');
    std::size_t got = 0;
    int err = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            err = errno;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (err != 0)
        return ioError(quoted(path), "read", errnoCode(err));
    bytes.resize(got);
    content = std::move(bytes);
    return std::nullopt;
}

std::optional<FileError> saveFileContent(const std::filesystem::path& path, std::string_view content) {
    PosixTarget target;
    if (auto error = inspect(path, target))
        return error;
    if (target.exists && target.st.st_nlink > 1)
        return rewriteInPlace(target, content);
    return replaceByRename(target, content);
}

std::optional<FileError> checkSaveTarget(const std::filesystem::path& path) {
    PosixTarget target;
    return inspect(path, target);
}

#else

std::optional<FileError> loadFileContent(const std::filesystem::path& path, std::size_t limit, std::string& content) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return notRegular(quoted(path), status.type());
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ioError(quoted(path), "open", errnoCode(errno ? errno : ENOENT));
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad())
        return ioError(quoted(path), "read", errnoCode(errno ? errno : EIO));
    bytes.resize(got);
    content = std::move(bytes);
    return std::nullopt;
}

std::optional<FileError> saveFileContent(const std::filesystem::path& path, std::string_view content) {
    WindowsTarget target;
    if (auto error = inspect(path, target))
        return error;
    return replaceByRename(target, content);
}

std::optional<FileError> checkSaveTarget(const std::filesystem::path& path) {
    WindowsTarget target;
    return inspect(path, target);
}

#endif

std::optional<FileError> saveChannelFile(const std::filesystem::path& path, const RadioImage& image) {
    const RadioImage::Bytes& bytes = image.bytes();
    return saveFileContent(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::optional<FileError> loadChannelFile(const std::filesystem::path& path, RadioImage& image) {
    std::string bytes;
    if (auto error = loadFileContent(path, kFileSize, bytes))
        return error;
    if (bytes.size() < kFileSize)
        return tooShort(path, bytes.size());
    RadioImage::Bytes raw{};
    std::copy(bytes.begin(), bytes.end(), raw.begin());
    image = RadioImage(raw);
    return std::nullopt;
}

} // namespace varnok

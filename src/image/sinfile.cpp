#include "image/sinfile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnok {
namespace {

std::string quoted(const std::filesystem::path& path) { return "\"" + path.u8string() + "\""; }

FileError ioError(const std::filesystem::path& path, const std::string& what, int err) {
    std::string message = "cannot " + what + " " + quoted(path);
    if (err != 0)
        message += ": " + std::string(std::strerror(err));
    return FileError{FileError::Kind::Io, message};
}

std::filesystem::path temporarySibling(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    std::filesystem::path tmp = target;
    tmp += suffix;
    return tmp;
}

#ifndef _WIN32

// POSIX: create the temporary exclusively, sync it to disk before the rename
// so a crash cannot leave a renamed but empty file, and give it the mode the
// old file had (or the usual mode of a new file).
std::optional<FileError> writeAtomically(const std::filesystem::path& path, const RadioImage& image) {
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::filesystem::path tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = temporarySibling(path);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return ioError(path, "write", errno);

    const auto& bytes = image.bytes();
    std::size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (err == 0 && ::fchmod(fd, mode) != 0)
        err = errno;
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(tmp.c_str());
        return ioError(path, "write", err);
    }
    return std::nullopt;
}

#else

std::optional<FileError> writeAtomically(const std::filesystem::path& path, const RadioImage& image) {
    const std::filesystem::path tmp = temporarySibling(path);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return ioError(path, "write", errno);
        out.write(reinterpret_cast<const char*>(image.bytes().data()),
                  static_cast<std::streamsize>(image.bytes().size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(tmp, ignored);
            return ioError(path, "write", errno);
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec); // replaces an existing target
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        return FileError{FileError::Kind::Io, "cannot write " + quoted(path) + ": " + ec.message()};
    }
    return std::nullopt;
}

#endif

} // namespace

std::optional<FileError> loadChannelFile(const std::filesystem::path& path, RadioImage& image) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return FileError{FileError::Kind::Io, "cannot open " + quoted(path) + ": it is a folder"};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ioError(path, "open", errno);
    RadioImage::Bytes bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got < bytes.size()) {
        if (in.bad())
            return ioError(path, "read", errno);
        return FileError{FileError::Kind::Format, quoted(path) + " is not a channel file: it holds " +
                                                      std::to_string(got) + " bytes, a channel file holds " +
                                                      std::to_string(bytes.size())};
    }
    image = RadioImage(bytes);
    return std::nullopt;
}

std::optional<FileError> saveChannelFile(const std::filesystem::path& path, const RadioImage& image) {
    return writeAtomically(path, image);
}

} // namespace varnok

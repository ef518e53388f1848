#include "image/sinfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <iterator>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace varnok {
namespace {

namespace fs = std::filesystem;

class ChannelFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (std::size_t i = 0; i < layout::kImageSize; ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    void TearDown() override { fs::remove_all(dir); }

    static void fill(const fs::path& path, std::size_t count, char value) {
        std::ofstream(path, std::ios::binary) << std::string(count, value);
    }
    static std::string readAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string bytes() const { return std::string(image.bytes().begin(), image.bytes().end()); }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir = fs::temp_directory_path() /
                   ("varnok-sinfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    RadioImage image; ///< no two rows alike
};

TEST_F(ChannelFile, SaveThenLoadGivesEveryByteBackAndIgnoresBytesPastThe1024th) {
    const fs::path path = dir / "radio.sin";
    ASSERT_FALSE(saveChannelFile(path, image));
    EXPECT_EQ(readAll(path), bytes());
    EXPECT_EQ(entries(), 1u); // no temporary left behind
    std::ofstream(path, std::ios::binary | std::ios::app) << "more";
    RadioImage loaded;
    ASSERT_FALSE(loadChannelFile(path, loaded));
    EXPECT_EQ(loaded, image);
}

TEST_F(ChannelFile, AShortFileLeavesTheImageUntouched) {
    for (std::size_t size : {0u, 1u, 1023u}) {
        const fs::path path = dir / ("short" + std::to_string(size) + ".sin");
        fill(path, size, '\0');
        RadioImage loaded = image;
        const auto error = loadChannelFile(path, loaded);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind, FileError::Kind::Format);
        const std::string holds = "\"" + path.string() + "\" is not a channel file: it holds " + std::to_string(size) +
                                  (size == 1 ? " byte," : " bytes,");
        EXPECT_EQ(error->message.rfind(holds, 0), 0u) << error->message;
        EXPECT_EQ(loaded, image);
    }
}

#ifndef _WIN32

TEST_F(ChannelFile, LoadRefusesAtOnceWhatIsNoRegularFile) {
    const fs::path fifo = dir / "pipe.sin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::pair<fs::path, const char*> cases[] = {{fifo, "is not a regular file: it is a named pipe"},
                                                      {dir, "is not a regular file: it is a folder"},
                                                      {dir / "nothing.sin", "cannot open"}};
    for (const auto& [path, says] : cases) {
        RadioImage loaded = image;
        auto pending = std::async(std::launch::async, [&] { return loadChannelFile(path, loaded); });
        if (pending.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // a writer lets a blocked open go on
            ADD_FAILURE() << "the load waited for " << path;
        }
        const auto error = pending.get();
        ASSERT_TRUE(error) << path;
        EXPECT_EQ(error->kind, FileError::Kind::Io);
        EXPECT_NE(error->message.find(says), std::string::npos) << error->message;
        EXPECT_NE(error->message.find(path.filename().string()), std::string::npos) << error->message;
        EXPECT_EQ(loaded, image);
    }
}

TEST_F(ChannelFile, SaveWritesTheFileThePathNamesAndKeepsItsLinksAndMode) {
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "links");
    const fs::path target = dir / "real" / "target.sin", other = dir / "other-name.sin";
    const mode_t mask = ::umask(022);
    const auto error = saveChannelFile(target, RadioImage());
    ::umask(mask);
    ASSERT_FALSE(error) << error->message;
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
    fs::create_symlink("../real/target.sin", dir / "links" / "link.sin");
    ASSERT_FALSE(saveChannelFile(dir / "links" / "link.sin", image));
    EXPECT_TRUE(fs::is_symlink(dir / "links" / "link.sin"));
    EXPECT_EQ(readAll(target), bytes());

    // A file of several names is rewritten in place, longer content cut.
    fill(target, 1500, '\x11');
    fs::create_hard_link(target, other);
    fs::permissions(target, fs::perms(0640));
    ASSERT_FALSE(saveChannelFile(target, image));
    EXPECT_TRUE(fs::equivalent(target, other));
    EXPECT_EQ(readAll(other), bytes());

    fs::remove(other); // a single name is replaced by a new file of the old mode
    ASSERT_FALSE(saveChannelFile(target, RadioImage(RadioImage::Bytes{})));
    EXPECT_EQ(readAll(target), std::string(1024, '\0'));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(entries(), 2u); // real and links: no temporaries
}

TEST_F(ChannelFile, SaveRefusesWhatItMustNotReplace) {
    const fs::path readOnly = dir / "ro.sin", device = dir / "device.sin";
    fill(readOnly, 1024, '\x11');
    fs::permissions(readOnly, fs::perms(0444));
    // A null device of its own (a pipe where nodes cannot be made), so a
    // broken save cannot replace the system's.
    const bool isDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_TRUE(isDevice || ::mkfifo(device.c_str(), 0666) == 0);
    const std::string kind = isDevice ? "a device" : "a named pipe";
    fs::create_symlink("device.sin", dir / "link.sin");
    const std::pair<fs::path, std::string> cases[] = {
        {dir / "link.sin", "(a link to \"" + device.string() + "\") is not a regular file: it is " + kind},
        {device, "\"" + device.string() + "\" is not a regular file: it is " + kind},
        {dir, "is not a regular file: it is a folder"},
        {readOnly, "\"" + readOnly.string() + "\" is read-only"},
        {dir / "nodir" / "x.sin",
         "cannot create a file in folder \"" + (dir / "nodir").string() + "\": No such file or directory"},
        {readOnly / "x.sin", "cannot create a file in folder \"" + readOnly.string() + "\": Not a directory"},
    };
    for (const auto& [path, says] : cases) {
        const auto checked = checkSaveTarget(path);
        const auto error = saveChannelFile(path, image);
        ASSERT_TRUE(checked && error) << path;
        EXPECT_EQ(checked->message, error->message);
        EXPECT_NE(error->message.find(says), std::string::npos) << error->message;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.sin"));
    EXPECT_EQ(fs::status(device).type(), isDevice ? fs::file_type::character : fs::file_type::fifo);
    EXPECT_EQ(readAll(readOnly), std::string(1024, '\x11'));
    EXPECT_EQ(entries(), 3u);
}

TEST_F(ChannelFile, AFailedWriteKeepsTheOldFileWhole) {
    // A file size limit makes the write itself fail half way.
    const fs::path single = dir / "single.sin", linked = dir / "linked.sin";
    fill(single, 1024, '\x11');
    fill(linked, 100, '\x11'); // shorter than what reaches it before the failure
    fs::create_hard_link(linked, dir / "second-name.sin");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 512;
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto singleError = saveChannelFile(single, image);
    const auto linkedError = saveChannelFile(linked, image);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    ASSERT_TRUE(singleError && linkedError);
    EXPECT_NE(linkedError->message.find("cannot write \"" + linked.string() + "\""), std::string::npos);
    EXPECT_EQ(readAll(single), std::string(1024, '\x11'));
    EXPECT_EQ(readAll(linked), std::string(100, '\x11'));
    EXPECT_EQ(entries(), 3u); // no temporary left
}

#endif

} // namespace
} // namespace varnok

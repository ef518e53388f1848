#include "image/sinfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#ifndef _WIN32
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

#ifndef _WIN32

TEST_F(ChannelFile, LoadRefusesAtOnceWhatIsNoRegularFile) {
    const fs::path fifo = dir / "pipe.sin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::pair<fs::path, const char*> cases[] = {{fifo, "is not a regular file: it is a named pipe"},
                                                      {dir, "is not a regular file: it is a folder"},
                                                      {dir / "nothing.sin", "cannot open"}};
    for (const auto& [path, says] : cases) {
        RadioImage loaded = image;
        const auto error = loadChannelFile(path, loaded); // a blocking open hangs to the time-out
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

TEST_F(ChannelFile, SaveRefusesWhatItMustNotReplaceAndLeavesItAsItWas) {
    const fs::path device = dir / "null", readOnly = dir / "read-only.sin", link = dir / "device-link.sin";
    ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0); // its own /dev/null
    fs::create_symlink(device, link);
    fill(readOnly, 1024, '\x11');
    fs::permissions(readOnly, fs::perms(0444));
    const std::pair<fs::path, const char*> cases[] = {
        {link, "is not a regular file: it is a device"},
        {dir, "is not a regular file: it is a folder"},
        {readOnly, "is read-only"},
        {dir / "nowhere" / "x.sin", "cannot create a file in folder"},
    };
    for (const auto& [path, says] : cases) {
        for (const auto& error : {checkSaveTarget(path), saveChannelFile(path, image)}) {
            ASSERT_TRUE(error) << path;
            EXPECT_NE(error->message.find(says), std::string::npos) << error->message;
        }
    }
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_EQ(readAll(readOnly), std::string(1024, '\x11'));
}

#endif

} // namespace
} // namespace varnok

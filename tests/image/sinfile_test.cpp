#include "image/sinfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace varnok {
namespace {

namespace fs = std::filesystem;

class ChannelFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("varnok-sinfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static RadioImage patterned() {
        RadioImage image;
        for (std::size_t i = 0; i < layout::kImageSize; ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return image;
    }
    void writeBytes(const fs::path& path, std::size_t count, std::uint8_t value) {
        std::ofstream out(path, std::ios::binary);
        out << std::string(count, static_cast<char>(value));
    }
    std::string readAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t entries() { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir;
};

TEST_F(ChannelFile, SaveThenLoadGivesEveryByteBack) {
    const fs::path path = dir / "radio.sin";
    const RadioImage image = patterned();
    ASSERT_FALSE(saveChannelFile(path, image));
    EXPECT_EQ(fs::file_size(path), 1024u);
    const std::string raw = readAll(path);
    for (std::size_t i = 0; i < raw.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(raw[i]), image[i]) << i;
    RadioImage loaded;
    ASSERT_FALSE(loadChannelFile(path, loaded));
    EXPECT_EQ(loaded, image);
    EXPECT_EQ(entries(), 1u); // no temporary left behind
}

TEST_F(ChannelFile, ShortFileLeavesTheImageUntouched) {
    for (std::size_t size : {0u, 1u, 512u, 1023u}) {
        const fs::path path = dir / ("short" + std::to_string(size) + ".sin");
        writeBytes(path, size, 0x00);
        RadioImage image = patterned();
        const auto error = loadChannelFile(path, image);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind, FileError::Kind::Format);
        EXPECT_NE(error->message.find(path.filename().string()), std::string::npos) << error->message;
        EXPECT_NE(error->message.find(" " + std::to_string(size) + " bytes"), std::string::npos) << error->message;
        EXPECT_EQ(image, patterned());
    }
}

TEST_F(ChannelFile, BytesAfterTheFirst1024AreIgnored) {
    const fs::path path = dir / "long.sin";
    writeBytes(path, 1500, 0x42);
    RadioImage image;
    ASSERT_FALSE(loadChannelFile(path, image));
    for (std::uint8_t b : image.bytes())
        ASSERT_EQ(b, 0x42);
}

TEST_F(ChannelFile, MissingFilesAndFoldersAreIoErrors) {
    RadioImage image = patterned();
    auto error = loadChannelFile(dir / "nothing.sin", image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, FileError::Kind::Io);
    EXPECT_NE(error->message.find("nothing.sin"), std::string::npos);
    error = loadChannelFile(dir, image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, FileError::Kind::Io);
    EXPECT_EQ(image, patterned());
}

TEST_F(ChannelFile, FailedSaveKeepsTheOldFile) {
    const fs::path path = dir / "keep.sin";
    writeBytes(path, 1024, 0x11);
    // A folder of the same name as the temporary's target cannot be
    // replaced by a file, so the rename fails after the temporary is written.
    const fs::path blocked = dir / "blocked.sin";
    fs::create_directories(blocked / "inside");
    auto error = saveChannelFile(blocked, patterned());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, FileError::Kind::Io);
    EXPECT_TRUE(fs::is_directory(blocked));
    // A path below a plain file cannot even hold the temporary.
    error = saveChannelFile(path / "child.sin", patterned());
    ASSERT_TRUE(error);
    EXPECT_EQ(readAll(path), std::string(1024, '\x11'));
    EXPECT_EQ(entries(), 2u); // keep.sin and blocked.sin; no temporaries
}

TEST_F(ChannelFile, SaveReplacesAnExistingFileWhole) {
    const fs::path path = dir / "replace.sin";
    writeBytes(path, 4096, 0x11);
    ASSERT_FALSE(saveChannelFile(path, patterned()));
    EXPECT_EQ(fs::file_size(path), 1024u);
    RadioImage loaded;
    ASSERT_FALSE(loadChannelFile(path, loaded));
    EXPECT_EQ(loaded, patterned());
}

} // namespace
} // namespace varnok

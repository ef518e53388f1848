// `new` and `show`: the bytes of a new file, and the form shown for a file.
#include "cli_harness.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace varnok::clitest {
namespace {

using nlohmann::ordered_json;

const std::vector<std::string> kSettingKeys = {"model",     "band",       "tx_time_limit", "key_beep",
                                               "squelch",   "monitor",    "scan",          "voice",
                                               "emergency", "power_save", "reject_alarm"};
const std::vector<std::string> kChannelKeys = {"channel",   "rx",        "tx",   "decode", "encode",
                                               "busy_lock", "bandwidth", "scan", "power"};

std::vector<std::string> keysOf(const ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items())
        keys.push_back(item.key());
    return keys;
}

class ShowTest : public CliTest {
protected:
    ordered_json showJson(const Bytes& image) {
        writeImage("in.sin", image);
        const RunResult r = run({"show", "in.sin", "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return ordered_json::parse(r.out);
    }
};

TEST_F(CliTest, NewWritesTheNewDocumentAsSaved) {
    writeText("new.sin", "an older file that must be replaced");
    const RunResult r = run({"new", "-o", "new.sin"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const auto image = readImage("new.sin");
    ASSERT_TRUE(image);
    for (std::size_t k = 0; k < image->size(); ++k)
        ASSERT_EQ((*image)[k], newFileBytes()[k]) << "offset " << k << " (row " << k / 16 << ", byte " << k % 16 << ")";
}

TEST_F(ShowTest, JsonHasElevenSettingsAndSixteenChannels) {
    const ordered_json doc = showJson(newFileBytes());
    EXPECT_EQ(doc.at("format_version"), 1);
    ASSERT_EQ(keysOf(doc.at("settings")), kSettingKeys);
    for (const auto& item : doc.at("settings").items()) {
        EXPECT_EQ(keysOf(item.value()), (std::vector<std::string>{"index", "text"})) << item.key();
        EXPECT_TRUE(item.value().at("index").is_number_integer()) << item.key();
        EXPECT_TRUE(item.value().at("text").is_string()) << item.key();
    }
    const ordered_json& channels = doc.at("channels");
    ASSERT_EQ(channels.size(), 16u);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        EXPECT_EQ(keysOf(channels[i]), kChannelKeys);
        EXPECT_EQ(channels[i].at("channel"), i + 1);
    }
}

TEST_F(ShowTest, JsonShowsWhatTheBytesHold) {
    writeImage("in.sin", handMadeBytes());
    const RunResult r = run({"show", "in.sin", "--json"});
    // Chinese texts are written as UTF-8, not as \u escapes.
    EXPECT_NE(r.out.find("\"本地报警\""), std::string::npos);
    EXPECT_EQ(r.out.find("\\u"), std::string::npos);

    const ordered_json doc = showJson(handMadeBytes());
    const struct {
        const char* key;
        int index;
        const char* text;
    } settings[] = {
        {"model", 1, "QX-200"},    {"band", 1, "350 - 400MHZ"}, {"tx_time_limit", 10, "300s"},
        {"key_beep", 1, "关"},     {"squelch", -1, ""},         {"monitor", 2, "监听锁定"},
        {"scan", 1, "开"},         {"voice", 1, "英语"},        {"emergency", 1, "本地报警"},
        {"power_save", 1, "打开"}, {"reject_alarm", 0, "开"},
    };
    for (const auto& s : settings) {
        EXPECT_EQ(doc["settings"][s.key]["index"], s.index) << s.key;
        EXPECT_EQ(doc["settings"][s.key]["text"], s.text) << s.key;
    }
    const std::vector<std::vector<std::string>> rows = {
        {"460.12500", "162.55000", "88.5", "D023I", "否", "窄带", "添加", "中"},
        {"", "145.50000", "无", "无", "是", "宽带", "删除", "高"},
        {"", "", "88.5", "", "", "", "", ""},
        {"", "", "", "", "", "", "", ""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t c = 0; c < rows[i].size(); ++c)
            EXPECT_EQ(doc["channels"][i][kChannelKeys[c + 1]], rows[i][c])
                << "channel " << i + 1 << " " << kChannelKeys[c + 1];
}

TEST_F(ShowTest, BytesOutsideTheListsSelectAsTheWindowDoes) {
    const struct {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
        const char* key;
        int index;
    } cases[] = {
        {"monitor beyond 3 shows the last entry", at(60, 2), 0x07, "monitor", 3},
        {"squelch beyond 10 shows entry 0", at(60, 1), 0x0B, "squelch", 0},
        {"time limit beyond 10 shows entry 0", at(60, 3), 0xFF, "tx_time_limit", 0},
        {"band code F4 leaves no band", at(61, 2), 0xF4, "band", -1},
        {"band code F5 shows band 0", at(61, 2), 0xF5, "band", 0},
        {"band code below F0 shows band 0", at(61, 2), 0xEF, "band", 0},
        {"unknown model code keeps QX-100", at(61, 6), 0x58, "model", 0},
    };
    for (const auto& c : cases) {
        Bytes image = handMadeBytes();
        image[c.offset] = c.value;
        const ordered_json doc = showJson(image);
        EXPECT_EQ(doc["settings"][c.key]["index"], c.index) << c.name;
    }
}

/// Display column where each blank-separated field of `line` starts; CJK
/// characters take two columns.
std::vector<std::size_t> fieldColumns(const std::string& line) {
    std::vector<std::size_t> starts;
    std::size_t column = 0;
    bool inField = false;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const bool blank = line[i] == ' ';
        if (!blank && !inField)
            starts.push_back(column);
        inField = !blank;
        column += length == 3 ? 2 : 1; // every 3-byte character in the table is CJK
        i += length;
    }
    return starts;
}

TEST_F(ShowTest, PlainOutputListsSettingsAndAlignsTheTable) {
    writeImage("in.sin", handMadeBytes());
    const RunResult r = run({"show", "in.sin"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 11u + 1u + 17u);
    EXPECT_EQ(lines[0].rfind("机型", 0), 0u);
    EXPECT_NE(lines[0].find("QX-200"), std::string::npos);
    EXPECT_NE(lines[4].find("(none)"), std::string::npos) << "squelch has no selection";
    EXPECT_EQ(lines[11], "");

    const std::vector<std::size_t> header = fieldColumns(lines[12]);
    ASSERT_EQ(header.size(), 9u) << lines[12];
    for (std::size_t i = 13; i < lines.size(); ++i)
        EXPECT_EQ(fieldColumns(lines[i]), header) << lines[i];
    EXPECT_NE(lines[13].find("460.12500"), std::string::npos);
}

TEST_F(ShowTest, AnyImageShowsAsValidJson) {
    std::mt19937 random(20240611);
    std::vector<Bytes> images;
    images.push_back(Bytes{}); // all zero
    for (int i = 0; i < 12; ++i) {
        Bytes b;
        for (auto& byte : b)
            byte = static_cast<std::uint8_t>(random());
        images.push_back(b);
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
        writeImage("any.sin", images[i]);
        for (const bool json : {true, false}) {
            const RunResult r = run(json ? std::vector<std::string>{"show", "any.sin", "--json"}
                                         : std::vector<std::string>{"show", "any.sin"});
            ASSERT_EQ(r.status, 0) << "image " << i << ": " << r.err;
            if (json) { // the parser refuses invalid UTF-8
                EXPECT_EQ(ordered_json::parse(r.out).at("channels").size(), 16u) << "image " << i;
            }
        }
    }
}

TEST_F(CliTest, ShowRefusesFilesItCannotOpen) {
    writeText("short.sin", std::string(1023, '\xFF'));
    writeText("empty.sin", "");
    // The pipe holds a whole file and stays open here, so a show that waits
    // for it succeeds instead of hanging.
    ASSERT_EQ(::mkfifo(file("pipe.sin").c_str(), 0644), 0);
    const int pipe = ::open(file("pipe.sin").c_str(), O_RDWR);
    ASSERT_EQ(::write(pipe, std::string(1024, '\xFF').data(), 1024), 1024);
    const struct {
        const char* file;
        int status;
    } cases[] = {{"missing.sin", 1}, {"short.sin", 2}, {"empty.sin", 2}, {".", 1}, {"pipe.sin", 1}};
    for (const auto& c : cases) {
        const RunResult r = run({"show", c.file, "--json"});
        EXPECT_EQ(r.status, c.status) << c.file;
        EXPECT_EQ(r.out, "") << c.file;
        ASSERT_EQ(r.errLines().size(), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("varnok-cli: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
    }
    ::close(pipe);
}

} // namespace
} // namespace varnok::clitest

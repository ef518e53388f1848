#include "cli_harness.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace varnok::clitest {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string shellQuoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::vector<std::string> RunResult::errLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void put(Bytes& image, int row, int k, std::initializer_list<std::uint8_t> values) {
    std::size_t offset = at(row, k);
    for (std::uint8_t v : values)
        image[offset++] = v;
}

Bytes newFileBytes() {
    Bytes b;
    b.fill(0xFF);
    for (int row = 1; row <= 16; ++row)
        b[at(row, 12)] = 0xCF;
    for (int row = 17; row <= 24; ++row)
        put(b, row, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xFF});
    for (int k = 0; k < 16; ++k)
        b[at(40, k)] = static_cast<std::uint8_t>(k + 1);
    put(b, 60, 0, {0xFF, 0x09, 0x03, 0x06});
    put(b, 61, 0, {0x00, 0x00, 0xF0, 0x37, 0x30, 0x31, 0x32, 0x50});
    put(b, 63, 0, {0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B});
    return b;
}

Bytes handMadeBytes() {
    Bytes b = newFileBytes();
    put(b, 1, 0, {0x00, 0x25, 0x01, 0x46, 0x00, 0x50, 0x25, 0x16, 0x85, 0x08, 0x23, 0xC0, 0x35, 0x01, 0x01});
    put(b, 2, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x55, 0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0xFF, 0x01});
    put(b, 3, 8, {0x85, 0x08});
    // The second model clears the auxiliary step flags on every decoding.
    for (int row = 17; row <= 24; ++row)
        put(b, row, 13, {0x00, 0x00});
    put(b, 60, 0, {0x56, 0x0A, 0x02, 0x0A});
    b[at(61, 2)] = 0xF1;
    b[at(61, 6)] = 0x33;
    return b;
}

void CliTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    m_dir = std::filesystem::path(VARNOK_CLI_TEST_TMP) / name;
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
}

void CliTest::TearDown() {
    // A failed test leaves its files behind for a look.
    if (!HasFailure())
        std::filesystem::remove_all(m_dir);
}

void CliTest::writeText(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
}

void CliTest::writeImage(const std::string& name, const Bytes& image) const {
    std::ofstream(file(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
}

std::optional<Bytes> CliTest::readImage(const std::string& name) const {
    const std::string data = readAll(file(name));
    EXPECT_EQ(data.size(), 1024u) << name;
    if (data.size() != 1024)
        return std::nullopt;
    Bytes b;
    std::copy(data.begin(), data.end(), b.begin());
    return b;
}

RunResult CliTest::run(const std::vector<std::string>& args, const std::string& redirections) const {
    std::string command = "cd " + shellQuoted(m_dir.string()) + " && " + shellQuoted(VARNOK_CLI_PATH);
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    command += " >.stdout 2>.stderr " + redirections;
    const int raw = std::system(command.c_str());
    RunResult result;
#ifdef _WIN32
    result.status = raw;
#else
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    result.out = readAll(m_dir / ".stdout");
    result.err = readAll(m_dir / ".stderr");
    std::filesystem::remove(m_dir / ".stdout");
    std::filesystem::remove(m_dir / ".stderr");
    return result;
}

} // namespace varnok::clitest

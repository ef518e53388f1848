// Runs the varnok-cli binary in a scratch folder and gives the tests
// reference images built byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnok::clitest {

using Bytes = std::array<std::uint8_t, 1024>;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
    /// stderr split into lines (without the line breaks).
    std::vector<std::string> errLines() const;
};

/// The file `new` must write, built from the byte table of a new document
/// saved at once (not from the core's encoder).
Bytes newFileBytes();

/// A file that exercises every decoding branch and that opening and saving
/// leaves exactly as it is (step flags set, flag bytes in encoded form):
///  channel 1: rx 460.125, tx 162.55, decode 88.5, encode D023I, 否/窄带/添加/中
///  channel 2: tx 145.5 only, no tones, 是/宽带/删除/高
///  channel 3: no frequency but a decode tone (88.5)
///  settings: QX-200, band 1, 300s, key beep 关, squelch 10 (no selection),
///  monitor 3 from 7, scan 开, voice 英语, emergency 本地报警, power save 打开,
///  reject alarm 开.
Bytes handMadeBytes();

/// Offset of byte `k` of image row `row`.
constexpr std::size_t at(int row, int k) { return static_cast<std::size_t>(row * 16 + k); }
/// Sets bytes of one row starting at byte `k`.
void put(Bytes& image, int row, int k, std::initializer_list<std::uint8_t> values);

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path file(const std::string& name) const { return m_dir / name; }
    void writeText(const std::string& name, const std::string& text) const;
    void writeImage(const std::string& name, const Bytes& image) const;
    /// The file's bytes; a failed expectation when it is not 1024 bytes.
    std::optional<Bytes> readImage(const std::string& name) const;
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

    /// Runs the binary with `args` in the scratch folder; `redirections`
    /// (shell syntax, e.g. "<form.json" or ">/dev/full") come last and win.
    RunResult run(const std::vector<std::string>& args, const std::string& redirections = "") const;

private:
    std::filesystem::path m_dir;
};

} // namespace varnok::clitest

// Runs the varnok-cli binary in a scratch folder of its own for each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace varnok::clitest {

using Args = std::vector<std::string>;
inline Args operator+(Args a, const Args& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// 1024 bytes of noise: a file no program wrote.
inline std::string randomImage(unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

struct RunResult {
    int status = -1;
    std::string out, err;
    std::vector<std::string> errLines() const {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process id keeps runs of the same test apart.
        m_dir = std::filesystem::path(VARNOK_CLI_TEST_TMP) /
                (std::string(info->test_suite_name()) + "." + info->name() + "." + std::to_string(::getpid()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        // Reads keep their backups here, not among the user's own.
        ::setenv("XDG_DATA_HOME", file("data").c_str(), 1);
        // The tool speaks Chinese unless told otherwise, whatever the
        // machine running the tests is set to.
        ::unsetenv("LC_ALL");
        ::unsetenv("LC_MESSAGES");
        ::setenv("LANG", "zh_CN.UTF-8", 1);
    }
    // A failed test leaves its files behind for a look.
    void TearDown() override {
        if (!HasFailure())
            std::filesystem::remove_all(m_dir);
    }

    std::filesystem::path file(const std::string& name) const { return m_dir / name; }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const std::string& name, const std::string& data) const {
        std::ofstream(file(name), std::ios::binary) << data;
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

    /// Runs the tool in the scratch folder; `redirections` (shell syntax,
    /// e.g. "<form.json" or ">/dev/full") come last and win.
    RunResult run(const Args& args, const std::string& redirections = "") const {
        std::string command = "cd '" + m_dir.string() + "' && '" VARNOK_CLI_PATH "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'"; // no argument here holds a quote
        const int raw = std::system((command + " >.stdout 2>.stderr " + redirections).c_str());
        RunResult r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(".stdout"), read(".stderr")};
        std::filesystem::remove(file(".stdout"));
        std::filesystem::remove(file(".stderr"));
        return r;
    }

private:
    std::filesystem::path m_dir;
};

} // namespace varnok::clitest

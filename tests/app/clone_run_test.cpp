#include "app/clone_run.h"

#include "app/sha256.h"
#include "app/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace varnok::app {
namespace {

namespace fs = std::filesystem;

TEST(CloneRun, Sha256OfTheStandardMessagesAndEveryPaddingEdge) {
    const struct {
        std::string message;
        const char* digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first padding block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(sha256Hex(reinterpret_cast<const std::uint8_t*>(row.message.data()), row.message.size()),
                  row.digest);
}

TEST(CloneRun, TheLogGetsOneHeaderAndAQuotedPortAndRefusesAFolder) {
    const fs::path dir = fs::temp_directory_path() / "varnok_clone_log";
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.csv");
    const std::string log = utf8Path(dir / "log.csv");
    RadioImage master;
    {
        CloneRun run(master, "COM\"7,x", false, log);
        EXPECT_FALSE(run.checkLog());
        EXPECT_FALSE(run.record(CloneOutcome::Written, 0, 0));
        EXPECT_FALSE(run.record(CloneOutcome::Failed, 0, 0));
        EXPECT_EQ(run.tally(), "已完成 1 台，失败 1 台");
    }
    CloneRun again(master, "COM1", true, log);
    EXPECT_FALSE(again.record(CloneOutcome::VerifyFailed, 4, 0));
    EXPECT_TRUE(CloneRun(master, "COM1", true, utf8Path(dir / "folder.csv")).checkLog());

    std::vector<std::string> lines;
    {
        std::ifstream in(dir / "log.csv"); // closed before the folder goes, as Windows wants
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(line.find(',') + 1)); // the local time first
    }
    const std::string hash = again.masterHash();
    EXPECT_EQ(lines, (std::vector<std::string>{"port,radio,outcome,differences,master_sha256",
                                               "\"COM\"\"7,x\",1,written,0," + hash,
                                               "\"COM\"\"7,x\",2,failed,0," + hash,
                                               "COM1,1,verify-failed,4," + hash}));
    fs::remove_all(dir);
}

TEST(CloneRun, AVerifyReportShowsTheFirstDifferencesAndCountsTheRest) {
    RadioImage sent, back;
    for (std::size_t off = 0; off < layout::kWriteEnd; off += 2)
        back[off] = 0x11; // every channel and setting differs, and bytes between
    const std::vector<Difference> differences = verifyDifferences(sent, back);
    back[layout::kWriteEnd] = 0x22; // beyond what a write sends
    EXPECT_EQ(verifyDifferences(sent, back).size(), differences.size());
    const std::string report = verifyReport(differences, 3);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4);
    EXPECT_NE(report.find("……另有 " + std::to_string(differences.size() - 3) + " 处不同"), std::string::npos);
    EXPECT_EQ(report.rfind("写入后校验发现 " + std::to_string(differences.size()) + " 处不同：\n" +
                               differences[0].line(), 0), 0u);
}

} // namespace
} // namespace varnok::app

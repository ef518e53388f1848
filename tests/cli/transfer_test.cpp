// read and write end to end: the tool's serial port code talks to
// varnok-radio-sim through a pseudo-terminal.
#include "cli_harness.h"

#include "../link/pty.h"

#include "app/document.h"
#include "image/sinfile.h"
#include "link/demo_radio.h"
#include "link/transfer.h"

#include <csignal>

namespace varnok::clitest {
namespace {

const std::string kWriteAgain = text::kWriteIncomplete.zh;

/// Starts a program with standard input and error on `terminal` (or none)
/// and standard output into `out`.
pid_t start(Args args, const std::string& terminal, int out) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int tty = ::open(terminal.empty() ? "/dev/null" : terminal.c_str(), O_RDWR);
        ::dup2(tty, STDIN_FILENO);
        ::dup2(terminal.empty() ? STDERR_FILENO : tty, STDERR_FILENO);
        ::dup2(out, STDOUT_FILENO);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

/// varnok-radio-sim in the background; its first line names its device.
struct Simulator {
    explicit Simulator(const Args& extra) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid = start(Args{VARNOK_SIM_PATH} + extra, "", fds[1]);
        ::close(fds[1]);
        for (char c; ::read(fds[0], &c, 1) == 1 && c != '\n';)
            device += c;
        ::close(fds[0]);
    }
    ~Simulator() { stop(); }
    /// Ends it; asked to, it saves its memory then.
    void stop() {
        if (pid > 0 && ::kill(pid, SIGTERM) == 0)
            ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    pid_t pid = -1;
    std::string device;
};

using TransferCli = CliTest;

/// Each row runs one transfer against a simulator started with `sim`, and
/// with `interruptAt` sends Ctrl+C once the terminal shows that text. The
/// simulator is paced there so that the blocks outlast the interrupt.
/// out.sin, read or saved by the simulator, must exist only after
/// a success and then equal `expected`.
TEST_F(TransferCli, TransfersEndWithTheirStatusTheirLinesAndNoPartialFile) {
    const struct {
        Args sim;
        Args args;
        const char* interruptAt;
        int status;
        Args said; // on stderr in this order
        Args unsaid;
        const char* expected = nullptr;
    } rows[] = {
        // clang-format off
        {{"--unpaced", "--memory", file("radio.sin")}, {"read", "-o", "out.sin"}, nullptr, 0, {"backup: " + file("data").string() + "/varnok/backups/"}, {}, "radio.sin"},
        // The window sends the file as opened and encoded again, and only its
        // first 984 bytes; --verify reads them back in a second transfer.
        {{"--unpaced", "--memory", file("radio.sin"), "--save", file("out.sin")}, {"write", "file.sin", "--verify"}, nullptr, 0,
         {transferText::kDetecting, transferText::kDetecting}, {}, "sent.sin"},
        // A block the radio acknowledged but stored otherwise is found by the read-back.
        {{"--unpaced", "--faults", "corrupt-write=2"}, {"write", "file.sin", "--verify"}, nullptr, 1, {"写入后校验发现 1 处不同："}, {}},
        {{"--unpaced", "--faults", "nak-read=3"}, {"read", "-o", "out.sin"}, nullptr, 1,
         {std::string("varnok-cli: ") + transferText::kReadAckBad.zh + "\nvarnok-cli: 对讲机在第 4 块（偏移 0x018，信道 1 的数据）处"}, {text::kCliCancelled.zh, text::kCliAbandoned.zh}},
        // Without a terminal, --retries answers the question; no block went out. In English, every line.
        {{"--unpaced", "--faults", "refuse-confirm"}, {"write", "file.sin", "--retries", "1", "--lang", "en"}, nullptr, 3,
         {transferText::kRetryQuestion.en, "\nretrying\n", transferText::kRetryQuestion.en, "\nThe answer is not one a radio this program supports gives",
          "varnok-cli: abandoned: the radio did not answer"},
         {text::kWriteIncomplete.en, "cancelled", "对讲机"}},
        {{}, {"read", "-o", file("out.sin")}, "] 5/128", 3, {"varnok-cli: 已取消"}, {kWriteAgain}},
        {{}, {"write", file("file.sin")}, "] 5/123", 3, {"varnok-cli: 已取消", kWriteAgain}, {}},
        {{"--faults", "refuse-confirm"}, {"read", "-o", file("out.sin")}, "[R]重试 或 [C]取消？ ", 3, {"varnok-cli: 已取消"}, {kWriteAgain}},
        // clang-format on
    };
    write("radio.sin", randomImage(7));
    write("file.sin", randomImage(12));
    app::Document doc;
    ASSERT_FALSE(doc.open(file("file.sin").string()));
    ASSERT_FALSE(doc.save(file("sent.sin").string()));
    write("sent.sin", read("sent.sin").substr(0, 984) + read("radio.sin").substr(984));

    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + (row.sim.empty() ? "" : row.sim.back()));
        std::string err;
        {
            Simulator sim(row.sim);
            const Args args = Args{row.args[0], "--port", sim.device} + Args(row.args.begin() + 1, row.args.end());
            if (!row.interruptAt) {
                const RunResult r = run(args);
                EXPECT_EQ(r.status, row.status) << r.err;
                err = r.err;
            } else {
                test::Pty terminal;
                ASSERT_TRUE(terminal.ready());
                const pid_t pid = start(Args{VARNOK_CLI_PATH} + args, terminal.slavePath(), STDOUT_FILENO);
                // A Ctrl+C just before the question's read begins is lost, and a
                // user would press it again; one the tool reacted to is not repeated.
                std::size_t shown = std::string::npos; // what the terminal had at the interrupt
                int status = 0;
                for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; waited += 100) {
                    const auto got = terminal.receive(1 << 16, 100);
                    err.append(got.begin(), got.end());
                    if (shown == std::string::npos && err.find(row.interruptAt) != std::string::npos) {
                        shown = err.size();
                        waited = 0;
                    }
                    if (waited >= 60000)
                        ::kill(pid, SIGKILL);
                    else if (waited % 2000 == 0 && err.size() == shown)
                        ::kill(pid, SIGINT);
                }
                EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, row.status) << err;
                const auto rest = terminal.receive(1 << 16, 1000); // all it said before it ended
                err.append(rest.begin(), rest.end());
            }
        }
        std::size_t at = 0;
        for (const std::string& text : row.said) {
            EXPECT_NE(at = err.find(text, at), std::string::npos) << text << " in " << err;
            at = at == std::string::npos ? at : at + text.size();
        }
        for (const std::string& text : row.unsaid)
            EXPECT_EQ(err.find(text), std::string::npos) << text << " in " << err;
        EXPECT_EQ(exists("out.sin"), row.status == 0);
        if (row.expected) {
            EXPECT_EQ(read("out.sin"), read(row.expected));
        }
        std::filesystem::remove(file("out.sin"));
    }
    // The read's backup holds what the radio sent, byte for byte.
    const auto backups = std::filesystem::directory_iterator(file("data/varnok/backups"));
    EXPECT_EQ(read(std::filesystem::relative(backups->path(), file("")).string()), read("radio.sin"));
}

/// Three radios back to back against the simulator: each is written
/// byte-exact and logged; in a verified run a radio that corrupts a block it
/// acknowledged stops the run with that block's channel named.
TEST_F(TransferCli, ACloneRunWritesEveryRadioAndStopsAtTheFirstThatDiffers) {
    ASSERT_FALSE(saveChannelFile(file("master.sin"), DemoRadio::sampleMemory()));
    app::Document doc;
    ASSERT_FALSE(doc.open(file("master.sin").string()));
    ASSERT_FALSE(doc.save(file("sent.sin").string()));
    const struct {
        Args faults, options;
        int status;
        Args said;
        std::size_t logLines;
    } rows[] = {
        {{}, {"--count", "3"}, 0, {"已完成 1 台", "已完成 2 台", "已完成 3 台，失败 0 台", "批量写频结束：已完成 3 台，失败 0 台"}, 4},
        {{"--faults", "corrupt-write=2"}, {"--count", "3", "--verify"}, 1, {"写入后校验发现 1 处不同：", "verify: channel 1, ", "第 1 台对讲机校验失败"}, 2},
        // Without a terminal and without --count, one radio.
        {{}, {}, 0, {"批量写频结束：已完成 1 台，失败 0 台"}, 2},
    };
    for (const auto& row : rows) {
        std::filesystem::remove(file("log.csv"));
        Simulator sim(Args{"--unpaced", "--save", file("out.sin")} + row.faults);
        const RunResult r =
            run(Args{"clone", "--port", sim.device, "master.sin", "--log", "log.csv"} + row.options);
        EXPECT_EQ(r.status, row.status) << r.err;
        std::size_t at = 0;
        for (const std::string& text : row.said) {
            EXPECT_NE(at = r.err.find(text, at), std::string::npos) << text << " in " << r.err;
            at = at == std::string::npos ? at : at + text.size();
        }
        const std::string log = read("log.csv");
        EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')), row.logLines) << log;
        sim.stop();
        if (row.status == 0) {
            EXPECT_EQ(read("out.sin").substr(0, 984), read("sent.sin").substr(0, 984));
        }
    }
}

} // namespace
} // namespace varnok::clitest

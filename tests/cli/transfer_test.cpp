// read, write and ports end to end: the real serial port code talks to the
// demo radio simulator through a pseudo-terminal.
#include "cli_harness.h"

#include "../link/pty.h"

#include "image/form.h"
#include "link/transfer.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace varnok::clitest {
namespace {

/// varnok-radio-sim in the background, unpaced so the tests stay quick.
class Simulator {
public:
    Simulator(const std::vector<std::string>& extra) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::close(pipeFds[0]);
            std::vector<std::string> args = {VARNOK_SIM_PATH, "--unpaced"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        char c;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n')
            m_device += c;
        ::close(pipeFds[0]);
    }
    ~Simulator() { stop(); }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    /// Ends the simulator (which then saves its memory when asked to).
    void stop() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    const std::string& device() const { return m_device; }

private:
    pid_t m_pid = -1;
    std::string m_device;
};

/// varnok-cli with standard input and standard error opened from paths.
pid_t startCli(std::vector<std::string> args, const std::string& in, const std::string& err) {
    args.insert(args.begin(), VARNOK_CLI_PATH);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(::open(in.c_str(), O_RDWR), STDIN_FILENO);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

/// The exit status, or -1 when the program had to be killed after 5 s.
int exitStatus(pid_t pid) {
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= 5000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// What the program shows on `terminal` until `text` appears, or for 20 s.
std::string readUntil(const test::Pty& terminal, const std::string& text) {
    std::string screen;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (screen.find(text) == std::string::npos && std::chrono::steady_clock::now() < until) {
        const auto got = terminal.receive(1, 100);
        screen.append(got.begin(), got.end());
    }
    return screen;
}

Bytes randomImage(unsigned seed) {
    std::mt19937 random(seed);
    Bytes b;
    for (auto& v : b)
        v = static_cast<std::uint8_t>(random());
    return b;
}

using TransferCli = CliTest;

constexpr const char* kWriteAgain = "the radio may hold part of the new data; write again";

TEST_F(TransferCli, ReadGivesTheRadioMemoryByteForByte) {
    const Bytes radio = randomImage(7);
    writeImage("radio.sin", radio);
    Simulator sim({"--memory", file("radio.sin").string()});
    const RunResult r = run({"read", "--port", sim.device(), "-o", "read.sin"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto got = readImage("read.sin");
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, radio);
}

TEST_F(TransferCli, WriteSendsWhatTheWindowWouldAndStopsBefore984) {
    const Bytes radio = randomImage(11);
    const Bytes file = randomImage(12);
    writeImage("radio.sin", radio);
    writeImage("file.sin", file);
    Simulator sim({"--memory", this->file("radio.sin").string(), "--save", this->file("after.sin").string()});
    const RunResult r = run({"write", "--port", sim.device(), "file.sin", "--verify"});
    ASSERT_EQ(r.status, 0) << r.err;
    sim.stop();

    // Opening the file decodes it, choosing Write encodes it again.
    RadioImage expected(file);
    FormState form = startingForm();
    decodeImage(expected, form);
    encodeForm(form, expected);
    const auto after = readImage("after.sin");
    ASSERT_TRUE(after);
    for (std::size_t off = 0; off < 1024; ++off)
        ASSERT_EQ((*after)[off], off < 984 ? expected[off] : radio[off]) << off;
}

TEST_F(TransferCli, RadioFaultsEndWithTheirMessagesAndNoFile) {
    const struct {
        const char* faults;
        const char* command;
        int status;
        const char* message;
        bool partlyWritten;
    } cases[] = {
        {"nak-read=3", "read", 1, transferText::kReadAckBad, false},
        {"short=2:9", "read", 1, transferText::kReplyTooShort, false},
        {"short=2:11", "read", 1, transferText::kReplyTooShort, false},
        {"hangup=20", "read", 1, transferText::kReplyTooShort, false},
        {"nak-write=0", "write", 1, transferText::kWriteAckBad, true},
        {"nak-write=5", "write", 1, transferText::kWriteAckBad, true},
        {"refuse-confirm", "read", 3, transferText::kRetryQuestion, false},
        {"refuse-confirm", "write", 3, transferText::kRetryQuestion, false},
    };
    writeImage("file.sin", newFileBytes());
    for (const auto& c : cases) {
        Simulator sim({"--faults", c.faults});
        const RunResult r = std::string(c.command) == "read" ? run({"read", "--port", sim.device(), "-o", "out.sin"})
                                                             : run({"write", "--port", sim.device(), "file.sin"});
        EXPECT_EQ(r.status, c.status) << c.faults << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.faults << ": " << r.err;
        EXPECT_EQ(r.err.find(kWriteAgain) != std::string::npos, c.partlyWritten) << c.faults << ": " << r.err;
        EXPECT_FALSE(exists("out.sin")) << c.faults;
    }
}

TEST_F(TransferCli, RetriesAnswerTheQuestionWhenNoOneIsAsked) {
    // A short reply once is asked for again and the read completes; a radio
    // that refuses the confirmation is asked about twice, then abandoned.
    {
        Simulator sim({"--faults", "short=4:10:1"});
        const RunResult r = run({"read", "--port", sim.device(), "-o", "out.sin"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(exists("out.sin"));
    }
    Simulator sim({"--faults", "refuse-confirm"});
    const RunResult r = run({"read", "--port", sim.device(), "-o", "again.sin", "--retries", "1"});
    EXPECT_EQ(r.status, 3);
    std::size_t asked = 0;
    for (std::size_t at = r.err.find(transferText::kRetryQuestion); at != std::string::npos;
         at = r.err.find(transferText::kRetryQuestion, at + 1))
        ++asked;
    EXPECT_EQ(asked, 2u) << r.err;
    EXPECT_FALSE(exists("again.sin"));
}

TEST_F(TransferCli, InterruptCancelsWithoutAPartialFile) {
    Simulator sim({});
    writeImage("file.sin", newFileBytes());
    for (const bool write : {false, true}) {
        // On a terminal, stderr shows the progress bar, so the interrupt
        // can come at a known block.
        test::Pty terminal;
        ASSERT_TRUE(terminal.ready());
        const pid_t pid =
            write ? startCli({"write", "--port", sim.device(), file("file.sin")}, "/dev/null", terminal.slavePath())
                  : startCli({"read", "--port", sim.device(), "-o", file("partial.sin")}, "/dev/null",
                             terminal.slavePath());
        std::string screen = readUntil(terminal, write ? "] 5/123" : "] 5/128");
        ::kill(pid, SIGINT);
        EXPECT_EQ(exitStatus(pid), 3) << screen;
        const auto rest = terminal.receive(4096, 300); // all it said before it ended
        screen.append(rest.begin(), rest.end());
        EXPECT_FALSE(exists("partial.sin"));
        EXPECT_NE(screen.find("varnok-cli: cancelled"), std::string::npos) << screen;
        EXPECT_EQ(screen.find(kWriteAgain) != std::string::npos, write) << screen;
    }
    // The port was closed: the next transfer opens it again.
    const RunResult r = run({"read", "--port", sim.device(), "-o", "full.sin"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(TransferCli, InterruptAtTheRetryQuestionCancels) {
    // At a terminal the question waits for an answer; Ctrl+C must end the wait.
    Simulator sim({"--faults", "refuse-confirm"});
    test::Pty terminal;
    ASSERT_TRUE(terminal.ready());
    const pid_t pid =
        startCli({"read", "--port", sim.device(), "-o", file("out.sin")}, terminal.slavePath(), terminal.slavePath());
    const std::string screen = readUntil(terminal, "[R]etry or [C]ancel? ");
    ::kill(pid, SIGINT);
    EXPECT_EQ(exitStatus(pid), 3) << screen;
    const std::string after = readUntil(terminal, "varnok-cli: cancelled");
    EXPECT_NE(after.find("varnok-cli: cancelled"), std::string::npos) << screen << after;
}

TEST_F(TransferCli, PortsThatCannotBeOpened) {
    for (const std::string port : {"/dev/varnok-no-such-port", "COM9"}) {
        const RunResult r = run({"read", "--port", port, "-o", "out.sin"});
        EXPECT_EQ(r.status, 1) << port;
        ASSERT_EQ(r.errLines().size(), 1u) << r.err;
        EXPECT_NE(r.err.find(transferText::kCannotOpenPort), std::string::npos) << r.err;
        EXPECT_FALSE(exists("out.sin"));
    }
    // A port another program holds is refused as well.
    Simulator sim({});
    const int held = ::open(sim.device().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const RunResult r = run({"read", "--port", sim.device(), "-o", "out.sin"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(transferText::kCannotOpenPort), std::string::npos) << r.err;
    ::close(held);
}

TEST_F(TransferCli, ReadRefusesAnOutputItCannotSaveBeforeTheTransfer) {
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = run({"read", "--port", "demo", "-o", "nodir/x.sin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "varnok-cli: cannot create a file in folder \"nodir\": No such file or directory\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)); // the demo read takes 7 s
}

TEST_F(TransferCli, PortsListsTheDemoRadio) {
    const RunResult r = run({"ports"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("demo\t"), std::string::npos) << r.out;
    const RunResult bad = run({"read", "--port", "demo", "-o", "x.sin", "--retries", "-1"});
    EXPECT_EQ(bad.status, 2);
}

} // namespace
} // namespace varnok::clitest

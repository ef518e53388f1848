#include "app/workspace.h"

#include "app/language.h"
#include "app/sha256.h"

#include "app/strings.h"
#include "app/text.h"
#include "app_fakes.h"
#include "image/defaults.h"

#include <fstream>

#ifndef _WIN32
#include "../link/pty.h"

#include <sys/wait.h>
#include <unistd.h>
#endif

namespace varnok::app {
namespace {

namespace fs = std::filesystem;

/// One main window's worth of application layer over a demo radio in
/// virtual time, with a folder of its own for files.
struct Bench {
    Bench() {
        fs::create_directories(dir);
        ws.setBackupFolder(utf8Path(dir / "backups"));
    }
    ~Bench() { fs::remove_all(dir); }

    /// A channel file of a new document, at `name` in the folder.
    std::string file(const std::string& name) {
        const std::string path = utf8Path(dir / name);
        EXPECT_FALSE(saveChannelFile(path, defaultImage(PresetSet::Uhf)));
        return path;
    }
    /// The backups made so far, oldest first.
    std::vector<std::string> backups() const {
        std::vector<std::string> files;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir / "backups", ec))
            files.push_back(utf8Path(entry.path()));
        std::sort(files.begin(), files.end());
        return files;
    }
    /// Start, then the events until the window no longer runs a transfer.
    void run() {
        ws.startTransfer();
        while (ws.progress().state == ProgressWindow::State::Running)
            ws.pump();
    }
    /// Read or Write, Start, then the events until the window has closed.
    void transfer(bool write) {
        write ? ws.write() : ws.read();
        ws.startTransfer();
        if (gate.block >= 0)
            gate.at([this] { ws.cancelTransfer(); });
        while (ws.transferring())
            ws.pump();
    }

    fs::path dir = fs::temp_directory_path() /
                   ("varnok_app_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ScriptedPrompts prompts;
    MemorySettings settings;
    VirtualClock clock;
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>();
    Gate gate;
    std::vector<std::string> opened;
    std::string openError; ///< non-empty: the port cannot be opened
    OpenedPort open(const std::string& name, Clock& c) {
        opened.push_back(name);
        return openError.empty() ? OpenedPort{std::make_unique<GatedPort>(radio, c, gate), {}}
                                 : OpenedPort{nullptr, openError};
    }
    Workspace ws{prompts, settings, {}, [this](const std::string& name, Clock& c) { return open(name, c); }, clock};
};

TEST(WorkspaceTest, TheSaveChangesQuestionSavesDiscardsOrStops) {
    struct Case {
        bool hasFile;
        Button answer;
        const char* saveAs; ///< the Save As answer, a name in the folder; nullptr cancels
        bool goesOn, saves;
    };
    for (const Case& c :
         {Case{true, Button::Save, nullptr, true, true}, Case{false, Button::Save, "b.sin", true, true},
          Case{false, Button::Save, nullptr, false, false}, Case{false, Button::Save, "nodir/b.sin", false, false},
          Case{true, Button::Discard, nullptr, true, false}, Case{true, Button::Cancel, nullptr, false, false}}) {
        Bench b;
        const std::string target = c.hasFile ? b.file("a.sin") : utf8Path(b.dir / (c.saveAs ? c.saveAs : "x"));
        b.ws.start(c.hasFile ? target : "");
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.prompts.answers = {c.answer};
        if (c.saveAs)
            b.prompts.paths = {target};
        b.ws.fileNew();
        SCOPED_TRACE(target);
        EXPECT_EQ(b.prompts.texts.at(0), arg(strings::kSaveChangesQuestion, c.hasFile ? "a.sin" : "Write Data"));
        EXPECT_EQ(b.ws.form().selection(Setting::Squelch), c.goesOn ? 9 : 2);
        EXPECT_EQ(b.ws.document().modified(), !c.goesOn);
        RadioImage saved;
        EXPECT_EQ(!loadChannelFile(target, saved) && saved[961] == 2, c.saves);
        if (c.saveAs && c.saveAs[0] == 'n') {
            EXPECT_EQ(b.prompts.texts.at(1).find(arg(strings::kSaveFailed, nativePath(target))), 0u);
        }
    }
}

TEST(WorkspaceTest, AnEditStillOpenCountsAsAChangeAndNoChangeAsksNothing) {
    Bench b;
    b.ws.start("");
    b.ws.fileNew();
    EXPECT_TRUE(b.prompts.shown.empty());
    b.ws.typed(U'1');
    b.ws.edit("145");
    b.ws.fileNew(); // answered Cancel
    EXPECT_EQ(b.prompts.texts, std::vector<std::string>{arg(strings::kSaveChangesQuestion, "Write Data")});
    EXPECT_EQ(b.ws.form().cell(1, column::kRxFrequency), "145.00000");
}

TEST(WorkspaceTest, AFileThatCannotBeOpenedLeavesTheDocumentAndTheRecentList) {
    for (const auto& [name, size, headline] : {std::tuple{"short.sin", 1023, strings::kNotAChannelFile},
                                               std::tuple{"missing.sin", 0, strings::kOpenFailed}}) {
        Bench b;
        const std::string good = b.file("a.sin"), bad = utf8Path(b.dir / name);
        if (size)
            std::ofstream(fsPath(bad), std::ios::binary) << std::string(size, '\0');
        b.ws.start(good);
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.settings.setValue("Recent File List/File1", bad);
        b.settings.setValue("Recent File List/File2", good);
        const Document before = b.ws.document();
        b.prompts.answers = {Button::Discard};
        b.ws.openRecent(0);
        EXPECT_EQ(b.prompts.texts.at(1).find(arg(headline, nativePath(bad)) + "\n\n"), 0u) << name;
        EXPECT_EQ(b.ws.document().image, before.image);
        EXPECT_EQ(b.ws.document().path(), good);
        EXPECT_EQ(b.ws.recentFiles(), std::vector<std::string>{good});
    }
}

TEST(WorkspaceTest, TheRecentListKeepsFourAbsolutePathsMostRecentFirst) {
    Bench b;
    b.settings.setValue("Recent File List/File5", "stale"); // past the list: never shown
    std::vector<std::string> f;
    for (const char* name : {"1.sin", "2.sin", "3.sin", "4.sin", "5.sin"}) {
        EXPECT_EQ(b.ws.openFile(f.emplace_back(b.file(name))).focus, Focus::ModelBox);
    }
    b.ws.openFile(utf8Path(b.dir / "sub" / ".." / "3.sin"));
    EXPECT_FALSE(b.ws.openRecent(4).form);
    EXPECT_EQ(b.ws.recentFiles(), (std::vector<std::string>{f[2], f[4], f[3], f[1]}));
    EXPECT_EQ(b.settings.value("Recent File List/File1"), f[2]);
}

TEST(WorkspaceTest, NothingReplacesOrClosesTheDocumentWhileATransferRuns) {
    Bench b;
    b.ws.start("");
    b.ws.read();
    b.ws.startTransfer();
    b.ws.fileNew();
    b.ws.fileOpen();
    b.ws.openFile(b.file("a.sin"));
    EXPECT_FALSE(b.ws.close());
    EXPECT_FALSE(b.ws.progress().startEnabled);
    EXPECT_EQ(b.prompts.texts, std::vector<std::string>(4, strings::kTransferRunning));
    EXPECT_EQ(b.prompts.shown.at(0).icon, Icon::Information);
    EXPECT_TRUE(b.prompts.asked.empty());
    EXPECT_TRUE(b.ws.document().path().empty());
}

TEST(WorkspaceTest, TransfersShowTheirEndAndOnlyACompleteReadChangesTheDocument) {
    RadioFaults silent{true}, nakRead, nakWrite;
    nakRead.nakReadBlock = 60;
    nakWrite.nakWriteBlock = 3;
    // The radio's text, then what the line showed.
    const std::string none = "\n未收到对讲机的任何回应：请检查写频线是否插紧、对讲机是否已开机、所选端口是否正确。",
                      garbled = "处的回应不完整或有误：请检查写频线插头是否松动。";
    const std::string q = text::tr(transferText::kRetryQuestion) + none, incomplete = transferText::kWriteIncomplete,
                      readNak = text::tr(transferText::kReadAckBad) + ("\n对讲机在第 61 块（偏移 0x1E0）" + garbled),
                      writeNak =
                          text::tr(transferText::kWriteAckBad) + ("\n对讲机在第 4 块（偏移 0x018，信道 1 的数据）" + garbled);
    using Case = std::tuple<bool, RadioFaults, int, std::deque<Button>, std::vector<std::string>, std::string>;
    const Case cases[] = {
        // write, the radio's faults, cancel after block, answers, messages, the status line at the end
        {false, {}, -1, {}, {}, "123"},
        {false, nakRead, -1, {}, {readNak}, "61"},
        {false, {}, 10, {}, {}, "11"},
        {false, silent, -1, {Button::Retry, Button::Cancel}, {q, q}, text::tr(transferText::kWaiting)},
        {true, {}, -1, {}, {}, "122"},
        {true, nakWrite, -1, {}, {writeNak, incomplete}, "3"},
        {true, {}, 3, {}, {incomplete}, "4"},
        {true, silent, -1, {}, {q}, text::tr(transferText::kWaiting)},
        {true, {}, -1, {}, {std::string(transferText::kCannotOpenPort) + "\n\nbusy"}, text::tr(strings::kProgressWaiting)},
    };
    for (const auto& [write, faults, cancelAt, answers, messages, status] : cases) {
        Bench b;
        b.ws.start(b.file("a.sin"));
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.radio->setFaults(faults);
        b.gate.block = cancelAt;
        b.openError = status == text::tr(strings::kProgressWaiting) ? "busy" : "";
        b.prompts.answers = answers;
        bool nested = false;
        b.prompts.during = [&] { nested = nested || b.ws.pump().progress; };
        RadioImage image = status == "123" ? b.radio->memory() : b.ws.document().image;
        FormState form = b.ws.form();
        if (status == "123")
            decodeImage(image, form);
        b.transfer(write);
        SCOPED_TRACE(status);
        EXPECT_EQ(b.prompts.texts, messages);
        EXPECT_EQ(b.ws.progress().status, status);
        EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
        EXPECT_FALSE(nested);
        if (write) {
            EXPECT_EQ(b.ws.document().image[961], 2); // encoded before the port opened
            const auto& sent = b.ws.document().image.bytes();
            EXPECT_EQ(std::equal(sent.begin(), sent.begin() + 984, b.radio->memory().bytes().begin()), status == "122");
        } else {
            EXPECT_EQ(std::make_pair(b.ws.document().image, b.ws.form()), std::make_pair(image, form));
        }
    }
}

#ifndef _WIN32
/// The first message `act` shows when run by the user nobody, in a child
/// process, so that a test running as root sees what a user sees.
std::string asNobody(const std::function<void()>& act, ScriptedPrompts& prompts) {
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        act();
        const std::string text = prompts.texts.empty() ? "" : prompts.texts.front();
        const bool written = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "the child failed";
}

TEST(WorkspaceTest, APortThatDoesNotOpenIsExplained) {
    test::Pty line;
    ASSERT_TRUE(line.ready());
    const OpenedPort holder = openSystemSerialPort(line.slavePath());
    ASSERT_TRUE(holder.port) << holder.error;
    std::string self; // the test program, by the first word of its command line
    std::getline(std::ifstream("/proc/self/cmdline"), self, '\0');
    self = fs::path(self).filename().string();
    Bench b;
    b.ws.setTransferLink([](const std::string& name, Clock& c) { return openPort(name, c); }, b.clock);
    const std::string locked = b.file("locked"), head = std::string(transferText::kCannotOpenPort) + "\n\n";
    fs::permissions(locked, fs::perms::none);
    using Row = std::tuple<std::string, std::string, std::string>; // the port, how the message starts and ends
    for (const auto& [port, start, end] :
         {Row{"/dev/varnok-no-such-tty", "串口 /dev/varnok-no-such-tty 不存在。现有端口：", "demo"},
          Row{line.slavePath(), "串口 " + line.slavePath() + " 正被其他程序（" + self + "）占用：",
              "请关闭该程序后重试。"},
          Row{locked, "没有权限打开 " + locked + "：请将当前用户加入 ", " $USER），然后重新登录。"}}) {
        b.prompts.texts.clear();
        b.ws.selectPort(port);
        // Root opens any file, so the permission row runs as nobody.
        const std::string text = port == locked && ::geteuid() == 0 ? asNobody([&] { b.transfer(false); }, b.prompts)
                                                                     : (b.transfer(false), b.prompts.texts.at(0));
        EXPECT_EQ(std::make_pair(text.find(head + start), text.rfind(end)),
                  std::make_pair(std::size_t{0}, text.size() - end.size()))
            << text;
    }
}
#endif

TEST(WorkspaceTest, CancelBeforeStartOpensNothing) {
    Bench b;
    b.ws.start("");
    b.prompts.paths = {" COM3\t"};
    EXPECT_TRUE(b.ws.askPort().port);
    b.prompts.paths.clear();
    EXPECT_FALSE(b.ws.askPort().port); // cancelled
    EXPECT_EQ(b.prompts.asked, (std::vector<std::string>{"COM1", "COM3"}));
    b.ws.read();
    b.ws.write();
    EXPECT_EQ(b.ws.progress().caption + b.ws.progress().status,
              std::string(text::tr(strings::kWriteCaption)) + text::tr(strings::kProgressWaiting));
    EXPECT_TRUE(b.ws.progress().startEnabled);
    b.ws.cancelTransfer();
    b.ws.startTransfer();
    EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
    EXPECT_TRUE(b.opened.empty());
}

TEST(WorkspaceTest, ThePortMenuListsEachPortOnceAndChecksTheChosenOne) {
    const std::vector<PortInfo> present{
        {systemDeviceFor("COM1"), "on board"}, {"/dev/ttyUSB0", "FTDI & Co"}, {"/dev/ttyUSB0", ""}, {"demo", ""}};
    // The items after the separator and the found port; the one checked.
    for (const auto& [typed, chosen, shown] :
         {std::tuple{"", "COM1", "DO"}, std::tuple{" /dev/ttyACM5\t", "/dev/ttyACM5", "CDO"},
          std::tuple{"com1", "com1", "CDO"}, std::tuple{"demo", "demo", "DO"},
          std::tuple{"/dev/ttyUSB0", "/dev/ttyUSB0", "DO"}}) {
        PortChoice ports;
        ports.select(typed);
        ports.select(" ");
        const std::vector<PortItem> menu = ports.menu(present);
        std::string kinds, checked;
        for (const PortItem& item : menu) {
            kinds += "MFCSDO"[static_cast<int>(item.kind)];
            checked += item.checked ? item.port + ";" : "";
        }
        EXPECT_EQ(kinds, std::string("MMMMSF") + shown) << typed;
        EXPECT_EQ(checked, chosen + std::string(";"));
        EXPECT_EQ(std::make_tuple(menu[1].port, menu[1].text, menu[1].shortcut, menu[1].prompt, menu[1].commandId),
                  std::make_tuple("COM2", "COM2  ", "Ctrl+2", "选择串口2 ", 32775));
        EXPECT_EQ(menu[5].text + "|" + menu[5].prompt,
                  "/dev/ttyUSB0 - FTDI && Co|" + arg(strings::kFoundPortPrompt, "/dev/ttyUSB0"));
    }
}

} // namespace
} // namespace varnok::app

namespace varnok::app {
namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string imageBytes(const RadioImage& image) { return std::string(image.bytes().begin(), image.bytes().end()); }

bool startsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

/// A complete read leaves a byte-identical backup whatever the document
/// does next; a failed one leaves none, and a backup that cannot be made is
/// told but never costs the read. A verified write reads the radio back and
/// names a difference in the form's terms.
TEST(WorkspaceTest, ReadsAreBackedUpAndAVerifiedWriteNamesWhatTheRadioHolds) {
    RadioFaults nakRead, corrupt;
    nakRead.nakReadBlock = 60;
    corrupt.corruptWriteBlock = 2; // channel 1's receive frequency
    const struct {
        bool write, verify;
        RadioFaults faults;
        bool blockedFolder;
        std::size_t backups;
        std::string firstMessage; ///< what the first message starts with, "" for none
    } rows[] = {
        {false, false, {}, false, 1, ""},
        {false, false, nakRead, false, 0, transferText::kReadAckBad},
        {false, false, {}, true, 0, "读取已完成，但数据未能备份："},
        {true, true, {}, false, 0, strings::kVerifyPassed},
        {true, true, corrupt, false, 0, "写入后校验发现 1 处不同：\nchannel 1, "},
        {true, false, corrupt, false, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.firstMessage);
        Bench b;
        ASSERT_FALSE(saveChannelFile(b.dir / "radio.sin", DemoRadio::sampleMemory()));
        b.ws.start(utf8Path(b.dir / "radio.sin"));
        if (row.blockedFolder)
            std::ofstream(b.dir / "backups") << "a file where the folder goes";
        b.radio->setFaults(row.faults);
        const RadioImage before = b.radio->memory();
        row.write ? b.ws.write() : b.ws.read();
        b.ws.setVerify(row.verify);
        b.run();
        EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
        EXPECT_EQ(b.prompts.texts.empty() ? "" : b.prompts.texts.front().substr(0, row.firstMessage.size()),
                  row.firstMessage);
        const auto backups = b.backups();
        ASSERT_EQ(backups.size(), row.backups);
        if (row.backups == 1) {
            EXPECT_EQ(fileBytes(backups[0]), imageBytes(before));
            EXPECT_EQ(b.ws.lastBackup(), backups[0]);
            EXPECT_NE(backups[0].find("_QX-"), std::string::npos);
        }
        EXPECT_EQ(b.ws.progress().ended, row.faults.nakReadBlock < 0 ? TransferOutcome::Complete
                                                                     : TransferOutcome::Failed);
    }
}

TEST(WorkspaceTest, TheVerifyBoxIsRememberedAndOnlyAWriteOrACloneRunShowsIt) {
    Bench b;
    b.ws.start("");
    b.ws.read();
    EXPECT_FALSE(b.ws.setVerify(true).progress);
    b.ws.write();
    EXPECT_TRUE(b.ws.progress().verifyShown);
    b.ws.setVerify(true);
    b.ws.cancelTransfer();
    Workspace again{b.prompts, b.settings, {}}; // the next run of the program
    again.write();
    EXPECT_TRUE(again.progress().verify);
}

/// Three radios of a clone run: each is written, verified and logged with
/// the master's hash; the radio that fails stops the run and is named.
TEST(WorkspaceTest, ACloneRunWritesRadioAfterRadioAndStopsAtTheOneThatFails) {
    RadioFaults nakWrite, corrupt;
    nakWrite.nakWriteBlock = 5;
    corrupt.corruptWriteBlock = 2;
    const struct {
        RadioFaults third;
        bool verify, backupFirst;
        std::string stop; ///< what the last message starts with
        std::string logOutcome;
    } rows[] = {
        {nakWrite, false, false, "第 3 台对讲机写入失败，批量写频已停止。\n已完成 2 台，失败 1 台", "failed"},
        {corrupt, true, true, "第 3 台对讲机校验失败，批量写频已停止。\n已完成 2 台，失败 1 台\n\n写入后校验发现 1 处不同：\nchannel 1, ", "verify-failed"},
        {{}, true, false, "批量写频结束：已完成 3 台，失败 0 台\n", "verified"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.logOutcome);
        Bench b;
        ASSERT_FALSE(saveChannelFile(b.dir / "master.sin", DemoRadio::sampleMemory()));
        b.ws.start(utf8Path(b.dir / "master.sin"));
        b.ws.chooseSetting(Setting::Squelch, 7);
        RadioImage master = b.ws.document().image;
        encodeForm(b.ws.form(), master);
        b.ws.cloneRun();
        b.ws.setVerify(row.verify);
        b.ws.setBackupFirst(row.backupFirst);
        EXPECT_EQ(b.ws.progress().status, "请连接第 1 台对讲机，然后按“开始”。");
        for (int radio = 1; radio <= 3; ++radio) {
            b.radio = std::make_shared<DemoRadio>(radio == 3 ? DemoRadio::sampleMemory() : RadioImage{},
                                                  radio == 3 ? row.third : RadioFaults{});
            b.run();
            if (radio < 3) {
                EXPECT_EQ(b.ws.progress().tally, "已完成 " + std::to_string(radio) + " 台，失败 0 台");
                const auto& sent = b.radio->memory().bytes();
                EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 984, master.bytes().begin()));
            }
        }
        if (b.ws.cloning())
            b.ws.cancelTransfer(); // between radios: the run ends
        EXPECT_FALSE(b.ws.cloning());
        EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
        ASSERT_FALSE(b.prompts.texts.empty());
        EXPECT_TRUE(startsWith(b.prompts.texts.back(), row.stop)) << b.prompts.texts.back();
        EXPECT_EQ(b.backups().size(), row.backupFirst ? 3u : 0u);

        std::ifstream log(fsPath(b.ws.cloneLog()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "time,port,radio,outcome,differences,master_sha256");
        const std::string hash = sha256Hex(master.bytes().data(), 984);
        EXPECT_NE(lines[1].find(",COM1,1," + std::string(row.verify ? "verified" : "written") + ",0," + hash),
                  std::string::npos) << lines[1];
        EXPECT_NE(lines[3].find(",3," + row.logOutcome + ","), std::string::npos) << lines[3];
    }
}

} // namespace
} // namespace varnok::app

namespace varnok::app {
namespace {

/// Each change is one step: undo walks back through the exact form and
/// image of every step, redo forward again, and the changed flag follows.
TEST(WorkspaceTest, UndoAndRedoWalkThroughEveryStepExactly) {
    using Edit = std::function<void(Bench&)>;
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"cell", [](Bench& b) { b.ws.moveTo(2, 1); b.ws.typed(U'1'); b.ws.edit("145"); b.ws.enter(); }},
        {"squelch", [](Bench& b) { b.ws.chooseSetting(Setting::Squelch, 6); }},
        {"model", [](Bench& b) { b.ws.chooseSetting(Setting::Model, 2); }},
        {"read", [](Bench& b) { b.transfer(false); }},
    };
    Bench b;
    b.ws.start(b.file("a.sin"));
    std::vector<std::pair<FormState, RadioImage>> states{{b.ws.form(), b.ws.document().image}};
    for (const auto& [name, edit] : edits) {
        edit(b);
        b.ws.commitEdit();
        states.emplace_back(b.ws.form(), b.ws.document().image);
        EXPECT_NE(states.back(), states[states.size() - 2]) << name;
    }
    // An edit still open is taken in, and undone, by the undo itself.
    b.ws.moveTo(3, 1);
    b.ws.typed(U'4');
    b.ws.edit("440");
    b.ws.undo();
    EXPECT_EQ(std::make_pair(b.ws.form(), b.ws.document().image), states.back());
    b.ws.redo();
    EXPECT_EQ(b.ws.form().cell(3, 1), "440.00000");
    b.ws.undo();
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        EXPECT_TRUE(b.ws.canUndo());
        b.ws.undo();
        EXPECT_EQ(std::make_pair(b.ws.form(), b.ws.document().image), states[i - 1]) << edits[i - 1].first;
        EXPECT_EQ(b.ws.document().modified(), i > 1);
    }
    EXPECT_FALSE(b.ws.canUndo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        b.ws.redo();
        EXPECT_EQ(std::make_pair(b.ws.form(), b.ws.document().image), states[i]) << edits[i - 1].first;
    }
    EXPECT_TRUE(b.ws.canRedo()); // the edit that was open
    b.ws.undo();
    b.ws.chooseSetting(Setting::Squelch, 1); // a new step forgets what was undone
    EXPECT_FALSE(b.ws.canRedo());
    b.ws.fileSave();
    b.ws.undo();
    EXPECT_TRUE(b.ws.document().modified());
    b.ws.redo();
    EXPECT_FALSE(b.ws.document().modified());
    b.ws.openFile(b.file("b.sin"));
    EXPECT_FALSE(b.ws.canUndo() || b.ws.canRedo());
}

} // namespace
} // namespace varnok::app

namespace varnok::app {
namespace {

/// Rows come in through a CSV file or the clipboard with the entry checks,
/// after a question where they would replace data or leave rows out, and
/// each import, paste or clearing is one undo step.
TEST(WorkspaceTest, RowsComeInAsOneStepAndOnlyWithTheUsersConsent) {
    Bench b;
    ASSERT_FALSE(saveChannelFile(b.dir / "radio.sin", DemoRadio::sampleMemory())); // channels 1 to 7, band 400-470
    b.ws.start(utf8Path(b.dir / "radio.sin"));
    std::ofstream(b.dir / "in.csv") << "Location,Frequency,Duplex,Offset,Power\n"
                                       "1,460.000000,,,Low\n9,462.500000,+,5.000000,High\n10,999.000000,,,Low\n";
    const FormState before = b.ws.form();
    b.prompts.paths = {utf8Path(b.dir / "in.csv")};
    b.ws.importCsv(); // the question is cancelled
    ASSERT_EQ(b.prompts.texts.size(), 1u);
    EXPECT_EQ(b.prompts.texts[0].rfind("从“in.csv”导入信道：\n添加信道：9\n替换信道：1\n未采用的行：\nline 4", 0), 0u)
        << b.prompts.texts[0];
    EXPECT_EQ(b.ws.form(), before);
    b.prompts.answers = {Button::Ok};
    b.ws.importCsv();
    EXPECT_EQ(b.ws.form().cell(1, column::kRxFrequency), "460.00000");
    EXPECT_EQ(b.ws.form().cell(9, column::kTxFrequency), "467.50000");
    b.ws.undo();
    EXPECT_EQ(b.ws.form(), before);

    // The clipboard: two rows from channel 8 on go in without a question;
    // over channels with data they ask first.
    b.ws.selectChannel(1, false, false);
    const std::string two = b.ws.copyRows() + "";
    b.ws.selectChannel(2, true, false);
    const std::string rows = b.ws.copyRows();
    b.ws.selectChannel(8, false, false);
    b.prompts.texts.clear();
    b.ws.pasteRows(rows);
    EXPECT_TRUE(b.prompts.texts.empty());
    for (int col = 1; col < column::kCount; ++col)
        EXPECT_EQ(b.ws.form().cell(9, col), before.cell(2, col));
    b.ws.selectChannel(3, false, false);
    b.ws.pasteRows(two); // cancelled: channel 3 holds data
    EXPECT_EQ(b.prompts.texts.size(), 1u);
    EXPECT_EQ(b.ws.form().cell(3, 1), before.cell(3, 1));

    // Delete clears the selection after its own question.
    b.ws.selectChannel(5, false, false);
    b.ws.selectChannel(7, false, true);
    EXPECT_EQ(b.ws.selectedChannels(), (std::vector<int>{5, 7}));
    b.prompts.answers = {Button::Ok};
    b.ws.clearRows();
    EXPECT_TRUE(b.ws.form().cell(5, 1).empty() && b.ws.form().cell(7, 8).empty());
    b.ws.undo();
    b.ws.undo();
    EXPECT_EQ(b.ws.form(), before);
}

TEST(WorkspaceTest, AComparisonListsTheDifferencesAndMarksTheCellsUntilTheNextChange) {
    Bench b;
    ASSERT_FALSE(saveChannelFile(b.dir / "radio.sin", DemoRadio::sampleMemory()));
    b.ws.start(utf8Path(b.dir / "radio.sin"));
    b.prompts.paths = {utf8Path(b.dir / "radio.sin")};
    b.ws.compareWithFile();
    EXPECT_EQ(b.prompts.texts.back(), "当前数据与“radio.sin”相同。");
    b.ws.chooseSetting(Setting::Squelch, 3);
    b.ws.moveTo(2, column::kPower);
    b.ws.doubleClick(2, column::kPower);
    b.ws.choose(2);
    b.ws.commitEdit();
    b.ws.compareWithFile();
    EXPECT_EQ(b.prompts.texts.back().rfind("当前数据与“radio.sin”有 2 处不同（当前 → 文件）：\nchannel 2, ", 0), 0u)
        << b.prompts.texts.back();
    EXPECT_EQ(b.ws.highlighted(), (std::vector<std::pair<int, int>>{{2, column::kPower}}));
    b.ws.chooseSetting(Setting::Squelch, 4);
    EXPECT_TRUE(b.ws.highlighted().empty());
}

/// The language a run starts in, and what choosing one keeps; in English
/// the tone box's shown no-tone name stores the table's own.
TEST(WorkspaceTest, LanguageIsChosenRememberedAndOnlyShown) {
    using text::Language;
    const struct {
        const char* stored;
        const char* lcAll;
        const char* lang;
        Language expected;
    } rows[] = {
        {nullptr, nullptr, "en_US.UTF-8", Language::English},
        {"zh", nullptr, "en_US.UTF-8", Language::Chinese},
        {"fr", "C", "en_US.UTF-8", Language::Chinese}, // LC_ALL decides, and names neither
        {"en", nullptr, nullptr, Language::English},
        {nullptr, nullptr, nullptr, Language::Chinese},
    };
    for (const auto& row : rows) {
        MemorySettings settings;
        if (row.stored)
            settings.setValue(strings::kLanguageKey, std::string(row.stored));
        EXPECT_EQ(startingLanguage(settings, environmentLocale(row.lcAll, nullptr, row.lang)), row.expected)
            << (row.stored ? row.stored : "-") << (row.lang ? row.lang : "-");
    }
    Bench b;
    b.ws.start(b.file("a.sin"));
    chooseLanguage(b.settings, Language::English);
    EXPECT_EQ(b.settings.value(strings::kLanguageKey), std::optional<std::string>("en"));
    b.ws.moveTo(1, column::kRxFrequency);
    b.ws.typed(U'1');
    b.ws.edit("145");
    b.ws.enter();
    b.ws.moveTo(1, column::kDecodeTone);
    b.ws.typed(U'N');
    b.ws.edit("None");
    b.ws.enter();
    chooseLanguage(b.settings, Language::Chinese);
    EXPECT_STREQ(b.ws.form().cell(1, column::kDecodeTone).c_str(), text::kToneNone.zh);
}

} // namespace
} // namespace varnok::app

#include "app/workspace.h"

#include "app/strings.h"
#include "app/text.h"
#include "app_fakes.h"
#include "image/defaults.h"

#include <cstdlib>
#include <fstream>

namespace varnok::app {
namespace {

namespace fs = std::filesystem;
using Kind = PortItem::Kind;

/// One main window's worth of application layer over a demo radio in
/// virtual time, with a folder of its own for files.
struct Bench {
    Bench() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Bench() { fs::remove_all(dir); }

    /// A channel file of a new document, at `name` in the folder.
    std::string file(const std::string& name) {
        const std::string path = utf8Path(dir / name);
        EXPECT_FALSE(saveChannelFile(path, defaultImage(PresetSet::Uhf)));
        return path;
    }
    /// Read or write, Start, and the events until the window has closed.
    void transfer(bool write) {
        write ? ws.write() : ws.read();
        ws.startTransfer();
        while (ws.transferring() && waker.wait())
            ws.pump();
        EXPECT_FALSE(ws.transferring());
    }

    fs::path dir = fs::temp_directory_path() /
                   ("varnok_app_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ScriptedPrompts prompts;
    MemorySettings settings;
    VirtualClock clock;
    std::shared_ptr<DemoRadio> radio = std::make_shared<DemoRadio>();
    Gate gate;
    Waker waker;
    std::vector<std::string> opened;
    std::string openError; ///< non-empty: the port cannot be opened
    Workspace ws{prompts, settings, waker.callback(),
                 [this](const std::string& name, Clock& c) {
                     opened.push_back(name);
                     if (!openError.empty())
                         return OpenedPort{nullptr, openError};
                     return OpenedPort{std::make_unique<GatedPort>(radio, c, gate), {}};
                 },
                 clock};
};

TEST(WorkspaceTest, TheSaveChangesQuestionSavesDiscardsOrStops) {
    struct Case {
        bool hasFile;
        std::vector<Button> answers;
        std::optional<std::string> saveAs; ///< the Save As answer, a name in the folder
        bool goesOn, saves;
    };
    const Case cases[] = {
        {true, {Button::Save}, {}, true, true},
        {false, {Button::Save}, "b.sin", true, true},
        {false, {Button::Save}, std::nullopt, false, false},
        {false, {Button::Save}, "nodir/b.sin", false, false},
        {true, {Button::Discard}, {}, true, false},
        {true, {Button::Cancel}, {}, false, false},
    };
    for (const Case& c : cases) {
        Bench b;
        const std::string original = b.file("a.sin");
        b.ws.start(c.hasFile ? original : "");
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.prompts.answers.assign(c.answers.begin(), c.answers.end());
        if (c.saveAs)
            b.prompts.paths.push_back(utf8Path(b.dir / *c.saveAs));
        b.ws.fileNew();
        const std::string target = c.hasFile ? original : utf8Path(b.dir / c.saveAs.value_or("x"));
        SCOPED_TRACE(target);
        ASSERT_FALSE(b.prompts.shown.empty());
        const Message& asked = b.prompts.shown.front();
        EXPECT_EQ(asked.text, arg(strings::kSaveChangesQuestion, c.hasFile ? "a.sin" : "Write Data"));
        EXPECT_EQ(asked.icon, Icon::Question);
        EXPECT_EQ(asked.buttons, (std::vector<Button>{Button::Save, Button::Discard, Button::Cancel}));
        EXPECT_EQ(asked.defaultButton, Button::Save);
        EXPECT_EQ(b.ws.form().selection(Setting::Squelch), c.goesOn ? 9 : 2);
        EXPECT_EQ(b.ws.document().modified(), !c.goesOn);
        RadioImage saved;
        EXPECT_EQ(!loadChannelFile(target, saved) && saved[961] == 2, c.saves);
        if (c.saveAs && c.saveAs->find('/') != std::string::npos) {
            EXPECT_EQ(b.prompts.shown.back().text.rfind(arg(strings::kSaveFailed, nativePath(target)), 0), 0u);
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
    EXPECT_EQ(b.prompts.texts(), std::vector<std::string>{arg(strings::kSaveChangesQuestion, "Write Data")});
    EXPECT_EQ(b.ws.form().cell(1, column::kRxFrequency), "145.00000");
}

TEST(WorkspaceTest, AFileThatCannotBeOpenedLeavesTheDocumentAndTheRecentList) {
    struct Case {
        const char* name;
        std::size_t size; ///< bytes written; 0 for no file at all
        const char* headline;
    };
    for (const Case& c :
         {Case{"short.sin", 1023, strings::kNotAChannelFile}, Case{"missing.sin", 0, strings::kOpenFailed}}) {
        Bench b;
        const std::string good = b.file("a.sin"), bad = utf8Path(b.dir / c.name);
        if (c.size)
            std::ofstream(fsPath(bad), std::ios::binary) << std::string(c.size, '\0');
        b.ws.start(good);
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.settings.setValue("Recent File List/File2", bad);
        const Document before = b.ws.document();
        b.prompts.answers = {Button::Discard};
        b.ws.openRecent(1);
        ASSERT_EQ(b.prompts.shown.size(), 2u);
        EXPECT_EQ(b.prompts.shown[1].icon, Icon::Warning);
        EXPECT_EQ(b.prompts.shown[1].text.rfind(arg(c.headline, nativePath(bad)) + "\n\n", 0), 0u) << c.name;
        EXPECT_EQ(b.ws.document().image, before.image);
        EXPECT_EQ(b.ws.form(), before.form);
        EXPECT_EQ(b.ws.document().path(), good);
        EXPECT_EQ(b.ws.recentFiles(), std::vector<std::string>{good});
    }
}

TEST(WorkspaceTest, TheRecentListKeepsFourAbsolutePathsMostRecentFirst) {
    Bench b;
    std::vector<std::string> f;
    for (const char* name : {"1.sin", "2.sin", "3.sin", "4.sin", "5.sin"})
        EXPECT_EQ(b.ws.openFile(f.emplace_back(b.file(name))).focus, Focus::ModelBox);
    EXPECT_EQ(b.ws.recentFiles(), (std::vector<std::string>{f[4], f[3], f[2], f[1]}));
    b.ws.openFile(utf8Path(b.dir / "sub" / ".." / "3.sin"));
    EXPECT_EQ(b.ws.recentFiles(), (std::vector<std::string>{f[2], f[4], f[3], f[1]}));
    EXPECT_EQ(b.settings.value("Recent File List/File1"), f[2]);
    EXPECT_FALSE(b.settings.value("Recent File List/File5"));
}

TEST(WorkspaceTest, SaveAsSuggestsTheFileElseTheLastFolderElseHome) {
    Bench b;
    const std::string home = utf8Path(b.dir / "home"), kept = b.file("kept.sin");
#ifdef _WIN32
    _putenv_s("USERPROFILE", home.c_str());
#else
    setenv("HOME", home.c_str(), 1);
#endif
    b.ws.start("");
    b.ws.fileSaveAs();
    b.settings.setValue("Recent File List/File1", utf8Path(b.dir / "sub" / "r.sin"));
    b.ws.fileSaveAs();
    b.ws.openFile(kept);
    b.ws.fileSaveAs();
    EXPECT_EQ(b.prompts.asked, (std::vector<std::string>{utf8Path(fsPath(home) / "Write Data.sin"),
                                                         utf8Path(b.dir / "sub" / "Write Data.sin"), kept}));
}

TEST(WorkspaceTest, NothingReplacesOrClosesTheDocumentWhileATransferRuns) {
    Bench b;
    b.ws.start("");
    b.radio->setFaults(RadioFaults{true});
    b.ws.read();
    b.ws.startTransfer();
    b.ws.fileNew();
    b.ws.fileOpen();
    b.ws.openFile(b.file("a.sin"));
    EXPECT_FALSE(b.ws.close());
    EXPECT_EQ(b.prompts.shown.size(), 4u);
    for (const Message& m : b.prompts.shown)
        EXPECT_EQ(std::make_pair(m.icon, m.text),
                  std::make_pair(Icon::Information, std::string(strings::kTransferRunning)));
    EXPECT_TRUE(b.prompts.asked.empty());
    EXPECT_TRUE(b.ws.document().path().empty());
}

TEST(WorkspaceTest, OnlyACompleteReadChangesTheDocument) {
    struct Case {
        RadioFaults faults;
        int cancelAt;
        TransferOutcome outcome;
    };
    RadioFaults nak, silent{true};
    nak.nakReadBlock = 60;
    for (const Case& c : {Case{{}, -1, TransferOutcome::Complete}, Case{nak, -1, TransferOutcome::Failed},
                          Case{{}, 10, TransferOutcome::Cancelled}, Case{silent, -1, TransferOutcome::Abandoned}}) {
        Bench b;
        b.ws.start(b.file("a.sin"));
        b.radio->setFaults(c.faults);
        b.gate.block = c.cancelAt;
        const Document before = b.ws.document();
        RadioImage expected = b.radio->memory();
        FormState shown = before.form;
        if (c.outcome == TransferOutcome::Complete)
            decodeImage(expected, shown);
        else
            expected = before.image;
        b.ws.read();
        b.ws.startTransfer();
        if (c.cancelAt >= 0)
            b.gate.at([&] { b.ws.cancelTransfer(); });
        while (b.ws.transferring() && b.waker.wait())
            b.ws.pump();
        SCOPED_TRACE(static_cast<int>(c.outcome));
        EXPECT_EQ(b.ws.document().image, expected);
        EXPECT_EQ(b.ws.form(), shown);
        EXPECT_EQ(b.ws.document().path(), before.path());
        EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
        EXPECT_LE(b.radio->blocksDone(), c.cancelAt + 1 + (c.cancelAt < 0 ? wire::kReadBlocks : 0));
    }
}

TEST(WorkspaceTest, AWriteEncodesFirstAndSaysWhenItStoppedHalfWay) {
    struct Case {
        RadioFaults faults;
        int cancelAt;
        std::string openError;
        std::vector<std::string> messages;
    };
    RadioFaults nak, silent{true};
    nak.nakWriteBlock = 3;
    const std::string incomplete = transferText::kWriteIncomplete;
    const Case cases[] = {
        {{}, -1, "", {}},
        {nak, -1, "", {transferText::kWriteAckBad, incomplete}},
        {{}, 3, "", {incomplete}},
        {silent, -1, "", {transferText::kRetryQuestion}},
        {{}, -1, "busy", {std::string(transferText::kCannotOpenPort) + "\n\nbusy"}},
    };
    for (const Case& c : cases) {
        Bench b;
        b.ws.start("");
        b.ws.chooseSetting(Setting::Squelch, 2);
        b.radio->setFaults(c.faults);
        b.gate.block = c.cancelAt;
        b.openError = c.openError;
        b.ws.write();
        b.ws.startTransfer();
        if (c.cancelAt >= 0)
            b.gate.at([&] { b.ws.cancelTransfer(); });
        while (b.ws.transferring() && b.waker.wait())
            b.ws.pump();
        EXPECT_EQ(b.prompts.texts(), c.messages);
        EXPECT_EQ(b.ws.document().image[961], 2);
        EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
    }
}

TEST(WorkspaceTest, TheBarStopsAt123ForAReadAnd122ForAWrite) {
    for (const auto& [write, shown] : {std::pair{false, "123"}, std::pair{true, "122"}}) {
        Bench b;
        b.ws.start("");
        b.transfer(write);
        EXPECT_EQ(b.ws.progress().status, shown);
        EXPECT_EQ(b.ws.progress().position, ProgressWindow::kMax);
        if (write) {
            EXPECT_TRUE(std::equal(b.radio->memory().bytes().begin(), b.radio->memory().bytes().begin() + 984,
                                   b.ws.document().image.bytes().begin()));
        }
    }
}

TEST(WorkspaceTest, OnlyCancelInTheRetryQuestionAbandons) {
    for (const auto& [answers, asked] : {std::pair{std::deque<Button>{Button::Cancel}, 1u},
                                         std::pair{std::deque<Button>{Button::Retry, Button::Cancel}, 2u},
                                         std::pair{std::deque<Button>{Button::Ok, Button::Cancel}, 2u}}) {
        Bench b;
        b.ws.start("");
        b.radio->setFaults(RadioFaults{true});
        b.prompts.answers = answers;
        Changes nested{true};
        b.prompts.during = [&] { nested = b.ws.pump(); };
        b.transfer(false);
        ASSERT_EQ(b.prompts.shown.size(), asked);
        const Message& m = b.prompts.shown.front();
        EXPECT_EQ(std::make_tuple(m.icon, m.caption, m.defaultButton),
                  std::make_tuple(Icon::None, std::string(strings::kAppTitle), Button::Retry));
        EXPECT_EQ(m.buttons, (std::vector<Button>{Button::Retry, Button::Cancel}));
        EXPECT_FALSE(nested.progress);
    }
}

TEST(WorkspaceTest, CancelBeforeStartOpensNothing) {
    Bench b;
    b.ws.start("");
    b.ws.read();
    b.ws.write();
    EXPECT_EQ(b.ws.progress().caption, strings::kWriteCaption);
    EXPECT_EQ(b.ws.progress().status, strings::kProgressWaiting);
    b.ws.cancelTransfer();
    b.ws.startTransfer();
    EXPECT_EQ(b.ws.progress().state, ProgressWindow::State::NoWindow);
    EXPECT_TRUE(b.opened.empty());
}

TEST(WorkspaceTest, AModelChangeRewritesTheAuxiliaryRecordsAtOnceAndDropsTheTextEdit) {
    Bench b;
    b.ws.start("");
    b.ws.chooseSetting(Setting::Band, 3);
    b.ws.typed(U'1');
    for (const auto& [model, step] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{2, 0}}) {
        b.ws.chooseSetting(Setting::Model, model);
        for (std::size_t row = 17; row <= 24; ++row)
            EXPECT_EQ(std::vector<int>(b.ws.document().image.row(row), b.ws.document().image.row(row) + 16),
                      (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, step, step, 255}));
    }
    EXPECT_EQ(b.ws.form().selection(Setting::Band), 0);
    EXPECT_EQ(b.ws.table().open(), CellEditor::None);
    EXPECT_EQ(b.ws.form().cell(1, column::kRxFrequency), "");
}

TEST(WorkspaceTest, ThePortMenuListsEachPortOnceAndChecksTheChosenOne) {
    const std::vector<PortInfo> present{{systemDeviceFor("COM1"), "on board"},
                                        {"/dev/ttyUSB0", "FTDI & Co"},
                                        {"/dev/ttyUSB0", "again"},
                                        {kDemoPortName, ""}};
    struct Case {
        const char* typed;
        const char* chosen;
        std::vector<Kind> kinds;
    };
    const std::vector<Kind> base{Kind::Com, Kind::Com, Kind::Com, Kind::Com, Kind::Separator, Kind::Found};
    const Case cases[] = {
        {"", "COM1", base},     {" /dev/ttyACM5 ", "/dev/ttyACM5", base}, {"com1", "com1", base},
        {"demo", "demo", base}, {"/dev/ttyUSB0", "/dev/ttyUSB0", base},
    };
    for (const Case& c : cases) {
        PortChoice ports;
        ports.select(c.typed);
        const std::vector<PortItem> menu = ports.menu(present);
        std::vector<std::string> checked;
        std::vector<Kind> kinds;
        for (const PortItem& item : menu) {
            kinds.push_back(item.kind);
            if (item.checked)
                checked.push_back(item.port);
        }
        std::vector<Kind> expected = c.kinds;
        if (c.chosen == std::string("/dev/ttyACM5") || c.chosen == std::string("com1"))
            expected.push_back(Kind::Current);
        expected.insert(expected.end(), {Kind::Demo, Kind::Other});
        EXPECT_EQ(kinds, expected) << c.typed;
        EXPECT_EQ(checked, std::vector<std::string>{c.chosen});
        EXPECT_EQ(std::make_tuple(menu[1].port, menu[1].text, menu[1].shortcut, menu[1].commandId),
                  std::make_tuple(std::string("COM2"), std::string("COM2  "), std::string("Ctrl+2"), 32775));
        EXPECT_EQ(
            std::make_pair(menu[5].text, menu[5].prompt),
            std::make_pair(std::string("/dev/ttyUSB0 - FTDI && Co"), arg(strings::kFoundPortPrompt, "/dev/ttyUSB0")));
    }
}

} // namespace
} // namespace varnok::app

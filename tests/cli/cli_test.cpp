// new, show and build end to end: exit statuses, one line per error, the
// JSON form and what a built file shows.
#include "cli_harness.h"

#include "app/document.h"

#include <nlohmann/json.hpp>

namespace varnok::clitest {
namespace {

using nlohmann::ordered_json;

/// One run of `command` (split at blanks; words starting with < or > are
/// redirections), after writing `json` to form.json when given. `err` holds
/// the stderr lines without the "varnok-cli: " prefix; one ending in "..."
/// only starts its line. A build into out.sin is shown with --json, where
/// the `shown` pointers must hold their values; a failed run leaves no
/// out.sin.
struct Row {
    std::string json, command;
    int status;
    std::vector<std::string> err = {};
    std::vector<std::pair<const char*, ordered_json>> shown = {};
    std::string out = "";
};

const std::string kStep = "Error data Value，Please input according the step value(6.25K/5k)";
// clang-format off
const Row kRows[] = {
    // Bad usage or input is status 2, a file or output that fails 1.
    {"", "", 2, {"A subcommand is required"}},
    {"", "show a.sin b.sin", 2, {"The following argument was not expected: b..."}},
    {"", "read --port demo -o out.sin --retries -1", 2, {"--retries: Value -1 not in range..."}},
    {"", "--help", 0, {}, {}, "Usage"},
    {"", "ports", 0, {}, {}, "demo\tbuilt-in demo radio"},
    {"", "new -o new.sin", 0},
    {"", "show new.sin >/dev/full", 1, {"cannot write to standard output"}},
    {"", "--version >&-", 1, {"cannot write to standard output"}},
    {"", "show missing.sin", 1, {R"(cannot open "missing.sin": No such file or directory)"}},
    {"", "show short.sin", 2, {R"("short.sin" is not a channel file: it holds 1000 bytes, a channel file holds 1024)"}},
    {"", "build . -o out.sin", 1, {R"(cannot read ".": it is a folder)"}},
#ifdef VARNOK_WITH_REPORT
    // The report's PDF is saved as a channel file is: a device is never replaced.
    {"", "report new.sin -o report.pdf", 0},
    {"", "report new.sin -o /dev/null", 1, {R"("/dev/null" is not a regular file: it is a device)"}},
#endif
    {"{}", "build form.json -o no/out.sin", 1, {R"(cannot create a file in folder "no"...)"}},
    // Checked before the port is opened, so before a transfer.
    {"", "read --port /dev/varnok-no-such-port -o no/out.sin", 1, {R"(cannot create a file in folder "no"...)"}},
    {"", "read --port /dev/varnok-no-such-port -o out.sin", 1, {"无法打开串口,请检查串口是否被占用或设备是否正常。", "串口 /dev/varnok-no-such-port 不存在。现有端口：..."}},
    // The form: known keys only, each value of its type and in its range.
    {R"({"channels": [)", "build form.json -o out.sin", 2, {R"("form.json": not valid JSON: parse error at line 1, column 15: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal)"}},
    {"[1]", "build form.json -o out.sin", 2, {R"("form.json": expected a JSON object at the top level, got array)"}},
    {R"({"setting": {}})", "build form.json -o out.sin", 2, {R"("form.json": unknown key "setting" at the top level (allowed: format_version, settings, channels))"}},
    {R"({"settings": {"volume": {}}})", "build - -o out.sin <form.json", 2, {R"(standard input: settings: unknown setting "volume")"}},
    {R"({"settings": {"model": {"index": 99}}})", "build form.json -o out.sin", 2, {R"("form.json": settings.model.index: 99 is outside -1 to 2)"}},
    {R"({"settings": {"model": {"text": "QX-999"}}})", "build form.json -o out.sin", 2, {R"("form.json": settings.model.text: "QX-999" is not one of QX-100, QX-200, QX-300)"}},
    {R"({"channels": [{"rx": "1"}]})", "build form.json -o out.sin", 2, {R"("form.json": channels[0]: "channel" is missing)"}},
    {R"({"channels": [{"channel": 18446744073709551617}]})", "build form.json -o out.sin", 2, {R"("form.json": channels[0].channel: expected an integer, got 1.8446744073709552e+19)"}},
    {R"({"channels": [{"channel": 17}]})", "build form.json -o out.sin", 2, {R"("form.json": channels[0].channel: 17 is outside 1 to 16)"}},
    {R"({"channels": [{"channel": 1, "freq": "1"}]})", "build form.json -o out.sin", 2, {R"("form.json": channels[0]: unknown key "freq" (allowed: channel, rx, tx, decode, encode, busy_lock, bandwidth, scan, power))"}},
    {R"({"channels": [{"channel": 1, "rx": 145.5}]})", "build form.json -o out.sin", 2, {R"("form.json": channels[0].rx: expected a string, got 145.5)"}},
    // Without a selection the model or band would leave the range unchecked.
    {R"({"settings": {"band": {"index": -1}}})", "build form.json -o out.sin", 2, {R"("form.json": settings.band: a selection is needed, one of 136 - 174MHZ, 350 - 400MHZ, 400 - 470MHZ, 430 - 500MHZ)"}},
    {R"({"settings": {"model": {"text": ""}}})", "build form.json -o out.sin", 2, {R"("form.json": settings.model: a selection is needed, one of QX-100, QX-200, QX-300)"}},
    // Every refused cell, in channel order, control characters escaped, a long value cut.
    {R"({"channels": [{"channel": 1, "rx": ")" + std::string(1 << 20, '9') + R"("}]})", "build form.json -o out.sin", 2, {R"(channel 1, rx: ")" + std::string(60, '9') + R"("...: Error Data Format，Please input again)"}},
    {R"({"channels": [{"channel": 1, "decode": "\n\u0007"}]})", "build form.json -o out.sin", 2, {R"(channel 1, decode: "\n\u0007": not a tone name)"}},
    {R"({"channels": [{"channel": 9, "rx": "145.5", "bandwidth": "wide"}, {"channel": 2, "rx": "180.001", "power": "低"}]})", "build form.json -o out.sin", 2,
     {R"(channel 2, rx: "180.001": Out of range!; )" + kStep, R"(channel 2, power: "低": no frequency in this row)", R"(channel 9, bandwidth: "wide": not one of 宽带, 窄带)"}},
    {R"({"settings": {"band": {"index": 2}}, "channels": [{"channel": 3, "rx": "145.5"}]})", "build form.json -o out.sin", 2, {R"(channel 3, rx: "145.5": Out of range!)"}},
    // A first rx brings the row defaults, which the texts beside it override.
    {R"({"channels": [{"channel": 3, "rx": "145.5", "decode": "d023n", "busy_lock": "是", "power": "低"}]})", "build form.json -o out.sin", 0, {},
     {{"/channels/2/tx", "145.50000"}, {"/channels/2/decode", "D023N"}, {"/channels/2/busy_lock", "是"}, {"/channels/2/bandwidth", "宽带"}, {"/channels/2/power", "低"}}},
    // Objects for one channel merge, later keys winning.
    {R"({"channels": [{"channel": 1, "decode": "88.5"}, {"channel": 1, "rx": "145"}, {"channel": 1, "decode": "67.0"}]})", "build - -o out.sin <form.json", 0, {},
     {{"/channels/0/rx", "145.00000"}, {"/channels/0/decode", "67.0"}}},
    // The band in the same form decides the range. base.sin is the base below.
    {R"({"settings": {"band": {"index": 2}}, "channels": [{"channel": 1, "rx": "460", "encode": "88.5"}]})", "build form.json -o base.sin", 0},
    // Plain show: labels and columns padded to the width of the widest, Chinese characters counting two.
    {"", "show base.sin", 0, {}, {}, "\n频率          400 - 470MHZ\n"},
    {"", "show base.sin", 0, {}, {},
     "\n信道  接收频率(MHz)  发射频率(MHz)  QT/DQT解码  QT/DQT编码  繁忙锁定  宽/窄带  扫描  功率\n"
     "1     460.00000      460.00000      无          88.5        否        宽带     添加  高\n"
     "2     -              -              -           -           -         -        -     -\n"},
    {"", "show base.sin --lang en", 0, {}, {},
     "\nCH  RX freq (MHz)  TX freq (MHz)  QT/DQT decode  QT/DQT encode  Busy lock  W/N   Scan  Power\n"
     "1   460.00000      460.00000      None           88.5           No         Wide  Add   High\n"},
    {R"({"channels": [{"channel": 1, "encode": ""}, {"channel": 2, "scan": "添加"}]})", "build form.json --base base.sin -o out.sin", 2,
     {R"(channel 1, encode: "": empty in a row with a frequency)", R"(channel 2, scan: "添加": no frequency in this row)"}},
    // diff: 0 equal, 1 different (the lines on stdout), 2 a file that cannot be compared.
    {"", "diff base.sin base.sin", 0},
    {"", "diff new.sin base.sin", 1, {}, {}, "channel 1, 发射频率: (empty) → 460.00000\n"},
    {"", "diff new.sin short.sin", 2, {R"("short.sin" is not a channel file...)"}},
    {"", "diff missing.sin new.sin", 2, {R"(cannot open "missing.sin"...)"}},
    // CSV: a refused row refuses the file unless --skip-bad; the band is the base's.
    {"", "export base.sin -o -", 0, {}, {}, "\r\n1,,460.000000,,0.000000,Tone,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High,,,,,,Off\r\n"},
    {"", "export base.sin -o no/out.csv", 1, {R"(cannot create a file in folder "no"...)"}},
    {"Location;Frequency;Name\n2;440;Home\n17;440\n", "import form.json --base base.sin -o out.sin", 2, {R"(line 3, Location: "17": not a channel 1 to 16)"}},
    {"", "import form.json --base base.sin -o out.sin --skip-bad --lang en", 0,
     {R"(skipped: line 3, Location: "17": not a channel 1 to 16)", "the radio has no place for these columns, their values were dropped: Name"},
     {{"/channels/0/rx", "460.00000"}, {"/channels/1/tx", "440.00000"}}},
    {"Location\n1\n", "import form.json -o out.sin --skip-bad", 2, {"line 1: no Frequency column in the header"}},
    // Another model resets the band, unless the form gives one too.
    {R"({"settings": {"model": {"index": 1}}, "channels": [{"channel": 3, "rx": "460"}]})", "build form.json --base base.sin -o out.sin", 2, {R"(channel 3, rx: "460": Out of range!)"}},
    {R"({"settings": {"model": {"text": "QX-200"}, "band": {"index": 3}}})", "build form.json --base base.sin -o out.sin", 0, {},
     {{"/settings/model/index", 1}, {"/settings/band/index", 3}}},
    {R"({"settings": {"model": {"index": 0}, "squelch": {"index": -1}}})", "build form.json --base base.sin -o out.sin", 0, {},
     {{"/settings/band/index", 2}, {"/channels/0/rx", "460.00000"}}},
    // --raw: no range check, no row defaults.
    {R"({"channels": [{"channel": 2, "rx": "999", "decode": "D023N"}]})", "build form.json -o out.sin --raw", 0, {},
     {{"/channels/1/rx", "999.00000"}, {"/channels/1/tx", ""}, {"/channels/1/decode", "D023N"}}},
};
// clang-format on

TEST_F(CliTest, RunsGiveTheirStatusTheirLinesAndTheirFiles) {
    write("short.sin", std::string(1000, '\xFF'));
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.command + " " + row.json.substr(0, 200));
        if (!row.json.empty())
            write("form.json", row.json);
        Args args;
        std::string redirections;
        std::istringstream words(row.command);
        for (std::string word; words >> word;)
            (word[0] == '<' || word[0] == '>' ? redirections : args.emplace_back()) += word;
        const RunResult r = run(args, redirections);
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.out.empty())
            EXPECT_EQ(r.out, "");
        else
            EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
        const std::vector<std::string> lines = r.errLines();
        ASSERT_EQ(lines.size(), row.err.size()) << r.err;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& want = row.err[i];
            const std::size_t start = want.size() > 3 && want.compare(want.size() - 3, 3, "...") == 0 ? 3 : 0;
            EXPECT_EQ(lines[i].substr(0, start ? 9 + want.size() : std::string::npos),
                      "varnok-cli: " + want.substr(0, want.size() - start));
        }
        EXPECT_EQ(exists("out.sin"), !row.shown.empty());
        if (!row.shown.empty()) {
            const ordered_json doc = ordered_json::parse(run({"show", "out.sin", "--json"}).out);
            for (const auto& [pointer, value] : row.shown)
                EXPECT_EQ(doc.at(ordered_json::json_pointer(pointer)), value) << pointer;
        }
        std::filesystem::remove(file("out.sin"));
    }
}

TEST_F(CliTest, DiffJsonListsWhatItsLinesList) {
    write("a.sin", randomImage(3));
    write("b.sin", randomImage(4));
    const RunResult plain = run({"diff", "a.sin", "b.sin"});
    const RunResult json = run({"diff", "a.sin", "b.sin", "--json"});
    ASSERT_EQ(plain.status, 1);
    ASSERT_EQ(json.status, 1);
    const ordered_json list = ordered_json::parse(json.out);
    std::istringstream lines(plain.out);
    std::string kinds;
    for (const ordered_json& d : list) {
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(d.at("line"), line);
        const std::string kind = d.at("kind");
        const std::string place = kind == "cell" ? "channel " + std::to_string(int(d.at("channel"))) + ", "
                                  : kind == "bytes" ? "offset"
                                                    : "";
        EXPECT_EQ(line.rfind(place, 0), 0u) << line;
        EXPECT_NE(line.find(std::string(d.at("before")) + " → " + std::string(d.at("after"))), std::string::npos);
        if (kinds.find(kind) == std::string::npos)
            kinds += kind + " ";
    }
    EXPECT_EQ(kinds, "cell setting bytes ");
    EXPECT_FALSE(std::getline(lines, kinds));
}

TEST_F(CliTest, ShowGivesTheFormThatBuildsWhatOpeningAndSavingGives) {
    ASSERT_EQ(run({"new", "-o", "new.sin"}).status, 0);
    app::Document reference;
    reference.makeNew();
    ASSERT_FALSE(reference.save(file("reference.sin").string()));
    EXPECT_EQ(read("new.sin"), read("reference.sin"));

    std::string odd = read("new.sin");
    odd[60 * 16 + 1] = '\x0B'; // squelch outside its list
    odd[61 * 16 + 2] = '\xF4'; // no band selection
    odd[61 * 16 + 6] = '\x58'; // an unknown model
    for (const std::string& base : {read("new.sin"), odd, std::string(1024, '\0'), randomImage(1), randomImage(2)}) {
        write("base.sin", base);
        const RunResult shown = run({"show", "base.sin", "--json"});
        ASSERT_EQ(shown.status, 0) << shown.err;
        EXPECT_EQ(shown.out.find("\\u"), std::string::npos) << "Chinese texts are written as UTF-8";
        const ordered_json doc = ordered_json::parse(shown.out);
        EXPECT_EQ(doc.at("format_version"), 1);
        std::string keys;
        for (const auto& [key, box] : doc.at("settings").items())
            keys += key +
                    (box.size() == 2 && box.at("index").is_number_integer() && box.at("text").is_string() ? " " : "? ");
        EXPECT_EQ(keys,
                  "model band tx_time_limit key_beep squelch monitor scan voice emergency power_save reject_alarm ");
        ASSERT_EQ(doc.at("channels").size(), 16u);
        for (std::size_t c = 0; c < 16; ++c) {
            keys.clear();
            for (const auto& [key, value] : doc["channels"][c].items())
                keys += key + ((key == "channel" ? value == c + 1 : value.is_string()) ? " " : "? ");
            EXPECT_EQ(keys, "channel rx tx decode encode busy_lock bandwidth scan power ");
        }

        write("form.json", shown.out);
        app::Document opened;
        ASSERT_FALSE(opened.open(file("base.sin").string()));
        ASSERT_FALSE(opened.save(file("reference.sin").string()));
        for (const Args& mode : {Args{}, Args{"--raw"}}) {
            const RunResult built = run(Args{"build", "form.json", "--base", "base.sin", "-o", "out.sin"} + mode);
            ASSERT_EQ(built.status, 0) << built.err;
            EXPECT_EQ(read("out.sin"), read("reference.sin"));
        }
    }
}

} // namespace
} // namespace varnok::clitest

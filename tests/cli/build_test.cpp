// `build`: patch semantics, the entry checks of checked mode, --raw, and the
// show -> build round trip.
#include "cli_harness.h"

#include "image/form.h"
#include "image/image.h"

#include <functional>
#include <random>

namespace varnok::clitest {
namespace {

/// What a file holds after `edit`; no base means a new document.
struct PatchCase {
    const char* name;
    std::optional<Bytes> base;
    std::string json;
    std::function<void(Bytes&)> edit;
};

Bytes withBand(Bytes b, std::uint8_t code) {
    b[at(61, 2)] = code;
    return b;
}

void secondModelSteps(Bytes& b) {
    for (int row = 17; row <= 24; ++row)
        put(b, row, 13, {0x00, 0x00});
}

class BuildTest : public CliTest {
protected:
    RunResult build(const PatchCase& c, bool raw) {
        writeText("form.json", c.json);
        std::vector<std::string> args = {"build", "form.json", "-o", "out.sin"};
        if (c.base) {
            writeImage("base.sin", *c.base);
            args.insert(args.end(), {"--base", "base.sin"});
        }
        if (raw)
            args.push_back("--raw");
        return run(args);
    }

    void expectPatched(const PatchCase& c, bool raw) {
        SCOPED_TRACE(c.name);
        const RunResult r = build(c, raw);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
        Bytes expected = c.base.value_or(newFileBytes());
        c.edit(expected);
        const auto image = readImage("out.sin");
        ASSERT_TRUE(image);
        for (std::size_t k = 0; k < expected.size(); ++k)
            EXPECT_EQ((*image)[k], expected[k]) << "row " << k / 16 << ", byte " << k % 16;
    }
};

TEST_F(BuildTest, CheckedEditsWorkAsInTheWindow) {
    const PatchCase cases[] = {
        {"a first rx brings the row defaults and is copied to tx",
         {},
         R"({"channels": [{"channel": 3, "rx": "145.5"}]})",
         [](Bytes& b) {
             put(b, 3, 0, {0x00, 0x00, 0x55, 0x14, 0x00, 0x00, 0x55, 0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xDB, 1, 1});
         }},
        {"tones take the table's spelling; list texts override the defaults",
         {},
         R"({"channels": [{"channel": 3, "rx": "145.5", "decode": "d023n", "encode": "88.5",
             "busy_lock": "是", "bandwidth": "窄带", "scan": "删除", "power": "低"}]})",
         [](Bytes& b) {
             put(b, 3, 0, {0x00, 0x00, 0x55, 0x14, 0x00, 0x00, 0x55, 0x14, 0x23, 0x80, 0x85, 0x08, 0x8E, 1, 1});
         }},
        {"a first tx is not copied to rx and sets its own step flag",
         {},
         R"({"channels": [{"channel": 5, "tx": "146.52"}]})",
         [](Bytes& b) {
             put(b, 5, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x20, 0x65, 0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xDB, 0xFF, 0});
         }},
        {"the band given in the same file decides the range",
         {},
         R"({"settings": {"band": {"index": 1}}, "channels": [{"channel": 2, "rx": "400"}]})",
         [](Bytes& b) {
             b[at(61, 2)] = 0xF1;
             put(b, 2, 0, {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0xDB, 1, 1});
         }},
        {"a changed frequency keeps the row's other cells", handMadeBytes(),
         R"({"channels": [{"channel": 1, "rx": "380.0125"}]})",
         [](Bytes& b) {
             put(b, 1, 0, {0x50, 0x12, 0x00, 0x38});
         }},
        {"emptying rx takes the decode tone with it", handMadeBytes(), R"({"channels": [{"channel": 1, "rx": ""}]})",
         [](Bytes& b) {
             put(b, 1, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x50, 0x25, 0x16, 0xFF, 0xFF});
         }},
        {"objects for one channel count as one, later keys winning",
         {},
         R"({"channels": [{"channel": 1, "decode": "88.5"}, {"channel": 1, "rx": "145"}, {"channel": 1, "decode": "67.0"}]})",
         [](Bytes& b) {
             put(b, 1, 0, {0x00, 0x00, 0x50, 0x14, 0x00, 0x00, 0x50, 0x14, 0x70, 0x06, 0xFF, 0xFF, 0xDB, 1, 1});
         }},
        {"emptying both frequencies blanks the row", handMadeBytes(),
         R"({"channels": [{"channel": 1, "rx": "", "tx": ""}]})",
         [](Bytes& b) {
             put(b, 1, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x45});
         }},
        {"another model clears the auxiliary step flags and resets the band", withBand(newFileBytes(), 0xF2),
         R"({"settings": {"model": {"index": 1}}})",
         [](Bytes& b) {
             secondModelSteps(b);
             b[at(61, 2)] = 0xF0;
             b[at(61, 6)] = 0x33;
         }},
        {"a band given with a new model survives the model change", withBand(newFileBytes(), 0xF2),
         R"({"settings": {"band": {"index": 3}, "model": {"text": "QX-300"}}})",
         [](Bytes& b) {
             secondModelSteps(b);
             b[at(61, 2)] = 0xF3;
             b[at(61, 6)] = 0x33;
         }},
        {"the same model is no model change", withBand(newFileBytes(), 0xF2),
         R"({"settings": {"model": {"index": 0}}})", [](Bytes&) {}},
        {"a box without a selection keeps the base's byte", handMadeBytes(),
         R"({"settings": {"key_beep": {"index": 0}}})", [](Bytes& b) { b[at(60, 0)] = 0x57; }},
        {"no selection by index", {}, R"({"settings": {"squelch": {"index": -1}}})", [](Bytes&) {}},
        {"no selection by text", {}, R"({"settings": {"squelch": {"text": ""}}})", [](Bytes&) {}},
        {"a setting by text",
         {},
         R"({"settings": {"squelch": {"text": "3"}, "voice": {"text": "关闭"}}})",
         [](Bytes& b) {
             put(b, 60, 0, {0xCF, 0x03});
         }},
        {"the index wins over the text",
         {},
         R"({"settings": {"squelch": {"index": 2, "text": "7"}}})",
         [](Bytes& b) { b[at(60, 1)] = 0x02; }},
    };
    for (const PatchCase& c : cases)
        expectPatched(c, false);
}

TEST_F(BuildTest, RawSetsCellsAsTheyStand) {
    const PatchCase cases[] = {
        {"no range check, no row defaults, no tone spelling",
         {},
         R"({"channels": [{"channel": 2, "rx": "999", "decode": "d023n", "busy_lock": "是", "scan": "添加", "power": "低"}]})",
         [](Bytes& b) {
             put(b, 2, 0, {0x00, 0x00, 0x90, 0x99, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 1});
         }},
        {"list and tone values in a row without frequency",
         {},
         R"({"channels": [{"channel": 4, "decode": "D023N", "scan": "添加", "power": "max"}]})",
         [](Bytes& b) {
             put(b, 4, 8, {0x23, 0x80, 0xFF, 0xFF, 0xDF});
         }},
        {"emptying rx leaves the tone", handMadeBytes(), R"({"channels": [{"channel": 1, "rx": ""}]})",
         [](Bytes& b) {
             put(b, 1, 0, {0xFF, 0xFF, 0xFF, 0xFF});
         }},
        {"settings as in checked mode", withBand(newFileBytes(), 0xF2), R"({"settings": {"model": {"index": 2}}})",
         [](Bytes& b) {
             secondModelSteps(b);
             b[at(61, 2)] = 0xF0;
             b[at(61, 6)] = 0x33;
         }},
    };
    for (const PatchCase& c : cases)
        expectPatched(c, true);
}

TEST_F(BuildTest, RefusalsNameEveryBadCellAndWriteNothing) {
    const char* const kStep = "Error data Value，Please input according the step value(6.25K/5k)";
    const struct {
        PatchCase patch;
        std::vector<std::string> lines;
    } cases[] = {
        {{"out of range and off step", {}, R"({"channels": [{"channel": 3, "rx": "180.001"}]})", {}},
         {std::string(R"(channel 3, rx: "180.001": Out of range!; )") + kStep}},
        {{"off step", {}, R"({"channels": [{"channel": 3, "tx": "145.0025"}]})", {}},
         {std::string(R"(channel 3, tx: "145.0025": )") + kStep}},
        {{"not a number", {}, R"({"channels": [{"channel": 3, "rx": "abc"}]})", {}},
         {R"(channel 3, rx: "abc": Error Data Format，Please input again)"}},
        {{"the band is set before the channels",
          {},
          R"({"settings": {"band": {"index": 2}}, "channels": [{"channel": 3, "rx": "145.5"}]})",
          {}},
         {R"(channel 3, rx: "145.5": Out of range!)"}},
        {{"no band selection",
          {},
          R"({"settings": {"band": {"index": -1}}, "channels": [{"channel": 1, "rx": "500"}]})",
          {}},
         {R"("form.json": settings.band: a selection is needed, one of 136 - 174MHZ, 350 - 400MHZ, 400 - 470MHZ, 430 - 500MHZ)"}},
        {{"no model selection", {}, R"({"settings": {"model": {"text": ""}}})", {}},
         {R"("form.json": settings.model: a selection is needed, one of QX-100, QX-200, QX-300)"}},
        {{"a model change resets the band",
          withBand(newFileBytes(), 0xF2),
          R"({"settings": {"model": {"index": 1}}, "channels": [{"channel": 3, "rx": "460"}]})",
          {}},
         {R"(channel 3, rx: "460": Out of range!)"}},
        {{"not a tone name", {}, R"({"channels": [{"channel": 4, "rx": "145.5", "decode": "67"}]})", {}},
         {R"(channel 4, decode: "67": not a tone name)"}},
        {{"not a list entry", {}, R"({"channels": [{"channel": 5, "rx": "145.5", "power": "max"}]})", {}},
         {R"(channel 5, power: "max": not one of 高, 中, 低)"}},
        {{"list value without frequency", {}, R"({"channels": [{"channel": 6, "scan": "添加"}]})", {}},
         {R"(channel 6, scan: "添加": no frequency in this row)"}},
        {{"tone without frequency", {}, R"({"channels": [{"channel": 6, "encode": "88.5"}]})", {}},
         {R"(channel 6, encode: "88.5": no frequency in this row)"}},
        {{"empty tone with a frequency", handMadeBytes(), R"({"channels": [{"channel": 1, "encode": ""}]})", {}},
         {R"(channel 1, encode: "": empty in a row with a frequency)"}},
        {{"a refused frequency is no frequency",
          {},
          R"({"channels": [{"channel": 4, "rx": "180", "power": "低"}]})",
          {}},
         {R"(channel 4, rx: "180": Out of range!)", R"(channel 4, power: "低": no frequency in this row)"}},
        {{"problems come in channel order",
          {},
          R"({"channels": [{"channel": 9, "rx": "145.5", "bandwidth": "wide"}, {"channel": 2, "rx": "1000"}]})",
          {}},
         {R"(channel 2, rx: "1000": Error Data Format，Please input again)",
          R"(channel 9, bandwidth: "wide": not one of 宽带, 窄带)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.patch.name);
        const RunResult r = build(c.patch, false);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        std::vector<std::string> expected;
        for (const std::string& line : c.lines)
            expected.push_back("varnok-cli: " + line);
        EXPECT_EQ(r.errLines(), expected);
        EXPECT_FALSE(exists("out.sin"));
    }
}

/// What opening and saving gives in the window: decode, then encode.
Bytes openAndSave(const Bytes& bytes) {
    RadioImage image(bytes);
    FormState form = startingForm();
    decodeImage(image, form);
    encodeForm(form, image);
    return image.bytes();
}

TEST_F(BuildTest, ShowOutputBuildsTheSameFileAsOpenAndSave) {
    std::vector<Bytes> bases = {newFileBytes(), handMadeBytes(), Bytes{}};
    Bytes odd = handMadeBytes();
    put(odd, 60, 1, {0x0B, 0x07}); // squelch and monitor outside their lists
    put(odd, 61, 2, {0xF4});       // no band selection
    odd[at(61, 6)] = 0x58;         // unknown model
    odd[at(4, 12)] = 0xFF;         // both power bits, which has no name
    bases.push_back(odd);
    std::mt19937 random(7);
    for (int i = 0; i < 6; ++i) {
        Bytes b;
        for (auto& byte : b)
            byte = static_cast<std::uint8_t>(random());
        bases.push_back(b);
    }
    for (std::size_t i = 0; i < bases.size(); ++i) {
        writeImage("base.sin", bases[i]);
        const RunResult shown = run({"show", "base.sin", "--json"});
        ASSERT_EQ(shown.status, 0) << shown.err;
        writeText("form.json", shown.out);
        for (const char* mode : {"", "--raw"}) {
            std::vector<std::string> args = {"build", "form.json", "--base", "base.sin", "-o", "out.sin"};
            if (*mode)
                args.push_back(mode);
            const RunResult built = run(args);
            ASSERT_EQ(built.status, 0) << "base " << i << " " << mode << ": " << built.err;
            const auto image = readImage("out.sin");
            ASSERT_TRUE(image);
            EXPECT_EQ(*image, openAndSave(bases[i])) << "base " << i << " " << mode;
        }
    }
}

} // namespace
} // namespace varnok::clitest

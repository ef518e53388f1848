#include "image/defaults.h"
#include "image/form.h"
#include "image/golden.h"
#include "image/tones.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

namespace L = layout;
using Cells = std::array<std::string, column::kCount>;

FormState decoded(RadioImage& image, FormState form = startingForm()) {
    decodeImage(image, form);
    return form;
}

TEST(ChannelRecord, EmptyFieldsAndClearing) {
    RadioImage image;
    RecordView ch = image.channel(5);
    golden::setRow(image, 5, "00250100002501FF85FFFFFFFFFFFFFF");
    // A top byte of 00 or FF empties a field whatever the digits below it;
    // other bytes count even when they are no decimal digits.
    EXPECT_FALSE(ch.rxFrequency() || ch.present());
    ch[7] = 0xFE;
    EXPECT_EQ(ch.txFrequency(), 164012500u);
    EXPECT_TRUE(ch.present());
    ch[3] = 0x46;
    EXPECT_EQ(ch.rxFrequency(), 46012500u);
    // Clearing writes FF FF FF FF and leaves the step flag alone.
    ch[13] = 0x5A;
    ch.setTxFrequency(0);
    ch.setRxFrequency(std::nullopt);
    RadioImage expected;
    golden::setRow(expected, 5, "FFFFFFFFFFFFFFFF85FFFFFFFF5AFFFF");
    EXPECT_EQ(image, expected);
}

TEST(DefaultImage, MatchesTheMemoryMapForBothPresetSets) {
    for (PresetSet set : {PresetSet::Uhf, PresetSet::Vhf})
        EXPECT_EQ(defaultImage(set), golden::newImage(set));
}

TEST(DefaultImage, VhfOnlyForANewCommandWhileTheSecondModelShows) {
    // At program start the form has never shown a model.
    const std::tuple<bool, int, PresetSet> cases[] = {
        {false, 1, PresetSet::Uhf}, {true, 0, PresetSet::Uhf}, {true, 1, PresetSet::Vhf}, {true, 2, PresetSet::Uhf}};
    for (const auto& [editorsCreated, model, set] : cases)
        EXPECT_EQ(presetForNewDocument(editorsCreated, model), set) << editorsCreated << " " << model;
}

TEST(DefaultImage, NewThenSaveStoresTheKnownImage) {
    for (PresetSet set : {PresetSet::Uhf, PresetSet::Vhf}) {
        RadioImage image = defaultImage(set);
        FormState form = startingForm();
        decodeImage(image, form);
        encodeForm(form, image);
        EXPECT_EQ(image, golden::savedNewImage());
    }
}

TEST(Decode, ChannelCells) {
    const std::pair<const char*, Cells> cases[] = {
        {"0025014600502516850823C034010177",
         {"1", "460.12500", "162.55000", "88.5", "D023I", "是", "窄带", "添加", "中"}},
        {"FFFFFFFF00502516FFFF0000CFFFFFFF", {"2", "", "162.55000", "无", "无", "否", "窄带", "删除", "高"}},
        // Not present, yet a tone code shows; power bits 11 and digits no
        // decimal nibble can hold still show something.
        {"12345600AAAAAAFF7006FFFF00FFFFFF", {"3", "", "", "67.0", "", "", "", "", ""}},
        {"FE000001FFFFFF001780000560FFFFFF", {"4", "10.00164", "", "D017N", "50.0", "是", "宽带", "删除", "高"}},
    };
    RadioImage image = defaultImage(PresetSet::Uhf);
    for (std::size_t r = 1; r <= 4; ++r)
        golden::setRow(image, r, cases[r - 1].first);
    const FormState form = decoded(image);
    for (std::size_t r = 1; r <= 4; ++r)
        EXPECT_EQ(form.cells[r], cases[r - 1].second) << cases[r - 1].first;
}

TEST(Codec, SettingsFromTheFlagsAndBytesAndBack) {
    struct Case {
        std::uint8_t flags, squelch, limit, monitor;
        std::array<const char*, 9> texts; // in the order of `shown`
        bool canonical;                   // encoding gives the same bytes back
    };
    const Case cases[] = {
        {0xFF, 9, 6, 3, {"开", "开", "中文", "打开", "发射报警", "9", "180s", "SQ-Off 瞬时", "关"}, true},
        {0x00, 0, 0, 0, {"关", "关", "关闭", "关闭", "关闭", "0", "关闭", "关闭", "开"}, true},
        {0x9A, 5, 10, 1, {"关", "关", "英语", "打开", "本地发射报警", "5", "300s", "瞬时监听", "关"}, true},
        {0x7D, 9, 6, 3, {"开", "开", "中文", "关闭", "本地报警", "9", "180s", "SQ-Off 瞬时", "关"}, true},
        {0xA0, 10, 11, 4, {"关", "关", "关闭", "关闭", "本地发射报警", "", "关闭", "SQ-Off 瞬时", "开"}, false},
    };
    const Setting shown[] = {Setting::KeyBeep,     Setting::Scan,      Setting::Voice,
                             Setting::PowerSave,   Setting::Emergency, Setting::Squelch,
                             Setting::TxTimeLimit, Setting::Monitor,   Setting::RejectAlarm};
    for (const auto& c : cases) {
        RadioImage image = defaultImage(PresetSet::Uhf);
        image[L::kFunctionFlags] = c.flags;
        image[L::kSquelch] = c.squelch;
        image[L::kTxTimeLimit] = c.limit;
        image[L::kMonitor] = c.monitor;
        const RadioImage original = image;
        const FormState form = decoded(image);
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_EQ(form.selectedText(shown[i]), c.texts[i]) << "flags " << int(c.flags) << " setting " << i;
        encodeForm(form, image);
        EXPECT_EQ(std::equal(image.row(60), image.row(61), original.row(60)), c.canonical) << int(c.flags);
    }
}

TEST(Decode, ModelAndBandThenTheModelChangeRewritesOnlyTheAuxiliaryRows) {
    // An unknown model code keeps the box as it was, and the model change
    // works from that selection.
    const std::tuple<std::uint8_t, std::uint8_t, int, int, int> cases[] = {
        // model code, band code, model shown before, model and band after
        {'2', 0xF0, 2, 0, 0}, {'3', 0xF3, 0, 1, 3}, {'3', 0xF4, 0, 1, -1}, {'2', 0xF5, 0, 0, 0},
        {'2', 0xEF, 0, 0, 0}, {'2', 0x00, 0, 0, 0}, {'7', 0xF1, 2, 2, 1},  {0xFF, 0xF2, 0, 0, 2},
    };
    for (const auto& [model, band, before, expectModel, expectBand] : cases) {
        RadioImage image = defaultImage(PresetSet::Vhf);
        image[L::kModelCode] = model;
        image[L::kBandCode] = band;
        RadioImage expected = image;
        for (std::size_t r = 17; r <= 24; ++r)
            golden::setRow(expected, r,
                           expectModel == 0 ? "0000000000000000FFFFFFFFFF0101FF" : "0000000000000000FFFFFFFFFF0000FF");
        FormState form = startingForm();
        form.select(Setting::Model, before);
        decodeImage(image, form);
        EXPECT_EQ(form.selection(Setting::Model), expectModel) << int(model);
        EXPECT_EQ(form.selection(Setting::Band), expectBand) << int(band);
        EXPECT_EQ(image, expected) << int(model);
    }
}

TEST(Encode, ChannelCellsIntoARecordOfAA) {
    // Bits 1, 3 and 7 of the flags are the radio's own, and an empty
    // frequency keeps its step flag.
    const std::pair<Cells, const char*> cases[] = {
        {{"", "460.12500", "145.23", "88.5", "D023I", "是", "宽带", "添加", "低"}, "0025014600305214850823C09A0100AA"},
        {{"", "145.2375", "136.01500", "67.0", "D754N", "否", "窄带", "删除", "中"},
         "503752140015601370065487AF0100AA"},
        {{"", "", "", "", "", "", "", "", ""}, "FFFFFFFFFFFFFFFFFFFFFFFFCFAAAAAA"},
        {{"", "350.00500", "64.10000", "d023n", "x123D", "是 ", "宽", "添加", "高"},
         "0005003500004106FFFF23C1DF0101AA"},
    };
    for (const auto& [cells, hex] : cases) {
        RadioImage image;
        FormState form = startingForm();
        golden::setRow(image, 3, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
        form.cells[3] = cells;
        encodeForm(form, image);
        RadioImage expected = image;
        golden::setRow(expected, 3, hex);
        EXPECT_EQ(image, expected) << hex;
    }
}

TEST(Encode, FrequencyTextsNoEntryCheckLetsThroughStoreNothingRatherThanOverflow) {
    for (const char* text : {"", "无", "-1e300", "92100000000000", "1e300"})
        EXPECT_EQ(cellFrequency(text), 0u) << text;
}

TEST(Encode, ABoxWithoutASelectionKeepsItsByte) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    image[L::kSquelch] = 10;    // no squelch entry for 10
    image[L::kBandCode] = 0xF4; // no band entry for F4
    FormState form = decoded(image);
    for (Setting s : {Setting::Model, Setting::Monitor, Setting::Voice})
        form.select(s, -1);
    encodeForm(form, image);
    RadioImage expected = golden::savedNewImage();
    expected[L::kSquelch] = 10;
    expected[L::kBandCode] = 0xF4;
    EXPECT_EQ(image, expected);
    form.select(Setting::Model, 2);
    encodeForm(form, image);
    EXPECT_EQ(image[L::kModelCode], '3'); // any model but the first, so the third reads back as the second
}

} // namespace
} // namespace varnok

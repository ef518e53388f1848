#include "image/defaults.h"
#include "image/form.h"
#include "image/tones.h"

#include <gtest/gtest.h>

#include <random>

namespace varnok {
namespace {

namespace L = layout;

void setRecord(RadioImage& image, int channel, std::initializer_list<std::uint8_t> bytes) {
    std::size_t k = 0;
    for (std::uint8_t b : bytes)
        image.channel(channel)[k++] = b;
}

FormState decoded(RadioImage& image, FormState form = startingForm()) {
    decodeImage(image, form);
    return form;
}

TEST(Decode, ChannelCells) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    // 460.125 / 162.55 MHz, decode 88.5 Hz, encode D023I, busy lock on,
    // narrow, scanned, medium power.
    setRecord(image, 1, {0x00, 0x25, 0x01, 0x46, 0x00, 0x50, 0x25, 0x16, 0x85, 0x08, 0x23, 0xC0, 0x34, 1, 1, 0x77});
    // Transmit frequency only: receive cell empty, absent tones show "无".
    setRecord(image, 2, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x50, 0x25, 0x16, 0xFF, 0xFF, 0x00, 0x00, 0xCF});
    // Not present, but a tone code is there: only the tone shows.
    setRecord(image, 3, {0x12, 0x34, 0x56, 0x00, 0xAA, 0xAA, 0xAA, 0xFF, 0x70, 0x06, 0xFF, 0xFF, 0x00});
    // Power bits 60 and garbage digits.
    setRecord(image, 4, {0xFE, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0x00, 0x17, 0x80, 0x00, 0x05, 0x60});
    const FormState form = decoded(image);
    using Cells = std::array<std::string, column::kCount>;
    EXPECT_EQ(form.cells[1], (Cells{"1", "460.12500", "162.55000", "88.5", "D023I", "是", "窄带", "添加", "中"}));
    EXPECT_EQ(form.cells[2], (Cells{"2", "", "162.55000", "无", "无", "否", "窄带", "删除", "高"}));
    EXPECT_EQ(form.cells[3], (Cells{"3", "", "", "67.0", "", "", "", "", ""}));
    EXPECT_EQ(form.cells[4], (Cells{"4", "10.00164", "", "D017N", "50.0", "是", "宽带", "删除", "高"}));
    EXPECT_EQ(form.cells[5], (Cells{"5", "", "", "", "", "", "", "", ""}));
}

TEST(Decode, SettingsFromTheFlagsAndBytes) {
    struct Case {
        std::uint8_t flags, squelch, limit, monitor;
        std::array<const char*, 9> texts; // key beep, scan, voice, power save, emergency, squelch, limit, monitor,
                                          // reject alarm
    };
    const Case cases[] = {
        {0xFF, 9, 6, 3, {"开", "开", "中文", "打开", "发射报警", "9", "180s", "SQ-Off 瞬时", "关"}},
        {0x00, 0, 0, 0, {"关", "关", "关闭", "关闭", "关闭", "0", "关闭", "关闭", "开"}},
        {0x50, 11, 11, 4, {"关", "关", "英语", "关闭", "本地报警", "0", "关闭", "SQ-Off 瞬时", "开"}},
        {0xA0, 10, 10, 2, {"关", "关", "关闭", "关闭", "本地发射报警", "", "300s", "监听锁定", "开"}},
    };
    const Setting order[] = {Setting::KeyBeep,     Setting::Scan,      Setting::Voice,
                             Setting::PowerSave,   Setting::Emergency, Setting::Squelch,
                             Setting::TxTimeLimit, Setting::Monitor,   Setting::RejectAlarm};
    for (const auto& c : cases) {
        RadioImage image = defaultImage(PresetSet::Uhf);
        image[L::kFunctionFlags] = c.flags;
        image[L::kSquelch] = c.squelch;
        image[L::kTxTimeLimit] = c.limit;
        image[L::kMonitor] = c.monitor;
        const FormState form = decoded(image);
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_EQ(form.selectedText(order[i]), c.texts[i]) << "flags " << int(c.flags) << " setting " << i;
    }
}

TEST(Decode, ModelAndBandWithTheModelChange) {
    struct Case {
        std::uint8_t model, band;
        int previousModel;
        int expectModel, expectBand;
        std::uint8_t auxStep;
    };
    const Case cases[] = {
        {'2', 0xF0, 2, 0, 0, 1},
        {'3', 0xF3, 0, 1, 3, 0},
        {'3', 0xF4, 0, 1, -1, 0},
        {'2', 0xF5, 0, 0, 0, 1},
        {'2', 0xEF, 0, 0, 0, 1},
        {'2', 0x00, 0, 0, 0, 1},
        // An unknown model code keeps the box as it was, and the model change
        // works from that selection.
        {'7', 0xF1, 2, 2, 1, 0},
        {0xFF, 0xF2, 0, 0, 2, 1},
    };
    for (const auto& c : cases) {
        RadioImage image = defaultImage(PresetSet::Vhf);
        image[L::kModelCode] = c.model;
        image[L::kBandCode] = c.band;
        FormState form = startingForm();
        form.select(Setting::Model, c.previousModel);
        decodeImage(image, form);
        EXPECT_EQ(form.selection(Setting::Model), c.expectModel) << int(c.model);
        EXPECT_EQ(form.selection(Setting::Band), c.expectBand) << int(c.band);
        for (int n = 1; n <= L::kAuxCount; ++n) {
            for (std::size_t k = 0; k < 8; ++k)
                EXPECT_EQ(image.aux(n)[k], 0x00);
            EXPECT_EQ(image.aux(n)[L::record::kRxStep], c.auxStep);
            EXPECT_EQ(image.aux(n)[L::record::kTxStep], c.auxStep);
            EXPECT_EQ(image.aux(n)[8], 0xFF); // not the model change's business
        }
    }
}

TEST(Decode, TwiceGivesTheSameForm) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    setRecord(image, 7, {0x50, 0x37, 0x52, 0x14, 0x50, 0x37, 0x52, 0x14, 0x19, 0x07, 0x54, 0x87, 0x1A});
    const FormState once = decoded(image);
    const RadioImage afterOnce = image;
    EXPECT_EQ(decoded(image, once), once);
    EXPECT_EQ(image, afterOnce);
}

TEST(Encode, FrequencyTextsAndStepFlags) {
    struct Case {
        const char* text;
        std::array<std::uint8_t, 4> bytes;
        std::uint8_t step;
    };
    const Case cases[] = {
        {"460.12500", {0x00, 0x25, 0x01, 0x46}, 1},
        {"145.23", {0x00, 0x30, 0x52, 0x14}, 0},
        {"145.2375", {0x50, 0x37, 0x52, 0x14}, 1},
        {"64.10000", {0x00, 0x00, 0x41, 0x06}, 1},
        {"136.01500", {0x00, 0x15, 0x60, 0x13}, 0},
        {"350.00500", {0x00, 0x05, 0x00, 0x35}, 1}, // above 300 MHz always 1
    };
    for (const auto& c : cases) {
        RadioImage image = defaultImage(PresetSet::Uhf);
        FormState form = decoded(image);
        form.cell(1, column::kRxFrequency) = c.text;
        form.cell(1, column::kTxFrequency) = c.text;
        encodeForm(form, image);
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(image.channel(1)[k], c.bytes[k]) << c.text << " byte " << k;
            EXPECT_EQ(image.channel(1)[4 + k], c.bytes[k]) << c.text << " byte " << 4 + k;
        }
        EXPECT_EQ(image.channel(1)[L::record::kRxStep], c.step) << c.text;
        EXPECT_EQ(image.channel(1)[L::record::kTxStep], c.step) << c.text;
    }
}

TEST(Encode, EveryShownFrequencyTextGivesItsOwnValue) {
    // Whatever the floating-point product, a five-decimal text must store
    // exactly the value it shows.
    for (Frequency f = 6000000; f <= 60000000; f += 7) {
        const std::string text = frequencyText(f);
        ASSERT_EQ(cellFrequency(text), f) << text;
    }
    EXPECT_EQ(cellFrequency("64.10000"), 6410000u);
    EXPECT_EQ(cellFrequency("136.01500"), 13601500u);
    EXPECT_EQ(cellFrequency(""), 0u);
    EXPECT_EQ(cellFrequency("无"), 0u);
}

TEST(Encode, EmptyFrequencyKeepsTheStepFlag) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    image.channel(2)[L::record::kRxStep] = 0x5A;
    FormState form = decoded(image);
    encodeForm(form, image);
    EXPECT_EQ(image.channel(2)[L::record::kRxStep], 0x5A);
    form.cell(2, column::kRxFrequency) = "145.23000";
    encodeForm(form, image);
    EXPECT_EQ(image.channel(2)[L::record::kRxStep], 0);
}

TEST(Encode, FlagTextsComparedWhole) {
    struct Case {
        const char *busy, *bandwidth, *scan, *power;
        std::uint8_t flags; // starting from 0xAA, whose bits 1, 3, 7 must survive
    };
    const Case cases[] = {
        {"是", "宽带", "添加", "低", 0x9A},
        {"否", "窄带", "删除", "中", 0xAF},
        {"", "", "", "", 0xCF},
        {"是 ", "宽", "添加", "高", 0xDF},
    };
    for (const auto& c : cases) {
        RadioImage image = defaultImage(PresetSet::Uhf);
        image.channel(3).setFlags(0xAA);
        FormState form = decoded(image);
        form.cell(3, column::kBusyLock) = c.busy;
        form.cell(3, column::kBandwidth) = c.bandwidth;
        form.cell(3, column::kScan) = c.scan;
        form.cell(3, column::kPower) = c.power;
        encodeForm(form, image);
        EXPECT_EQ(image.channel(3).flags(), c.flags) << c.busy << c.bandwidth << c.scan << c.power;
    }
}

TEST(Encode, SettingsAndUnselectedBoxesKeepTheirBytes) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    image[L::kFunctionFlags] = 0x20; // voice bits 10: reads as off
    image[L::kSquelch] = 10;         // no squelch entry for 10
    image[L::kBandCode] = 0xF4;      // no band entry for F4
    FormState form = decoded(image);
    ASSERT_EQ(form.selection(Setting::Squelch), -1);
    ASSERT_EQ(form.selection(Setting::Band), -1);
    form.select(Setting::Voice, 1);
    form.select(Setting::Model, -1);
    form.select(Setting::Monitor, -1);
    encodeForm(form, image);
    EXPECT_EQ(image[L::kSquelch], 10);
    EXPECT_EQ(image[L::kBandCode], 0xF4);
    EXPECT_EQ(image[L::kModelCode], '2');
    EXPECT_EQ(image[L::kMonitor], 3);
    EXPECT_EQ(image[L::kFunctionFlags] & L::functionFlag::kVoiceMask, 0x10);

    form.select(Setting::Model, 2);
    form.select(Setting::Band, 3);
    form.select(Setting::Emergency, 2);
    form.select(Setting::KeyBeep, 1);
    form.select(Setting::RejectAlarm, 0);
    encodeForm(form, image);
    EXPECT_EQ(image[L::kModelCode], '3'); // any model but the first
    EXPECT_EQ(image[L::kBandCode], 0xF3);
    const std::uint8_t f = image[L::kFunctionFlags];
    EXPECT_EQ(f & L::functionFlag::kEmergencyMask, 0x80);
    EXPECT_EQ(f & L::functionFlag::kKeyBeep, 0);
    EXPECT_EQ(f & L::functionFlag::kRejectAlarmOff, 0);
    // The third model reads back as the second.
    EXPECT_EQ(decoded(image).selection(Setting::Model), 1);
}

TEST(Encode, TwiceGivesTheSameImage) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    FormState form = decoded(image);
    form.cell(9, column::kRxFrequency) = "145.5";
    form.cell(9, column::kDecodeTone) = "d023n";
    form.cell(9, column::kPower) = "中";
    encodeForm(form, image);
    const RadioImage once = image;
    encodeForm(form, image);
    EXPECT_EQ(image, once);
}

// Bytes the form does not show must reach the file exactly as they came.
class RandomImages : public ::testing::Test {
protected:
    std::mt19937 random{20261207};
    std::uint8_t byte() { return static_cast<std::uint8_t>(random() & 0xFF); }
};

TEST_F(RandomImages, UninterpretedBytesSurviveDecodeAndEncode) {
    for (int round = 0; round < 2000; ++round) {
        RadioImage image;
        for (auto& b : image.bytes())
            b = byte();
        const RadioImage original = image;
        FormState form = startingForm();
        decodeImage(image, form);
        encodeForm(form, image);
        for (std::size_t off = 0; off < L::kImageSize; ++off) {
            const std::size_t row = off / 16, k = off % 16;
            std::uint8_t keptBits = 0xFF;
            if (row >= 1 && row <= 16)
                keptBits = k < 12 || k == 13 || k == 14 ? 0x00 : k == 12 ? 0x8A : 0xFF;
            else if (row >= 17 && row <= 24)
                keptBits = k < 8 || k == 13 || k == 14 ? 0x00 : 0xFF;
            else if (off == L::kFunctionFlags || off == L::kSquelch || off == L::kMonitor || off == L::kTxTimeLimit ||
                     off == L::kBandCode || off == L::kModelCode)
                keptBits = 0x00;
            ASSERT_EQ(image[off] & keptBits, original[off] & keptBits) << "round " << round << " offset " << off;
        }
    }
}

TEST_F(RandomImages, CanonicalImagesRoundTripExactly) {
    // Images whose fields all hold values the form can show come back byte
    // for byte, apart from what the model change rewrites.
    const auto& tones = toneTable();
    for (int round = 0; round < 2000; ++round) {
        RadioImage image;
        for (auto& b : image.bytes())
            b = byte();
        for (int n = 1; n <= L::kChannelCount; ++n) {
            RecordView ch = image.channel(n);
            std::uint8_t flags = static_cast<std::uint8_t>(byte() & ~L::channelFlag::kPowerMask);
            flags |= static_cast<std::uint8_t>((random() % 3) << 5);
            if (random() % 4 == 0) { // an empty channel as encoding writes it
                for (std::size_t k = 0; k < 12; ++k)
                    ch[k] = 0xFF;
                flags = static_cast<std::uint8_t>((flags & 0x8A) | 0x45);
            } else {
                ch.setRxFrequency(13600000 + static_cast<Frequency>(random() % 36400000));
                ch.setTxFrequency(13600000 + static_cast<Frequency>(random() % 36400000));
                for (std::size_t at : {L::record::kRxToneLow, L::record::kTxToneLow}) {
                    const ToneCode code = toneCode(tones[random() % tones.size()]);
                    ch[at] = code.low;
                    ch[at + 1] = code.high;
                }
            }
            ch.setFlags(flags);
        }
        image[L::kFunctionFlags] = static_cast<std::uint8_t>(byte() & ~0x30) | ((random() % 2) ? 0x30 : 0x10);
        image[L::kSquelch] = static_cast<std::uint8_t>(random() % 10);
        image[L::kTxTimeLimit] = static_cast<std::uint8_t>(random() % 11);
        image[L::kMonitor] = static_cast<std::uint8_t>(random() % 4);
        image[L::kBandCode] = static_cast<std::uint8_t>(0xF0 + random() % 4);
        image[L::kModelCode] = (random() % 2) ? '2' : '3';
        // No-tone codes with a low byte other than FF are not canonical.
        for (int n = 1; n <= L::kChannelCount; ++n)
            for (std::size_t at : {L::record::kRxToneLow, L::record::kTxToneLow})
                if (image.channel(n)[at + 1] == 0xFF)
                    image.channel(n)[at] = 0xFF;

        RadioImage expected = image;
        FormState form = startingForm();
        decodeImage(image, form);
        const RadioImage afterDecode = image;
        encodeForm(form, image);
        for (int n = 1; n <= L::kAuxCount; ++n)
            for (std::size_t k = 0; k < 16; ++k)
                expected.aux(n)[k] = afterDecode.aux(n)[k];
        ASSERT_EQ(image, expected) << "round " << round;
    }
}

} // namespace
} // namespace varnok

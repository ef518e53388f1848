#include "image/tones.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

TEST(ToneTable, HasTheListOrder) {
    const auto& t = toneTable();
    ASSERT_EQ(t.size(), 261u);
    EXPECT_EQ(t[0], "无");
    EXPECT_EQ(t[1], "67.0");
    EXPECT_EQ(t[13], "100.0");
    EXPECT_EQ(t[50], "254.1");
    EXPECT_EQ(t[51], "D023N");
    EXPECT_EQ(t[155], "D754N");
    EXPECT_EQ(t[156], "D023I");
    EXPECT_EQ(t[260], "D754I");
    for (int i = 51; i < 156; ++i)
        EXPECT_EQ(t[static_cast<std::size_t>(i + 105)], t[static_cast<std::size_t>(i)].substr(0, 4) + "I");
}

TEST(ToneCode, EveryTableNameRoundTrips) {
    for (const std::string& name : toneTable()) {
        const ToneCode code = toneCode(name);
        EXPECT_EQ(toneName(code, true), name) << name;
    }
    EXPECT_EQ(toneCode("无"), (ToneCode{0xFF, 0xFF}));
}

TEST(ToneCode, WorkedExamples) {
    struct Case {
        const char* name;
        std::uint8_t low, high;
    };
    const Case cases[] = {
        {"88.5", 0x85, 0x08},  {"254.1", 0x41, 0x25}, {"71.9", 0x19, 0x07},  {"67.0", 0x70, 0x06},
        {"D023N", 0x23, 0x80}, {"D754N", 0x54, 0x87}, {"D023I", 0x23, 0xC0}, {"D411I", 0x11, 0xC4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toneCode(c.name), (ToneCode{c.low, c.high})) << c.name;
        EXPECT_EQ(toneName(ToneCode{c.low, c.high}, true), c.name);
    }
}

TEST(ToneCode, OnlyCapitalLettersCount) {
    // No 'N' means inverted, whatever else the text says.
    EXPECT_EQ(toneCode("D023"), (ToneCode{0x23, 0xC0}));
    EXPECT_EQ(toneCode("D023n"), (ToneCode{0x23, 0xC0}));
    // Without a capital 'D' the text reads as the number 0: no tone.
    EXPECT_EQ(toneCode("d023n"), (ToneCode{0xFF, 0xFF}));
    EXPECT_EQ(toneCode("OFF"), (ToneCode{0xFF, 0xFF}));
    EXPECT_EQ(toneCode(""), (ToneCode{0xFF, 0xFF}));
    // The 'D' may stand anywhere; the first character is dropped either way.
    EXPECT_EQ(toneCode("x123D"), (ToneCode{0x23, 0xC1}));
    // A CTCSS text is cut, not rounded, to tenths.
    EXPECT_EQ(toneCode("67.09"), (ToneCode{0x70, 0x06}));
    EXPECT_EQ(toneCode("0.05"), (ToneCode{0xFF, 0xFF}));
}

TEST(ToneName, CodesOutsideTheTableStillShow) {
    EXPECT_EQ(toneName(ToneCode{0x17, 0x80}, true), "D017N");
    EXPECT_EQ(toneName(ToneCode{0x00, 0x05}, true), "50.0");
    EXPECT_EQ(toneName(ToneCode{0x05, 0xC0}, true), "D05I");
    EXPECT_EQ(toneName(ToneCode{0x99, 0xFE}, true), "D6299I");
    EXPECT_EQ(toneName(ToneCode{0xFF, 0x7F}, true), "866.5");
}

TEST(ToneName, PresenceOnlyDecidesBetweenNoneAndEmpty) {
    EXPECT_EQ(toneName(ToneCode{0x12, 0x00}, true), "无");
    EXPECT_EQ(toneName(ToneCode{0x12, 0xFF}, true), "无");
    EXPECT_EQ(toneName(ToneCode{0x12, 0xFF}, false), "");
    EXPECT_EQ(toneName(ToneCode{0x85, 0x08}, false), "88.5");
}

TEST(FindTone, IgnoresAsciiCaseOnly) {
    EXPECT_EQ(findTone("d023n"), 51);
    EXPECT_EQ(findTone("D023i"), 156);
    EXPECT_EQ(findTone("67.0"), 1);
    EXPECT_EQ(findTone("67"), -1);
    EXPECT_EQ(findTone("无"), 0);
    EXPECT_EQ(findTone(""), -1);
    EXPECT_EQ(findTone("OFF"), -1);
}

} // namespace
} // namespace varnok

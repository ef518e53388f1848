#include "image/tones.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

TEST(ToneTable, ListsNoToneThenCtcssThenDcsNormalThenInverted) {
    const std::pair<std::size_t, const char*> spots[] = {{0, "无"},      {1, "67.0"},    {13, "100.0"},
                                                         {50, "254.1"},  {51, "D023N"},  {82, "D172N"},
                                                         {155, "D754N"}, {156, "D023I"}, {260, "D754I"}};
    ASSERT_EQ(toneTable().size(), 261u);
    for (const auto& [index, name] : spots)
        EXPECT_EQ(toneTable()[index], name) << index;
}

TEST(ToneCode, GoldenCodesBothWays) {
    const std::tuple<const char*, std::uint8_t, std::uint8_t> cases[] = {
        {"67.0", 0x70, 0x06},  {"71.9", 0x19, 0x07},  {"88.5", 0x85, 0x08},  {"254.1", 0x41, 0x25},
        {"D023N", 0x23, 0x80}, {"D754N", 0x54, 0x87}, {"D023I", 0x23, 0xC0}, {"D411I", 0x11, 0xC4},
    };
    for (const auto& [name, low, high] : cases) {
        EXPECT_EQ(toneCode(name), (ToneCode{low, high})) << name;
        EXPECT_EQ(toneName(ToneCode{low, high}, true), name);
    }
}

TEST(ToneName, AnyCodeShowsEvenOutsideTheTable) {
    const std::tuple<std::uint8_t, std::uint8_t, bool, const char*> cases[] = {
        {0x12, 0x00, true, "无"},     {0x12, 0xFF, true, "无"},    {0x12, 0xFF, false, ""},
        {0x85, 0x08, false, "88.5"},  {0x00, 0x05, true, "50.0"},  {0xAB, 0x12, true, "131.1"}, // non-decimal nibble
        {0xFF, 0x7F, true, "866.5"},  {0x17, 0x80, true, "D017N"}, {0x5F, 0x81, true, "D165N"},
        {0x00, 0xBF, true, "D6300N"}, {0x05, 0xC0, true, "D05I"},  {0x99, 0xFE, true, "D6299I"},
    };
    for (const auto& [low, high, present, name] : cases)
        EXPECT_EQ(toneName(ToneCode{low, high}, present), name) << int(low) << " " << int(high);
}

TEST(ToneCode, TextsOutsideTheTable) {
    // No 'N' means inverted; without a capital 'D' the text is a number, and
    // a number is cut, not rounded, to tenths.
    const std::tuple<const char*, std::uint8_t, std::uint8_t> cases[] = {
        {"D023", 0x23, 0xC0},  {"D023n", 0x23, 0xC0}, {"x123D", 0x23, 0xC1}, {"D-23N", 0xDD, 0x80},
        {"d023n", 0xFF, 0xFF}, {"OFF", 0xFF, 0xFF},   {"", 0xFF, 0xFF},      {"无", 0xFF, 0xFF},
        {"67.09", 0x70, 0x06}, {"0.05", 0xFF, 0xFF},  {"1e99", 0x47, 0xB6},  {"-1e99", 0xB8, 0x4A},
    };
    for (const auto& [text, low, high] : cases)
        EXPECT_EQ(toneCode(text), (ToneCode{low, high})) << text;
}

} // namespace
} // namespace varnok

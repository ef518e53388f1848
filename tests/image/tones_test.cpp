#include "image/tones.h"

#include <gtest/gtest.h>

#include <sstream>

namespace varnok {
namespace {

TEST(ToneTable, ListsNoToneThenCtcssThenDcsNormalThenInverted) {
    std::istringstream ctcss("67.0 69.3 71.9 74.4 77.0 79.7 82.5 85.4 88.5 91.5 94.8 97.4 100.0 103.5 107.2 110.9 "
                             "114.8 118.8 123.0 127.3 131.8 136.5 141.3 146.2 151.4 156.7 159.8 162.2 165.5 167.9 "
                             "171.3 173.8 177.3 179.9 183.5 186.2 189.9 192.8 196.6 199.5 203.5 206.5 210.7 218.1 "
                             "225.7 229.1 233.6 241.8 250.3 254.1");
    const std::string dcs = "023 025 026 031 032 036 043 047 051 053 054 065 071 072 073 074 114 115 116 122 125 131 "
                            "132 134 143 145 152 155 156 162 165 172 174 205 212 223 225 226 243 244 245 246 251 252 "
                            "255 261 263 265 266 271 274 306 311 315 325 331 332 343 346 351 356 364 365 371 411 412 "
                            "413 423 431 432 445 446 452 454 455 462 464 465 466 503 506 516 523 526 532 546 565 606 "
                            "612 624 627 631 632 645 654 662 664 703 712 723 731 732 734 743 754";
    std::vector<std::string> expected{"无"};
    for (std::string name; ctcss >> name;)
        expected.push_back(name);
    for (const char* polarity : {"N", "I"}) {
        std::istringstream codes(dcs);
        for (std::string code; codes >> code;)
            expected.push_back("D" + code + polarity);
    }
    EXPECT_EQ(toneTable(), expected);
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

TEST(FindTone, IgnoresAsciiCaseOnly) {
    const std::pair<const char*, int> cases[] = {{"d023n", 51}, {"D023i", 156}, {"67.0", 1}, {"D754I", 260},
                                                 {"67", -1},    {"无", 0},      {"", -1},    {"D754I ", -1}};
    for (const auto& [text, index] : cases)
        EXPECT_EQ(findTone(text), index) << text;
}

} // namespace
} // namespace varnok

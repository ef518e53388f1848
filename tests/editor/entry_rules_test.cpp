#include "editor/entry_rules.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

using Outcome = FrequencyCheck::Outcome;
using Msgs = std::vector<EntryMessage>;
constexpr auto kFormat = EntryMessage::DataFormat;
constexpr auto kRange = EntryMessage::OutOfRange;
constexpr auto kStep = EntryMessage::StepValue;

struct CheckCase {
    const char* text;
    int band;
    CheckMode mode;
    Outcome outcome;
    const char* cellText; // what a commit writes into the cell
    Msgs messages;
};

TEST(FrequencyCheck, CasesOfTheEntryTable) {
    const auto E = CheckMode::Enter;
    const auto Lv = CheckMode::Leave;
    const CheckCase cases[] = {
        {"", 0, Lv, Outcome::Empty, "", {}},
        {"145", 0, E, Outcome::Accepted, "145.00000", {}},
        {"1.45e2", 0, E, Outcome::Accepted, "145.00000", {}},
        {"145.0125MHz", 0, Lv, Outcome::Accepted, "145.01250", {}},
        {" 145.0125", 0, Lv, Outcome::Accepted, "145.01250", {}},
        // More than five decimals: the cell shows the value that was checked,
        // which is on the step grid, not the typed number cut to five places.
        {"173.993745", 0, Lv, Outcome::Accepted, "173.99375", {}},
        {"145.0062549", 0, E, Outcome::Accepted, "145.00625", {}},
        {"136.015", 0, E, Outcome::Accepted, "136.01500", {}},
        {"145.0025", 0, E, Outcome::RefusedStep, "", {kStep}},
        {"136", 0, E, Outcome::Accepted, "136.00000", {}},
        {"174", 0, Lv, Outcome::Accepted, "174.00000", {}},
        {"135.99999", 0, E, Outcome::RefusedRange, "", {kRange}},
        {"135.99999", 0, Lv, Outcome::RefusedRange, "", {kRange, kStep}},
        {"174.00001", 0, Lv, Outcome::RefusedRange, "", {kRange, kStep}},
        {"180.001", 0, E, Outcome::RefusedRange, "", {kRange}},
        {"180.001", 0, Lv, Outcome::RefusedRange, "", {kRange, kStep}},
        {"60", 0, Lv, Outcome::RefusedRange, "", {kRange}},
        {"600", 0, Lv, Outcome::RefusedRange, "", {kRange}},
        {"59.99999", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"600.00001", 0, Lv, Outcome::RefusedFormat, "", {kFormat}},
        {"-145", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"abc", 0, Lv, Outcome::RefusedFormat, "", {kFormat}},
        {"   ", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"1e999", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"21474.83648", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"400", 1, E, Outcome::Accepted, "400.00000", {}},
        {"400.00625", 1, E, Outcome::RefusedRange, "", {kRange}},
        {"400", 2, E, Outcome::Accepted, "400.00000", {}},
        {"435.5", 3, E, Outcome::Accepted, "435.50000", {}},
        {"145", 3, E, Outcome::RefusedRange, "", {kRange}},
        // No band selected: the range test has nothing to test against.
        {"180.001", -1, Lv, Outcome::RefusedStep, "", {kStep}},
        {"580", -1, E, Outcome::Accepted, "580.00000", {}},
        {"580", 4, E, Outcome::Accepted, "580.00000", {}},
    };
    for (const auto& c : cases) {
        const FrequencyCheck check = checkFrequencyEntry(c.text, c.mode, c.band);
        const std::string where = std::string("\"") + c.text + "\" band " + std::to_string(c.band) +
                                  (c.mode == CheckMode::Enter ? " enter" : " leave");
        EXPECT_EQ(check.outcome, c.outcome) << where;
        EXPECT_EQ(check.committedText(), c.cellText) << where;
        EXPECT_EQ(check.messages, c.messages) << where;
    }
}

TEST(FrequencyCheck, MessageTexts) {
    EXPECT_STREQ(entryMessageText(kFormat), "Error Data Format\xEF\xBC\x8CPlease input again");
    EXPECT_STREQ(entryMessageText(kRange), "Out of range!");
    EXPECT_STREQ(entryMessageText(kStep),
                 "Error data Value\xEF\xBC\x8CPlease input according the step value(6.25K/5k)");
    EXPECT_STREQ(entryMessageText(EntryMessage::InputNumber), "Please input Number");
}

TEST(ToneNameRule, GivesTheTablesSpellingOrOff) {
    const std::pair<const char*, const char*> cases[] = {
        {"67.0", "67.0"}, {"67", "OFF"},  {"d023n", "D023N"}, {"D023i", "D023I"}, {"", "OFF"},
        {"无", "无"},     {"OFF", "OFF"}, {"254.1", "254.1"}, {" 67.0", "OFF"},   {"D023", "OFF"},
    };
    for (const auto& [typed, stored] : cases)
        EXPECT_EQ(normalizeToneName(typed), stored) << typed;
}

TEST(KeyRules, WhatATypedKeyWarnsAndWhetherItOpensAnEditor) {
    struct Case {
        char32_t key;
        int col;
        bool warns;
        bool opens;
    };
    const Case cases[] = {
        {'.', column::kRxFrequency, true, true},   {' ', column::kTxFrequency, true, true},
        {U'频', column::kRxFrequency, true, true}, {'7', column::kRxFrequency, false, true},
        {'a', column::kDecodeTone, false, true},   {'7', column::kBandwidth, false, false},
        {'7', column::kChannel, false, false},     {27, column::kRxFrequency, false, false},
        {7, column::kDecodeTone, false, false},    {31, column::kTxFrequency, false, false},
        {0x7F, column::kPower, false, false},      {13, column::kRxFrequency, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(numberKeyWarns(c.key, c.col), c.warns) << int(c.key) << " in column " << c.col;
        EXPECT_EQ(keyOpensEditor(c.key, 1, c.col), c.opens) << int(c.key) << " in column " << c.col;
    }
    EXPECT_FALSE(keyOpensEditor('7', 0, column::kRxFrequency));
}

class FrequencyWrite : public ::testing::Test {
protected:
    FormState form = startingForm();
    using Cells = std::array<std::string, column::kCount>;
    const Cells& row(int r) { return form.cells[static_cast<std::size_t>(r)]; }
};

TEST_F(FrequencyWrite, FirstReceiveFrequencyBringsDefaultsAndTransmit) {
    writeFrequency(form, 1, column::kRxFrequency, "145.00000");
    EXPECT_EQ(row(1), (Cells{"1", "145.00000", "145.00000", "无", "无", "否", "宽带", "添加", "高"}));
    // A second frequency changes only its own cell.
    writeFrequency(form, 1, column::kRxFrequency, "146.00000");
    EXPECT_EQ(row(1), (Cells{"1", "146.00000", "145.00000", "无", "无", "否", "宽带", "添加", "高"}));
}

TEST_F(FrequencyWrite, FirstTransmitFrequencyIsNotCopied) {
    writeFrequency(form, 2, column::kTxFrequency, "150.00000");
    EXPECT_EQ(row(2), (Cells{"2", "", "150.00000", "无", "无", "否", "宽带", "添加", "高"}));
}

TEST_F(FrequencyWrite, DefaultsOnlyIntoARowThatIsEmptyUpToBusyLock) {
    form.cell(3, column::kBusyLock) = "是";
    writeFrequency(form, 3, column::kRxFrequency, "145.00000");
    EXPECT_EQ(row(3), (Cells{"3", "145.00000", "", "", "", "是", "", "", ""}));
}

TEST_F(FrequencyWrite, EmptyingTakesTheToneAndBlanksAnEmptyRow) {
    writeFrequency(form, 4, column::kRxFrequency, "145.00000");
    form.cell(4, column::kDecodeTone) = "67.0";
    form.cell(4, column::kEncodeTone) = "D023N";
    writeFrequency(form, 4, column::kRxFrequency, "");
    // The transmit side still stands, so the flags stay.
    EXPECT_EQ(row(4), (Cells{"4", "", "145.00000", "", "D023N", "否", "宽带", "添加", "高"}));
    writeFrequency(form, 4, column::kTxFrequency, "");
    EXPECT_EQ(row(4), (Cells{"4", "", "", "", "", "", "", "", ""}));
}

TEST_F(FrequencyWrite, ATransmitToneAloneKeepsTheFlags) {
    writeFrequency(form, 5, column::kRxFrequency, "145.00000");
    form.cell(5, column::kTxFrequency) = "";
    form.cell(5, column::kEncodeTone) = "88.5";
    writeFrequency(form, 5, column::kRxFrequency, "");
    EXPECT_EQ(row(5), (Cells{"5", "", "", "", "88.5", "否", "宽带", "添加", "高"}));
    EXPECT_FALSE(rowHasFrequency(form, 5));
    writeFrequency(form, 5, column::kTxFrequency, "145.00000");
    EXPECT_TRUE(rowHasFrequency(form, 5));
}

} // namespace
} // namespace varnok

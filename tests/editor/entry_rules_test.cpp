#include "editor/entry_rules.h"

#include <gtest/gtest.h>

#include <sstream>

namespace varnok {
namespace {

using Outcome = FrequencyCheck::Outcome;
using Msgs = std::vector<EntryMessage>;
constexpr auto kFormat = EntryMessage::DataFormat;
constexpr auto kRange = EntryMessage::OutOfRange;
constexpr auto kStep = EntryMessage::StepValue;

TEST(FrequencyCheck, CasesOfTheEntryTable) {
    struct Case {
        const char* text;
        int band;
        CheckMode mode;
        Outcome outcome;
        const char* cellText; // what a commit writes into the cell
        Msgs messages;
    };
    const auto E = CheckMode::Enter, Lv = CheckMode::Leave;
    const Case cases[] = {
        {"", 0, Lv, Outcome::Empty, "", {}},
        {"1.45e2", 0, E, Outcome::Accepted, "145.00000", {}},
        {" 145.0125MHz", 0, Lv, Outcome::Accepted, "145.01250", {}},
        // More than five decimals: the cell shows the value that was checked,
        // which is on the step grid, not the typed number cut to five places.
        {"173.993745", 0, Lv, Outcome::Accepted, "173.99375", {}},
        {"136.015", 0, E, Outcome::Accepted, "136.01500", {}},
        {"145.0025", 0, E, Outcome::RefusedStep, "", {kStep}},
        {"174", 0, Lv, Outcome::Accepted, "174.00000", {}},
        {"135.99999", 0, E, Outcome::RefusedRange, "", {kRange}},
        {"174.00001", 0, Lv, Outcome::RefusedRange, "", {kRange, kStep}},
        {"600", 0, Lv, Outcome::RefusedRange, "", {kRange}},
        {"59.99999", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"600.00001", 0, Lv, Outcome::RefusedFormat, "", {kFormat}},
        {"1e999", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"21474.83648", 0, E, Outcome::RefusedFormat, "", {kFormat}},
        {"400.00625", 1, E, Outcome::RefusedRange, "", {kRange}},
        {"435.5", 3, E, Outcome::Accepted, "435.50000", {}},
        {"145", 3, E, Outcome::RefusedRange, "", {kRange}},
        // No band selected: the range test has nothing to test against.
        {"180.001", -1, Lv, Outcome::RefusedStep, "", {kStep}},
        {"580", 4, E, Outcome::Accepted, "580.00000", {}},
    };
    for (const auto& c : cases) {
        const FrequencyCheck check = checkFrequencyEntry(c.text, c.mode, c.band);
        SCOPED_TRACE(std::string("\"") + c.text + "\" band " + std::to_string(c.band) + (c.mode == E ? " enter" : ""));
        EXPECT_EQ(check.outcome, c.outcome);
        EXPECT_EQ(check.committedText(), c.cellText);
        EXPECT_EQ(check.messages, c.messages);
    }
}

TEST(FrequencyWrite, DefaultsForANewRowAndBlanksForAnEmptiedOne) {
    // Columns 1 to 8 of channel 1, joined by '|'.
    const char* const kNew = "145.00000|145.00000|无|无|否|宽带|添加|高";
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {"|||||||", column::kRxFrequency, "145.00000", kNew},
        {kNew, column::kRxFrequency, "146.00000", "146.00000|145.00000|无|无|否|宽带|添加|高"},
        {"|||||||", column::kTxFrequency, "150.00000", "|150.00000|无|无|否|宽带|添加|高"},
        {"||||是|||", column::kRxFrequency, "145.00000", "145.00000||||是|||"}, // not empty up to busy lock
        {"145.00000|145.00000|67.0|D023N|否|宽带|添加|高", column::kRxFrequency, "",
         "|145.00000||D023N|否|宽带|添加|高"},
        {"|145.00000||D023N|否|宽带|添加|高", column::kTxFrequency, "", "|||||||"},
        {"145.00000||无|88.5|否|宽带|添加|高", column::kRxFrequency, "", "|||88.5|否|宽带|添加|高"},
    };
    for (const auto& [before, col, text, after] : cases) {
        FormState form = startingForm();
        std::istringstream in(before);
        for (int c = 1; c < column::kCount; ++c)
            std::getline(in, form.cell(1, c), '|');
        writeFrequency(form, 1, col, text);
        std::string row = form.cell(1, 1);
        for (int c = 2; c < column::kCount; ++c)
            row += "|" + form.cell(1, c);
        EXPECT_EQ(row, after) << before << " column " << col << " \"" << text << '"';
    }
}

} // namespace
} // namespace varnok

#include "editor/entry_rules.h"

#include "image/number.h"
#include "image/tones.h"

#include <cmath>

namespace varnok {
namespace {

constexpr Frequency kFormatLowest = 6000000;   // 60 MHz
constexpr Frequency kFormatHighest = 60000000; // 600 MHz
constexpr Frequency kStepWide = 625;           // 6.25 kHz
constexpr Frequency kStepNarrow = 500;         // 5 kHz

bool allEmpty(const FormState& form, int row, int fromCol, int toCol) {
    for (int c = fromCol; c <= toCol; ++c)
        if (!form.cell(row, c).empty())
            return false;
    return true;
}

} // namespace

const char* entryMessageText(EntryMessage m) {
    switch (m) {
    case EntryMessage::DataFormat:
        return "Error Data Format，Please input again";
    case EntryMessage::OutOfRange:
        return "Out of range!";
    case EntryMessage::StepValue:
        return "Error data Value，Please input according the step value(6.25K/5k)";
    case EntryMessage::InputNumber:
        return "Please input Number";
    }
    return "";
}

FrequencyCheck checkFrequencyEntry(const std::string& text, CheckMode mode, int bandSelection) {
    using Outcome = FrequencyCheck::Outcome;
    FrequencyCheck result;
    if (text.empty())
        return result;

    const double v = readNumber(text);
    const double scaled = std::round(v * 100000.0);
    if (v < 0 || !(scaled <= 2147483647.0) || scaled < kFormatLowest || scaled > kFormatHighest) {
        result.outcome = Outcome::RefusedFormat;
        result.messages.push_back(EntryMessage::DataFormat);
        return result;
    }
    const auto u = static_cast<Frequency>(scaled);
    // The cell shows the value that was checked rather than the typed number
    // cut to five decimals: "173.993745" is checked as 17399375 units, and
    // its text must store exactly that, not an off-grid 17399374.
    result.text = frequencyText(u);

    if (bandSelection >= 0 && bandSelection < static_cast<int>(kBandRanges.size())) {
        const BandRange& band = kBandRanges[static_cast<std::size_t>(bandSelection)];
        if (u < band.lowest || u > band.highest) {
            result.outcome = Outcome::RefusedRange;
            result.messages.push_back(EntryMessage::OutOfRange);
            if (mode == CheckMode::Enter)
                return result;
        }
    }
    if (u % kStepWide != 0 && u % kStepNarrow != 0) {
        if (result.outcome == Outcome::Empty)
            result.outcome = Outcome::RefusedStep;
        result.messages.push_back(EntryMessage::StepValue);
        return result;
    }
    if (result.outcome == Outcome::Empty)
        result.outcome = Outcome::Accepted;
    return result;
}

std::string normalizeToneName(const std::string& text) {
    const int index = findTone(text);
    return index < 0 ? std::string(kToneOff) : toneTable()[static_cast<std::size_t>(index)];
}

bool numberKeyWarns(char32_t key, int col) {
    return (col == column::kRxFrequency || col == column::kTxFrequency) && key >= 32 && !(key >= '0' && key <= '9');
}

bool keyOpensEditor(char32_t key, int row, int col) {
    const bool control = key < 0x20 || key == 0x7F;
    return !control && row != 0 && col != column::kChannel && col != column::kBandwidth;
}

bool rowHasFrequency(const FormState& form, int row) {
    return !form.cell(row, column::kRxFrequency).empty() || !form.cell(row, column::kTxFrequency).empty();
}

const std::array<std::string, column::kCount>& rowDefaults() {
    static const std::array<std::string, column::kCount> defaults = {
        "", "", "", kNoTone, kNoTone, cellText::kBusyOff, cellText::kWide, cellText::kScanAdd, cellText::kPowerHigh,
    };
    return defaults;
}

void writeFrequency(FormState& form, int row, int col, const std::string& text) {
    if (!text.empty()) {
        if (allEmpty(form, row, column::kRxFrequency, column::kBusyLock)) {
            for (int c = column::kDecodeTone; c <= column::kPower; ++c)
                form.cell(row, c) = rowDefaults()[static_cast<std::size_t>(c)];
            if (col == column::kRxFrequency)
                form.cell(row, column::kTxFrequency) = text;
        }
        form.cell(row, col) = text;
        return;
    }
    form.cell(row, col == column::kRxFrequency ? column::kDecodeTone : column::kEncodeTone).clear();
    form.cell(row, col).clear();
    if (allEmpty(form, row, column::kRxFrequency, column::kEncodeTone))
        for (int c = column::kBusyLock; c <= column::kPower; ++c)
            form.cell(row, c).clear();
}

} // namespace varnok

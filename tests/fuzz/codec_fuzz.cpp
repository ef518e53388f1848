// Any 1024 bytes, opened and saved as a fresh program run does: the save may
// change only what the form shows, and opening and saving the result again
// changes nothing, neither in the bytes nor in what the form shows. A field
// whose digits go beyond 9 is shown as a value that the radio's arithmetic
// stores differently (FE FF as tone "D6365I" becomes 65 FF, no tone), so
// such an image settles one save later.
#include "fuzz_check.h"
#include "image/form.h"

#include <algorithm>
#include <cstring>

using namespace varnok;

namespace {

/// The bits a save may rewrite, by offset.
std::array<std::uint8_t, layout::kImageSize> coveredBits() {
    namespace R = layout::record;
    namespace CF = layout::channelFlag;
    std::array<std::uint8_t, layout::kImageSize> bits{};
    auto record = [&](std::size_t row, bool channel) {
        std::uint8_t* r = bits.data() + row * layout::kRowSize;
        std::fill(r, r + (channel ? R::kFlags : 2 * R::kFrequencySize), 0xFF); // frequencies (and tones)
        r[R::kRxStep] = r[R::kTxStep] = 0xFF;
        if (channel)
            r[R::kFlags] = CF::kBusyLockOff | CF::kNarrow | CF::kScanAdd | CF::kPowerMask;
    };
    for (int n = 0; n < layout::kChannelCount; ++n)
        record(static_cast<std::size_t>(layout::kFirstChannelRow + n), true);
    for (int n = 0; n < layout::kAuxCount; ++n) // the model change rewrites them
        record(static_cast<std::size_t>(layout::kFirstAuxRow + n), false);
    for (std::size_t at : {layout::kFunctionFlags, layout::kSquelch, layout::kMonitor, layout::kTxTimeLimit,
                           layout::kBandCode, layout::kModelCode})
        bits[at] = 0xFF;
    return bits;
}

bool decimal(std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; }

/// Every digit the form shows is 0 to 9, as in what a radio writes.
bool decimalDigits(const RadioImage& image) {
    namespace R = layout::record;
    for (int n = 1; n <= layout::kChannelCount; ++n) {
        const RecordView rec = image.channel(n);
        for (std::size_t at : {R::kRxFrequency, R::kTxFrequency})
            if (!isEmptyTopByte(rec[at + 3]) &&
                !(decimal(rec[at]) && decimal(rec[at + 1]) && decimal(rec[at + 2]) && decimal(rec[at + 3])))
                return false;
        for (std::size_t at : {R::kRxToneLow, R::kTxToneLow}) // DCS high bytes count from 80 in binary
            if (!isEmptyTopByte(rec[at + 1]) && !(decimal(rec[at]) && (rec[at + 1] >= 0x80 || decimal(rec[at + 1]))))
                return false;
    }
    return true;
}

RadioImage openAndSave(const RadioImage& file, FormState& form) {
    RadioImage image = file;
    decodeImage(image, form);
    encodeForm(form, image);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto covered = coveredBits();
    RadioImage file; // a short input is a file whose missing bytes read FF
    std::memcpy(file.bytes().data(), data, std::min(size, layout::kImageSize));

    FormState form = startingForm();
    const RadioImage saved = openAndSave(file, form);
    for (Setting s : kAllSettings) // a box shows one of its entries or nothing
        FUZZ_CHECK(form.selection(s) >= -1 && form.selection(s) < static_cast<int>(settingEntries(s).size()));
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        FUZZ_CHECK(((saved[i] ^ file[i]) & ~covered[i]) == 0);

    const RadioImage settled = decimalDigits(file) ? saved : openAndSave(saved, form);
    const FormState shown = form;
    FUZZ_CHECK(openAndSave(settled, form) == settled); // opened again in the same run
    FUZZ_CHECK(form == shown);
    FormState fresh = startingForm();
    FUZZ_CHECK(openAndSave(settled, fresh) == settled); // and in a new one
    FUZZ_CHECK(fresh == shown);
    return 0;
}

#include "image/defaults.h"

namespace varnok {
namespace {

struct PresetPair {
    Frequency rx;
    Frequency tx;
};

constexpr PresetPair kVhf[layout::kAuxCount] = {
    {16210000, 16200000}, {15010000, 15000000}, {17390000, 17397500}, {16250000, 16250000},
    {16255000, 16255000}, {16260000, 16260000}, {16255000, 16255000}, {16265000, 16265000},
};
constexpr PresetPair kUhf[layout::kAuxCount] = {
    {46010000, 46000000}, {45010000, 45000000}, {46990000, 46997500}, {46030000, 46030000},
    {46035000, 46035000}, {46040000, 46040000}, {46035000, 46035000}, {46045000, 46045000},
};

constexpr std::uint8_t kConstantBlock[] = {0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B};

} // namespace

PresetSet presetForNewDocument(bool editorsCreated, int modelSelection) {
    return (editorsCreated && modelSelection == 1) ? PresetSet::Vhf : PresetSet::Uhf;
}

RadioImage defaultImage(PresetSet set) {
    namespace L = layout;
    RadioImage image; // all FF
    for (std::size_t k = 0; k < L::kRowSize; ++k)
        image[L::kSequenceBlock + k] = static_cast<std::uint8_t>(k + 1);
    image[18] = 0xFE;

    const std::uint8_t stepFlag = set == PresetSet::Vhf ? 0x00 : 0x01;
    const PresetPair* presets = set == PresetSet::Vhf ? kVhf : kUhf;
    for (int n = 1; n <= L::kAuxCount; ++n) {
        RecordView aux = image.aux(n);
        writeFrequencyField(&aux[L::record::kRxFrequency], presets[n - 1].rx);
        writeFrequencyField(&aux[L::record::kTxFrequency], presets[n - 1].tx);
        aux[L::record::kRxStep] = stepFlag;
        aux[L::record::kTxStep] = stepFlag;
    }

    image[L::kBandCode] = L::kBandCodeBase;
    image[L::kModelCode] = L::kModelCodeFirst;
    image[L::kSquelch] = 9;
    image[L::kMonitor] = 3;
    image[L::kTxTimeLimit] = 6;
    image[L::kModelBlock + 0] = 0x00;
    image[L::kModelBlock + 1] = 0x00;
    image[L::kModelBlock + 3] = 0x37;
    image[L::kModelBlock + 4] = 0x30;
    image[L::kModelBlock + 5] = 0x31;
    image[L::kModelBlock + 7] = 0x50;
    image[28] = 0xFB;
    for (std::size_t k = 0; k < sizeof kConstantBlock; ++k)
        image[L::kConstantBlock + k] = kConstantBlock[k];
    return image;
}

} // namespace varnok

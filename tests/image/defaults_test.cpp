#include "image/defaults.h"

#include "image/form.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnok {
namespace {

using Row = std::vector<std::uint8_t>;

Row rowOf(const RadioImage& image, std::size_t r) { return Row(image.row(r), image.row(r) + 16); }
Row filled(std::uint8_t v) { return Row(16, v); }

TEST(DefaultImage, UhfSetByteForByte) {
    const RadioImage image = defaultImage(PresetSet::Uhf);
    EXPECT_EQ(rowOf(image, 0), filled(0xFF));
    EXPECT_EQ(rowOf(image, 1),
              (Row{0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF}));
    // Row 19 of the UHF set: 469.900 / 469.975 MHz.
    EXPECT_EQ(rowOf(image, 19),
              (Row{0x00, 0x00, 0x99, 0x46, 0x00, 0x75, 0x99, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xFF}));
    EXPECT_EQ(rowOf(image, 17),
              (Row{0x00, 0x00, 0x01, 0x46, 0x00, 0x00, 0x00, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xFF}));
    EXPECT_EQ(rowOf(image, 40), (Row{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(rowOf(image, 60),
              (Row{0xFF, 0x09, 0x03, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rowOf(image, 61),
              (Row{0x00, 0x00, 0xF0, 0x37, 0x30, 0x31, 0x32, 0x50, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rowOf(image, 63),
              (Row{0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    for (std::size_t r : {2u, 16u, 25u, 39u, 41u, 59u, 62u})
        EXPECT_EQ(rowOf(image, r), filled(0xFF)) << "row " << r;
}

TEST(DefaultImage, VhfSetDiffersOnlyInTheAuxiliaryRows) {
    const RadioImage uhf = defaultImage(PresetSet::Uhf);
    const RadioImage vhf = defaultImage(PresetSet::Vhf);
    EXPECT_EQ(rowOf(vhf, 19),
              (Row{0x00, 0x00, 0x39, 0x17, 0x00, 0x75, 0x39, 0x17, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(rowOf(vhf, 24),
              (Row{0x00, 0x50, 0x26, 0x16, 0x00, 0x50, 0x26, 0x16, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF}));
    for (std::size_t off = 0; off < layout::kImageSize; ++off) {
        if (off < 17 * 16 || off >= 25 * 16) {
            EXPECT_EQ(uhf[off], vhf[off]) << off;
        }
    }
}

TEST(DefaultImage, PresetChoice) {
    EXPECT_EQ(presetForNewDocument(false, 1), PresetSet::Uhf); // program start
    EXPECT_EQ(presetForNewDocument(true, 0), PresetSet::Uhf);
    EXPECT_EQ(presetForNewDocument(true, 1), PresetSet::Vhf);
    EXPECT_EQ(presetForNewDocument(true, 2), PresetSet::Uhf);
    EXPECT_EQ(presetForNewDocument(true, -1), PresetSet::Uhf);
}

TEST(DefaultImage, NewThenSaveStoresTheKnownImage) {
    for (PresetSet set : {PresetSet::Uhf, PresetSet::Vhf}) {
        RadioImage image = defaultImage(set);
        const RadioImage original = image;
        FormState form = startingForm();
        decodeImage(image, form);
        encodeForm(form, image);
        for (std::size_t r = 1; r <= 16; ++r)
            EXPECT_EQ(rowOf(image, r), (Row{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xCF, 0xFF, 0xFF, 0xFF}))
                << "row " << r;
        for (std::size_t r = 17; r <= 24; ++r)
            EXPECT_EQ(rowOf(image, r), (Row{0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xFF}))
                << "row " << r;
        for (std::size_t off = 25 * 16; off < layout::kImageSize; ++off)
            EXPECT_EQ(image[off], original[off]) << off;
        EXPECT_EQ(rowOf(image, 0), filled(0xFF));
    }
}

TEST(DefaultImage, DecodesToTheDocumentedSettings) {
    RadioImage image = defaultImage(PresetSet::Uhf);
    FormState form = startingForm();
    decodeImage(image, form);
    EXPECT_EQ(form.selectedText(Setting::Squelch), "9");
    EXPECT_EQ(form.selectedText(Setting::Monitor), "SQ-Off 瞬时");
    EXPECT_EQ(form.selectedText(Setting::TxTimeLimit), "180s");
    EXPECT_EQ(form.selectedText(Setting::Model), "QX-100");
    EXPECT_EQ(form.selection(Setting::Band), 0);
    EXPECT_EQ(form.selectedText(Setting::KeyBeep), "开");
    EXPECT_EQ(form.selectedText(Setting::Scan), "开");
    EXPECT_EQ(form.selectedText(Setting::Voice), "中文");
    EXPECT_EQ(form.selectedText(Setting::PowerSave), "打开");
    EXPECT_EQ(form.selectedText(Setting::Emergency), "发射报警");
    EXPECT_EQ(form.selectedText(Setting::RejectAlarm), "关");
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c < column::kCount; ++c)
            EXPECT_EQ(form.cell(r, c), "") << r << "," << c;
}

} // namespace
} // namespace varnok

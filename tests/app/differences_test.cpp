#include "app/differences.h"

#include "image/defaults.h"

#include <gtest/gtest.h>

namespace varnok::app {
namespace {

std::vector<std::string> lines(const RadioImage& a, const RadioImage& b, std::size_t end = layout::kImageSize) {
    std::vector<std::string> out;
    for (const Difference& d : compareImages(a, b, end))
        out.push_back(d.line());
    return out;
}

TEST(Differences, InTheFormsTermsThenTheBytesItDoesNotShow) {
    RadioImage a = defaultImage(PresetSet::Uhf);
    // Channel 3: 145.5 both ways, as a saved new document would hold it.
    const std::uint8_t channel[16] = {0x00, 0x00, 0x55, 0x14, 0x00, 0x00, 0x55, 0x14,
                                      0xFF, 0xFF, 0xFF, 0xFF, 0xCF, 0x00, 0x00, 0xFF};
    for (std::size_t k = 0; k < 16; ++k)
        a[48 + k] = channel[k];
    EXPECT_TRUE(lines(a, a).empty());

    RadioImage b = a;
    b[48 + 6] = 0x60;                  // tx 146.00000
    b[layout::kSquelch] = 5;           // was 9
    b[layout::kConstantBlock] ^= 0xFF; // outside the form
    b[layout::kConstantBlock + 1] ^= 0xFF;
    b[16 + 12] ^= 0x02; // channel 1's flag bit the form does not use
    b[48 + 13] = 1;     // a step flag: not shown, but reported
    EXPECT_EQ(lines(a, b), (std::vector<std::string>{
                               "channel 3, 发射频率: 145.50000 → 146.00000",
                               "静噪电平: 9 → 5",
                               "offset 28: FB → F9",
                               "offset 61: 00 → 01",
                               "offsets 1008–1009: 5E 09 → A1 F6",
                           }));
    // A verify stops where the write stopped.
    EXPECT_EQ(lines(a, b, layout::kWriteEnd).size(), 4u);
    // A channel whose text changed accounts for its own bytes.
    b[48 + 12] ^= 0x02;
    EXPECT_EQ(lines(a, b).size(), 5u);
}

} // namespace
} // namespace varnok::app

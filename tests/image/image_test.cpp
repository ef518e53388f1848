#include "image/image.h"

#include "image/golden.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

TEST(FrequencyField, PacksBcdLowPairFirstWithItsStepFlag) {
    // The step flag is 0 only below 300 MHz off the 6.25 kHz grid.
    const std::tuple<Frequency, const char*, std::uint8_t> cases[] = {
        {46012500, "00250146", 1}, {16255000, "00502516", 1}, {14523750, "50375214", 1}, {14523000, "00305214", 0},
        {29999500, "00959929", 0}, {46012300, "00230146", 1}, {99999999, "99999999", 1}, {1000001, "01000001", 0},
    };
    for (const auto& [f, hex, step] : cases) {
        RadioImage image, expected;
        image.channel(1).setTxFrequency(f);
        golden::setRow(expected, 1,
                       (std::string("FFFFFFFF") + hex + "FFFFFFFFFFFF0" + char('0' + step) + "FF").c_str());
        EXPECT_EQ(image, expected) << f;
        EXPECT_EQ(image.channel(1).txFrequency(), f);
    }
}

TEST(ChannelRecord, EmptyFieldsAndClearing) {
    RadioImage image;
    RecordView ch = image.channel(5);
    golden::setRow(image, 5, "00250100002501FF85FFFFFFFFFFFFFF");
    // A top byte of 00 or FF empties a field whatever the digits below it;
    // other bytes count even when they are no decimal digits.
    EXPECT_FALSE(ch.rxFrequency() || ch.present());
    ch[7] = 0xFE;
    EXPECT_EQ(ch.txFrequency(), 164012500u);
    EXPECT_TRUE(ch.present());
    ch[3] = 0x46;
    EXPECT_EQ(ch.rxFrequency(), 46012500u);
    // Clearing writes FF FF FF FF and leaves the step flag alone.
    ch[13] = 0x5A;
    ch.setTxFrequency(0);
    ch.setRxFrequency(std::nullopt);
    RadioImage expected;
    golden::setRow(expected, 5, "FFFFFFFFFFFFFFFF85FFFFFFFF5AFFFF");
    EXPECT_EQ(image, expected);
}

} // namespace
} // namespace varnok

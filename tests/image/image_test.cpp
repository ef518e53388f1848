#include "image/image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace varnok {
namespace {

namespace L = layout;

TEST(FrequencyField, PacksBcdLowPairFirst) {
    struct Case {
        Frequency f;
        std::uint8_t bytes[4];
    };
    const Case cases[] = {
        {46012500, {0x00, 0x25, 0x01, 0x46}}, // 460.125 MHz
        {16255000, {0x00, 0x50, 0x25, 0x16}}, // 162.55 MHz
        {14523750, {0x50, 0x37, 0x52, 0x14}}, {99999999, {0x99, 0x99, 0x99, 0x99}}, {1, {0x01, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        std::uint8_t field[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        writeFrequencyField(field, c.f);
        EXPECT_EQ(0, std::memcmp(field, c.bytes, 4)) << c.f;
        EXPECT_EQ(readFrequencyField(c.bytes), c.f);
    }
}

TEST(FrequencyField, NonDigitNibblesStillCount) {
    // FE counts as 15*10 + 14 = 164 in its pair: garbage shows, never fails.
    const std::uint8_t field[4] = {0xFE, 0x00, 0x00, 0x01};
    EXPECT_EQ(readFrequencyField(field), 1000000u + 164u);
    EXPECT_EQ(fromBcd(0xFF), 165);
    EXPECT_EQ(toBcd(42), 0x42);
}

TEST(ChannelRecord, EmptyWhenTopByteIsZeroOrFF) {
    RadioImage image;
    RecordView ch = image.channel(5);
    EXPECT_FALSE(ch.present());
    // Digits below a 00 top byte do not make the field present.
    ch[0] = 0x00;
    ch[1] = 0x25;
    ch[2] = 0x01;
    ch[3] = 0x00;
    EXPECT_FALSE(ch.rxFrequency().has_value());
    ch[3] = 0x46;
    ASSERT_TRUE(ch.rxFrequency().has_value());
    EXPECT_EQ(*ch.rxFrequency(), 46012500u);
    EXPECT_TRUE(ch.present());
    // A transmit frequency alone makes the channel present too.
    ch[3] = 0xFF;
    ch[7] = 0x14;
    EXPECT_TRUE(ch.present());
    EXPECT_EQ(image.row(5), &image[5 * 16]);
}

TEST(ChannelRecord, WritingFrequenciesSetsTheirStepFlags) {
    RadioImage image;
    RecordView ch = image.channel(1);
    ch.setRxFrequency(14523000); // 145.23 MHz: 5 kHz grid only
    ch.setTxFrequency(46012500);
    EXPECT_EQ(ch[L::record::kRxStep], 0);
    EXPECT_EQ(ch[L::record::kTxStep], 1);
    EXPECT_EQ(image[16 + 0], 0x00);
    EXPECT_EQ(image[16 + 1], 0x30);
    EXPECT_EQ(image[16 + 2], 0x52);
    EXPECT_EQ(image[16 + 3], 0x14);
    // Clearing writes FF FF FF FF and leaves the flag as it was.
    ch.setRxFrequency(std::nullopt);
    EXPECT_EQ(image[16 + 3], 0xFF);
    EXPECT_EQ(image[16 + 0], 0xFF);
    EXPECT_EQ(ch[L::record::kRxStep], 0);
}

TEST(StepFlag, ZeroOnlyBelow300MHzOffThe625Grid) {
    EXPECT_EQ(stepFlagFor(14501250), 1); // multiple of 625
    EXPECT_EQ(stepFlagFor(14523000), 0); // 5 kHz only
    EXPECT_EQ(stepFlagFor(29999500), 0);
    EXPECT_EQ(stepFlagFor(30000000), 1);
    EXPECT_EQ(stepFlagFor(46012300), 1); // above 300 MHz any value is 1
}

TEST(RecordViews, AddressTheirRows) {
    RadioImage image;
    image.channel(16)[15] = 0x12;
    image.aux(1)[0] = 0x34;
    image.aux(8)[14] = 0x56;
    EXPECT_EQ(image[16 * 16 + 15], 0x12);
    EXPECT_EQ(image[17 * 16], 0x34);
    EXPECT_EQ(image[24 * 16 + 14], 0x56);
}

} // namespace
} // namespace varnok

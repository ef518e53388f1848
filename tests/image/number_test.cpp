#include "image/number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace varnok {
namespace {

struct NumberCase {
    const char* text;
    double value;
};

TEST(ReadNumber, TakesTheLongestDecimalPrefix) {
    const NumberCase cases[] = {
        {"145", 145.0},
        {"145.0125", 145.0125},
        {"  \t145.5", 145.5},
        {"1.45e2", 145.0},
        {"1.45E+2x", 145.0},
        {"145.0125MHz", 145.0125},
        {"+7", 7.0},
        {"-145", -145.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"2E-1", 0.2},
        {"1..5", 1.0},
        {"0001.50", 1.5},
        {"12 34", 12.0},
        {"", 0.0},
        {"   ", 0.0},
        {".", 0.0},
        {"-", 0.0},
        {"+.e1", 0.0},
        {"abc", 0.0},
        {"无", 0.0},
        {"OFF", 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(readNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ReadNumber, RefusesWhatStrtodWouldAccept) {
    // strtod reads all of these as numbers; a cell text never means them.
    EXPECT_EQ(readNumber("0x10"), 0.0);
    EXPECT_EQ(readNumber("0x1p4"), 0.0);
    EXPECT_EQ(readNumber("inf"), 0.0);
    EXPECT_EQ(readNumber("-infinity"), 0.0);
    EXPECT_EQ(readNumber("nan"), 0.0);
    EXPECT_EQ(readNumber("NAN(1)"), 0.0);
}

TEST(ReadNumber, OverflowAndUnderflowSaturate) {
    EXPECT_EQ(readNumber("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumber("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readNumber("1e-999"), 0.0);
    EXPECT_EQ(readNumber("0.000000001e-400"), 0.0);
}

TEST(ReadNumber, IgnoresTheProcessLocale) {
    // A comma-decimal locale must not turn "145.5" into 145. Not every
    // machine has one installed; the check runs wherever one exists.
    const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : locales)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    EXPECT_DOUBLE_EQ(readNumber("145.5"), 145.5) << (chosen ? chosen : "C");
    EXPECT_EQ(formatFixed(145.5, 5), "145.50000");
    std::setlocale(LC_ALL, "C");
}

TEST(ReadInteger, ReadsLikeStrtolAndSaturates) {
    EXPECT_EQ(readInteger("023N"), 23);
    EXPECT_EQ(readInteger("754I"), 754);
    EXPECT_EQ(readInteger("  -12x"), -12);
    EXPECT_EQ(readInteger("+5"), 5);
    EXPECT_EQ(readInteger("N"), 0);
    EXPECT_EQ(readInteger(""), 0);
    EXPECT_EQ(readInteger("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(readInteger("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(FormatFixed, MatchesPrintfRounding) {
    EXPECT_EQ(formatFixed(460.125, 5), "460.12500");
    EXPECT_EQ(formatFixed(0.0, 5), "0.00000");
    EXPECT_EQ(formatFixed(71.9, 1), "71.9");
    EXPECT_EQ(formatFixed(5.0, 1), "5.0");
    EXPECT_EQ(formatFixed(-145.0, 5), "-145.00000");
    // Exact binary ties round to even, as printf does.
    EXPECT_EQ(formatFixed(0.125, 2), "0.12");
    EXPECT_EQ(formatFixed(0.375, 2), "0.38");
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 5), "inf");
}

} // namespace
} // namespace varnok

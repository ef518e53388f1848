#include "image/number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace varnok {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ReadNumber, TakesTheLongestDecimalPrefixAndNothingStrtodAddsToIt) {
    const std::pair<const char*, double> cases[] = {{"145", 145.0},      {"  \t145.5", 145.5},
                                                    {"1.45E+2x", 145.0}, {"145.0125MHz", 145.0125},
                                                    {"+7", 7.0},         {"-145", -145.0},
                                                    {".5", 0.5},         {"5.", 5.0},
                                                    {"1e+", 1.0},        {"2E-1", 0.2},
                                                    {"1..5", 1.0},       {"0001.50", 1.5},
                                                    {"12 34", 12.0},     {"", 0.0},
                                                    {".", 0.0},          {"-", 0.0},
                                                    {"+.e1", 0.0},       {"无", 0.0},
                                                    {"0x10", 0.0},       {"inf", 0.0},
                                                    {"-infinity", 0.0},  {"nan", 0.0},
                                                    {"1e999", kInf},     {"-1e999", -kInf},
                                                    {"1e-999", 0.0},     {"0.000000001e-400", 0.0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(readNumber(text), value) << '"' << text << '"';
    EXPECT_EQ(readNumber(std::string(400, '9')), kInf);
    // Never past the end of its view, in the fraction or the exponent.
    EXPECT_EQ(readNumber(std::string_view("12.75", 4)), 12.7);
    EXPECT_EQ(readNumber(std::string_view("2.5e37", 5)), 2500.0);
}

TEST(ReadNumber, IgnoresTheProcessLocale) {
    // A comma-decimal locale must not turn "145.5" into 145. Not every
    // machine has one installed; the check runs wherever one exists.
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if (std::setlocale(LC_ALL, name))
            break;
    EXPECT_EQ(readNumber("145.5"), 145.5);
    EXPECT_EQ(formatFixed(145.5, 5), "145.50000");
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace varnok

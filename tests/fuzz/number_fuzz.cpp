// Number reading and the frequency check against the C library's own
// conversions (this process never leaves the "C" locale). readNumber reads
// no hexadecimal, "inf" or "nan", so texts strtod reads that way are left out.
#include "editor/entry_rules.h"
#include "fuzz_check.h"
#include "image/number.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

using namespace varnok;

namespace {

std::string printed(double v, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

bool readsAsDecimal(const char* text) {
    while (isCSpace(*text))
        ++text;
    if (*text == '+' || *text == '-')
        ++text;
    return strncasecmp(text, "0x", 2) != 0 && strncasecmp(text, "inf", 3) != 0 && strncasecmp(text, "nan", 3) != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The readers get the input's own bytes, so that ASan sees any read past them.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string text(input);
    const double c = std::strtod(text.c_str(), nullptr); // stops at a NUL, as readNumber does
    const long long ci = std::strtoll(text.c_str(), nullptr, 10);
    FUZZ_CHECK(readInteger(input) == std::clamp<long long>(ci, INT32_MIN, INT32_MAX));
    for (int decimals : {0, 5, static_cast<int>(size % 20)})
        FUZZ_CHECK(formatFixed(c, decimals) == printed(c, decimals));
    if (!readsAsDecimal(text.c_str()))
        return 0;
    // "Tiny ones give 0": below the normal range strtod may keep a subnormal.
    FUZZ_CHECK(readNumber(input) == c || (std::fabs(c) < 2.2250738585072014e-308 && readNumber(input) == 0));

    const double units = std::round(c * 100000.0);
    const bool onGrid =
        units >= 6000000 && units <= 60000000 && (std::fmod(units, 625) == 0 || std::fmod(units, 500) == 0);
    for (int band = -1; band <= 4; ++band) {
        const bool known = band >= 0 && band < static_cast<int>(kBandRanges.size());
        const bool inBand = !known || (units >= kBandRanges[static_cast<std::size_t>(band)].lowest &&
                                       units <= kBandRanges[static_cast<std::size_t>(band)].highest);
        for (CheckMode mode : {CheckMode::Enter, CheckMode::Leave}) {
            const FrequencyCheck check = checkFrequencyEntry(text, mode, band);
            const bool accepted = check.outcome == FrequencyCheck::Outcome::Accepted;
            FUZZ_CHECK(accepted == (!text.empty() && onGrid && inBand));
            FUZZ_CHECK(accepted == check.messages.empty() || text.empty());
            if (accepted) {
                FUZZ_CHECK(cellFrequency(check.text) == units);
                FUZZ_CHECK(check.text == printed(units / 100000.0, 5));
            }
        }
    }
    return 0;
}

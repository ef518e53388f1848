#include "image/tones.h"

#include "image/image.h"
#include "image/number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace varnok {
namespace {

constexpr int kCtcssTenths[] = {
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072, 1109, 1148,
    1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799,
    1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541,
};

constexpr int kDcsCodes[] = {
    23,  25,  26,  31,  32,  36,  43,  47,  51,  53,  54,  65,  71,  72,  73,  74,  114, 115, 116, 122, 125,
    131, 132, 134, 143, 145, 152, 155, 156, 162, 165, 172, 174, 205, 212, 223, 225, 226, 243, 244, 245, 246,
    251, 252, 255, 261, 263, 265, 266, 271, 274, 306, 311, 315, 325, 331, 332, 343, 346, 351, 356, 364, 365,
    371, 411, 412, 413, 423, 431, 432, 445, 446, 452, 454, 455, 462, 464, 465, 466, 503, 506, 516, 523, 526,
    532, 546, 565, 606, 612, 624, 627, 631, 632, 645, 654, 662, 664, 703, 712, 723, 731, 732, 734, 743, 754,
};

static_assert(std::size(kCtcssTenths) == 50);
static_assert(std::size(kDcsCodes) == 105);

std::string dcsName(int code, char suffix) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "D%03d%c", code, suffix);
    return buffer;
}

std::vector<std::string> buildTable() {
    std::vector<std::string> table;
    table.reserve(261);
    table.emplace_back(kNoTone);
    for (int tenths : kCtcssTenths)
        table.push_back(formatFixed(tenths / 10.0, 1));
    for (int code : kDcsCodes)
        table.push_back(dcsName(code, 'N'));
    for (int code : kDcsCodes)
        table.push_back(dcsName(code, 'I'));
    return table;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

} // namespace

const std::vector<std::string>& toneTable() {
    static const std::vector<std::string> table = buildTable();
    return table;
}

std::string toneName(ToneCode code, bool channelPresent) {
    const std::uint8_t h = code.high;
    if (h == 0x00 || h == 0xFF)
        return channelPresent ? kNoTone : "";
    if (h >= 0x80) {
        const int d = h >= 0xC0 ? h - 0xC0 : h - 0x80;
        const int v = 100 * d + fromBcd(code.low);
        // The vendor pads with a literal "0" for codes below 100 rather than
        // formatting to three digits, so D5 shows as "D05", not "D005".
        return std::string(d == 0 ? "D0" : "D") + std::to_string(v) + (h >= 0xC0 ? "I" : "N");
    }
    const int v = 100 * fromBcd(h) + fromBcd(code.low);
    return formatFixed(v / 10.0, 1);
}

ToneCode toneCode(std::string_view text) {
    if (text.find('D') != std::string_view::npos) {
        const std::string_view rest = text.substr(1);
        const long long n = readInteger(rest);
        std::uint8_t high = static_cast<std::uint8_t>(n / 100);
        high = static_cast<std::uint8_t>(high + (rest.find('N') != std::string_view::npos ? 0x80 : 0xC0));
        return ToneCode{toBcd(n % 100), high};
    }
    const double x = readNumber(text) * 10.0;
    long long v = 0;
    if (std::isinf(x) || std::fabs(x) >= 2147483648.0)
        v = x < 0 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    else
        v = static_cast<long long>(x); // cut toward zero
    if (v == 0)
        return ToneCode{0xFF, 0xFF};
    return ToneCode{toBcd(v % 100), toBcd(v / 100)};
}

int findTone(std::string_view text) {
    const auto& table = toneTable();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [text](const std::string& name) { return equalsIgnoringCase(name, text); });
    return found == table.end() ? -1 : static_cast<int>(found - table.begin());
}

} // namespace varnok

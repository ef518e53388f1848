#include "image/number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace varnok {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    return i;
}

} // namespace

double readNumber(std::string_view text) {
    std::size_t i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++intDigits;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fracDigits;
        }
        if (intDigits + fracDigits > 0)
            i = j;
    }
    if (intDigits + fracDigits == 0)
        return 0.0;
    // The exponent belongs to the number only when at least one digit follows.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }

    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + i;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow from the decimal magnitude.
        long long magnitude = 0;
        std::string_view mantissa(first, static_cast<std::size_t>(last - first));
        const std::size_t ePos = mantissa.find_first_of("eE");
        std::string_view digits = mantissa.substr(0, ePos);
        if (ePos != std::string_view::npos)
            magnitude = readInteger(mantissa.substr(ePos + 1));
        const std::size_t point = digits.find('.');
        std::string_view whole = digits.substr(0, point);
        std::size_t lead = whole.find_first_not_of('0');
        if (lead != std::string_view::npos) {
            magnitude += static_cast<long long>(whole.size() - lead);
        } else if (point != std::string_view::npos) {
            std::string_view frac = digits.substr(point + 1);
            std::size_t zeros = frac.find_first_not_of('0');
            magnitude -= static_cast<long long>(zeros == std::string_view::npos ? frac.size() : zeros);
        }
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::int32_t readInteger(std::string_view text) {
    std::size_t i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    constexpr long long limit = static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1;
    while (i < text.size() && isDigit(text[i])) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
        ++i;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::string formatFixed(double value, int decimals) {
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // 309 integer digits, a sign, a point and the decimals always fit.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

} // namespace varnok

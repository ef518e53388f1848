// Locale-independent reading of numbers typed into cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnok {

/// Reads the longest leading decimal number of `text` (after C white space):
/// optional sign, digits with at most one point, optional exponent. Gives 0
/// when the text starts with no number. Never reads hexadecimal, "inf" or
/// "nan", and never looks at the process locale, so "145.5" is 145.5 on
/// every machine. Magnitudes beyond a double give infinity; tiny ones give 0.
double readNumber(std::string_view text);

/// Reads a leading decimal integer (white space, optional sign, digits);
/// 0 when there is none. Saturates at the 32-bit range, as the radio
/// vendor's tools did.
std::int32_t readInteger(std::string_view text);

/// Formats `value` with `decimals` places after the point, like printf's
/// "%.Nf" in the C locale (the point is always '.').
std::string formatFixed(double value, int decimals);

/// True for the characters that C's isspace accepts in the "C" locale.
constexpr bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace varnok

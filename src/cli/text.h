// Terminal text helpers: display width of UTF-8 text and safe quoting of
// untrusted values in one-line messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnok::cli {

/// Columns a terminal needs for `text`: East Asian wide and full-width
/// characters take two, everything else one. Bytes that are not valid
/// UTF-8 count one column each, so the width of any text is defined.
std::size_t displayWidth(std::string_view text);

/// `text` followed by blanks up to `width` display columns.
std::string padRight(std::string_view text, std::size_t width);

/// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points beyond U+10FFFF).
bool isValidUtf8(std::string_view text);

/// `text` in double quotes, fit for a one-line message: quotes, backslashes
/// and control characters escaped, invalid UTF-8 bytes shown as \xNN, and
/// anything beyond `maxChars` characters cut off with "...".
std::string quoteValue(std::string_view text, std::size_t maxChars = 60);

/// `text` with line breaks and other control characters turned into blanks
/// and invalid UTF-8 bytes into '?', so that a message from a library stays
/// one readable line.
std::string oneLine(std::string_view text);

} // namespace varnok::cli

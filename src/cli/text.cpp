#include "text.h"

#include <cstdint>
#include <cstdio>

namespace varnok::cli {
namespace {

/// One step of a strict UTF-8 decoder: the code point at `pos` and its
/// length, or length 0 when the byte at `pos` starts no valid sequence.
struct Decoded {
    char32_t cp = 0;
    std::size_t length = 0;
};

Decoded decodeAt(std::string_view s, std::size_t pos) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[pos + k]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    // Lead byte ranges exclude C0, C1 and F5..FF, which never start a
    // sequence; overlong forms are caught by `lowest` below.
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return {};
    static constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
    static constexpr std::uint8_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    const char32_t lowest = kLowest[length];
    char32_t cp = lead & kLeadBits[length];
    if (pos + length > s.size())
        return {};
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return {};
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {};
    return {cp, length};
}

bool isWide(char32_t cp) {
    struct Range {
        char32_t first, last;
    };
    // East Asian Wide and Fullwidth blocks; enough for the interface texts
    // (CJK ideographs, full-width punctuation) and for anything a user types.
    static constexpr Range kWide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
        {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},
        {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    for (const Range& r : kWide)
        if (cp >= r.first && cp <= r.last)
            return true;
    return false;
}

} // namespace

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = decodeAt(text, pos);
        if (d.length == 0) {
            ++width;
            ++pos;
            continue;
        }
        width += isWide(d.cp) ? 2 : 1;
        pos += d.length;
    }
    return width;
}

std::string padRight(std::string_view text, std::size_t width) {
    std::string out(text);
    const std::size_t have = displayWidth(text);
    if (have < width)
        out.append(width - have, ' ');
    return out;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = decodeAt(text, pos);
        if (d.length == 0)
            return false;
        pos += d.length;
    }
    return true;
}

std::string quoteValue(std::string_view text, std::size_t maxChars) {
    std::string out = "\"";
    std::size_t chars = 0;
    std::size_t pos = 0;
    char buffer[8];
    for (; pos < text.size() && chars < maxChars; ++chars) {
        const Decoded d = decodeAt(text, pos);
        if (d.length == 0) {
            std::snprintf(buffer, sizeof buffer, "\\x%02X",
                          static_cast<unsigned>(static_cast<std::uint8_t>(text[pos])));
            out += buffer;
            ++pos;
            continue;
        }
        if (d.cp == '"' || d.cp == '\\') {
            out += '\\';
            out += static_cast<char>(d.cp);
        } else if (d.cp == '\n') {
            out += "\\n";
        } else if (d.cp == '\t') {
            out += "\\t";
        } else if (d.cp < 0x20 || d.cp == 0x7F) {
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(d.cp));
            out += buffer;
        } else {
            out.append(text.substr(pos, d.length));
        }
        pos += d.length;
    }
    out += '"';
    if (pos < text.size())
        out += "...";
    return out;
}

std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = decodeAt(text, pos);
        if (d.length == 0) {
            out += '?';
            ++pos;
            continue;
        }
        if (d.cp < 0x20 || d.cp == 0x7F)
            out += ' ';
        else
            out.append(text.substr(pos, d.length));
        pos += d.length;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace varnok::cli

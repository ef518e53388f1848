// Squelch tones: the table of names offered to the user and the two-byte
// code a channel record stores.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/texts.h"

namespace varnok {

/// The no-tone name, entry 0 of the table.
inline constexpr const char* kNoTone = text::kToneNone.zh;
/// What the tone box writes for a text that names no tone.
inline constexpr const char* kToneOff = "OFF";

/// The 261 names in list order: "无", 50 CTCSS tones ascending, 105 DCS
/// codes normal ("D023N") then the same 105 inverted ("D023I").
const std::vector<std::string>& toneTable();

/// Low and high byte of a tone as a channel record stores them.
struct ToneCode {
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0xFF;
    friend bool operator==(ToneCode a, ToneCode b) { return a.low == b.low && a.high == b.high; }
};

/// The name shown for a code. H of 00 or FF is "无" on a present channel and
/// the empty text otherwise; codes outside the table still get a name.
std::string toneName(ToneCode code, bool channelPresent);

/// The code stored for a cell text. Only a capital 'D' makes a DCS code and
/// only a capital 'N' makes it normal; anything that reads as 0 is no tone.
ToneCode toneCode(std::string_view text);

/// Index of the table entry equal to `text` ignoring ASCII letter case, or -1.
int findTone(std::string_view text);

} // namespace varnok

// What differs between two configurations, in the terms a user reads the
// form in: a verify after a write, a comparison of two files.
#pragma once

#include "image/form.h"
#include "image/image.h"

#include <string>
#include <vector>

namespace varnok::app {

struct Difference {
    enum class Kind {
        Cell,    ///< a channel cell: `channel`, `column`
        Setting, ///< a settings box: `setting`
        Bytes,   ///< bytes the form does not show: offsets `first` to `last`
    };
    Kind kind = Kind::Bytes;
    int channel = 0;
    int column = 0;
    Setting setting = Setting::Model;
    std::size_t first = 0;
    std::size_t last = 0;
    /// The texts the form shows, or the bytes in hexadecimal.
    std::string before;
    std::string after;

    /// One line: "channel 3, 发射频率: 145.50000 → 146.00000",
    /// "静噪电平: 3 → 5", "offsets 1008–1009: 5E 09 → 00 00".
    std::string line() const;
};

/// The column's name as the header shows it, without its unit.
std::string columnName(int col);

/// Every difference between `a` and `b` as the form shows them (each decoded
/// as a fresh program run shows a file), then each run of differing bytes
/// the form does not show — also a byte inside a channel record or a
/// settings byte whose difference no text reveals (a flag bit the form does
/// not use). Offsets from `end` on are not compared: a verify after a write
/// stops where the write stopped.
std::vector<Difference> compareImages(const RadioImage& a, const RadioImage& b, std::size_t end = layout::kImageSize);

} // namespace varnok::app

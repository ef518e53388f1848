// Whole radio images written out by hand from the memory map, so that tests
// compare images instead of spot bytes and a stray write anywhere shows.
#pragma once

#include "image/defaults.h"

#include <string>

namespace varnok::golden {

/// Sets row `r` of `image` from 32 hex digits.
inline void setRow(RadioImage& image, std::size_t r, const char* hex) {
    for (std::size_t k = 0; k < layout::kRowSize; ++k)
        image[r * layout::kRowSize + k] =
            static_cast<std::uint8_t>(std::stoi(std::string(hex + 2 * k, 2), nullptr, 16));
}

/// A new document's image as New builds it, before any decoding.
inline RadioImage newImage(PresetSet set) {
    const char* const uhf[] = {"0000014600000046FFFFFFFFFF0101FF", "0000014500000045FFFFFFFFFF0101FF",
                               "0000994600759946FFFFFFFFFF0101FF", "0000034600000346FFFFFFFFFF0101FF",
                               "0050034600500346FFFFFFFFFF0101FF", "0000044600000446FFFFFFFFFF0101FF",
                               "0050034600500346FFFFFFFFFF0101FF", "0050044600500446FFFFFFFFFF0101FF"};
    const char* const vhf[] = {"0000211600002016FFFFFFFFFF0000FF", "0000011500000015FFFFFFFFFF0000FF",
                               "0000391700753917FFFFFFFFFF0000FF", "0000251600002516FFFFFFFFFF0000FF",
                               "0050251600502516FFFFFFFFFF0000FF", "0000261600002616FFFFFFFFFF0000FF",
                               "0050251600502516FFFFFFFFFF0000FF", "0050261600502616FFFFFFFFFF0000FF"};
    RadioImage image; // rows not set below are all FF
    setRow(image, 1, "FFFFFEFFFFFFFFFFFFFFFFFFFBFFFFFF");
    for (std::size_t r = 17; r <= 24; ++r)
        setRow(image, r, (set == PresetSet::Vhf ? vhf : uhf)[r - 17]);
    setRow(image, 40, "0102030405060708090A0B0C0D0E0F10");
    setRow(image, 60, "FF090306FFFFFFFFFFFFFFFFFFFFFFFF");
    setRow(image, 61, "0000F03730313250FFFFFFFFFFFFFFFF");
    setRow(image, 63, "5E092B69D8AA41AA604BFFFFFFFFFFFF");
    return image;
}

/// What Save stores straight after New, from either preset set: decoding
/// cleared the auxiliary pairs for the first model, encoding wrote sixteen
/// empty channels.
inline RadioImage savedNewImage() {
    RadioImage image = newImage(PresetSet::Uhf);
    for (std::size_t r = 1; r <= 16; ++r)
        setRow(image, r, "FFFFFFFFFFFFFFFFFFFFFFFFCFFFFFFF");
    for (std::size_t r = 17; r <= 24; ++r)
        setRow(image, r, "0000000000000000FFFFFFFFFF0101FF");
    return image;
}

} // namespace varnok::golden

// SHA-256, for naming exactly which master image a clone run wrote: the log
// outlives the file, and a hash tells two masters apart where a name cannot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnok::app {

/// The digest of `size` bytes at `data`, as 64 lower-case hex digits.
std::string sha256Hex(const std::uint8_t* data, std::size_t size);

} // namespace varnok::app

#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pdf {

// ASCII base-85 as the ASCII85Decode filter reads it, with its "~>" end mark
// and no line breaks.
std::string ToASCII85(std::span<const uint8_t> data);

} // namespace pdf

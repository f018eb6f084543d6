#include "Ascii85.h"

#include <algorithm>

namespace pdf {

std::string ToASCII85(std::span<const uint8_t> data)
{
    std::string text;
    text.reserve(data.size() / 4 * 5 + 7);
    std::size_t i = 0;
    while (i < data.size()) {
        const std::size_t count = std::min<std::size_t>(4, data.size() - i);
        uint32_t value = 0;
        for (std::size_t k = 0; k < 4; ++k)
            value = (value << 8) | (k < count ? data[i + k] : 0);
        i += count;
        if (count == 4 && value == 0) {
            text += 'z';
            continue;
        }
        char digits[5];
        for (int k = 4; k >= 0; --k) {
            digits[k] = static_cast<char>(value % 85 + 33);
            value /= 85;
        }
        // A short final group writes only as many digits as it needs to be decoded.
        text.append(digits, count + 1);
    }
    text += "~>";
    return text;
}

} // namespace pdf

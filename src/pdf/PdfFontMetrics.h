#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pdf {

// Metrics of one TrueType font loaded by PdfWriter::LoadFont.
struct FontMetric
{
    std::string BaseFont;
    uint8_t FirstChar = 32;
    uint8_t LastChar = 255;
    std::string_view DescriptorText;
    std::span<const int16_t> Widths; // Widths[0] belongs to FirstChar
    int32_t MissingWidth = 0;

    int32_t width(uint8_t code) const
    {
        return code >= FirstChar && code <= LastChar ? Widths[code - FirstChar] : MissingWidth;
    }
};

// The metric set for a family name already stripped of blanks and upper-cased:
// TIMESNEWROMAN, COURIERNEW and SYMBOL have their own, anything else is Arial.
// Styles: 0 regular, 1 bold, 2 italic, 3 bold italic; others count as regular.
FontMetric fontMetricFor(std::string_view normalisedFamily, int32_t style);

// ",Bold", ",Italic", ",BoldItalic" for styles 1-3, nothing otherwise.
std::string_view styleSuffix(int32_t style);

} // namespace pdf

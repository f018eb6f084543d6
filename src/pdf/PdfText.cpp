#include "PdfText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace pdf {

namespace {

// Digits of a value in thousandths, trailing zeros of the fraction dropped.
void appendThousandths(std::string& out, std::int64_t thousandths)
{
    if (thousandths == 0) {
        out += '0';
        return;
    }
    if (thousandths < 0) {
        out += '-';
        thousandths = -thousandths;
    }
    std::array<char, 24> digits;
    char* const end = digits.data() + digits.size();
    const std::int64_t whole = thousandths / 1000;
    int fraction = int(thousandths % 1000);
    char* first = std::to_chars(digits.data(), end, whole).ptr;
    out.append(digits.data(), first);
    if (fraction == 0)
        return;
    int places = 3;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    out += '.';
    for (int divisor = places == 3 ? 100 : places == 2 ? 10 : 1; divisor > 0; divisor /= 10)
        out += char('0' + fraction / divisor % 10);
}

} // namespace

void appendNumber(std::string& out, double value)
{
    // A non-finite number would make the content stream unreadable.
    if (!std::isfinite(value)) {
        out += '0';
        return;
    }
    // Nearly every coordinate is the double nearest to a number of
    // thousandths. Such a value lies far closer to it than half a
    // thousandth, so its three-decimal rounding is that number: the digits
    // can be written from an integer, without the general conversion.
    if (std::fabs(value) < 1e12) {
        const double thousandths = std::nearbyint(value * 1000);
        if (thousandths / 1000 == value) {
            appendThousandths(out, std::int64_t(thousandths));
            return;
        }
    }
    // Large enough for the fixed notation of any double.
    std::array<char, 400> buffer;
    char* const first = buffer.data();
    // to_chars is locale independent and rounds the exact binary value, ties to even.
    char* last =
        std::to_chars(first, first + buffer.size(), value, std::chars_format::fixed, 3).ptr;
    while (last[-1] == '0')
        --last;
    if (last[-1] == '.')
        --last;
    if (last - first == 2 && first[0] == '-' && first[1] == '0') {
        out += '0';
        return;
    }
    out.append(first, last);
}

void appendEscaped(std::string& out, std::string_view text)
{
    // Runs between the characters to escape go in whole.
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == '(' || c == ')') {
            out.append(text.data() + start, i - start);
            out += '\\';
            start = i;
        }
    }
    out.append(text.data() + start, text.size() - start);
}

namespace {

// Windows-1252 bytes 0x80..0x9F and the code points they stand for.
constexpr std::array<char32_t, 32> kWinAnsiHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

char winAnsiByte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < kWinAnsiHigh.size(); ++i) {
        if (kWinAnsiHigh[i] != 0 && kWinAnsiHigh[i] == codePoint)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

void toWinAnsi(std::string_view utf8, std::string& out)
{
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            // A run of plain ASCII is the same in both encodings.
            std::size_t end = i + 1;
            while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80)
                ++end;
            out.append(utf8.data() + i, end - i);
            i = end;
            continue;
        }
        int length = 0;
        char32_t codePoint = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        }
        bool valid = length > 0 && i + length <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed.
        if (valid) {
            valid = !(length == 3 &&
                      (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))) &&
                    !(length == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF));
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += winAnsiByte(codePoint);
        i += length;
    }
}

std::string toWinAnsi(std::string_view utf8)
{
    std::string bytes;
    toWinAnsi(utf8, bytes);
    return bytes;
}

} // namespace pdf

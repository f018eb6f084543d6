#include "PdfText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace pdf {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

std::uint64_t eightBytes(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// True when one of the eight bytes of word is byte.
bool holdsByte(std::uint64_t word, unsigned char byte)
{
    const std::uint64_t v = word ^ (kEveryByte * byte);
    return ((v - kEveryByte) & ~v & kHighBits) != 0;
}

// True when one of the eight bytes is "(", ")" or a backslash: setting the
// lowest bit makes "(" of ")", and nothing else becomes ")".
bool holdsEscaped(std::uint64_t word)
{
    return holdsByte(word | kEveryByte, ')') || holdsByte(word, '\\');
}

// The index of the first byte from i on that is not plain ASCII, or size.
std::size_t asciiRunEnd(std::string_view text, std::size_t i)
{
    while (i + 8 <= text.size() && (eightBytes(text.data() + i) & kHighBits) == 0)
        i += 8;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

namespace {

// The digits of a number of thousandths, as writeThousandths describes them.
char* thousandthsText(char* out, bool negative, std::uint64_t thousandths)
{
    const std::uint64_t whole = thousandths / 1000;
    const auto fraction = unsigned(thousandths % 1000);
    if (negative && thousandths != 0)
        *out++ = '-';
    out = std::to_chars(out, out + 20, whole).ptr;
    if (fraction != 0) {
        // Three digits, less those that are trailing zeros.
        const char digits[3] = {char('0' + fraction / 100), char('0' + fraction / 10 % 10),
                                char('0' + fraction % 10)};
        const int kept = fraction % 100 == 0 ? 1 : fraction % 10 == 0 ? 2 : 3;
        *out++ = '.';
        out = std::copy(digits, digits + kept, out);
    }
    return out;
}

// Value rounded to three decimals, ties to even, from its exact binary
// form: the mantissa times 1000 fits in 64 bits, so no step rounds.
// Below 2^50 in magnitude; false for larger values.
bool roundedThousandths(double magnitude, std::uint64_t& thousandths)
{
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent); // in [0.5, 1)
    if (magnitude == 0) {
        thousandths = 0;
        return true;
    }
    if (exponent > 50)
        return false;
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const std::uint64_t scaled = mantissa * 1000; // below 2^63
    const int shift = 53 - exponent;              // magnitude = mantissa / 2^shift
    if (shift >= 64) {
        thousandths = 0; // less than half a thousandth
        return true;
    }
    const std::uint64_t quotient = scaled >> shift;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    thousandths = quotient + ((rest > half || (rest == half && (quotient & 1) != 0)) ? 1 : 0);
    return true;
}

} // namespace

char* writeThousandths(char* out, double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e12))
        return nullptr;
    const double thousandths = std::nearbyint(magnitude * 1000);
    if (thousandths / 1000 != magnitude)
        return nullptr;
    return thousandthsText(out, value < 0, std::uint64_t(thousandths));
}

bool isAscii(std::string_view text)
{
    return asciiRunEnd(text, 0) == text.size();
}

void appendNumber(std::string& out, double value)
{
    // A non-finite number would make the content stream unreadable.
    if (!std::isfinite(value)) {
        out += '0';
        return;
    }
    // The general conversion below is many times slower.
    char digits[kThousandthsDigits];
    const char* end = writeThousandths(digits, value);
    std::uint64_t thousandths = 0;
    if (end == nullptr && roundedThousandths(std::fabs(value), thousandths))
        end = thousandthsText(digits, value < 0, thousandths);
    if (end != nullptr) {
        out.append(digits, static_cast<std::size_t>(end - digits));
        return;
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
    // Runs between the characters to escape go in whole; they are looked
    // for eight bytes at a time, as most texts have none.
    const std::size_t size = text.size();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < size) {
        while (i + 8 <= size && !holdsEscaped(eightBytes(text.data() + i)))
            i += 8;
        for (const std::size_t stop = std::min(size, i + 8); i < stop; ++i) {
            const char c = text[i];
            if (c == '\\' || c == '(' || c == ')') {
                out.append(text.data() + start, i - start);
                out += '\\';
                start = i;
            }
        }
    }
    out.append(text.data() + start, size - start);
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
            const std::size_t end = asciiRunEnd(utf8, i + 1);
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

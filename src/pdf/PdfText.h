#pragma once

#include <string>
#include <string_view>

// Text helpers shared by the PDF writer: everything it prints goes through them.
namespace pdf {

// Room enough for anything writeThousandths writes.
inline constexpr int kThousandthsDigits = 24;

// Nearly every number a layout makes is the double nearest to a whole number
// of thousandths. For such a value below 1e12 in magnitude, writes at out its
// digits (no trailing zeros in the fraction, "." as the point, never "-0")
// and returns the end; returns nullptr, writing nothing, for any other value.
// No two such numbers share a double, so the digits are both the value
// rounded to three decimals and the shortest that read back as it.
char* writeThousandths(char* out, double value);

// True when every byte is below 0x80.
bool isAscii(std::string_view text);

// Appends Value rounded to three decimals (ties to even) in its shortest form:
// no exponent, no trailing zeros, "." whatever the locale, never "-0".
void appendNumber(std::string& out, double value);

// Doubles backslashes and escapes parentheses for a PDF literal string.
void appendEscaped(std::string& out, std::string_view text);

// The Windows-1252 byte of a code point; "?" for one it lacks.
char winAnsiByte(char32_t codePoint);

// Converts UTF-8 to Windows-1252, the /WinAnsiEncoding of the writer's fonts.
// Characters it lacks and malformed sequences become "?".
void toWinAnsi(std::string_view utf8, std::string& out);
std::string toWinAnsi(std::string_view utf8);

} // namespace pdf

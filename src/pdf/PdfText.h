#pragma once

#include <string>
#include <string_view>

// Text helpers shared by the PDF writer: everything it prints goes through them.
namespace pdf {

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

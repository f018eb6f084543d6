#pragma once

// The document of the PDF writer benchmark: 1000 A4 pages of 80 lines of
// 100 characters, a description and an amount right-aligned, Arial 8
// points. The export benchmark records the same lines, so that exporting
// recorded pages and writing them straight compare like for like.
#include <cstdio>
#include <string>
#include <vector>

namespace writerdoc {

constexpr int kPages = 1000;
constexpr int kLines = 80;
constexpr int kDescriptionLength = 88; // plus a 12-character amount: 100 per line
constexpr float kFontSize = 8;
// Points from the bottom left of the page.
constexpr float kLeft = 40;
constexpr float kRight = 555;
constexpr float kTop = 800;
constexpr float kLineHeight = 9.5f;

struct Line
{
    std::string description;
    std::string amount;
};

// Italian style, right-justified to 12 characters: "   12.345,67" (below a million euros).
inline std::string formatAmount(long cents)
{
    const long euros = cents / 100;
    char text[32];
    if (euros >= 1000)
        std::snprintf(text, sizeof text, "%8ld.%03ld,%02ld", euros / 1000, euros % 1000,
                      cents % 100);
    else
        std::snprintf(text, sizeof text, "%9ld,%02ld", euros, cents % 100);
    return text;
}

// The document's text, made once so that only writing is timed.
inline const std::vector<Line>& lines()
{
    static const std::vector<Line> result = [] {
        static const char* const words[] = {"Consulenza",    "fiscale",  "periodo", "marzo",
                                            "dichiarazione", "redditi",  "IVA",     "trimestre",
                                            "compenso",      "rimborso", "spese",   "pratica"};
        std::vector<Line> made;
        made.reserve(kPages * kLines);
        for (int i = 0; i < kPages * kLines; ++i) {
            std::string description;
            for (int w = i; description.size() < kDescriptionLength; w += 7)
                description += std::string(words[w % 12]) + ' ';
            description.resize(kDescriptionLength);
            const long cents = (static_cast<long>(i) * 7919 + 12345) % 100000000;
            made.push_back({description, formatAmount(cents)});
        }
        return made;
    }();
    return result;
}

} // namespace writerdoc

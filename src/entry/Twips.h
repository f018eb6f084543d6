#pragma once

#include <cmath>

// Window sizes and positions are reasoned about in twips: 1440 to the inch
// at the screen's logical resolution.
constexpr double kTwipsPerInch = 1440.0;

inline double twipsFromPixels(double pixels, double dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

inline int pixelsFromTwips(double twips, double dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}

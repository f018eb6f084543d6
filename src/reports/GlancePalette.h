#pragma once

// The colours of the year's charts, shared by the window and the printed
// page so that the paper matches the screen. 0xRRGGBB.
namespace GlancePalette {

inline constexpr unsigned kYear = 0x2E6DB4;         // the chosen year's bars
inline constexpr unsigned kPreviousYear = 0xB4BCC6; // the year before's bars
inline constexpr unsigned kCumulated = 0xD9822B;    // the chosen year's running total
inline constexpr unsigned kPreviousCumulated = 0x8A8F96;
inline constexpr unsigned kAges[4] = {0x6AA84F, 0xF1C232, 0xE69138, 0xCC4125}; // 0-30 ... over 90
inline constexpr unsigned kWithholding = 0x674EA7;
inline constexpr unsigned kClients = 0x2E6DB4;

} // namespace GlancePalette

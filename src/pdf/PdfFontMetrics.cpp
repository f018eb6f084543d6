#include "PdfFontMetrics.h"

#include "PdfFontWidths.h"

#include <array>

namespace pdf {

namespace {

struct MetricSet
{
    std::string_view family;
    uint8_t firstChar;
    std::array<std::span<const int16_t>, 4> widths;
    std::array<int32_t, 4> missingWidth;
    std::array<std::string_view, 4> descriptor;
};

const MetricSet kCourierNew = {
    "CourierNew",
    32,
    {kCourierNewWidths0, kCourierNewWidths1, kCourierNewWidths2, kCourierNewWidths3},
    {600, 600, 600, 600},
    {"/Flags 34 /FontBBox [-250 -300 720 1000] /MissingWidth 600 /StemV 109 /StemH 109 "
     "/ItalicAngle 0 /CapHeight 833 /XHeight 417 /Ascent 833 /Descent -300 /Leading 133 "
     "/MaxWidth 600 /AvgWidth 600",
     "/Flags 16418 /FontBBox [-250 -300 720 1000] /MissingWidth 600 /StemV 191 /StemH 191 "
     "/ItalicAngle 0 /CapHeight 833 /XHeight 417 /Ascent 833 /Descent -300 /Leading 133 "
     "/MaxWidth 600 /AvgWidth 600",
     "/Flags 98 /FontBBox [-250 -300 720 1000] /MissingWidth 600 /StemV 109 /StemH 109 "
     "/ItalicAngle -11 /CapHeight 833 /XHeight 417 /Ascent 833 /Descent -300 /Leading 133 "
     "/MaxWidth 600 /AvgWidth 600",
     "/Flags 16482 /FontBBox [-250 -300 720 1000] /MissingWidth 600 /StemV 191 /StemH 191 "
     "/ItalicAngle -11 /CapHeight 833 /XHeight 417 /Ascent 833 /Descent -300 /Leading 133 "
     "/MaxWidth 600 /AvgWidth 600"}};

const MetricSet kTimesNewRoman = {
    "TimesNewRoman",
    32,
    {kTimesNewRomanWidths0, kTimesNewRomanWidths1, kTimesNewRomanWidths2, kTimesNewRomanWidths3},
    {333, 333, 333, 333},
    {"/Flags 34 /FontBBox [-250 -216 1200 1000] /MissingWidth 333 /StemV 73 /StemH 73 "
     "/ItalicAngle 0 /CapHeight 891 /XHeight 446 /Ascent 891 /Descent -216 /Leading 149 "
     "/MaxWidth 1000 /AvgWidth 401",
     "/Flags 16418 /FontBBox [-250 -216 1201 1000] /MissingWidth 333 /StemV 136 /StemH 136 "
     "/ItalicAngle 0 /CapHeight 891 /XHeight 446 /Ascent 891 /Descent -216 /Leading 149 "
     "/MaxWidth 1001 /AvgWidth 401",
     "/Flags 98 /FontBBox [-250 -216 1200 1000] /MissingWidth 333 /StemV 73 /StemH 73 "
     "/ItalicAngle -11 /CapHeight 891 /XHeight 446 /Ascent 891 /Descent -216 /Leading 149 "
     "/MaxWidth 1000 /AvgWidth 402",
     "/Flags 16482 /FontBBox [-250 -216 1200 1000] /MissingWidth 333 /StemV 131 /StemH 131 "
     "/ItalicAngle -11 /CapHeight 891 /XHeight 446 /Ascent 891 /Descent -216 /Leading 149 "
     "/MaxWidth 1000 /AvgWidth 412"}};

const MetricSet kSymbol = {
    "Symbol",
    30,
    {kSymbolWidths, kSymbolWidths, kSymbolWidths, kSymbolWidths},
    {332, 332, 332, 332},
    {"/Flags 6 /FontBBox [-250 -220 1246 1005] /MissingWidth 332 /StemV 109 /StemH 109 "
     "/ItalicAngle 0 /CapHeight 1005 /XHeight 503 /Ascent 1005 /Descent -220 /Leading 225 "
     "/MaxWidth 1038 /AvgWidth 601",
     "/Flags 16390 /FontBBox [-250 -220 1246 1005] /MissingWidth 332 /StemV 191 /StemH 191 "
     "/ItalicAngle 0 /CapHeight 1005 /XHeight 503 /Ascent 1005 /Descent -220 /Leading 225 "
     "/MaxWidth 1038 /AvgWidth 600",
     "/Flags 70 /FontBBox [-250 -220 1246 1005] /MissingWidth 332 /StemV 109 /StemH 109 "
     "/ItalicAngle -11 /CapHeight 1005 /XHeight 503 /Ascent 1005 /Descent -220 /Leading 225 "
     "/MaxWidth 1038 /AvgWidth 600",
     "/Flags 16454 /FontBBox [-250 -220 1246 1005] /MissingWidth 332 /StemV 191 /StemH 191 "
     "/ItalicAngle -11 /CapHeight 1005 /XHeight 503 /Ascent 1005 /Descent -220 /Leading 225 "
     "/MaxWidth 1038 /AvgWidth 600"}};

const MetricSet kArial = {
    "Arial",
    32,
    {kArialWidths0, kArialWidths1, kArialWidths2, kArialWidths3},
    {272, 311, 259, 311},
    {"/Flags 32 /FontBBox [-250 -221 1190 1000] /MissingWidth 272 /StemV 80 /StemH 80 "
     "/ItalicAngle 0 /CapHeight 905 /XHeight 453 /Ascent 905 /Descent -212 /Leading 150 "
     "/MaxWidth 992 /AvgWidth 441",
     "/Flags 16416 /FontBBox [-250 -212 1120 1000] /MissingWidth 311 /StemV 153 /StemH 153 "
     "/ItalicAngle 0 /CapHeight 905 /XHeight 453 /Ascent 905 /Descent -212 /Leading 150 "
     "/MaxWidth 933 /AvgWidth 479",
     "/Flags 96 /FontBBox [-250 -212 1134 1000] /MissingWidth 259 /StemV 80 /StemH 80 "
     "/ItalicAngle -11 /CapHeight 905 /XHeight 453 /Ascent 905 /Descent -212 /Leading 150 "
     "/MaxWidth 945 /AvgWidth 441",
     "/Flags 16480 /FontBBox [-250 -212 1120 1000] /MissingWidth 311 /StemV 153 /StemH 153 "
     "/ItalicAngle -11 /CapHeight 905 /XHeight 453 /Ascent 905 /Descent -212 /Leading 150 "
     "/MaxWidth 933 /AvgWidth 479"}};

} // namespace

std::string_view styleSuffix(int32_t style)
{
    switch (style) {
    case 1:
        return ",Bold";
    case 2:
        return ",Italic";
    case 3:
        return ",BoldItalic";
    default:
        return {};
    }
}

FontMetric fontMetricFor(std::string_view normalisedFamily, int32_t style)
{
    const MetricSet& set = normalisedFamily == "TIMESNEWROMAN" ? kTimesNewRoman
                           : normalisedFamily == "COURIERNEW"  ? kCourierNew
                           : normalisedFamily == "SYMBOL"      ? kSymbol
                                                               : kArial;
    const std::size_t index = style >= 0 && style <= 3 ? static_cast<std::size_t>(style) : 0;
    FontMetric metric;
    metric.BaseFont =
        std::string(set.family) + std::string(styleSuffix(static_cast<int32_t>(index)));
    metric.FirstChar = set.firstChar;
    metric.LastChar = 255;
    metric.DescriptorText = set.descriptor[index];
    metric.Widths = set.widths[index];
    metric.MissingWidth = set.missingWidth[index];
    return metric;
}

} // namespace pdf

// Fonts: the viewer's built-in Type 1 fonts, and TrueType fonts declared with
// the built-in metric tables so that texts can be measured and aligned.
#include "PdfWriter.h"

#include "PdfText.h"

#include <algorithm>
#include <cctype>

namespace {

void removeBlanks(std::string& text)
{
    std::erase(text, ' ');
}

} // namespace

void PdfWriter::LoadFontStandard(const std::string& Name, std::string& BaseFont, int32_t Style)
{
    removeBlanks(BaseFont);
    const std::string name = pdf::toWinAnsi(Name);
    const int32_t object = BeginIndirectObject(0);
    put("<< /Type /Font /Subtype /Type1 /Name /");
    put(name);
    put(" /BaseFont /");
    put(pdf::toWinAnsi(BaseFont));
    put(pdf::styleSuffix(Style));
    put(" /Encoding /WinAnsiEncoding >>");
    endRecord();
    WriteEndObj();
    registerResource(m_fontResources, m_fontNames, name, object);
}

void PdfWriter::LoadFont(const std::string& Name, std::string& FontName, int32_t Style)
{
    removeBlanks(FontName);
    std::transform(FontName.begin(), FontName.end(), FontName.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    m_fontMetrics.push_back(pdf::fontMetricFor(FontName, Style));
    const pdf::FontMetric& metric = m_fontMetrics.back();
    WidthTable& widths = m_fontWidths.emplace_back();
    for (std::size_t code = 0; code < widths.size(); ++code)
        widths[code] = metric.width(static_cast<uint8_t>(code));
    m_fontInUseValid = false;

    const std::string name = pdf::toWinAnsi(Name);
    const int32_t object = BeginIndirectObject(0);
    put("<< /Type /Font \r/Subtype /TrueType\r/Name /");
    put(name);
    put("\r/BaseFont /");
    put(metric.BaseFont);
    put("\r/FirstChar ");
    putNumber(metric.FirstChar);
    put("\r/LastChar ");
    putNumber(metric.LastChar);
    put("\r/FontDescriptor ");
    put(std::to_string(object + 1));
    put(" 0 R\r/Encoding /WinAnsiEncoding\r/Widths [");
    endRecord();
    // Sixteen widths to a record, each followed by a blank.
    for (int code = metric.FirstChar; code <= metric.LastChar; ++code) {
        putNumber(metric.width(static_cast<uint8_t>(code)));
        put(" ");
        if ((code - metric.FirstChar + 1) % 16 == 0 || code == metric.LastChar)
            endRecord();
    }
    WriteLine("] >>");
    WriteEndObj();

    if (registerResource(m_fontResources, m_fontNames, name, object))
        m_fontIndex.emplace(name, m_fontMetrics.size() - 1);

    BeginIndirectObject(0);
    put("<<\r/Type /FontDescriptor\r/FontName /");
    put(metric.BaseFont);
    put("\r");
    put(metric.DescriptorText);
    put("\r>>");
    endRecord();
    WriteEndObj();
}

float PdfWriter::measure(std::string_view winAnsiText, const WidthTable& widths,
                         float fontSize) const
{
    int64_t sum = 0;
    int64_t blanks = 0;
    for (const char c : winAnsiText) {
        const auto code = static_cast<uint8_t>(c);
        sum += widths[code];
        blanks += code == ' ' ? 1 : 0;
    }
    const double count = static_cast<double>(winAnsiText.size());
    const double points = (static_cast<double>(sum) * fontSize / 1000 +
                           static_cast<double>(blanks) * m_wordSpacing + count * m_charSpacing) *
                          m_horizontalScaling / 100;
    return FromPoints(points);
}

const PdfWriter::FontUse& PdfWriter::fontInUse(const std::string& name)
{
    if (m_fontInUseValid && m_fontInUse.name == name)
        return m_fontInUse;
    m_fontInUse.name = name;
    pdf::toWinAnsi(name, m_fontInUse.resourceName);
    const auto found = m_fontIndex.find(m_fontInUse.resourceName);
    m_fontInUse.metric = found == m_fontIndex.end() ? kNoFont : found->second;
    m_fontInUseValid = true;
    return m_fontInUse;
}

const pdf::FontMetric* PdfWriter::LoadedFont(const std::string& Name) const
{
    const auto found = m_fontIndex.find(pdf::toWinAnsi(Name));
    return found == m_fontIndex.end() ? nullptr : &m_fontMetrics[found->second];
}

float PdfWriter::Length(const std::string& Text, const std::string& FontName, float FontSize)
{
    const std::size_t metric = fontInUse(FontName).metric;
    if (metric == kNoFont)
        return 0;
    pdf::toWinAnsi(Text, m_scratch);
    return measure(m_scratch, m_fontWidths[metric], FontSize);
}

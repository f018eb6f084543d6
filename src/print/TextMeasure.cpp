#include "TextMeasure.h"

#include <QFont>
#include <QPaintDevice>
#include <algorithm>

namespace {
constexpr double kTwipsPerInch = 1440;
} // namespace

TextMeasure::TextMeasure(QPaintDevice& device) : m_device(device)
{
    m_advances.fill(-1);
}

void TextMeasure::setFont(const FontState& font)
{
    if (font == m_font && m_metrics)
        return;
    m_font = font;
    m_metrics.reset();
    m_advances.fill(-1);
}

const QFontMetricsF& TextMeasure::metrics() const
{
    if (!m_metrics) {
        QFont font(m_font.name);
        font.setPointSizeF(std::max(m_font.size, 0.1));
        font.setBold(m_font.bold);
        font.setItalic(m_font.italic);
        font.setUnderline(m_font.underline);
        m_metrics = std::make_unique<QFontMetricsF>(font, &m_device);
        m_dpi = m_device.logicalDpiX();
    }
    return *m_metrics;
}

double TextMeasure::width(const QString& text) const
{
    const double advance = metrics().horizontalAdvance(text);
    return advance * kTwipsPerInch / m_dpi;
}

bool TextMeasure::clearlyNarrower(const QString& text, double twips) const
{
    constexpr double kShapingAllowance = 1.1;
    const QFontMetricsF& fm = metrics();
    double plain = 0;
    for (const QChar c : text) {
        if (c.unicode() >= m_advances.size())
            return false;
        double& advance = m_advances[c.unicode()];
        if (advance < 0)
            advance = std::max(0.0, fm.horizontalAdvance(c));
        plain += advance;
    }
    return plain * kShapingAllowance * kTwipsPerInch / m_dpi < twips;
}

double TextMeasure::lineHeight() const
{
    const double spacing = metrics().lineSpacing();
    return spacing * kTwipsPerInch / m_dpi;
}

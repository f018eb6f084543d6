#pragma once

#include "PageTarget.h"

#include <QFontMetricsF>
#include <QString>
#include <array>
#include <memory>

class QPaintDevice;

// Text measured on a paint device (the printer), in twips, in the font last
// set: layouts place their text by what the paper will show.
class TextMeasure
{
public:
    explicit TextMeasure(QPaintDevice& device);

    void setFont(const FontState& font);
    const FontState& font() const { return m_font; }

    double width(const QString& text) const;
    // True when text is clearly narrower than twips: its characters'
    // advances add up to well inside, and kerning moves a line of figures by
    // far less than the tenth allowed. False says nothing: width() tells.
    // It spares shaping the text, most of the cost of measuring it.
    bool clearlyNarrower(const QString& text, double twips) const;
    // The distance from one text line to the next.
    double lineHeight() const;

private:
    const QFontMetricsF& metrics() const;

    QPaintDevice& m_device;
    FontState m_font;
    mutable std::unique_ptr<QFontMetricsF> m_metrics;
    mutable double m_dpi = 0;
    // Advances of the first 256 characters in the font, in device units,
    // found as they are met (negative: not yet).
    mutable std::array<double, 256> m_advances;
};

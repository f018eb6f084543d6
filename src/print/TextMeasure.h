#pragma once

#include "PageTarget.h"

#include <QFontMetricsF>
#include <QString>
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
    // The distance from one text line to the next.
    double lineHeight() const;

private:
    const QFontMetricsF& metrics() const;

    QPaintDevice& m_device;
    FontState m_font;
    mutable std::unique_ptr<QFontMetricsF> m_metrics;
    mutable double m_dpi = 0;
};

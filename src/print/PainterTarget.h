#pragma once

#include "PageTarget.h"

#include <QFont>
#include <QFontMetricsF>

class QPainter;

// The printer and the preview picture: both are painted with QPainter, in
// device pixels, from twips.
class PainterTarget : public PageTarget
{
public:
    enum class Kind { Printer, Preview };

    // pixelsPerTwip maps the paper onto the device, zoom included.
    PainterTarget(QPainter& painter, Kind kind, double pixelsPerTwip);

    void setFont(const FontState& font) override;
    double truncationWidth(const QString& text) override;
    void drawText(double x, double y, const QString& text, int align) override;
    void drawBox(double top, double left, double bottom, double right, double lineWidth,
                 bool shadow, double unitX, double unitY) override;
    void drawLine(double x1, double y1, double x2, double y2, double lineWidth) override;
    void drawImage(double top, double left, double width, double height,
                   const QString& path) override;
    void fillRect(double top, double left, double bottom, double right, unsigned colour) override;
    void drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                          unsigned colour) override;

private:
    // The pen in device pixels for a line width of the page records.
    double penWidth(double lineWidth) const;

    QPainter& m_painter;
    Kind m_kind;
    double m_scale;
    QFont m_font;
    QFontMetricsF m_metrics;
};

// Line widths on paper are counted in pixels of a 600 dpi printer, the
// resolution the layouts were drawn for.
inline constexpr double kLineWidthDpi = 600;

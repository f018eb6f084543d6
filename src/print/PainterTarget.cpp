#include "PainterTarget.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace {

// A small cache of decoded pictures: the preview replays a page at every
// repaint and a logo should not be read from disk each time.
QImage loadPageImage(const QString& path)
{
    struct Entry
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        QImage image;
    };
    static Entry cached;
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    if (cached.path == path && cached.modified == info.lastModified() && cached.size == info.size())
        return cached.image;
    QImageReader reader(path);
    QImage image = reader.read();
    cached = {path, info.lastModified(), info.size(), image};
    return image;
}

QFont makeFont(const FontState& state, double pointSize)
{
    QFont font(state.name);
    font.setPointSizeF(std::max(pointSize, 0.1));
    font.setBold(state.bold);
    font.setItalic(state.italic);
    font.setUnderline(state.underline);
    return font;
}

} // namespace

PainterTarget::PainterTarget(QPainter& painter, Kind kind, double pixelsPerTwip)
    : m_painter(painter), m_kind(kind), m_scale(pixelsPerTwip), m_metrics(m_font, painter.device())
{
    m_painter.setRenderHint(QPainter::Antialiasing, kind == Kind::Preview);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    setFont(FontState());
}

void PainterTarget::setFont(const FontState& state)
{
    // Point sizes are given for the paper; the device's own resolution is
    // taken out so that a point covers 20 twips of the page picture.
    const double dpi = m_painter.device()->logicalDpiY();
    const double pointSize = state.size * 20 * m_scale * 72 / dpi;
    m_font = makeFont(state, pointSize);
    m_painter.setFont(m_font);
    m_metrics = QFontMetricsF(m_font, m_painter.device());
}

double PainterTarget::truncationWidth(const QString& text)
{
    return m_metrics.horizontalAdvance(text) / m_scale;
}

void PainterTarget::drawText(double x, double y, const QString& text, int align)
{
    if (text.isEmpty())
        return;
    double left = x * m_scale;
    if (align == 1 || align == 2) {
        const double width = m_metrics.horizontalAdvance(text);
        left -= align == 1 ? width : width / 2;
    }
    m_painter.setPen(QPen(Qt::black));
    m_painter.drawText(QPointF(left, y * m_scale + m_metrics.ascent()), text);
}

double PainterTarget::penWidth(double lineWidth) const
{
    // The preview shows the page as the PDF draws it: a width of twips,
    // scaled as the rest of the page, and never thinner than one pixel so
    // that a hairline stays visible.
    if (m_kind == Kind::Preview)
        return std::max(1.0, lineWidth * m_scale);
    const double dpi = m_painter.device()->logicalDpiX();
    return std::max(1.0, std::floor(lineWidth)) * dpi / kLineWidthDpi;
}

void PainterTarget::drawBox(double top, double left, double bottom, double right, double lineWidth,
                            bool shadow, double unitX, double unitY)
{
    const double width = penWidth(lineWidth);
    QPen pen(Qt::black, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    const QPointF a(left * unitX * m_scale, top * unitY * m_scale);
    const QPointF b(right * unitX * m_scale, bottom * unitY * m_scale);
    m_painter.drawRect(QRectF(a, b).normalized());
    if (!shadow)
        return;
    pen.setWidthF(width * 2);
    m_painter.setPen(pen);
    auto at = [&](double col, double row) {
        return QPointF(col * unitX * m_scale, row * unitY * m_scale);
    };
    m_painter.drawLine(at(left + 0.35, bottom + 0.1), at(right + 0.1, bottom + 0.1));
    m_painter.drawLine(at(right + 0.1, top + 0.25), at(right + 0.1, bottom + 0.1));
}

void PainterTarget::drawLine(double x1, double y1, double x2, double y2, double lineWidth)
{
    m_painter.setPen(QPen(Qt::black, penWidth(lineWidth), Qt::SolidLine, Qt::SquareCap));
    m_painter.drawLine(QPointF(x1 * m_scale, y1 * m_scale), QPointF(x2 * m_scale, y2 * m_scale));
}

void PainterTarget::drawImage(double top, double left, double width, double height,
                              const QString& path)
{
    const QImage image = loadPageImage(path);
    if (image.isNull())
        return;
    m_painter.drawImage(QRectF(left * m_scale, top * m_scale, width * m_scale, height * m_scale),
                        image);
}

void PainterTarget::fillRect(double top, double left, double bottom, double right, unsigned colour)
{
    const QRectF area(QPointF(left * m_scale, top * m_scale),
                      QPointF(right * m_scale, bottom * m_scale));
    m_painter.fillRect(area.normalized(), QColor::fromRgb(QRgb(colour)));
}

void PainterTarget::drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                                     unsigned colour)
{
    m_painter.setPen(QPen(QColor::fromRgb(QRgb(colour)), penWidth(lineWidth), Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
    m_painter.drawLine(QPointF(x1 * m_scale, y1 * m_scale), QPointF(x2 * m_scale, y2 * m_scale));
}

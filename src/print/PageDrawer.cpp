#include "PageDrawer.h"

#include "TextLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions beyond this many twips (about 17 metres) can only come from a
// damaged page file; drawing them would only burden the painter.
constexpr double kMaxTwips = 1e6;
constexpr double kMaxFontSize = 1000;
constexpr double kMaxLineWidth = 1000;

bool sane(double twips)
{
    return std::isfinite(twips) && std::abs(twips) <= kMaxTwips;
}

} // namespace

bool usableFontSize(double points)
{
    return std::isfinite(points) && points > 0 && points <= kMaxFontSize;
}

PageDrawer::PageDrawer(PageTarget& target) : m_target(target) {}

void PageDrawer::setFont(const FontState& font)
{
    m_font = font;
    m_target.setFont(m_font);
}

void PageDrawer::SetFontName(const QString& name)
{
    m_font.name = name;
    m_target.setFont(m_font);
}

void PageDrawer::SetFontSize(double points)
{
    if (!usableFontSize(points))
        return;
    m_font.size = points;
    m_target.setFont(m_font);
}

void PageDrawer::SetFontBold(bool on)
{
    m_font.bold = on;
    m_target.setFont(m_font);
}

void PageDrawer::SetFontItalic(bool on)
{
    m_font.italic = on;
    m_target.setFont(m_font);
}

void PageDrawer::SetFontUnderline(bool on)
{
    m_font.underline = on;
    m_target.setFont(m_font);
}

void PageDrawer::PrintText(double row, double col, double maxWidth, const QString& text, int align)
{
    if (!m_target.ready() || text.isEmpty())
        return;
    const double x = col * UnitX;
    const double y = row * UnitY;
    if (!sane(x) || !sane(y))
        return;
    QString shown = text;
    if (maxWidth > 0 && std::isfinite(maxWidth))
        shown = TextLayout::fitToWidth(text, maxWidth * UnitX, [this](const QString& s) {
            return m_target.truncationWidth(s);
        });
    m_target.drawText(x, y, shown, align);
}

void PageDrawer::PrintTextStyled(double row, double col, double maxWidth, double size, int align,
                                 const QString& styleMask, const QString& text)
{
    const FontState saved = m_font;
    const QString mask = styleMask.trimmed();
    auto on = [&mask](int i) { return mask.size() > i && mask.at(i) == QLatin1Char('1'); };
    FontState styled = m_font;
    styled.bold = on(0);
    styled.italic = on(1);
    styled.underline = on(2);
    if (usableFontSize(size))
        styled.size = size;
    setFont(styled);
    PrintText(row, col, maxWidth, text, align == 1 || align == 2 ? align : 0);
    setFont(saved);
}

void PageDrawer::DrawBox(double top, double left, double bottom, double right, double lineWidth,
                         int shadow)
{
    if (!m_target.ready())
        return;
    for (double v : {top * UnitY, bottom * UnitY, left * UnitX, right * UnitX})
        if (!sane(v))
            return;
    m_target.drawBox(top, left, bottom, right, std::clamp(lineWidth, 0.0, kMaxLineWidth),
                     shadow == 1, UnitX, UnitY);
}

void PageDrawer::DrawHLine(double row, double col1, double col2, double lineWidth)
{
    const double y = row * UnitY, x1 = col1 * UnitX, x2 = col2 * UnitX;
    if (m_target.ready() && sane(y) && sane(x1) && sane(x2))
        m_target.drawLine(x1, y, x2, y, std::clamp(lineWidth, 0.0, kMaxLineWidth));
}

void PageDrawer::DrawVLine(double col, double row1, double row2, double lineWidth)
{
    const double x = col * UnitX, y1 = row1 * UnitY, y2 = row2 * UnitY;
    if (m_target.ready() && sane(x) && sane(y1) && sane(y2))
        m_target.drawLine(x, y1, x, y2, std::clamp(lineWidth, 0.0, kMaxLineWidth));
}

void PageDrawer::DrawImage(double top, double left, double width, double height,
                           const QString& path)
{
    if (!m_target.ready())
        return;
    for (double v : {top, left, width, height})
        if (!sane(v))
            return;
    m_target.drawImage(top, left, width, height, path);
}

void PageDrawer::DrawFilledBox(double top, double left, double bottom, double right,
                               unsigned colour)
{
    const double y1 = top * UnitY, x1 = left * UnitX, y2 = bottom * UnitY, x2 = right * UnitX;
    if (m_target.ready() && sane(y1) && sane(x1) && sane(y2) && sane(x2))
        m_target.fillRect(y1, x1, y2, x2, colour & 0xFFFFFFu);
}

void PageDrawer::DrawColouredLine(double row1, double col1, double row2, double col2,
                                  double lineWidth, unsigned colour)
{
    const double y1 = row1 * UnitY, x1 = col1 * UnitX, y2 = row2 * UnitY, x2 = col2 * UnitX;
    if (m_target.ready() && sane(y1) && sane(x1) && sane(y2) && sane(x2))
        m_target.drawColouredLine(x1, y1, x2, y2, std::clamp(lineWidth, 0.0, kMaxLineWidth),
                                  colour & 0xFFFFFFu);
}

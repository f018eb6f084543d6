#include "PdfTarget.h"

#include "PdfWriter.h"

#include <algorithm>

namespace {

std::string pdfFamily(const QString& faceName)
{
    return faceName.left(5).compare(QLatin1String("Times"), Qt::CaseInsensitive) == 0 ? "TNR"
                                                                                      : "Arial";
}

} // namespace

PdfTarget::PdfTarget(PdfWriter& writer, QPaintDevice& measuringDevice, bool logoLoaded)
    : m_writer(writer), m_measure(measuringDevice), m_logoLoaded(logoLoaded)
{
}

void PdfTarget::setFont(const FontState& font)
{
    m_measure.setFont(font);
    m_family = pdfFamily(font.name);
    m_fontSize = font.size;
    m_bold = font.bold;
    m_italic = font.italic;
}

std::string PdfTarget::fontKey() const
{
    return m_family + (m_bold ? "B" : "") + (m_italic ? "I" : "");
}

double PdfTarget::truncationWidth(const QString& text)
{
    return m_measure.width(text);
}

void PdfTarget::drawText(double x, double y, const QString& text, int align)
{
    if (text.isEmpty())
        return;
    // The baseline lies one font size below the top of the row.
    float cx = float(x / kTwipsPerCentimetre);
    const float cy =
        float(kPdfPageHeight - y / kTwipsPerCentimetre - m_fontSize * kCentimetresPerPoint);
    m_writer.DrawText(cx, cy, text.toStdString(), fontKey(), float(m_fontSize),
                      align == 1 || align == 2 ? align : 0, 0);
}

void PdfTarget::drawBox(double top, double left, double bottom, double right, double lineWidth,
                        bool shadow, double unitX, double unitY)
{
    const double x1 = std::min(left, right) * unitX / kTwipsPerCentimetre;
    const double x2 = std::max(left, right) * unitX / kTwipsPerCentimetre;
    const double yTop = std::min(top, bottom) * unitY / kTwipsPerCentimetre;
    const double yBottom = std::max(top, bottom) * unitY / kTwipsPerCentimetre;
    const float x = float(x1);
    const float y = float(kPdfPageHeight - yBottom);
    const float width = float(x2 - x1);
    const float height = float(yBottom - yTop);
    m_writer.SetLineWidth(float(lineWidth / kTwipsPerCentimetre));
    float radius = 0;
    m_writer.Rectangle(x, y, width, height, 1, radius);
    if (!shadow)
        return;
    m_writer.SetLineWidth(float(2 * lineWidth / kTwipsPerCentimetre));
    m_writer.MoveTo(x, y);
    m_writer.LineTo(x + width + 0.1f, y - 0.05f, 0);
    m_writer.LineTo(x + width + 0.1f, y + height - 0.05f, 1);
}

void PdfTarget::drawLine(double x1, double y1, double x2, double y2, double lineWidth)
{
    m_writer.SetLineWidth(float(lineWidth / kTwipsPerCentimetre));
    m_writer.MoveTo(float(x1 / kTwipsPerCentimetre),
                    float(kPdfPageHeight - y1 / kTwipsPerCentimetre));
    m_writer.LineTo(float(x2 / kTwipsPerCentimetre),
                    float(kPdfPageHeight - y2 / kTwipsPerCentimetre), 1);
}

void PdfTarget::drawImage(double top, double left, double width, double height, const QString&)
{
    // Every picture of a PDF is the logo loaded when the file was started;
    // without it the page goes out without a picture rather than naming an
    // image the file does not hold.
    if (!m_logoLoaded)
        return;
    m_writer.DrawImg("Img1", float(left / kTwipsPerCentimetre),
                     float(kPdfPageHeight - top / kTwipsPerCentimetre),
                     float(width / kTwipsPerCentimetre), float(height / kTwipsPerCentimetre));
}

#include "PdfTarget.h"

#include "PdfFontMetrics.h"
#include "PdfText.h"
#include "PdfWriter.h"

#include <algorithm>

namespace {

// A point of the PDF in the twips of the layout: the twips become
// centimetres at 567 to the centimetre, which the writer turns into points.
constexpr double kTwipsPerPdfPoint = kTwipsPerCentimetre * 2.54 / 72;

const char* pdfFamily(const QString& faceName)
{
    return faceName.left(5).compare(QLatin1String("Times"), Qt::CaseInsensitive) == 0 ? "TNR"
                                                                                      : "Arial";
}

// The code point at i, moving i past a surrogate pair; a lone surrogate
// stands for the replacement character, as in any conversion of Qt's.
char32_t codePointAt(const QString& text, qsizetype& i)
{
    const char16_t c = text.at(i).unicode();
    if (!QChar::isSurrogate(c))
        return c;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(++i).unicode());
    return QChar::ReplacementCharacter;
}

// The writer takes colours with red in the lowest byte.
int32_t writerColour(unsigned rgb)
{
    return int32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// The writer's path styles.
constexpr uint8_t kStrokePath = 1;
constexpr uint8_t kFillPath = 4;
constexpr int16_t kButtCap = 0;
constexpr int16_t kRoundCap = 1;

} // namespace

PdfTarget::PdfTarget(PdfWriter& writer, bool logoLoaded)
    : m_writer(writer), m_logoLoaded(logoLoaded)
{
    useMetric(writer.LoadedFont(m_fontKey));
}

void PdfTarget::setFont(const FontState& font)
{
    m_fontKey = pdfFamily(font.name);
    if (font.bold)
        m_fontKey += 'B';
    if (font.italic)
        m_fontKey += 'I';
    m_fontSize = font.size;
    useMetric(m_writer.LoadedFont(m_fontKey));
}

void PdfTarget::useMetric(const pdf::FontMetric* metric)
{
    if (metric == m_metric)
        return;
    m_metric = metric;
    for (char16_t unit = 0; unit < m_latin1Widths.size() && metric; ++unit)
        m_latin1Widths[unit] = metric->width(uint8_t(pdf::winAnsiByte(unit)));
}

const std::string& PdfTarget::utf8(const QString& text)
{
    // Qt's encoder is the quicker for the plain letters most texts are made
    // of. A lone surrogate becomes the replacement character, which the
    // writer prints as "?", as it does any character its fonts lack.
    m_text.resize(size_t(m_utf8.requiredSpace(text.size())));
    char* const first = m_text.data();
    const char* const end = m_utf8.appendToBuffer(first, text);
    m_text.resize(size_t(end - first));
    return m_text;
}

double PdfTarget::truncationWidth(const QString& text)
{
    // The writer's own widths are those of the fonts the file names, so a
    // text cut against them fits its room in the PDF exactly. (Measuring on
    // the printer shaped every text, most of the time of an export, and
    // measured a face the PDF does not draw.) Each character counts as the
    // byte the writer turns it into.
    if (!m_metric)
        return 0;
    int64_t sum = 0;
    const auto* const units = reinterpret_cast<const char16_t*>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (units[i] < m_latin1Widths.size())
            sum += m_latin1Widths[units[i]];
        else
            sum += m_metric->width(uint8_t(pdf::winAnsiByte(codePointAt(text, i))));
    }
    return double(sum) * m_fontSize / 1000 * kTwipsPerPdfPoint;
}

void PdfTarget::drawText(double x, double y, const QString& text, int align)
{
    if (text.isEmpty())
        return;
    // The baseline lies one font size below the top of the row.
    float cx = float(x / kTwipsPerCentimetre);
    const float cy =
        float(kPdfPageHeight - y / kTwipsPerCentimetre - m_fontSize * kCentimetresPerPoint);
    m_writer.DrawText(cx, cy, utf8(text), m_fontKey, float(m_fontSize),
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

// Every other record draws in black with square ends: the colour and the
// round ends are put back after each coloured shape.
void PdfTarget::fillRect(double top, double left, double bottom, double right, unsigned colour)
{
    const double x1 = std::min(left, right) / kTwipsPerCentimetre;
    const double x2 = std::max(left, right) / kTwipsPerCentimetre;
    const double yTop = std::min(top, bottom) / kTwipsPerCentimetre;
    const double yBottom = std::max(top, bottom) / kTwipsPerCentimetre;
    m_writer.SetColorFill(writerColour(colour));
    float radius = 0;
    m_writer.Rectangle(float(x1), float(kPdfPageHeight - yBottom), float(x2 - x1),
                       float(yBottom - yTop), kFillPath, radius);
    m_writer.SetColorFill(0);
}

void PdfTarget::drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                                 unsigned colour)
{
    m_writer.SetColorStroke(writerColour(colour));
    m_writer.SetLineCap(kRoundCap);
    m_writer.SetLineWidth(float(lineWidth / kTwipsPerCentimetre));
    m_writer.MoveTo(float(x1 / kTwipsPerCentimetre),
                    float(kPdfPageHeight - y1 / kTwipsPerCentimetre));
    m_writer.LineTo(float(x2 / kTwipsPerCentimetre),
                    float(kPdfPageHeight - y2 / kTwipsPerCentimetre), kStrokePath);
    m_writer.SetLineCap(kButtCap);
    m_writer.SetColorStroke(0);
}

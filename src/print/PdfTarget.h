#pragma once

#include "PageTarget.h"

#include <QStringEncoder>

#include <array>
#include <cstdint>
#include <string>

class PdfWriter;
namespace pdf {
struct FontMetric;
}

// The PDF writer: centimetres from the bottom-left corner, fonts by key.
class PdfTarget : public PageTarget
{
public:
    // Without logoLoaded the image records draw nothing. The writer works in
    // centimetres.
    PdfTarget(PdfWriter& writer, bool logoLoaded);

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
    // m_text becomes text in UTF-8, as the writer takes it.
    const std::string& utf8(const QString& text);
    void useMetric(const pdf::FontMetric* metric);

    PdfWriter& m_writer;
    bool m_logoLoaded;
    // The font key of the current state: family, then "B", then "I".
    std::string m_fontKey = "Arial";
    double m_fontSize = 10;
    // The widths of the font key's font in the file, and those of the first
    // 256 characters by the byte each becomes.
    const pdf::FontMetric* m_metric = nullptr;
    std::array<int32_t, 256> m_latin1Widths{};
    // The UTF-8 of the text being drawn; one buffer serves every text.
    std::string m_text;
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
};

inline constexpr double kTwipsPerCentimetre = 567;
inline constexpr double kCentimetresPerPoint = 0.0353;
// A4 portrait, the paper of every exported page.
inline constexpr double kPdfPageHeight = 29.7;

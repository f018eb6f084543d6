#pragma once

#include "PageTarget.h"
#include "TextMeasure.h"

#include <string>

class PdfWriter;
class QPaintDevice;

// The PDF writer: centimetres from the bottom-left corner, fonts by key.
class PdfTarget : public PageTarget
{
public:
    // Text is cut against the measure of measuringDevice (the printer), as
    // when printing. Without logoLoaded the image records draw nothing.
    PdfTarget(PdfWriter& writer, QPaintDevice& measuringDevice, bool logoLoaded);

    void setFont(const FontState& font) override;
    double truncationWidth(const QString& text) override;
    void drawText(double x, double y, const QString& text, int align) override;
    void drawBox(double top, double left, double bottom, double right, double lineWidth,
                 bool shadow, double unitX, double unitY) override;
    void drawLine(double x1, double y1, double x2, double y2, double lineWidth) override;
    void drawImage(double top, double left, double width, double height,
                   const QString& path) override;

private:
    // The font key of the current state: family, then "B", then "I".
    std::string fontKey() const;

    PdfWriter& m_writer;
    TextMeasure m_measure;
    bool m_logoLoaded;
    std::string m_family = "Arial";
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
};

inline constexpr double kTwipsPerCentimetre = 567;
inline constexpr double kCentimetresPerPoint = 0.0353;
// A4 portrait, the paper of every exported page.
inline constexpr double kPdfPageHeight = 29.7;

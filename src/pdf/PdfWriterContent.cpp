// Drawing operations: each call turns at once into content-stream operators of
// the page or form object being written.
#include "PdfWriter.h"

#include "PdfText.h"

#include <cmath>

namespace {

constexpr uint8_t kStroke = 1;
constexpr uint8_t kClose = 2;
constexpr uint8_t kFill = 4;

// The angle factor is kept at the single precision the layouts were made with.
constexpr double kDegreesToRadians = double{3.141592f} / 180;

} // namespace

void PdfWriter::SetWordSpacing(float Value)
{
    m_wordSpacing = Value;
    putNumber(Value);
    put(" Tw");
    endRecord();
}

void PdfWriter::SetCharSpacing(float Value)
{
    m_charSpacing = Value;
    putNumber(Value);
    put(" Tc");
    endRecord();
}

void PdfWriter::SetTextHorizontalScaling(float Value)
{
    m_horizontalScaling = Value;
    putNumber(Value);
    put(" Tz");
    endRecord();
}

void PdfWriter::SetTextRenderingMode(float Mode)
{
    if (Mode < 0 || Mode > 2)
        return;
    putNumber(Mode);
    put(" Tr");
    endRecord();
}

void PdfWriter::DrawText(float& X, float Y, const std::string& Text, const std::string& FontName,
                         float FontSize, int32_t Align, float Rotation)
{
    // Plain ASCII, most texts, is the same in Windows-1252: no copy.
    std::string_view text = Text;
    if (!pdf::isAscii(text)) {
        pdf::toWinAnsi(Text, m_scratch);
        text = m_scratch;
    }
    const FontUse& font = fontInUse(FontName);
    if ((Align == 1 || Align == 2) && font.metric != kNoFont) {
        const float length = measure(text, m_fontWidths[font.metric], FontSize);
        X -= Align == 1 ? length : length / 2;
    }
    put("BT\r\n/");
    put(font.resourceName);
    put(" ");
    putNumber(FontSize);
    put(" Tf");
    endRecord();
    if (Rotation == 0) {
        putPoints(X);
        put(" ");
        putPoints(Y);
        put(" Td");
    } else {
        const double angle = Rotation * kDegreesToRadians;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        putNumber(c);
        put(" ");
        putNumber(s);
        put(" ");
        putNumber(-s);
        put(" ");
        putNumber(c);
        put(" ");
        putPoints(X);
        put(" ");
        putPoints(Y);
        put(" Tm");
    }
    endRecord();
    put("(");
    pdf::appendEscaped(m_buffer, text);
    put(") Tj\r\nET");
    endRecord();
}

void PdfWriter::setColor(int32_t color, std::string_view rgbOperator, std::string_view grayOperator)
{
    if (color > 0 || color < -255) {
        // Windows layout: red in the lowest byte. Division truncates like the
        // integer arithmetic the colour values come from.
        putNumber((color % 256) / 255.0);
        put(" ");
        putNumber((color / 256 % 256) / 255.0);
        put(" ");
        putNumber((color / 65536 % 256) / 255.0);
        put(rgbOperator);
    } else {
        putNumber(-color / 255.0);
        put(grayOperator);
    }
    endRecord();
}

void PdfWriter::SetColorStroke(int32_t Color)
{
    setColor(Color, " RG", " G");
}

void PdfWriter::SetColorFill(int32_t Color)
{
    setColor(Color, " rg", " g");
}

void PdfWriter::SetDash(float DashOn, float DashOff)
{
    if (DashOn == 0 && DashOff == 0) {
        WriteLine("[ ] 0 d");
        return;
    }
    put("[");
    putPoints(DashOn);
    put(" ");
    putPoints(DashOff);
    put("] 0 d");
    endRecord();
}

void PdfWriter::SetLineWidth(float Width)
{
    putPoints(Width);
    put(" w");
    endRecord();
}

void PdfWriter::SetLineCap(int16_t Cap)
{
    if (Cap < 0 || Cap > 2)
        return;
    putNumber(Cap);
    put(" J");
    endRecord();
}

void PdfWriter::SetLineJoin(int16_t Join)
{
    if (Join < 0 || Join > 2)
        return;
    putNumber(Join);
    put(" j");
    endRecord();
}

void PdfWriter::SetMiterLimit(float Limit)
{
    if (!(Limit >= 1))
        return;
    putNumber(Limit);
    put(" M");
    endRecord();
}

void PdfWriter::PaintPath(uint8_t style)
{
    const bool stroke = (style & kStroke) != 0;
    const bool close = (style & kClose) != 0;
    const bool fill = (style & kFill) != 0;
    if (fill && stroke) {
        WriteLine(close ? "b" : "B");
    } else if (fill) {
        WriteLine("f");
    } else {
        if (close)
            WriteLine("h");
        if (stroke)
            WriteLine("S");
    }
}

void PdfWriter::MoveTo(float X, float Y)
{
    putPoints(X);
    put(" ");
    putPoints(Y);
    put(" m");
    endRecord();
}

void PdfWriter::LineTo(float X, float Y, uint8_t Style)
{
    putPoints(X);
    put(" ");
    putPoints(Y);
    put(" l");
    endRecord();
    PaintPath(Style);
}

void PdfWriter::Curve(float X1, float Y1, float X2, float Y2, float X3, float Y3, uint8_t Style)
{
    const float values[] = {X1, Y1, X2, Y2, X3, Y3};
    for (const float value : values) {
        putPoints(value);
        put(" ");
    }
    put("c");
    endRecord();
    PaintPath(Style);
}

void PdfWriter::Rectangle(float X, float Y, float Width, float Height, uint8_t Style, float& Radius)
{
    WriteLine("n");
    if (Radius > 0) {
        if (Radius > Width / 2)
            Radius = Width / 2;
        if (Radius > Height / 2)
            Radius = Height / 2;
        const float r = Radius;
        const float k = r * 0.55f;
        const float right = X + Width;
        const float top = Y + Height;
        MoveTo(X + r, Y);
        LineTo(right - r, Y, 0);
        Curve(right - r + k, Y, right, Y + r - k, right, Y + r, 0);
        LineTo(right, top - r, 0);
        Curve(right, top - r + k, right - r + k, top, right - r, top, 0);
        LineTo(X + r, top, 0);
        Curve(X + r - k, top, X, top - r + k, X, top - r, 0);
        LineTo(X, Y + r, 0);
        Curve(X, Y + r - k, X + r - k, Y, X + r, Y, 0);
    } else {
        putPoints(X);
        put(" ");
        putPoints(Y);
        put(" ");
        putPoints(Width);
        put(" ");
        putPoints(Height);
        put(" re");
        endRecord();
    }
    PaintPath(Style);
}

void PdfWriter::DrawCircle(float X, float Y, float R, uint8_t Style)
{
    const float k = 0.55f * R;
    MoveTo(X, Y - R);
    Curve(X + k, Y - R, X + R, Y - k, X + R, Y, 0);
    Curve(X + R, Y + k, X + k, Y + R, X, Y + R, 0);
    Curve(X - k, Y + R, X - R, Y + k, X - R, Y, 0);
    Curve(X - R, Y - k, X - k, Y - R, X, Y - R, 0);
    PaintPath(Style);
}

void PdfWriter::Arc(float X, float Y, float R, float StartAngle, float EndAngle, float Ratio,
                    bool& Pie, float Rotation, int16_t Step, uint8_t Style)
{
    WriteLine("n");
    MoveTo(X, Y);
    if ((Style & kFill) != 0)
        Pie = true;
    const double rs = std::sin(-kDegreesToRadians * Rotation);
    const double rc = std::cos(-kDegreesToRadians * Rotation);
    // A counted loop that may run downwards; a zero step, or one too small to
    // move the angle, would never end and draws no arc instead.
    const auto step = static_cast<float>(Step);
    for (float t = StartAngle; step > 0 ? t <= EndAngle : step < 0 && t >= EndAngle;) {
        const double px = R * std::cos(kDegreesToRadians * t);
        const double py = Ratio * R * std::sin(kDegreesToRadians * t);
        const double dx = rc * px + rs * py;
        const double dy = -px * rs + rc * py;
        const auto pointX = static_cast<float>(X + dx);
        const auto pointY = static_cast<float>(Y + dy);
        if (!Pie && t == StartAngle)
            MoveTo(pointX, pointY);
        LineTo(pointX, pointY, 0);
        const float next = t + step;
        if (next == t)
            break;
        t = next;
    }
    if (Pie)
        LineTo(X, Y, 0);
    PaintPath(Style);
}

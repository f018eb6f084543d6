#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QString>
#include <functional>
#include <string>

class PdfWriter;
class QPainter;

// The font last set on a target or on the printer.
struct FontState
{
    QString name = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool underline = false;
    bool italic = false;

    bool operator==(const FontState&) const = default;
};

// Where a replayed page is drawn. Positions are in twips from the top-left
// corner of the paper; box corners come in layout units with the unit sizes
// because each target draws the shadow in its own way.
class PageTarget
{
public:
    virtual ~PageTarget() = default;

    virtual void setFont(const FontState& font) = 0;
    // The width, in twips, against which a text is cut to its maximum width.
    virtual double truncationWidth(const QString& text) = 0;
    // align 0: text starts at x; 1: ends at x; 2: centred on x. y is the top
    // of the text line.
    virtual void drawText(double x, double y, const QString& text, int align) = 0;
    virtual void drawBox(double top, double left, double bottom, double right, double lineWidth,
                         bool shadow, double unitX, double unitY) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, double lineWidth) = 0;
    virtual void drawImage(double top, double left, double width, double height,
                           const QString& path) = 0;
};

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

    // The pen in device pixels for a line width of the page records.
    double penWidth(double lineWidth) const;

private:
    QPainter& m_painter;
    Kind m_kind;
    double m_scale;
    QFont m_font;
    QFontMetricsF m_metrics;
};

// The PDF writer: centimetres from the bottom-left corner, fonts by key.
class PdfTarget : public PageTarget
{
public:
    // Text is cut against the printer's measure, as when printing.
    PdfTarget(PdfWriter& writer, std::function<double(const QString&)> printerWidth,
              bool logoLoaded, double pageHeight = 29.7);

    void setFont(const FontState& font) override;
    double truncationWidth(const QString& text) override;
    void drawText(double x, double y, const QString& text, int align) override;
    void drawBox(double top, double left, double bottom, double right, double lineWidth,
                 bool shadow, double unitX, double unitY) override;
    void drawLine(double x1, double y1, double x2, double y2, double lineWidth) override;
    void drawImage(double top, double left, double width, double height,
                   const QString& path) override;

    // The font key of the current state: family, then "B", then "I".
    std::string fontKey() const;
    double pdfFontSize() const { return m_fontSize; }

private:
    PdfWriter& m_writer;
    std::function<double(const QString&)> m_printerWidth;
    bool m_logoLoaded;
    double m_pageHeight;
    std::string m_family = "Arial";
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
};

inline constexpr double kTwipsPerCentimetre = 567;
inline constexpr double kCentimetresPerPoint = 0.0353;
// Line widths on paper are counted in pixels of a 600 dpi printer, the
// resolution the layouts were drawn for.
inline constexpr double kLineWidthDpi = 600;

// The family key of a face name: Times faces are "TNR", everything else
// "Arial".
std::string pdfFamily(const QString& faceName);

// A small cache of decoded pictures: the preview replays a page at every
// repaint and a logo should not be read from disk each time.
QImage loadPageImage(const QString& path);

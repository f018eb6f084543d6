#pragma once

#include <QString>

// The font last set on a target or on the measuring device.
struct FontState
{
    QString name = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool underline = false;
    bool italic = false;

    bool operator==(const FontState&) const = default;
};

// Where a page is drawn. Positions are in twips from the top-left corner of
// the paper; box corners come in layout units with the unit sizes because
// each target draws the shadow in its own way.
class PageTarget
{
public:
    virtual ~PageTarget() = default;

    // Whether drawing can go on. The printer starts its job here, at the
    // first drawing rather than at a font change.
    virtual bool ready() { return true; }
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
    // Charts: a rectangle filled in colour (0xRRGGBB) without an outline,
    // and a line in colour, with round ends so that the segments of a
    // polyline join without notches.
    virtual void fillRect(double top, double left, double bottom, double right,
                          unsigned colour) = 0;
    virtual void drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                                  unsigned colour) = 0;
};

// Paper that a layout draws straight onto, without recording: sheet after
// sheet, then the end of the job, which prints it.
class SheetTarget : public PageTarget
{
public:
    virtual bool newSheet(QString* error) = 0;
    // True as well when nothing was drawn and so no job had started.
    virtual bool endSheets(QString* error) = 0;
};

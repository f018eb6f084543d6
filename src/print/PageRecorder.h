#pragma once

#include "PageFileWriter.h"
#include "PageTarget.h"
#include "TextMeasure.h"

#include <QSizeF>
#include <QString>
#include <cstdint>
#include <memory>

class PageDrawer;
class PageStore;
class QPagedPaintDevice;

// What layouts draw with, in rows and columns. While a document is being
// recorded (BeginDocument to EndDocument) each call becomes one record of a
// page file; otherwise, once given paper by drawStraightOn, each call draws
// on it at once, as labels are printed. Fonts are set on the measuring
// device as well, so that widths taken while recording are those of print.
class PageRecorder
{
public:
    PageRecorder(PageStore& store, QPagedPaintDevice& device);
    ~PageRecorder();
    PageRecorder(const PageRecorder&) = delete;
    PageRecorder& operator=(const PageRecorder&) = delete;

    // Twips per layout row and column, set by the layout before it draws.
    double UnitY = 0;
    double UnitX = 0;

    // Numbers go into page files with the user's decimal separator; tests
    // pick one.
    void setDecimalSeparator(QChar separator);
    // The most pages a document may have (kMostPages); lowered by the tests.
    void setPageLimit(int pages) { m_writer.setPageLimit(pages); }
    // Where the calls go outside a recording; nullptr: nowhere.
    void drawStraightOn(SheetTarget* sheet);

    bool BeginDocument(QString* error = nullptr);
    bool NewPage(QString* error = nullptr);
    bool EndDocument(QString* error = nullptr);
    bool recording() const { return m_recording; }
    int pageCount() const;
    // Whether the document recorded so far draws anything: a layout that
    // found nothing to print leaves only empty pages.
    bool drawnAnything() const { return m_drawn; }
    // The measuring font when the document began: every page is replayed
    // from it.
    const FontState& documentFont() const { return m_documentFont; }

    void SetFontName(const QString& name);
    void SetFontSize(double points);
    void SetFontBold(bool on);
    void SetFontItalic(bool on);
    void SetFontUnderline(bool on);

    // maxWidth in columns, 0 for no limit.
    void PrintText(double row, double col, double maxWidth, const QString& text);
    void PrintTextRight(double row, double col, double maxWidth, const QString& text);
    void PrintTextCentred(double row, double col, double maxWidth, const QString& text);
    // styleMask: characters 1, 2 and 3 switch bold, italic and underline on
    // with "1"; align 0 left, 1 right, 2 centre.
    void PrintTextStyled(double row, double col, double maxWidth, double size, int align,
                         const QString& styleMask, const QString& text);
    // Word wraps text at width columns from col, one line per lineSpacing
    // rows from row. When row passes rowLimit it stops and leaves in text
    // what it has not printed. align 0 left, 1 right, 2 centre, 3 justified.
    void PrintParagraph(double col, double width, double& row, double rowLimit, QString& text,
                        int align, double& lineSpacing);
    // The lines text needs at width columns; text is consumed.
    void CountParagraphLines(double width, QString& text, int16_t& lines);

    void DrawBox(double top, double left, double bottom, double right, double lineWidth,
                 int shadow);
    void DrawHLine(double row, double col1, double col2, double lineWidth);
    void DrawVLine(double col, double row1, double row2, double lineWidth);
    // Position and size in twips.
    void DrawImage(double top, double left, double width, double height, const QString& path);
    // For charts, in colour (0xRRGGBB): a box filled without an outline, and
    // a line between any two points.
    void DrawFilledBox(double top, double left, double bottom, double right, unsigned colour);
    void DrawColouredLine(double row1, double col1, double row2, double col2, double lineWidth,
                          unsigned colour);

    void WritePageState();

    // Measuring on the device, in twips, with the font last set.
    double TextWidth(const QString& text) const;
    // True when the text is clearly narrower than twips (TextMeasure);
    // false says nothing.
    bool TextClearlyNarrower(const QString& text, double twips) const;
    double TextHeight(const QString& text) const;
    const FontState& printerFont() const { return m_measure.font(); }
    // Measuring in a font of the caller's, recording nothing and leaving
    // the current font as it is: for a layout that plans its pages first.
    double TextWidthIn(const FontState& font, const QString& text) const;
    double LineHeightIn(const FontState& font) const;
    // The paper of the device in twips.
    QSizeF paperTwips() const;

private:
    void setFont(const FontState& font);
    void recordText(int code, double row, double col, double maxWidth, const QString& text);
    // The drawer onto the paper, with the layout's units; nullptr when the
    // calls go nowhere.
    PageDrawer* straight();
    bool abandonDocument(const QString& reason, QString* error);

    QPagedPaintDevice& m_device;
    PageStore& m_store;
    PageFileWriter m_writer;
    TextMeasure m_measure;
    mutable TextMeasure m_probe;
    QChar m_decimalSeparator;
    bool m_recording = false;
    int m_pageCount = 0;
    bool m_drawn = false;
    QString m_documentFailure; // why the document being recorded was given up
    FontState m_recordedFont;
    FontState m_documentFont;
    SheetTarget* m_sheet = nullptr;
    std::unique_ptr<PageDrawer> m_straight;
};

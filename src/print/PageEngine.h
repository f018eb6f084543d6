#pragma once

#include "PainterTarget.h"
#include "PreviewGeometry.h"

#include <QFile>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

class PdfWriter;
class QPainter;
class QPrinter;
class PageFolder;

enum class OutputTarget { Printer, Preview, PDF };

// The page engine. Layouts draw in rows and columns while the engine
// records each call as one line of a page file; the pages are then replayed
// onto the preview picture, the printer or the PDF writer. There is one
// engine for the program; only one document is recorded or replayed at a
// time.
class PageEngine
{
public:
    PageEngine();
    ~PageEngine();
    PageEngine(const PageEngine&) = delete;
    PageEngine& operator=(const PageEngine&) = delete;

    static PageEngine& instance();
    // Tests start from a fresh engine; its page files go with the old one.
    static void resetInstance();

    // Twips per layout row and column, set by the layout before it draws.
    double UnitY = 0;
    double UnitX = 0;
    // 0-based page being recorded or replayed; after recording the last one.
    int CurrentPage = 0;
    // 1-based range to print; LastPage 0 prints nothing.
    int FirstPage = 0;
    int LastPage = 0;
    // The PDF the export writes; empty when no export is offered.
    QString PdfPath;
    // The document's name as a PDF viewer shows it ("Fattura 12/2026");
    // empty: the file's name without its folder and extension.
    QString PdfTitle;

    // Numbers go into page files with the user's decimal separator; tests
    // pick one.
    void setDecimalSeparator(QChar separator) { m_decimalSeparator = separator; }

    // Recording.
    bool BeginDocument(QString* error = nullptr);
    bool NewPage(QString* error = nullptr);
    bool EndDocument(QString* error = nullptr);
    bool recording() const { return m_recording; }
    // Pages of the recorded document; replaying moves CurrentPage, not this.
    int pageCount() const { return m_recording ? CurrentPage + 1 : m_pageCount; }

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

    void WritePageState();

    // The private folder of the page files, made on first use.
    QString TempFolder(QString* error = nullptr);
    QString pageFilePath(int page);
    void DeletePageFiles();

    // Measuring on the printer, in twips, with the font last set.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    const FontState& printerFont() const { return m_printerFont; }
    const FontState& recordedFont() const { return m_recordedFont; }

    // Replaying.
    void SetupPreview(QImage* picture, double previewScale);
    // The preview's picture is going away: the engine forgets it.
    void releasePreview(const QImage* picture);
    bool ReplayPage(QString* error = nullptr);
    // Replays page CurrentPage onto any target; skipped counts the records
    // that were damaged or unknown.
    bool ReplayPageOnto(PageTarget& target, QString* error = nullptr, int* skipped = nullptr);
    bool PrintPages(int first, int last, QString* error = nullptr);
    // Writes pages first..last to PdfPath, replacing an earlier file only
    // once the new one is complete, and asks the desktop to open it;
    // viewerStarted tells whether a viewer shows it.
    bool ExportPdf(int first, int last, QString* error = nullptr, bool* viewerStarted = nullptr);

    OutputTarget outputTarget() const { return m_outputTarget; }
    // Where drawing goes outside a replay; Printer draws straight on paper
    // (labels are printed that way), finished by EndDocument.
    void setOutputTarget(OutputTarget target);
    double PreviewScale() const { return m_previewScale; }
    double PrinterWidth() const { return m_printerWidth; }
    double PrinterHeight() const { return m_printerHeight; }
    double PdfPageHeight() const { return m_pdfPageHeight; }

    // The printer measured and printed on: the program's printer unless a
    // test or caller sets another one.
    QPrinter& printer() const;
    void setPrinter(QPrinter* printer);
    // The paper of the printer in twips.
    QSizeF paperTwips() const;

    // How an exported file is opened; tests replace it.
    void setViewerLauncher(std::function<bool(const QString&)> launcher);
    // The logo drawn as the image of every PDF page.
    QString logoFile() const;
    void setLogoFile(const QString& path) { m_logoFile = path; }

private:
    void record(int code, const QStringList& fields);
    void recordText(int code, double row, double col, double maxWidth, const QString& text);
    void placeText(double row, double col, double maxWidth, const QString& text, int align);
    bool openPageFile(int page, QString* error);
    bool closePageFile(QString* error);
    PageTarget* drawingTarget();
    void applyTargetFont();
    void setPrinterFont(const FontState& font);
    bool beginPrinterJob(QString* error);
    void endPrinterJob();
    bool replayLine(const QString& line);
    bool fail(QString* error, const QString& text);
    bool abandonDocument(const QString& reason, QString* error);

    bool m_recording = false;
    QFile m_pageFile;
    bool m_writeFailed = false;
    QString m_writeError;
    int m_drawingRecordsOnPage = 0;
    int m_pageCount = 0;
    QString m_documentFolder;
    QString m_documentFailure; // why the document being recorded was given up
    QChar m_decimalSeparator;

    std::unique_ptr<PageFolder> m_tempDir;

    OutputTarget m_outputTarget = OutputTarget::Printer;
    double m_previewScale = 0;
    double m_printerWidth = 0;
    double m_printerHeight = 0;
    double m_pdfPageHeight = 29.7;
    QImage* m_previewPicture = nullptr;

    FontState m_recordedFont;
    FontState m_printerFont;
    FontState m_targetFont;
    FontState m_documentFont; // the printer's font when the document began
    mutable std::unique_ptr<QFontMetricsF> m_printerMetrics;
    mutable double m_printerDpi = 0;

    QPrinter* m_printer = nullptr;
    std::unique_ptr<QPainter> m_printerPainter;
    std::unique_ptr<PainterTarget> m_printerTarget;
    PageTarget* m_target = nullptr; // set while a page is replayed

    std::unique_ptr<PdfWriter> m_pdf;
    std::function<bool(const QString&)> m_viewerLauncher;
    QString m_logoFile;
};

inline PageEngine& pageEngine()
{
    return PageEngine::instance();
}

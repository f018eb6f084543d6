#pragma once

#include "PageTarget.h"

#include <memory>

class PainterTarget;
class PrintRun;
class QPainter;
class QPrinter;

// The printer as paper: a print job starts with the first drawing and ends
// with endSheets(), which prints it. A recorded document's pages are printed
// through PrintPages; a recorder given the job (drawStraightOn) draws a
// layout straight on it instead.
class PrinterJob : public SheetTarget
{
public:
    explicit PrinterJob(QPrinter& printer);
    // A job still open is ended, and so printed.
    ~PrinterJob() override;
    PrinterJob(const PrinterJob&) = delete;
    PrinterJob& operator=(const PrinterJob&) = delete;

    // Prints pages first..last (1-based) of the run's document in one job.
    // A range beyond the document prints the pages there are; an empty
    // range prints nothing and starts no job.
    bool PrintPages(PrintRun& run, int first, int last, QString* error = nullptr);

    bool ready() override;
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
    bool newSheet(QString* error) override;
    bool endSheets(QString* error) override;

private:
    bool begin(QString* error);
    bool isActive() const;
    void end();

    QPrinter& m_printer;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<PainterTarget> m_target;
    FontState m_font;
};

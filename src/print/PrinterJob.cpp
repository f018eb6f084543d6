#include "PrinterJob.h"

#include "PainterTarget.h"
#include "PrintRun.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace {

constexpr double kTwipsPerInch = 1440;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

PrinterJob::PrinterJob(QPrinter& printer) : m_printer(printer) {}

PrinterJob::~PrinterJob()
{
    end();
}

bool PrinterJob::isActive() const
{
    return m_painter && m_painter->isActive();
}

bool PrinterJob::begin(QString* error)
{
    if (isActive())
        return true;
    // The page is laid out from the corner of the sheet, as on the preview
    // and in the PDF.
    m_printer.setFullPage(true);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(&m_printer)) {
        m_painter.reset();
        const QString name = m_printer.printerName().isEmpty() ? m_printer.outputFileName()
                                                               : m_printer.printerName();
        return fail(error, QStringLiteral("Impossibile avviare la stampa su %1.").arg(name));
    }
    m_target = std::make_unique<PainterTarget>(*m_painter, PainterTarget::Kind::Printer,
                                               m_printer.logicalDpiX() / kTwipsPerInch);
    m_target->setFont(m_font);
    return true;
}

void PrinterJob::end()
{
    m_target.reset();
    if (m_painter) {
        if (m_painter->isActive())
            m_painter->end();
        m_painter.reset();
    }
}

bool PrinterJob::PrintPages(PrintRun& run, int first, int last, QString* error)
{
    if (run.recorder().recording())
        return fail(error, QStringLiteral("Il documento è ancora in registrazione."));
    first = std::max(first, 1);
    last = std::min(last, run.pageCount());
    if (first > last)
        return true;
    if (!begin(error))
        return false;
    for (int page = first - 1; page <= last - 1; ++page) {
        if (!run.ReplayPage(page, *this, error)) {
            end();
            return false;
        }
        if (page < last - 1 && !m_printer.newPage()) {
            end();
            return fail(error, QStringLiteral("La stampante non accetta una nuova pagina."));
        }
    }
    return endSheets(error);
}

bool PrinterJob::ready()
{
    return begin(nullptr);
}

void PrinterJob::setFont(const FontState& font)
{
    // A font change alone never starts a job.
    m_font = font;
    if (m_target)
        m_target->setFont(font);
}

double PrinterJob::truncationWidth(const QString& text)
{
    return ready() ? m_target->truncationWidth(text) : 0;
}

void PrinterJob::drawText(double x, double y, const QString& text, int align)
{
    if (ready())
        m_target->drawText(x, y, text, align);
}

void PrinterJob::drawBox(double top, double left, double bottom, double right, double lineWidth,
                         bool shadow, double unitX, double unitY)
{
    if (ready())
        m_target->drawBox(top, left, bottom, right, lineWidth, shadow, unitX, unitY);
}

void PrinterJob::drawLine(double x1, double y1, double x2, double y2, double lineWidth)
{
    if (ready())
        m_target->drawLine(x1, y1, x2, y2, lineWidth);
}

void PrinterJob::drawImage(double top, double left, double width, double height,
                           const QString& path)
{
    if (ready())
        m_target->drawImage(top, left, width, height, path);
}

void PrinterJob::fillRect(double top, double left, double bottom, double right, unsigned colour)
{
    if (ready())
        m_target->fillRect(top, left, bottom, right, colour);
}

void PrinterJob::drawColouredLine(double x1, double y1, double x2, double y2, double lineWidth,
                                  unsigned colour)
{
    if (ready())
        m_target->drawColouredLine(x1, y1, x2, y2, lineWidth, colour);
}

bool PrinterJob::newSheet(QString* error)
{
    if (isActive() && !m_printer.newPage())
        return fail(error, QStringLiteral("La stampante non accetta una nuova pagina."));
    return true;
}

bool PrinterJob::endSheets(QString* error)
{
    const bool printed = isActive();
    end();
    if (printed && m_printer.printerState() == QPrinter::Error)
        return fail(error, QStringLiteral("Errore della stampante durante la stampa."));
    return true;
}

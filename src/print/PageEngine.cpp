#include "PageEngine.h"

#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "DataFolder.h"
#include "DesktopViewer.h"
#include "PageFolder.h"
#include "PageRecord.h"
#include "PdfTarget.h"
#include "PdfWriter.h"
#include "StagedFile.h"
#include "TextLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

std::unique_ptr<PageEngine>& engineSlot()
{
    static std::unique_ptr<PageEngine> engine;
    return engine;
}

constexpr double kTwipsPerInch = 1440;
// Positions beyond this many twips (about 17 metres) can only come from a
// damaged page file; drawing them would only burden the painter.
constexpr double kMaxTwips = 1e6;
constexpr double kMaxFontSize = 1000;
constexpr double kMaxLineWidth = 1000;
constexpr int kMaxPages = 32767;

bool sane(double twips)
{
    return std::isfinite(twips) && std::abs(twips) <= kMaxTwips;
}

// A number read from a record as an integer; out-of-range values (damage)
// become -1, which no alignment or shadow flag uses.
int wholeNumber(double value)
{
    return std::abs(value) < 1e6 ? int(value) : -1;
}

QString boolField(bool on)
{
    return PageRecord::boolean(on);
}

} // namespace

PageEngine::PageEngine() : m_decimalSeparator(PageRecord::systemDecimalSeparator()) {}

PageEngine::~PageEngine()
{
    endPrinterJob();
    if (m_pageFile.isOpen())
        m_pageFile.close();
}

PageEngine& PageEngine::instance()
{
    auto& slot = engineSlot();
    if (!slot) {
        slot = std::make_unique<PageEngine>();
        // Gone with the application: its fonts and printer go then, and
        // the page folder with it.
        static bool registered = false;
        if (!registered && QCoreApplication::instance()) {
            registered = true;
            qAddPostRoutine(&PageEngine::resetInstance);
        }
    }
    return *slot;
}

void PageEngine::resetInstance()
{
    engineSlot().reset();
}

bool PageEngine::fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// ---- page files -------------------------------------------------------

QString PageEngine::TempFolder(QString* error)
{
    // A folder removed behind our back (a cleaner of old temporary files)
    // is made again.
    if (m_tempDir && m_tempDir->isValid() && QFileInfo(m_tempDir->path()).isDir())
        return m_tempDir->path();
    // A folder of our own, readable by this user only, under the first
    // usable temporary folder: never a predictable name in a shared place.
    const QStringList bases = pageFolderBases();
    auto folder = std::make_unique<PageFolder>(bases);
    if (folder->isValid()) {
        m_tempDir = std::move(folder);
        return m_tempDir->path();
    }
    fail(error, QStringLiteral("Impossibile creare la cartella temporanea delle pagine in %1.")
                    .arg(bases.join(QStringLiteral(", "))));
    return {};
}

QString PageEngine::pageFilePath(int page)
{
    const QString folder = TempFolder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + PageRecord::pageFileName(page);
}

void PageEngine::DeletePageFiles()
{
    if (!m_tempDir || !m_tempDir->isValid())
        return;
    QDir dir(m_tempDir->path());
    const QStringList files = dir.entryList({QString::fromLatin1(PageRecord::kPageFilePattern)},
                                            QDir::Files | QDir::Hidden);
    for (const QString& name : files)
        dir.remove(name);
}

bool PageEngine::openPageFile(int page, QString* error)
{
    const QString path = pageFilePath(page);
    if (path.isEmpty())
        return fail(error,
                    QStringLiteral("Impossibile creare la cartella temporanea delle pagine."));
    // The earlier pages went with a folder that was removed meanwhile.
    if (page == 0)
        m_documentFolder = QFileInfo(path).path();
    else if (QFileInfo(path).path() != m_documentFolder)
        return fail(error, QStringLiteral("La cartella temporanea delle pagine è stata rimossa."));
    m_pageFile.setFileName(path);
    if (!m_pageFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, QStringLiteral("Impossibile creare il file di pagina %1: %2")
                               .arg(path, m_pageFile.errorString()));
    m_drawingRecordsOnPage = 0;
    return true;
}

bool PageEngine::closePageFile(QString* error)
{
    if (!m_pageFile.isOpen())
        return true;
    const bool flushed = m_pageFile.flush();
    m_pageFile.close();
    if (!flushed && !m_writeFailed) {
        m_writeFailed = true;
        m_writeError = m_pageFile.errorString();
    }
    if (m_writeFailed)
        return fail(error, QStringLiteral("Impossibile scrivere il file di pagina %1: %2")
                               .arg(m_pageFile.fileName(), m_writeError));
    return true;
}

void PageEngine::record(int code, const QStringList& fields)
{
    if (!m_pageFile.isOpen() || m_writeFailed)
        return;
    const QByteArray bytes = PageRecord::line(code, fields);
    if (m_pageFile.write(bytes) != bytes.size()) {
        m_writeFailed = true;
        m_writeError = m_pageFile.errorString();
    }
    if (code >= PageRecord::TextStyled)
        ++m_drawingRecordsOnPage;
}

bool PageEngine::BeginDocument(QString* error)
{
    endPrinterJob();
    if (m_recording)
        closePageFile(nullptr);
    m_recording = false;
    m_writeFailed = false;
    m_writeError.clear();
    m_documentFailure.clear();
    CurrentPage = 0;
    m_pageCount = 0;
    QString reason;
    if (TempFolder(&reason).isEmpty() || (DeletePageFiles(), !openPageFile(0, &reason)))
        return abandonDocument(reason, error);
    m_recording = true;
    m_documentFont = m_printerFont;
    // Page 0 has no state record: the layout sets its fonts itself.
    return true;
}

bool PageEngine::abandonDocument(const QString& reason, QString* error)
{
    // Until EndDocument, the layout's calls go nowhere: above all not
    // straight onto the printer, where drawing goes when nothing records.
    if (m_pageFile.isOpen())
        m_pageFile.close();
    m_recording = false;
    m_documentFailure = reason;
    return fail(error, reason);
}

bool PageEngine::NewPage(QString* error)
{
    if (!m_documentFailure.isEmpty())
        return fail(error, m_documentFailure);
    if (!m_recording) {
        // Drawing straight on the printer: the next sheet.
        if (m_printerPainter && m_printerPainter->isActive()) {
            if (!printer().newPage())
                return fail(error, QStringLiteral("La stampante non accetta una nuova pagina."));
        }
        return true;
    }
    QString reason;
    if (CurrentPage + 1 >= kMaxPages)
        return abandonDocument(QStringLiteral("Il documento supera le %1 pagine.").arg(kMaxPages),
                               error);
    if (!closePageFile(&reason))
        return abandonDocument(reason, error);
    ++CurrentPage;
    if (!openPageFile(CurrentPage, &reason))
        return abandonDocument(reason, error);
    WritePageState();
    return true;
}

bool PageEngine::EndDocument(QString* error)
{
    if (!m_documentFailure.isEmpty()) {
        const QString reason = m_documentFailure;
        m_documentFailure.clear();
        m_pageCount = 0;
        DeletePageFiles();
        return fail(error, reason);
    }
    if (!m_recording) {
        endPrinterJob();
        return true;
    }
    m_recording = false;
    if (!closePageFile(error)) {
        m_pageCount = 0;
        DeletePageFiles();
        return false;
    }
    // A layout that calls NewPage after its last line leaves a page with
    // nothing to draw; it is dropped rather than printed blank.
    if (CurrentPage > 0 && m_drawingRecordsOnPage == 0) {
        QFile::remove(pageFilePath(CurrentPage));
        --CurrentPage;
    }
    m_pageCount = CurrentPage + 1;
    return true;
}

void PageEngine::WritePageState()
{
    if (!m_recording)
        return;
    const QChar d = m_decimalSeparator;
    record(PageRecord::State,
           {PageRecord::number(UnitY, d), PageRecord::number(UnitX, d),
            PageRecord::escapeText(m_recordedFont.name), PageRecord::number(m_recordedFont.size, d),
            boolField(m_recordedFont.bold), boolField(m_recordedFont.underline),
            boolField(m_recordedFont.italic)});
}

// ---- fonts ------------------------------------------------------------

QPrinter& PageEngine::printer() const
{
    return m_printer ? *m_printer : applicationPrinter();
}

void PageEngine::setPrinter(QPrinter* printer)
{
    endPrinterJob();
    m_printer = printer;
    m_printerMetrics.reset();
}

QSizeF PageEngine::paperTwips() const
{
    const QRectF paper = printer().pageLayout().fullRectPoints();
    return paper.size() * 20;
}

void PageEngine::setPrinterFont(const FontState& font)
{
    if (font == m_printerFont && m_printerMetrics)
        return;
    m_printerFont = font;
    m_printerMetrics.reset();
}

double PageEngine::TextWidth(const QString& text) const
{
    if (!m_printerMetrics) {
        QPrinter& p = printer();
        QFont font(m_printerFont.name);
        font.setPointSizeF(std::max(m_printerFont.size, 0.1));
        font.setBold(m_printerFont.bold);
        font.setItalic(m_printerFont.italic);
        font.setUnderline(m_printerFont.underline);
        m_printerMetrics = std::make_unique<QFontMetricsF>(font, &p);
        m_printerDpi = p.logicalDpiX();
    }
    return m_printerMetrics->horizontalAdvance(text) * kTwipsPerInch / m_printerDpi;
}

double PageEngine::TextHeight(const QString&) const
{
    TextWidth(QString()); // makes the metrics
    return m_printerMetrics->lineSpacing() * kTwipsPerInch / m_printerDpi;
}

void PageEngine::applyTargetFont()
{
    // A font change alone never starts a print job: only drawing does.
    PageTarget* target = m_target ? m_target : m_printerTarget.get();
    if (target)
        target->setFont(m_targetFont);
}

void PageEngine::SetFontName(const QString& name)
{
    FontState f = m_printerFont;
    f.name = name;
    setPrinterFont(f);
    if (m_recording) {
        record(PageRecord::FontName, {PageRecord::escapeText(name)});
        m_recordedFont.name = name;
        return;
    }
    m_targetFont.name = name;
    applyTargetFont();
}

void PageEngine::SetFontSize(double points)
{
    if (!std::isfinite(points) || points <= 0 || points > kMaxFontSize)
        return;
    FontState f = m_printerFont;
    f.size = points;
    setPrinterFont(f);
    if (m_recording) {
        record(PageRecord::FontSize, {PageRecord::number(points, m_decimalSeparator)});
        m_recordedFont.size = points;
        return;
    }
    m_targetFont.size = points;
    applyTargetFont();
}

void PageEngine::SetFontBold(bool on)
{
    FontState f = m_printerFont;
    f.bold = on;
    setPrinterFont(f);
    if (m_recording) {
        record(PageRecord::FontBold, {boolField(on)});
        m_recordedFont.bold = on;
        return;
    }
    m_targetFont.bold = on;
    applyTargetFont();
}

void PageEngine::SetFontItalic(bool on)
{
    FontState f = m_printerFont;
    f.italic = on;
    setPrinterFont(f);
    if (m_recording) {
        record(PageRecord::FontItalic, {boolField(on)});
        m_recordedFont.italic = on;
        return;
    }
    m_targetFont.italic = on;
    applyTargetFont();
}

void PageEngine::SetFontUnderline(bool on)
{
    FontState f = m_printerFont;
    f.underline = on;
    setPrinterFont(f);
    if (m_recording) {
        record(PageRecord::FontUnderline, {boolField(on)});
        m_recordedFont.underline = on;
        return;
    }
    m_targetFont.underline = on;
    applyTargetFont();
}

// ---- text ---------------------------------------------------------------

void PageEngine::recordText(int code, double row, double col, double maxWidth, const QString& text)
{
    const QChar d = m_decimalSeparator;
    record(code,
           {PageRecord::number(row, d), PageRecord::number(col, d), PageRecord::number(maxWidth, d),
            PageRecord::escapeText(text.left(PageRecord::kMaxTextLength))});
}

void PageEngine::placeText(double row, double col, double maxWidth, const QString& text, int align)
{
    PageTarget* target = drawingTarget();
    if (!target || text.isEmpty())
        return;
    const double x = col * UnitX;
    const double y = row * UnitY;
    if (!sane(x) || !sane(y))
        return;
    QString shown = text;
    if (maxWidth > 0 && std::isfinite(maxWidth))
        shown = TextLayout::fitToWidth(text, maxWidth * UnitX, [target](const QString& s) {
            return target->truncationWidth(s);
        });
    target->drawText(x, y, shown, align);
}

void PageEngine::PrintText(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::Text, row, col, maxWidth, text);
    else
        placeText(row, col, maxWidth, text, 0);
}

void PageEngine::PrintTextRight(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::TextRight, row, col, maxWidth, text);
    else
        placeText(row, col, maxWidth, text, 1);
}

void PageEngine::PrintTextCentred(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::TextCentred, row, col, maxWidth, text);
    else
        placeText(row, col, maxWidth, text, 2);
}

void PageEngine::PrintTextStyled(double row, double col, double maxWidth, double size, int align,
                                 const QString& styleMask, const QString& text)
{
    if (m_recording) {
        const QChar d = m_decimalSeparator;
        record(PageRecord::TextStyled,
               {PageRecord::number(row, d), PageRecord::number(col, d),
                PageRecord::number(maxWidth, d), PageRecord::number(size, d),
                PageRecord::number(align, d), PageRecord::escapeText(styleMask),
                PageRecord::escapeText(text.left(PageRecord::kMaxTextLength))});
        return;
    }
    const FontState savedTarget = m_targetFont;
    const FontState savedPrinter = m_printerFont;
    const QString mask = styleMask.trimmed();
    auto on = [&mask](int i) { return mask.size() > i && mask.at(i) == QLatin1Char('1'); };
    FontState styled = m_targetFont;
    styled.bold = on(0);
    styled.italic = on(1);
    styled.underline = on(2);
    if (std::isfinite(size) && size > 0 && size <= kMaxFontSize)
        styled.size = size;
    // The printer takes the same style, so that the text is cut as printed.
    FontState printerStyled = m_printerFont;
    printerStyled.bold = styled.bold;
    printerStyled.italic = styled.italic;
    printerStyled.underline = styled.underline;
    printerStyled.size = styled.size;
    setPrinterFont(printerStyled);
    m_targetFont = styled;
    applyTargetFont();
    placeText(row, col, maxWidth, text, align == 1 || align == 2 ? align : 0);
    m_targetFont = savedTarget;
    setPrinterFont(savedPrinter);
    applyTargetFont();
}

void PageEngine::PrintParagraph(double col, double width, double& row, double rowLimit,
                                QString& text, int align, double& lineSpacing)
{
    if (lineSpacing == 0)
        lineSpacing = 1;
    const int spaceWidth = int(TextWidth(QStringLiteral(" ")));
    const double lineWidth = width * UnitX;
    auto measure = [this](const QString& s) { return TextWidth(s); };
    TextLayout::ParagraphBreaker breaker(text, lineWidth, measure);
    QString line;
    bool last = false;
    while (breaker.next(&line, &last)) {
        switch (align) {
        case 1:
            PrintTextRight(row, col + width - 1, 0, line);
            break;
        case 2:
            PrintTextCentred(row, col + width / 2, 0, line);
            break;
        case 3:
            if (!last) {
                const QString spread = TextLayout::justify(line, lineWidth, measure, spaceWidth);
                const qsizetype blank = spread.lastIndexOf(QLatin1Char(' '));
                // A line of one word has nothing to spread: it stays left.
                if (blank > 0 && !spread.left(blank).trimmed().isEmpty()) {
                    PrintText(row, col, 0, spread.left(blank));
                    PrintTextRight(row, col + width, 0, spread.mid(blank + 1));
                    break;
                }
            }
            PrintText(row, col, 0, line);
            break;
        default:
            PrintText(row, col, 0, line);
            break;
        }
        row += lineSpacing;
        if (row > rowLimit) {
            text = breaker.rest();
            return;
        }
    }
    text.clear();
}

void PageEngine::CountParagraphLines(double width, QString& text, int16_t& lines)
{
    TextLayout::ParagraphBreaker breaker(text, width * UnitX,
                                         [this](const QString& s) { return TextWidth(s); });
    int count = 0;
    QString line;
    bool last = false;
    while (breaker.next(&line, &last))
        count = std::min(count + 1, 32767);
    lines = int16_t(count);
    text.clear();
}

// ---- lines, boxes, images ----------------------------------------------

void PageEngine::DrawBox(double top, double left, double bottom, double right, double lineWidth,
                         int shadow)
{
    if (m_recording) {
        const QChar d = m_decimalSeparator;
        record(PageRecord::Box, {PageRecord::number(top, d), PageRecord::number(left, d),
                                 PageRecord::number(bottom, d), PageRecord::number(right, d),
                                 PageRecord::number(lineWidth, d), PageRecord::number(shadow, d)});
        return;
    }
    PageTarget* target = drawingTarget();
    if (!target)
        return;
    for (double v : {top * UnitY, bottom * UnitY, left * UnitX, right * UnitX})
        if (!sane(v))
            return;
    target->drawBox(top, left, bottom, right, std::clamp(lineWidth, 0.0, kMaxLineWidth),
                    shadow == 1, UnitX, UnitY);
}

void PageEngine::DrawHLine(double row, double col1, double col2, double lineWidth)
{
    if (m_recording) {
        const QChar d = m_decimalSeparator;
        record(PageRecord::HLine, {PageRecord::number(row, d), PageRecord::number(col1, d),
                                   PageRecord::number(col2, d), PageRecord::number(lineWidth, d)});
        return;
    }
    PageTarget* target = drawingTarget();
    const double y = row * UnitY, x1 = col1 * UnitX, x2 = col2 * UnitX;
    if (target && sane(y) && sane(x1) && sane(x2))
        target->drawLine(x1, y, x2, y, std::clamp(lineWidth, 0.0, kMaxLineWidth));
}

void PageEngine::DrawVLine(double col, double row1, double row2, double lineWidth)
{
    if (m_recording) {
        const QChar d = m_decimalSeparator;
        record(PageRecord::VLine, {PageRecord::number(col, d), PageRecord::number(row1, d),
                                   PageRecord::number(row2, d), PageRecord::number(lineWidth, d)});
        return;
    }
    PageTarget* target = drawingTarget();
    const double x = col * UnitX, y1 = row1 * UnitY, y2 = row2 * UnitY;
    if (target && sane(x) && sane(y1) && sane(y2))
        target->drawLine(x, y1, x, y2, std::clamp(lineWidth, 0.0, kMaxLineWidth));
}

void PageEngine::DrawImage(double top, double left, double width, double height,
                           const QString& path)
{
    if (m_recording) {
        const QChar d = m_decimalSeparator;
        record(PageRecord::Image, {PageRecord::number(top, d), PageRecord::number(left, d),
                                   PageRecord::number(width, d), PageRecord::number(height, d),
                                   PageRecord::escapeText(path)});
        return;
    }
    PageTarget* target = drawingTarget();
    for (double v : {top, left, width, height})
        if (!sane(v))
            return;
    if (target)
        target->drawImage(top, left, width, height, path);
}

// ---- replay -------------------------------------------------------------

PageTarget* PageEngine::drawingTarget()
{
    if (m_target)
        return m_target;
    if (!m_documentFailure.isEmpty())
        return nullptr;
    // Outside a replay, drawing goes straight to the printer (the labels
    // are printed that way).
    if (m_outputTarget == OutputTarget::Printer && !m_recording) {
        if (!m_printerTarget && !beginPrinterJob(nullptr))
            return nullptr;
        return m_printerTarget.get();
    }
    return nullptr;
}

bool PageEngine::beginPrinterJob(QString* error)
{
    if (m_printerPainter && m_printerPainter->isActive())
        return true;
    QPrinter& p = printer();
    // The page is laid out from the corner of the sheet, as on the preview
    // and in the PDF.
    p.setFullPage(true);
    m_printerPainter = std::make_unique<QPainter>();
    if (!m_printerPainter->begin(&p)) {
        m_printerPainter.reset();
        const QString name = p.printerName().isEmpty() ? p.outputFileName() : p.printerName();
        return fail(error, QStringLiteral("Impossibile avviare la stampa su %1.").arg(name));
    }
    m_printerTarget = std::make_unique<PainterTarget>(
        *m_printerPainter, PainterTarget::Kind::Printer, p.logicalDpiX() / kTwipsPerInch);
    m_targetFont = m_printerFont;
    m_printerTarget->setFont(m_targetFont);
    return true;
}

void PageEngine::endPrinterJob()
{
    m_printerTarget.reset();
    if (m_printerPainter) {
        if (m_printerPainter->isActive())
            m_printerPainter->end();
        m_printerPainter.reset();
    }
}

void PageEngine::SetupPreview(QImage* picture, double previewScale)
{
    endPrinterJob();
    m_previewPicture = picture;
    const QSizeF paper = paperTwips();
    m_printerWidth = paper.width();
    m_printerHeight = paper.height();
    m_previewScale = previewScale;
    if (picture)
        picture->fill(Qt::white);
    m_outputTarget = OutputTarget::Preview;
}

void PageEngine::setOutputTarget(OutputTarget target)
{
    if (target != OutputTarget::Printer)
        endPrinterJob();
    m_outputTarget = target;
}

void PageEngine::releasePreview(const QImage* picture)
{
    if (m_previewPicture == picture)
        m_previewPicture = nullptr;
}

bool PageEngine::ReplayPage(QString* error)
{
    switch (m_outputTarget) {
    case OutputTarget::Preview: {
        if (!m_previewPicture || m_previewPicture->isNull() || m_printerWidth <= 0)
            return fail(error, QStringLiteral("Nessuna superficie di anteprima."));
        QPainter painter(m_previewPicture);
        PainterTarget target(painter, PainterTarget::Kind::Preview,
                             m_previewPicture->width() / m_printerWidth);
        return ReplayPageOnto(target, error);
    }
    case OutputTarget::Printer:
        if (!beginPrinterJob(error))
            return false;
        return ReplayPageOnto(*m_printerTarget, error);
    case OutputTarget::PDF:
        return fail(error, QStringLiteral("Nessun file PDF aperto."));
    }
    return false;
}

bool PageEngine::replayLine(const QString& line)
{
    const QStringList f = PageRecord::split(line);
    const auto codeValue = PageRecord::readNumber(f.at(0));
    if (!codeValue || *codeValue < 0 || *codeValue > 1000 || *codeValue != std::floor(*codeValue))
        return false;
    const int code = int(*codeValue);
    // Numbers of fields 1..count, or nothing when one is missing or damaged.
    auto numbers = [&f](int count) -> std::optional<std::vector<double>> {
        if (f.size() <= count)
            return std::nullopt;
        std::vector<double> values;
        for (int i = 1; i <= count; ++i) {
            const auto v = PageRecord::readNumber(f.at(i));
            if (!v)
                return std::nullopt;
            values.push_back(*v);
        }
        return values;
    };
    auto textField = [&f](int i) { return PageRecord::unescapeText(f.at(i)); };

    switch (code) {
    case PageRecord::State: {
        const auto units = numbers(2);
        if (!units || f.size() < 8)
            return false;
        const auto size = PageRecord::readNumber(f.at(4));
        const auto bold = PageRecord::readNumber(f.at(5));
        const auto underline = PageRecord::readNumber(f.at(6));
        const auto italic = PageRecord::readNumber(f.at(7));
        if (!size || !bold || !underline || !italic)
            return false;
        if ((*units)[0] > 0 && (*units)[0] < kMaxTwips)
            UnitY = (*units)[0];
        if ((*units)[1] > 0 && (*units)[1] < kMaxTwips)
            UnitX = (*units)[1];
        const QString name = textField(3);
        if (!name.trimmed().isEmpty())
            SetFontName(name);
        if (*size != 0)
            SetFontSize(*size);
        SetFontBold(*bold != 0);
        SetFontUnderline(*underline != 0);
        SetFontItalic(*italic != 0);
        return true;
    }
    case PageRecord::FontName:
        if (f.size() < 2)
            return false;
        SetFontName(textField(1));
        return true;
    case PageRecord::FontSize:
    case PageRecord::FontBold:
    case PageRecord::FontUnderline:
    case PageRecord::FontItalic: {
        const auto v = numbers(1);
        if (!v)
            return false;
        const double value = (*v)[0];
        if (code == PageRecord::FontSize)
            SetFontSize(value);
        else if (code == PageRecord::FontBold)
            SetFontBold(value != 0);
        else if (code == PageRecord::FontUnderline)
            SetFontUnderline(value != 0);
        else
            SetFontItalic(value != 0);
        return true;
    }
    case PageRecord::TextStyled: {
        const auto v = numbers(5);
        if (!v || f.size() < 8)
            return false;
        PrintTextStyled((*v)[0], (*v)[1], (*v)[2], (*v)[3], wholeNumber((*v)[4]), f.at(6).trimmed(),
                        textField(7));
        return true;
    }
    case PageRecord::Text:
    case PageRecord::TextRight:
    case PageRecord::TextCentred: {
        const auto v = numbers(3);
        if (!v || f.size() < 5)
            return false;
        const int align = code - PageRecord::Text;
        placeText((*v)[0], (*v)[1], (*v)[2], textField(4), align);
        return true;
    }
    case PageRecord::Box: {
        const auto v = numbers(6);
        if (!v)
            return false;
        DrawBox((*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], wholeNumber((*v)[5]));
        return true;
    }
    case PageRecord::HLine:
    case PageRecord::VLine: {
        const auto v = numbers(4);
        if (!v)
            return false;
        if (code == PageRecord::HLine)
            DrawHLine((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
        else
            DrawVLine((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
        return true;
    }
    case PageRecord::Image: {
        const auto v = numbers(4);
        if (!v || f.size() < 6)
            return false;
        DrawImage((*v)[0], (*v)[1], (*v)[2], (*v)[3], textField(5));
        return true;
    }
    default:
        return false;
    }
}

bool PageEngine::ReplayPageOnto(PageTarget& target, QString* error, int* skipped)
{
    if (skipped)
        *skipped = 0;
    if (m_recording)
        return fail(error, QStringLiteral("Il documento è ancora in registrazione."));
    const QString path = pageFilePath(CurrentPage);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Impossibile leggere la pagina %1 (%2).")
                               .arg(CurrentPage + 1)
                               .arg(path.isEmpty() ? QStringLiteral("cartella temporanea") : path));

    PageTarget* const previous = m_target;
    m_target = &target;
    // Every page starts from the font the document started with; the pages
    // after the first then set their own state.
    setPrinterFont(m_documentFont);
    m_targetFont = m_documentFont;
    target.setFont(m_targetFont);

    int bad = 0;
    // One buffer for every line: lines are short, and a fresh buffer of the
    // largest size per line would cost more than the drawing.
    QByteArray buffer(int(PageRecord::kMaxLineBytes), Qt::Uninitialized);
    while (!file.atEnd()) {
        qint64 length = file.readLine(buffer.data(), buffer.size());
        if (length <= 0)
            break;
        const bool complete = buffer.at(length - 1) == '\n';
        if (!complete && !file.atEnd()) {
            // Longer than any record: skip the rest of it.
            ++bad;
            char c = 0;
            while (file.getChar(&c) && c != '\n') {
            }
            continue;
        }
        while (length > 0 && (buffer.at(length - 1) == '\n' || buffer.at(length - 1) == '\r'))
            --length;
        if (length == 0)
            continue;
        if (!replayLine(QString::fromUtf8(buffer.constData(), length)))
            ++bad;
    }
    m_target = previous;
    if (skipped)
        *skipped = bad;
    return true;
}

bool PageEngine::PrintPages(int first, int last, QString* error)
{
    m_outputTarget = OutputTarget::Printer;
    if (m_recording)
        return fail(error, QStringLiteral("Il documento è ancora in registrazione."));
    first = std::max(first, 1);
    last = std::min(last, pageCount());
    if (first > last)
        return true;
    if (!beginPrinterJob(error))
        return false;
    for (int page = first - 1; page <= last - 1; ++page) {
        CurrentPage = page;
        if (!ReplayPageOnto(*m_printerTarget, error)) {
            endPrinterJob();
            return false;
        }
        if (page < last - 1 && !printer().newPage()) {
            endPrinterJob();
            return fail(error, QStringLiteral("La stampante non accetta una nuova pagina."));
        }
    }
    endPrinterJob();
    if (printer().printerState() == QPrinter::Error)
        return fail(error, QStringLiteral("Errore della stampante durante la stampa."));
    return true;
}

// ---- PDF ----------------------------------------------------------------

void PageEngine::setViewerLauncher(std::function<bool(const QString&)> launcher)
{
    m_viewerLauncher = std::move(launcher);
}

QString PageEngine::logoFile() const
{
    if (!m_logoFile.isEmpty())
        return m_logoFile;
    const QString folder =
        AppContext::hasCurrent() ? AppContext::current().programFolder : dataFolderPath();
    return folder + QLatin1Char('/') + QString::fromLatin1(kLogoFileName);
}

bool PageEngine::ExportPdf(int first, int last, QString* error, bool* viewerStarted)
{
    if (viewerStarted)
        *viewerStarted = false;
    if (m_recording)
        return fail(error, QStringLiteral("Il documento è ancora in registrazione."));
    if (PdfPath.isEmpty())
        return fail(error, QStringLiteral("Nessun file PDF indicato."));
    endPrinterJob();
    m_outputTarget = OutputTarget::PDF;
    first = std::max(first, 1);
    last = std::min(last, pageCount());

    const QFileInfo target(PdfPath);
    if (!QDir().mkpath(target.absolutePath()))
        return fail(
            error, QStringLiteral("Impossibile creare la cartella %1.").arg(target.absolutePath()));
    // An earlier file of the same name stays as it is until the new one is complete.
    StagedFile staged(PdfPath);
    if (!staged.create(error))
        return false;
    const QString title = PdfTitle.isEmpty() ? target.completeBaseName() : PdfTitle;

    m_pdfPageHeight = 29.7;
    try {
        if (!m_pdf)
            m_pdf = std::make_unique<PdfWriter>();
        PdfWriter& pdf = *m_pdf;
        std::string path = QFile::encodeName(staged.path()).toStdString();
        pdf.InitPDFFile(path, title.toStdString());
        pdf.setScaleMode(3);
        pdf.setPaperSize(0);
        pdf.setMargin(0);
        pdf.setOrientation(0);
        pdf.setEncodeASCII85(false);
        const struct
        {
            const char* key;
            const char* face;
            int style;
        } fonts[] = {{"TNR", "Times New Roman", 0},  {"TNRB", "Times New Roman", 1},
                     {"TNRI", "Times New Roman", 2}, {"TNRBI", "Times New Roman", 3},
                     {"Arial", "Arial", 0},          {"ArialB", "Arial", 1},
                     {"ArialI", "Arial", 2},         {"ArialBI", "Arial", 3}};
        for (const auto& font : fonts) {
            std::string face = font.face;
            pdf.LoadFont(font.key, face, font.style);
        }
        std::string courier = "Courier New";
        pdf.LoadFontStandard("Fnt4", courier, 3);
        const bool logo =
            pdf.LoadImgFromBMPFile("Img1", QFile::encodeName(logoFile()).toStdString(), false);

        PdfTarget pdfTarget(pdf, printer(), logo);
        for (int page = first - 1; page <= last - 1; ++page) {
            CurrentPage = page;
            pdf.BeginPage();
            QString replayError;
            if (!ReplayPageOnto(pdfTarget, &replayError)) {
                pdf.EndPage();
                pdf.ClosePDFFile();
                return fail(error, replayError);
            }
            pdf.EndPage();
        }
        pdf.ClosePDFFile();
    } catch (const std::exception& e) {
        m_pdf.reset(); // a writer that failed half-way is not reused
        return fail(error, QStringLiteral("Impossibile scrivere il file PDF %1: %2")
                               .arg(PdfPath, QString::fromLocal8Bit(e.what())));
    }
    if (!staged.commit(error))
        return false;

    const bool started =
        m_viewerLauncher ? m_viewerLauncher(PdfPath) : openWithDesktopViewer(PdfPath);
    if (viewerStarted)
        *viewerStarted = started;
    return true;
}

#include "PageRecorder.h"

#include "PageDrawer.h"
#include "PageRecord.h"
#include "PageStore.h"
#include "TextLayout.h"

#include <QPagedPaintDevice>
#include <algorithm>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

using PageRecord::asBoolean;
using PageRecord::asNumber;
using PageRecord::asText;

// A text as recorded: cut to the longest a page line holds.
QStringView recordedText(const QString& text)
{
    return QStringView(text).left(PageRecord::kMaxTextLength);
}

} // namespace

PageRecorder::PageRecorder(PageStore& store, QPagedPaintDevice& device)
    : m_device(device), m_store(store), m_writer(store), m_measure(device), m_probe(device),
      m_decimalSeparator(PageRecord::systemDecimalSeparator())
{
    m_writer.setDecimalSeparator(m_decimalSeparator.toLatin1());
}

void PageRecorder::setDecimalSeparator(QChar separator)
{
    m_decimalSeparator = separator;
    m_writer.setDecimalSeparator(separator.toLatin1());
}

PageRecorder::~PageRecorder() = default;

void PageRecorder::drawStraightOn(SheetTarget* sheet)
{
    m_sheet = sheet;
    m_straight = sheet ? std::make_unique<PageDrawer>(*sheet) : nullptr;
}

PageDrawer* PageRecorder::straight()
{
    if (m_recording || !m_documentFailure.isEmpty() || !m_straight)
        return nullptr;
    m_straight->UnitY = UnitY;
    m_straight->UnitX = UnitX;
    // The paper is drawn in the font text is measured in.
    if (m_straight->font() != m_measure.font())
        m_straight->setFont(m_measure.font());
    return m_straight.get();
}

// ---- the document -------------------------------------------------------

int PageRecorder::pageCount() const
{
    return m_recording ? m_writer.currentPage() + 1 : m_pageCount;
}

bool PageRecorder::BeginDocument(QString* error)
{
    // A job of straight drawing still open is printed first.
    if (m_sheet)
        m_sheet->endSheets(nullptr);
    m_recording = false;
    m_documentFailure.clear();
    m_pageCount = 0;
    m_drawn = false;
    QString reason;
    if (!m_writer.begin(&reason))
        return abandonDocument(reason, error);
    m_recording = true;
    m_documentFont = m_measure.font();
    // Page 0 has no state record: the layout sets its fonts itself.
    return true;
}

bool PageRecorder::abandonDocument(const QString& reason, QString* error)
{
    // Until EndDocument, the layout's calls go nowhere: above all not
    // straight onto paper, where drawing goes when nothing records.
    m_writer.abandon();
    m_recording = false;
    m_documentFailure = reason;
    return fail(error, reason);
}

bool PageRecorder::NewPage(QString* error)
{
    if (!m_documentFailure.isEmpty())
        return fail(error, m_documentFailure);
    if (!m_recording)
        return !m_sheet || m_sheet->newSheet(error);
    QString reason;
    if (!m_writer.nextPage(&reason))
        return abandonDocument(reason, error);
    WritePageState();
    return true;
}

bool PageRecorder::EndDocument(QString* error)
{
    if (!m_documentFailure.isEmpty()) {
        const QString reason = m_documentFailure;
        m_documentFailure.clear();
        m_pageCount = 0;
        m_store.DeletePageFiles();
        return fail(error, reason);
    }
    if (!m_recording)
        return !m_sheet || m_sheet->endSheets(error);
    m_recording = false;
    if (!m_writer.finish(error)) {
        m_pageCount = 0;
        m_store.DeletePageFiles();
        return false;
    }
    m_pageCount = m_writer.currentPage() + 1;
    return true;
}

void PageRecorder::WritePageState()
{
    if (!m_recording)
        return;
    m_writer.write(PageRecord::State,
                   {asNumber(UnitY), asNumber(UnitX), asText(m_recordedFont.name),
                    asNumber(m_recordedFont.size), asBoolean(m_recordedFont.bold),
                    asBoolean(m_recordedFont.underline), asBoolean(m_recordedFont.italic)});
}

// ---- fonts and measuring --------------------------------------------------

void PageRecorder::setFont(const FontState& font)
{
    m_measure.setFont(font);
}

double PageRecorder::TextWidth(const QString& text) const
{
    return m_measure.width(text);
}

bool PageRecorder::TextClearlyNarrower(const QString& text, double twips) const
{
    return m_measure.clearlyNarrower(text, twips);
}

double PageRecorder::TextHeight(const QString&) const
{
    return m_measure.lineHeight();
}

double PageRecorder::TextWidthIn(const FontState& font, const QString& text) const
{
    m_probe.setFont(font);
    return m_probe.width(text);
}

double PageRecorder::LineHeightIn(const FontState& font) const
{
    m_probe.setFont(font);
    return m_probe.lineHeight();
}

QSizeF PageRecorder::paperTwips() const
{
    return m_device.pageLayout().fullRectPoints().size() * 20;
}

void PageRecorder::SetFontName(const QString& name)
{
    FontState f = m_measure.font();
    f.name = name;
    setFont(f);
    if (m_recording) {
        m_writer.write(PageRecord::FontName, {asText(name)});
        m_recordedFont.name = name;
    }
}

void PageRecorder::SetFontSize(double points)
{
    if (!usableFontSize(points))
        return;
    FontState f = m_measure.font();
    f.size = points;
    setFont(f);
    if (m_recording) {
        m_writer.write(PageRecord::FontSize, {asNumber(points)});
        m_recordedFont.size = points;
    }
}

void PageRecorder::SetFontBold(bool on)
{
    FontState f = m_measure.font();
    f.bold = on;
    setFont(f);
    if (m_recording) {
        m_writer.write(PageRecord::FontBold, {asBoolean(on)});
        m_recordedFont.bold = on;
    }
}

void PageRecorder::SetFontItalic(bool on)
{
    FontState f = m_measure.font();
    f.italic = on;
    setFont(f);
    if (m_recording) {
        m_writer.write(PageRecord::FontItalic, {asBoolean(on)});
        m_recordedFont.italic = on;
    }
}

void PageRecorder::SetFontUnderline(bool on)
{
    FontState f = m_measure.font();
    f.underline = on;
    setFont(f);
    if (m_recording) {
        m_writer.write(PageRecord::FontUnderline, {asBoolean(on)});
        m_recordedFont.underline = on;
    }
}

// ---- text -----------------------------------------------------------------

void PageRecorder::recordText(int code, double row, double col, double maxWidth,
                              const QString& text)
{
    m_drawn = true;
    m_writer.write(code,
                   {asNumber(row), asNumber(col), asNumber(maxWidth), asText(recordedText(text))});
}

void PageRecorder::PrintText(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::Text, row, col, maxWidth, text);
    else if (PageDrawer* paper = straight())
        paper->PrintText(row, col, maxWidth, text, 0);
}

void PageRecorder::PrintTextRight(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::TextRight, row, col, maxWidth, text);
    else if (PageDrawer* paper = straight())
        paper->PrintText(row, col, maxWidth, text, 1);
}

void PageRecorder::PrintTextCentred(double row, double col, double maxWidth, const QString& text)
{
    if (m_recording)
        recordText(PageRecord::TextCentred, row, col, maxWidth, text);
    else if (PageDrawer* paper = straight())
        paper->PrintText(row, col, maxWidth, text, 2);
}

void PageRecorder::PrintTextStyled(double row, double col, double maxWidth, double size, int align,
                                   const QString& styleMask, const QString& text)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::TextStyled,
                       {asNumber(row), asNumber(col), asNumber(maxWidth), asNumber(size),
                        asNumber(align), asText(styleMask), asText(recordedText(text))});
    } else if (PageDrawer* paper = straight()) {
        paper->PrintTextStyled(row, col, maxWidth, size, align, styleMask, text);
    }
}

void PageRecorder::PrintParagraph(double col, double width, double& row, double rowLimit,
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

void PageRecorder::CountParagraphLines(double width, QString& text, int16_t& lines)
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

// ---- lines, boxes, images -------------------------------------------------

void PageRecorder::DrawBox(double top, double left, double bottom, double right, double lineWidth,
                           int shadow)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::Box, {asNumber(top), asNumber(left), asNumber(bottom),
                                         asNumber(right), asNumber(lineWidth), asNumber(shadow)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawBox(top, left, bottom, right, lineWidth, shadow);
    }
}

void PageRecorder::DrawHLine(double row, double col1, double col2, double lineWidth)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::HLine,
                       {asNumber(row), asNumber(col1), asNumber(col2), asNumber(lineWidth)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawHLine(row, col1, col2, lineWidth);
    }
}

void PageRecorder::DrawVLine(double col, double row1, double row2, double lineWidth)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::VLine,
                       {asNumber(col), asNumber(row1), asNumber(row2), asNumber(lineWidth)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawVLine(col, row1, row2, lineWidth);
    }
}

void PageRecorder::DrawImage(double top, double left, double width, double height,
                             const QString& path)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::Image, {asNumber(top), asNumber(left), asNumber(width),
                                           asNumber(height), asText(path)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawImage(top, left, width, height, path);
    }
}

void PageRecorder::DrawFilledBox(double top, double left, double bottom, double right,
                                 unsigned colour)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::FilledBox, {asNumber(top), asNumber(left), asNumber(bottom),
                                               asNumber(right), asNumber(colour & 0xFFFFFFu)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawFilledBox(top, left, bottom, right, colour);
    }
}

void PageRecorder::DrawColouredLine(double row1, double col1, double row2, double col2,
                                    double lineWidth, unsigned colour)
{
    if (m_recording) {
        m_drawn = true;
        m_writer.write(PageRecord::ColouredLine,
                       {asNumber(row1), asNumber(col1), asNumber(row2), asNumber(col2),
                        asNumber(lineWidth), asNumber(colour & 0xFFFFFFu)});
    } else if (PageDrawer* paper = straight()) {
        paper->DrawColouredLine(row1, col1, row2, col2, lineWidth, colour);
    }
}

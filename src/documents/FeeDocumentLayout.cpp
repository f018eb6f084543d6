#include "FeeDocumentLayout.h"

#include "AppContext.h"
#include "CreditNotes.h"
#include "FeeAmounts.h"
#include "InvoiceRegime.h"
#include "Money.h"
#include "PageRecorder.h"
#include "Settings.h"
#include "TextLayout.h"

#include <QFileInfo>
#include <algorithm>

namespace {

// Columns of the amounts block.
constexpr double kLabelColumn = 10;
constexpr double kEuroColumn = 37;
constexpr double kAmountColumn = 47;
constexpr double kSignColumn = 49;
constexpr double kRuleFrom = 32;
constexpr double kRuleTo = 52;
// A label keeps a column clear before "euro:".
constexpr double kLabelRoom = kEuroColumn - kLabelColumn - 1;
// The right end of the subject rule: the page's text stays left of it.
constexpr double kRightEdge = 55.5;

// A rate as stored; "" when Null.
QString rateText(const std::optional<int>& rate)
{
    return rate ? QString::number(*rate) : QString();
}

QString leftTrimmed(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

// The page of one document: the grid of the letter M at 12 points and each
// block of the page in order. The invoice and the pro-forma differ in a few
// places, chosen by `proForma`.
class FeeDocumentPage
{
public:
    FeeDocumentPage(PageRecorder& recorder, const DocumentToPrint& printed,
                    const Settings& settings, bool proForma)
        : e(recorder), doc(printed.document), client(printed.client),
          datiUtente(printed.datiUtente), logoFile(printed.logoFile), settings(settings),
          proForma(proForma), bodySize(proForma ? 11 : 9),
          sums(FeeAmounts::of(printed.document,
                              proForma ? FeeDocumentKind::ProForma : FeeDocumentKind::Invoice))
    {
    }

    void setUp();
    void placeAndDate(double row, double col);
    void textualHeading(bool withTaxCode);
    void letterhead(double smallSize, bool centredFooter);
    void clientBlock();
    void title();
    void subjectAndDescription();
    void amounts();
    void flatRateStatement();
    void withholdingExplanation();
    void notes(double size, double rowsAfter);

    PageRecorder& e;
    const FeeDocument& doc;
    const Client& client;
    const QStringList& datiUtente;
    const QString& logoFile;
    const Settings& settings;
    const bool proForma;
    const double bodySize;
    // The stored amounts and their totals; being of 64 bits each, they
    // always add up.
    const FeeAmounts sums;
    double pageRows = 0;
    double pageColumns = 0;
    double centreColumn = 0;
    double A = 0; // the row of the amounts block being printed

private:
    void sign(const QString& s);
    void sumRule(double lineWidth, bool twice = false);
    void amountLine(const QString& label, const Money& amount);
    QStringList labelLines(const QString& label) const;
    Money withholdingBase() const;
};

void FeeDocumentPage::setUp()
{
    e.SetFontName(QStringLiteral("ARIAL"));
    const QSizeF paper = e.paperTwips();
    e.SetFontSize(12);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    const int unitY = std::max(1, int(e.UnitY));
    const int unitX = std::max(1, int(e.UnitX));
    const int columns = int(paper.width()) / unitX;
    // A page holds whole lines.
    const int rows = int(paper.height()) / unitY;
    pageRows = rows - 4;
    pageColumns = columns - 7;
    centreColumn = columns / 2.0;
    e.WritePageState();
}

void FeeDocumentPage::placeAndDate(double row, double col)
{
    e.PrintText(row, col, 0,
                datiUtente.value(2) + QStringLiteral(", ") +
                    doc.date.toString(QStringLiteral("dd/MM/yyyy")));
}

void FeeDocumentPage::textualHeading(bool withTaxCode)
{
    const QStringList& u = datiUtente;
    if (const auto intesta = settings.heading())
        e.PrintText(4, 5, 0, *intesta);
    e.PrintText(5, 5, 0, u.value(0));
    e.PrintText(6, 5, 0, u.value(1));
    e.PrintText(7, 5, 0, leftTrimmed(u.value(3) + QLatin1Char(' ') + u.value(2)));
    e.DrawHLine(8.5, 5, 23, 4);
    e.PrintText(9, 5, 0, QStringLiteral("(P.iva ") + u.value(4) + QLatin1Char(')'));
    const QString taxCode = u.value(5);
    if (withTaxCode && taxCode.size() == 16)
        e.PrintText(10, 5, 0,
                    QStringLiteral("(C.F. ") + groupedTaxCode(taxCode) + QStringLiteral(" )"));
}

void FeeDocumentPage::letterhead(double smallSize, bool centredFooter)
{
    e.SetFontSize(smallSize);
    if (const auto ditta = settings.letterheadFooter()) {
        e.DrawHLine(pageRows - 0.5, 2, pageColumns + 5, 1);
        if (centredFooter)
            e.PrintTextStyled(pageRows, centreColumn, 0, 8, 2, QStringLiteral("000"), *ditta);
        else
            e.PrintText(pageRows, 2, 0, *ditta);
    }
    e.SetFontSize(bodySize);
    const LogoPlacement placed = settings.logoPlacement();
    if (QFileInfo(logoFile).isFile())
        e.DrawImage(placed.top, placed.left, placed.width, placed.height, logoFile);
}

void FeeDocumentPage::clientBlock()
{
    constexpr double col = 32;
    if (proForma)
        e.PrintText(11, col, 0, QStringLiteral("Spett.le"));
    else if (!client.definiz.isEmpty())
        e.PrintText(11, col, 0, client.definiz);
    if (!client.name.isEmpty())
        e.PrintText(12, col, 0, client.name);
    if (!client.address.isEmpty())
        e.PrintText(13, col, 0, client.address);
    const QString town = leftTrimmed(client.postcode + QLatin1Char(' ') +
                                     townWithProvince(client.town, client.provincia));
    e.PrintText(14, col, 0, town);

    // The underline runs as far as the widest of the three lines, and at least 20 columns.
    const double widest =
        std::max({e.TextWidth(client.name), e.TextWidth(client.address), e.TextWidth(town)});
    const int length = std::max(20, int(widest) / std::max(1, int(e.UnitX)) + 1);
    e.DrawHLine(15.5, 31, 31 + length, 4);

    const QString taxCode = groupedTaxCode(client.taxCode.toUpper());
    if (proForma) {
        if (!client.vatNumber.isEmpty())
            e.PrintText(16, col, 0,
                        QStringLiteral("(P.iva ") + client.vatNumber + QLatin1Char(')'));
        else if (!taxCode.isEmpty())
            e.PrintText(16, col, 0, QStringLiteral("(C.F. ") + taxCode + QLatin1Char(')'));
        return;
    }
    if (!taxCode.isEmpty())
        e.PrintText(16, col, 0, QStringLiteral("(C.F. ") + taxCode + QLatin1Char(')'));
    if (!client.vatNumber.isEmpty())
        e.PrintText(taxCode.isEmpty() ? 16 : 17, col, 0,
                    QStringLiteral("(P.IVA ") + client.vatNumber + QLatin1Char(')'));
}

void FeeDocumentPage::title()
{
    const QString year = QString::number(doc.key.year());
    e.SetFontSize(proForma ? 13 : 14);
    e.SetFontBold(true);
    if (proForma) {
        const QString text = QStringLiteral("PARCELLA PROFORMA N. ") +
                             QString::number(doc.key.number()) + QStringLiteral(" / ") + year;
        // Column 35 leaves too little room for the title in 13 points: it
        // moves left so as to end where the subject rule ends, never past it.
        e.PrintText(1, std::min(35.0, kRightEdge - e.TextWidth(text) / e.UnitX), 0, text);
    } else
        e.PrintText(20, 5, 0,
                    (doc.isCreditNote() ? QStringLiteral("NOTA DI CREDITO N. ")
                                        : QStringLiteral("FATTURA N. ")) +
                        QString::number(doc.key.number()) + QStringLiteral(" / ") + year);
    e.SetFontSize(bodySize);
    // The invoice it reverses, between the title and the subject.
    if (!proForma && doc.isCreditNote()) {
        e.SetFontBold(false);
        e.PrintText(21.2, 5, 0, reversalText(doc));
        e.SetFontBold(true);
    }
}

void FeeDocumentPage::subjectAndDescription()
{
    int16_t subjectLines = 0;
    if (!doc.subject.isEmpty()) {
        QString counted = doc.subject;
        e.CountParagraphLines(45, counted, subjectLines);
    }
    if (subjectLines > 0)
        e.PrintText(23, 5, 0, QStringLiteral("Oggetto:"));
    // Bold ends with the heading even without a subject, so that the body
    // is never printed bold.
    e.SetFontBold(false);
    if (subjectLines > 0) {
        double row = 23;
        double spacing = 1;
        QString subject = doc.subject;
        e.PrintParagraph(11, 45, row, 28, subject, 3, spacing);
        e.DrawHLine(subjectLines + 23.5, 4.5, kRightEdge, 4);
    }

    // The amounts follow the description lines actually printed: a
    // description cut at its row limit must not push them off the page.
    int printedLines = 0;
    if (!doc.description.isEmpty()) {
        const double first = subjectLines + 24;
        double row = first;
        double spacing = 1;
        QString description = doc.description;
        e.PrintParagraph(5, 50, row, subjectLines + 44, description, 3, spacing);
        printedLines = int(row - first);
    }
    A = printedLines + 28;
}

// A sign stands beside the amount above the line it introduces.
void FeeDocumentPage::sign(const QString& s)
{
    e.PrintText(A, kSignColumn, 0, s);
    A += 1;
}

// The rule under the addends takes a row of its own above their sum.
void FeeDocumentPage::sumRule(double lineWidth, bool twice)
{
    e.DrawHLine(A + 0.5, kRuleFrom, kRuleTo, lineWidth);
    if (twice)
        e.DrawHLine(A + 0.75, kRuleFrom, kRuleTo, lineWidth);
    A += 1;
}

// A label too long for its room goes on over the next rows; the amount
// stands beside its last row, where the sign and the rule that follow expect it.
void FeeDocumentPage::amountLine(const QString& label, const Money& amount)
{
    const QStringList lines = labelLines(label);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        e.PrintText(A, kLabelColumn, 0, lines.at(i));
        A += 1;
    }
    e.PrintText(A, kLabelColumn, 0, lines.last());
    e.PrintText(A, kEuroColumn, 0, QStringLiteral("euro:"));
    e.PrintTextRight(A, kAmountColumn, 0, amount.printText());
}

// Measured in the font the label is printed in.
QStringList FeeDocumentPage::labelLines(const QString& label) const
{
    const double room = kLabelRoom * e.UnitX;
    const auto width = [this](const QString& text) { return e.TextWidth(text); };
    if (width(label) <= room)
        return {label};
    QStringList lines;
    TextLayout::ParagraphBreaker breaker(label, room, width);
    QString line;
    bool last = false;
    while (breaker.next(&line, &last))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines.isEmpty() ? QStringList{label} : lines;
}

Money FeeDocumentPage::withholdingBase() const
{
    return sums.withholdingBase(profileFor(settings, doc)).value();
}

QString rateLabel(const QString& prefix, const QString& rate, const Money& base)
{
    return rate.isEmpty() ? QString()
                          : prefix + rate + QStringLiteral("% su euro:  ") + base.printText();
}

void FeeDocumentPage::amounts()
{
    amountLine(settings.feeCaption().value_or(QStringLiteral("ONORARIO")), sums.fee);
    if (!sums.contribution.isZero()) {
        sign(QStringLiteral("+"));
        amountLine(
            rateLabel(QStringLiteral("Contr.integr. "), rateText(doc.contributionRate), sums.fee),
            sums.contribution);
        if (!sums.vat.isZero()) {
            sign(QStringLiteral("="));
            sumRule(4);
            e.SetFontItalic(true);
            amountLine(QStringLiteral("Totale imponibile "), sums.taxable().value());
            e.SetFontItalic(false);
        }
    }
    if (!sums.vat.isZero()) {
        sign(QStringLiteral("+"));
        amountLine(
            rateLabel(QStringLiteral("I.V.A. "), rateText(doc.vatRate), sums.taxable().value()),
            sums.vat);
    }
    if (!sums.expenses.isZero()) {
        sign(QStringLiteral("+"));
        amountLine(proForma ? QStringLiteral("Rimborso spese esenti da I.V.A. ")
                            : QStringLiteral("Rimborso spese non imponibili "),
                   sums.expenses);
    }
    // A pro-forma's amounts have no stamp duty.
    if (!sums.stamp.isZero()) {
        sign(QStringLiteral("+"));
        amountLine(QStringLiteral("Bollo "), sums.stamp);
    }

    sign(QStringLiteral("="));
    sumRule(4);
    const bool net = !sums.withholding.isZero();
    if (net)
        e.SetFontItalic(true);
    else
        e.SetFontBold(true);
    amountLine(doc.isCreditNote() ? QStringLiteral("TOTALE NOTA DI CREDITO")
                                  : QStringLiteral("TOTALE FATTURA"),
               sums.total().value());
    e.SetFontBold(false);
    e.SetFontItalic(false);
    if (!net)
        return;

    sign(QStringLiteral("-"));
    QString label =
        rateLabel(QStringLiteral("R.A. "), rateText(doc.withholdingRate), withholdingBase());
    const auto note = settings.withholdingNote();
    if (!label.isEmpty() && !proForma && note)
        label += QStringLiteral("  ") + *note;
    amountLine(label, sums.withholding);
    sign(QStringLiteral("="));
    sumRule(3, true);
    e.SetFontBold(true);
    amountLine(QStringLiteral("NETTO A CORRISPONDERE"), sums.net().value());
    e.SetFontBold(false);
}

void FeeDocumentPage::flatRateStatement()
{
    if (!sums.vat.isZero())
        return;
    A += 3;
    e.SetFontSize(8);
    QString text;
    for (const QString& line : settings.flatRateStatement())
        text += line + QStringLiteral("\r\n");
    double spacing = 1;
    e.PrintParagraph(5, 50, A, A + 7, text, 0, spacing);
}

void FeeDocumentPage::withholdingExplanation()
{
    if (sums.withholding.isZero() || !doc.withholdingRate)
        return;
    A += 3;
    e.PrintTextStyled(A, 10, 0, 11, 0, QStringLiteral("001"),
                      QStringLiteral("RITENUTA DI ACCONTO"));
    A += 1;
    e.PrintText(A, 10, 0,
                rateText(doc.withholdingRate) + QStringLiteral("% su euro:  ") +
                    withholdingBase().printText() + QStringLiteral(" = ") +
                    sums.withholding.printText());
}

// The notes end near the foot of the page unless the body reaches further.
void FeeDocumentPage::notes(double size, double rowsAfter)
{
    if (doc.notes.isEmpty())
        return;
    A += 1;
    e.SetFontSize(size);
    int16_t lines = 0;
    QString counted = doc.notes;
    e.CountParagraphLines(50, counted, lines);
    if (55 - lines > A)
        A = 55 - lines;
    double spacing = 1;
    QString text = doc.notes;
    e.PrintParagraph(5, 50, A, A + rowsAfter, text, 3, spacing);
}

} // namespace

QString groupedTaxCode(const QString& code)
{
    if (code.size() != 16)
        return code;
    return code.left(3) + QLatin1Char(' ') + code.mid(3, 3) + QLatin1Char(' ') + code.mid(6, 5) +
           QLatin1Char(' ') + code.mid(11, 5);
}

std::optional<DocumentToPrint> findDocumentToPrint(AppContext& context, FeeDocumentKind kind,
                                                   const std::optional<DocumentKey>& key,
                                                   QString* message)
{
    const bool proForma = kind == FeeDocumentKind::ProForma;
    const FeeDocuments documents(context.DbArchivi, kind);
    const auto count = documents.count(message);
    if (!count)
        return std::nullopt;
    if (*count == 0) {
        *message = proForma ? QStringLiteral("Non sono state immesse Parcelle")
                            : QStringLiteral("Non sono state immesse fatture");
        return std::nullopt;
    }
    const auto document = key ? documents.find(*key, message) : std::nullopt;
    if (!message->isEmpty())
        return std::nullopt;
    if (!document) {
        *message = proForma ? QStringLiteral("Parcella non trovata")
                            : QStringLiteral("Fattura non trovata");
        return std::nullopt;
    }

    const Clients clients(context.DbArchivi);
    const auto clientCount = clients.count(message);
    if (!clientCount)
        return std::nullopt;
    if (*clientCount == 0) {
        *message = QStringLiteral("Archivio clienti inconsistente");
        return std::nullopt;
    }
    const auto client = clients.find(document->clientCode, message);
    if (!message->isEmpty())
        return std::nullopt;
    if (!client) {
        *message = QStringLiteral("Dati personali del cliente non trovati");
        return std::nullopt;
    }
    return DocumentToPrint{*document, *client, context.DatiUtente, context.logoFile()};
}

void StampaFattura(PageRecorder& recorder, const DocumentToPrint& invoice, const Settings& settings,
                   InvoicePrintChoice choice)
{
    FeeDocumentPage page(recorder, invoice, settings, false);
    page.setUp();
    recorder.SetFontSize(9);
    if (choice.dateLine)
        page.placeAndDate(6, 45);
    if (choice.letterhead)
        page.letterhead(6.75, true);
    else
        page.textualHeading(true);
    page.clientBlock();
    page.title();
    page.subjectAndDescription();
    page.amounts();
    page.flatRateStatement();
    page.notes(7, 7);
}

void StampaParcella(PageRecorder& recorder, const DocumentToPrint& proForma,
                    const Settings& settings)
{
    FeeDocumentPage page(recorder, proForma, settings, true);
    page.setUp();
    recorder.SetFontSize(11);
    page.placeAndDate(3, 35);
    if (settings.proFormaOnLetterhead())
        page.letterhead(7, false);
    else
        page.textualHeading(false);
    page.clientBlock();
    page.title();
    page.subjectAndDescription();
    page.amounts();
    page.withholdingExplanation();
    page.notes(11, 5);
}

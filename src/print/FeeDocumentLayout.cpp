#include "FeeDocumentLayout.h"

#include "AppContext.h"
#include "DataFolder.h"
#include "DocumentNumber.h"
#include "IniFile.h"
#include "KeyText.h"
#include "PageRecorder.h"
#include "Recordset.h"
#include "TextForms.h"
#include "TextLayout.h"

#include <QDate>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kGenerale = QStringLiteral("Generale");
const QString kCartaIntestata = QStringLiteral("CartaIntestata");

// Record positions shared by Fatture and Parcelle.
namespace Pos {
enum : int {
    Date = 1,
    Number = 2,
    Client = 3,
    Subject = 4,
    Description = 5,
    Fee = 6,
    VatRate = 7,
    ContributionRate = 8,
    WithholdingRate = 9,
    Notes = 11,
    Vat = 12,
    Contribution = 13,
    Withholding = 14,
    Expenses = 15,
    Stamp = 16,
};
}

// Columns of the amounts block.
constexpr double kLabelColumn = 10;
constexpr double kEuroColumn = 37;
constexpr double kAmountColumn = 47;
constexpr double kSignColumn = 49;
constexpr double kRuleFrom = 32;
constexpr double kRuleTo = 52;
// A label keeps a column clear before "euro:".
constexpr double kLabelRoom = kEuroColumn - kLabelColumn - 1;
// The width of the number in a document's key.
constexpr int kNumberWidth = 10;
// The right end of the subject rule: the page's text stays left of it.
constexpr double kRightEdge = 55.5;

struct FeeDocument
{
    QDate date;
    QString number;
    QString clientCode;
    QString subject;
    QString description;
    QString notes;
    QString vatRate; // empty when the rate is Null
    QString contributionRate;
    QString withholdingRate;
    qint64 fee = 0;
    qint64 vat = 0;
    qint64 contribution = 0;
    qint64 withholding = 0;
    qint64 expenses = 0;
    qint64 stamp = 0;
};

struct Client
{
    QString definiz;
    QString name;
    QString address;
    QString town;
    QString postcode;
    QString vatNumber;
    QString taxCode;
};

qint64 cents(const Recordset& table, int position)
{
    const QVariant v = table.value(position);
    return v.isNull() ? 0 : v.toLongLong();
}

FeeDocument readDocument(const Recordset& table, bool withStamp)
{
    FeeDocument d;
    d.date = table.value(Pos::Date).toDate();
    d.number = table.text(Pos::Number).trimmed();
    d.clientCode = table.text(Pos::Client);
    d.subject = table.text(Pos::Subject);
    d.description = table.text(Pos::Description);
    d.notes = table.text(Pos::Notes);
    d.vatRate = table.text(Pos::VatRate);
    d.contributionRate = table.text(Pos::ContributionRate);
    d.withholdingRate = table.text(Pos::WithholdingRate);
    d.fee = cents(table, Pos::Fee);
    d.vat = cents(table, Pos::Vat);
    d.contribution = cents(table, Pos::Contribution);
    d.withholding = cents(table, Pos::Withholding);
    d.expenses = cents(table, Pos::Expenses);
    if (withStamp)
        d.stamp = cents(table, Pos::Stamp);
    return d;
}

Client readClient(const Recordset& table)
{
    Client c;
    for (int i = 0; i < table.fieldCount(); ++i)
        if (table.fieldInfo(i).name == QLatin1String("Definiz"))
            c.definiz = table.text(i);
    c.name = table.text(2);
    c.address = table.text(3);
    c.town = table.text(4);
    c.postcode = table.text(5);
    c.vatNumber = table.text(6);
    c.taxCode = table.text(7);
    return c;
}

QString setting(const QString& section, const QString& key, const QString& file)
{
    return LeggiIni(section, key, file).value_or(QString());
}

// A twips setting of the logo: its leading number, or the default when absent.
double twipsSetting(const QString& key, double fallback, const QString& file)
{
    const auto value = LeggiIni(kCartaIntestata, key, file);
    return value ? leadingNumber(*value) : fallback;
}

QString leftTrimmed(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

// The page of one document: the grid of the letter M at 12 points, the
// lookups, and each block of the page in order. The invoice and the
// pro-forma differ in a few places, chosen by `proForma`.
class FeeDocumentPage
{
public:
    FeeDocumentPage(PageRecorder& recorder, AppContext& context, bool proForma)
        : e(recorder), ctx(context), proForma(proForma), ini(context.settingsFile()),
          bodySize(proForma ? 11 : 9)
    {
    }

    void setUp();
    QString find(const QString& date, const QString& number);
    void placeAndDate(double row, double col);
    void textualHeading(bool withTaxCode);
    void letterhead(double smallSize, bool centredFooter);
    void clientBlock();
    void title(const QString& year);
    void subjectAndDescription();
    void amounts();
    void flatRateStatement();
    void withholdingExplanation();
    void notes(double size, double rowsAfter);

    PageRecorder& e;
    AppContext& ctx;
    const bool proForma;
    const QString ini;
    const double bodySize;
    FeeDocument doc;
    Client client;
    double pageRows = 0;
    double pageColumns = 0;
    double centreColumn = 0;
    double A = 0; // the row of the amounts block being printed

private:
    void sign(const QString& s);
    void sumRule(double lineWidth, bool twice = false);
    void amountLine(const QString& label, qint64 amount);
    QStringList labelLines(const QString& label) const;
    qint64 withholdingBase() const;
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
    pageRows = int(paper.height()) / unitY - 4;
    pageColumns = columns - 7;
    centreColumn = columns / 2.0;
    e.WritePageState();
}

QString FeeDocumentPage::find(const QString& date, const QString& number)
{
    QString error;
    auto clients = Recordset::OpenTable(ctx.DbArchivi, ctx.NomiTabelle.value(0), &error);
    auto documents = clients ? Recordset::OpenTable(ctx.DbArchivi,
                                                    ctx.NomiTabelle.value(proForma ? 4 : 1), &error)
                             : nullptr;
    if (!documents)
        return error;

    if (documents->RecordCount() == 0)
        return proForma ? QStringLiteral("Non sono state immesse Parcelle")
                        : QStringLiteral("Non sono state immesse fatture");
    // The year of the date and the number right-aligned, as the windows store
    // it. A number of more than ten digits would be cut to another one's key.
    const QString stored = documentNumber(number);
    const QString key = stored.isEmpty() || stored.size() > kNumberWidth
                            ? QString()
                            : buildKey({{QStringLiteral("TOLD-"), 10, date},
                                        {QStringLiteral("LOL"), kNumberWidth, stored}});
    if (key.isEmpty() || !documents->Seek(QStringLiteral("="), key) || documents->NoMatch())
        return proForma ? QStringLiteral("Parcella non trovata")
                        : QStringLiteral("Fattura non trovata");
    doc = readDocument(*documents, !proForma);

    if (clients->RecordCount() == 0)
        return QStringLiteral("Archivio clienti inconsistente");
    if (doc.clientCode.isEmpty() || !clients->Seek(QStringLiteral("="), doc.clientCode) ||
        clients->NoMatch())
        return QStringLiteral("Dati personali del cliente non trovati");
    client = readClient(*clients);
    return {};
}

void FeeDocumentPage::placeAndDate(double row, double col)
{
    e.PrintText(row, col, 0,
                ctx.DatiUtente.value(2) + QStringLiteral(", ") +
                    doc.date.toString(QStringLiteral("dd/MM/yyyy")));
}

void FeeDocumentPage::textualHeading(bool withTaxCode)
{
    const QStringList& u = ctx.DatiUtente;
    const QString intesta = setting(kGenerale, QStringLiteral("Intesta"), ini);
    if (!intesta.isEmpty())
        e.PrintText(4, 5, 0, intesta);
    e.PrintText(5, 5, 0, u.value(0));
    e.PrintText(6, 5, 0, u.value(1));
    e.PrintText(7, 5, 0, leftTrimmed(u.value(3) + QLatin1Char(' ') + u.value(2)));
    e.DrawHLine(8.5, 5, 23, 4);
    e.PrintText(9, 5, 0, QStringLiteral("(P.iva ") + u.value(4) + QLatin1Char(')'));
    const QString taxCode = u.value(5);
    if (withTaxCode && taxCode.size() == 16)
        e.PrintText(10, 5, 0,
                    QStringLiteral("(C.F. ") + codiceFiscaleRaggruppato(taxCode) +
                        QStringLiteral(" )"));
}

void FeeDocumentPage::letterhead(double smallSize, bool centredFooter)
{
    e.SetFontSize(smallSize);
    const QString ditta = setting(kCartaIntestata, QStringLiteral("Ditta"), ini);
    if (!ditta.isEmpty()) {
        e.DrawHLine(pageRows - 0.5, 2, pageColumns + 5, 1);
        if (centredFooter)
            e.PrintTextStyled(pageRows, centreColumn, 0, 8, 2, QStringLiteral("000"), ditta);
        else
            e.PrintText(pageRows, 2, 0, ditta);
    }
    e.SetFontSize(bodySize);
    // The first setting is the distance from the top, the second from the left.
    const double top = twipsSetting(QStringLiteral("logo_x"), 100, ini);
    const double left = twipsSetting(QStringLiteral("logo_y"), 100, ini);
    const double width = twipsSetting(QStringLiteral("logo_larg"), 3000, ini);
    const double height = twipsSetting(QStringLiteral("logo_alt"), 2000, ini);
    const QString logo = ctx.programFolder + QLatin1Char('/') + QLatin1String(kLogoFileName);
    if (QFileInfo(logo).isFile())
        e.DrawImage(top, left, width, height, logo);
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
    const QString town = leftTrimmed(client.postcode + QLatin1Char(' ') + client.town);
    e.PrintText(14, col, 0, town);

    // The underline runs as far as the widest of the three lines, and at least 20 columns.
    const double widest =
        std::max({e.TextWidth(client.name), e.TextWidth(client.address), e.TextWidth(town)});
    const int length = std::max(20, int(widest) / std::max(1, int(e.UnitX)) + 1);
    e.DrawHLine(15.5, 31, 31 + length, 4);

    const QString taxCode = codiceFiscaleRaggruppato(client.taxCode.toUpper());
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

void FeeDocumentPage::title(const QString& year)
{
    e.SetFontSize(proForma ? 13 : 14);
    e.SetFontBold(true);
    if (proForma) {
        const QString text =
            QStringLiteral("PARCELLA PROFORMA N. ") + doc.number + QStringLiteral(" / ") + year;
        // Column 35 leaves too little room for the title in 13 points: it
        // moves left so as to end where the subject rule ends, never past it.
        e.PrintText(1, std::min(35.0, kRightEdge - e.TextWidth(text) / e.UnitX), 0, text);
    } else
        e.PrintText(20, 5, 0,
                    QStringLiteral("FATTURA N. ") + doc.number + QStringLiteral(" / ") + year);
    e.SetFontSize(bodySize);
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
void FeeDocumentPage::amountLine(const QString& label, qint64 amount)
{
    const QStringList lines = labelLines(label);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        e.PrintText(A, kLabelColumn, 0, lines.at(i));
        A += 1;
    }
    e.PrintText(A, kLabelColumn, 0, lines.last());
    e.PrintText(A, kEuroColumn, 0, QStringLiteral("euro:"));
    e.PrintTextRight(A, kAmountColumn, 0, importoStampa(amount));
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

qint64 FeeDocumentPage::withholdingBase() const
{
    return profiloGeometra(ini) ? doc.fee : doc.fee + doc.contribution;
}

QString rateLabel(const QString& prefix, const QString& rate, qint64 base)
{
    return rate.isEmpty() ? QString()
                          : prefix + rate + QStringLiteral("% su euro:  ") + importoStampa(base);
}

void FeeDocumentPage::amounts()
{
    const QString importo = setting(kGenerale, QStringLiteral("Importo"), ini);
    amountLine(importo.isEmpty() ? QStringLiteral("ONORARIO") : importo, doc.fee);
    qint64 total = doc.fee;

    if (doc.contribution != 0) {
        sign(QStringLiteral("+"));
        amountLine(rateLabel(QStringLiteral("Contr.integr. "), doc.contributionRate, doc.fee),
                   doc.contribution);
        total += doc.contribution;
        if (doc.vat != 0) {
            sign(QStringLiteral("="));
            sumRule(4);
            e.SetFontItalic(true);
            amountLine(QStringLiteral("Totale imponibile "), total);
            e.SetFontItalic(false);
        }
    }
    if (doc.vat != 0) {
        sign(QStringLiteral("+"));
        amountLine(rateLabel(QStringLiteral("I.V.A. "), doc.vatRate, total), doc.vat);
        total += doc.vat;
    }
    if (doc.expenses != 0) {
        sign(QStringLiteral("+"));
        amountLine(proForma ? QStringLiteral("Rimborso spese esenti da I.V.A. ")
                            : QStringLiteral("Rimborso spese non imponibili "),
                   doc.expenses);
        total += doc.expenses;
    }
    if (doc.stamp != 0 && !proForma) {
        sign(QStringLiteral("+"));
        amountLine(QStringLiteral("Bollo "), doc.stamp);
        total += doc.stamp;
    }

    sign(QStringLiteral("="));
    sumRule(4);
    const bool net = doc.withholding != 0;
    if (net)
        e.SetFontItalic(true);
    else
        e.SetFontBold(true);
    amountLine(QStringLiteral("TOTALE FATTURA"), total);
    e.SetFontBold(false);
    e.SetFontItalic(false);
    if (!net)
        return;

    sign(QStringLiteral("-"));
    QString label = rateLabel(QStringLiteral("R.A. "), doc.withholdingRate, withholdingBase());
    const QString note = setting(kGenerale, QStringLiteral("Nota_RA"), ini);
    if (!label.isEmpty() && !proForma && !note.isEmpty())
        label += QStringLiteral("  ") + note;
    amountLine(label, doc.withholding);
    total -= doc.withholding;
    sign(QStringLiteral("="));
    sumRule(3, true);
    e.SetFontBold(true);
    amountLine(QStringLiteral("NETTO A CORRISPONDERE"), total);
    e.SetFontBold(false);
}

void FeeDocumentPage::flatRateStatement()
{
    if (doc.vat != 0)
        return;
    A += 3;
    e.SetFontSize(8);
    QString text;
    for (const char* key : {"Minimi_1", "Minimi_2", "Minimi_3"}) {
        const QString line = setting(kGenerale, QString::fromLatin1(key), ini);
        if (!line.isEmpty())
            text += line + QStringLiteral("\r\n");
    }
    double spacing = 1;
    e.PrintParagraph(5, 50, A, A + 7, text, 0, spacing);
}

void FeeDocumentPage::withholdingExplanation()
{
    if (doc.withholding == 0 || doc.withholdingRate.isEmpty())
        return;
    A += 3;
    e.PrintTextStyled(A, 10, 0, 11, 0, QStringLiteral("001"),
                      QStringLiteral("RITENUTA DI ACCONTO"));
    A += 1;
    e.PrintText(A, 10, 0,
                doc.withholdingRate + QStringLiteral("% su euro:  ") +
                    importoStampa(withholdingBase()) + QStringLiteral(" = ") +
                    importoStampa(doc.withholding));
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

QString importoStampa(qint64 cents)
{
    QString s = euroFromCents(cents);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString codiceFiscaleRaggruppato(const QString& code)
{
    if (code.size() != 16)
        return code;
    return code.left(3) + QLatin1Char(' ') + code.mid(3, 3) + QLatin1Char(' ') + code.mid(6, 5) +
           QLatin1Char(' ') + code.mid(11, 5);
}

QString StampaFattura(PageRecorder& recorder, AppContext& context, const QString& numero,
                      const QString& data, InvoicePrintChoice choice)
{
    FeeDocumentPage page(recorder, context, false);
    page.setUp();
    if (QString message = page.find(data, numero); !message.isEmpty())
        return message;
    recorder.SetFontSize(9);
    if (choice.stampaData)
        page.placeAndDate(6, 45);
    if (choice.carta)
        page.letterhead(6.75, true);
    else
        page.textualHeading(true);
    page.clientBlock();
    page.title(QString::number(parseItalianDate(data).year()));
    page.subjectAndDescription();
    page.amounts();
    page.flatRateStatement();
    page.notes(7, 7);
    return {};
}

QString StampaParcella(PageRecorder& recorder, AppContext& context, const QString& data,
                       const QString& numero)
{
    FeeDocumentPage page(recorder, context, true);
    page.setUp();
    if (QString message = page.find(data, numero); !message.isEmpty())
        return message;
    recorder.SetFontSize(11);
    page.placeAndDate(3, 35);
    if (LeggiIni(kCartaIntestata, QStringLiteral("LogoParcella"), context.settingsFile()))
        page.letterhead(7, false);
    else
        page.textualHeading(false);
    page.clientBlock();
    page.title(QString::number(parseItalianDate(data).year()));
    page.subjectAndDescription();
    page.amounts();
    page.withholdingExplanation();
    page.notes(11, 5);
    return {};
}

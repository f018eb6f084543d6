#include "FatturaPALayout.h"

#include "FatturaPACodes.h"
#include "PageRecorder.h"
#include "TextLayout.h"

#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <functional>

namespace {

// A column is a fixed 100 twips (1.76 mm), a row one line of the body text.
constexpr double kUnitX = 100;
constexpr double kLeft = 10;
constexpr double kRight = 109;
constexpr double kMiddle = 59.5; // the buyer's column
constexpr double kHeaderRow = 2;
constexpr double kFirstRow = 5.5;
constexpr double kLastRow = 78.5; // nothing of the content below this row
constexpr double kFooterRow = 80.5;
constexpr double kRule = 6;     // twips
constexpr double kThinRule = 3; // twips

FontState font(double size, bool bold = false, bool italic = false)
{
    FontState f;
    f.name = QStringLiteral("Arial");
    f.size = size;
    f.bold = bold;
    f.italic = italic;
    return f;
}

const FontState kBody = font(8.5);
const FontState kBodyBold = font(8.5, true);
const FontState kLabel = font(7);
const FontState kLabelBold = font(7, true);
const FontState kSection = font(8.5, true);
const FontState kTitle = font(13, true);
const FontState kWarning = font(8.5, true, true);

QString day(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString amount(const QString& text)
{
    return text.isEmpty() ? QString() : italianDecimal(text);
}

// "22%", or the nature of a line without VAT.
QString rateOrNature(const QString& rate, const QString& nature)
{
    return nature.isEmpty() ? italianPercent(rate) : nature;
}

struct Op
{
    enum Kind { Left, Right, Centred, Rule } kind;
    double row;
    double col;
    double extent; // the longest width of a text, the end of a rule
    QString text;
    FontState font;
    double lineWidth = 0;
};

// The layout is planned first, page by page, so that each page can say how
// many there are; then it is recorded.
class Planner
{
public:
    Planner(const PageRecorder& recorder, double unitY) : m_recorder(recorder), m_unitY(unitY)
    {
        newPage();
    }

    QList<QList<Op>> pages() const { return m_pages; }
    double row() const { return m_row; }
    void skip(double rows) { m_row += rows; }

    // Room for `rows` more rows on this page, or a new page; a table's
    // headings follow a page break.
    void need(double rows)
    {
        if (m_row + rows <= kLastRow)
            return;
        newPage();
        if (m_tableHeading)
            m_tableHeading();
    }
    void setTableHeading(std::function<void()> heading) { m_tableHeading = std::move(heading); }
    void breakPage() { newPage(); }

    void text(double row, double col, const QString& text, const FontState& f,
              Op::Kind kind = Op::Left, double maxWidth = 0)
    {
        if (!text.isEmpty())
            m_pages.last() << Op{kind, row, col, maxWidth, text, f};
    }
    void rule(double row, double from, double to, double width)
    {
        m_pages.last() << Op{Op::Rule, row, from, to, QString(), kBody, width};
    }

    double width(const QString& text, const FontState& f) const
    {
        return m_recorder.TextWidthIn(f, text) / kUnitX;
    }

    // The lines of a text wrapped at `width` columns; each paragraph of the
    // text starts a line.
    QStringList wrap(const QString& text, double width, const FontState& f) const
    {
        TextLayout::ParagraphBreaker breaker(
            QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), width * kUnitX,
            [&](const QString& s) { return m_recorder.TextWidthIn(f, s); });
        QStringList lines;
        QString line;
        bool last = false;
        while (breaker.next(&line, &last))
            lines << line.trimmed();
        return lines;
    }

    // Rows of a font smaller or larger than the body's.
    double rows(const FontState& f) const { return m_recorder.LineHeightIn(f) / m_unitY; }

    // A section's title over a rule.
    void section(const QString& title, double rowsAfter)
    {
        need(1.6 + rowsAfter);
        text(m_row, kLeft, title, kSection);
        rule(m_row + 1.15, kLeft, kRight, kThinRule);
        m_row += 1.5;
    }

    // "Label value" pairs one after the other, on as many lines as they
    // need.
    void fields(const QList<std::pair<QString, QString>>& pairs, double from = kLeft,
                double to = kRight)
    {
        double col = from;
        need(1);
        for (const auto& [label, value] : pairs) {
            if (value.isEmpty())
                continue;
            const double labelWidth = width(label, kLabel) + 0.6;
            const double valueWidth = std::min(width(value, kBody), to - from - labelWidth);
            if (col > from && col + labelWidth + valueWidth > to) {
                m_row += 1;
                need(1);
                col = from;
            }
            text(m_row + 0.15, col, label, kLabel);
            text(m_row, col + labelWidth, value, kBody, Op::Left, valueWidth + 0.5);
            col += labelWidth + valueWidth + 3;
        }
        m_row += 1;
    }

private:
    void newPage()
    {
        m_pages << QList<Op>();
        m_row = kFirstRow;
    }

    const PageRecorder& m_recorder;
    double m_unitY;
    QList<QList<Op>> m_pages;
    double m_row = kFirstRow;
    std::function<void()> m_tableHeading;
};

// A party's lines: the name in bold, then address and tax identity.
double party(Planner& p, double col, double width, double row, const QString& title,
             const FatturaPAParty& who)
{
    p.text(row, col, title, kLabelBold);
    p.rule(row + 1, col, col + width, kThinRule);
    row += 1.3;
    for (const QString& line : p.wrap(who.name, width, kBodyBold))
        p.text(row++, col, line, kBodyBold);
    QStringList lines;
    lines << who.address;
    QString town = who.postcode + QLatin1Char(' ') + who.town;
    if (!who.province.isEmpty())
        town += QStringLiteral(" (") + who.province + QLatin1Char(')');
    if (!who.country.isEmpty() && who.country != QLatin1String("IT"))
        town += QStringLiteral(" - ") + who.country;
    lines << town.trimmed();
    if (!who.vatNumber.isEmpty())
        lines << QStringLiteral("Partita IVA ") + who.vatCountry + who.vatNumber;
    if (!who.taxCode.isEmpty())
        lines << QStringLiteral("Codice fiscale ") + who.taxCode;
    if (!who.regime.isEmpty())
        lines << QStringLiteral("Regime fiscale ") +
                     codeWithName(who.regime, regimeName(who.regime));
    if (!who.phone.isEmpty())
        lines << QStringLiteral("Telefono ") + who.phone;
    if (!who.email.isEmpty())
        lines << QStringLiteral("Email ") + who.email;
    for (const QString& text : std::as_const(lines))
        for (const QString& line : p.wrap(text, width, kBody))
            p.text(row++, col, line, kBody);
    return row;
}

void header(Planner& p, const FatturaPAContent& c)
{
    if (c.isSigned) {
        const QString note =
            c.signatureVerified
                ? QStringLiteral("File firmato digitalmente (.p7m): la firma corrisponde al "
                                 "contenuto.")
                : QStringLiteral(
                      "ATTENZIONE: la firma digitale del file non è stata verificata (") +
                      c.signatureProblem +
                      QStringLiteral("); il contenuto mostrato potrebbe essere stato modificato.");
        const FontState& f = c.signatureVerified ? kBody : kWarning;
        for (const QString& line : p.wrap(note, kRight - kLeft, f)) {
            p.text(p.row(), kLeft, line, f);
            p.skip(1);
        }
        p.skip(0.6);
    }
    const double width = kMiddle - kLeft - 4;
    const double start = p.row();
    const double left = party(p, kLeft, width, start,
                              QStringLiteral("CEDENTE / PRESTATORE (FORNITORE)"), c.supplier);
    const double right = party(p, kMiddle, kRight - kMiddle, start,
                               QStringLiteral("CESSIONARIO / COMMITTENTE (CLIENTE)"), c.client);
    p.skip(std::max(left, right) - start + 0.8);

    p.section(QStringLiteral("DATI DI TRASMISSIONE"), 1);
    QString format = c.format.isEmpty() ? c.version : c.format;
    if (format == QLatin1String("FPR12"))
        format += QStringLiteral(" (privati)");
    else if (format == QLatin1String("FPA12"))
        format += QStringLiteral(" (Pubblica Amministrazione)");
    p.fields({{QStringLiteral("Progressivo invio"), c.progressive},
              {QStringLiteral("Formato"), format},
              {QStringLiteral("Codice destinatario"), c.recipientCode},
              {QStringLiteral("PEC destinatario"), c.recipientPec},
              {QStringLiteral("Trasmittente"), c.transmitter}});
    p.skip(0.6);
}

void documentData(Planner& p, const FatturaPABody& b, const QString& title)
{
    p.section(title, 2);
    p.fields({{QStringLiteral("Tipo documento"),
               codeWithName(b.documentType, documentTypeName(b.documentType))},
              {QStringLiteral("Numero"), b.number},
              {QStringLiteral("Data"), day(b.date)},
              {QStringLiteral("Divisa"), b.currency},
              {QStringLiteral("Importo totale"), amount(b.total)}});
    for (const FatturaPALinkedInvoice& l : b.linkedInvoices)
        p.fields({{QStringLiteral("Fattura collegata"),
                   QStringLiteral("n. ") + l.number +
                       (l.date.isValid() ? QStringLiteral(" del ") + day(l.date) : QString())}});
    if (!b.stampDuty.isEmpty())
        p.fields({{QStringLiteral("Bollo virtuale"), amount(b.stampDuty)}});
    for (const FatturaPAWithholding& w : b.withholdings)
        p.fields({{QStringLiteral("Ritenuta"), codeWithName(w.type, withholdingName(w.type))},
                  {QStringLiteral("Aliquota"), italianPercent(w.rate)},
                  {QStringLiteral("Importo"), amount(w.amount)},
                  {QStringLiteral("Causale pagamento"), w.reason}});
    for (const FatturaPAFund& f : b.funds)
        p.fields({{QStringLiteral("Cassa previdenziale"), codeWithName(f.type, fundName(f.type))},
                  {QStringLiteral("Aliquota"), italianPercent(f.rate)},
                  {QStringLiteral("Imponibile"), amount(f.taxable)},
                  {QStringLiteral("Contributo"), amount(f.amount)},
                  {QStringLiteral("IVA"), rateOrNature(f.vatRate, f.nature)},
                  {QStringLiteral("Soggetto a ritenuta"), f.withheld ? QStringLiteral("sì") : ""}});
    for (const QString& reason : b.reasons) {
        const double labelWidth = p.width(QStringLiteral("Causale"), kLabel) + 0.6;
        const QStringList lines = p.wrap(reason, kRight - kLeft - labelWidth, kBody);
        for (int i = 0; i < lines.size(); ++i) {
            p.need(1);
            if (i == 0)
                p.text(p.row() + 0.15, kLeft, QStringLiteral("Causale"), kLabel);
            p.text(p.row(), kLeft + labelWidth, lines[i], kBody);
            p.skip(1);
        }
    }
    p.skip(0.6);
}

// Columns of the lines' table.
constexpr double kNumberEnd = 13;
constexpr double kDescription = 14.5;
constexpr double kDescriptionEnd = 62;
constexpr double kQuantityEnd = 72;
constexpr double kPriceEnd = 86;
constexpr double kTotalEnd = 100;
constexpr double kVat = 102;

void lines(Planner& p, const FatturaPABody& b)
{
    if (b.lines.isEmpty())
        return;
    const auto heading = [&p] {
        const double r = p.row();
        p.text(r, kNumberEnd, QStringLiteral("N."), kLabelBold, Op::Right);
        p.text(r, kDescription, QStringLiteral("Descrizione"), kLabelBold);
        p.text(r, kQuantityEnd, QStringLiteral("Quantità"), kLabelBold, Op::Right);
        p.text(r, kPriceEnd, QStringLiteral("Prezzo unitario"), kLabelBold, Op::Right);
        p.text(r, kTotalEnd, QStringLiteral("Importo"), kLabelBold, Op::Right);
        p.text(r, kVat, QStringLiteral("IVA"), kLabelBold);
        p.rule(r + 1, kLeft, kRight, kThinRule);
        p.skip(1.3);
    };
    p.section(QStringLiteral("DETTAGLIO DELLE RIGHE"), 3);
    heading();
    p.setTableHeading(heading);
    for (const FatturaPALine& l : b.lines) {
        const QStringList text = p.wrap(l.description, kDescriptionEnd - kDescription, kBody);
        // A description of a few rows stays on one page; a longer one flows on.
        p.need(double(std::clamp<qsizetype>(text.size(), 1, 8)));
        const double r = p.row();
        QString quantity = l.quantity.isEmpty() ? QString() : italianDecimal(l.quantity);
        if (!quantity.isEmpty() && !l.unit.isEmpty())
            quantity += QLatin1Char(' ') + l.unit;
        p.text(r, kNumberEnd, l.number, kBody, Op::Right);
        p.text(r, kQuantityEnd, quantity, kBody, Op::Right, kQuantityEnd - kDescriptionEnd - 1);
        p.text(r, kPriceEnd, amount(l.unitPrice), kBody, Op::Right, kPriceEnd - kQuantityEnd - 1);
        p.text(r, kTotalEnd, amount(l.total), kBody, Op::Right, kTotalEnd - kPriceEnd - 1);
        p.text(r, kVat, rateOrNature(l.vatRate, l.nature) + (l.withheld ? " R" : ""), kBody,
               Op::Left, kRight - kVat);
        for (const QString& line : text) {
            p.need(1);
            p.text(p.row(), kDescription, line, kBody);
            p.skip(1);
        }
        if (text.isEmpty())
            p.skip(1);
        p.skip(0.25);
    }
    p.setTableHeading({});
    if (std::any_of(b.lines.begin(), b.lines.end(),
                    [](const FatturaPALine& l) { return l.withheld; })) {
        p.need(1);
        p.text(p.row(), kLeft, QStringLiteral("R: riga soggetta a ritenuta"), kLabel);
        p.skip(1);
    }
    p.skip(0.6);
}

// Columns of the VAT summaries.
constexpr double kTaxableEnd = 66;
constexpr double kTaxEnd = 80;
constexpr double kReference = 83;

void summaries(Planner& p, const FatturaPABody& b)
{
    if (b.summaries.isEmpty())
        return;
    const auto heading = [&p] {
        const double r = p.row();
        p.text(r, kLeft, QStringLiteral("Aliquota o natura"), kLabelBold);
        p.text(r, kTaxableEnd, QStringLiteral("Imponibile"), kLabelBold, Op::Right);
        p.text(r, kTaxEnd, QStringLiteral("Imposta"), kLabelBold, Op::Right);
        p.text(r, kReference, QStringLiteral("Esigibilità e riferimento normativo"), kLabelBold);
        p.rule(r + 1, kLeft, kRight, kThinRule);
        p.skip(1.3);
    };
    p.section(QStringLiteral("RIEPILOGO IVA"), 3);
    heading();
    p.setTableHeading(heading);
    for (const FatturaPASummary& s : b.summaries) {
        const QString what = s.nature.isEmpty() ? italianPercent(s.vatRate)
                                                : codeWithName(s.nature, natureName(s.nature));
        const QString when = chargeabilityName(s.chargeability);
        QString note = s.chargeability.isEmpty() ? QString()
                                                 : QStringLiteral("Esigibilità ") +
                                                       (when.isEmpty() ? s.chargeability : when);
        if (!s.reference.isEmpty())
            note += (note.isEmpty() ? QString() : QStringLiteral(" - ")) + s.reference;
        const QStringList left = p.wrap(what, kTaxableEnd - 14 - kLeft, kBody);
        const QStringList right = p.wrap(note, kRight - kReference, kBody);
        p.need(1);
        p.text(p.row(), kTaxableEnd, amount(s.taxable), kBody, Op::Right);
        p.text(p.row(), kTaxEnd, amount(s.tax), kBody, Op::Right);
        for (qsizetype i = 0; i < std::max<qsizetype>({left.size(), right.size(), 1}); ++i) {
            p.need(1);
            p.text(p.row(), kLeft, left.value(i), kBody);
            p.text(p.row(), kReference, right.value(i), kBody);
            p.skip(1);
        }
        p.skip(0.25);
    }
    p.setTableHeading({});
    if (!b.total.isEmpty()) {
        p.need(1.5);
        p.rule(p.row(), kTaxableEnd - 20, kRight, kThinRule);
        p.skip(0.3);
        p.text(p.row(), kTaxEnd,
               QStringLiteral("Totale documento ") + amount(b.total) +
                   (b.currency.isEmpty() || b.currency == QLatin1String("EUR")
                        ? QStringLiteral(" €")
                        : QLatin1Char(' ') + b.currency),
               kBodyBold, Op::Right);
        p.skip(1);
    }
    p.skip(0.6);
}

// Columns of the payment's instalments.
constexpr double kDue = 44;
constexpr double kAmountEnd = 70;
constexpr double kBank = 73;

void payments(Planner& p, const FatturaPABody& b)
{
    for (const FatturaPAPayment& pay : b.payments) {
        p.section(QStringLiteral("PAGAMENTO"), 3);
        p.fields({{QStringLiteral("Condizioni"),
                   codeWithName(pay.conditions, paymentTermsName(pay.conditions))}});
        if (pay.instalments.isEmpty())
            continue;
        p.skip(0.4);
        const auto heading = [&p] {
            const double r = p.row();
            p.text(r, kLeft, QStringLiteral("Modalità"), kLabelBold);
            p.text(r, kDue, QStringLiteral("Scadenza"), kLabelBold);
            p.text(r, kAmountEnd, QStringLiteral("Importo"), kLabelBold, Op::Right);
            p.text(r, kBank, QStringLiteral("IBAN e istituto"), kLabelBold);
            p.rule(r + 1, kLeft, kRight, kThinRule);
            p.skip(1.3);
        };
        heading();
        p.setTableHeading(heading);
        for (const FatturaPAInstalment& i : pay.instalments) {
            QStringList bank;
            if (!i.iban.isEmpty())
                bank << QStringLiteral("IBAN ") + i.iban;
            if (!i.bank.isEmpty())
                bank << i.bank;
            if (!i.beneficiary.isEmpty())
                bank << QStringLiteral("Beneficiario ") + i.beneficiary;
            QStringList right;
            for (const QString& text : std::as_const(bank))
                right << p.wrap(text, kRight - kBank, kBody);
            const QStringList mode =
                p.wrap(codeWithName(i.mode, paymentModeName(i.mode)), kDue - kLeft - 1, kBody);
            p.need(1);
            p.text(p.row(), kDue, day(i.due), kBody);
            p.text(p.row(), kAmountEnd, amount(i.amount), kBody, Op::Right);
            for (qsizetype n = 0; n < std::max<qsizetype>({mode.size(), right.size(), 1}); ++n) {
                p.need(1);
                p.text(p.row(), kLeft, mode.value(n), kBody);
                p.text(p.row(), kBank, right.value(n), kBody);
                p.skip(1);
            }
            p.skip(0.25);
        }
        p.setTableHeading({});
        p.skip(0.6);
    }
}

void attachments(Planner& p, const FatturaPABody& b)
{
    if (b.attachments.isEmpty())
        return;
    p.section(QStringLiteral("ALLEGATI"), 1);
    for (const FatturaPAAttachmentName& a : b.attachments) {
        QString text = a.name;
        if (!a.format.isEmpty())
            text += QStringLiteral(" (") + a.format + QLatin1Char(')');
        if (!a.description.isEmpty())
            text += QStringLiteral(" - ") + a.description;
        for (const QString& line : p.wrap(text, kRight - kLeft - 2, kBody)) {
            p.need(1);
            p.text(p.row(), kLeft + 2, line, kBody);
            p.skip(1);
        }
    }
    p.skip(0.6);
}

// The recorder's font made `to`, one attribute at a time as the page files
// record them.
void setFont(PageRecorder& e, FontState& current, const FontState& to, bool whole = false)
{
    if (whole || current.name != to.name)
        e.SetFontName(to.name);
    if (whole || current.size != to.size)
        e.SetFontSize(to.size);
    if (whole || current.bold != to.bold)
        e.SetFontBold(to.bold);
    if (whole || current.italic != to.italic)
        e.SetFontItalic(to.italic);
    if (whole || current.underline != to.underline)
        e.SetFontUnderline(to.underline);
    current = to;
}

void record(PageRecorder& e, const FatturaPAContent& c, const QList<QList<Op>>& pages)
{
    for (qsizetype page = 0; page < pages.size(); ++page) {
        if (page > 0)
            e.NewPage();
        // Every page sets its font whole, whatever the page state says.
        FontState current = kTitle;
        setFont(e, current, kTitle, true);
        e.PrintText(kHeaderRow, kLeft, 0, QStringLiteral("Fattura elettronica"));
        setFont(e, current, kBody);
        e.PrintTextRight(kHeaderRow + 0.5, kRight, kRight - kMiddle, c.fileName);
        e.DrawHLine(kHeaderRow + 2, kLeft, kRight, kRule);
        for (const Op& op : pages[page]) {
            if (op.kind == Op::Rule) {
                e.DrawHLine(op.row, op.col, op.extent, op.lineWidth);
                continue;
            }
            setFont(e, current, op.font);
            if (op.kind == Op::Right)
                e.PrintTextRight(op.row, op.col, op.extent, op.text);
            else if (op.kind == Op::Centred)
                e.PrintTextCentred(op.row, op.col, op.extent, op.text);
            else
                e.PrintText(op.row, op.col, op.extent, op.text);
        }
        e.DrawHLine(kFooterRow - 0.3, kLeft, kRight, kRule);
        setFont(e, current, kLabel);
        e.PrintText(kFooterRow, kLeft, kMiddle - kLeft,
                    QStringLiteral("Copia di cortesia della fattura elettronica ") + c.fileName);
        e.PrintTextRight(kFooterRow, kRight, 0,
                         QStringLiteral("Pagina %1 di %2").arg(page + 1).arg(pages.size()));
    }
}

} // namespace

void layoutFatturaPA(PageRecorder& recorder, const FatturaPAContent& content)
{
    recorder.UnitX = kUnitX;
    recorder.UnitY = recorder.LineHeightIn(kBody);
    recorder.WritePageState();
    Planner p(recorder, recorder.UnitY);
    header(p, content);
    const qsizetype count = content.bodies.size();
    for (qsizetype i = 0; i < count; ++i) {
        const FatturaPABody& b = content.bodies[i];
        // Each document of a file of several begins a page.
        if (i > 0)
            p.breakPage();
        documentData(p, b,
                     count > 1 ? QStringLiteral("DOCUMENTO %1 DI %2").arg(i + 1).arg(count)
                               : QStringLiteral("DATI DEL DOCUMENTO"));
        lines(p, b);
        summaries(p, b);
        payments(p, b);
        attachments(p, b);
    }
    record(recorder, content, p.pages());
}

QString fatturaPAViewPdfPath(const QString& archiveFolder, const QString& fileName)
{
    QString base = QFileInfo(fileName).fileName();
    for (const char* suffix : {".p7m", ".xml"})
        if (base.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            base.chop(qsizetype(qstrlen(suffix)));
    if (base.isEmpty())
        base = QStringLiteral("FatturaElettronica");
    return archiveFolder + QStringLiteral("/Stampe/") + base + QStringLiteral(".pdf");
}

#include "FatturaPAChecks.h"

#include "Clock.h"
#include "FeeAmounts.h"
#include "PrintableText.h"
#include "ProgressivoInvio.h"
#include "ProvinceCodes.h"
#include "StampDutyCheck.h"
#include "TaxCodes.h"

#include <QRegularExpression>
#include <utility>

namespace {

// The longest amount the file takes: eleven integer digits.
const Money kLargestAmount = Money::fromCents(9'999'999'999'999);
constexpr int kLongestDescription = 1000;
// The longest names, addresses and towns the file takes.
constexpr int kLongestName = 80;
constexpr int kLongestAddress = 60;
// Public administration offices have recipient codes of six characters; their
// invoices need data this program does not keep.
constexpr int kPublicAdministrationCode = 6;
// The schema's address form without its quoted and bracketed variants:
// dot-separated atoms on both sides of the "@".
const char* const kMailPattern = "[!#-'*+/-9=?A-Z^-~\\-]+(\\.[!#-'*+/-9=?A-Z^-~\\-]+)*@"
                                 "[!#-'*+/-9=?A-Z^-~\\-]+(\\.[!#-'*+/-9=?A-Z^-~\\-]+)*";

bool matches(const char* pattern, const QString& text)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QLatin1String(pattern)))
        .match(text)
        .hasMatch();
}

// The characters of `text` the file cannot carry: only Latin-1 is allowed,
// and no control characters.
QString refusedCharacters(const QString& text)
{
    QString refused;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = u == u'\n' || u == u'\r' || u == u'\t' || (u >= 0x20 && u < 0x7F) ||
                        (u >= 0xA0 && u <= 0xFF);
        if (!ok && !refused.contains(c))
            refused += c;
    }
    return refused;
}

// Whether an IBAN's two check digits hold: moved behind the rest, with each
// letter read as a number from 10 (A) to 35 (Z), it leaves 1 divided by 97.
bool ibanCheckHolds(const QString& iban)
{
    const QString moved = iban.mid(4) + iban.left(4);
    int remainder = 0;
    for (const QChar c : moved) {
        const int value = c.isDigit() ? c.digitValue() : c.toUpper().unicode() - 'A' + 10;
        remainder = (remainder * (value >= 10 ? 100 : 10) + value) % 97;
    }
    return remainder == 1;
}

// One party's data: the professional or the client.
class PartyCheck
{
public:
    PartyCheck(QStringList* problems, QString whose)
        : m_problems(problems), m_whose(std::move(whose))
    {
    }

    void required(const QString& value, const QString& what)
    {
        if (value.trimmed().isEmpty())
            add(QStringLiteral("manca %1 %2").arg(what, m_whose));
    }
    // The check characters too: the SdI refuses a code whose own check does
    // not hold (errors 00300, 00301, 00305, 00306).
    void vatNumber(const QString& value)
    {
        if (const QString why = taxCodeProblem(TaxCodeKind::PartitaIva, value, {}); !why.isEmpty())
            add(QStringLiteral("la partita IVA %1 (%2) non è valida: %3")
                    .arg(m_whose, value.trimmed(), why));
    }
    void taxCode(const QString& value)
    {
        if (const QString why = taxCodeProblem(TaxCodeKind::CodiceFiscale, value, {});
            !why.isEmpty())
            add(QStringLiteral("il codice fiscale %1 (%2) non è valido: %3")
                    .arg(m_whose, value.trimmed(), why));
    }
    void postcode(const QString& value)
    {
        if (value.trimmed().isEmpty())
            add(QStringLiteral("manca il CAP %1").arg(m_whose));
        else if (!matches("[0-9]{5}", value.trimmed()))
            add(QStringLiteral("il CAP %1 non è di 5 cifre").arg(m_whose));
    }
    void longest(const QString& value, const QString& what, int limit)
    {
        if (fatturaPAText(value).size() > limit)
            add(QStringLiteral("%1 %2 supera il limite di %3 caratteri")
                    .arg(what, m_whose)
                    .arg(limit));
    }
    void latin1(const QString& value, const QString& what)
    {
        const QString refused = refusedCharacters(value);
        if (!refused.isEmpty())
            add(QStringLiteral("%1 %2 contiene caratteri non ammessi (solo Latin-1): %3")
                    .arg(what, m_whose, withControlsEscaped(refused)));
    }
    void add(const QString& problem) { *m_problems << problem; }

private:
    QStringList* m_problems;
    QString m_whose;
};

void checkProfessional(const FatturaPAInvoice& e, QStringList* problems)
{
    PartyCheck p(problems, QStringLiteral("del professionista"));
    const QStringList& d = e.datiUtente;
    p.required(d.value(0), QStringLiteral("la denominazione"));
    p.required(d.value(1), QStringLiteral("l'indirizzo"));
    p.postcode(d.value(3));
    p.required(d.value(2), QStringLiteral("la città"));
    p.required(d.value(4), QStringLiteral("la partita IVA"));
    p.vatNumber(d.value(4));
    p.required(d.value(5), QStringLiteral("il codice fiscale"));
    p.taxCode(d.value(5));
    for (int i : {0, 1, 2})
        p.latin1(d.value(i), i == 0   ? QStringLiteral("La denominazione")
                             : i == 1 ? QStringLiteral("L'indirizzo")
                                      : QStringLiteral("La città"));
    p.longest(d.value(0), QStringLiteral("la denominazione"), kLongestName);
    p.longest(d.value(1), QStringLiteral("l'indirizzo"), kLongestAddress);
    p.longest(d.value(2), QStringLiteral("la città"), kLongestAddress);
}

// A client abroad: only a business, identified by its VAT number, which the
// file carries under its country; the postcode and recipient code are the
// SdI's fixed ones.
void checkForeignClient(const FatturaPAInvoice& e, PartyCheck& p)
{
    const Client& c = e.client;
    if (!isCountryCodeForm(c.nazione))
        p.add(QStringLiteral("la nazione \"%1\" del cliente %2 non è un codice ISO di due lettere")
                  .arg(c.nazione, c.code.trimmed()));
    if (c.vatNumber.trimmed().isEmpty())
        p.add(QStringLiteral("fatture a clienti esteri senza partita IVA (privati) non gestite: "
                             "manca la partita IVA del cliente %1")
                  .arg(c.code.trimmed()));
    else if (!matches("[A-Za-z0-9]{2,28}", c.vatNumber.trimmed()))
        p.add(QStringLiteral("la partita IVA estera del cliente %1 non è di 2-28 lettere o cifre")
                  .arg(c.code.trimmed()));
    const FeeAmounts a = FeeAmounts::of(e.invoice, FeeDocumentKind::Invoice);
    if (e.invoice.vatRate.value_or(0) != 0 || !a.vat.isZero())
        p.add(QStringLiteral("fatture con IVA a clienti esteri non gestite: il servizio a "
                             "un'impresa estera è non soggetto (art. 7-ter DPR 633/72), "
                             "togliere l'aliquota IVA"));
    if (!a.withholding.isZero())
        p.add(QStringLiteral("ritenuta d'acconto a un cliente estero non gestita: togliere "
                             "l'aliquota della ritenuta"));
}

void checkClient(const FatturaPAInvoice& e, QStringList* problems)
{
    PartyCheck p(problems, QStringLiteral("del cliente %1").arg(e.client.code.trimmed()));
    const Client& c = e.client;
    p.required(c.name, QStringLiteral("la denominazione"));
    p.required(c.address, QStringLiteral("l'indirizzo"));
    if (c.isItalian())
        p.postcode(c.postcode);
    p.required(c.town, QStringLiteral("la città"));
    p.latin1(c.name, QStringLiteral("La denominazione"));
    p.latin1(c.address, QStringLiteral("L'indirizzo"));
    p.latin1(c.town, QStringLiteral("La città"));
    p.longest(c.name, QStringLiteral("la denominazione"), kLongestName);
    p.longest(c.address, QStringLiteral("l'indirizzo"), kLongestAddress);
    p.longest(c.town, QStringLiteral("la città"), kLongestAddress);
    if (!c.isItalian()) {
        checkForeignClient(e, p);
        return;
    }
    if (!c.provincia.trimmed().isEmpty() && !isProvinceCode(c.provincia))
        p.add(QStringLiteral("la provincia \"%1\" del cliente %2 non è una sigla di provincia "
                             "italiana")
                  .arg(c.provincia.trimmed(), c.code.trimmed()));
    if (c.vatNumber.trimmed().isEmpty() && c.taxCode.trimmed().isEmpty())
        p.add(QStringLiteral("mancano la partita IVA e il codice fiscale del cliente %1")
                  .arg(c.code.trimmed()));
    p.vatNumber(c.vatNumber);
    p.taxCode(c.taxCode);
    const QString recipient = c.codiceDestinatario.trimmed().toUpper();
    if (recipient.size() == kPublicAdministrationCode)
        p.add(QStringLiteral("il codice destinatario del cliente %1 è di un ufficio pubblico: "
                             "fatture alla Pubblica Amministrazione non gestite")
                  .arg(c.code.trimmed()));
    else if (!recipient.isEmpty() && !matches("[A-Z0-9]{7}", recipient))
        p.add(QStringLiteral("il codice destinatario del cliente %1 non è di 7 lettere o cifre")
                  .arg(c.code.trimmed()));
    if (!c.pec.trimmed().isEmpty() && !matches(kMailPattern, c.pec.trimmed()))
        p.add(QStringLiteral("la PEC del cliente %1 non è un indirizzo valido")
                  .arg(c.code.trimmed()));
}

void checkSettings(const FatturaPAInvoice& e, QStringList* problems)
{
    const FatturaPASettings& s = e.settings;
    if (!matches("RF0[1-2]|RF0[4-9]|RF1[0-9]", s.regimeFiscale))
        *problems << QStringLiteral("il regime fiscale \"%1\" delle impostazioni non esiste")
                         .arg(s.regimeFiscale);
    if (!s.provincia.isEmpty() && !isProvinceCode(s.provincia))
        *problems << QStringLiteral("la provincia \"%1\" delle impostazioni non è una sigla di "
                                    "provincia italiana")
                         .arg(s.provincia);
    const QString iban = QString(s.iban).remove(QLatin1Char(' '));
    if (!iban.isEmpty() && !matches("[A-Za-z]{2}[0-9]{2}[A-Za-z0-9]{11,30}", iban))
        *problems << QStringLiteral("l'IBAN delle impostazioni non è valido");
    else if (!iban.isEmpty() && !ibanCheckHolds(iban))
        *problems << QStringLiteral("l'IBAN delle impostazioni non è valido: le sue cifre di "
                                    "controllo non tornano");
    if (!FeeAmounts::of(e.invoice, FeeDocumentKind::Invoice).contribution.isZero() &&
        !matches("TC0[1-9]|TC1[0-9]|TC2[0-2]", s.tipoCassa))
        *problems << QStringLiteral("il tipo di cassa \"%1\" delle impostazioni non esiste")
                         .arg(s.tipoCassa);
}

// An amount that differs by more than a cent from `expected`, its rate's
// share of `base`: the cent allows for invoices stored while the VAT was
// computed on the unrounded contribution (the SdI tolerates that cent too).
void checkShare(const QString& what, const Money& amount, const Money& expected, const Money& base,
                int rate, QStringList* problems)
{
    const Money difference = amount > expected ? amount - expected : expected - amount;
    if (difference > Money::fromCents(1))
        *problems << QStringLiteral("%1 di %2 euro non è il %3% di %4 euro (%5 euro)")
                         .arg(what, amount.plainText(), QString::number(rate), base.plainText(),
                              expected.plainText());
}

void checkAmounts(const FatturaPAInvoice& e, QStringList* problems)
{
    const FeeDocument& d = e.invoice;
    const FeeAmounts a = FeeAmounts::of(d, FeeDocumentKind::Invoice);
    const int vatRate = d.vatRate.value_or(0);
    const int contributionRate = d.contributionRate.value_or(0);
    const int withholdingRate = d.withholdingRate.value_or(0);
    // A credit note may give back the expenses alone.
    if (d.isCreditNote() ? a.total().value() <= Money() : a.fee <= Money())
        *problems << (d.isCreditNote() ? QStringLiteral("la nota di credito non storna nulla")
                                       : QStringLiteral("manca l'onorario"));
    for (const int rate : {vatRate, contributionRate, withholdingRate})
        if (rate < 0 || rate > 100) {
            *problems << QStringLiteral("un'aliquota non è tra 0 e 100");
            return;
        }
    // Amounts of 64 bits: each share and total below exists.
    for (const Money& m :
         {a.fee, a.contribution, a.vat, a.withholding, a.expenses, a.stamp, a.total().value()})
        if (m < Money() || m > kLargestAmount) {
            *problems << QStringLiteral("un importo è negativo o troppo grande");
            return;
        }
    checkShare(QStringLiteral("Il contributo integrativo"), a.contribution,
               a.contributionAt(Rate::whole(contributionRate)).value(), a.fee, contributionRate,
               problems);
    checkShare(QStringLiteral("L'IVA"), a.vat, a.vatAt(Rate::whole(vatRate)).value(),
               a.taxable().value(), vatRate, problems);
    checkShare(QStringLiteral("La ritenuta d'acconto"), a.withholding,
               a.withholdingAt(Rate::whole(withholdingRate), e.profile).value(),
               a.withholdingBase(e.profile).value(), withholdingRate, problems);
    const bool flatRate = e.settings.regimeFiscale == QLatin1String(kFlatRateRegime);
    if (flatRate && vatRate != 0)
        *problems << QStringLiteral("nel regime forfettario (RF19) la fattura non ha IVA");
    // A foreign business's service is not taxed: checked with its client.
    if (!flatRate && vatRate == 0 && e.client.isItalian())
        *problems << QStringLiteral("manca l'aliquota IVA: una fattura senza IVA richiede il "
                                    "regime forfettario (RegimeFiscale RF19 nelle impostazioni)");
    if (a.net().value() < Money())
        *problems << QStringLiteral("la ritenuta supera il totale della fattura");
}

void checkInvoice(const FatturaPAInvoice& e, QStringList* problems)
{
    const FeeDocument& d = e.invoice;
    if (d.date.year() < 1970)
        *problems << QStringLiteral("la data della fattura è anteriore al 1970");
    if (d.date > Clock::today())
        *problems << QStringLiteral("la data della fattura (%1) è futura")
                         .arg(d.date.toString(QStringLiteral("dd/MM/yyyy")));
    if (d.isCreditNote() && (!d.linkedInvoice.isValid() || !d.linkedInvoiceDate.isValid()))
        *problems << QStringLiteral("manca la fattura stornata dalla nota di credito");
    if (e.progressive.isEmpty() && !progressivoInvio(d.key))
        *problems << QStringLiteral("il numero della fattura è troppo alto per il nome del file");
    const QString description = fatturaPADescription(d);
    if (description.isEmpty())
        *problems << QStringLiteral("manca l'oggetto della fattura");
    else if (description.size() > kLongestDescription)
        *problems << QStringLiteral("oggetto e descrizione superano insieme i %1 caratteri")
                         .arg(kLongestDescription);
    const QString refused = refusedCharacters(description);
    if (!refused.isEmpty())
        *problems << QStringLiteral("L'oggetto o la descrizione contiene caratteri non ammessi "
                                    "(solo Latin-1): %1")
                         .arg(refused);
    checkAmounts(e, problems);
}

} // namespace

QString fatturaPAText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (const char c : {'\r', '\n', '\t'})
        t.replace(QLatin1Char(c), QLatin1Char(' '));
    return t.trimmed();
}

QString fatturaPADescription(const FeeDocument& invoice)
{
    const QString subject = fatturaPAText(invoice.subject);
    const QString description = fatturaPAText(invoice.description);
    if (subject.isEmpty() || description.isEmpty())
        return subject + description;
    return subject + QStringLiteral(" - ") + description;
}

QStringList fatturaPAProblems(const FatturaPAInvoice& e)
{
    QStringList problems;
    checkProfessional(e, &problems);
    checkClient(e, &problems);
    checkSettings(e, &problems);
    checkInvoice(e, &problems);
    QStringList warnings;
    checkStampDuty(e, &problems, &warnings);
    // The SdI takes files of 5 MB at most, and base64 makes a PDF a third
    // larger.
    constexpr qsizetype kLargestPdf = 3500 * 1024;
    if (e.attachment && e.attachment->pdf.size() > kLargestPdf)
        problems << QStringLiteral("il PDF allegato (%1 kB) renderebbe il file più grande dei 5 MB "
                                   "che il Sistema di Interscambio accetta: togliere AllegaPDF "
                                   "dalle impostazioni")
                        .arg(e.attachment->pdf.size() / 1024);
    return problems;
}

namespace {

QString listed(const QStringList& items)
{
    QStringList lines;
    for (const QString& p : items)
        lines << QStringLiteral("- ") + p.left(1).toUpper() + p.mid(1) + QLatin1Char('.');
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString fatturaPAProblemMessage(const QStringList& problems)
{
    return QStringLiteral("La fattura elettronica non è stata scritta:\n") + listed(problems);
}

QStringList fatturaPAWarnings(const FatturaPAInvoice& e)
{
    QStringList problems;
    QStringList warnings;
    checkStampDuty(e, &problems, &warnings);
    return warnings;
}

QString fatturaPAWarningText(const QStringList& warnings)
{
    return QStringLiteral("Attenzione:\n") + listed(warnings);
}

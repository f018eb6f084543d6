#pragma once

#include <QDate>
#include <QString>

class FieldAccess;
class Recordset;

// Field indexes of an invoice or pro-forma.
namespace FeeField {
enum : int {
    Fee = 5,
    VatRate = 6,
    ContributionRate = 7,
    WithholdingRate = 8,
    PaymentDate = 9,
    Notes = 10,
    Vat = 11,
    Contribution = 12,
    Withholding = 13,
    Expenses = 14,
    Stamp = 15,
};
}

// A rate as typed: the number at the start of the text, blanks ignored.
double rateReading(const QString& text);
// An amount as shown: the number at the start of its plain form.
double amountReading(const QString& text);
// A computed amount as a field shows it: two decimals, halves away from
// zero, right-aligned in 13 characters ("       228.80").
QString amountWriting(double value);

// The net total as the window shows it: the written amount in the euro
// display form of the fields ("1 068.80"), kept whole however long.
QString totalInFieldForm(const QString& written);

// Leaving the fee empties the three computed amounts; leaving a rate empties
// its own amount. Applied only when the field's text was changed.
void svuotaImportiDerivati(FieldAccess& fields, int index);

// Computes the empty derived amounts of an invoice (withStamp) or pro-forma
// after the field `index` was left, and the net total; `totale` is "" when
// there is nothing to total.
void CalcolaImporti(FieldAccess& fields, int index, bool withStamp, bool geometra, QString* totale);

// What the purchase window shows beside the taxable amount, the VAT rate and
// the deductibility.
struct PurchaseDisplays
{
    QString taxable;
    QString vat;
    QString deductible;
};
// Nothing to change unless index is the taxable amount (4), the VAT rate (5)
// or the deductibility (6).
bool CalcolaImportiAcquisto(const FieldAccess& fields, int index, PurchaseDisplays* out);

// The number proposed for a new document dated today: the last one in key
// order plus 1, or 1 on an empty table. With restartEachYear, also 1 when
// the last document is dated in another year than today's. A number that
// already names a document of today's year gives way to the highest number
// of that year plus 1.
QString numeroProposto(Recordset& table, bool restartEachYear, const QDate& today);

// The privacy notice composed from the settings' Privacy_1..3 keys.
QString notaPrivacy(const QString& settingsFile);

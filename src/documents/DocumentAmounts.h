#pragma once

#include "Money.h"
#include "Schema.h"

#include <QDate>
#include <QString>
#include <optional>

class FieldAccess;
class Recordset;

// The window field of an invoice or pro-forma that a column is edited in.
constexpr int feeField(FeeColumn column)
{
    return int(column) - 1;
}

// Field indexes of an invoice or pro-forma.
namespace FeeField {
enum : int {
    Date = feeField(FeeColumn::Date),
    Number = feeField(FeeColumn::Number),
    Client = feeField(FeeColumn::Client),
    Fee = feeField(FeeColumn::Fee),
    VatRate = feeField(FeeColumn::VatRate),
    ContributionRate = feeField(FeeColumn::ContributionRate),
    WithholdingRate = feeField(FeeColumn::WithholdingRate),
    PaymentDate = feeField(FeeColumn::PaymentDate),
    Notes = feeField(FeeColumn::Notes),
    Vat = feeField(FeeColumn::Vat),
    Contribution = feeField(FeeColumn::Contribution),
    Withholding = feeField(FeeColumn::Withholding),
    Expenses = feeField(FeeColumn::Expenses),
    Stamp = feeField(FeeColumn::Stamp),
};
}

// A computed amount as a field shows it: two decimals, no grouping,
// right-aligned in 13 characters ("       228.80"); a wider one is kept whole.
QString writtenAmount(const Money& amount);

// Leaving the fee empties the three computed amounts; leaving a rate empties
// its own amount. Applied only when the field's text was changed.
void svuotaImportiDerivati(FieldAccess& fields, int index);

// Computes the empty derived amounts of an invoice (withStamp) or pro-forma
// after the field `index` was left, and returns the net total: nothing when
// there is nothing to total.
std::optional<Money> CalcolaImporti(FieldAccess& fields, int index, bool withStamp, bool geometra);

// What the purchase window shows beside the taxable amount, the VAT rate and
// the deductibility.
struct PurchaseDisplays
{
    QString taxable;
    QString vat;
    QString deductible;
};
// Field indexes of a purchase that take part in its computation.
namespace PurchaseField {
enum : int {
    Taxable = 4,
    VatRate = 5,
    Deductibility = 6,
};
}
// Nothing to change unless index is the taxable amount, the VAT rate or the
// deductibility.
bool CalcolaImportiAcquisto(const FieldAccess& fields, int index, PurchaseDisplays* out);

// The number proposed for a new document dated today: the last one in key
// order plus 1, or 1 on an empty table. With restartEachYear, also 1 when
// the last document is dated in another year than today's. A number that
// already names a document of today's year gives way to the highest number
// of that year plus 1.
QString numeroProposto(Recordset& table, bool restartEachYear, const QDate& today);

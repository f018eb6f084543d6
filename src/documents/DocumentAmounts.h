#pragma once

#include "FeeProfile.h"
#include "Money.h"
#include "Schema.h"

#include <QString>
#include <optional>

class FieldAccess;
struct StampDutyRule;

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
    Subject = feeField(FeeColumn::Subject),
    Description = feeField(FeeColumn::Description),
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
void clearDerivedAmounts(FieldAccess& fields, int index);

// Computes the empty derived amounts of an invoice or pro-forma after the
// field `index` was left, and returns the net total (with the stamp duty of
// an invoice): nothing when there is nothing to total. The amounts and the
// total are those of FeeAmounts, from the fields as they show them.
std::optional<Money> CalcolaImporti(FieldAccess& fields, int index, FeeDocumentKind kind,
                                    FeeProfile profile);

// Shows in an invoice's stamp duty field the rule's amount when it is due on
// the amounts the fields show, and empties it when it is not. The fee and
// its contribution are without VAT in the flat-rate regime or at no VAT rate.
void ProponiBollo(FieldAccess& fields, const StampDutyRule& rule, bool flatRate);

// What the purchase window shows beside the taxable amount, the VAT rate and
// the deductibility.
struct PurchaseDisplays
{
    QString taxable;
    QString vat;
    QString deductible;
};
// Field indexes of a purchase: its column's record position less one.
namespace PurchaseField {
enum : int {
    Date = int(PurchaseColumn::Date) - 1,
    Number = int(PurchaseColumn::Number) - 1,
    Supplier = int(PurchaseColumn::Supplier) - 1,
    Description = int(PurchaseColumn::Description) - 1,
    Taxable = int(PurchaseColumn::Taxable) - 1,
    VatRate = int(PurchaseColumn::VatRate) - 1,
    Deductibility = int(PurchaseColumn::Deductibility) - 1,
    Notes = int(PurchaseColumn::Notes) - 1,
    Exempt = int(PurchaseColumn::Exempt) - 1,
};
}
// Nothing to change unless index is the taxable amount, the VAT rate or the
// deductibility.
bool CalcolaImportiAcquisto(const FieldAccess& fields, int index, PurchaseDisplays* out);

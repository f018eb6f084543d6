#include "DocumentAmounts.h"

#include "FeeAmounts.h"
#include "Rate.h"
#include "RecordRules.h"
#include "StampDuty.h"
#include "TextForms.h"

namespace {

// Far more integer digits than an amount field holds: an amount computed
// from absurd rates is read back whole for the total.
constexpr int kComputedDigits = 36;

// An amount field as the computation reads it: the number its text starts
// with, the first comma as the point; 0 when there is none.
Money amountReading(const FieldAccess& fields, int index)
{
    return Money::fromLeadingText(fields.text(index), kComputedDigits).value_or(Money());
}

Rate rateReading(const FieldAccess& fields, int index)
{
    return Rate::fromLeadingText(fields.text(index));
}

// Checked arithmetic: nothing once a step leaves 128 bits, which only
// rates of absurd length can do.
std::optional<Int128> product(std::optional<Int128> a, std::optional<Int128> b)
{
    Int128 result = 0;
    if (!a || !b || __builtin_mul_overflow(*a, *b, &result))
        return std::nullopt;
    return result;
}

std::optional<Int128> sum(std::optional<Int128> a, std::optional<Int128> b)
{
    Int128 result = 0;
    if (!a || !b || __builtin_add_overflow(*a, *b, &result))
        return std::nullopt;
    return result;
}

// Whether 1 + VAT rate / 100 - contribution rate / 100 is 0: there is then
// nothing to total.
bool ratesCancel(const Rate& vatRate, const Rate& contributionRate)
{
    // vat / dv + 100 = contribution / dc, both sides times dv × dc.
    const auto left = sum(product(vatRate.numerator, contributionRate.denominator),
                          product(product(vatRate.denominator, contributionRate.denominator), 100));
    const auto right = product(contributionRate.numerator, vatRate.denominator);
    return left && right && *left == *right;
}

// The amounts as the fields now show them; the stamp duty only on an invoice.
FeeAmounts shownAmounts(const FieldAccess& fields, FeeDocumentKind kind)
{
    return {amountReading(fields, FeeField::Fee),
            amountReading(fields, FeeField::Contribution),
            amountReading(fields, FeeField::Vat),
            amountReading(fields, FeeField::Withholding),
            amountReading(fields, FeeField::Expenses),
            kind == FeeDocumentKind::Invoice ? amountReading(fields, FeeField::Stamp) : Money()};
}

QString written(const std::optional<Money>& amount)
{
    return amount ? writtenAmount(*amount) : QString();
}

} // namespace

QString writtenAmount(const Money& amount)
{
    return amount.plainText().rightJustified(13);
}

void clearDerivedAmounts(FieldAccess& fields, int index)
{
    switch (index) {
    case FeeField::Fee:
        fields.setText(FeeField::Vat, QString());
        fields.setText(FeeField::Contribution, QString());
        fields.setText(FeeField::Withholding, QString());
        break;
    case FeeField::VatRate:
        fields.setText(FeeField::Vat, QString());
        break;
    case FeeField::ContributionRate:
        fields.setText(FeeField::Contribution, QString());
        break;
    case FeeField::WithholdingRate:
        fields.setText(FeeField::Withholding, QString());
        break;
    default:
        break;
    }
}

std::optional<Money> CalcolaImporti(FieldAccess& fields, int index, FeeDocumentKind kind,
                                    FeeProfile profile)
{
    const bool computing =
        index >= FeeField::Fee && index <= FeeField::WithholdingRate &&
        fields.fieldSpec(index).declaration.toUpper().endsWith(QLatin1String("ZZ"));
    const Rate Vr = rateReading(fields, FeeField::VatRate);
    const Rate Cr = rateReading(fields, FeeField::ContributionRate);
    const Rate Rr = rateReading(fields, FeeField::WithholdingRate);
    // Whether there is a fee is read as rates are: "1 000.00" is a fee, ",5" is not.
    const bool feeGiven = !rateReading(fields, FeeField::Fee).isZero();

    if (computing) {
        // Each amount is computed only while its field is empty, from the
        // fields as the step before left them: the VAT and the withholding
        // take the contribution as its field shows it, rounded or typed.
        if (fields.text(FeeField::Contribution).isEmpty())
            fields.setText(FeeField::Contribution,
                           feeGiven && !Cr.isZero()
                               ? written(shownAmounts(fields, kind).contributionAt(Cr))
                               : QString());
        if (fields.text(FeeField::Vat).isEmpty())
            fields.setText(FeeField::Vat, feeGiven && !Vr.isZero()
                                              ? written(shownAmounts(fields, kind).vatAt(Vr))
                                              : QString());
        if (fields.text(FeeField::Withholding).isEmpty())
            fields.setText(FeeField::Withholding,
                           feeGiven && !Rr.isZero()
                               ? written(shownAmounts(fields, kind).withholdingAt(Rr, profile))
                               : QString());
    }

    const FeeAmounts shown = shownAmounts(fields, kind);
    if (shown.fee.isZero() || ratesCancel(Vr, Cr))
        return std::nullopt;
    return shown.net();
}

void ProponiBollo(FieldAccess& fields, const StampDutyRule& rule, bool flatRate)
{
    const bool vatCharged = !flatRate && !rateReading(fields, FeeField::VatRate).isZero();
    const bool due = rule.isDue(shownAmounts(fields, FeeDocumentKind::Invoice), vatCharged);
    fields.setText(FeeField::Stamp, due ? writtenAmount(rule.amount) : QString());
}

bool CalcolaImportiAcquisto(const FieldAccess& fields, int index, PurchaseDisplays* out)
{
    if (index < PurchaseField::Taxable || index > PurchaseField::Deductibility)
        return false;
    const QString taxableText = fields.text(PurchaseField::Taxable);
    const Money T = amountReading(fields, PurchaseField::Taxable);
    const Rate Pv = rateReading(fields, PurchaseField::VatRate);
    const Rate D = rateReading(fields, PurchaseField::Deductibility);
    const bool taxableGiven = !Rate::fromLeadingText(taxableText).isZero();
    auto shown = [](const std::optional<Money>& amount) {
        return amount ? amount->fieldText() : QString();
    };
    out->taxable = taxableGiven ? FormattaEuro(taxableText) : QString();
    out->vat = taxableGiven && !Pv.isZero() ? shown(percentOf(T, Pv)) : QString();
    // The deductibility multiplies: it is no percent.
    out->deductible =
        taxableGiven && !D.isZero() ? shown(T.times(D.numerator, D.denominator)) : QString();
    return true;
}

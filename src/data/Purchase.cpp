#include "Purchase.h"

#include "Schema.h"

#include <QLocale>

namespace {

QVariant at(const QVariantList& columns, PurchaseColumn column)
{
    return columns.value(int(column));
}

std::optional<Money> amount(const QVariantList& columns, PurchaseColumn column)
{
    const QVariant v = at(columns, column);
    return v.isNull() ? std::nullopt : std::optional<Money>(Money::fromCents(v.toLongLong()));
}

std::optional<Rate> rate(const QVariantList& columns, PurchaseColumn column)
{
    const QVariant v = at(columns, column);
    return v.isNull() ? std::nullopt : std::optional<Rate>(storedRate(v.toDouble()));
}

Money product(const std::optional<Money>& amount, const std::optional<Rate>& rate, int divisor)
{
    if (!amount || !rate)
        return {};
    return amount->times(rate->numerator, rate->denominator * divisor).value_or(Money());
}

} // namespace

Rate storedRate(double value)
{
    // The shortest text that reads back as the same double, never in
    // exponent form.
    return Rate::fromLeadingText(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

Money Purchase::vat() const
{
    return product(taxable, vatRate, 100);
}

Money Purchase::deductible() const
{
    return product(taxable, deductibility, 1);
}

Purchase Purchase::fromColumns(const QVariantList& columns)
{
    Purchase p;
    p.key = DocumentKey::fromStored(at(columns, PurchaseColumn::Key).toString())
                .value_or(DocumentKey());
    p.date = at(columns, PurchaseColumn::Date).toDate();
    p.supplierCode = at(columns, PurchaseColumn::Supplier).toString();
    p.description = at(columns, PurchaseColumn::Description).toString();
    p.taxable = amount(columns, PurchaseColumn::Taxable);
    p.vatRate = rate(columns, PurchaseColumn::VatRate);
    p.deductibility = rate(columns, PurchaseColumn::Deductibility);
    p.notes = at(columns, PurchaseColumn::Notes).toString();
    p.exempt = amount(columns, PurchaseColumn::Exempt);
    return p;
}

#include "QuickQuote.h"

#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "PlainFields.h"

namespace {

QString rateText(const std::optional<int>& rate)
{
    return rate ? QString::number(*rate) : QString();
}

QString amountText(const std::optional<Money>& amount)
{
    return amount ? amount->fieldText() : QString();
}

} // namespace

QuickQuote computeQuickQuote(const QuickQuoteInput& input, bool geometra)
{
    // The fields as typed and left; the computed amounts are still empty,
    // so computing once fills each as the window would have by the end.
    PlainFields fields(feeDocumentFields(FeeDocumentKind::Invoice));
    fields.setText(FeeField::Fee, input.fee.fieldText());
    fields.setText(FeeField::VatRate, rateText(input.vatRate));
    fields.setText(FeeField::ContributionRate, rateText(input.contributionRate));
    fields.setText(FeeField::WithholdingRate, rateText(input.withholdingRate));
    fields.setText(FeeField::Expenses, amountText(input.expenses));
    fields.setText(FeeField::Stamp, amountText(input.stamp));
    const auto total = CalcolaImporti(fields, FeeField::Fee, FeeDocumentKind::Invoice, geometra);
    return {fields.text(FeeField::Vat).trimmed(), fields.text(FeeField::Contribution).trimmed(),
            fields.text(FeeField::Withholding).trimmed(), total ? total->plainText() : QString()};
}

QString quickQuoteJson(const QuickQuote& quote)
{
    // Written by hand to keep the keys in the order of an invoice.
    const auto field = [](const char* key, const QString& value) {
        return QStringLiteral("\"%1\":\"%2\"").arg(QLatin1String(key), value);
    };
    return QLatin1Char('{') +
           QStringList{field("iva", quote.vat), field("cassa", quote.contribution),
                       field("ritenuta", quote.withholding), field("totale", quote.total)}
               .join(QLatin1Char(',')) +
           QLatin1Char('}');
}

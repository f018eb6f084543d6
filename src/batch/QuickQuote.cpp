#include "QuickQuote.h"

#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "PlainFields.h"

std::optional<QuickQuote> computeQuickQuote(const QuickQuoteInput& input, FeeProfile profile,
                                            FieldRefusal* refusal)
{
    // The fields as typed and left; the computed amounts are still empty,
    // so computing once fills each as the window would have by the end.
    PlainFields fields(feeDocumentFields(FeeDocumentKind::Invoice));
    fields.setText(FeeField::Fee, input.fee);
    fields.setText(FeeField::VatRate, input.vatRate);
    fields.setText(FeeField::ContributionRate, input.contributionRate);
    fields.setText(FeeField::WithholdingRate, input.withholdingRate);
    fields.setText(FeeField::Expenses, input.expenses);
    fields.setText(FeeField::Stamp, input.stamp);
    if (auto refused = checkFields(fields, {})) {
        *refusal = *refused;
        return std::nullopt;
    }
    const auto total = CalcolaImporti(fields, FeeField::Fee, FeeDocumentKind::Invoice, profile);
    return QuickQuote{
        fields.text(FeeField::Vat).trimmed(), fields.text(FeeField::Contribution).trimmed(),
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

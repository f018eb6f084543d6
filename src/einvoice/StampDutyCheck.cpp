#include "StampDutyCheck.h"

#include "FeeAmounts.h"
#include "StampDuty.h"

namespace {

QString euro(const Money& amount)
{
    return amount.localeText(QStringLiteral("."), QStringLiteral(",")) + QStringLiteral(" €");
}

} // namespace

void checkStampDuty(const FatturaPAInvoice& e, QStringList* problems, QStringList* warnings)
{
    if (e.invoice.isCreditNote())
        return;
    const FeeAmounts a = FeeAmounts::of(e.invoice, FeeDocumentKind::Invoice);
    const bool flatRate = e.settings.regimeFiscale == QLatin1String(kFlatRateRegime);
    // Outside the flat rate an invoice without VAT is refused as such: its
    // stamp duty is not told on top.
    if (!flatRate && e.invoice.vatRate.value_or(0) == 0)
        return;
    const bool vatCharged = !flatRate;
    const StampDutyRule& rule = e.bollo;
    const Money withoutVat = StampDutyRule::amountsWithoutVat(a, vatCharged);
    const bool due = rule.isDue(withoutVat);
    if (due && a.stamp.isZero())
        *problems << QStringLiteral("manca il bollo di %1: gli importi senza IVA (%2) superano "
                                    "%3")
                         .arg(euro(rule.amount), euro(withoutVat), euro(rule.threshold));
    else if (!due && !a.stamp.isZero())
        *warnings << QStringLiteral("il bollo di %1 non è dovuto: gli importi senza IVA (%2) non "
                                    "superano %3")
                         .arg(euro(a.stamp), euro(withoutVat), euro(rule.threshold));
}

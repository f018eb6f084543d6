#include "InvoiceRegime.h"

void recordRegime(const Settings& settings, FeeDocument* invoice)
{
    const FatturaPASettings s = settings.fatturaPA();
    invoice->regimeFiscale = s.regimeFiscale;
    invoice->profile = settings.feeProfile();
    invoice->tipoCassa = s.tipoCassa;
}

FatturaPASettings fatturaPAFor(const Settings& settings, const FeeDocument& invoice)
{
    FatturaPASettings s = settings.fatturaPA();
    if (!invoice.regimeFiscale.isEmpty())
        s.regimeFiscale = invoice.regimeFiscale;
    if (!invoice.tipoCassa.isEmpty())
        s.tipoCassa = invoice.tipoCassa;
    return s;
}

FeeProfile profileFor(const Settings& settings, const FeeDocument& invoice)
{
    return invoice.profile.value_or(settings.feeProfile());
}

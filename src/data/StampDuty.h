#pragma once

#include "FeeAmounts.h"
#include "Money.h"

class Settings;

// Stamp duty (bollo) on an invoice: due, at a fixed amount, when the amounts
// the invoice charges without VAT come to more than a threshold. The
// electronic invoice declares it as virtual stamp duty, which is then paid
// by quarter.
struct StampDutyRule
{
    Money amount = Money::fromCents(200);     // [FatturaPA] Bollo
    Money threshold = Money::fromCents(7747); // [FatturaPA] SogliaBollo

    // The amounts charged without VAT: the expenses reimbursed outside it,
    // and the fee with its contribution when no VAT is charged on them (the
    // flat-rate regime, or no VAT rate). The stamp duty itself never counts.
    static Money amountsWithoutVat(const FeeAmounts& amounts, bool vatCharged);

    // Due only above the threshold: at exactly the threshold it is not.
    bool isDue(const Money& withoutVat) const { return withoutVat > threshold; }
    bool isDue(const FeeAmounts& amounts, bool vatCharged) const
    {
        return isDue(amountsWithoutVat(amounts, vatCharged));
    }
};

// [FatturaPA] Bollo and SogliaBollo, each an amount not below 0; a text that
// is none leaves the default.
StampDutyRule stampDutyRule(const Settings& settings);

#pragma once

#include "FeeProfile.h"
#include "Money.h"
#include "Rate.h"
#include "Schema.h"

#include <optional>

struct FeeDocument;

// The amounts of an invoice or a pro-forma and what they come to: the one
// place where a fee document's shares are computed from its rates and its
// totals added up, for the document window, the pages, the electronic
// invoice and the period reports alike.
//
// Every result is checked: nothing when a product or a sum leaves 128 bits,
// which only amounts read from a window's fields of absurd length can reach.
// The amounts of a stored document are of 64 bits each, and always add up.
struct FeeAmounts
{
    Money fee;
    Money contribution; // integrative contribution
    Money vat;
    Money withholding;
    Money expenses; // reimbursed outside VAT
    Money stamp;    // stamp duty: invoices only

    // A stored document's amounts, a Null amount as 0; a pro-forma has no
    // stamp duty.
    static FeeAmounts of(const FeeDocument& document, FeeDocumentKind kind);

    // What each rate (a percent) takes, rounded once to the cent, halves
    // away from zero: the contribution is its rate of the fee; the VAT its
    // rate of the taxable amount as the document states it, the fee plus the
    // contribution as rounded (or typed); the withholding its rate of the
    // profile's base.
    std::optional<Money> contributionAt(const Rate& rate) const;
    std::optional<Money> vatAt(const Rate& rate) const;
    std::optional<Money> withholdingAt(const Rate& rate, FeeProfile profile) const;

    // The fee plus the contribution: what the VAT is charged on.
    std::optional<Money> taxable() const;
    // The fee, plus the contribution unless the profile says otherwise.
    std::optional<Money> withholdingBase(FeeProfile profile) const;
    // Expenses and stamp duty: charged to the client outside VAT.
    std::optional<Money> outsideVat() const;
    // All of it before the withholding: the page's "TOTALE FATTURA", the
    // electronic invoice's ImportoTotaleDocumento.
    std::optional<Money> total() const;
    // What the client pays: the total less the withholding. Added in the
    // order the window has always added it (fee, VAT, contribution, less the
    // withholding, expenses, stamp duty), so that a sum of absurd amounts
    // fails where it always failed.
    std::optional<Money> net() const;
    // The net without the stamp duty: what the turnover report totals.
    std::optional<Money> netOfStamp() const;
    // The net without expenses and stamp duty: what the withholding
    // statement totals.
    std::optional<Money> netOfOutsideVat() const;
};

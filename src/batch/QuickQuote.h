#pragma once

#include "FeeProfile.h"
#include "Money.h"
#include "RecordRules.h"

#include <QString>
#include <optional>

// What a new invoice would compute from a fee and its rates, as its window
// computes it: each amount as the field would show it once left, without
// padding ("228.80"), or empty where the window leaves the field empty.
// The inputs are texts as typed into the fields; empty when not given.
struct QuickQuoteInput
{
    QString fee;
    QString vatRate;
    QString contributionRate;
    QString withholdingRate;
    QString expenses;
    QString stamp;
};

struct QuickQuote
{
    QString vat;
    QString contribution;
    QString withholding;
    QString total;
};

// Nothing, with the field the invoice window would refuse (the first in tab
// order) in `refusal`, when an input is not what the window takes.
std::optional<QuickQuote> computeQuickQuote(const QuickQuoteInput& input, FeeProfile profile,
                                            FieldRefusal* refusal);

// {"iva":"228.80","cassa":"40.00","ritenuta":"200.00","totale":"1068.80"}
QString quickQuoteJson(const QuickQuote& quote);

#pragma once

#include "Money.h"

#include <QString>
#include <optional>

// What a new invoice would compute from a fee and its rates, as its window
// computes it: each amount as the field would show it once left, without
// padding ("228.80"), or empty where the window leaves the field empty.
struct QuickQuoteInput
{
    Money fee;
    std::optional<int> vatRate;
    std::optional<int> contributionRate;
    std::optional<int> withholdingRate;
    std::optional<Money> expenses;
    std::optional<Money> stamp;
};

struct QuickQuote
{
    QString vat;
    QString contribution;
    QString withholding;
    QString total;
};

QuickQuote computeQuickQuote(const QuickQuoteInput& input, bool geometra);

// {"iva":"228.80","cassa":"40.00","ritenuta":"200.00","totale":"1068.80"}
QString quickQuoteJson(const QuickQuote& quote);

#pragma once

#include "Money.h"

#include <QString>
#include <optional>

// What reading an amount as a person types it found: the amount, or why the
// text is none (an Italian sentence that quotes the text).
struct TypedAmount
{
    std::optional<Money> amount;
    QString refusal;
};

// Reads an amount typed the Italian way or the program's own. Blanks are
// ignored (they group the thousands of the field form). With a comma, the
// comma is the decimal point and points group the thousands in threes
// ("1.470,00"); without, several points group the thousands ("1.234.567")
// and a single point is the decimal point ("12.5"), except a point followed
// by exactly three digits and nothing else ("1.470"), which could be either
// and is refused. A sign may lead; at most two decimals; at most `maxDigits`
// integer digits. An empty text is no amount and has no refusal.
TypedAmount readTypedAmount(const QString& text, int maxDigits = Money::kFieldDigits);

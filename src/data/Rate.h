#pragma once

#include "Money.h"

#include <QString>
#include <optional>

// A rate or multiplier as typed, read exactly: numerator / denominator with
// the denominator a power of ten ("22" is 22/1, "0.5" is 5/10, "-1.25" is
// -125/100), so that no binary float comes between a typed rate and the
// amount computed from it.
struct Rate
{
    Int128 numerator = 0;
    Int128 denominator = 1;

    bool isZero() const { return numerator == 0; }

    // A whole number, as a stored percent is.
    static constexpr Rate whole(Int128 number) { return {number, 1}; }

    // The number the text starts with: blanks and tabs are skipped, a sign
    // is taken first, then digits and one "."; reading stops at anything
    // else ("12abc" is 12, "1,5" is 1). No number, or one of more than 30
    // digits, reads as 0.
    static Rate fromLeadingText(const QString& text);
};

// `rate` percent of `amount`, rounded once to the cent, halves away from
// zero; nothing when the product leaves 128 bits.
std::optional<Money> percentOf(const Money& amount, const Rate& rate);

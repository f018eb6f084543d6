#include "FeeAmounts.h"

#include "FeeDocument.h"

#include <initializer_list>

namespace {

// The terms added left to right; nothing once a partial sum leaves 128 bits.
std::optional<Money> sum(std::initializer_list<Money> terms)
{
    std::optional<Money> total = Money();
    for (const Money& term : terms)
        if (total)
            total = total->plus(term);
    return total;
}

std::optional<Money> percentOfSum(const std::optional<Money>& base, const Rate& rate)
{
    return base ? percentOf(*base, rate) : std::nullopt;
}

} // namespace

FeeAmounts FeeAmounts::of(const FeeDocument& d, FeeDocumentKind kind)
{
    return {orZero(d.fee),      orZero(d.contribution),
            orZero(d.vat),      orZero(d.withholding),
            orZero(d.expenses), kind == FeeDocumentKind::Invoice ? orZero(d.stamp) : Money()};
}

std::optional<Money> FeeAmounts::contributionAt(const Rate& rate) const
{
    return percentOf(fee, rate);
}

std::optional<Money> FeeAmounts::vatAt(const Rate& rate) const
{
    return percentOfSum(taxable(), rate);
}

std::optional<Money> FeeAmounts::withholdingAt(const Rate& rate, FeeProfile profile) const
{
    return percentOfSum(withholdingBase(profile), rate);
}

std::optional<Money> FeeAmounts::taxable() const
{
    return sum({fee, contribution});
}

std::optional<Money> FeeAmounts::withholdingBase(FeeProfile profile) const
{
    return contributionWithheld(profile) ? taxable() : fee;
}

std::optional<Money> FeeAmounts::outsideVat() const
{
    return sum({expenses, stamp});
}

std::optional<Money> FeeAmounts::total() const
{
    return sum({fee, contribution, vat, expenses, stamp});
}

std::optional<Money> FeeAmounts::net() const
{
    return sum({fee, vat, contribution, -withholding, expenses, stamp});
}

std::optional<Money> FeeAmounts::netOfStamp() const
{
    return sum({fee, vat, contribution, -withholding, expenses});
}

std::optional<Money> FeeAmounts::netOfOutsideVat() const
{
    return sum({fee, vat, contribution, -withholding});
}

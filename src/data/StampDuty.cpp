#include "StampDuty.h"

#include "IniFile.h"
#include "Settings.h"

#include <limits>

Money StampDutyRule::amountsWithoutVat(const FeeAmounts& amounts, bool vatCharged)
{
    // Amounts of a stored document or of a window's checked fields stay far
    // below the limits of a sum; a sum that leaves them counts as above any
    // threshold.
    const Money largest = Money::fromCents(std::numeric_limits<qint64>::max());
    if (vatCharged)
        return amounts.expenses;
    const auto sum = amounts.taxable();
    const auto all = sum ? sum->plus(amounts.expenses) : std::nullopt;
    return all.value_or(largest);
}

StampDutyRule stampDutyRule(const Settings& settings)
{
    StampDutyRule rule;
    const auto read = [&settings](const char* key, Money* into) {
        const auto text =
            LeggiIni(QStringLiteral("FatturaPA"), QString::fromLatin1(key), settings.file());
        if (const auto amount = text ? Money::fromText(*text) : std::nullopt;
            amount && *amount >= Money())
            *into = *amount;
    };
    read("Bollo", &rule.amount);
    read("SogliaBollo", &rule.threshold);
    return rule;
}

#include "Rate.h"

namespace {
constexpr int kMostDigits = 30;
}

Rate Rate::fromLeadingText(const QString& text)
{
    Rate rate;
    bool negative = false;
    bool started = false;
    bool point = false;
    int digits = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (!started && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            negative = c == QLatin1Char('-');
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (++digits > kMostDigits)
                return {};
            rate.numerator = rate.numerator * 10 + (c.unicode() - '0');
            if (point)
                rate.denominator *= 10;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
        started = true;
    }
    if (negative)
        rate.numerator = -rate.numerator;
    return rate;
}

std::optional<Money> percentOf(const Money& amount, const Rate& rate)
{
    Int128 denominator = 0;
    if (__builtin_mul_overflow(rate.denominator, Int128(100), &denominator))
        return std::nullopt;
    return amount.times(rate.numerator, denominator);
}

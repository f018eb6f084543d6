#include "Money.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

__extension__ typedef unsigned __int128 UInt128; // NOLINT(modernize-use-using): as Int128

// 10^36 cents and a rounding carry stay below 2^127.
constexpr int kMostDigits = 36;

UInt128 magnitude(Int128 value)
{
    return value < 0 ? UInt128(0) - UInt128(value) : UInt128(value);
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A field's text as the amount forms read it: the first comma is the point
// and blanks are not there.
QString plainForm(const QString& text)
{
    QString t = text;
    const qsizetype comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0)
        t[comma] = QLatin1Char('.');
    t.remove(QLatin1Char(' '));
    return t;
}

// How far from the start the text makes a number: a sign, digits, a point
// and digits.
qsizetype numberPrefixLength(const QString& t)
{
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        ++i;
    while (i < t.size() && isAsciiDigit(t.at(i)))
        ++i;
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && isAsciiDigit(t.at(i)))
            ++i;
    }
    return i;
}

std::optional<Int128> centsOf(const QString& t, int maxDigits)
{
    if (numberPrefixLength(t) != t.size())
        return std::nullopt;
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t.at(0) == QLatin1Char('-');
    if (!t.isEmpty() && (t.at(0) == QLatin1Char('-') || t.at(0) == QLatin1Char('+')))
        ++i;
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString integer = t.mid(i, (point < 0 ? t.size() : point) - i);
    const QString decimals = point < 0 ? QString() : t.mid(point + 1);
    if (integer.isEmpty() && decimals.isEmpty())
        return std::nullopt;
    if (integer.size() > std::min(maxDigits, kMostDigits))
        return std::nullopt;
    Int128 cents = 0;
    for (const QChar c : integer)
        cents = cents * 10 + (c.unicode() - '0');
    const QString hundredths = (decimals + QStringLiteral("000")).left(3);
    cents =
        cents * 100 + (hundredths.at(0).unicode() - '0') * 10 + (hundredths.at(1).unicode() - '0');
    // Only the third decimal decides: 1.0049 is 1.00, 1.005 is 1.01.
    if (hundredths.at(2) >= QLatin1Char('5'))
        ++cents;
    return negative ? -cents : cents;
}

// Built in one string: reports format hundreds of thousands of amounts.
QString formatted(Int128 cents, const QString& thousands, const QString& point, bool zeroIsEmpty)
{
    if (cents == 0 && zeroIsEmpty)
        return {};
    const UInt128 m = magnitude(cents);
    const auto hundredths = unsigned(m % 100);
    // The integer digits, least significant first.
    char digits[40];
    int n = 0;
    if (m / 100 <= UINT64_MAX) {
        auto whole = uint64_t(m / 100);
        do {
            digits[n++] = char('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
    } else {
        UInt128 whole = m / 100;
        do {
            digits[n++] = char('0' + int(whole % 10));
            whole /= 10;
        } while (whole != 0);
    }
    QString out;
    out.reserve(1 + n + (n - 1) / 3 * thousands.size() + point.size() + 2);
    if (cents < 0)
        out += QLatin1Char('-');
    for (int i = n - 1; i >= 0; --i) {
        out += QLatin1Char(digits[i]);
        if (i > 0 && i % 3 == 0)
            out += thousands;
    }
    out += point;
    out += QLatin1Char(char('0' + hundredths / 10));
    out += QLatin1Char(char('0' + hundredths % 10));
    return out;
}

} // namespace

QString groupThousands(const QString& digits, const QString& separator)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

std::optional<qint64> Money::cents() const
{
    if (m_cents < std::numeric_limits<qint64>::min() ||
        m_cents > std::numeric_limits<qint64>::max())
        return std::nullopt;
    return qint64(m_cents);
}

std::optional<Money> Money::fromText(const QString& text, int maxDigits)
{
    const auto cents = centsOf(plainForm(text), maxDigits);
    return cents ? std::optional<Money>(Money(*cents)) : std::nullopt;
}

std::optional<Money> Money::fromLeadingText(const QString& text, int maxDigits)
{
    const QString t = plainForm(text);
    return fromText(t.left(numberPrefixLength(t)), maxDigits);
}

QString Money::fieldText() const
{
    return formatted(m_cents, QStringLiteral(" "), QStringLiteral("."), true);
}

QString Money::groupedText() const
{
    return formatted(m_cents, QStringLiteral(" "), QStringLiteral("."), false);
}

QString Money::printText() const
{
    return formatted(m_cents, QStringLiteral(" "), QStringLiteral(","), true);
}

QString Money::localeText(const QString& thousands, const QString& decimalPoint) const
{
    return formatted(m_cents, thousands, decimalPoint, false);
}

QString Money::plainText() const
{
    return formatted(m_cents, QString(), QStringLiteral("."), false);
}

std::optional<Money> Money::times(Int128 numerator, Int128 denominator) const
{
    Int128 product = 0;
    if (denominator == 0 || __builtin_mul_overflow(m_cents, numerator, &product))
        return std::nullopt;
    const bool negative = (product < 0) != (denominator < 0);
    const UInt128 n = magnitude(product);
    const UInt128 d = magnitude(denominator);
    UInt128 quotient = n / d;
    const UInt128 remainder = n % d;
    // Half a cent or more goes away from zero.
    if (remainder >= d - remainder)
        ++quotient;
    if (quotient > UInt128(std::numeric_limits<Int128>::max()))
        return std::nullopt;
    return Money(negative ? -Int128(quotient) : Int128(quotient));
}

std::optional<Money> Money::plus(const Money& other) const
{
    Int128 sum = 0;
    if (__builtin_add_overflow(m_cents, other.m_cents, &sum))
        return std::nullopt;
    return Money(sum);
}

#pragma once

#include <QString>
#include <compare>
#include <optional>

// Wide enough for an amount in cents times two rates before the product is
// rounded, and for any amount such a product gives.
// __extension__ keeps -Wpedantic quiet about the type; it cannot precede
// an alias declaration.
__extension__ typedef __int128 Int128; // NOLINT(modernize-use-using)

// An amount of euro in whole cents, never a binary float. Amounts are stored
// as 64-bit cents; the computation of a document's amounts may give more
// (a huge fee at absurd rates), which is held and shown whole rather than
// wrapped.
//
// Its text forms:
//   field    "1 234.50"  blank between thousands, "." as the point, 0 is ""
//   grouped  "1 234.50"  the same with 0 as "0.00" (totals, record grids)
//   printed  "1 234,50"  decimal comma, 0 is ""
//   locale   "1.234,50"  the system's separators, 0 as "0,00"
//   plain    "1234.50"   as the computation writes an amount, 0 as "0.00"
class Money
{
public:
    // The most integer digits a field's amount may have: what an amount
    // column holds, and more, but never a number that would not fit.
    static constexpr int kFieldDigits = 15;

    constexpr Money() = default;
    static constexpr Money fromCents(qint64 cents) { return Money(cents); }

    // The stored form; nothing for an amount beyond 64 bits.
    std::optional<qint64> cents() const;
    bool isZero() const { return m_cents == 0; }

    // An amount as typed or shown in a field: blanks ignored, the first ","
    // taken as the point, a third decimal rounding half away from zero, at
    // most `maxDigits` integer digits. Nothing when the whole text is not
    // such a number ("", ".", "-", "12a").
    static std::optional<Money> fromText(const QString& text, int maxDigits = kFieldDigits);
    // The amount a field's text starts with, read as far as it makes a
    // number ("12abc" is 12.00): what the field shows of it. Nothing when no
    // number starts the text.
    static std::optional<Money> fromLeadingText(const QString& text, int maxDigits = kFieldDigits);

    QString fieldText() const;
    QString groupedText() const;
    QString printText() const;
    QString localeText(const QString& thousands, const QString& decimalPoint) const;
    QString plainText() const;

    // The rounding rule of computed amounts: this amount times
    // numerator / denominator, rounded once to the cent, halves away from
    // zero. Nothing when the product leaves 128 bits or the denominator is 0.
    std::optional<Money> times(Int128 numerator, Int128 denominator) const;

    // Nothing when the result leaves 128 bits.
    std::optional<Money> plus(const Money& other) const;

    Money operator-() const { return Money(-m_cents); }
    Money operator+(const Money& other) const { return Money(m_cents + other.m_cents); }
    Money operator-(const Money& other) const { return Money(m_cents - other.m_cents); }
    Money& operator+=(const Money& other) { return *this = *this + other; }
    Money& operator-=(const Money& other) { return *this = *this - other; }
    friend bool operator==(const Money&, const Money&) = default;
    // clang-tidy reads the defaulted comparison's zero as a null pointer.
    friend auto operator<=>(const Money&, const Money&) = default; // NOLINT(modernize-use-nullptr)

private:
    constexpr explicit Money(Int128 cents) : m_cents(cents) {}
    Int128 m_cents = 0;
};

// A stored amount that may be Null, counted as 0.
inline Money orZero(const std::optional<Money>& amount)
{
    return amount.value_or(Money());
}

// The digits of an integer part grouped in threes from the right
// ("1234567" gives "1 234 567").
QString groupThousands(const QString& digits, const QString& separator = QStringLiteral(" "));

#include "AmountCaseGenerator.h"

#include "DocumentAmounts.h"
#include "FeeDocument.h"

#include <cmath>
#include <optional>

namespace {

// The cases must not change with the Qt version: a generator of our own
// (splitmix64).
class CaseRandom
{
public:
    explicit CaseRandom(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    qint64 between(qint64 low, qint64 high)
    {
        return low + qint64(next() % quint64(high - low + 1));
    }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& any(const std::vector<T>& list)
    {
        return list.at(std::size_t(below(int(list.size()))));
    }

private:
    quint64 m_state;
};

// The cases that check the computation by name, first: the golden file keeps
// their lines whole.
std::vector<AmountCase> namedCases()
{
    auto c = [](bool geometra, const char* fee, const char* vr, const char* cr, const char* rr,
                const char* s = "", const char* b = "") {
        AmountCase a;
        a.geometra = geometra;
        a.fee = QString::fromLatin1(fee);
        a.vatRate = QString::fromLatin1(vr);
        a.contributionRate = QString::fromLatin1(cr);
        a.withholdingRate = QString::fromLatin1(rr);
        a.expenses = QString::fromLatin1(s);
        a.stamp = QString::fromLatin1(b);
        return a;
    };
    std::vector<AmountCase> cases = {
        c(true, "1000", "22", "4", "20"),
        c(false, "1000", "22", "4", "20"),
        c(false, "333.33", "22", "4", ""),
        c(true, "1.15", "", "", "50"),
        c(false, "1000", "22", "122", "20"),
        // The VAT is the rate times the taxable amount as printed: fee plus
        // the contribution rounded to the cent. 1000.15 + 40.01 = 1040.16,
        // 22% of it 228.8352 (not 228.83432); 5.44 + 0.22 = 5.66, 22% 1.2452
        // (not 1.24); 12.10 + 0.24 = 12.34, 22% 2.7148 (not 2.72).
        c(false, "1000.15", "22", "4", "20"),
        c(true, "1000.15", "22", "4", "20"),
        c(false, "5.44", "22", "4", ""),
        c(false, "12.10", "22", "2", ""),
        c(false, "abc", "22", "", ""),
        c(false, "0", "22", "4", "20"),
        c(false, "1000", "22", "4", "20", "50", "2"),
        // More digits than a double holds: 50% of 50 000 000 000 000.01 keeps
        // its last half cent, which rounds up.
        c(false, "50000000000000.01", "50", "", "50"),
        c(true, "99999999999999.99", "100", "100", "100", "99999999999999.99", "2"),
        c(false, "-1000", "22", "4", "20", "10"),
        c(true, "1 470.00", "22", "5", "20", "", "2.00"),
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i].invoice = i % 2 == 0 || i < 4;
    // Leaving a field other than the fee or a rate only totals; a VAT
    // computed later takes the typed contribution, as the page prints its base.
    AmountCase typed = c(false, "1000", "22", "", "");
    typed.contribution = QStringLiteral("250");
    typed.index = FeeField::Contribution;
    cases.push_back(typed);
    typed.index = FeeField::VatRate;
    cases.push_back(typed);
    return cases;
}

QString amountText(CaseRandom& r, qint64 cents)
{
    const Money m = Money::fromCents(cents);
    switch (r.below(5)) {
    case 0:
        return m.fieldText(); // as a field shows a stored amount
    case 1:
        return writtenAmount(m); // as the computation writes one
    case 2:
        return cents % 100 == 0 ? QString::number(cents / 100) : m.plainText();
    case 3:
        return QString(m.plainText()).replace(QLatin1Char('.'), QLatin1Char(','));
    default:
        return m.plainText();
    }
}

// Ordinary amounts spread over every size an invoice has: 0.01 to 99 999 999.99.
qint64 ordinaryCents(CaseRandom& r)
{
    const int digits = int(r.between(1, 10));
    const qint64 top = qint64(std::pow(10.0, digits));
    return r.between(top / 10, top - 1);
}

QString rateText(CaseRandom& r, const std::vector<int>& usual)
{
    static const std::vector<QString> odd = {"22.5", "4.75", " 20", "-4", "abc",  "12abc",
                                             "0.5",  "100",  "1e2", ".5", "22,5", "+22"};
    const int p = r.below(100);
    if (p < 10)
        return {};
    if (p < 15)
        return QStringLiteral("0");
    if (p < 60)
        return QString::number(r.any(usual));
    if (p < 90)
        return QString::number(r.between(1, 100));
    if (p < 94)
        return QString::number(r.between(101, 150));
    return r.any(odd);
}

std::optional<int> wholeRate(const QString& text)
{
    bool ok = false;
    const int rate = text.toInt(&ok);
    return ok ? std::optional<int>(rate) : std::nullopt;
}

qint64 percentCents(qint64 cents, int rate)
{
    return Money::fromCents(cents).times(rate, 100)->cents().value_or(0);
}

// A fee whose contribution, VAT or withholding comes to exactly half a cent
// before rounding, searched from `start`: where rounding decides.
qint64 halfCentFee(CaseRandom& r, const AmountCase& a, qint64 start)
{
    const auto vr = wholeRate(a.vatRate);
    const auto cr = wholeRate(a.contributionRate);
    const auto rr = wholeRate(a.withholdingRate);
    const int target = r.below(3);
    for (qint64 fee = start; fee < start + 2000; ++fee) {
        const qint64 contribution = cr ? percentCents(fee, *cr) : 0;
        qint64 product = -1;
        if (target == 0 && cr)
            product = fee * *cr;
        else if (target == 1 && vr)
            product = (fee + contribution) * *vr;
        else if (target == 2 && rr)
            product = (a.geometra ? fee : fee + contribution) * *rr;
        if (product >= 0 && product % 100 == 50)
            return fee;
    }
    return start;
}

QString feeText(CaseRandom& r, const AmountCase& a)
{
    static const std::vector<QString> huge = {"99999999999999.99", "999999999999999.99",
                                              "9999999999999999999999.99", "92233720368547758.07"};
    static const std::vector<QString> zero = {QString(), "0", "0.00", "  0", "-0"};
    static const std::vector<QString> odd = {"abc",   "12abc",  "1000,50",  ",5",      "  250",
                                             "1.5e3", "+12",    "1.000,00", "1 000,5", "0.005",
                                             "1.005", "12.345", "-0.015"};
    const int p = r.below(100);
    if (p < 35)
        return amountText(r, ordinaryCents(r));
    if (p < 55)
        return amountText(r, halfCentFee(r, a, ordinaryCents(r)));
    if (p < 60)
        return amountText(r, r.between(1, 200));
    if (p < 64)
        return r.chance(50) ? amountText(r, r.between(100'000'000'000, 9'000'000'000'000'000))
                            : r.any(huge);
    if (p < 68)
        return r.any(zero);
    if (p < 73)
        return QLatin1Char('-') + Money::fromCents(ordinaryCents(r)).plainText();
    if (p < 78)
        return r.any(odd);
    return amountText(r, ordinaryCents(r));
}

// An amount typed by hand into a computed field, or into expenses or stamp.
QString typedAmount(CaseRandom& r)
{
    static const std::vector<QString> odd = {"abc", "12abc", "-5.00", "0,5"};
    const int p = r.below(100);
    if (p < 75) {
        // Two draws, in an order of their own: the operands of one
        // expression would be drawn in whichever order the compiler picks.
        const qint64 cents = ordinaryCents(r);
        return amountText(r, cents / (r.chance(50) ? 1 : 100));
    }
    if (p < 85)
        return QStringLiteral("0");
    if (p < 92)
        return writtenAmount(Money::fromCents(r.between(1, 100000)));
    return r.any(odd);
}

AmountCase randomCase(CaseRandom& r)
{
    AmountCase a;
    a.invoice = r.chance(60);
    a.geometra = r.chance(50);
    a.vatRate = rateText(r, {22, 22, 22, 10, 4, 0});
    a.contributionRate = rateText(r, {4, 4, 5, 2});
    a.withholdingRate = rateText(r, {20, 20, 23, 4});
    if (r.chance(1)) {
        // The contribution rate cancels the VAT rate: nothing to total.
        const int vr = int(r.between(0, 30));
        a.vatRate = QString::number(vr);
        a.contributionRate = QString::number(100 + vr);
    }
    a.fee = feeText(r, a);
    for (QString* derived : {&a.vat, &a.contribution, &a.withholding})
        if (r.chance(20))
            *derived = typedAmount(r);
    if (r.chance(30))
        a.expenses = typedAmount(r);
    if (a.invoice && r.chance(25))
        a.stamp = r.chance(80) ? QStringLiteral("2.00") : typedAmount(r);
    const int p = r.below(100);
    if (p < 45) {
        a.index = FeeField::Fee;
    } else if (p < 75) {
        a.index = r.any(std::vector<int>{FeeField::VatRate, FeeField::ContributionRate,
                                         FeeField::WithholdingRate});
    } else {
        std::vector<int> others = {FeeField::Vat,         FeeField::Contribution,
                                   FeeField::Withholding, FeeField::Expenses,
                                   FeeField::Notes,       FeeField::Date};
        if (a.invoice)
            others.push_back(FeeField::Stamp);
        a.index = r.any(others);
    }
    a.changed = r.chance(60);
    a.nullZeros = r.chance(10);
    return a;
}

} // namespace

std::vector<AmountCase> amountCases(int count)
{
    std::vector<AmountCase> cases = namedCases();
    CaseRandom r(20261207);
    while (int(cases.size()) < count)
        cases.push_back(randomCase(r));
    return cases;
}

QString bracketed(const QString& text)
{
    return QLatin1Char('[') + text + QLatin1Char(']');
}

QString describeCase(int i, const AmountCase& a)
{
    return QStringLiteral("#%1 %2 %3 left %4%5 F%6 Vr%7 Cr%8 Rr%9 V%10 C%11 R%12 S%13 B%14")
        .arg(i)
        .arg(a.invoice ? "fattura" : "parcella", a.geometra ? "geometra" : "generale")
        .arg(a.index)
        .arg(a.changed ? " changed" : "", bracketed(a.fee), bracketed(a.vatRate),
             bracketed(a.contributionRate), bracketed(a.withholdingRate), bracketed(a.vat),
             bracketed(a.contribution), bracketed(a.withholding), bracketed(a.expenses))
        .arg(bracketed(a.stamp));
}

int namedCaseCount()
{
    return int(namedCases().size());
}

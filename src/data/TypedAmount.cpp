#include "TypedAmount.h"

#include <QStringList>

namespace {

bool allDigits(const QString& text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// An integer part whose thousands are grouped by points: a first group of
// one to three digits, then groups of exactly three.
bool groupedInThrees(const QStringList& groups)
{
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& g = groups.at(i);
        if (!allDigits(g) || g.isEmpty() || g.size() > 3 || (i > 0 && g.size() != 3))
            return false;
    }
    return true;
}

TypedAmount refused(const QString& text, const QString& why)
{
    return {std::nullopt, QStringLiteral("\"%1\" %2").arg(text.trimmed(), why)};
}

} // namespace

TypedAmount readTypedAmount(const QString& typed, int maxDigits)
{
    QString t = typed;
    t.remove(QLatin1Char(' '));
    t.remove(QChar(0x00A0));
    if (t.isEmpty())
        return {};
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative || t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);

    const QString example =
        QStringLiteral("non è un importo: scrivere ad esempio 1470,50 oppure 1.470,50");
    const QString grouping =
        QStringLiteral("non è un importo: i punti separano le migliaia a gruppi di tre cifre "
                       "(1.470.000,50)");
    QString integer;
    QString decimals;
    const qsizetype commas = t.count(QLatin1Char(','));
    const qsizetype points = t.count(QLatin1Char('.'));
    if (commas > 1)
        return refused(typed, example);
    if (commas == 1) {
        const qsizetype comma = t.indexOf(QLatin1Char(','));
        decimals = t.mid(comma + 1);
        if (decimals.contains(QLatin1Char('.')))
            return refused(typed, grouping);
        const QString whole = t.left(comma);
        if (points > 0 && !groupedInThrees(whole.split(QLatin1Char('.'))))
            return refused(typed, grouping);
        integer = QString(whole).remove(QLatin1Char('.'));
    } else if (points > 1) {
        if (!groupedInThrees(t.split(QLatin1Char('.'))))
            return refused(typed, grouping);
        integer = QString(t).remove(QLatin1Char('.'));
    } else if (points == 1) {
        const qsizetype point = t.indexOf(QLatin1Char('.'));
        integer = t.left(point);
        decimals = t.mid(point + 1);
        if (decimals.size() == 3 && allDigits(decimals) && !integer.isEmpty() &&
            allDigits(integer)) {
            const QString thousands = groupThousands(integer + decimals);
            QString how = QStringLiteral("non è chiaro: il punto separa le migliaia o i decimali? "
                                         "Per %1 euro scrivere %2 oppure %3,00")
                              .arg(thousands, integer + decimals, typed.trimmed());
            if (decimals.endsWith(QLatin1Char('0')))
                how += QStringLiteral("; per %1,%2 euro scrivere %1,%2")
                           .arg(integer, decimals.left(2));
            return refused(typed, how);
        }
    } else {
        integer = t;
    }
    if (!allDigits(integer) || !allDigits(decimals) || (integer.isEmpty() && decimals.isEmpty()))
        return refused(typed, example);
    if (decimals.size() > 2)
        return refused(typed, QStringLiteral("ha più di due decimali"));
    if (integer.size() > maxDigits)
        return refused(typed, QStringLiteral("ha troppe cifre"));
    const QString plain = (negative ? QStringLiteral("-") : QString()) +
                          (integer.isEmpty() ? QStringLiteral("0") : integer) + QLatin1Char('.') +
                          decimals;
    return {Money::fromText(plain, maxDigits), QString()};
}

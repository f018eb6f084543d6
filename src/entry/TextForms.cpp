#include "TextForms.h"

#include "KeyText.h"

#include <cmath>

namespace {

QString firstCommaToPoint(QString text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text[comma] = QLatin1Char('.');
    return text;
}

} // namespace

void FormattaNumero(QString& text)
{
    text = firstCommaToPoint(text);
    const double value = leadingNumber(text);
    if (value == 0.0)
        return;
    // Four decimals, as a fixed-point currency value, without trailing zeros.
    QString plain = QString::number(std::round(value * 10000.0) / 10000.0, 'f', 4);
    while (plain.endsWith(QLatin1Char('0')))
        plain.chop(1);
    if (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    const bool negative = plain.startsWith(QLatin1Char('-'));
    if (negative)
        plain.remove(0, 1);
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    const QString integer = point < 0 ? plain : plain.left(point);
    const QString decimals = point < 0 ? QString() : plain.mid(point);
    text = (negative ? QStringLiteral("-") : QString()) + groupThousands(integer) + decimals;
}

QString FormattaEuro(const QString& text)
{
    const auto amount = Money::fromLeadingText(text);
    return amount ? amount->fieldText() : QString();
}

QString FormattaEuroStampa(const QString& text)
{
    const auto amount = Money::fromLeadingText(text);
    return amount ? amount->printText() : QString();
}

QString TogliFormato(const QString& text)
{
    QString s = firstCommaToPoint(text);
    s.remove(QLatin1Char(' '));
    return s;
}

void NormalizzaNumero(QString& text, const QString& sepMigliaia, const QString& sepDecimali)
{
    const qsizetype at = sepMigliaia.isEmpty() ? -1 : text.indexOf(sepMigliaia);
    if (at >= 0)
        text.replace(at, sepMigliaia.size(), sepDecimali);
    TogliSpazi(text);
}

void TogliSpazi(QString& text)
{
    text.remove(QLatin1Char(' '));
}

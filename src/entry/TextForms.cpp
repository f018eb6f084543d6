#include "TextForms.h"

#include "KeyText.h"

#include <QRegularExpression>
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

QString groupThousands(const QString& digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(' ');
        out += digits.at(i);
    }
    return out;
}

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

std::optional<qint64> centsFromText(const QString& text)
{
    QString t = firstCommaToPoint(text);
    t.remove(QLatin1Char(' '));
    static const QRegularExpression number(QStringLiteral(R"(^([+-]?)(\d*)(?:\.(\d*))?$)"));
    const auto m = number.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;
    const QString integer = m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2);
    if (integer.size() > 15)
        return std::nullopt;
    const QString decimals = (m.captured(3) + QStringLiteral("000")).left(3);
    qint64 cents = integer.toLongLong() * 100 + decimals.left(2).toLongLong();
    if (decimals.at(2) >= QLatin1Char('5'))
        ++cents;
    return m.captured(1) == QLatin1String("-") ? -cents : cents;
}

QString euroFromCents(qint64 cents)
{
    if (cents == 0)
        return {};
    const bool negative = cents < 0;
    const qint64 magnitude = negative ? -cents : cents;
    return (negative ? QStringLiteral("-") : QString()) +
           groupThousands(QString::number(magnitude / 100)) + QLatin1Char('.') +
           QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> leadingCents(const QString& text)
{
    // Read as far as the text makes a number, as the plain numeric reading does.
    QString t = firstCommaToPoint(text);
    t.remove(QLatin1Char(' '));
    static const QRegularExpression prefix(QStringLiteral(R"(^[+-]?\d*(?:\.\d*)?)"));
    return centsFromText(prefix.match(t).captured(0));
}

QString FormattaEuro(const QString& text)
{
    const auto cents = leadingCents(text);
    return cents ? euroFromCents(*cents) : QString();
}

QString FormattaEuroStampa(const QString& text)
{
    QString s = FormattaEuro(text);
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    if (point >= 0)
        s[point] = QLatin1Char(',');
    return s;
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

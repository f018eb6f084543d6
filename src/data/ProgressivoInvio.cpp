#include "ProgressivoInvio.h"

namespace {

constexpr qint64 kDecimalNumbers = 1000;
constexpr qint64 kLettered = 26 * 36 * 36;

QChar base36(qint64 digit)
{
    return digit < 10 ? QLatin1Char(char('0' + digit)) : QLatin1Char(char('A' + digit - 10));
}

} // namespace

std::optional<QString> progressivoInvio(const DocumentKey& key)
{
    if (!key.isValid() || key.number() >= kDecimalNumbers + kLettered)
        return std::nullopt;
    const QString year = QString::number(key.year() % 100).rightJustified(2, QLatin1Char('0'));
    const qint64 n = key.number();
    if (n < kDecimalNumbers)
        return year + QString::number(n).rightJustified(3, QLatin1Char('0'));
    const qint64 m = n - kDecimalNumbers;
    return year + QLatin1Char(char('A' + m / (36 * 36))) + base36(m / 36 % 36) + base36(m % 36);
}

std::optional<QString> sendingProgressive(qint64 counter)
{
    constexpr qint64 kDigits = 36 * 36 * 36 * 36;
    if (counter < 1 || counter >= 26 * kDigits)
        return std::nullopt;
    QString text(QLatin1Char(char('A' + counter / kDigits)));
    for (qint64 unit = kDigits / 36; unit > 0; unit /= 36)
        text += base36(counter / unit % 36);
    return text;
}

QString fatturaPAFileName(const QString& vatNumber, const QString& progressive)
{
    return QStringLiteral("IT") + vatNumber.trimmed() + QLatin1Char('_') + progressive +
           QStringLiteral(".xml");
}

QString fatturaPAFileName(const QString& vatNumber, const DocumentKey& key)
{
    return fatturaPAFileName(vatNumber, progressivoInvio(key).value_or(QString()));
}

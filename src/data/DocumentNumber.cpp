#include "DocumentNumber.h"

QString documentNumber(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        // Only ASCII digits: other scripts' digits are no stored number.
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
        if (digits.isEmpty() && c == QLatin1Char('0'))
            continue;
        digits += c;
    }
    if (digits.isEmpty() && text.contains(QLatin1Char('0')))
        return QStringLiteral("0");
    return digits;
}

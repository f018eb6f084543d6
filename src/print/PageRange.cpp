#include "PageRange.h"

#include <algorithm>

bool isDigitsOnly(const QString& text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

int pageNumberFromText(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || !isDigitsOnly(digits))
        return 0;
    bool ok = false;
    const qlonglong value = digits.left(12).toLongLong(&ok);
    if (!ok)
        return digits.size() > 12 ? kMostPages : 0;
    return int(std::min<qlonglong>(value, kMostPages));
}

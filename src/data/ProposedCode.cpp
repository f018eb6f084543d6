#include "ProposedCode.h"

std::optional<QString> proposedCode(const QString& name, int width, const QString& fallback,
                                    const std::function<std::optional<bool>(const QString&)>& taken)
{
    QString base;
    for (const QChar c : name.normalized(QString::NormalizationForm_D).toUpper())
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            base += c;
    if (base.isEmpty())
        base = fallback;
    base = base.left(width);
    QString code = base;
    for (int n = 2;; ++n) {
        const auto used = taken(code);
        if (!used)
            return std::nullopt;
        if (!*used)
            return code;
        const QString suffix = QString::number(n);
        code = base.left(width - suffix.size()) + suffix;
    }
}

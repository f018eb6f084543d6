#include "KeyFilter.h"

QChar enteredChar(const FieldDeclaration& field, QChar key)
{
    const bool numeric = field.isNumber() || field.isEuro();
    return numeric && key == QLatin1Char(',') ? QLatin1Char('.') : key;
}

bool acceptsKey(const FieldDeclaration& field, const QString& text, int caret, QChar typed,
                int maxLength)
{
    if (field.isText())
        return true;
    if (field.isDate())
        return QStringLiteral("0123456789/").contains(typed);
    const QChar key = enteredChar(field, typed);
    if (!QStringLiteral("-0123456789.").contains(key))
        return false;
    if (maxLength > 0 && text.size() >= maxLength)
        return false;
    if (key == QLatin1Char('.') && field.isWholeNumber())
        return false;
    if ((key == QLatin1Char('.') || key == QLatin1Char('-')) && text.contains(key))
        return false;
    if (field.isEuro() && key.isDigit()) {
        // At most two decimals after the point.
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if (point >= 0 && caret > point && text.size() - point - 1 >= 2)
            return false;
    }
    if (field.isEuro() && key == QLatin1Char('.')) {
        // A point that would leave more than two decimals behind it.
        if (text.size() - caret > 2)
            return false;
    }
    return true;
}

bool acceptsText(const FieldDeclaration& field, const QString& text, int maxLength)
{
    QString sofar;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!acceptsKey(field, sofar, int(sofar.size()), text.at(i), maxLength))
            return false;
        sofar += enteredChar(field, text.at(i));
    }
    return true;
}

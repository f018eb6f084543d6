#include "KeyFilter.h"

bool acceptsKey(const FieldDeclaration& field, const QString& text, int caret, QChar key)
{
    if (field.isText())
        return true;
    if (field.isDate())
        return QStringLiteral("0123456789/").contains(key);
    if (!QStringLiteral("-0123456789.").contains(key))
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

bool acceptsText(const FieldDeclaration& field, const QString& text)
{
    QString sofar;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!acceptsKey(field, sofar, int(sofar.size()), text.at(i)))
            return false;
        sofar += text.at(i);
    }
    return true;
}

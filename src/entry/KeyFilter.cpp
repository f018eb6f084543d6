#include "KeyFilter.h"

QChar enteredChar(const FieldDeclaration& field, QChar key)
{
    return field.isNumber() && key == QLatin1Char(',') ? QLatin1Char('.') : key;
}

bool acceptsKey(const FieldDeclaration& field, const QString& text, QChar typed, int maxLength)
{
    if (field.isText())
        return true;
    if (field.isDate())
        return QStringLiteral("0123456789/").contains(typed);
    // An amount may be typed the Italian way ("1.470,00"): leaving the field
    // reads it, and says so when it cannot, instead of keys vanishing here.
    if (field.isEuro())
        return QStringLiteral("0123456789.,-+ ").contains(typed);
    const QChar key = enteredChar(field, typed);
    if (!QStringLiteral("-0123456789.").contains(key))
        return false;
    if (maxLength > 0 && text.size() >= maxLength)
        return false;
    if (key == QLatin1Char('.') && field.isWholeNumber())
        return false;
    if ((key == QLatin1Char('.') || key == QLatin1Char('-')) && text.contains(key))
        return false;
    return true;
}

bool acceptsText(const FieldDeclaration& field, const QString& text, int maxLength)
{
    QString sofar;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!acceptsKey(field, sofar, text.at(i), maxLength))
            return false;
        sofar += enteredChar(field, text.at(i));
    }
    return true;
}

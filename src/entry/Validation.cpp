#include "Validation.h"

#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"

#include <QDate>

QString Descrizione(Database& db, const QStringList& nomiTabelle, int table, const QString& key, int field)
{
    if (key.trimmed().isEmpty() || table < 0 || table >= nomiTabelle.size())
        return {};
    QString error;
    const auto rs = Recordset::OpenTable(db, nomiTabelle.at(table), &error);
    if (!rs || !rs->Seek(QStringLiteral("="), key) || rs->NoMatch())
        return {};
    const QVariant v = rs->value(field);
    return v.isNull() ? QStringLiteral(" ") : rs->text(field);
}

std::optional<QString> normalizeDate(const QString& typed)
{
    QString text = typed.trimmed();
    for (int p = 1; p < text.size(); ++p) {
        if ((p == 3 || p == 6) && text.at(p - 1) != QLatin1Char('/'))
            text.insert(p - 1, QLatin1Char('/'));
    }
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    for (const QString& part : parts)
        if (part.isEmpty() || part.size() > 4)
            return std::nullopt;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].toInt(&okDay);
    const int month = parts[1].toInt(&okMonth);
    int year = parts[2].toInt(&okYear);
    if (!okDay || !okMonth || !okYear || parts[0].size() > 2 || parts[1].size() > 2)
        return std::nullopt;
    if (parts[2].size() <= 2)
        year += year < 30 ? 2000 : 1900; // two-digit years as the desktop reads them
    else if (parts[2].size() != 4)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

ValidationResult Valida(const FieldDeclaration& field, int maxLength, const QString& text,
                        const DescriptionLookup& lookup)
{
    ValidationResult result{true, text, std::nullopt, QString()};
    if (text.trimmed().isEmpty())
        return result;
    if (field.link == QLatin1Char('A')) {
        const QString key = field.isNumber() ? text.rightJustified(maxLength, QLatin1Char(' ')) : text;
        const QString description = lookup ? lookup(field.table, key, field.descriptionField) : QString();
        result.description = description;
        result.valid = !description.isEmpty();
        if (!result.valid)
            result.message =
                QStringLiteral("il codice \"%1\" non esiste in archivio").arg(text.trimmed());
    } else if (field.link == QLatin1Char('D')) {
        const auto date = normalizeDate(text);
        result.valid = date.has_value();
        if (date)
            result.text = *date;
        else
            result.message = QStringLiteral("\"%1\" non è una data valida").arg(text.trimmed());
    }
    return result;
}

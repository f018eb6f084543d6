#include "Validation.h"

#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"
#include "TextForms.h"

#include <QDate>
#include <QStringList>

QString Descrizione(Database& db, Table table, const QString& key, int field)
{
    if (key.trimmed().isEmpty())
        return {};
    QString error;
    const auto rs = Recordset::OpenTable(db, nameOf(table), &error);
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

namespace {

// Why a number or an amount cannot be stored in the column its entry type
// goes to ("I" 16 bits, "L" 32 bits, "E" cents in 64 bits); "" when it can.
QString outOfRange(const FieldDeclaration& field, const QString& text)
{
    auto grouped = [](qint64 v) {
        QString s = QString::number(v);
        FormattaNumero(s);
        return s;
    };
    if (field.isEuro()) {
        const WholeRange range = wholeNumberRange(FieldType::Long, 8);
        const auto amount = Money::fromLeadingText(text);
        const auto cents = amount ? amount->cents() : std::nullopt;
        if (!cents || range.contains(*cents))
            return {};
        return QStringLiteral("L'importo %1 non può essere memorizzato: il massimo è %2.")
            .arg(amount->fieldText(), Money::fromCents(range.max).fieldText());
    }
    if (!field.isWholeNumber())
        return {};
    const WholeRange range = field.type == QLatin1Char('I')
                                 ? wholeNumberRange(FieldType::Integer, 2)
                                 : wholeNumberRange(FieldType::Long, 4);
    const double value = leadingNumber(text);
    if (value >= double(range.min) && value <= double(range.max))
        return {};
    QString shown = QString::number(value, 'f', 0);
    FormattaNumero(shown);
    return QStringLiteral(
               "Il numero %1 non può essere memorizzato: sono ammessi i valori da %2 a %3.")
        .arg(shown, grouped(range.min), grouped(range.max));
}

} // namespace

ValidationResult Valida(const FieldDeclaration& field, int maxLength, const QString& text,
                        const DescriptionLookup& lookup)
{
    ValidationResult result{true, text, std::nullopt, QString(), false};
    if (text.trimmed().isEmpty())
        return result;
    if (const QString why = outOfRange(field, text); !why.isEmpty()) {
        result.valid = false;
        result.message = why;
        result.tellOnLeaving = true;
        return result;
    }
    if (field.link == QLatin1Char('A')) {
        const QString key =
            field.isNumber() ? text.rightJustified(maxLength, QLatin1Char(' ')) : text;
        const QString description =
            lookup && field.table ? lookup(*field.table, key, field.descriptionField) : QString();
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

#include "Validation.h"

#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"
#include "TextForms.h"
#include "TypedAmount.h"

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

// More integer digits than any amount column holds, so that a long amount is
// read whole and refused by its size, with the largest one allowed.
constexpr int kTypedDigits = 30;

// Why an amount cannot be stored in the column of cents in 64 bits that an
// "E" field goes to; "" when it can.
QString amountOutOfRange(const Money& amount)
{
    const WholeRange range = wholeNumberRange(FieldType::Long, 8);
    const auto cents = amount.cents();
    if (cents && range.contains(*cents))
        return {};
    return QStringLiteral("L'importo %1 non può essere memorizzato: il massimo è %2.")
        .arg(amount.fieldText(), Money::fromCents(range.max).fieldText());
}

// An amount field's text read the way people type amounts: refused when it is
// no amount or too large for its column, and otherwise written back in the
// program's form whenever the plain reading would take it for another amount
// ("1.470,00" is 1470.00, not 1.47).
void checkAmount(const QString& text, ValidationResult* result)
{
    const TypedAmount typed = readTypedAmount(text, kTypedDigits);
    const QString why = typed.amount ? amountOutOfRange(*typed.amount) : typed.refusal;
    if (!why.isEmpty()) {
        result->valid = false;
        result->message = why;
        result->tellOnLeaving = true;
        return;
    }
    if (Money::fromLeadingText(text, kTypedDigits) != typed.amount)
        result->text = typed.amount->plainText();
}

// Why a whole number cannot be stored in the column its entry type goes to
// ("I" 16 bits, "L" 32 bits); "" when it can.
QString outOfRange(const FieldDeclaration& field, const QString& text)
{
    auto grouped = [](qint64 v) {
        QString s = QString::number(v);
        FormattaNumero(s);
        return s;
    };
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
    if (field.isEuro()) {
        checkAmount(text, &result);
        return result;
    }
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

namespace {

// Why a valid text is outside the field's bounds; "" when it is not.
QString outOfBounds(const FieldSpec& def, const QString& text)
{
    const FieldDeclaration decl = def.parsed();
    if (decl.isEuro()) {
        const auto amount = readTypedAmount(text, kTypedDigits).amount;
        const auto cents = amount ? amount->cents() : std::nullopt;
        if (!cents)
            return {};
        if (def.minimum && *cents < *def.minimum)
            return def.minimum == 0
                       ? QStringLiteral("l'importo %1 non è ammesso: non può essere negativo")
                             .arg(amount->fieldText())
                       : QStringLiteral("l'importo %1 non è ammesso: il minimo è %2")
                             .arg(amount->fieldText(), Money::fromCents(*def.minimum).fieldText());
        if (def.maximum && *cents > *def.maximum)
            return QStringLiteral("l'importo %1 non è ammesso: il massimo è %2")
                .arg(amount->fieldText(), Money::fromCents(*def.maximum).fieldText());
        return {};
    }
    if (!decl.isWholeNumber() || (!def.minimum && !def.maximum))
        return {};
    bool ok = false;
    const qint64 value = QString(text).remove(QLatin1Char(' ')).toLongLong(&ok);
    if (!ok || (def.minimum && value < *def.minimum) || (def.maximum && value > *def.maximum))
        return QStringLiteral("il valore %1 non è ammesso: sono ammessi i valori da %2 a %3")
            .arg(text.trimmed())
            .arg(def.minimum.value_or(0))
            .arg(def.maximum.value_or(0));
    return {};
}

} // namespace

ValidationResult checkField(const FieldSpec& def, const QString& text,
                            const DescriptionLookup& lookup, const QString& country)
{
    ValidationResult result = Valida(def.parsed(), def.maxLength, text, lookup);
    if (!result.valid || result.text.trimmed().isEmpty())
        return result;
    if (const QString why = outOfBounds(def, result.text); !why.isEmpty()) {
        result.valid = false;
        result.message = why;
        result.tellOnLeaving = true;
    } else if (def.taxCode && hasItalianTaxCodes(country)) {
        result.message = taxCodeProblem(*def.taxCode, result.text, country);
        result.valid = result.message.isEmpty();
        result.tellOnLeaving = !result.valid;
        if (result.valid)
            result.text = taxCodeForm(result.text);
    }
    return result;
}

#include "RecordRules.h"

#include "DocumentNumber.h"
#include "KeyText.h"
#include "Recordset.h"
#include "TextForms.h"

#include <algorithm>

namespace {

const FieldSpec* fieldWithTabIndex(const FieldAccess& fields, int tabIndex, int* index)
{
    for (int i = 0; i < fields.fieldCount(); ++i) {
        if (fields.fieldSpec(i).tabIndex == tabIndex) {
            *index = i;
            return &fields.fieldSpec(i);
        }
    }
    return nullptr;
}

bool isKeyField(const FieldSpec& def, int UltimaChiave)
{
    return def.tabIndex <= UltimaChiave;
}

int lastField(int UltimoDato, const FieldAccess& fields)
{
    return std::min(UltimoDato, fields.fieldCount() - 1);
}

} // namespace

QString CostruisciChiave(int UltimoDato, int UltimaChiave, const FieldAccess& fields)
{
    Q_UNUSED(UltimoDato);
    std::vector<KeyField> parts;
    for (int tab = 0; tab <= UltimaChiave; ++tab) {
        int index = -1;
        if (const FieldSpec* def = fieldWithTabIndex(fields, tab, &index))
            parts.push_back({def->declaration, def->maxLength, fields.text(index)});
    }
    return buildKey(parts);
}

QString recordValueToText(const FieldDeclaration& field, FieldType storedType,
                          const QVariant& value)
{
    if (value.isNull())
        return {};
    if (field.isEuro())
        return Money::fromCents(value.toLongLong()).fieldText();
    QString text = valueText(value);
    if (isDecimalKind(storedType))
        FormattaNumero(text);
    return text;
}

QVariant textToRecordValue(const FieldDeclaration& field, FieldType storedType, const QString& text,
                           bool keyField, const QString& sepMigliaia, const QString& sepDecimali)
{
    if (field.isEuro()) {
        const auto amount = Money::fromText(text);
        // An empty amount is stored as 0; text that is no amount is handed on
        // as it is so that the save reports it instead of storing 0.
        if (TogliFormato(text).isEmpty())
            return qint64(0);
        const auto cents = amount ? amount->cents() : std::nullopt;
        return cents ? QVariant(*cents) : QVariant(text);
    }
    QString value = text;
    if (isDecimalKind(storedType))
        NormalizzaNumero(value, sepMigliaia, sepDecimali);
    else if (isIntegerKind(storedType))
        TogliSpazi(value);
    else if (storedType == FieldType::Text && (keyField || field.link == QLatin1Char('A')))
        value = keyUpper(value); // codes of other tables are stored as their keys are
    if (value.isEmpty())
        return {};
    return value;
}

LoadOutcome CaricaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                         QString* error)
{
    const QString key = CostruisciChiave(UltimoDato, UltimaChiave, fields);
    if (key.isEmpty())
        return LoadOutcome::NoKey;
    if (!table.Seek(QStringLiteral("="), key)) {
        if (error)
            *error = table.lastError();
        return LoadOutcome::Failed;
    }
    const int last = lastField(UltimoDato, fields);
    if (!table.NoMatch()) {
        for (int i = 0; i <= last; ++i) {
            const int pos = fields.fieldSpec(i).recordPosition;
            if (pos >= table.fieldCount())
                continue;
            fields.setText(i, recordValueToText(fields.fieldSpec(i).parsed(),
                                                table.fieldInfo(pos).type, table.value(pos)));
        }
        return LoadOutcome::Found;
    }
    for (int i = 0; i <= last; ++i)
        if (!isKeyField(fields.fieldSpec(i), UltimaChiave))
            fields.setText(i, QString());
    return LoadOutcome::NotFound;
}

SaveOutcome MemorizzaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                            const QString& sepMigliaia, const QString& sepDecimali, QString* error,
                            SaveMode mode, qint64* version)
{
    const qint64 loaded = version ? *version : 0;
    const QString key = CostruisciChiave(UltimoDato, UltimaChiave, fields);
    if (key.isEmpty())
        return SaveOutcome::NoKey;
    auto fail = [&] {
        if (error)
            *error = table.lastError();
        table.CancelUpdate();
        return SaveOutcome::Failed;
    };
    if (!table.Seek(QStringLiteral("="), key))
        return fail();
    const bool stored = !table.NoMatch();
    if (stored && mode == SaveMode::AddOnly)
        return SaveOutcome::KeyTaken;
    if (!stored && loaded > 0)
        return SaveOutcome::DeletedElsewhere;
    if (!stored)
        table.AddNew();
    else if (!table.Edit(loaded))
        return table.lastFailure() == Recordset::Failure::ChangedElsewhere
                   ? SaveOutcome::ChangedElsewhere
                   : fail();
    if (!table.setValue(0, keyUpper(key)))
        return fail();
    const int last = lastField(UltimoDato, fields);
    for (int i = 0; i <= last; ++i) {
        const FieldSpec& def = fields.fieldSpec(i);
        if (def.recordPosition >= table.fieldCount())
            continue;
        const QVariant value = textToRecordValue(
            def.parsed(), table.fieldInfo(def.recordPosition).type, fields.text(i),
            isKeyField(def, UltimaChiave), sepMigliaia, sepDecimali);
        if (!table.setValue(def.recordPosition, value))
            return fail();
    }
    if (!table.Update()) {
        switch (table.lastFailure()) {
        case Recordset::Failure::ChangedElsewhere:
            table.CancelUpdate();
            return SaveOutcome::ChangedElsewhere;
        case Recordset::Failure::KeyTaken:
            table.CancelUpdate();
            return SaveOutcome::KeyTaken;
        default:
            return fail();
        }
    }
    if (version)
        *version = table.version();
    return stored ? SaveOutcome::Replaced : SaveOutcome::StoredNew;
}

DeleteOutcome EliminaRecord(Recordset& table, int UltimoDato, int UltimaChiave, FieldAccess& fields,
                            QString* error, qint64 version)
{
    const QString key = CostruisciChiave(UltimoDato, UltimaChiave, fields);
    if (key.isEmpty())
        return DeleteOutcome::NoKey;
    if (!table.Seek(QStringLiteral("="), key)) {
        if (error)
            *error = table.lastError();
        return DeleteOutcome::Failed;
    }
    if (table.NoMatch())
        return DeleteOutcome::NotFound;
    if (version > 0 && table.version() != version)
        return DeleteOutcome::ChangedElsewhere;
    if (!table.Delete()) {
        if (error)
            *error = table.lastError();
        return table.lastFailure() == Recordset::Failure::ChangedElsewhere
                   ? DeleteOutcome::ChangedElsewhere
                   : DeleteOutcome::Failed;
    }
    const int last = lastField(UltimoDato, fields);
    for (int i = 0; i <= last; ++i)
        fields.setText(i, QString());
    return DeleteOutcome::Deleted;
}

QString refusalMessage(const FieldSpec& def, const QString& why)
{
    QString reason = why.isEmpty() ? QStringLiteral("valore non valido") : why;
    if (!reason.endsWith(QLatin1Char('.')))
        reason += QLatin1Char('.');
    const QString caption = QString(def.caption).remove(QLatin1Char('&')).trimmed();
    if (caption.isEmpty())
        return reason.left(1).toUpper() + reason.mid(1);
    // "Imponibile: l'importo …": the reason goes on after the field's name.
    if (reason.size() > 1 && reason.at(0).isUpper() && reason.at(1).isLower())
        reason[0] = reason.at(0).toLower();
    return caption + QStringLiteral(": ") + reason;
}

std::optional<FieldRefusal> checkFields(FieldAccess& fields, const DescriptionLookup& lookup)
{
    std::vector<int> order;
    for (int i = 0; i < fields.fieldCount(); ++i)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&fields](int a, int b) {
        return fields.fieldSpec(a).tabIndex < fields.fieldSpec(b).tabIndex;
    });
    for (int i : order) {
        const FieldSpec& def = fields.fieldSpec(i);
        const ValidationResult result =
            checkField(def, fields.text(i), lookup, fields.taxCountry());
        if (!result.valid)
            return FieldRefusal{i, refusalMessage(def, result.message), result.message};
        if (result.text != fields.text(i))
            fields.setText(i, result.text);
    }
    return std::nullopt;
}

QString recordName(int UltimaChiave, const FieldAccess& fields)
{
    QString year;
    QStringList parts;
    for (int tab = 0; tab <= UltimaChiave; ++tab) {
        int index = -1;
        const FieldSpec* def = fieldWithTabIndex(fields, tab, &index);
        if (!def)
            continue;
        const FieldDeclaration decl = def->parsed();
        QString text = fields.text(index).trimmed();
        if (decl.isDate() && decl.yearOnlyDate) {
            const auto date = normalizeDate(text);
            year = date ? date->right(4) : text;
            continue;
        }
        if (decl.isWholeNumber()) {
            // as stored: no grouping, no leading zeros
            if (const QString number = documentNumber(text); !number.isEmpty())
                text = number;
        } else {
            text = text.toUpper();
        }
        parts << text;
    }
    if (!year.isEmpty())
        parts << year;
    return parts.join(QLatin1Char('/'));
}

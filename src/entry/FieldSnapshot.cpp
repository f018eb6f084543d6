#include "FieldSnapshot.h"

#include "TextForms.h"

QString shownForm(const FieldDeclaration& field, const QString& text, bool euroForms)
{
    if (field.isNumber()) {
        QString shown = text;
        TogliSpazi(shown);
        FormattaNumero(shown);
        return shown;
    }
    if (euroForms && field.isEuro())
        return FormattaEuro(text);
    return text;
}

void FieldSnapshot::take(const FieldAccess& fields, bool euroForms)
{
    m_euroForms = euroForms;
    m_texts.clear();
    for (int i = 0; i < fields.fieldCount(); ++i)
        m_texts << shownForm(fields.fieldSpec(i).parsed(), fields.text(i), euroForms);
    m_taken = true;
}

bool FieldSnapshot::differs(const FieldAccess& fields, const QHash<int, QString>& shown) const
{
    if (!m_taken)
        return false;
    for (int i = 0; i < fields.fieldCount(); ++i) {
        const QString text = shown.contains(i) ? shown.value(i) : fields.text(i);
        if (shownForm(fields.fieldSpec(i).parsed(), text, m_euroForms) != m_texts.value(i))
            return true;
    }
    return false;
}

#pragma once

#include "RecordRules.h"

#include <QHash>
#include <QStringList>

// The texts a window's fields showed when its record was last loaded, saved
// or cleared, to tell whether closing or moving on would lose an edit.
// Texts are kept and compared in the form a field shows once left, so a
// number being edited without its grouping counts as unchanged.
class FieldSnapshot
{
public:
    // euroForms: the window shows euro amounts in their display form.
    void take(const FieldAccess& fields, bool euroForms);
    bool isTaken() const { return m_taken; }
    QString text(int index) const { return m_texts.value(index); }
    // Whether a field shows something else than when taken. `shown` stands
    // in for the text of the fields it names.
    bool differs(const FieldAccess& fields, const QHash<int, QString>& shown = {}) const;

private:
    QStringList m_texts;
    bool m_euroForms = false;
    bool m_taken = false;
};

// A field's text in the form the field shows after it was left.
QString shownForm(const FieldDeclaration& field, const QString& text, bool euroForms);

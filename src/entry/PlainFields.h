#pragma once

#include "RecordRules.h"

#include <QStringList>

// A window's fields as plain texts: what the record and amount rules work
// on when there is no window.
class PlainFields : public FieldAccess
{
public:
    explicit PlainFields(FieldTable specs) : m_specs(std::move(specs)), m_texts(int(m_specs.size()))
    {
    }
    int fieldCount() const override { return int(m_specs.size()); }
    const FieldSpec& fieldSpec(int index) const override { return m_specs.at(std::size_t(index)); }
    QString text(int index) const override { return m_texts.at(index); }
    void setText(int index, const QString& text) override { m_texts[index] = text; }

private:
    FieldTable m_specs;
    QStringList m_texts;
};

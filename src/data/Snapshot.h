#pragma once

#include "Recordset.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

class Database;

// A read-only copy of a query's result, walked like a recordset. The query's
// values are always bound, never spliced into its text.
class Snapshot
{
public:
    static std::unique_ptr<Snapshot> Open(Database& db, const QString& sql,
                                          const QVariantList& values, QString* error);

    int fieldCount() const { return int(m_names.size()); }
    QString fieldName(int i) const { return m_names.value(i); }
    // Type and width, from the schema, of a column read straight from a
    // table under its own name; any other column counts as memo text.
    const FieldInfo& fieldInfo(int i) const { return m_fields.at(i); }
    int RecordCount() const { return int(m_rows.size()); }

    void MoveFirst() { m_current = 0; }
    void MoveNext();
    void MoveLast() { m_current = m_rows.isEmpty() ? 0 : int(m_rows.size()) - 1; }
    bool Eof() const { return m_current >= m_rows.size(); }

    // Null for a Null field or when there is no current row.
    QVariant value(int i) const;
    QString text(int i) const;
    const QVector<QVariantList>& rows() const { return m_rows; }

private:
    QStringList m_names;
    QVector<FieldInfo> m_fields;
    QVector<QVariantList> m_rows;
    int m_current = 0;
};

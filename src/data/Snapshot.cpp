#include "Snapshot.h"

#include "Database.h"
#include "PreparedQuery.h"
#include "Recordset.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

std::unique_ptr<Snapshot> Snapshot::Open(Database& db, const QString& sql,
                                         const QVariantList& values, QString* error)
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    const bool ok = execPrepared(q, sql, values);
    if (!ok) {
        if (error)
            *error = db.failure(q.lastError());
        return nullptr;
    }
    auto snapshot = std::make_unique<Snapshot>();
    const QSqlRecord record = q.record();
    // The schema's type of each result column tells dates and amounts
    // apart; the driver names the table a column is read from.
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        snapshot->m_names << field.name();
        const TableDef* table = db.tableLayout(field.tableName());
        const ColumnDef* column = table ? findColumn(*table, field.name()) : nullptr;
        snapshot->m_fields.push_back(column ? FieldInfo{field.name(), column->type, column->size}
                                            : FieldInfo{field.name(), FieldType::Memo, 0});
    }
    while (q.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << fromStorage(snapshot->m_fields.at(i), q.value(i));
        snapshot->m_rows << row;
    }
    // A row that cannot be read ends the walk early: a short list would
    // pass for the whole one.
    if (q.lastError().isValid()) {
        if (error)
            *error = db.failure(q.lastError());
        return nullptr;
    }
    return snapshot;
}

void Snapshot::MoveNext()
{
    if (m_current < m_rows.size())
        ++m_current;
}

QVariant Snapshot::value(int i) const
{
    if (Eof())
        return {};
    return m_rows.at(m_current).value(i);
}

QString Snapshot::text(int i) const
{
    return valueText(value(i));
}

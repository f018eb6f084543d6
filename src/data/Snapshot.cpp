#include "Snapshot.h"

#include "Database.h"
#include "Recordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>

std::unique_ptr<Snapshot> Snapshot::Open(Database& db, const QString& sql,
                                         const QVariantList& values, QString* error)
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant& v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) {
        if (error)
            *error = db.failure(q.lastError());
        return nullptr;
    }
    auto snapshot = std::make_unique<Snapshot>();
    const QSqlRecord record = q.record();
    // The declared type of each result column tells dates and amounts apart;
    // the driver's own type names do not.
    sqlite3_stmt* statement = nullptr;
    const QVariant handle = q.result()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
        statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    for (int i = 0; i < record.count(); ++i) {
        snapshot->m_names << record.fieldName(i);
        const char* declared = statement ? sqlite3_column_decltype(statement, i) : nullptr;
        const ColumnType type = declared ? columnTypeFromDeclaration(QString::fromLatin1(declared))
                                         : ColumnType{FieldType::Memo, 0};
        snapshot->m_fields.push_back({record.fieldName(i), type.type, type.size});
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

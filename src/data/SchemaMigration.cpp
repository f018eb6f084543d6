#include "SchemaMigration.h"

#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool run(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (error)
        *error = q.lastError().databaseText().isEmpty() ? q.lastError().text()
                                                        : q.lastError().databaseText();
    return false;
}

// Appends the columns of `table` from `first` on, as the current schema
// declares them.
bool appendColumns(QSqlDatabase& db, Table table, int first, QString* error)
{
    const TableDef& def = tableDef(table);
    for (std::size_t i = std::size_t(first); i < def.columns.size(); ++i) {
        const ColumnDef& c = def.columns[i];
        if (!run(db,
                 QStringLiteral("ALTER TABLE \"%1\" ADD COLUMN \"%2\" %3")
                     .arg(def.name, c.name, declarationFor(c.type, c.size)),
                 error))
            return false;
    }
    return true;
}

bool step(QSqlDatabase& db, int toVersion, QString* error)
{
    switch (toVersion) {
    case 2: // the electronic invoice's recipient code and certified mail
        return appendColumns(db, Table::Clienti, int(AddressColumn::CodiceDestinatario), error);
    default:
        return false;
    }
}

} // namespace

bool migrateSchema(QSqlDatabase& db, int fromVersion, QString* error)
{
    if (fromVersion >= kSchemaVersion)
        return true;
    if (!run(db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    bool ok = true;
    for (int version = fromVersion + 1; ok && version <= kSchemaVersion; ++version)
        ok = step(db, version, error);
    ok = ok && run(db, QStringLiteral("UPDATE SchemaVersion SET Version = %1").arg(kSchemaVersion),
                   error);
    if (!ok) {
        QString ignored;
        run(db, QStringLiteral("ROLLBACK"), &ignored);
        if (error)
            *error = QStringLiteral("aggiornamento dell'archivio non riuscito: %1").arg(*error);
        return false;
    }
    return run(db, QStringLiteral("COMMIT"), error);
}

#include "SchemaCheck.h"

#include "Client.h"
#include "Database.h"
#include "Sendings.h"
#include "SqlDialect.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// Types compare as the program's: an engine may spell one type in several
// ways, and a size matters only where the type has one.
bool sameType(const ColumnType& found, const ColumnDef& expected)
{
    switch (expected.type) {
    case FieldType::Text:
        return found.type == FieldType::Text && found.size == expected.size;
    case FieldType::Long:
        return found.type == FieldType::Long && (found.size == 8) == (expected.size == 8);
    default:
        return found.type == expected.type;
    }
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The statements that bring one table up to its layout, or false and why
// it cannot be.
bool planTable(const SqlDialect& dialect, const TableDef& table,
               const std::vector<CatalogueColumn>& found, bool olderFile, QStringList* plan,
               QString* error)
{
    if (found.empty()) {
        if (!olderFile)
            return fail(error, QStringLiteral("manca la tabella %1").arg(table.name));
        *plan << createStatements(table, dialect);
        return true;
    }
    const std::size_t wanted = table.columns.size();
    for (std::size_t i = 0; i < std::min(found.size(), wanted); ++i) {
        const ColumnDef& c = table.columns[i];
        if (found[i].name.compare(c.name, Qt::CaseInsensitive) != 0 || !sameType(found[i].type, c))
            return fail(error, QStringLiteral("la colonna %1 della tabella %2 è \"%3 %4\" invece "
                                              "di \"%5 %6\"")
                                   .arg(i + 1)
                                   .arg(table.name, found[i].name, found[i].declared, c.name,
                                        dialect.columnType(c.type, c.size)));
    }
    if (found.size() > wanted || (found.size() < wanted && !olderFile))
        return fail(error, QStringLiteral("la tabella %1 ha %2 colonne invece di %3")
                               .arg(table.name)
                               .arg(found.size())
                               .arg(wanted));
    for (std::size_t i = found.size(); i < wanted; ++i) {
        const ColumnDef& c = table.columns[i];
        *plan << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                     .arg(dialect.quoted(table.name), columnDeclaration(c, dialect));
    }
    if (olderFile)
        *plan << indexStatements(table, dialect);
    return true;
}

} // namespace

SchemaStatus planSchemaTables(Database& database, const std::vector<TableDef>& schema,
                              int fileVersion, int currentVersion, QStringList* plan,
                              QString* error, QSqlError* sqlError)
{
    const bool olderFile = fileVersion < currentVersion;
    for (const TableDef& table : schema) {
        std::vector<CatalogueColumn> found;
        QSqlError catalogueError;
        if (!database.dialect().tableColumns(database.connection(), table.name, &found,
                                             &catalogueError)) {
            if (sqlError)
                *sqlError = catalogueError;
            if (error)
                *error = catalogueError.databaseText();
            return SchemaStatus::Unreadable;
        }
        if (!planTable(database.dialect(), table, found, olderFile, plan, error))
            return SchemaStatus::Mismatch;
    }
    database.setLayout(schema);
    return olderFile ? SchemaStatus::Migrated : SchemaStatus::Matches;
}

SchemaStatus checkSchemaTables(Database& database, const std::vector<TableDef>& schema,
                               int fileVersion, int currentVersion, bool canWrite, QString* error,
                               QSqlError* sqlError)
{
    QStringList plan;
    const SchemaStatus planned =
        planSchemaTables(database, schema, fileVersion, currentVersion, &plan, error, sqlError);
    if (planned != SchemaStatus::Migrated)
        return planned;
    if (!canWrite) {
        fail(error, QStringLiteral("l'archivio è di una versione precedente e non può essere "
                                   "aggiornato perché si può solo leggere"));
        return SchemaStatus::Mismatch;
    }
    // Every document an earlier version stored is an invoice.
    const TableDef* invoices = findTable(schema, nameOf(Table::Fatture));
    if (fileVersion < kCreditNotesVersion && currentVersion >= kCreditNotesVersion && invoices &&
        int(invoices->columns.size()) > int(FeeColumn::DocumentType))
        plan << QStringLiteral("UPDATE %1 SET %2 = 'TD01' WHERE %2 IS NULL")
                    .arg(database.quoted(invoices->name),
                         database.quoted(
                             invoices->columns.at(std::size_t(FeeColumn::DocumentType)).name));
    plan << QStringLiteral("UPDATE %1 SET %2 = %3")
                .arg(database.quoted(QStringLiteral("SchemaVersion")),
                     database.quoted(QStringLiteral("Version")))
                .arg(currentVersion);
    // Through the database's own transaction: what the migration runs may
    // nest savepoints in it.
    QString why;
    if (!database.begin(&why)) {
        fail(error, why);
        return SchemaStatus::Unreadable;
    }
    QSqlQuery q(database.connection());
    for (const QString& sql : plan) {
        if (!q.exec(sql)) {
            if (sqlError)
                *sqlError = q.lastError();
            fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1")
                            .arg(q.lastError().databaseText()));
            database.rollback();
            return SchemaStatus::Unreadable;
        }
    }
    // The rows a new table starts from, made in the same transaction: a
    // failure leaves the file as it was.
    if (fileVersion < kSendingsVersion && currentVersion >= kSendingsVersion &&
        findTable(schema, sendingsTableDef().name) &&
        !migrateWrittenInvoices(database, QFileInfo(database.path()).absolutePath(), &why)) {
        fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1").arg(why));
        database.rollback();
        return SchemaStatus::Unreadable;
    }
    const TableDef* clients = findTable(schema, nameOf(Table::Clienti));
    if (fileVersion < kRegimeVersion && currentVersion >= kRegimeVersion && clients &&
        int(clients->columns.size()) > int(AddressColumn::Provincia) &&
        !migrateClientProvinces(database, &why)) {
        fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1").arg(why));
        database.rollback();
        return SchemaStatus::Unreadable;
    }
    if (!database.commit(&why)) {
        fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1").arg(why));
        return SchemaStatus::Unreadable;
    }
    return SchemaStatus::Migrated;
}

#include "SchemaCheck.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

struct FoundColumn
{
    QString name;
    QString declared;
};

bool sameType(const QString& declared, const ColumnDef& expected)
{
    const ColumnType found = columnTypeFromDeclaration(declared);
    const ColumnType wanted =
        columnTypeFromDeclaration(declarationFor(expected.type, expected.size));
    return found.type == wanted.type && found.size == wanted.size;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The statements that bring one table up to its layout, or false and why
// it cannot be.
bool planTable(const TableDef& table, const std::vector<FoundColumn>& found, bool olderFile,
               QStringList* plan, QString* error)
{
    if (found.empty()) {
        if (!olderFile)
            return fail(error, QStringLiteral("manca la tabella %1").arg(table.name));
        *plan << createStatements(table);
        return true;
    }
    const std::size_t wanted = table.columns.size();
    for (std::size_t i = 0; i < std::min(found.size(), wanted); ++i) {
        const ColumnDef& c = table.columns[i];
        if (found[i].name.compare(c.name, Qt::CaseInsensitive) != 0 ||
            !sameType(found[i].declared, c))
            return fail(error, QStringLiteral("la colonna %1 della tabella %2 è \"%3 %4\" invece "
                                              "di \"%5 %6\"")
                                   .arg(i + 1)
                                   .arg(table.name, found[i].name, found[i].declared, c.name,
                                        declarationFor(c.type, c.size)));
    }
    if (found.size() > wanted || (found.size() < wanted && !olderFile))
        return fail(error, QStringLiteral("la tabella %1 ha %2 colonne invece di %3")
                               .arg(table.name)
                               .arg(found.size())
                               .arg(wanted));
    for (std::size_t i = found.size(); i < wanted; ++i) {
        const ColumnDef& c = table.columns[i];
        *plan << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                     .arg(quoted(table.name), quoted(c.name), declarationFor(c.type, c.size));
    }
    return true;
}

} // namespace

SchemaStatus planSchemaTables(QSqlDatabase& db, const std::vector<TableDef>& schema,
                              int fileVersion, int currentVersion, QStringList* plan,
                              QString* error, QSqlError* sqlError)
{
    const bool olderFile = fileVersion < currentVersion;
    for (const TableDef& table : schema) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name)))) {
            if (sqlError)
                *sqlError = q.lastError();
            if (error)
                *error = q.lastError().databaseText();
            return SchemaStatus::Unreadable;
        }
        std::vector<FoundColumn> found;
        while (q.next())
            found.push_back({q.value(1).toString(), q.value(2).toString()});
        if (!planTable(table, found, olderFile, plan, error))
            return SchemaStatus::Mismatch;
    }
    return olderFile ? SchemaStatus::Migrated : SchemaStatus::Matches;
}

SchemaStatus checkSchemaTables(QSqlDatabase& db, const std::vector<TableDef>& schema,
                               int fileVersion, int currentVersion, bool canWrite, QString* error,
                               QSqlError* sqlError)
{
    QStringList plan;
    const SchemaStatus planned =
        planSchemaTables(db, schema, fileVersion, currentVersion, &plan, error, sqlError);
    if (planned != SchemaStatus::Migrated)
        return planned;
    if (!canWrite) {
        fail(error, QStringLiteral("l'archivio è di una versione precedente e non può essere "
                                   "aggiornato perché si può solo leggere"));
        return SchemaStatus::Mismatch;
    }
    plan << QStringLiteral("UPDATE SchemaVersion SET Version = %1").arg(currentVersion);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN"))) {
        if (sqlError)
            *sqlError = q.lastError();
        fail(error, q.lastError().databaseText());
        return SchemaStatus::Unreadable;
    }
    for (const QString& sql : plan) {
        if (!q.exec(sql)) {
            if (sqlError)
                *sqlError = q.lastError();
            fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1")
                            .arg(q.lastError().databaseText()));
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return SchemaStatus::Unreadable;
        }
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        if (sqlError)
            *sqlError = q.lastError();
        fail(error, QStringLiteral("aggiornamento dell'archivio non riuscito: %1")
                        .arg(q.lastError().databaseText()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return SchemaStatus::Unreadable;
    }
    return SchemaStatus::Migrated;
}

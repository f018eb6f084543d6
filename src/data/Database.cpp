#include "Database.h"

#include "Schema.h"
#include "SchemaMigration.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("falmide-%1").arg(counter.fetchAndAddRelaxed(1));
}

QString describe(const QSqlError& e)
{
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return text.trimmed();
}

bool run(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = describe(q.lastError());
        return false;
    }
    return true;
}

bool createSchema(QSqlDatabase& db, QString* error)
{
    if (!run(db, QStringLiteral("BEGIN"), error))
        return false;
    bool ok =
        run(db, QStringLiteral("CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)"), error) &&
        run(db, QStringLiteral("INSERT INTO SchemaVersion VALUES (%1)").arg(kSchemaVersion), error);
    for (const TableDef& t : schemaTables()) {
        for (const QString& sql : createStatements(t))
            ok = ok && run(db, sql, error);
    }
    // The heading data is always read as the table's first record.
    ok = ok && run(db, QStringLiteral("INSERT INTO datipers DEFAULT VALUES"), error);
    if (!ok) {
        QString ignored;
        run(db, QStringLiteral("ROLLBACK"), &ignored);
        return false;
    }
    return run(db, QStringLiteral("COMMIT"), error);
}

} // namespace

Database::Database() : m_connectionName(nextConnectionName()) {}

Database::~Database()
{
    close();
}

bool Database::createFile(const QString& path, QString* error)
{
    // Built under a temporary name and moved into place, so that an
    // interrupted creation never leaves a half-made database behind.
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    // The amounts and tax codes are for this user only. SQLite opens the
    // empty file as a new database and gives its journal files the same
    // permissions.
    {
        QFile empty(temporary);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                        QFile::ReadOwner | QFile::WriteOwner)) {
            if (error)
                *error = QStringLiteral("Impossibile creare il file %1: %2")
                             .arg(temporary, empty.errorString());
            return false;
        }
    }
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nextConnectionName());
        const QString name = db.connectionName();
        db.setDatabaseName(temporary);
        if (!db.open()) {
            if (error)
                *error = describe(db.lastError());
        } else {
            ok = createSchema(db, error);
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    if (ok && !QFile::rename(temporary, path)) {
        if (error)
            *error = QStringLiteral("Impossibile creare il file %1").arg(path);
        ok = false;
    }
    if (!ok)
        QFile::remove(temporary);
    return ok;
}

bool Database::open(const QString& path, QString* error)
{
    close();
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!createFile(path, error))
            return false;
    } else if (!info.isFile() || !info.isReadable()) {
        if (error)
            *error = QStringLiteral("Il file %1 non è leggibile").arg(path);
        return false;
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(path);
    if (!m_db.open()) {
        if (error)
            *error = describe(m_db.lastError());
        close();
        return false;
    }
    m_path = path;
    if (!checkSchema(error)) {
        close();
        return false;
    }
    return true;
}

bool Database::checkSchema(QString* error)
{
    // Reading the catalogue is the first access to the file: a file that is
    // not SQLite fails here, before anything could be written to it.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT Version FROM SchemaVersion")) || !q.next()) {
        if (error)
            *error = q.lastError().isValid() ? describe(q.lastError())
                                             : QStringLiteral("versione dell'archivio mancante");
        return false;
    }
    m_version = q.value(0).toInt();
    if (m_version < 1 || m_version > kSchemaVersion) {
        if (error)
            *error = QStringLiteral("versione dell'archivio sconosciuta: %1").arg(m_version);
        return false;
    }
    if (m_version < kSchemaVersion) {
        if (!migrateSchema(m_db, m_version, error))
            return false;
        m_version = kSchemaVersion;
    }
    for (const TableDef& t : schemaTables()) {
        QSqlQuery probe(m_db);
        probe.prepare(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"));
        probe.addBindValue(t.name);
        if (!probe.exec() || !probe.next() || probe.value(0).toInt() != 1) {
            if (error)
                *error = QStringLiteral("tabella mancante: %1").arg(t.name);
            return false;
        }
    }
    return true;
}

void Database::close()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_path.clear();
    m_version = 0;
    m_savepointDepth = 0;
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Database::execute(const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery q(m_db);
    if (!q.prepare(sql)) {
        if (error)
            *error = describe(q.lastError());
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = describe(q.lastError());
        return false;
    }
    return true;
}

bool Database::begin(QString* error)
{
    if (!run(m_db, QStringLiteral("SAVEPOINT sp%1").arg(m_savepointDepth + 1), error))
        return false;
    ++m_savepointDepth;
    return true;
}

bool Database::commit(QString* error)
{
    if (m_savepointDepth == 0)
        return true;
    if (!run(m_db, QStringLiteral("RELEASE sp%1").arg(m_savepointDepth), error)) {
        rollback();
        return false;
    }
    --m_savepointDepth;
    return true;
}

void Database::rollback()
{
    if (m_savepointDepth == 0)
        return;
    QString ignored;
    run(m_db, QStringLiteral("ROLLBACK TO sp%1").arg(m_savepointDepth), &ignored);
    run(m_db, QStringLiteral("RELEASE sp%1").arg(m_savepointDepth), &ignored);
    --m_savepointDepth;
}

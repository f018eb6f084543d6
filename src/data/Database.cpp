#include "Database.h"

#include "Schema.h"
#include "SchemaCheck.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <sqlite3.h>

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("falmide-%1").arg(counter.fetchAndAddRelaxed(1));
}

int sqliteCode(const QSqlError& e)
{
    return e.nativeErrorCode().toInt();
}

QString describe(const QSqlError& e)
{
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return italianSqliteError(sqliteCode(e), text);
}

// What an error met while opening says about the file.
OpenFailure classify(const QSqlError& e)
{
    const int code = sqliteCode(e);
    if (isDamageCode(code))
        return OpenFailure::Damaged;
    if ((code & 0xff) == SQLITE_ERROR)
        return OpenFailure::Foreign; // no such table: a database of something else
    return OpenFailure::Unavailable;
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.constData());
    return nullptr;
}

bool statementReadsOnly(const QSqlQuery& q)
{
    const QVariant handle = q.result() ? q.result()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
        return sqlite3_stmt_readonly(*static_cast<sqlite3_stmt* const*>(handle.constData())) != 0;
    return false;
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
    // interrupted creation never leaves a half-made database behind. The
    // amounts and tax codes are for this user only: the file is made
    // readable by its owner alone, and SQLite gives its journal the same
    // permissions.
    StagedFile staged(path);
    if (!staged.create(error))
        return false;
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nextConnectionName());
        const QString name = db.connectionName();
        db.setDatabaseName(staged.path());
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
    return ok && staged.commit(error);
}

QString newerArchiveMessage(int fileVersion)
{
    return QStringLiteral("L'archivio è stato creato da una versione più recente del programma "
                          "(versione %1 dell'archivio; questa versione legge fino alla %2). "
                          "Aprirlo con la versione più recente.")
        .arg(fileVersion)
        .arg(kSchemaVersion);
}

bool Database::refuse(OpenFailure kind, const QString& reason, QString* error)
{
    close();
    m_openFailure = kind;
    if (error)
        *error = reason;
    return false;
}

bool Database::open(const QString& path, QString* error)
{
    return openFile(path, false, error);
}

bool Database::openForCheck(const QString& path, QString* error)
{
    return openFile(path, true, error);
}

bool Database::openFile(const QString& path, bool checkOnly, QString* error)
{
    close();
    m_openFailure = OpenFailure::None;
    const QFileInfo info(path);
    if (!info.exists() && checkOnly) {
        return refuse(OpenFailure::Unavailable, QStringLiteral("Il file %1 non esiste").arg(path),
                      error);
    } else if (!info.exists()) {
        if (!createFile(path, error))
            return refuse(OpenFailure::Unavailable, error ? *error : QString(), error);
    } else if (!info.isFile() || !info.isReadable()) {
        return refuse(OpenFailure::Unavailable,
                      QStringLiteral("Il file %1 non è leggibile").arg(path), error);
    } else if (info.size() == 0) {
        return refuse(OpenFailure::Damaged,
                      QStringLiteral("Il file %1 è vuoto: non contiene alcun archivio").arg(path),
                      error);
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(path);
    if (checkOnly)
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!m_db.open())
        return refuse(OpenFailure::Unavailable, describe(m_db.lastError()), error);
    m_path = path;
    // SQLite opens a file it may not write for reading only.
    sqlite3* handle = handleOf(m_db);
    m_readOnly = handle && sqlite3_db_readonly(handle, "main") == 1;
    QSqlQuery(m_db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
    if (!checkSchema(checkOnly, error))
        return false;
    if (!m_readOnly && !checkOnly) {
        QSqlQuery journal(m_db);
        if (!journal.exec(QStringLiteral("PRAGMA journal_mode=DELETE")))
            return refuse(classify(journal.lastError()), describe(journal.lastError()), error);
    }
    return true;
}

bool Database::checkSchema(bool checkOnly, QString* error)
{
    // Reading the catalogue is the first access to the file: a file that is
    // not SQLite fails here, before anything could be written to it.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT Version FROM SchemaVersion")) || !q.next()) {
        if (!q.lastError().isValid())
            return refuse(OpenFailure::Foreign, QStringLiteral("versione dell'archivio mancante"),
                          error);
        return refuse(classify(q.lastError()), describe(q.lastError()), error);
    }
    m_version = q.value(0).toInt();
    q.finish();
    if (m_version > kSchemaVersion)
        return refuse(OpenFailure::Newer, newerArchiveMessage(m_version), error);
    if (m_version < 1)
        return refuse(OpenFailure::Foreign,
                      QStringLiteral("versione dell'archivio sconosciuta: %1").arg(m_version),
                      error);
    QString reason;
    QSqlError sqlError;
    QStringList plan;
    const SchemaStatus status =
        checkOnly ? planSchemaTables(m_db, schemaTables(), m_version, kSchemaVersion, &plan,
                                     &reason, &sqlError)
                  : checkSchemaTables(m_db, schemaTables(), m_version, kSchemaVersion, !m_readOnly,
                                      &reason, &sqlError);
    switch (status) {
    case SchemaStatus::Matches:
        return true;
    case SchemaStatus::Migrated:
        if (!checkOnly)
            m_version = kSchemaVersion;
        return true;
    case SchemaStatus::Mismatch:
        return refuse(OpenFailure::Foreign,
                      QStringLiteral("L'archivio non corrisponde a questa versione del programma: "
                                     "%1. L'archivio non è stato modificato.")
                          .arg(reason),
                      error);
    case SchemaStatus::Unreadable:
        return refuse(classify(sqlError), describe(sqlError), error);
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
    m_readOnly = false;
    m_damaged = false;
    m_damageReport.clear();
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Database::acceptsWrites(QString* why) const
{
    QString reason;
    if (m_damaged)
        reason = QStringLiteral("L'archivio è danneggiato: le modifiche non vengono memorizzate "
                                "finché non sarà riparato (Archivi, Riparazione archivi).");
    else if (m_readOnly)
        reason = QStringLiteral("L'archivio %1 può essere solo letto: le modifiche non vengono "
                                "memorizzate.")
                     .arg(m_path);
    if (why && !reason.isEmpty())
        *why = reason;
    return reason.isEmpty();
}

QString Database::failure(const QSqlError& error)
{
    const QString text = describe(error);
    if (isDamageCode(sqliteCode(error)))
        noteDamage(text);
    return text;
}

void Database::noteDamage(const QString& reason)
{
    if (m_damaged)
        return;
    m_damaged = true;
    // SQLite's quick check says where: it reads every page of the file.
    QStringList report{reason};
    QSqlQuery check(m_db);
    if (check.exec(QStringLiteral("PRAGMA quick_check(10)"))) {
        while (check.next())
            if (check.value(0).toString() != QLatin1String("ok"))
                report << check.value(0).toString();
    }
    m_damageReport = report.join(QLatin1Char('\n'));
    if (m_damageHandler)
        m_damageHandler(m_damageReport);
}

bool Database::execute(const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery q(m_db);
    if (!q.prepare(sql)) {
        if (error)
            *error = failure(q.lastError());
        return false;
    }
    if (!statementReadsOnly(q) && !acceptsWrites(error))
        return false;
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = failure(q.lastError());
        return false;
    }
    return true;
}

bool Database::begin(QString* error)
{
    if (!acceptsWrites(error))
        return false;
    if (!run(m_db, QStringLiteral("SAVEPOINT sp%1").arg(m_savepointDepth + 1), error))
        return false;
    ++m_savepointDepth;
    return true;
}

bool Database::commit(QString* error)
{
    if (m_savepointDepth == 0)
        return true;
    QSqlQuery release(m_db);
    if (!release.exec(QStringLiteral("RELEASE sp%1").arg(m_savepointDepth))) {
        if (error)
            *error = failure(release.lastError());
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

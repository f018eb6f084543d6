#include "Database.h"

#include "PreparedQuery.h"
#include "Schema.h"
#include "SchemaCheck.h"
#include "SqlDialect.h"
#include "StagedFile.h"
#include "server/ServerDialect.h"
#include "server/ServerLogin.h"

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

QString describeWith(const SqlDialect& dialect, const QSqlError& e)
{
    return describeDatabaseError(dialect.classify(e), dialect.engineText(e));
}

bool run(QSqlDatabase& db, const SqlDialect& dialect, const QString& sql, QString* error)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        if (error)
            *error = describeWith(dialect, q.lastError());
        return false;
    }
    return true;
}

bool createSchema(QSqlDatabase& db, const SqlDialect& dialect, QString* error)
{
    if (!run(db, dialect, QStringLiteral("BEGIN"), error))
        return false;
    bool ok = run(db, dialect, versionTableStatement(dialect), error) &&
              run(db, dialect,
                  QStringLiteral("INSERT INTO %1 VALUES (%2)")
                      .arg(dialect.quoted(QStringLiteral("SchemaVersion")))
                      .arg(kSchemaVersion),
                  error);
    for (const TableDef& t : schemaTables()) {
        for (const QString& sql : createStatements(t, dialect))
            ok = ok && run(db, dialect, sql, error);
    }
    // The heading data is always read as the table's first record.
    ok = ok && run(db, dialect,
                   QStringLiteral("INSERT INTO %1 DEFAULT VALUES")
                       .arg(dialect.quoted(QStringLiteral("datipers"))),
                   error);
    if (!ok) {
        QString ignored;
        run(db, dialect, QStringLiteral("ROLLBACK"), &ignored);
        return false;
    }
    return run(db, dialect, QStringLiteral("COMMIT"), error);
}

// What an error met while opening says about the file.
OpenFailure openFailureOf(DatabaseErrorKind kind)
{
    if (meansDamage(kind))
        return OpenFailure::Damaged;
    if (kind == DatabaseErrorKind::Statement)
        return OpenFailure::Foreign; // no such table: a database of something else
    return OpenFailure::Unavailable;
}

} // namespace

Database::Database()
    : m_dialect(&embeddedDialect()), m_connectionName(nextConnectionName()),
      m_layout(schemaTables())
{
}

Database::~Database()
{
    close();
}

QSqlDatabase& Database::db()
{
    if (!m_connection)
        m_connection.emplace();
    return *m_connection;
}

bool Database::createFile(const QString& path, QString* error)
{
    // Built under a temporary name and moved into place, so that an
    // interrupted creation never leaves a half-made database behind. The
    // amounts and tax codes are for this user only: the file is made
    // readable by its owner alone, and the engine gives its journal the
    // same permissions.
    const SqlDialect& dialect = embeddedDialect();
    StagedFile staged(path);
    if (!staged.create(error))
        return false;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), nextConnectionName());
        const QString name = db.connectionName();
        db.setDatabaseName(staged.path());
        if (!db.open()) {
            if (error)
                *error = describeWith(dialect, db.lastError());
        } else {
            ok = createSchema(db, dialect, error);
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

bool Database::openServer(const ServerConnection& server, QString* error)
{
    close();
    m_openFailure = OpenFailure::None;
    if (server.database.isEmpty())
        return refuse(OpenFailure::Unavailable,
                      QStringLiteral("Manca il nome del database sul server %1 (Database= nella "
                                     "sezione [Database] delle impostazioni)")
                          .arg(server.host),
                      error);
    m_dialect = &serverDialect();
    m_connection = QSqlDatabase::addDatabase(m_dialect->driverName(), m_connectionName);
    db().setHostName(server.host);
    db().setPort(server.port);
    db().setDatabaseName(server.database);
    if (!server.user.isEmpty())
        db().setUserName(server.user);
    db().setConnectOptions(QStringLiteral("connect_timeout=10;application_name=falmide"));
    if (!db().open()) {
        const LoginDiagnosis why = diagnoseServerLogin(server, db().lastError().databaseText());
        return refuse(OpenFailure::Unavailable, why.message, error);
    }
    m_server = server;
    m_readOnly = m_dialect->onlyReads(db());
    m_dialect->tune(db());

    bool empty = false;
    QSqlError sqlError;
    if (!serverSchemaEmpty(db(), &empty, &sqlError))
        return refuse(openFailureOf(m_dialect->classify(sqlError)), describe(sqlError), error);
    if (empty) {
        if (m_readOnly)
            return refuse(OpenFailure::Unavailable,
                          QStringLiteral("Il database %1 è vuoto e può essere solo letto: "
                                         "l'archivio non può esservi creato.")
                              .arg(describeServer(server)),
                          error);
        // Two desks starting on a new database at once: one makes the
        // schema, the other fails to and then finds it made.
        QString creationError;
        if (!createSchema(db(), *m_dialect, &creationError) &&
            (!serverSchemaEmpty(db(), &empty, &sqlError) || empty))
            return refuse(OpenFailure::Unavailable,
                          QStringLiteral("Impossibile creare l'archivio nel database %1: %2")
                              .arg(describeServer(server), creationError),
                          error);
    } else {
        std::vector<CatalogueColumn> versionTable;
        if (!m_dialect->tableColumns(db(), QStringLiteral("SchemaVersion"), &versionTable,
                                     &sqlError))
            return refuse(openFailureOf(m_dialect->classify(sqlError)), describe(sqlError), error);
        if (versionTable.empty())
            return refuse(OpenFailure::Foreign,
                          QStringLiteral("Il database %1 contiene tabelle che non sono di questo "
                                         "programma: l'archivio non è stato modificato. Usare un "
                                         "database vuoto, creato per il programma.")
                              .arg(describeServer(server)),
                          error);
    }
    return checkSchema(false, error);
}

QString Database::location() const
{
    return m_server ? describeServer(*m_server) : m_path;
}

bool Database::openFile(const QString& path, bool checkOnly, QString* error)
{
    close();
    m_openFailure = OpenFailure::None;
    m_dialect = &embeddedDialect();
    const QFileInfo info(path);
    if (!info.exists()) {
        if (checkOnly)
            return refuse(OpenFailure::Unavailable,
                          QStringLiteral("Il file %1 non esiste").arg(path), error);
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

    m_connection = QSqlDatabase::addDatabase(m_dialect->driverName(), m_connectionName);
    db().setDatabaseName(path);
    if (checkOnly)
        db().setConnectOptions(m_dialect->readOnlyOptions());
    if (!db().open())
        return refuse(OpenFailure::Unavailable, describe(db().lastError()), error);
    m_path = path;
    m_readOnly = m_dialect->onlyReads(db());
    m_dialect->tune(db());
    if (!checkSchema(checkOnly, error))
        return false;
    QSqlError prepareError;
    if (!m_readOnly && !checkOnly && !m_dialect->prepareForWrites(db(), &prepareError))
        return refuse(openFailureOf(m_dialect->classify(prepareError)), describe(prepareError),
                      error);
    return true;
}

bool Database::checkSchema(bool checkOnly, QString* error)
{
    // The version and every table's columns are read in one transaction:
    // one state of the archives, and a file locked once rather than once
    // per statement. One that cannot begin is left to the reads to report;
    // a refusal closes the connection, and the transaction with it.
    QString ignored;
    const bool reading = beginReadSnapshot(&ignored);

    // Reading the version is the first access to the file: a file that is
    // no database of the engine fails here, before anything could be
    // written to it.
    QSqlQuery q(db());
    if (!q.exec(
            QStringLiteral("SELECT %1 FROM %2")
                .arg(quoted(QStringLiteral("Version")), quoted(QStringLiteral("SchemaVersion")))) ||
        !q.next()) {
        if (!q.lastError().isValid())
            return refuse(OpenFailure::Foreign, QStringLiteral("versione dell'archivio mancante"),
                          error);
        return refuse(openFailureOf(m_dialect->classify(q.lastError())), describe(q.lastError()),
                      error);
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
    SchemaStatus status = planSchemaTables(*this, schemaTables(), m_version, kSchemaVersion, &plan,
                                           &reason, &sqlError);
    if (reading)
        endReadSnapshot();
    // An earlier version is brought up to this one in a transaction of its
    // own, which looks at the tables again.
    if (status == SchemaStatus::Migrated && !checkOnly)
        status = checkSchemaTables(*this, schemaTables(), m_version, kSchemaVersion, !m_readOnly,
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
        return refuse(openFailureOf(m_dialect->classify(sqlError)), describe(sqlError), error);
    }
    return true;
}

void Database::close()
{
    if (m_connection && m_connection->isValid()) {
        m_connection->close();
        m_connection.reset();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_path.clear();
    m_server.reset();
    m_dialect = &embeddedDialect();
    m_layout = schemaTables();
    m_version = 0;
    m_savepointDepth = 0;
    m_readSnapshot = false;
    m_readOnly = false;
    m_damaged = false;
    m_damageReport.clear();
}

bool Database::isOpen() const
{
    return m_connection && m_connection->isValid() && m_connection->isOpen();
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
                     .arg(location());
    if (why && !reason.isEmpty())
        *why = reason;
    return reason.isEmpty();
}

QString Database::quoted(const QString& identifier) const
{
    return m_dialect->quoted(identifier);
}

void Database::setLayout(const std::vector<TableDef>& tables)
{
    m_layout = tables;
}

const TableDef* Database::tableLayout(const QString& table) const
{
    return findTable(m_layout, table);
}

QString Database::describe(const QSqlError& error) const
{
    return describeWith(*m_dialect, error);
}

QString Database::failure(const QSqlError& error)
{
    const QString text = describe(error);
    if (meansDamage(m_dialect->classify(error)))
        noteDamage(text);
    return text;
}

void Database::noteDamage(const QString& reason)
{
    if (m_damaged)
        return;
    m_damaged = true;
    const QStringList report = QStringList{reason} + m_dialect->damageDetails(db());
    m_damageReport = report.join(QLatin1Char('\n'));
    if (m_damageHandler)
        m_damageHandler(m_damageReport);
}

bool Database::readRows(const QString& sql, const QVariantList& values, const RowVisitor& visit,
                        QString* error)
{
    QSqlError failed;
    if (m_dialect->readRows(db(), sql, values, visit, &failed))
        return true;
    if (error)
        *error = failure(failed);
    return false;
}

bool Database::readValueRows(const QString& sql, const QVariantList& values,
                             const ValueRowVisitor& visit, QString* error)
{
    QSqlError failed;
    if (m_dialect->readValueRows(db(), sql, values, visit, &failed))
        return true;
    if (error)
        *error = failure(failed);
    return false;
}

bool Database::execute(const QString& sql, const QVariantList& values, QString* error, int* changed)
{
    m_lastErrorKind = DatabaseErrorKind::Other;
    if (!acceptsWrites(error))
        return false;
    // A statement without values runs as it stands: an engine may prepare
    // only queries and changes of rows, not changes of tables.
    QSqlQuery q(db());
    const bool ok = values.isEmpty() ? q.exec(sql) : execPrepared(q, sql, values);
    if (!ok) {
        m_lastErrorKind = m_dialect->classify(q.lastError());
        if (error)
            *error = failure(q.lastError());
        return false;
    }
    if (changed)
        *changed = q.numRowsAffected();
    return true;
}

// The outermost level is a transaction, each inner one a savepoint: SQL
// offers savepoints only inside a transaction.
bool Database::begin(QString* error)
{
    if (!acceptsWrites(error))
        return false;
    if (m_readSnapshot) {
        if (error)
            *error = QStringLiteral("Una lettura dell'archivio è in corso: le modifiche non "
                                    "vengono memorizzate finché non è terminata.");
        return false;
    }
    const QString sql = m_savepointDepth == 0
                            ? QStringLiteral("BEGIN")
                            : QStringLiteral("SAVEPOINT sp%1").arg(m_savepointDepth + 1);
    if (!run(db(), *m_dialect, sql, error))
        return false;
    ++m_savepointDepth;
    return true;
}

bool Database::commit(QString* error)
{
    if (m_savepointDepth == 0)
        return true;
    QSqlQuery release(db());
    if (!release.exec(m_savepointDepth == 1
                          ? QStringLiteral("COMMIT")
                          : QStringLiteral("RELEASE sp%1").arg(m_savepointDepth))) {
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
    if (m_savepointDepth == 1) {
        run(db(), *m_dialect, QStringLiteral("ROLLBACK"), &ignored);
    } else {
        run(db(), *m_dialect, QStringLiteral("ROLLBACK TO sp%1").arg(m_savepointDepth), &ignored);
        run(db(), *m_dialect, QStringLiteral("RELEASE sp%1").arg(m_savepointDepth), &ignored);
    }
    --m_savepointDepth;
}

bool Database::beginReadSnapshot(QString* error)
{
    if (m_readSnapshot || m_savepointDepth > 0) {
        if (error)
            *error = QStringLiteral("Una lettura dell'archivio non può iniziare durante un'altra "
                                    "lettura o una modifica.");
        return false;
    }
    if (!run(db(), *m_dialect, m_dialect->beginReadSnapshot(), error))
        return false;
    m_readSnapshot = true;
    return true;
}

void Database::endReadSnapshot()
{
    if (!m_readSnapshot)
        return;
    // Nothing was written: ending it keeps nothing and cannot fail in a way
    // that matters to the reads already made.
    QString ignored;
    run(db(), *m_dialect, QStringLiteral("ROLLBACK"), &ignored);
    m_readSnapshot = false;
}

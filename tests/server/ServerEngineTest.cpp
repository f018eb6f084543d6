#include "ServerEngineTest.h"

#include "Database.h"
#include "RecordWrite.h"
#include "Recordset.h"
#include "Schema.h"
#include "ServerConnection.h"
#include "SqlDialect.h"
#include "TestDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A connection of the test's own, as the server's administrator would use
// it, to prepare what the program then meets.
class AdminSql
{
public:
    explicit AdminSql(const ServerConnection& server)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setDatabaseName(server.database);
        db.setConnectOptions(QStringLiteral("options='-c client_min_messages=warning'"));
        m_ok = db.open();
        if (!m_ok)
            m_error = db.lastError().text();
    }
    ~AdminSql()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool run(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql))
            m_error = sql + QStringLiteral(": ") + q.lastError().text();
        return m_ok && m_error.isEmpty();
    }
    QString error() const { return m_error; }

private:
    QString m_name = QStringLiteral("server-engine-test-admin");
    bool m_ok = false;
    QString m_error;
};

// Sets an environment variable for one scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QStringList keysInOrder(Database& db, const QString& table)
{
    QStringList keys;
    QString error;
    auto rs = Recordset::OpenTable(db, table, &error);
    if (!rs)
        return {error};
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        keys << rs->value(0).toString().trimmed();
    return keys;
}

} // namespace

void ServerEngineTest::initTestCase()
{
    if (!testsOnServer())
        QSKIP("only on the tests' server (FALMIDE_TEST_ENGINE=server)");
}

void ServerEngineTest::refusesDatabasesNotOfThisVersion_data()
{
    QTest::addColumn<QString>("prepare"); // run on the database after the program made it
    QTest::addColumn<bool>("made");       // the program made its schema first
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("message");

    QTest::newRow("tables of another program")
        << "CREATE TABLE magazzino (codice text PRIMARY KEY)" << false << int(OpenFailure::Foreign)
        << "contiene tabelle che non sono di questo programma";
    QTest::newRow("a table laid out otherwise")
        << "ALTER TABLE Clienti DROP COLUMN Versione" << true << int(OpenFailure::Foreign)
        << "la tabella Clienti ha 14 colonne invece di 15";
    QTest::newRow("a column of another type")
        << "ALTER TABLE Fatture ALTER COLUMN Onorario TYPE text" << true
        << int(OpenFailure::Foreign) << "la colonna 7 della tabella Fatture";
    QTest::newRow("a later version")
        << QStringLiteral("UPDATE SchemaVersion SET Version = %1").arg(kSchemaVersion + 1) << true
        << int(OpenFailure::Newer) << "versione più recente del programma";
}

void ServerEngineTest::refusesDatabasesNotOfThisVersion()
{
    QFETCH(QString, prepare);
    QFETCH(bool, made);
    QFETCH(int, failure);
    QFETCH(QString, message);

    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("altro.db"), &server, &error), qPrintable(error));
    Database db;
    if (made) {
        QVERIFY2(db.openServer(server, &error), qPrintable(error));
        db.close();
    }
    {
        AdminSql admin(server);
        QVERIFY2(admin.run(prepare), qPrintable(admin.error()));
    }
    QVERIFY(!db.openServer(server, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(int(db.openFailure()), failure);
    QVERIFY(!db.isOpen());
    QVERIFY(!db.onServer());

    // Refused means untouched: the program made no table of its own there.
    if (!made) {
        AdminSql admin(server);
        QVERIFY2(!admin.run("SELECT 1 FROM SchemaVersion"), "the schema was made");
    }
}

void ServerEngineTest::refusesLogins_data()
{
    QTest::addColumn<QString>("passwordLine"); // the password file's line; none: no file
    QTest::addColumn<QString>("database");     // empty: the test's own
    QTest::addColumn<QString>("message");

    const auto row = [](const char* tag, const QString& line, const char* database,
                        const char* message) {
        QTest::newRow(tag) << line << QString::fromLatin1(database) << QString::fromUtf8(message);
    };
    row("wrong password", "*:*:*:*:sbagliata", "", "ha rifiutato l'accesso: password errata");
    row("no password file", QString(), "", "chiede la password");
    row("no line for the server", "altrohost:1:*:*:x", "",
        "non ha una riga per questo server e utente");
    row("no such database", "", "inesistente", "non esiste il database \"inesistente\"");
}

void ServerEngineTest::refusesLogins()
{
    QFETCH(QString, passwordLine);
    QFETCH(QString, database);
    QFETCH(QString, message);

    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("accesso.db"), &server, &error), qPrintable(error));
    if (!database.isEmpty())
        server.database = database;
    // An empty line keeps the tests' own password file.
    QString passwordFile = qEnvironmentVariable("PGPASSFILE");
    if (!passwordLine.isEmpty() || passwordLine.isNull()) {
        passwordFile = dir.filePath("pgpass");
        if (!passwordLine.isNull()) {
            QFile f(passwordFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(passwordLine.toUtf8() + '\n');
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }
    const ScopedEnvironment file("PGPASSFILE", passwordFile.toLocal8Bit());
    Database db;
    QVERIFY(!db.openServer(server, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(describeServer(server)), qPrintable(error));
    if (database.isEmpty())
        QVERIFY2(error.contains(passwordFile), qPrintable(error));
    QCOMPARE(db.openFailure(), OpenFailure::Unavailable);
    QVERIFY(!db.isOpen());
}

void ServerEngineTest::readOnlyLoginsAndDatabases()
{
    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("lettura.db"), &server, &error), qPrintable(error));
    {
        Database db;
        QVERIFY2(db.openServer(server, &error), qPrintable(error));
    }

    // A login granted reading only.
    const QString reader = QStringLiteral("lettore_%1").arg(server.database);
    {
        AdminSql admin(server);
        QVERIFY2(admin.run(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'sola'").arg(reader)) &&
                     admin.run(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1")
                                   .arg(reader)),
                 qPrintable(admin.error()));
    }
    const QString passwordFile = dir.filePath("pgpass");
    {
        QFile f(passwordFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("*:*:*:%1:sola\n").arg(reader).toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    {
        const ScopedEnvironment file("PGPASSFILE", passwordFile.toLocal8Bit());
        ServerConnection asReader = server;
        asReader.user = reader;
        Database db;
        QVERIFY2(db.openServer(asReader, &error), qPrintable(error));
        QVERIFY(db.readOnly());
        QVERIFY(!db.acceptsWrites(&error));
        QVERIFY2(error.contains(describeServer(asReader)), qPrintable(error));
    }

    // A database whose transactions only read by default.
    {
        AdminSql admin(server);
        QVERIFY2(admin.run(QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only "
                                          "= on")
                               .arg(server.database)),
                 qPrintable(admin.error()));
    }
    Database db;
    QVERIFY2(db.openServer(server, &error), qPrintable(error));
    QVERIFY(db.readOnly());
}

void ServerEngineTest::keysSortByTheirBytesOnBothEngines()
{
    // Keys sort as their bytes do, never by a language's rules: capitals
    // before the underscore before small letters, on the server as in the
    // file.
    QTemporaryDir dir;
    Database file;
    Database server;
    QString error;
    QVERIFY2(file.open(dir.filePath("falmide.db"), &error), qPrintable(error));
    QVERIFY2(openTestDatabase(server, dir.filePath("server.db"), &error), qPrintable(error));
    QVERIFY(server.onServer());
    for (Database* db : {&file, &server}) {
        for (const char* key : {"a", "B", "_", "Z", "b", "1", "A B", "AB"})
            QVERIFY2(db->execute("INSERT INTO Clienti (Chiave, CodCliente) "
                                 "VALUES (?, ?)",
                                 {QString::fromLatin1(key), QString::fromLatin1(key)}, &error),
                     qPrintable(error));
    }
    const QStringList expected{"1", "A B", "AB", "B", "Z", "_", "a", "b"};
    QCOMPARE(keysInOrder(file, QStringLiteral("Clienti")), expected);
    QCOMPARE(keysInOrder(server, QStringLiteral("Clienti")), expected);
}

void ServerEngineTest::aKeyGivenTwiceIsAConstraint()
{
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("doppio.db"), &error), qPrintable(error));
    const QString insert = QStringLiteral("INSERT INTO Clienti (Chiave, CodCliente) VALUES (?, ?)");
    QVERIFY2(db.execute(insert, {"R1        ", "R1"}, &error), qPrintable(error));
    QVERIFY(!db.execute(insert, {"R1        ", "R1"}, &error));
    QVERIFY2(error.startsWith("I dati non rispettano le regole dell'archivio ("),
             qPrintable(error));
    QVERIFY(!db.damaged());
    // A failed statement leaves the connection usable.
    QVERIFY2(db.execute(insert, {"R2        ", "R2"}, &error), qPrintable(error));
}

void ServerEngineTest::aLostConnectionIsSaidAsTheServer()
{
    // The server ends the desk's session (restarted, or an administrator's
    // doing): the next write says the server, not a file, in Italian.
    QTemporaryDir dir;
    ServerConnection server;
    QString error;
    QVERIFY2(testServerDatabase(dir.filePath("persa.db"), &server, &error), qPrintable(error));
    Database db;
    QVERIFY2(db.openServer(server, &error), qPrintable(error));
    AdminSql admin(server);
    QVERIFY2(admin.run(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                      "WHERE datname = '%1' AND pid <> pg_backend_pid()")
                           .arg(server.database)),
             qPrintable(admin.error()));
    QVERIFY(!db.execute(QStringLiteral("INSERT INTO Clienti (Chiave, CodCliente) VALUES (?, ?)"),
                        {"R1        ", "R1"}, &error));
    QCOMPARE(int(db.lastErrorKind()), int(DatabaseErrorKind::Unreachable));
    QVERIFY2(error.startsWith("Impossibile raggiungere l'archivio sul server (FATAL: terminating "),
             qPrintable(error));
    QVERIFY2(!error.contains('\n') && error.endsWith("request.)"), qPrintable(error));
}

void ServerEngineTest::aRecordStoredAgainIsNotTheOneLoaded()
{
    // One desk loads a client; another deletes it and stores a new one
    // under the same code. The first desk's save must not overwrite it.
    QTemporaryDir dir;
    Database first;
    Database second;
    QString why;
    QVERIFY2(openTestDatabase(first, dir.filePath("ancora.db"), &why), qPrintable(why));
    QVERIFY2(openTestDatabase(second, dir.filePath("ancora.db"), &why), qPrintable(why));
    const RecordName name{QStringLiteral("Il cliente ROSSI"), false};
    const QString code = QStringLiteral("ROSSI");
    QVariantList values{code, code, QStringLiteral("Rossi Mario")};
    qint64 loaded = 0;
    QCOMPARE(writeRecord(first, Table::Clienti, values, SaveMode::AddOnly, name, &why, {}, &loaded),
             SaveResult::StoredNew);
    QVERIFY(loaded > 0);
    qint64 theirs = loaded;
    QCOMPARE(deleteRecord(second, Table::Clienti, code, &why, name, theirs), DeleteResult::Deleted);
    values[2] = QStringLiteral("Rossi Maria");
    theirs = 0;
    QCOMPARE(
        writeRecord(second, Table::Clienti, values, SaveMode::AddOnly, name, &why, {}, &theirs),
        SaveResult::StoredNew);
    QVERIFY(theirs != loaded);

    values[2] = QStringLiteral("Rossi Mario Luigi");
    QCOMPARE(
        writeRecord(first, Table::Clienti, values, SaveMode::AddOrReplace, name, &why, {}, &loaded),
        SaveResult::ChangedElsewhere);
    QCOMPARE(deleteRecord(first, Table::Clienti, code, &why, name, loaded),
             DeleteResult::ChangedElsewhere);
    QString error;
    const auto clients = Recordset::OpenTable(first, QStringLiteral("Clienti"), &error);
    QVERIFY2(clients && clients->Seek(QStringLiteral("="), code + QString(5, ' ')) &&
                 !clients->NoMatch(),
             qPrintable(error));
    QCOMPARE(clients->text(2), QStringLiteral("Rossi Maria"));
}

void ServerEngineTest::errorsByKind_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("kind");

    QTest::newRow("unique") << "23505" << int(DatabaseErrorKind::Constraint);
    QTest::newRow("disk full") << "53100" << int(DatabaseErrorKind::DiskFull);
    QTest::newRow("wrong password") << "28P01" << int(DatabaseErrorKind::Denied);
    QTest::newRow("no privilege") << "42501" << int(DatabaseErrorKind::Denied);
    QTest::newRow("connection lost") << "08006" << int(DatabaseErrorKind::Unreachable);
    QTest::newRow("server shut down") << "57P01" << int(DatabaseErrorKind::Unreachable);
    QTest::newRow("serialization") << "40001" << int(DatabaseErrorKind::Busy);
    QTest::newRow("lock not granted") << "55P03" << int(DatabaseErrorKind::Busy);
    QTest::newRow("deadlock") << "40P01" << int(DatabaseErrorKind::Busy);
    QTest::newRow("read-only transaction") << "25006" << int(DatabaseErrorKind::ReadOnly);
    QTest::newRow("no such table") << "42P01" << int(DatabaseErrorKind::Statement);
    QTest::newRow("damaged page") << "XX001" << int(DatabaseErrorKind::Damaged);
    // The server gives a code with all it reports: without one, libpq
    // itself failed, the connection gone.
    QTest::newRow("no code") << "" << int(DatabaseErrorKind::Unreachable);
}

void ServerEngineTest::errorsByKind()
{
    QFETCH(QString, code);
    QFETCH(int, kind);
    const QSqlError error(QStringLiteral("driver"), QStringLiteral("text"),
                          QSqlError::StatementError, code);
    QCOMPARE(int(serverDialect().classify(error)), kind);
}

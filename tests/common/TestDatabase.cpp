#include "TestDatabase.h"

#include "Database.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {

// Connections the tests keep for themselves are told from the program's by
// their application name.
const QString kAdminApplication = QStringLiteral("falmide-test-admin");

ServerConnection testServer(const QString& database)
{
    ServerConnection server;
    server.host = qEnvironmentVariable("FALMIDE_TEST_PGHOST", QStringLiteral("127.0.0.1"));
    server.port = qEnvironmentVariableIntValue("FALMIDE_TEST_PGPORT");
    server.user = qEnvironmentVariable("FALMIDE_TEST_PGUSER");
    server.database = database;
    return server;
}

// A connection of the tests' own to one database of the server.
class AdminConnection
{
public:
    explicit AdminConnection(const QString& database)
    {
        static QAtomicInteger<int> counter;
        m_name = QStringLiteral("falmide-test-admin-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        const ServerConnection server = testServer(database);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("application_name=") + kAdminApplication +
                             QStringLiteral(";options='-c client_min_messages=warning'"));
        if (!db.open())
            m_error = db.lastError().text();
    }
    ~AdminConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    AdminConnection(const AdminConnection&) = delete;
    AdminConnection& operator=(const AdminConnection&) = delete;

    bool ok(QString* error) const
    {
        if (!m_error.isEmpty() && error)
            *error = QStringLiteral("server dei test non raggiungibile: ") + m_error;
        return m_error.isEmpty();
    }
    bool run(const QString& sql, QString* error)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (q.exec(sql))
            return true;
        if (error)
            *error = sql + QStringLiteral(": ") + q.lastError().text();
        return false;
    }
    // Whether anyone but the tests' own connections uses the database.
    bool inUse(const QString& database)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        q.prepare(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = ? "
                                 "AND application_name <> ?"));
        q.addBindValue(database);
        q.addBindValue(kAdminApplication);
        return !q.exec() || !q.next() || q.value(0).toLongLong() > 0;
    }

private:
    QString m_name;
    QString m_error;
};

// The databases of this process. Making a database takes the server a
// fraction of a second: one whose path has gone with its test's temporary
// folder, and that nobody uses any more, is emptied for the next path
// instead, which is several times quicker.
struct Pool
{
    struct Entry
    {
        QString path;
        QString database;
    };
    std::vector<Entry> entries;
    std::unique_ptr<AdminConnection> server; // to the maintenance database
    int made = 0;

    Entry* find(const QString& path)
    {
        for (Entry& e : entries)
            if (e.path == path)
                return &e;
        return nullptr;
    }
};

// Never destroyed: its connections go with the process, after Qt's own
// statics would have gone.
Pool& pool()
{
    static Pool* p = new Pool;
    return *p;
}

QString databaseFor(const QString& path, QString* error)
{
    Pool& p = pool();
    const QString key = QFileInfo(path).absoluteFilePath();
    if (Pool::Entry* e = p.find(key))
        return e->database;
    if (!p.server) {
        p.server = std::make_unique<AdminConnection>(QStringLiteral("postgres"));
        if (!p.server->ok(error)) {
            p.server.reset();
            return {};
        }
    }
    for (Pool::Entry& e : p.entries) {
        if (QFileInfo(e.path).absoluteDir().exists() || p.server->inUse(e.database))
            continue;
        AdminConnection reset(e.database);
        // A test may have left the database read-only by default.
        if (!reset.ok(error) ||
            !reset.run(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ WRITE"),
                       error) ||
            !reset.run(QStringLiteral("ALTER DATABASE %1 RESET ALL").arg(e.database), error) ||
            !reset.run(QStringLiteral("DROP SCHEMA public CASCADE"), error) ||
            !reset.run(QStringLiteral("CREATE SCHEMA public"), error) ||
            !reset.run(QStringLiteral("GRANT USAGE ON SCHEMA public TO PUBLIC"), error))
            return {};
        e.path = key;
        return e.database;
    }
    const QString name =
        QStringLiteral("falmide_%1_%2").arg(QCoreApplication::applicationPid()).arg(++p.made);
    if (!p.server->run(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name), error) ||
        !p.server->run(QStringLiteral("CREATE DATABASE %1").arg(name), error))
        return {};
    p.entries.push_back({key, name});
    return name;
}

} // namespace

bool testsOnServer()
{
    return qEnvironmentVariable("FALMIDE_TEST_ENGINE") == QLatin1String("server");
}

bool testServerDatabase(const QString& path, ServerConnection* server, QString* error)
{
    const QString database = databaseFor(path, error);
    if (database.isEmpty())
        return false;
    *server = testServer(database);
    return true;
}

bool openTestDatabase(Database& db, const QString& path, QString* error)
{
    if (!testsOnServer())
        return db.open(path, error);
    ServerConnection server;
    return testServerDatabase(path, &server, error) && db.openServer(server, error);
}

QByteArray testDatabaseSettings(const QString& path)
{
    ServerConnection server;
    QString error;
    if (!testsOnServer() || !testServerDatabase(path, &server, &error))
        return {};
    return QStringLiteral("[Database]\nServer=%1\nPorta=%2\nDatabase=%3\nUtente=%4\n")
        .arg(server.host)
        .arg(server.port)
        .arg(server.database, server.user)
        .toUtf8();
}

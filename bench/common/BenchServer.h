#pragma once

// The database server the benchmarks measure beside the embedded file, when
// FALMIDE_BENCH_SERVER names one as the commands write it
// ([UTENTE@]HOST[:PORTA]/DATABASE, the database being one the benchmark
// may make others from, such as "postgres"); the password from the file
// PGPASSFILE names, as for the program. tools/benchmarks.sh starts a server
// of its own on 127.0.0.1 for them.
#include "Database.h"
#include "Schema.h"
#include "ServerConnection.h"
#include "SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <optional>

namespace benchdata {

inline std::optional<ServerConnection> benchServer()
{
    const QString text = qEnvironmentVariable("FALMIDE_BENCH_SERVER");
    if (text.isEmpty())
        return std::nullopt;
    ServerConnection server;
    QString error;
    if (!parseServerConnection(text, &server, &error))
        qFatal("FALMIDE_BENCH_SERVER: %s", qPrintable(error));
    return server;
}

// A new empty database `name` beside the configured one (an earlier one of
// that name goes first), for Database::openServer to lay out.
inline ServerConnection freshServerDatabase(const ServerConnection& server, const QString& name)
{
    const QString connection = QStringLiteral("bench-admin-") + name;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(serverDialect().driverName(), connection);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setDatabaseName(server.database);
        if (!db.open())
            qFatal("%s: %s", qPrintable(describeServer(server)), qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        for (const QString& sql :
             {QStringLiteral("DROP DATABASE IF EXISTS %1"), QStringLiteral("CREATE DATABASE %1")})
            if (!q.exec(sql.arg(name)))
                qFatal("%s: %s", qPrintable(sql.arg(name)), qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    ServerConnection made = server;
    made.database = name;
    return made;
}

// Copies the rows of `table` from one database into the same empty table of
// another, a few hundred rows to a statement: a million rows load in
// seconds instead of the minutes one round trip per row takes on a server.
inline void copyRowsInBulk(Database& from, Database& to, const QString& table)
{
    const TableDef* layout = from.tableLayout(table);
    if (!layout || !to.tableLayout(table))
        qFatal("no table %s", qPrintable(table));
    QStringList source;
    QStringList target;
    for (const ColumnDef& column : layout->columns) {
        source << from.quoted(column.name);
        target << to.quoted(column.name);
    }
    QSqlQuery read(from.connection());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2")
                       .arg(source.join(QStringLiteral(", ")), from.quoted(table))))
        qFatal("%s", qPrintable(read.lastError().text()));

    // The server takes at most 65 535 values to a statement.
    const int columns = int(source.size());
    const int rowsPerStatement = 60000 / columns;
    const QString row =
        QStringLiteral("(") + QStringLiteral("?, ").repeated(columns - 1) + QStringLiteral("?)");
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                             .arg(to.quoted(table), target.join(QStringLiteral(", ")));
    QString error;
    QVariantList values;
    auto flush = [&] {
        const int rows = int(values.size()) / columns;
        if (rows == 0)
            return;
        const QString sql = head + (row + QStringLiteral(", ")).repeated(rows - 1) + row;
        if (!to.execute(sql, values, &error))
            qFatal("%s", qPrintable(error));
        values.clear();
    };
    if (!to.begin(&error))
        qFatal("%s", qPrintable(error));
    while (read.next()) {
        for (int i = 0; i < columns; ++i)
            values << read.value(i);
        if (values.size() >= qsizetype(rowsPerStatement) * columns)
            flush();
    }
    flush();
    if (!to.commit(&error))
        qFatal("%s", qPrintable(error));
}

// What the server knows of a table after a bulk load, and the pages it can
// read from the index alone, as its own maintenance would leave them. A
// vacuum marks a page all-visible only when no snapshot still open in the
// database predates the load's commit (the server's own background analysis
// of a table just loaded may hold one for a moment): it runs again until
// every table's pages are marked, as they would be by the time a user
// opens the window.
inline void analyzeTables(Database& db)
{
    QSqlQuery q(db.connection());
    for (int attempt = 1;; ++attempt) {
        if (!q.exec(QStringLiteral("VACUUM ANALYZE")))
            qFatal("%s", qPrintable(q.lastError().text()));
        if (!q.exec(
                QStringLiteral("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON "
                               "n.oid = c.relnamespace WHERE c.relkind = 'r' AND "
                               "n.nspname = current_schema() AND c.relallvisible < c.relpages")) ||
            !q.next())
            qFatal("%s", qPrintable(q.lastError().text()));
        const int unmarked = q.value(0).toInt();
        if (unmarked == 0)
            return;
        if (attempt == 50) {
            // Measured all the same, and said: the figures are the server's
            // without its index-only reads.
            std::fprintf(stderr, "%d tables still have pages a vacuum could not mark\n", unmarked);
            return;
        }
        QThread::msleep(200);
    }
}

} // namespace benchdata

#include "BatchTestSupport.h"

#include "BatchRunner.h"
#include "Database.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>

#include <QBuffer>
#include <QSqlQuery>
#include <QTextStream>

Outcome run(const QStringList& arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    QBuffer data(&outcome.data);
    data.open(QIODevice::WriteOnly);
    outcome.status = runBatch(QStringList{QStringLiteral("falmide")} + arguments, out, err, data);
    return outcome;
}

QString dataHome(const QTemporaryDir& dir, const QString& name)
{
    const QString home = dir.filePath(name);
    if (testsOnServer()) {
        QFile ini(home + "/falmide.ini");
        if (!QDir().mkpath(home) || !ini.open(QIODevice::WriteOnly) ||
            ini.write(testDatabaseSettings(home + "/falmide.db")) < 0)
            qWarning("%s: %s", qPrintable(ini.fileName()), qPrintable(ini.errorString()));
    }
    return home;
}

std::optional<FeeDocument> lastInvoice(const QString& home)
{
    Database db;
    QString error;
    if (!openTestDatabase(db, home + "/falmide.db", &error))
        return std::nullopt;
    return FeeDocuments(db, FeeDocumentKind::Invoice).last(&error);
}

QList<qint64> rowCounts(const QString& path, bool testDatabase)
{
    Database db;
    QString error;
    const bool open = testDatabase ? openTestDatabase(db, path, &error) : db.open(path, &error);
    QSqlQuery q(open ? db.connection() : QSqlDatabase());
    q.exec("SELECT (SELECT COUNT(*) FROM Clienti), (SELECT COUNT(*) FROM Fatture), "
           "(SELECT COUNT(*) FROM Movimenti), (SELECT COUNT(*) FROM Parcelle)");
    if (!q.next())
        return {};
    return {q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(),
            q.value(3).toLongLong()};
}

ArchiveTally tallyOfFile(const QString& path)
{
    Database db;
    QString error;
    ArchiveTally tally;
    if (!db.open(path, &error) || !tallyArchives(db, &tally, &error))
        qWarning("%s: %s", qPrintable(path), qPrintable(error));
    return tally;
}

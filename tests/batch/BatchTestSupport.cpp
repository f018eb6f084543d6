#include "BatchTestSupport.h"

#include "BatchRunner.h"
#include "Database.h"

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

std::optional<FeeDocument> lastInvoice(const QString& home)
{
    Database db;
    QString error;
    if (!db.open(home + "/falmide.db", &error))
        return std::nullopt;
    return FeeDocuments(db, FeeDocumentKind::Invoice).last(&error);
}

QList<qint64> rowCounts(const QString& path)
{
    Database db;
    QString error;
    QSqlQuery q(db.open(path, &error) ? db.connection() : QSqlDatabase());
    q.exec("SELECT (SELECT COUNT(*) FROM Clienti), (SELECT COUNT(*) FROM Fatture), "
           "(SELECT COUNT(*) FROM Movimenti), (SELECT COUNT(*) FROM Parcelle)");
    if (!q.next())
        return {};
    return {q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(),
            q.value(3).toLongLong()};
}

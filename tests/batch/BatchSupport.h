#pragma once

// What the command tests share: running a command line in-process and
// reading what it left in a database.
#include "BatchRunner.h"
#include "Database.h"
#include "FeeDocument.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <optional>

namespace batchtest {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

inline Outcome run(const QStringList& arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status = runBatch(QStringList{QStringLiteral("falmide")} + arguments, out, err);
    return outcome;
}

inline QString folder(const QTemporaryDir& dir, const QString& name)
{
    return dir.filePath(name);
}

// The last invoice of the data folder's database.
inline std::optional<FeeDocument> lastInvoice(const QString& home)
{
    Database db;
    QString error;
    if (!db.open(home + "/falmide.db", &error))
        return std::nullopt;
    return FeeDocuments(db, FeeDocumentKind::Invoice).last(&error);
}

// The rows of the documents' tables, the file opened as the program opens it.
inline QList<qint64> rowCounts(const QString& path)
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

} // namespace batchtest

#pragma once

#include "ArchiveTally.h"
#include "FeeDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

// What a command run in the test's process said and returned.
struct Outcome
{
    int status = -1;
    QString out;
    QString err;
    QByteArray data; // a file written to standard output
};

Outcome run(const QStringList& arguments);

inline QString folder(const QTemporaryDir& dir, const QString& name)
{
    return dir.filePath(name);
}

// A data folder for the commands: on the tests' server, made already, with
// settings that point it at the server database standing for its file.
QString dataHome(const QTemporaryDir& dir, const QString& name);

// The last invoice of the data folder's database (its file, or the server
// database standing for it).
std::optional<FeeDocument> lastInvoice(const QString& home);

// The rows of the documents' tables, the file opened as the program opens it;
// with `testDatabase`, the database standing for it on the tests' engine.
QList<qint64> rowCounts(const QString& path, bool testDatabase = false);

// Every table's rows and sums of the archives, the file opened as the
// program opens it.
ArchiveTally tallyOfFile(const QString& path);

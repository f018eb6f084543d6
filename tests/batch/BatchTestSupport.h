#pragma once

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

// The last invoice of the data folder's database.
std::optional<FeeDocument> lastInvoice(const QString& home);

// The rows of the documents' tables, the file opened as the program opens it.
QList<qint64> rowCounts(const QString& path);

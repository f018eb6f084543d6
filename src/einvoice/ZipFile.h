#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One file to put into a ZIP archive.
struct ZipEntry
{
    QString name; // its name inside the archive, UTF-8 there
    QByteArray data;
    QDateTime modified; // now when not valid
};

// Writes the entries, compressed, into one ZIP archive at `path`: complete
// or not at all, an earlier file of that name whole until the new one is.
// Two entries of one name, or none at all, are refused. False and why in
// `message`.
bool writeZip(const QString& path, const QList<ZipEntry>& entries, QString* message);

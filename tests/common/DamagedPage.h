#pragma once

#include <QFile>
#include <QList>
#include <QString>

// Overwrites a table page holding rows, from the middle of a database file:
// the header and the schema stay intact, so the file opens normally and the
// damage shows only when those rows are read.
inline bool damageTablePage(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const QByteArray all = f.readAll();
    if (all.size() < 100)
        return false;
    int pageSize = (uchar(all.at(16)) << 8) | uchar(all.at(17));
    if (pageSize == 1)
        pageSize = 65536;
    QList<qint64> leaves;
    for (qint64 at = pageSize; at + pageSize <= all.size(); at += pageSize)
        if (all.at(at) == 0x0d && ((uchar(all.at(at + 3)) << 8) | uchar(all.at(at + 4))) > 0)
            leaves << at;
    if (leaves.size() < 3)
        return false;
    f.seek(leaves.at(leaves.size() / 2));
    return f.write(QByteArray(pageSize, '\xff')) == pageSize;
}

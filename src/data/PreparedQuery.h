#pragma once
// A statement prepared with its values bound in order and run: the one way
// the data layer runs SQL with values. False with q.lastError() on failure.

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

inline bool execPrepared(QSqlQuery& q, const QString& sql, const QVariantList& values)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}

#pragma once

#include "Database.h"
#include "Schema.h"

// Makes the open database look like one of a version before the row
// versions: without the Versione columns, the sendings' unique counter and
// the later indexes, which every older file lacks. Tests of earlier
// migrations start here.
inline bool dropRowVersions(Database& db, QString* error)
{
    for (const TableDef& table : schemaTables())
        for (const IndexDef& index : table.indexes)
            if (!db.execute(QStringLiteral("DROP INDEX IF EXISTS %1")
                                .arg(db.quoted(table.name + QLatin1Char('_') + index.name)),
                            {}, error))
                return false;
    if (!db.execute(QStringLiteral("DROP INDEX IF EXISTS Invii_Contatore"), {}, error))
        return false;
    for (const TableDef& table : schemaTables())
        if (rowVersionColumn(table) >= 0 &&
            !db.execute(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2")
                            .arg(db.quoted(table.name), db.quoted(kRowVersionColumn)),
                        {}, error))
            return false;
    return true;
}

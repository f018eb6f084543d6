#pragma once

#include "Schema.h"

#include <QSqlError>
#include <QString>
#include <vector>

class Database;

enum class SchemaStatus {
    Matches,
    Migrated,   // a file of an earlier version was brought up to this one
    Mismatch,   // a table is missing or laid out otherwise: never written to
    Unreadable, // the catalogue could not be read; sqlError says why
};

// Checks every table of the open database, column by column (name, type and
// width, in record position order), against the layout of schema, which is
// that of version currentVersion. A file of an earlier version gets the
// tables and trailing columns it lacks in one transaction, and its version
// raised; nothing else is ever changed. On anything but a match, error says
// which table and column differ. On a match or a migration, the database's
// records are read and written by schema from then on.
// The same check without writing anything: Migrated means the file is of an
// earlier version that opening would bring up to this one.
SchemaStatus planSchemaTables(Database& db, const std::vector<TableDef>& schema, int fileVersion,
                              int currentVersion, QStringList* plan, QString* error,
                              QSqlError* sqlError = nullptr);

SchemaStatus checkSchemaTables(Database& db, const std::vector<TableDef>& schema, int fileVersion,
                               int currentVersion, bool canWrite, QString* error,
                               QSqlError* sqlError = nullptr);

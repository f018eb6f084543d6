#pragma once

#include <QSqlDatabase>
#include <QString>

// Brings a database of an older schema version up to kSchemaVersion in one
// transaction: on a failure the file is left exactly as it was. Columns are
// only ever appended, so every record position stays where it was.
bool migrateSchema(QSqlDatabase& db, int fromVersion, QString* error);

#pragma once

#include "DatabaseMaintenance.h"

#include <optional>

class SqliteFile;

// What the maintenance routines share.
namespace maintenance {

MaintenanceError failure(const QString& description, int number);
// The file's last SQLite failure, after a sentence of ours.
MaintenanceError sqliteFailure(const QString& what, const SqliteFile& file);
// A system call's failure (errno) after a sentence of ours.
MaintenanceError systemFailure(const QString& what, int number);

// Refuses what cannot be a database file before SQLite is let near it: a
// folder, a missing or empty file, a file that does not start with SQLite's
// header.
bool isDatabaseFile(const QString& path, MaintenanceError* error);

// The tables of the file, without SQLite's own, by name.
std::optional<QStringList> tableNames(SqliteFile& file, MaintenanceError* error);
// Every table with its rows.
std::optional<std::vector<TableRows>> countRows(SqliteFile& file, MaintenanceError* error);

// SQLite's integrity check: empty when the file is sound, else the first
// problems it reports. A check that cannot run at all reports why.
QStringList integrityProblems(SqliteFile& file, bool quick);

// Opens a copy just written and checks it: sound, and the same rows in every
// table as expected.
bool verifyCopy(const QString& path, const std::vector<TableRows>& expected,
                MaintenanceError* error);

// Gives the file a second name in its folder (replacing a file of that name
// when replace is true) without touching the original: a hard link, or a
// full copy written under a temporary name where links are not possible.
bool keepCopyAs(const QString& original, const QString& kept, bool replace,
                MaintenanceError* error);

// Sets on path the permissions of model.
void copyPermissions(const QString& model, const QString& path);

} // namespace maintenance

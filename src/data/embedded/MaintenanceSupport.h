#pragma once

#include "DatabaseMaintenance.h"

#include <optional>

class SqliteFile;

// What the maintenance routines share.
namespace maintenance {

MaintenanceError failure(const QString& description, int number);
// The file's last SQLite failure, after a sentence of ours.
MaintenanceError sqliteFailure(const QString& what, const SqliteFile& file);
// Why a check of the file could not run, when it is not the file's damage:
// busy, a disk that failed to read, memory.
MaintenanceError busyOrFailure(const SqliteFile& file);
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
// problems it reports; a check stopped by damage reports why. A check that
// cannot run for another reason (the disk failed, the file is busy, memory)
// says nothing of the file: *failed is then set, with nothing reported.
QStringList integrityProblems(SqliteFile& file, bool quick, MaintenanceError* failed);
// Whether the failure means the file is in use by another program.
bool isBusy(const MaintenanceError& error);

// Opens a copy just written and checks it: sound, and the same rows in every
// table as expected.
bool verifyCopy(const QString& path, const std::vector<TableRows>& expected,
                MaintenanceError* error);

// Gives the file a second name in its folder (replacing a file of that name
// when replace is true) without touching the original: a hard link, or a
// full copy written under a temporary name where links are not possible or
// fullCopy asks for one.
bool keepCopyAs(const QString& original, const QString& kept, bool replace, MaintenanceError* error,
                bool fullCopy = false);

// The file a symbolic link names (followed to the end), else path itself.
QString linkTarget(const QString& path);

// Sets on path the permissions of model.
void copyPermissions(const QString& model, const QString& path);

} // namespace maintenance

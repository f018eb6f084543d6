#pragma once

#include "ServerConnection.h"

#include <QByteArray>
#include <QString>

class Database;

// The engine a test run uses. A test executable registered a second time
// with FALMIDE_TEST_ENGINE=server runs its cases on the tests' PostgreSQL
// server (tests/server/), reached through FALMIDE_TEST_PGHOST,
// FALMIDE_TEST_PGPORT, FALMIDE_TEST_PGUSER and the password file in
// PGPASSFILE; otherwise on the embedded file, as the program does by
// default.
bool testsOnServer();

// Opens the test's database at `path`: the file itself on the embedded
// engine; on the server, a database of its own for each distinct path,
// empty when the path is first opened (so that opening it makes the schema,
// as opening a new file does) and the same one whenever the same path is
// opened again within the process.
bool openTestDatabase(Database& db, const QString& path, QString* error);

// The server database that stands for `path` (made empty now when the path
// is new), for a test that connects otherwise: another program, a command's
// SERVER argument. False with the reason when the server cannot be reached.
bool testServerDatabase(const QString& path, ServerConnection* server, QString* error);

// The [Database] section that points the program at the server database
// standing for `path`, to be put into a test's falmide.ini; empty when not
// on the server.
QByteArray testDatabaseSettings(const QString& path);

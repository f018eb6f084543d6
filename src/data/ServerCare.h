#pragma once

#include <QString>

class Database;

// The care of the program's database on a server, from a desk. The server
// keeps its own data safe (its log, its checks, its administrator's
// backups): a desk compacts it in place and takes copies of it
// (ArchiveTransfer.h, DailyCopies.h), and repairs nothing.

// Gives the server back the room that deleted and rewritten rows left, and
// refreshes the statistics it plans reads by, while other desks go on
// working. Refused inside a transaction or a read snapshot, and on a
// database that only reads.
bool compactOnServer(Database& db, QString* error);

// Why no repair is run on a server, for the user; location as
// Database::location() says it.
QString serverRepairNote(const QString& location);

// How a copy of the archives (a file) goes back onto a server: not from
// here, but by the transfer command onto an empty server database.
QString serverRestoreNote(const QString& location);

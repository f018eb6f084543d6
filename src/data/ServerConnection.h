#pragma once

#include <QString>

// Where the program's database lives when it is on a database server
// rather than in the data folder: the [Database] section of the settings,
// or a command's SERVER argument. The password is never here: the server's
// client library reads it from the user's password file (~/.pgpass, or the
// file PGPASSFILE names).
struct ServerConnection
{
    QString host;
    int port = 5432;
    QString database;
    QString user; // empty: the login of the desk's user
};

// "utente@host:porta/database", as the status panel and the messages say
// where the archives are; without a user, "host:porta/database".
QString describeServer(const ServerConnection& server);

// A command's [UTENTE@]HOST[:PORTA]/DATABASE, as "rossi@studio:5433/falmide"
// or "studio/falmide"; a host that is an IPv6 address goes in brackets
// ("[::1]:5432/falmide"). False, with the reason in Italian, for anything
// else.
bool parseServerConnection(const QString& text, ServerConnection* out, QString* error);

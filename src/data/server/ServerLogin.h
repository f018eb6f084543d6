#pragma once

#include "ServerConnection.h"

#include <QString>

// Why a connection to the server failed, found by trying it once more with
// the server's client library itself: Qt's driver gives only the library's
// text, in the desk's language and the server's, which no program should
// read. A diagnosis says what the user can do about it, in Italian.
enum class LoginFailure {
    Unreachable,  // no server answers at that address and port
    NoPassword,   // the server asks for a password and the password file has none
    Refused,      // the server refuses the login: a wrong password, an unknown user
    NoDatabase,   // no database of that name on the server
    NotAccepting, // the server is starting, stopping, or has no room for one more desk
    Other,
};

struct LoginDiagnosis
{
    LoginFailure failure = LoginFailure::Other;
    QString message; // an Italian sentence, then the library's own words
};

// The file the client library reads passwords from: PGPASSFILE, or
// .pgpass in the user's home folder.
QString serverPasswordFile();

// Tries the connection and says why it fails; `fallback` (the driver's
// text) stands in for the library's words when the second try succeeds.
LoginDiagnosis diagnoseServerLogin(const ServerConnection& server, const QString& fallback);

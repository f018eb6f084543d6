#include "ServerLogin.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>

namespace {

struct ConnectionCloser
{
    void operator()(PGconn* c) const { PQfinish(c); }
};

// Runs a connection attempt to its end. With the verbose error messages
// the library puts the SQLSTATE of the server's refusal before its text
// ("FATAL:  28P01: ..."): the code says why, whatever the server's
// language. Returns the message, empty when the connection succeeds.
QString attempt(const ServerConnection& server, bool* needsPassword, QString* sqlState)
{
    const QByteArray host = server.host.toUtf8();
    const QByteArray port = QByteArray::number(server.port);
    const QByteArray database = server.database.toUtf8();
    const QByteArray user = server.user.toUtf8();
    const char* keys[] = {"host", "port", "dbname", "user", "connect_timeout", nullptr, nullptr};
    const char* values[] = {
        host.constData(), port.constData(), database.constData(), user.constData(), "10",
        nullptr,          nullptr};
    if (user.isEmpty()) {
        keys[3] = "connect_timeout";
        values[3] = "10";
        keys[4] = nullptr;
        values[4] = nullptr;
    }
    std::unique_ptr<PGconn, ConnectionCloser> conn(PQconnectStartParams(keys, values, 0));
    if (!conn)
        return QStringLiteral("memoria esaurita");
    PQsetErrorVerbosity(conn.get(), PQERRORS_VERBOSE);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (PQstatus(conn.get()) != CONNECTION_BAD && state != PGRES_POLLING_OK &&
           state != PGRES_POLLING_FAILED) {
        pollfd fd{PQsocket(conn.get()), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT),
                  0};
        if (fd.fd >= 0 && ::poll(&fd, 1, 15000) <= 0)
            break;
        state = PQconnectPoll(conn.get());
    }
    *needsPassword = PQconnectionNeedsPassword(conn.get()) != 0;
    const QString message = QString::fromLocal8Bit(PQerrorMessage(conn.get())).trimmed();
    static const QRegularExpression code(QStringLiteral(R"(\b([0-9A-Z]{5}):\s)"));
    for (auto it = code.globalMatch(message); it.hasNext();) {
        const QString found = it.next().captured(1);
        if (found.contains(QRegularExpression(QStringLiteral("[0-9]")))) {
            *sqlState = found;
            break;
        }
    }
    return PQstatus(conn.get()) == CONNECTION_OK ? QString() : message;
}

// The library's words for the user, on one line.
QString oneLine(const QString& text)
{
    return text.simplified();
}

} // namespace

QString serverPasswordFile()
{
    const QString named = qEnvironmentVariable("PGPASSFILE");
    if (!named.isEmpty())
        return named;
    return QDir::home().filePath(QStringLiteral(".pgpass"));
}

LoginDiagnosis diagnoseServerLogin(const ServerConnection& server, const QString& fallback)
{
    const QString where = describeServer(server);
    const QString passwordFile = serverPasswordFile();
    bool needsPassword = false;
    QString sqlState;
    const QString failure = attempt(server, &needsPassword, &sqlState);
    // The words shown are the driver's, of the first try: the library's
    // message without the verbose details.
    const QString detail = oneLine(fallback);
    const QString words = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);

    LoginDiagnosis d;
    if (needsPassword) {
        d.failure = LoginFailure::NoPassword;
        QString hint;
        const QFileInfo file(passwordFile);
        if (!file.exists())
            hint = QStringLiteral("il file %1 non esiste").arg(passwordFile);
        else if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                       QFileDevice::ReadOther | QFileDevice::WriteOther))
            hint = QStringLiteral("il file %1 è ignorato perché leggibile da altri utenti: "
                                  "renderlo leggibile solo dal proprietario (chmod 600)")
                       .arg(passwordFile);
        else
            hint = QStringLiteral("il file %1 non ha una riga per questo server e utente")
                       .arg(passwordFile);
        d.message = QStringLiteral("Il server %1 chiede la password, ma non è stata trovata: "
                                   "%2. La password va scritta in quel file (indicato dalla "
                                   "variabile PGPASSFILE, altrimenti ~/.pgpass), una riga "
                                   "host:porta:database:utente:password.")
                        .arg(where, hint);
        return d;
    }
    if (sqlState.startsWith(QLatin1String("28"))) {
        d.failure = LoginFailure::Refused;
        d.message = QStringLiteral("Il server %1 ha rifiutato l'accesso: password errata o utente "
                                   "sconosciuto. La password è letta dal file %2 (una riga "
                                   "host:porta:database:utente:password).%3")
                        .arg(where, passwordFile, words);
        return d;
    }
    if (sqlState == QLatin1String("3D000")) {
        d.failure = LoginFailure::NoDatabase;
        d.message = QStringLiteral("Sul server %1 non esiste il database \"%2\": va creato "
                                   "dall'amministratore del server prima di usarlo.")
                        .arg(where, server.database);
        return d;
    }
    if (sqlState == QLatin1String("57P03") || sqlState == QLatin1String("53300") ||
        sqlState == QLatin1String("57P01")) {
        d.failure = LoginFailure::NotAccepting;
        d.message = QStringLiteral("Il server %1 non accetta collegamenti in questo momento: "
                                   "riprovare fra poco.%2")
                        .arg(where, words);
        return d;
    }
    if (sqlState.isEmpty() && !failure.isEmpty()) {
        d.failure = LoginFailure::Unreachable;
        d.message = QStringLiteral("Il server degli archivi %1 non risponde: controllare che sia "
                                   "acceso e raggiungibile in rete e che l'indirizzo e la porta "
                                   "nelle impostazioni siano giusti.%2")
                        .arg(where, words);
        return d;
    }
    d.message =
        QStringLiteral("Impossibile collegarsi al server degli archivi %1.%2").arg(where, words);
    return d;
}

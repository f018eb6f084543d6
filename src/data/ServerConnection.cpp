#include "ServerConnection.h"

#include <QRegularExpression>

QString describeServer(const ServerConnection& server)
{
    const QString host = server.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + server.host + QLatin1Char(']')
                             : server.host;
    const QString where =
        QStringLiteral("%1:%2/%3").arg(host).arg(server.port).arg(server.database);
    return server.user.isEmpty() ? where : server.user + QLatin1Char('@') + where;
}

bool parseServerConnection(const QString& text, ServerConnection* out, QString* error)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(?:([^@/\s]+)@)?(\[[0-9A-Fa-f:.]+\]|[^@/:\s\[\]]+)(?::(\d{1,5}))?/([^/\s]+)$)"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch()) {
        if (error)
            *error = QStringLiteral("Server non valido: \"%1\" (indicare "
                                    "[UTENTE@]HOST[:PORTA]/DATABASE, ad esempio "
                                    "rossi@studio:5432/falmide)")
                         .arg(text);
        return false;
    }
    ServerConnection server;
    server.user = m.captured(1);
    server.host = m.captured(2);
    if (server.host.startsWith(QLatin1Char('[')))
        server.host = server.host.mid(1, server.host.size() - 2);
    if (m.capturedLength(3) > 0) {
        server.port = m.captured(3).toInt();
        if (server.port < 1 || server.port > 65535) {
            if (error)
                *error = QStringLiteral("Porta del server non valida: %1 (da 1 a 65535)")
                             .arg(m.captured(3));
            return false;
        }
    }
    server.database = m.captured(4);
    *out = server;
    return true;
}

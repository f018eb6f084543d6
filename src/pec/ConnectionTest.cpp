#include "ConnectionTest.h"

#include "CurlTransfer.h"

namespace {

// NOOP after the login: both protocols log in before any command, and
// NOOP asks nothing of the mailbox or of the recipients.
QString tryServer(const PecAccount& account, MailProtocol protocol, const QString& label)
{
    CurlTransfer transfer(account, protocol, {});
    curl_easy_setopt(transfer.handle(), CURLOPT_CUSTOMREQUEST, "NOOP");
    MailError error;
    if (!transfer.perform(&error))
        return QStringLiteral("%1: %2").arg(label, error.message);
    return QStringLiteral("%1: collegamento riuscito").arg(label);
}

} // namespace

QStringList testPecConnection(const PecAccount& account)
{
    return {tryServer(account, MailProtocol::Smtp, QStringLiteral("Invio (SMTP)")),
            tryServer(account, MailProtocol::Imap, QStringLiteral("Ricezione (IMAP)"))};
}

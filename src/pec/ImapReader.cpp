#include "ImapReader.h"

#include "CurlTransfer.h"
#include "ImapResponses.h"

namespace {

// The requests go to the server's URL without a mailbox, so that curl
// sends each as written on the one connection: EXAMINE opens the inbox
// read-only, and the later UID SEARCH and UID FETCH work on it. (A mailbox
// in the URL would make curl SELECT it, read-write.)
bool request(CurlTransfer& transfer, const QByteArray& command, MailError* error)
{
    curl_easy_setopt(transfer.handle(), CURLOPT_CUSTOMREQUEST, command.constData());
    return transfer.perform(error);
}

void setError(MailError* error, const QString& sentence)
{
    if (error)
        *error = {MailErrorKind::Other, sentence};
}

} // namespace

std::optional<FetchResult> fetchNewMails(const PecAccount& account, const MailboxMark& mark,
                                         MailError* error, const std::function<bool()>& cancelled)
{
    CurlTransfer transfer(account, MailProtocol::Imap, cancelled);
    if (!request(transfer, "EXAMINE INBOX", error))
        return std::nullopt;
    const std::optional<qint64> uidValidity = examinedUidValidity(transfer.data());
    if (!uidValidity) {
        setError(error, QStringLiteral("Risposta del server PEC non riconosciuta: la casella "
                                       "di posta in arrivo non ha UIDVALIDITY"));
        return std::nullopt;
    }
    // A new UIDVALIDITY means the UIDs of before name other messages now:
    // everything is read again.
    const qint64 after = *uidValidity == mark.uidValidity ? mark.lastUid : 0;
    if (!request(transfer, QByteArray("UID SEARCH UID ") + QByteArray::number(after + 1) + ":*",
                 error))
        return std::nullopt;

    FetchResult result;
    result.mark = {*uidValidity, after};
    for (const qint64 uid : searchedUidsAfter(transfer.data(), after)) {
        if (!request(transfer, QByteArray("UID FETCH ") + QByteArray::number(uid) + " BODY.PEEK[]",
                     error))
            return std::nullopt;
        const FetchedBody fetched = fetchedBody(transfer.replyLines(), uid);
        if (fetched.outcome == FetchedBody::Outcome::Malformed) {
            setError(error,
                     QStringLiteral("Messaggio %1 ricevuto incompleto dal server PEC").arg(uid));
            return std::nullopt;
        }
        // A message removed since the search is simply not there any more.
        if (fetched.outcome == FetchedBody::Outcome::Body)
            result.mails.append({uid, fetched.body});
        result.mark.lastUid = uid;
    }
    if (error)
        *error = {};
    return result;
}

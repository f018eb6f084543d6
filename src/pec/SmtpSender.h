#pragma once

#include "MailError.h"
#include "PecAccount.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

struct OutgoingMail
{
    QString from; // the account's address when empty
    QString to;
    QString subject;
    QString body;
    QString attachmentName; // no attachment when empty
    QByteArray attachment;
};

struct SentMail
{
    QString messageId; // as in the header, angle brackets included
    QDateTime sent;    // the message's Date
};

// Sends one message over TLS (SMTPS on port 465, STARTTLS required on any
// other). The Message-ID is made here, unique and at the sender's domain.
// Nothing and why when the message could not be handed to the server.
std::optional<SentMail> sendMail(const PecAccount& account, const OutgoingMail& mail,
                                 MailError* error, const std::function<bool()>& cancelled = {});

// The parts of a message that do not need a server, kept apart for the tests.
namespace smtp_detail {
// A header value as RFC 2047 encoded words when it is not plain ASCII; line
// breaks, which would start a header of their own, become spaces.
QByteArray encodeHeaderText(const QString& text);
// "<stamp.random@domain>", the domain of `address` (localhost without one).
QString newMessageId(const QString& address, const QDateTime& when);
QByteArray attachmentType(const QString& fileName);
} // namespace smtp_detail

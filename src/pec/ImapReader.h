#pragma once

#include "MailError.h"
#include "PecAccount.h"

#include <QByteArray>
#include <QVector>
#include <functional>
#include <optional>

// What was already read from the inbox: its UIDVALIDITY and the last UID.
struct MailboxMark
{
    qint64 uidValidity = 0;
    qint64 lastUid = 0;
};

struct FetchedMail
{
    qint64 uid = 0;
    QByteArray raw; // the whole message as the server keeps it
};

struct FetchResult
{
    QVector<FetchedMail> mails; // oldest first
    MailboxMark mark;           // to remember once the mails are taken care of
};

// The INBOX's messages after `mark` (all of them when the mailbox's
// UIDVALIDITY is not mark's), oldest first, and the mark to remember after
// them. The inbox is only examined and peeked at: nothing is deleted, moved
// or flagged on the server. Nothing and why when the server could not be
// read to the end.
std::optional<FetchResult> fetchNewMails(const PecAccount& account, const MailboxMark& mark,
                                         MailError* error,
                                         const std::function<bool()>& cancelled = {});

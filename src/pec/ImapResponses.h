#pragma once

#include <QByteArray>
#include <QVector>
#include <optional>

// Readings of an IMAP server's replies as curl hands them over.

// The UIDVALIDITY an EXAMINE or SELECT reported.
std::optional<qint64> examinedUidValidity(const QByteArray& reply);
// The UIDs of "* SEARCH" lines above `after`, ascending: "UID SEARCH UID n:*"
// names the newest message even when its UID is below n.
QVector<qint64> searchedUidsAfter(const QByteArray& reply, qint64 after);

// What "UID FETCH uid BODY.PEEK[]" brought back.
struct FetchedBody
{
    enum class Outcome { Body, Missing, Malformed } outcome = Outcome::Malformed;
    QByteArray body;
};
// The message of the FETCH reply for `uid` among the server's lines: the
// literal of exactly the size announced, followed by the end of the
// response. Missing when the server answered with none (the message went
// in the meantime); malformed when the literal is cut short or runs on.
FetchedBody fetchedBody(const QByteArray& replyLines, qint64 uid);

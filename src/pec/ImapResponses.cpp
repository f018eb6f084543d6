#include "ImapResponses.h"

#include <QRegularExpression>
#include <algorithm>

std::optional<qint64> examinedUidValidity(const QByteArray& reply)
{
    static const QRegularExpression pattern(QStringLiteral("^\\* OK \\[UIDVALIDITY (\\d+)\\]"),
                                            QRegularExpression::MultilineOption |
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(reply));
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = match.captured(1).toLongLong(&ok);
    return ok && value > 0 ? std::optional<qint64>(value) : std::nullopt;
}

QVector<qint64> searchedUidsAfter(const QByteArray& reply, qint64 after)
{
    QVector<qint64> uids;
    for (const QByteArray& line : reply.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() < 2 || words[0] != "*" || words[1].toUpper() != "SEARCH")
            continue;
        for (qsizetype i = 2; i < words.size(); ++i) {
            bool ok = false;
            const qint64 uid = words[i].toLongLong(&ok);
            if (ok && uid > after)
                uids.append(uid);
        }
    }
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    return uids;
}

FetchedBody fetchedBody(const QByteArray& replyLines, qint64 uid)
{
    // "* 3 FETCH (UID 7 BODY[] {1234}" then CRLF and the literal. The UID
    // may come before or after the body; only the first must be checked here.
    static const QRegularExpression start(
        QStringLiteral("^\\* \\d+ FETCH \\(([^\\r\\n{]*)BODY\\[\\] \\{(\\d+)\\}\\r\\n"),
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    const QString text = QString::fromLatin1(replyLines);
    QRegularExpressionMatchIterator it = start.globalMatch(text);
    bool anyFetch = false;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        anyFetch = true;
        const QString before = match.captured(1);
        static const QRegularExpression uidItem(QStringLiteral("UID (\\d+)"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch uidMatch = uidItem.match(before);
        bool ok = false;
        const qint64 size = match.captured(2).toLongLong(&ok);
        if (!ok)
            return {};
        const qsizetype from = match.capturedEnd(0);
        if (from + size > replyLines.size())
            return {};
        // What follows the literal closes the FETCH item list, perhaps
        // after more items, on the same line.
        const QByteArray rest = replyLines.mid(from + size);
        const qsizetype lineEnd = rest.indexOf("\r\n");
        const QByteArray tail = lineEnd < 0 ? rest : rest.left(lineEnd);
        if (!tail.endsWith(')') || tail.contains('{'))
            return {};
        if (uidMatch.hasMatch()) {
            if (uidMatch.captured(1).toLongLong() != uid)
                continue;
        } else {
            static const QRegularExpression uidAfter(QStringLiteral("UID (\\d+)"),
                                                     QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch after = uidAfter.match(QString::fromLatin1(tail));
            if (!after.hasMatch() || after.captured(1).toLongLong() != uid)
                continue;
        }
        return {FetchedBody::Outcome::Body, replyLines.mid(from, size)};
    }
    return {anyFetch ? FetchedBody::Outcome::Malformed : FetchedBody::Outcome::Missing, {}};
}

#include "MailPartsTest.h"

#include "CurlTransfer.h"
#include "ImapResponses.h"
#include "SmtpSender.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// The servers of the other tests listen on free ports, where STARTTLS is
// the rule: the ports of implicit TLS and an IPv6 literal only show here.
void MailPartsTest::serverUrl()
{
    PecAccount account;
    account.smtpHost = QStringLiteral("smtp.pec.it");
    account.smtpPort = 465;
    account.imapHost = QStringLiteral("::1");
    account.imapPort = 993;
    QCOMPARE(mailServerUrl(account, MailProtocol::Smtp),
             QStringLiteral("smtps://smtp.pec.it:465/"));
    QCOMPARE(mailServerUrl(account, MailProtocol::Imap), QStringLiteral("imaps://[::1]:993/"));
}

void MailPartsTest::headerText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<bool>("plain");
    QTest::newRow("line breaks") << "Fattura\r\nBcc: altri@x.it"
                                 << "Fattura Bcc: altri@x.it" << true;
    QTest::newRow("looks encoded") << "=?UTF-8?B?eA==?="
                                   << "=?UTF-8?B?eA==?=" << false;
    QTest::newRow("long, multibyte")
        << QString(70, QChar(0x20AC)) << QString(70, QChar(0x20AC)) << false;
}

void MailPartsTest::headerText()
{
    QFETCH(bool, plain);
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    const QByteArray encoded = smtp_detail::encodeHeaderText(text);
    QVERIFY(!encoded.contains('\r') && !encoded.contains('\n'));
    if (plain) {
        QCOMPARE(QString::fromUtf8(encoded), decoded);
        return;
    }
    // Each word alone is valid UTF-8 of at most 75 characters.
    QByteArray joined;
    for (const QByteArray& word : encoded.split(' ')) {
        QVERIFY2(word.size() <= 75, word.constData());
        QVERIFY(word.startsWith("=?UTF-8?B?") && word.endsWith("?="));
        const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
        QVERIFY(QString::fromUtf8(bytes).toUtf8() == bytes);
        joined += bytes;
    }
    QCOMPARE(QString::fromUtf8(joined), decoded);
}

void MailPartsTest::messageIds()
{
    const QDateTime when(QDate(2026, 12, 7), QTime(11, 58), Qt::UTC);
    QSet<QString> seen;
    for (int i = 0; i < 100; ++i)
        seen.insert(smtp_detail::newMessageId(QStringLiteral("studio@pec.rossi.it"), when));
    QCOMPARE(seen.size(), 100);
    QVERIFY(seen.begin()->startsWith(QLatin1Char('<')));
    QVERIFY(smtp_detail::newMessageId(QString(), when).endsWith(QLatin1String("@localhost>")));
    QCOMPARE(smtp_detail::attachmentType(QStringLiteral("IT1_A.XML")),
             QByteArray("application/xml"));
    QCOMPARE(smtp_detail::attachmentType(QStringLiteral("x.pdf")),
             QByteArray("application/octet-stream"));
}

void MailPartsTest::errorSentences_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("response");
    QTest::addColumn<bool>("smtp");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("sentence");
    // What the servers of the other tests cannot be made to answer.
    const auto row = [](const char* name, CURLcode code, int response, bool smtp,
                        MailErrorKind kind, const char* sentence) {
        QTest::newRow(name) << int(code) << response << smtp << int(kind) << sentence;
    };
    row("unknown host", CURLE_COULDNT_RESOLVE_HOST, 0, false, MailErrorKind::Unreachable,
        "Server PEC non raggiungibile (testo di curl)");
    row("recipient refused", CURLE_SEND_ERROR, 550, true, MailErrorKind::Refused,
        "Messaggio rifiutato dal server PEC (testo di curl)");
    row("no starttls", CURLE_USE_SSL_FAILED, 0, true, MailErrorKind::Other,
        "Il server PEC non offre una connessione protetta (testo di curl)");
    row("imap command refused", CURLE_QUOTE_ERROR, 0, false, MailErrorKind::Other,
        "Richiesta rifiutata dal server PEC (testo di curl)");
}

void MailPartsTest::errorSentences()
{
    QFETCH(int, kind);
    QFETCH(QString, sentence);
    QFETCH(int, code);
    QFETCH(int, response);
    QFETCH(bool, smtp);
    const MailError error = classifyTransferError(CURLcode(code), response,
                                                  smtp ? MailProtocol::Smtp : MailProtocol::Imap,
                                                  QStringLiteral("testo di curl"));
    QCOMPARE(int(error.kind), kind);
    QCOMPARE(error.message, sentence);
}

void MailPartsTest::imapReplies()
{
    const QByteArray examined = "* FLAGS (\\Answered \\Seen)\r\n* 4 EXISTS\r\n"
                                "* OK [UIDVALIDITY 1733221234] UIDs valid\r\n"
                                "* OK [UIDNEXT 12] Predicted next UID\r\n";
    QCOMPARE(examinedUidValidity(examined), std::optional<qint64>(1733221234));
    QCOMPARE(examinedUidValidity("* 0 EXISTS\r\n"), std::nullopt);

    // "UID n:*" names the newest message even below n: it is not new.
    QCOMPARE(searchedUidsAfter("* SEARCH 11\r\n", 11), QVector<qint64>());
    QCOMPARE(searchedUidsAfter("* SEARCH 14 12 13\r\n* 5 EXISTS\r\n", 11),
             (QVector<qint64>{12, 13, 14}));
    QCOMPARE(searchedUidsAfter("* SEARCH\r\n", 0), QVector<qint64>());
}

void MailPartsTest::fetchedBodies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QByteArray>("body");
    const QByteArray body = "Subject: x\r\n\r\n* 2 FETCH (UID 9 BODY[] {3}\r\nA004 OK\r\n";
    const QByteArray literal = "{" + QByteArray::number(body.size()) + "}\r\n" + body;
    using Outcome = FetchedBody::Outcome;
    QTest::newRow("uid first") << "* 3 FETCH (UID 7 BODY[] " + literal + ")\r\nA5 OK done\r\n"
                               << int(Outcome::Body) << body;
    QTest::newRow("uid after") << "* 4 EXISTS\r\n* 3 FETCH (BODY[] " + literal +
                                      " UID 7)\r\nA5 OK\r\n"
                               << int(Outcome::Body) << body;
    QTest::newRow("other uid") << "* 3 FETCH (UID 8 BODY[] " + literal + ")\r\nA5 OK\r\n"
                               << int(Outcome::Malformed) << QByteArray();
    QTest::newRow("cut short") << "* 3 FETCH (UID 7 BODY[] " + literal.left(literal.size() - 4)
                               << int(Outcome::Malformed) << QByteArray();
    QTest::newRow("runs on") << "* 3 FETCH (UID 7 BODY[] {5}\r\n" + body + ")\r\nA5 OK\r\n"
                             << int(Outcome::Malformed) << QByteArray();
    QTest::newRow("gone") << QByteArray("A5 OK Fetch completed\r\n") << int(Outcome::Missing)
                          << QByteArray();
}

void MailPartsTest::fetchedBodies()
{
    QFETCH(int, outcome);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, reply);
    const FetchedBody fetched = fetchedBody(reply, 7);
    QCOMPARE(int(fetched.outcome), outcome);
    QCOMPARE(fetched.body, body);
}

void MailPartsTest::authorities()
{
    QTemporaryDir dir;
    const QString system = dir.filePath(QStringLiteral("system.pem"));
    const QString extra = dir.filePath(QStringLiteral("extra.pem"));
    for (const auto& [path, content] :
         {std::pair{system, QByteArray("SYSTEM")}, std::pair{extra, QByteArray("EXTRA\n")}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray pem;
    QString message;
    QVERIFY(trustedAuthorities(system, QString(), &pem, &message));
    QVERIFY(pem.isEmpty());
    QVERIFY(trustedAuthorities(system, extra, &pem, &message));
    QCOMPARE(pem, QByteArray("SYSTEM\nEXTRA\n"));
    QVERIFY(trustedAuthorities(dir.filePath(QStringLiteral("none")), extra, &pem, &message));
    QCOMPARE(pem, QByteArray("EXTRA\n"));
    QVERIFY(!trustedAuthorities(system, dir.filePath(QStringLiteral("none")), &pem, &message));
    QVERIFY(message.contains(QLatin1String("none")));
    // The bundle curl trusts by default is a readable file on this system.
    QVERIFY(QFileInfo(systemAuthorityBundle()).isReadable());
}

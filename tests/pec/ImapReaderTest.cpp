#include "ImapReaderTest.h"

#include "ConnectionTest.h"
#include "ImapReader.h"

#include <QtTest>

namespace {

const QString User = QStringLiteral("studio.rossi@pec.rossi.it");
const QString Password = QStringLiteral("segreta 1");

PecAccount account(int imapPort, const QString& extraCaFile)
{
    PecAccount account;
    account.address = User;
    account.smtpHost = account.imapHost = QStringLiteral("127.0.0.1");
    account.imapPort = imapPort;
    account.user = User;
    account.password = Password;
    account.extraCaFile = extraCaFile;
    return account;
}

// Mail as a server keeps it: lines end in CRLF, which IMAP hands out.
QByteArray message(const QByteArray& subject, const QByteArray& body)
{
    return "From: posta-certificata@pec.fatturapa.it\r\nTo: studio.rossi@pec.rossi.it\r\n"
           "Subject: " +
           subject + "\r\nMessage-ID: <" + subject.toHex() + "@pec.fatturapa.it>\r\n\r\n" + body;
}

QVector<qint64> uids(const FetchResult& result)
{
    QVector<qint64> list;
    for (const FetchedMail& mail : result.mails)
        list.append(mail.uid);
    return list;
}

} // namespace

void ImapReaderTest::initTestCase()
{
    QString error;
    QVERIFY2(m_certificates.create(&error), qPrintable(error));
    // A message delivered before the server starts is there once it runs.
    QVERIFY2(m_server.addMessage(message("Prima", "Consegnata prima\r\n"), &error),
             qPrintable(error));
    QVERIFY2(m_server.start(m_certificates, User, Password, &error), qPrintable(error));
    MailError failure;
    const std::optional<FetchResult> fetched =
        fetchNewMails(account(m_server.port(), m_certificates.authorityFile()), {}, &failure);
    QVERIFY2(fetched, qPrintable(failure.message));
    QCOMPARE(fetched->mails.size(), 1);
}

void ImapReaderTest::init()
{
    QString error;
    QVERIFY2(m_server.recreateMailbox(&error), qPrintable(error));
}

void ImapReaderTest::newMailsOnly()
{
    // Lines no shorter buffer would hold whole, and lines that read as the
    // server's own replies, come back as they were.
    const QVector<QByteArray> first{
        message("CONSEGNA: Invio fattura A0001", "Ricevuta di consegna\r\n"),
        message("POSTA CERTIFICATA: fornitore",
                QByteArray(40000, 'x') + "\r\n" + QByteArray(3, char(0xE8)) + "\r\n"),
        message("Risposta", "* 1 FETCH (UID 9 BODY[] {3}\r\nabc)\r\nA003 OK done\r\n.\r\n")};
    QString problem;
    for (const QByteArray& raw : first)
        QVERIFY2(m_server.addMessage(raw, &problem), qPrintable(problem));
    const PecAccount pec = account(m_server.port(), m_certificates.authorityFile());

    MailError error;
    const std::optional<FetchResult> all = fetchNewMails(pec, {}, &error);
    QVERIFY2(all, qPrintable(error.message + m_server.log()));
    QCOMPARE(all->mails.size(), 3);
    QVERIFY(
        std::is_sorted(all->mails.begin(), all->mails.end(),
                       [](const FetchedMail& a, const FetchedMail& b) { return a.uid < b.uid; }));
    QSet<QByteArray> fetched;
    for (const FetchedMail& mail : all->mails)
        fetched.insert(mail.raw);
    QCOMPARE(fetched, QSet<QByteArray>(first.begin(), first.end()));
    QVERIFY(all->mark.uidValidity > 0);
    QCOMPARE(all->mark.lastUid, all->mails.last().uid);

    const std::optional<FetchResult> again = fetchNewMails(pec, all->mark, &error);
    QVERIFY2(again, qPrintable(error.message));
    QVERIFY(again->mails.isEmpty());
    QCOMPARE(again->mark.uidValidity, all->mark.uidValidity);
    QCOMPARE(again->mark.lastUid, all->mark.lastUid);

    const QByteArray fourth = message("ACCETTAZIONE: Invio fattura A0002", "Accettata\r\n");
    QVERIFY2(m_server.addMessage(fourth, &problem), qPrintable(problem));
    const std::optional<FetchResult> later = fetchNewMails(pec, again->mark, &error);
    QVERIFY2(later, qPrintable(error.message));
    QCOMPARE(later->mails.size(), 1);
    QCOMPARE(later->mails.first().raw, fourth);
    QVERIFY(later->mails.first().uid > all->mark.lastUid);
    QCOMPARE(later->mark.lastUid, later->mails.first().uid);

    // Read, never taken away nor marked: the server keeps all four unseen.
    QCOMPARE(m_server.messageCount(), 4);
    QCOMPARE(m_server.flaggedCount('T'), 0);
    QCOMPARE(m_server.flaggedCount('S'), 0);

    // A mailbox made anew numbers its messages anew: all are read again.
    QVERIFY2(m_server.recreateMailbox(&problem), qPrintable(problem));
    for (const QByteArray& raw : {first[0], fourth})
        QVERIFY2(m_server.addMessage(raw, &problem), qPrintable(problem));
    const std::optional<FetchResult> renewed = fetchNewMails(pec, later->mark, &error);
    QVERIFY2(renewed, qPrintable(error.message));
    QVERIFY(renewed->mark.uidValidity != later->mark.uidValidity);
    QCOMPARE(renewed->mails.size(), 2);
    QCOMPARE(uids(*renewed).last(), renewed->mark.lastUid);
    QCOMPARE(m_server.messageCount(), 2);
}

void ImapReaderTest::failures_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("withAuthority");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<MailErrorKind>("kind");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("wrong password")
        << "sbagliata" << true << true << false << MailErrorKind::LoginRefused
        << "Accesso alla PEC rifiutato: controllare utente e password (";
    QTest::newRow("authority not trusted")
        << Password << false << true << false << MailErrorKind::UntrustedCertificate
        << "Certificato del server PEC non attendibile (";
    QTest::newRow("nothing listening")
        << Password << true << false << false << MailErrorKind::Unreachable
        << "Server PEC non raggiungibile (";
    // Cancelled once the server is reached, before anything is read.
    QTest::newRow("cancelled") << Password << true << true << true << MailErrorKind::Cancelled
                               << "Operazione annullata";
}

void ImapReaderTest::failures()
{
    QFETCH(bool, listening);
    QFETCH(bool, withAuthority);
    QFETCH(bool, cancel);
    QFETCH(QString, password);
    QFETCH(MailErrorKind, kind);
    QFETCH(QString, sentence);
    QString problem;
    QVERIFY2(m_server.addMessage(message("x", "y\r\n"), &problem), qPrintable(problem));
    PecAccount pec = account(listening ? m_server.port() : freeLocalPort(),
                             withAuthority ? m_certificates.authorityFile() : QString());
    pec.password = password;
    MailError error;
    int asked = 0;
    const auto cancelled = [&asked, cancel] { return cancel && ++asked > 2; };
    QVERIFY(!fetchNewMails(pec, {}, &error, cancelled));
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.message.startsWith(sentence), qPrintable(error.message));
    QCOMPARE(m_server.messageCount(), 1);
}

void ImapReaderTest::connectionTest()
{
    TestSmtpServer smtp;
    QString problem;
    QVERIFY2(
        smtp.start(m_certificates, true, TestSmtpServer::Mode::Accept, User, Password, &problem),
        qPrintable(problem));
    PecAccount pec = account(m_server.port(), m_certificates.authorityFile());
    pec.smtpPort = smtp.port();
    QCOMPARE(testPecConnection(pec),
             (QStringList{QStringLiteral("Invio (SMTP): collegamento riuscito"),
                          QStringLiteral("Ricezione (IMAP): collegamento riuscito")}));
    QVERIFY(smtp.received().isEmpty());
    QCOMPARE(m_server.messageCount(), 0);

    pec.password = QStringLiteral("sbagliata");
    const QStringList refused = testPecConnection(pec);
    QCOMPARE(refused.size(), 2);
    QVERIFY2(refused[0].startsWith(QLatin1String("Invio (SMTP): Accesso alla PEC rifiutato")),
             qPrintable(refused[0]));
    QVERIFY2(refused[1].startsWith(QLatin1String("Ricezione (IMAP): Accesso alla PEC rifiutato")),
             qPrintable(refused[1]));

    smtp.stop();
    pec.password = Password;
    const QStringList halfway = testPecConnection(pec);
    QVERIFY2(halfway[0].startsWith(QLatin1String("Invio (SMTP): Server PEC non raggiungibile (")),
             qPrintable(halfway[0]));
    QCOMPARE(halfway[1], QStringLiteral("Ricezione (IMAP): collegamento riuscito"));
}

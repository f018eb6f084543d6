#include "SmtpSenderTest.h"

#include "CurlTransfer.h"
#include "SmtpSender.h"

#include <QJsonArray>
#include <QtTest>

namespace {

const QString User = QStringLiteral("studio.rossi");
const QString Password = QStringLiteral("pàss word:1");

PecAccount account(int port, const QString& extraCaFile)
{
    PecAccount account;
    account.address = QStringLiteral("studio.rossi@pec.rossi.it");
    account.smtpHost = QStringLiteral("127.0.0.1");
    account.smtpPort = port;
    account.user = User;
    account.password = Password;
    account.extraCaFile = extraCaFile;
    return account;
}

OutgoingMail invoiceMail(const QString& name, const QByteArray& attachment)
{
    OutgoingMail mail;
    mail.to = QStringLiteral("sdi01@pec.fatturapa.it");
    mail.subject = QStringLiteral("Invio fattura %1 – attività").arg(name);
    mail.body =
        QStringLiteral("Si trasmette la fattura elettronica.\nCordiali saluti,\nStudio Rossi");
    mail.attachmentName = name;
    mail.attachment = attachment;
    return mail;
}

QByteArray everyByte()
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.append(char(i * 7 % 256));
    return bytes;
}

} // namespace

void SmtpSenderTest::initTestCase()
{
    QString error;
    QVERIFY2(m_certificates.create(&error), qPrintable(error));
}

void SmtpSenderTest::cleanup()
{
    m_server.stop();
    setSystemAuthorityBundleForTesting(QString());
}

void SmtpSenderTest::sent_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("attachment");
    QTest::addColumn<QString>("type");
    QTest::newRow("xml") << "127.0.0.1"
                         << "IT09876543217_A0001.xml"
                         << QByteArray("<?xml version=\"1.0\"?>\n<p:FatturaElettronica/>\n")
                         << "application/xml";
    QTest::newRow("p7m, every byte, by name")
        << "localhost"
        << "IT09876543217_A0002.xml.p7m" << everyByte() << "application/pkcs7-mime";
}

void SmtpSenderTest::sent()
{
    QFETCH(QString, host);
    QFETCH(QString, type);
    QFETCH(QString, name);
    QFETCH(QByteArray, attachment);
    QString problem;
    QVERIFY2(m_server.start(m_certificates, true, TestSmtpServer::Mode::Accept, User, Password,
                            &problem),
             qPrintable(problem));
    PecAccount pec = account(m_server.port(), m_certificates.authorityFile());
    pec.smtpHost = host;
    const OutgoingMail mail = invoiceMail(name, attachment);
    MailError error{MailErrorKind::Other, QStringLiteral("left from before")};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const std::optional<SentMail> sent = sendMail(pec, mail, &error);
    QVERIFY2(sent, qPrintable(error.message + m_server.log()));
    QCOMPARE(error.kind, MailErrorKind::None);
    QVERIFY(sent->sent >= before && sent->sent <= QDateTime::currentDateTime());

    const QVector<QJsonObject> received = m_server.received();
    QCOMPARE(received.size(), 1);
    const QJsonObject& message = received.first();
    const QJsonObject headers = message[QStringLiteral("headers")].toObject();
    QCOMPARE(message[QStringLiteral("envelope_from")].toString(), pec.address);
    QCOMPARE(message[QStringLiteral("envelope_to")].toArray(), QJsonArray{mail.to});
    QCOMPARE(headers[QStringLiteral("from")].toString(), pec.address);
    QCOMPARE(headers[QStringLiteral("to")].toString(), mail.to);
    QCOMPARE(headers[QStringLiteral("subject")].toString(), mail.subject);
    QCOMPARE(headers[QStringLiteral("message-id")].toString(), sent->messageId);
    QVERIFY(sent->messageId.endsWith(QLatin1String("@pec.rossi.it>")));
    QCOMPARE(headers[QStringLiteral("mime-version")].toString(), QStringLiteral("1.0"));
    const QDateTime dated =
        QDateTime::fromString(headers[QStringLiteral("date")].toString(), Qt::RFC2822Date);
    QCOMPARE(dated, sent->sent);
    QCOMPARE(message[QStringLiteral("body")].toString().trimmed(), mail.body);

    const QJsonArray attachments = message[QStringLiteral("attachments")].toArray();
    QCOMPARE(attachments.size(), 1);
    const QJsonObject file = attachments.first().toObject();
    QCOMPARE(file[QStringLiteral("name")].toString(), name);
    QCOMPARE(file[QStringLiteral("type")].toString(), type);
    QCOMPARE(file[QStringLiteral("encoding")].toString(), QStringLiteral("base64"));
    QCOMPARE(QByteArray::fromBase64(file[QStringLiteral("data")].toString().toLatin1()),
             attachment);
}

void SmtpSenderTest::failures_data()
{
    // An untrusted certificate is trustSources' test.
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");
    QTest::addColumn<MailErrorKind>("kind");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("wrong password")
        << int(TestSmtpServer::Mode::Accept) << "sbagliata" << MailErrorKind::LoginRefused
        << "Accesso alla PEC rifiutato: controllare utente e password (";
    QTest::newRow("closed during data")
        << int(TestSmtpServer::Mode::DropDuringData) << Password << MailErrorKind::Unreachable
        << "Collegamento con il server PEC interrotto (";
    QTest::newRow("554") << int(TestSmtpServer::Mode::Reject) << Password << MailErrorKind::Refused
                         << "Messaggio rifiutato dal server PEC (";
    QTest::newRow("nothing listening")
        << -1 << Password << MailErrorKind::Unreachable << "Server PEC non raggiungibile (";
}

void SmtpSenderTest::failures()
{
    QFETCH(QString, password);
    QFETCH(QString, sentence);
    QFETCH(int, mode);
    QFETCH(MailErrorKind, kind);
    QString problem;
    int port = freeLocalPort();
    if (mode >= 0) {
        QVERIFY2(m_server.start(m_certificates, true, TestSmtpServer::Mode(mode), User, Password,
                                &problem),
                 qPrintable(problem));
        port = m_server.port();
    }
    PecAccount pec = account(port, m_certificates.authorityFile());
    pec.password = password;
    MailError error;
    const std::optional<SentMail> sent =
        sendMail(pec, invoiceMail(QStringLiteral("IT1_A.xml"), "<x/>"), &error);
    QVERIFY(!sent);
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.message.startsWith(sentence), qPrintable(error.message));
    QVERIFY(error.message.endsWith(QLatin1Char(')')));
    QVERIFY(m_server.received().isEmpty());
}

void SmtpSenderTest::cancelledMidway()
{
    QString problem;
    QVERIFY2(m_server.start(m_certificates, true, TestSmtpServer::Mode::Accept, User, Password,
                            &problem),
             qPrintable(problem));
    const PecAccount pec = account(m_server.port(), m_certificates.authorityFile());
    // Cancelled once the transfer is under way, and before it starts.
    for (const int after : {3, 0}) {
        int asked = 0;
        MailError error;
        const auto cancelled = [&asked, after] { return ++asked > after; };
        QVERIFY(!sendMail(pec, invoiceMail(QStringLiteral("IT1_A.xml"), everyByte()), &error,
                          cancelled));
        QCOMPARE(error.kind, MailErrorKind::Cancelled);
        QCOMPARE(error.message, QStringLiteral("Operazione annullata"));
    }
    QVERIFY(m_server.received().isEmpty());
    // A bad address is refused before any connection.
    OutgoingMail mail = invoiceMail(QStringLiteral("IT1_A.xml"), "<x/>");
    mail.to = QStringLiteral("sdi01@pec.fatturapa.it>\r\nRCPT TO:<altri@x.it");
    MailError error;
    QVERIFY(!sendMail(pec, mail, &error));
    QCOMPARE(error.kind, MailErrorKind::Other);
    QVERIFY(m_server.received().isEmpty());
}

void SmtpSenderTest::trustSources_data()
{
    QTest::addColumn<bool>("systemHasAuthority");
    QTest::addColumn<bool>("extraIsAuthority");
    QTest::addColumn<bool>("withExtra");
    QTest::addColumn<bool>("trusted");
    QTest::newRow("system store, unrelated extra") << true << false << true << true;
    QTest::newRow("system store alone") << true << false << false << true;
    QTest::newRow("extra authority") << false << true << true << true;
    QTest::newRow("neither") << false << false << true << false;
}

void SmtpSenderTest::trustSources()
{
    QFETCH(bool, withExtra);
    QFETCH(bool, trusted);
    QFETCH(bool, systemHasAuthority);
    QFETCH(bool, extraIsAuthority);
    QString problem;
    QVERIFY2(m_server.start(m_certificates, true, TestSmtpServer::Mode::Accept, User, Password,
                            &problem),
             qPrintable(problem));
    // The test authority stands in for the system's store, or is missing from it.
    setSystemAuthorityBundleForTesting(systemHasAuthority ? m_certificates.authorityFile()
                                                          : m_certificates.otherAuthorityFile());
    const QString extra =
        extraIsAuthority ? m_certificates.authorityFile() : m_certificates.otherAuthorityFile();
    MailError error;
    const bool sent = sendMail(account(m_server.port(), withExtra ? extra : QString()),
                               invoiceMail(QStringLiteral("IT1_A.xml"), "<x/>"), &error)
                          .has_value();
    QCOMPARE(sent, trusted);
    if (!sent)
        QCOMPARE(error.kind, MailErrorKind::UntrustedCertificate);
}

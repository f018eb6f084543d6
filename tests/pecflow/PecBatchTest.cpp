#include "PecBatchTest.h"

#include "BatchTestSupport.h"
#include "Database.h"
#include "Sendings.h"
#include "Settings.h"
#include "SupplierInvoiceXml.h"
#include "TestPecMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString kUser = QStringLiteral("studio@pec.studio.test");
const QString kPassword = QStringLiteral("Segreta-123");
const QString kSupplierVat = QStringLiteral("09876543217");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The delivery receipt of the SdI's own example, about `file`.
QByteArray deliveryReceipt(const QString& file)
{
    const QDir receipts(QStringLiteral(FALMIDE_RECEIPTS));
    const QStringList found = receipts.entryList({QStringLiteral("*_RC_001.xml")}, QDir::Files);
    QString xml = QString::fromUtf8(readAll(receipts.filePath(found.value(0))));
    xml.replace(QRegularExpression(QStringLiteral("<NomeFile>[^<]*\\.xml</NomeFile>")),
                QStringLiteral("<NomeFile>%1</NomeFile>").arg(file));
    return xml.toUtf8();
}

QString stateOf(const QString& home, const QString& file)
{
    Database db;
    QString error;
    if (!db.open(home + "/falmide.db", &error))
        return error;
    const auto s = Sendings(db).byFileName(file, &error);
    return s ? storedState(s->state) : error;
}

QString studioVat(const QString& home)
{
    Database db;
    QString error;
    QSqlQuery q(db.open(home + "/falmide.db", &error) ? db.connection() : QSqlDatabase());
    return q.exec("SELECT PartitaIVA FROM datipers") && q.next() ? q.value(0).toString()
                                                                 : QString();
}

// The supplier's purchases: "taxable exempt lowest-rate highest-rate"
// (cents, percent).
QString supplierPurchases(const QString& home)
{
    Database db;
    QString error;
    QSqlQuery q(db.open(home + "/falmide.db", &error) ? db.connection() : QSqlDatabase());
    if (!q.exec("SELECT SUM(Imponibile), SUM(Esente), MIN(NULLIF(AliqIVA, 0)), MAX(AliqIVA) "
                "FROM Movimenti WHERE CodFor IN (SELECT CodFornitore FROM Fornitori WHERE "
                "PartitaIVA = '09876543217')") ||
        !q.next())
        return q.lastError().text();
    return QStringLiteral("%1 %2 %3 %4")
        .arg(q.value(0).toLongLong())
        .arg(q.value(1).toLongLong())
        .arg(q.value(2).toDouble())
        .arg(q.value(3).toDouble());
}

} // namespace

void PecBatchTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_certificates.create(&error), qPrintable(error));
    QVERIFY2(
        m_smtp.start(m_certificates, true, TestSmtpServer::Mode::Accept, kUser, kPassword, &error),
        qPrintable(error));
    QVERIFY2(m_imap.start(m_certificates, kUser, kPassword, &error), qPrintable(error));
}

void PecBatchTest::init()
{
    qputenv("FALMIDE_PEC_CA_FILE", m_certificates.authorityFile().toUtf8());
    qputenv("FALMIDE_PEC_PASSWORD_FILE", passwordFile(kPassword).toUtf8());
}

void PecBatchTest::cleanup()
{
    qunsetenv("FALMIDE_PEC_CA_FILE");
    qunsetenv("FALMIDE_PEC_PASSWORD_FILE");
    qunsetenv("FALMIDE_HOME");
}

QString PecBatchTest::passwordFile(const QString& password, int mode)
{
    static int count = 0;
    const QString path = m_dir.filePath(QStringLiteral("password%1").arg(++count));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(password.toUtf8() + "\n") < 0)
        return {};
    f.close();
    ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
    return path;
}

QString PecBatchTest::preparedHome(const QString& name, int smtpPort, int imapPort)
{
    const QString home = folder(m_dir, name);
    if (run({"demo", "--dir", home, "--fatture", "12"}).status != 0)
        return {};
    PecSettings pec;
    pec.address = kUser;
    pec.smtpHost = QStringLiteral("127.0.0.1");
    pec.smtpPort = smtpPort;
    pec.imapHost = QStringLiteral("127.0.0.1");
    pec.imapPort = imapPort;
    if (!Settings(home + "/falmide.ini").setPec(pec))
        return {};
    return home;
}

void PecBatchTest::periodSentThenReceiptsAndSupplierInvoiceReceived()
{
    const QString home = preparedHome(QStringLiteral("flow"), m_smtp.port(), m_imap.port());
    QVERIFY(!home.isEmpty());
    const auto last = lastInvoice(home);
    QVERIFY(last);
    const QString from = QDate(last->date.year(), 1, 1).toString("dd/MM/yyyy");
    const QString to = last->date.toString("dd/MM/yyyy");
    Outcome outcome = run({"fatturapa", "--dal", from, "--al", to, "--dir", home});
    QStringList files;
    for (const QString& line : outcome.out.split('\n', Qt::SkipEmptyParts))
        files << line.trimmed();
    QVERIFY2(files.size() >= 2, qPrintable(outcome.err));

    // The period's files, one message each, to the SdI's address.
    const int before = int(m_smtp.received().size());
    outcome = run({"pec", "invia", "--dal", from, "--al", to, "--dir", home});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err + m_smtp.log()));
    QCOMPARE(outcome.out.count(QStringLiteral(" inviato con PEC a sdi01@pec.fatturapa.it")),
             files.size());
    const QVector<QJsonObject> received = m_smtp.received();
    QCOMPARE(received.size() - before, files.size());
    for (int i = 0; i < files.size(); ++i) {
        const QJsonObject& mail = received.at(before + i);
        QCOMPARE(mail.value("envelope_to").toArray().first().toString(),
                 QStringLiteral("sdi01@pec.fatturapa.it"));
        QCOMPARE(mail.value("envelope_from").toString(), kUser);
        const QJsonArray attachments = mail.value("attachments").toArray();
        QCOMPARE(attachments.size(), 1);
        const QJsonObject attachment = attachments.first().toObject();
        QCOMPARE(attachment.value("name").toString(), QFileInfo(files.at(i)).fileName());
        QCOMPARE(QByteArray::fromBase64(attachment.value("data").toString().toLatin1()),
                 readAll(files.at(i)));
        QCOMPARE(stateOf(home, QFileInfo(files.at(i)).fileName()), QStringLiteral("IN"));
    }
    // Nothing is sent twice.
    outcome = run({"pec", "invia", "--dal", from, "--al", to, "--dir", home});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("nessun file scritto e non ancora inviato"),
             qPrintable(outcome.err));
    QCOMPARE(m_smtp.received().size(), received.size());

    // The inbox: the SdI's receipt from the address assigned to this sender,
    // a supplier's invoice, a mail that is neither.
    pectest::TestPecProvider provider;
    QString error;
    QVERIFY2(provider.setUp(&error), qPrintable(error));
    const QString firstFile = QFileInfo(files.first()).fileName();
    pectest::OriginalMail receiptMail;
    receiptMail.from = QStringLiteral("sdi23@pec.fatturapa.it");
    receiptMail.attachments = {{QFileInfo(firstFile).completeBaseName() + "_RC_001.xml",
                                deliveryReceipt(firstFile), "application/xml"}};
    const auto receiptPec = provider.certifiedMail(receiptMail, &error);
    QVERIFY2(receiptPec, qPrintable(error));
    supplierxml::File supplied = supplierxml::twoRatesAndN1();
    supplied.supplierVat = kSupplierVat;
    supplied.customerVat = studioVat(home);
    pectest::OriginalMail invoiceMail;
    invoiceMail.from = QStringLiteral("sdi23@pec.fatturapa.it");
    invoiceMail.subject = QStringLiteral("Invio File 4520150999");
    invoiceMail.attachments = {
        {"IT" + kSupplierVat + "_00007.xml", supplierxml::xml(supplied), "application/xml"}};
    const auto invoicePec = provider.certifiedMail(invoiceMail, &error);
    QVERIFY2(invoicePec, qPrintable(error));
    pectest::OriginalMail other;
    other.from = QStringLiteral("cliente@pec.cliente.test");
    other.subject = QStringLiteral("Auguri");
    other.attachments = {{"biglietto.pdf", "%PDF-1.4 nothing", "application/pdf"}};
    const auto otherPec = provider.certifiedMail(other, &error);
    QVERIFY2(otherPec, qPrintable(error));
    for (const QByteArray& mail : {*receiptPec, *invoicePec, *otherPec})
        QVERIFY2(m_imap.addMessage(mail, &error), qPrintable(error));

    outcome = run({"pec", "ricevi", "--dir", home});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.out + outcome.err + m_imap.log()));
    QVERIFY2(outcome.out.contains("3 nuovi messaggi"), qPrintable(outcome.out));
    QCOMPARE(stateOf(home, firstFile), QStringLiteral("RC"));
    QVERIFY2(outcome.out.contains("biglietto.pdf"), qPrintable(outcome.out));
    const Settings settings(home + "/falmide.ini");
    QCOMPARE(settings.pec().sdiAddress, QStringLiteral("sdi23@pec.fatturapa.it"));

    // The supplier's invoice as purchases: its taxable amounts at their
    // rates, the N1 line outside VAT; the file kept.
    const QString bought = supplierPurchases(home);
    QCOMPARE(bought, QStringLiteral("150050 5000 10 22"));
    QVERIFY(QFileInfo::exists(home + "/Ricevute/2026/IT" + kSupplierVat + "_00007.xml"));

    // Read once: a second run finds nothing new, and the server still holds
    // every message.
    outcome = run({"pec", "ricevi", "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains("Nessun nuovo messaggio"), qPrintable(outcome.out));
    QCOMPARE(supplierPurchases(home), bought);
    QCOMPARE(m_imap.messageCount(), 3);
    QCOMPARE(m_imap.flaggedCount('T'), 0); // none marked deleted
}

void PecBatchTest::failuresLeaveTheSendingUnsent()
{
    const QString home = preparedHome(QStringLiteral("failures"), m_smtp.port(), m_imap.port());
    QVERIFY(!home.isEmpty());
    const auto last = lastInvoice(home);
    QVERIFY(last);
    const QString year = QString::number(last->key.year());
    const QString number = QString::number(last->key.number());
    Outcome outcome = run({"fatturapa", year, number, "--dir", home});
    QCOMPARE(outcome.status, 0);
    const QString file = QFileInfo(outcome.out.trimmed()).fileName();
    const int before = int(m_smtp.received().size());

    // Each: the password file (none, and no secret store to fall back on)
    // and what is said.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    const std::pair<QString, const char*> cases[] = {
        {passwordFile("sbagliata"), "Accesso alla PEC rifiutato"},
        {passwordFile(kPassword, 0644), "solo dal suo proprietario"},
        {QString(), "password della PEC non disponibile"},
    };
    for (const auto& [password, expected] : cases) {
        if (password.isEmpty())
            qunsetenv("FALMIDE_PEC_PASSWORD_FILE");
        else
            qputenv("FALMIDE_PEC_PASSWORD_FILE", password.toUtf8());
        outcome = run({"pec", "invia", year, number, "--dir", home});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(QString::fromUtf8(expected)), qPrintable(outcome.err));
        QCOMPARE(stateOf(home, file), QStringLiteral("SC"));
    }
    QCOMPARE(m_smtp.received().size(), before);
}

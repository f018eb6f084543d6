#include "PecIntakeTest.h"

#include "Database.h"
#include "DocumentKey.h"
#include "PecIntake.h"
#include "Sendings.h"

#include <QFile>
#include <QtTest>

using namespace pectest;

namespace {

const QStringList kKinds{"RC", "NS", "MC", "DT", "AT"};

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(FALMIDE_RECEIPTS "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The receipt fixture of `kind`, about IT09876543217_260NN.xml.
QString receiptName(const QString& kind)
{
    return QStringLiteral("IT09876543217_%1_%2_001.xml")
        .arg(26007 + kKinds.indexOf(kind))
        .arg(kind);
}

OriginalMail fromSdi(const QString& file, const QByteArray& data,
                     const QString& from = QStringLiteral("sdi23@pec.fatturapa.it"))
{
    OriginalMail mail;
    mail.from = from;
    mail.subject = QStringLiteral("Notifica %1").arg(file);
    mail.messageId = file + QStringLiteral("@pec.fatturapa.it");
    mail.attachments << Attachment{file, data, "application/xml"};
    return mail;
}

QString itemsText(const PecIntake& intake)
{
    QStringList lines;
    for (const PecIntakeItem& i : intake.items)
        lines << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(i.mailIndex)
                     .arg(i.fileName)
                     .arg(int(i.kind))
                     .arg(i.ok ? (i.repeated ? "again" : "ok") : "failed", i.outcome);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void PecIntakeTest::initTestCase()
{
    QString error;
    QVERIFY2(m_provider.setUp(&error), qPrintable(error));
}

// Invoice 1/2026 with a sending named after each receipt fixture's file.
void PecIntakeTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
    for (int i = 0; i < kKinds.size(); ++i) {
        Sending sending;
        sending.invoice = *DocumentKey::of(QDate(2026, 12, 1), 1);
        sending.progressive = QString::number(26007 + i);
        sending.fileName = QStringLiteral("IT09876543217_%1.xml").arg(26007 + i);
        sending.written = QDateTime(QDate(2026, 12, 7), QTime(11, 58));
        QVERIFY2(Sendings(m_data.context().DbArchivi).add(sending, &error), qPrintable(error));
    }
}

void PecIntakeTest::cleanup()
{
    m_data.tearDown();
}

void PecIntakeTest::receiptsRecorded()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    QList<QByteArray> mails;
    for (const QString& kind : kKinds) {
        const auto raw = m_provider.certifiedMail(
            fromSdi(receiptName(kind), fixture(receiptName(kind))),
            {QStringLiteral("posta-certificata"),
             kind == "NS" ? EnvelopeForm::OpaqueSigned : EnvelopeForm::MultipartSigned,
             {}},
            &error);
        QVERIFY2(raw, qPrintable(error));
        mails << *raw;
    }
    // The same delivery receipt read again.
    mails << mails.constFirst();
    bool called = false;
    const PecIntake intake =
        takeInPecMails(db, mails, [&called](const QString&, const QByteArray&) {
            called = true;
            return std::pair<bool, QString>(true, {});
        });
    QVERIFY(!called);
    QCOMPARE(intake.items.size(), 6);
    for (int i = 0; i < 5; ++i) {
        const PecIntakeItem& item = intake.items.at(i);
        QCOMPARE(item.fileName, receiptName(kKinds.at(i)));
        QCOMPARE(item.kind, PecFileKind::SdiReceipt);
        QCOMPARE(item.mailSubject, QStringLiteral("Notifica ") + item.fileName);
        QCOMPARE(item.mailIndex, i);
        QVERIFY2(item.ok && !item.repeated, qPrintable(item.outcome));
        QVERIFY2(item.outcome.startsWith(
                     QStringLiteral("fattura 1/2026 (IT09876543217_%1.xml), ").arg(26007 + i)),
                 qPrintable(item.outcome));
        const auto sending =
            Sendings(db).byFileName(QStringLiteral("IT09876543217_%1.xml").arg(26007 + i), &error);
        QVERIFY2(sending, qPrintable(error));
        QCOMPARE(storedState(sending->state), kKinds.at(i));
    }
    QVERIFY(intake.items.at(0).outcome.endsWith(QStringLiteral("Consegnata il 08/12/2026")));
    QVERIFY(intake.items.at(1).outcome.contains(QStringLiteral("00305 IdFiscaleIVA")));
    const PecIntakeItem& again = intake.items.at(5);
    QVERIFY(again.ok && again.repeated);
    QVERIFY2(again.outcome.endsWith(QStringLiteral("ricevuta già registrata")),
             qPrintable(again.outcome));
    QCOMPARE(intake.sdiAddress, QStringLiteral("sdi23@pec.fatturapa.it"));

    const QString summary = pecIntakeSummary(intake);
    QVERIFY2(summary.startsWith(QStringLiteral("Ricevute SdI registrate: 5\n"
                                               "Fatture di fornitori importate: 0\n"
                                               "Altri messaggi lasciati: 0\n"
                                               "Già registrati in precedenza: 1\n\n"
                                               "IT09876543217_26007_RC_001.xml: fattura 1/2026")),
             qPrintable(summary));
    QCOMPARE(summary.count(QLatin1Char('\n')), 4 + 1 + 5);

    // In a later intake too, the mail changes nothing.
    const PecIntake later = takeInPecMails(db, {mails.constFirst()}, {});
    QCOMPARE(itemsText(later), QStringLiteral("0|IT09876543217_26007_RC_001.xml|0|again|"
                                              "fattura 1/2026 (IT09876543217_26007.xml), "
                                              "ricevuta già registrata"));
}

void PecIntakeTest::supplierInvoicesHandedOver()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    const QByteArray invoice("<?xml version=\"1.0\"?><FatturaElettronica/>");
    const auto signedFile = m_provider.signedFile(invoice, &error);
    QVERIFY2(signedFile, qPrintable(error));
    const QByteArray& signedInvoice = *signedFile;
    OriginalMail first;
    first.subject = QStringLiteral("Invio File 4520160001");
    first.attachments << Attachment{"IT01234567897_0A1b2.xml", invoice}
                      << Attachment{"IT01234567897_0A1b2_MT_001.xml", "<FileMetadati/>"};
    OriginalMail second = first;
    second.subject = QStringLiteral("Invio File 4520160002");
    second.attachments = {
        Attachment{"IT01234567897_0A1b3.xml.p7m", signedInvoice, "application/pkcs7-mime"}};
    const auto a = m_provider.certifiedMail(first, &error);
    const auto b = m_provider.certifiedMail(
        second, {QStringLiteral("posta-certificata"), EnvelopeForm::OpaqueSigned, {}}, &error);
    QVERIFY2(a && b, qPrintable(error));

    // The handler gets each invoice's bytes once; it refuses the second as
    // a duplicate.
    QList<std::pair<QString, QByteArray>> handed;
    const auto handler = [&handed](const QString& name, const QByteArray& data) {
        handed << std::pair(name, data);
        return handed.size() == 1
                   ? std::pair<bool, QString>(true, QStringLiteral("2 movimenti registrati"))
                   : std::pair<bool, QString>(false, name + QStringLiteral(": già importata"));
    };
    const PecIntake intake = takeInPecMails(db, {*a, *b}, handler);
    QCOMPARE(handed.size(), 2);
    QCOMPARE(handed.at(0), std::pair(QStringLiteral("IT01234567897_0A1b2.xml"), invoice));
    QCOMPARE(handed.at(1), std::pair(QStringLiteral("IT01234567897_0A1b3.xml.p7m"), signedInvoice));
    QCOMPARE(itemsText(intake),
             QStringLiteral("0|IT01234567897_0A1b2.xml|1|ok|2 movimenti registrati\n"
                            "0|IT01234567897_0A1b2_MT_001.xml|2|ok|metadati della fattura "
                            "ricevuta, lasciati\n"
                            "1|IT01234567897_0A1b3.xml.p7m|1|failed|già importata"));
    QVERIFY(intake.sdiAddress.isEmpty());
    QVERIFY2(pecIntakeSummary(intake).startsWith(
                 QStringLiteral("Ricevute SdI registrate: 0\nFatture di fornitori importate: 1\n"
                                "Altri messaggi lasciati: 0\nNon registrati, da verificare: 1\n")),
             qPrintable(pecIntakeSummary(intake)));

    // With no one to hand them to, invoices are left and said so.
    const PecIntake left = takeInPecMails(db, {*b}, {});
    QCOMPARE(itemsText(left), QStringLiteral("0|IT01234567897_0A1b3.xml.p7m|1|failed|fattura di "
                                             "fornitore non importata: importazione non "
                                             "disponibile"));
}

void PecIntakeTest::otherMailsListed()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    QList<QByteArray> mails;
    // 0: a PEC with a file of no electronic invoice.
    OriginalMail letter;
    letter.from = QStringLiteral("studio.verdi@pec.verdi.test");
    letter.subject = QStringLiteral("Preventivo");
    letter.attachments << Attachment{"preventivo.pdf", "%PDF-1.4"};
    auto raw = m_provider.certifiedMail(letter, &error);
    QVERIFY2(raw, qPrintable(error));
    mails << *raw;
    // 1: a plain mail, no file at all.
    letter.attachments.clear();
    letter.subject = QStringLiteral("Auguri");
    mails << TestPecProvider::originalMessage(letter);
    // 2: a plain mail that claims to come from the SdI: its receipt is
    // recorded, but it names no address of the SdI.
    mails << TestPecProvider::originalMessage(
        fromSdi(receiptName("RC"), fixture(receiptName("RC")), "sdi05@pec.fatturapa.it"));
    // 3: the PEC's acceptance of a sending, carrying the sent file's name.
    OriginalMail sent;
    sent.from = QStringLiteral("studio@pec.studio.test");
    sent.subject = QStringLiteral("IT09876543217_26008.xml");
    raw = m_provider.certifiedMail(sent, {QStringLiteral("accettazione"), {}, {}}, &error);
    QVERIFY2(raw, qPrintable(error));
    mails << *raw;
    // 4: the PEC's full delivery receipt of a sending: the sent invoice
    // inside is the studio's own, no supplier's.
    sent.attachments << Attachment{"IT09876543217_26008.xml", "<FatturaElettronica/>"};
    raw =
        m_provider.certifiedMail(sent, {QStringLiteral("avvenuta-consegna"), {}, {}, true}, &error);
    QVERIFY2(raw, qPrintable(error));
    mails << *raw;
    // 5: the PEC could not deliver a sending.
    raw = m_provider.certifiedMail(sent, {QStringLiteral("errore-consegna"), {}, {}}, &error);
    QVERIFY2(raw, qPrintable(error));
    mails << *raw;
    // 6: a notification the sendings do not follow, and a PDF beside it.
    OriginalMail outcome = fromSdi(QStringLiteral("IT09876543217_26012_NE_001.xml"),
                                   fixture(QStringLiteral("IT09876543217_26012_NE_001.xml")));
    outcome.attachments << Attachment{"avviso.pdf", "%PDF-1.4"};
    raw = m_provider.certifiedMail(outcome, &error);
    QVERIFY2(raw, qPrintable(error));
    mails << *raw;
    // 7: no mail at all.
    mails << QByteArray("\x01\x02\x03garbage", 10);

    bool handed = false;
    const PecIntake intake =
        takeInPecMails(db, mails, [&handed](const QString&, const QByteArray&) {
            handed = true;
            return std::pair<bool, QString>(true, {});
        });
    QVERIFY(!handed);
    QCOMPARE(itemsText(intake),
             QStringLiteral(
                 "0||3|ok|nessun file della fatturazione elettronica (allegati: preventivo.pdf)\n"
                 "1||3|ok|nessun file della fatturazione elettronica\n"
                 "2|IT09876543217_26007_RC_001.xml|0|ok|fattura 1/2026 "
                 "(IT09876543217_26007.xml), Consegnata il 08/12/2026\n"
                 "3||3|ok|ricevuta PEC (accettazione) di un messaggio inviato, lasciata\n"
                 "4||3|ok|ricevuta PEC (avvenuta-consegna) di un messaggio inviato, lasciata\n"
                 "5||3|failed|avviso PEC (errore-consegna): il messaggio non è stato consegnato\n"
                 "6||3|ok|nessun file della fatturazione elettronica (allegati: "
                 "IT09876543217_26012_NE_001.xml, avviso.pdf)\n"
                 "7||3|failed|messaggio illeggibile: non è un messaggio di posta leggibile"));
    QVERIFY(intake.sdiAddress.isEmpty());
    const QString summary = pecIntakeSummary(intake);
    QVERIFY2(summary.contains(QStringLiteral("Altri messaggi lasciati: 5\n")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("\nMessaggio «Preventivo»: nessun file")),
             qPrintable(summary));
    QVERIFY2(summary.endsWith(QStringLiteral("\nMessaggio n. 8: messaggio illeggibile: non è un "
                                             "messaggio di posta leggibile")),
             qPrintable(summary));
}

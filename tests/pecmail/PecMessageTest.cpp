#include "PecMessageTest.h"

#include "PecFileKind.h"
#include "PecMessage.h"

#include <QFile>
#include <QtTest>

using namespace pectest;

Q_DECLARE_METATYPE(PecFileKind)
Q_DECLARE_METATYPE(pectest::EnvelopeForm)

namespace {

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(FALMIDE_RECEIPTS "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bytes no text conversion leaves alone: NULs, CR and LF alone, the top bit.
QByteArray binary()
{
    QByteArray data("0\x80\x06\x09*\x86H\x86\xF7\r\x01\x07\x02\xA0\x80", 16);
    for (int i = 0; i < 3000; ++i)
        data += char((i * 37 + i / 7) & 0xFF);
    return data + QByteArray("\r\n\n\r\0\0", 6);
}

QString names(const QList<MailAttachment>& files)
{
    QStringList list;
    for (const MailAttachment& f : files)
        list << f.fileName;
    return list.join(QLatin1Char(','));
}

} // namespace

void PecMessageTest::initTestCase()
{
    QString error;
    QVERIFY2(m_provider.setUp(&error), qPrintable(error));
}

void PecMessageTest::fileNamesSorted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PecFileKind>("kind");
    const auto receipt = PecFileKind::SdiReceipt;
    const auto invoice = PecFileKind::SupplierInvoice;
    const auto other = PecFileKind::Other;
    for (const char* code : {"RC", "NS", "MC", "DT", "AT"})
        QTest::addRow("%s", code) << QStringLiteral("IT01234567890_abcde_%1_001.xml").arg(code)
                                  << receipt;
    QTest::newRow("signed receipt") << "IT01234567890_1A2b3_NS_002.xml.p7m" << receipt;
    // Notifications the sendings do not follow are left.
    for (const char* code : {"NE", "EC", "SE", "MT"})
        QTest::addRow("%s", code) << QStringLiteral("IT01234567890_abcde_%1_001.xml").arg(code)
                                  << (QLatin1String(code) == "MT" ? PecFileKind::SupplierMetadata
                                                                  : other);
    QTest::newRow("invoice") << "IT01234567890_abcde.xml" << invoice;
    QTest::newRow("signed invoice") << "IT01234567890_00001.xml.p7m" << invoice;
    QTest::newRow("upper case") << "IT01234567890_00001.XML.P7M" << invoice;
    QTest::newRow("tax code") << "ITRSSMRA80A01H501U_A0001.xml" << invoice;
    QTest::newRow("abroad") << "DE123456789_00012.xml" << invoice;
    QTest::newRow("one character") << "IT01234567890_1.xml" << invoice;
    QTest::newRow("progressive too long") << "IT01234567890_abcdef.xml" << other;
    QTest::newRow("no progressive") << "IT01234567890.xml" << other;
    QTest::newRow("no country") << "01234567890_abcde.xml" << other;
    QTest::newRow("zip") << "IT01234567890_abcde.zip" << other;
    QTest::newRow("p7m of no xml") << "IT01234567890_abcde.pdf.p7m" << other;
    QTest::newRow("folder") << "../IT01234567890_abcde.xml" << other;
    QTest::newRow("trailing blank") << "IT01234567890_abcde.xml " << other;
    QTest::newRow("pdf") << "fattura.pdf" << other;
    QTest::newRow("certificate data") << "daticert.xml" << other;
    QTest::newRow("receipt number too long") << "IT01234567890_abcde_RC_0001.xml" << other;
    QTest::newRow("empty") << "" << other;
}

void PecMessageTest::fileNamesSorted()
{
    QFETCH(QString, name);
    QFETCH(PecFileKind, kind);
    QCOMPARE(classifyPecFile(name), kind);
}

void PecMessageTest::receiptsComeOutWhole_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<PecFileKind>("kind");
    QTest::addColumn<EnvelopeForm>("form");
    const QList<std::pair<const char*, EnvelopeForm>> forms{
        {"multipart/signed", EnvelopeForm::MultipartSigned},
        {"pkcs7-mime", EnvelopeForm::OpaqueSigned},
        {"unsigned", EnvelopeForm::Unsigned}};
    const QDir receipts(QStringLiteral(FALMIDE_RECEIPTS));
    const QStringList files = receipts.entryList({QStringLiteral("*.xml")}, QDir::Files);
    QVERIFY(files.size() >= 6);
    for (const QString& file : files)
        for (const auto& [label, form] : forms)
            QTest::addRow("%s %s", qPrintable(file.section('_', 2, 2)), label)
                << file
                << (file.contains(QLatin1String("_NE_")) ? PecFileKind::Other
                                                         : PecFileKind::SdiReceipt)
                << form;
}

void PecMessageTest::receiptsComeOutWhole()
{
    QFETCH(QString, file);
    QFETCH(PecFileKind, kind);
    QFETCH(EnvelopeForm, form);
    OriginalMail mail;
    mail.from = QStringLiteral("sdi23@pec.fatturapa.it");
    mail.subject = QStringLiteral("Notifica %1 «prova» àèìòù").arg(file);
    mail.messageId = QStringLiteral("%1.sdi@pec.fatturapa.it").arg(file.section('_', 1, 2));
    mail.attachments << Attachment{file, fixture(file), "application/xml"};
    QVERIFY(!mail.attachments.constFirst().data.isEmpty());
    QString error;
    const auto raw =
        m_provider.certifiedMail(mail, {QStringLiteral("posta-certificata"), form, {}}, &error);
    QVERIFY2(raw, qPrintable(error));
    QVERIFY2(raw->startsWith("Date: ") && !raw->contains("\r\r") &&
                 raw->count('\n') == raw->count("\r\n"),
             "raw RFC 5322 bytes, CRLF only");

    const auto pec = readPecMessage(*raw, &error);
    QVERIFY2(pec, qPrintable(error));
    QVERIFY(pec->certified);
    QCOMPARE(pec->certType, QStringLiteral("posta-certificata"));
    QCOMPARE(pec->sender, mail.from);
    QCOMPARE(pec->subject, mail.subject);
    QCOMPARE(pec->messageId, mail.messageId);
    // The original's file alone: neither daticert.xml, nor the envelope's
    // text, nor its signature.
    QCOMPARE(names(pec->attachments), file);
    QCOMPARE(pec->attachments.constFirst().data, mail.attachments.constFirst().data);
    QCOMPARE(classifyPecFile(pec->attachments.constFirst().fileName), kind);
}

void PecMessageTest::supplierInvoicesComeOutWhole()
{
    const QByteArray invoice = fixture(QStringLiteral("IT09876543217_26007_RC_001.xml"))
                                   .replace("RicevutaConsegna", "FatturaElettronica");
    const QByteArray metadata("<?xml version=\"1.0\"?><FileMetadati/>");
    QString error;
    const auto signedInvoice = m_provider.signedFile(invoice, &error);
    QVERIFY2(signedInvoice, qPrintable(error));
    for (const EnvelopeForm form : {EnvelopeForm::MultipartSigned, EnvelopeForm::OpaqueSigned}) {
        OriginalMail mail;
        mail.subject = QStringLiteral("Invio File 4520160001");
        mail.attachments << Attachment{"IT01234567897_0A1b2.xml", invoice, "application/xml"}
                         << Attachment{"IT01234567897_0A1b2_MT_001.xml", metadata}
                         << Attachment{"IT01234567897_0A1b3.xml.p7m", *signedInvoice,
                                       "application/pkcs7-mime"};
        const auto raw =
            m_provider.certifiedMail(mail, {QStringLiteral("posta-certificata"), form, {}}, &error);
        QVERIFY2(raw, qPrintable(error));
        const auto pec = readPecMessage(*raw, &error);
        QVERIFY2(pec, qPrintable(error));
        QCOMPARE(names(pec->attachments), QStringLiteral("IT01234567897_0A1b2.xml,"
                                                         "IT01234567897_0A1b2_MT_001.xml,"
                                                         "IT01234567897_0A1b3.xml.p7m"));
        QCOMPARE(pec->attachments.at(0).data, invoice);
        QCOMPARE(pec->attachments.at(1).data, metadata);
        // A signed invoice sent as application/pkcs7-mime is a file, not a
        // layer of S/MIME to open.
        QCOMPARE(pec->attachments.at(2).data, *signedInvoice);
        QCOMPARE(classifyPecFile(pec->attachments.at(0).fileName), PecFileKind::SupplierInvoice);
        QCOMPARE(classifyPecFile(pec->attachments.at(1).fileName), PecFileKind::SupplierMetadata);
        QCOMPARE(classifyPecFile(pec->attachments.at(2).fileName), PecFileKind::SupplierInvoice);
    }
}

// What the intake makes of other mails is its own test; here, that a full
// delivery receipt carries the sent message, files and all.
void PecMessageTest::fullDeliveryReceipt()
{
    OriginalMail sent;
    sent.from = QStringLiteral("studio@pec.studio.test");
    sent.subject = QStringLiteral("IT09876543217_A0001.xml");
    sent.attachments << Attachment{"IT09876543217_A0001.xml", binary()};
    QString error;
    const auto raw =
        m_provider.certifiedMail(sent, {QStringLiteral("avvenuta-consegna"), {}, {}, true}, &error);
    QVERIFY2(raw, qPrintable(error));
    const auto pec = readPecMessage(*raw, &error);
    QVERIFY2(pec, qPrintable(error));
    QCOMPARE(pec->certType, QStringLiteral("avvenuta-consegna"));
    QCOMPARE(pec->sender, sent.from);
    QCOMPARE(names(pec->attachments), QStringLiteral("IT09876543217_A0001.xml"));
    QCOMPARE(pec->attachments.constFirst().data, binary());
}

void PecMessageTest::brokenMailsRefused_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("said");
    OriginalMail mail;
    mail.attachments << Attachment{"IT09876543217_26007_RC_001.xml",
                                   fixture("IT09876543217_26007_RC_001.xml")};
    QString error;
    auto opaque = m_provider.certifiedMail(
        mail, {QStringLiteral("posta-certificata"), EnvelopeForm::OpaqueSigned, {}}, &error);
    QVERIFY2(opaque, qPrintable(error));
    // A few characters of the signed content changed: the signature no
    // longer matches.
    QByteArray tampered = *opaque;
    const qsizetype middle = tampered.indexOf("\r\n\r\n") + (tampered.size() / 2);
    for (qsizetype i = middle; i < middle + 8; ++i)
        tampered[i] = tampered.at(i) == 'A' ? 'B' : 'A';
    QByteArray cut = opaque->left(opaque->size() * 2 / 3);
    QByteArray encrypted = *opaque;
    encrypted.replace("smime-type=signed-data", "smime-type=enveloped-data");
    auto badCertificate = m_provider.certifiedMail(
        mail, {QStringLiteral("posta-certificata"), EnvelopeForm::MultipartSigned, "<postacert"},
        &error);
    auto otherXml = m_provider.certifiedMail(
        mail, {QStringLiteral("posta-certificata"), EnvelopeForm::Unsigned, "<rss/>"}, &error);
    QVERIFY2(badCertificate && otherXml, qPrintable(error));

    QTest::newRow("empty") << QByteArray() << "vuoto";
    QTest::newRow("blanks") << QByteArray(" \r\n\r\n") << "vuoto";
    QTest::newRow("binary") << binary() << "non è un messaggio di posta leggibile";
    QTest::newRow("tampered") << tampered << "la busta firmata non si apre";
    QTest::newRow("cut") << cut << "la busta firmata non si apre";
    QTest::newRow("encrypted") << encrypted << "cifrato";
    QTest::newRow("broken daticert") << *badCertificate << "daticert.xml";
    QTest::newRow("daticert of something else") << *otherXml << "daticert.xml";
}

void PecMessageTest::brokenMailsRefused()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, said);
    QString error;
    const auto pec = readPecMessage(raw, &error);
    QVERIFY2(!pec, qPrintable(names(pec ? pec->attachments : QList<MailAttachment>())));
    QVERIFY2(error.contains(said), qPrintable(error));
}

#include "SdiReceiptTest.h"

#include "Database.h"
#include "ReceiptImport.h"
#include "SdiReceipt.h"
#include "Sendings.h"
#include "TestDatabase.h"
#include "ZipFile.h"

#include "InvoiceSamples.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace samples;

namespace {

QString receipt(const QString& name)
{
    return QStringLiteral(FALMIDE_RECEIPTS "/") + name;
}

} // namespace

void SdiReceiptTest::receiptsOfEachKind_data()
{
    QTest::addColumn<QString>("file");
    // the kind's code, IdentificativoSdI, NomeFile, MessageId, the state as said
    QTest::addColumn<QStringList>("read");
    QTest::newRow("delivered") << "IT09876543217_26007_RC_001.xml"
                               << QStringList{"RC", "4520150761", "IT09876543217_26007.xml",
                                              "7139461027", "Consegnata il 08/12/2026"};
    QTest::newRow("rejected, two errors")
        << "IT09876543217_26008_NS_001.xml"
        << QStringList{"NS", "4520150988", "IT09876543217_26008.xml", "7139488210",
                       "Scartata il 09/12/2026: 00305 IdFiscaleIVA del cessionario non valido; "
                       "00423 PrezzoTotale non calcolato secondo le specifiche tecniche"};
    QTest::newRow("not delivered")
        << "IT09876543217_26009_MC_001.xml"
        << QStringList{"MC", "4520151002", "IT09876543217_26009.xml", "7139490001",
                       "Non recapitata: disponibile nel cassetto fiscale del cliente"};
    QTest::newRow("deadline passed")
        << "IT09876543217_26010_DT_001.xml"
        << QStringList{"DT", "4520151100", "IT09876543217_26010.xml", "7139500077",
                       "Decorrenza termini: nessun esito del cliente entro 15 giorni"};
    // RiferimentoArchivio names another file and identifier: not this one's.
    QTest::newRow("transmitted, not deliverable")
        << "IT09876543217_26011_AT_001.xml"
        << QStringList{"AT", "4520151200", "IT09876543217_26011.xml", "7139510450",
                       "Trasmessa il 11/12/2026, non recapitabile: avvisare il cliente"};
}

void SdiReceiptTest::receiptsOfEachKind()
{
    QFETCH(QString, file);
    QFETCH(QStringList, read);
    const QString code = read[0];
    // The hand-made receipts are what the SdI may send.
    const auto [status, lint] =
        run("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_MESSAGES_SCHEMA, receipt(file)});
    QVERIFY2(status == 0, qPrintable(lint));

    QString message;
    const auto r = readSdiReceiptFile(receipt(file), &message);
    QVERIFY2(r, qPrintable(message));
    QCOMPARE(sdiReceiptCode(r->kind), code);
    QCOMPARE(sdiReceiptKindOfCode(code), r->kind);
    QCOMPARE((QStringList{r->identificativoSdI, r->nomeFile, r->messageId, sdiStateText(*r)}),
             read.mid(1));
    QCOMPARE(r->errors.isEmpty(), code != "NS");
    if (code == "RC") {
        // Received before midnight, delivered the next morning: the
        // delivery is the state's date, in the receipt's own time zone.
        QCOMPARE(r->received, QDateTime::fromString("2026-12-07T23:58:10+01:00", Qt::ISODate));
        QCOMPARE(r->stateTime(), QDateTime::fromString("2026-12-08T09:14:02+01:00", Qt::ISODate));
    } else if (code == "NS") {
        QCOMPARE(r->errors.first(), (SdiError{"00305", "IdFiscaleIVA del cessionario non valido"}));
        QCOMPARE(sdiStateText(SdiReceiptKind::Rejected, QDate(2026, 12, 9), {r->errors.first()}),
                 "Scartata il 09/12/2026: 00305 IdFiscaleIVA del cessionario non valido");
    } else if (code == "DT") {
        QVERIFY(!r->stateTime().isValid());
        QCOMPARE(r->description, "Decorsi 15 giorni senza esito del committente");
    }
}

void SdiReceiptTest::notReceiptsRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");
    const QByteArray ns = "xmlns:n=\"http://www.fatturapa.gov.it/sdi/messaggi/v1.0\"";

    QTest::newRow("an invoice") << QByteArray("<?xml version=\"1.0\"?><p:FatturaElettronica "
                                              "xmlns:p=\"x\" versione=\"FPR12\"/>")
                                << "non è una ricevuta del Sistema di Interscambio (contiene "
                                   "FatturaElettronica)";
    QTest::newRow("right name, other namespace")
        << QByteArray("<RicevutaConsegna><NomeFile>a.xml</NomeFile></RicevutaConsegna>")
        << "non è una ricevuta del Sistema di Interscambio (contiene RicevutaConsegna)";
    QTest::newRow("the client's outcome")
        << contents(receipt("IT09876543217_26012_NE_001.xml"))
        << "è una notifica NotificaEsito, che il programma non registra";
    QTest::newRow("no file name")
        << ("<n:RicevutaConsegna " + ns +
            "><IdentificativoSdI>1</IdentificativoSdI><RiferimentoArchivio><IdentificativoSdI>2"
            "</IdentificativoSdI><NomeFile>b.xml</NomeFile></RiferimentoArchivio>"
            "</n:RicevutaConsegna>")
        << "ricevuta RicevutaConsegna incompleta: manca NomeFile";
    QTest::newRow("rejection without errors")
        << ("<n:NotificaScarto " + ns +
            "><IdentificativoSdI>1</IdentificativoSdI><NomeFile>a.xml</NomeFile>"
            "<DataOraRicezione>2026-12-09T10:00:00</DataOraRicezione><MessageId>9</MessageId>"
            "</n:NotificaScarto>")
        << "ricevuta NotificaScarto incompleta: manca ListaErrori";
    QTest::newRow("delivery without a valid date")
        << ("<n:RicevutaConsegna " + ns +
            "><IdentificativoSdI>1</IdentificativoSdI><NomeFile>a.xml</NomeFile>"
            "<DataOraRicezione>2026-12-09T10:00:00</DataOraRicezione>"
            "<DataOraConsegna>ieri</DataOraConsegna><MessageId>9</MessageId>"
            "</n:RicevutaConsegna>")
        << "ricevuta RicevutaConsegna incompleta: manca DataOraConsegna";
    QTest::newRow("cut short") << contents(receipt("IT09876543217_26007_RC_001.xml")).left(400)
                               << "non è un file XML leggibile";
    QTest::newRow("empty") << QByteArray() << "non è né un file XML né un file firmato";
    QTest::newRow("other bytes") << QByteArray("%PDF-1.4\n")
                                 << "non è né un file XML né un file firmato";
}

void SdiReceiptTest::notReceiptsRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    const QString path =
        m_dir.filePath(QStringLiteral("ricevuta %1.xml").arg(QTest::currentDataTag()));
    QVERIFY(put(path, data));
    QString message;
    QVERIFY(!readSdiReceiptFile(path, &message));
    // The file is named, so that several read at once are told apart.
    QVERIFY2(message.startsWith(QFileInfo(path).fileName() + ": " + expected), qPrintable(message));
}

void SdiReceiptTest::signedReceipts()
{
    // A signer of its own: the envelope's signature is checked against the
    // certificate it carries, never against an authority.
    QString problem;
    const QStringList sign = signerOf(m_dir.path(), "Sistema di Interscambio di prova", &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QString plain = receipt("IT09876543217_26008_NS_001.xml");
    const QString p7m = m_dir.filePath("IT09876543217_26008_NS_001.xml.p7m");
    const auto [status, output] =
        run("openssl", sign + QStringList{"-nodetach", "-in", plain, "-out", p7m});
    QVERIFY2(status == 0, qPrintable(output));

    QString message;
    const auto r = readSdiReceiptFile(p7m, &message);
    QVERIFY2(r, qPrintable(message));
    QCOMPARE(r->nomeFile, "IT09876543217_26008.xml");
    QCOMPARE(r->errors.size(), 2);

    // The same envelope saved as base64 text.
    const QString base64 = m_dir.filePath("base64.xml.p7m");
    QVERIFY(put(base64, contents(p7m).toBase64()));
    QVERIFY2(readSdiReceiptFile(base64, &message), qPrintable(message));

    // One byte of the receipt changed after signing: refused.
    QByteArray tampered = contents(p7m);
    const qsizetype at = tampered.indexOf("00305");
    QVERIFY(at > 0);
    tampered[at + 4] = '6';
    const QString changed = m_dir.filePath("cambiata.xml.p7m");
    QVERIFY(put(changed, tampered));
    QVERIFY(!readSdiReceiptFile(changed, &message));
    QVERIFY2(message.startsWith("cambiata.xml.p7m: la firma del file .p7m non corrisponde"),
             qPrintable(message));

    // The same bytes as a mail hands them, under their file's name; a plain
    // receipt given the signed name is no envelope.
    const auto fromMail =
        readSdiReceiptData("IT09876543217_26008_NS_001.xml.p7m", contents(p7m), &message);
    QVERIFY2(fromMail, qPrintable(message));
    QCOMPARE(fromMail->errors, r->errors);
    QVERIFY(!readSdiReceiptData("allegato.xml.p7m", contents(plain), &message));
    QVERIFY2(message.startsWith("allegato.xml.p7m: non è né un file XML"), qPrintable(message));
    QVERIFY(!readSdiReceiptData("grande.xml", QByteArray(5 * 1024 * 1024, '<'), &message));
    QVERIFY2(message == "grande.xml: troppo grande per essere una ricevuta", qPrintable(message));
}

// Each kind's state is the command line's (SdiBatchTest); here the one it
// does not read, on a file written and on one sent by certified mail.
void SdiReceiptTest::sentFilesTakeReceipts()
{
    const QString file = "IT09876543217_26011_AT_001.xml";
    QTemporaryDir dir;
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, dir.filePath("falmide.db"), &error), qPrintable(error));
    const DocumentKey invoice = *DocumentKey::of(QDate(2026, 12, 1), 7);
    QVERIFY2(db.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli) VALUES (?, ?, 7, 'R1')",
                        {invoice.stored(), QDate(2026, 12, 1)}, &error),
             qPrintable(error));
    const Sendings sendings(db);
    const QString nomeFile = file.left(19) + QStringLiteral(".xml");
    // The same receipt applied to a written file and to one sent by
    // certified mail does the same.
    for (const bool sent : {false, true}) {
        Sending s;
        s.invoice = invoice;
        s.progressive = nomeFile.mid(14, 5);
        s.fileName = nomeFile;
        s.written = QDateTime(QDate(2026, 12, 7), QTime(11, 58));
        const qint64 id = sendings.add(s, &error).value();
        const QDateTime when(QDate(2026, 12, 7), QTime(23, 50));
        if (sent) {
            QVERIFY(sendings.markSent(id, when, "<m1@pec.it>", &error));
            QCOMPARE(sendingStateText(*sendings.byId(id, &error)),
                     "Inviata con PEC il 07/12/2026 alle 23:50 (" + nomeFile + ")");
        }
        const auto imported = importSdiReceipts(db, {receipt(file)});
        QCOMPARE(imported.constFirst().outcome, ReceiptOutcome::Recorded);
        const Sending after = sendings.byId(id, &error).value();
        QCOMPARE(after.state, SendingState::Attested);
        QCOMPARE(after.messageId, sent ? QStringLiteral("<m1@pec.it>") : QString());
        // Read twice: already recorded, as for a written file.
        QCOMPARE(importSdiReceipts(db, {receipt(file)}).constFirst().outcome,
                 ReceiptOutcome::AlreadyRecorded);
        QVERIFY(sendings.setState(id, SendingState::Withdrawn, when, {}, {}, &error));
    }
}

void SdiReceiptTest::zipOfFiles()
{
    const QString folder = m_dir.filePath("zip");
    const QString path = folder + "/fatture 2026.zip";
    const QList<ZipEntry> entries{
        {"IT09876543217_26007.xml", contents(receipt("IT09876543217_26007_RC_001.xml")), {}},
        {"IT09876543217_26008.xml", QByteArray(100000, 'x'),
         QDateTime(QDate(2026, 3, 15), QTime(11, 58))},
        {"Fattura_2026_9 città.pdf", QByteArray(), {}},
    };
    QString message;
    QVERIFY2(writeZip(path, entries, &message), qPrintable(message));
    auto [status, output] = run("unzip", {"-t", path});
    QVERIFY2(status == 0 && output.contains("No errors detected"), qPrintable(output));
    std::tie(status, output) = run("unzip", {"-l", path});
    QVERIFY2(status == 0, qPrintable(output));
    for (const ZipEntry& e : entries)
        QVERIFY2(output.contains(e.name), qPrintable(output));
    // unzip writes the date as the locale has it.
    QVERIFY2(output.contains(QRegularExpression("(2026-03-15|03-15-2026) 11:58")),
             qPrintable(output));
    QVERIFY(output.contains("3 files"));
    // Compressed, and nothing but the archive left in the folder.
    QVERIFY(QFileInfo(path).size() < 10000);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"fatture 2026.zip"});

    // Two entries of one name: refused, the earlier archive whole.
    const QByteArray before = contents(path);
    QVERIFY(!writeZip(path, {entries[0], entries[0]}, &message));
    QVERIFY2(message.contains("IT09876543217_26007.xml"), qPrintable(message));
    QCOMPARE(contents(path), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Nothing to pack is said so, rather than an empty archive.
    QVERIFY(!writeZip(folder + "/vuoto.zip", {}, &message));
    QCOMPARE(message, "Nessun file da mettere nell'archivio ZIP.");
    QVERIFY(!QFile::exists(folder + "/vuoto.zip"));
}

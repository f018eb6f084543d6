#include "FeeDocumentTest.h"

#include "FeeDocument.h"
#include "ProgressivoInvio.h"
#include "Sendings.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include "OlderSchema.h"
#include <QCryptographicHash>

#include <QtTest>

namespace {

DocumentKey key(int year, qint64 number)
{
    return *DocumentKey::of(QDate(year, 1, 1), number);
}

bool addInvoice(Database& db, const DocumentKey& k, const QString& client,
                const QVariant& xmlWritten = {})
{
    QString error;
    const bool ok =
        db.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
                   "ImportoIVA, XMLScritto) VALUES (?, ?, ?, ?, 'Rilievo', 100000, 22, 22000, ?)",
                   {k.stored(), QDate(k.year(), 3, 2), k.number(), client, xmlWritten}, &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

Sending written(const DocumentKey& invoice, qint64 counter)
{
    Sending s;
    s.invoice = invoice;
    s.counter = counter;
    s.progressive = sendingProgressive(counter).value_or(QString());
    s.fileName = fatturaPAFileName("01234567897", s.progressive);
    s.written = QDateTime(QDate(2026, 12, 7), QTime(11, 58));
    s.stateDate = s.written;
    return s;
}

} // namespace

void FeeDocumentTest::progressives_data()
{
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<QString>("expected");
    const qint64 letter = 36LL * 36 * 36 * 36;
    QTest::newRow("first") << qint64(1) << "A0001";
    QTest::newRow("base 36") << qint64(35) << "A000Z";
    QTest::newRow("carry") << qint64(36) << "A0010";
    QTest::newRow("last of A") << letter - 1 << "AZZZZ";
    QTest::newRow("next letter") << letter << "B0000";
    QTest::newRow("last") << 26 * letter - 1 << "ZZZZZ";
    QTest::newRow("past the last") << 26 * letter << "";
    QTest::newRow("zero") << qint64(0) << "";
}

void FeeDocumentTest::progressives()
{
    QFETCH(qint64, counter);
    QFETCH(QString, expected);
    QCOMPARE(sendingProgressive(counter).value_or(QString()), expected);
    // Never a name of the earlier scheme, which begins with a digit of the
    // year whatever the invoice.
    for (const auto& k : {key(2026, 7), key(2009, 1000), key(2030, 34695)})
        QVERIFY(progressivoInvio(k)->front().isDigit());
}

void FeeDocumentTest::sendingsLockAndWithdraw()
{
    Database& db = *m_db;
    const Sendings sendings(db);
    const DocumentKey k = key(2026, 12);
    QVERIFY(addInvoice(db, k, "R1") && addInvoice(db, key(2026, 13), "B2"));
    QString error;
    FeeDocuments invoices(db, FeeDocumentKind::Invoice);

    // Two files of one invoice: each its own progressive, the latest live.
    QCOMPARE(sendings.nextCounter(&error), 1);
    const auto first = sendings.add(written(k, 1), &error);
    QVERIFY2(first, qPrintable(error));
    const auto second = sendings.add(written(k, 2), &error);
    QCOMPARE(sendings.live(k, &error)->fileName, QStringLiteral("IT01234567897_A0002.xml"));
    QCOMPARE(sendings.byFileName("IT01234567897_A0001.xml", &error)->id, *first);
    QVERIFY(clientHasLiveSendings(db, "r1", &error) && !clientHasLiveSendings(db, "B2", &error));

    // Locked: what the file carries is refused, the payment and the notes
    // are not; nor can it be deleted.
    FeeDocument d = *invoices.find(k, &error);
    d.subject = "Frazionamento";
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &error), SaveResult::Refused);
    QCOMPARE(error, lockedInvoiceMessage());
    d = *invoices.find(k, &error);
    d.fee = Money::fromCents(100001);
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &error), SaveResult::Refused);
    d = *invoices.find(k, &error);
    d.paymentDate = QDate(2026, 4, 1);
    d.notes = "Pagata con bonifico";
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &error), SaveResult::Replaced);
    QCOMPARE(invoices.remove(k, &error), DeleteResult::Refused);
    QCOMPARE(error, lockedInvoiceMessage());

    // A delivered file cannot be withdrawn; a rejected one no longer locks.
    QVERIFY(sendings.setState(*second, SendingState::Delivered, QDateTime::currentDateTime(),
                              "12345", {}, &error));
    QVERIFY(!sendings.withdraw(*second, QDateTime::currentDateTime(), &error));
    QVERIFY(error.contains("nota di credito"));
    QVERIFY(sendings.setState(*second, SendingState::Rejected, QDateTime::currentDateTime(),
                              "12345", "00305 IdFiscaleIVA del cessionario non valido", &error));
    QCOMPARE(sendings.live(k, &error)->id, *first);
    QVERIFY(withdrawLiveSending(db, k, &error));
    QVERIFY(!sendings.live(k, &error) && error.isEmpty());
    const auto all = sendings.ofInvoice(k, &error).value();
    QCOMPARE(all.at(0).state, SendingState::Withdrawn);
    QCOMPARE(all.at(1).errors, QStringLiteral("00305 IdFiscaleIVA del cessionario non valido"));
    d.subject = "Frazionamento";
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &error), SaveResult::Replaced);
    QCOMPARE(sendings.nextCounter(&error), 3); // never a progressive twice
}

void FeeDocumentTest::writtenInvoicesMigrated()
{
    // A database as the program wrote it before sendings: version 3, each
    // written invoice's time in XMLScritto and its file in the archive.
    if (testsOnServer())
        QSKIP("no server database is older than the sendings: the files are looked for beside "
              "the embedded engine's file");
    Database& db = *m_db;
    QString error;
    QVERIFY2(dropRowVersions(db, &error), qPrintable(error));
    QVERIFY(db.execute("DROP TABLE Invii", {}, &error));
    QVERIFY(db.execute("UPDATE SchemaVersion SET Version = 3", {}, &error));
    QVERIFY(db.execute("UPDATE datipers SET PartitaIVA = '09876543217'", {}, &error));
    QVERIFY(addInvoice(db, key(2025, 7), "R1", "2025-03-02 10:15:00"));
    QVERIFY(addInvoice(db, key(2026, 1000), "R1", "2026-03-02 11:58:30"));
    QVERIFY(addInvoice(db, key(2026, 1001), "R1"));
    const QByteArray xml = "<FatturaElettronica/>";
    QVERIFY(QDir(m_dir->path()).mkpath("Fatture/2025"));
    QFile file(m_dir->filePath("Fatture/2025/IT09876543217_25007.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size());
    file.close();
    const QString path = m_dir->filePath("falmide.db");
    db.close();

    QVERIFY2(openTestDatabase(db, path, &error), qPrintable(error));
    QCOMPARE(db.schemaVersion(), kSchemaVersion);
    const auto kept =
        Snapshot::Open(db, "SELECT Numero, XMLScritto FROM Fatture ORDER BY Chiave", {}, &error);
    QCOMPARE(kept->RecordCount(), 3);
    QCOMPARE(kept->rows().at(0).value(1).toString(), QStringLiteral("2025-03-02 10:15:00"));
    QCOMPARE(kept->rows().at(1).value(1).toString(), QStringLiteral("2026-03-02 11:58:30"));
    QVERIFY(kept->rows().at(2).value(1).isNull());

    const Sendings sendings(db);
    const auto archived = sendings.live(key(2025, 7), &error);
    QVERIFY2(archived, qPrintable(error));
    QCOMPARE(archived->fileName, QStringLiteral("IT09876543217_25007.xml"));
    QCOMPARE(archived->progressive, QStringLiteral("25007"));
    QVERIFY(!archived->counter);
    QCOMPARE(archived->written, QDateTime(QDate(2025, 3, 2), QTime(10, 15)));
    QCOMPARE(
        archived->sha256,
        QString::fromLatin1(QCryptographicHash::hash(xml, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(archived->state, SendingState::Written);
    const auto missing = sendings.live(key(2026, 1000), &error);
    QCOMPARE(missing->fileName, QStringLiteral("IT09876543217_26A00.xml"));
    QVERIFY(missing->sha256.isEmpty());
    QVERIFY(sendings.ofInvoice(key(2026, 1001), &error)->isEmpty());
    QCOMPARE(sendings.nextCounter(&error), 1);

    // Opened again: nothing more to migrate.
    db.close();
    QVERIFY2(openTestDatabase(db, path, &error), qPrintable(error));
    QCOMPARE(Snapshot::Open(db, "SELECT * FROM Invii", {}, &error)->RecordCount(), 2);
}

void FeeDocumentTest::sentByCertifiedMail()
{
    Database& db = *m_db;
    const Sendings sendings(db);
    const DocumentKey k = key(2026, 12);
    QVERIFY(addInvoice(db, k, "R1") && addInvoice(db, key(2026, 13), "R1"));
    QString error;
    const qint64 first = sendings.add(written(k, 1), &error).value();
    const qint64 other = sendings.add(written(key(2026, 13), 2), &error).value();
    auto unsent = [&sendings] {
        QString error;
        QStringList files;
        const auto found =
            sendings.unsentLiveInPeriod(QDate(2026, 1, 1), QDate(2026, 12, 31), &error);
        for (const Sending& s : found.value())
            files << s.progressive;
        return files.join(',');
    };
    QCOMPARE(unsent(), QStringLiteral("A0001,A0002"));

    const QDateTime when(QDate(2026, 12, 8), QTime(10, 15, 30));
    QVERIFY2(sendings.markSent(first, when, "<opec210.20261208101530.1234@pec.it>", &error),
             qPrintable(error));
    const Sending sent = sendings.live(k, &error).value();
    QCOMPARE(sent.state, SendingState::Sent);
    QCOMPARE(storedState(sent.state), QStringLiteral("IN"));
    QCOMPARE(sent.stateDate, when);
    QCOMPARE(sent.messageId, QStringLiteral("<opec210.20261208101530.1234@pec.it>"));
    QCOMPARE(sendingStateCell(sent), QStringLiteral("Inviata 08/12/2026"));
    QVERIFY(sent.isLive() && sent.awaitsReceipt() && !sent.mayWithdraw());
    QCOMPARE(unsent(), QStringLiteral("A0002"));
    QCOMPARE(sendings.liveInPeriod(QDate(2026, 1, 1), QDate(2026, 12, 31), &error)->size(), 2);

    // Still locked; not sent twice, nor withdrawn now that the SdI may have it.
    FeeDocuments invoices(db, FeeDocumentKind::Invoice);
    FeeDocument d = *invoices.find(k, &error);
    d.subject = "Frazionamento";
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &error), SaveResult::Refused);
    QVERIFY(!sendings.markSent(first, when, "<other@pec.it>", &error));
    QCOMPARE(error, QStringLiteral("Il file IT01234567897_A0001.xml non è da inviare (Inviata "
                                   "08/12/2026)"));
    QVERIFY(!withdrawLiveSending(db, k, &error));
    QVERIFY2(error.contains("inviato con PEC"), qPrintable(error));
    QCOMPARE(sendings.live(k, &error)->messageId,
             QStringLiteral("<opec210.20261208101530.1234@pec.it>"));

    // Only a written file is sent: not a withdrawn or answered one, nor one
    // that is not there.
    QVERIFY(sendings.withdraw(other, when, &error));
    QVERIFY(!sendings.markSent(other, when, "<x@pec.it>", &error));
    QVERIFY(error.contains("Annullata"));
    QVERIFY(!sendings.markSent(999, when, "<x@pec.it>", &error));
    QCOMPARE(error, QStringLiteral("Invio non trovato"));
    QVERIFY(sendings.setState(first, SendingState::Delivered, when.addDays(1), "4520150761", {},
                              &error));
    QVERIFY(!sendings.markSent(first, when, "<x@pec.it>", &error));
    // The message that carried it stays with it.
    QCOMPARE(sendings.live(k, &error)->messageId,
             QStringLiteral("<opec210.20261208101530.1234@pec.it>"));
}

#include "FeeDocumentTest.h"

#include "CreditNotes.h"
#include "FeeDocument.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include "OlderSchema.h"

#include <QtTest>

namespace {

DocumentKey key(qint64 number)
{
    return *DocumentKey::of(QDate(2026, 1, 1), number);
}

Money euro(qint64 cents)
{
    return Money::fromCents(cents);
}

// Invoice 12 of 03/02/2026: fee 1 000, contribution 40, VAT 228,80,
// withholding 200, expenses 50, stamp duty 2.
FeeDocument invoice12()
{
    FeeDocument d;
    d.key = key(12);
    d.date = QDate(2026, 2, 3);
    d.clientCode = QStringLiteral("R1");
    d.subject = QStringLiteral("Rilievo");
    d.vatRate = 22;
    d.contributionRate = 4;
    d.withholdingRate = 20;
    d.fee = euro(100000);
    d.contribution = euro(4000);
    d.vat = euro(22880);
    d.withholding = euro(20000);
    d.expenses = euro(5000);
    d.stamp = euro(200);
    return d;
}

FeeDocument noteFor(const FeeDocument& invoice, qint64 number, qint64 fee)
{
    const FeeAmounts whole = FeeAmounts::of(invoice, FeeDocumentKind::Invoice);
    FeeDocument note = creditNoteFor(invoice, whole, key(number));
    note.date = QDate(2026, 3, 1);
    note.fee = euro(fee);
    note.contribution = euro(fee * 4 / 100);
    note.vat = euro(0);
    note.withholding = euro(0);
    note.expenses = euro(0);
    note.stamp = euro(0);
    return note;
}

// Every credit note here reverses invoice 12.
void storeInvoice12(Database& db)
{
    QString error;
    QCOMPARE(
        FeeDocuments(db, FeeDocumentKind::Invoice).save(invoice12(), SaveMode::AddOnly, &error),
        SaveResult::StoredNew);
}

} // namespace

void FeeDocumentTest::creditLimits_data()
{
    QTest::addColumn<qint64>("fee");
    QTest::addColumn<qint64>("expenses");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("whole fee") << qint64(100000) << qint64(5000) << QDate(2026, 3, 1) << QString();
    QTest::newRow("a cent more") << qint64(100001) << qint64(0) << QDate(2026, 3, 1)
                                 << "La nota di credito storna l'onorario per 1.000,01 euro: della "
                                    "fattura 12/2026 resta da stornare al massimo 1.000,00 euro";
    QTest::newRow("expenses beyond") << qint64(0) << qint64(5001) << QDate(2026, 3, 1)
                                     << "La nota di credito storna le spese esenti I.V.A. per "
                                        "50,01 euro: della fattura 12/2026 resta da stornare al "
                                        "massimo 50,00 euro";
    QTest::newRow("negative") << qint64(-100) << qint64(0) << QDate(2026, 3, 1)
                              << "Nella nota di credito l'onorario non può essere negativo";
    QTest::newRow("before the invoice")
        << qint64(100) << qint64(0) << QDate(2026, 2, 2)
        << "La nota di credito non può precedere la fattura 12/2026 del 03/02/2026";
}

void FeeDocumentTest::creditLimits()
{
    storeInvoice12(*m_db);
    QFETCH(qint64, fee);
    QFETCH(qint64, expenses);
    QFETCH(QDate, date);
    QFETCH(QString, refusal);
    FeeDocument note = noteFor(invoice12(), 13, fee);
    note.contribution = euro(0);
    note.expenses = euro(expenses);
    note.date = date;
    QString why;
    const SaveResult saved =
        FeeDocuments(*m_db, FeeDocumentKind::Invoice).save(note, SaveMode::AddOnly, &why);
    QCOMPARE(why, refusal);
    QCOMPARE(saved, refusal.isEmpty() ? SaveResult::StoredNew : SaveResult::Refused);
}

void FeeDocumentTest::fullAndPartialNotes()
{
    storeInvoice12(*m_db);
    FeeDocuments invoices(*m_db, FeeDocumentKind::Invoice);
    QString error;
    // A partial note of 400, then one of 600: nothing is left; a third is
    // refused, and so is raising the first beyond what the second leaves.
    QCOMPARE(invoices.save(noteFor(invoice12(), 13, 40000), SaveMode::AddOnly, &error),
             SaveResult::StoredNew);
    auto left = creditableRemainder(*m_db, invoice12(), {}, &error);
    QCOMPARE(left->fee, euro(60000));
    QCOMPARE(left->expenses, euro(5000));
    QVERIFY(leavesSomethingToCredit(*left));
    QCOMPARE(invoices.save(noteFor(invoice12(), 14, 60000), SaveMode::AddOnly, &error),
             SaveResult::StoredNew);
    QCOMPARE(invoices.save(noteFor(invoice12(), 15, 1), SaveMode::AddOnly, &error),
             SaveResult::Refused);
    QVERIFY(error.contains("resta da stornare al massimo 0,00 euro"));
    QCOMPARE(invoices.save(noteFor(invoice12(), 13, 40001), SaveMode::AddOrReplace, &error),
             SaveResult::Refused);
    QCOMPARE(invoices.save(noteFor(invoice12(), 13, 30000), SaveMode::AddOrReplace, &error),
             SaveResult::Replaced);

    // Stored and read back with its type and link; the invoice is TD01.
    const auto note = invoices.find(key(13), &error);
    QVERIFY(note && note->isCreditNote());
    QCOMPARE(note->linkedInvoice, key(12));
    QCOMPARE(note->linkedInvoiceDate, QDate(2026, 2, 3));
    QCOMPARE(reversalText(*note), QStringLiteral("a storno della fattura n. 12 del 03/02/2026"));
    QVERIFY(!invoices.find(key(12), &error)->isCreditNote());
    QCOMPARE(creditNotesOf(*m_db, key(12), &error)->size(), 2);

    // The invoice cannot fall below what its notes reversed.
    FeeDocument lowered = invoice12();
    lowered.fee = euro(80000);
    QCOMPARE(invoices.save(lowered, SaveMode::AddOrReplace, &error), SaveResult::Refused);
    QCOMPARE(error, QStringLiteral("Le note di credito della fattura 12/2026 stornano più di "
                                   "quanto ora riporta"));

    // A period counts a note negative.
    const FeeAmounts counted = countedAmounts(*note, FeeDocumentKind::Invoice);
    QCOMPARE(counted.fee, euro(-30000));
    QCOMPARE(counted.contribution, euro(-1200));
    QCOMPARE(countedAmounts(invoice12(), FeeDocumentKind::Invoice).fee, euro(100000));

    // A note must reverse a stored invoice, and not another note.
    FeeDocument orphan = noteFor(invoice12(), 16, 100);
    orphan.linkedInvoice = key(99);
    QCOMPARE(invoices.save(orphan, SaveMode::AddOnly, &error), SaveResult::Refused);
    QCOMPARE(error, QStringLiteral("La fattura 99/2026 stornata dalla nota di credito non è in "
                                   "archivio"));
    orphan.linkedInvoice = key(13);
    QCOMPARE(invoices.save(orphan, SaveMode::AddOnly, &error), SaveResult::Refused);
    QCOMPARE(error, QStringLiteral("Il documento 13/2026 è una nota di credito, non una fattura"));
}

void FeeDocumentTest::creditedInvoiceKept()
{
    storeInvoice12(*m_db);
    FeeDocuments invoices(*m_db, FeeDocumentKind::Invoice);
    QString error;
    QCOMPARE(invoices.save(noteFor(invoice12(), 13, 100000), SaveMode::AddOnly, &error),
             SaveResult::StoredNew);
    QCOMPARE(invoices.remove(key(12), &error), DeleteResult::Refused);
    QCOMPARE(error, QStringLiteral("La fattura 12/2026 è stornata dalla nota di credito 13/2026: "
                                   "non si può eliminare"));
    // The note itself goes, and then the invoice may.
    error.clear();
    QCOMPARE(invoices.remove(key(13), &error), DeleteResult::Deleted);
    QCOMPARE(invoices.remove(key(12), &error), DeleteResult::Deleted);
}

void FeeDocumentTest::creditNotesFileUpgraded()
{
    storeInvoice12(*m_db);
    // A database as the program wrote it before credit notes: version 4,
    // without the three columns.
    Database& db = *m_db;
    QString error;
    QVERIFY2(dropRowVersions(db, &error), qPrintable(error));
    for (const char* later : {"TipoCassa", "Profilo", "RegimeFiscale", "DataFatturaCollegata",
                              "FatturaCollegata", "TipoDocumento"})
        QVERIFY2(
            db.execute(QStringLiteral("ALTER TABLE Fatture DROP COLUMN %1").arg(later), {}, &error),
            qPrintable(error));
    QVERIFY(db.execute("UPDATE SchemaVersion SET Version = 4", {}, &error));
    for (int n = 20; n < 23; ++n)
        QVERIFY2(db.execute("INSERT INTO Fatture (Chiave, Data, Numero, Onorario) VALUES "
                            "(?, ?, ?, ?)",
                            {key(n).stored(), QDate(2026, 5, n - 10), n, qint64(1000 * n)}, &error),
                 qPrintable(error));
    const QString path = m_dir->filePath("falmide.db");
    db.close();

    QVERIFY2(openTestDatabase(db, path, &error), qPrintable(error));
    QCOMPARE(db.schemaVersion(), kSchemaVersion);
    const auto rows = Snapshot::Open(db,
                                     "SELECT Numero, Onorario, TipoDocumento, FatturaCollegata "
                                     "FROM Fatture ORDER BY Chiave",
                                     {}, &error);
    QVERIFY2(rows, qPrintable(error));
    QCOMPARE(rows->RecordCount(), 4);
    for (const QVariantList& row : rows->rows()) {
        QCOMPARE(row.value(2).toString(), QStringLiteral("TD01"));
        QVERIFY(row.value(3).isNull());
    }
    QCOMPARE(rows->rows().at(3).value(1).toLongLong(), qint64(22000));
}

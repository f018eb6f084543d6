// A period's electronic invoices written a batch at a time: every invoice
// once, whatever the batches' boundaries, and a sending recorded only for a
// file in place.
#include "BatchTest.h"

#include "BatchTestSupport.h"
#include "Clock.h"
#include "Database.h"
#include "FatturaPAFile.h"
#include "PdfTestSupport.h"
#include "Schema.h"
#include "Settings.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include <QDir>
#include <QSet>
#include <QThread>
#include <QtTest>
#include <thread>

namespace {

// Adds `count` invoices numbered from 1 and dated through `year`, each a
// copy of the demo's latest invoice (not a credit note).
bool addCopies(Database& db, int year, int count, QString* error)
{
    const auto template_ = Snapshot::Open(
        db, "SELECT Chiave FROM Fatture WHERE TipoDocumento = 'TD01' ORDER BY Chiave DESC LIMIT 1",
        {}, error);
    if (!template_ || template_->RecordCount() != 1)
        return false;
    QStringList copied;
    const TableDef& def = tableDef(Table::Fatture);
    for (std::size_t i = 0; i < def.columns.size(); ++i)
        if (i != std::size_t(FeeColumn::Key) && i != std::size_t(FeeColumn::Date) &&
            i != std::size_t(FeeColumn::Number) && i != std::size_t(FeeColumn::XmlWritten))
            copied << def.columns[i].name;
    const QString sql = QStringLiteral("INSERT INTO Fatture (Chiave, Data, Numero, %1) SELECT ?, "
                                       "?, ?, %1 FROM Fatture WHERE Chiave = ?")
                            .arg(copied.join(QStringLiteral(", ")));
    if (!db.begin(error))
        return false;
    for (int number = 1; number <= count; ++number) {
        const QDate date = QDate(year, 1, 1).addDays((number - 1) * 364 / count);
        const QVariantList values{DocumentKey::of(date, number)->stored(),
                                  date.toString(Qt::ISODate), number,
                                  template_->rows().front().value(0)};
        if (!db.execute(sql, values, error)) {
            db.rollback();
            return false;
        }
    }
    return db.commit(error);
}

// The period command over one whole year.
QStringList wholeYear(const QString& home, int year)
{
    return {"fatturapa",
            "--dir",
            home,
            "--dal",
            QStringLiteral("01/01/%1").arg(year),
            "--al",
            QStringLiteral("31/12/%1").arg(year)};
}

// The year's sendings, by invoice number: the file each names.
QMap<int, QString> sendingsOf(Database& db, int year)
{
    QString error;
    const auto found = Snapshot::Open(db,
                                      "SELECT f.Numero, i.NomeFile FROM Invii i JOIN Fatture f ON "
                                      "f.Chiave = i.Fattura WHERE f.Data LIKE ?",
                                      {QStringLiteral("%1-%").arg(year)}, &error);
    QMap<int, QString> files;
    if (found)
        for (const QVariantList& row : found->rows())
            files.insert(row.value(0).toInt(), row.value(1).toString());
    return files;
}

int recordedAsWritten(Database& db, int year)
{
    QString error;
    const auto found = Snapshot::Open(db, "SELECT count(XMLScritto) FROM Fatture WHERE Data LIKE ?",
                                      {QStringLiteral("%1-%").arg(year)}, &error);
    return found ? found->rows().front().value(0).toInt() : -1;
}

// What the year's folder of the archive holds: its electronic invoices and
// anything else, hidden temporaries included.
QStringList archived(const QString& home, int year)
{
    return QDir(QStringLiteral("%1/Fatture/%2").arg(home).arg(year))
        .entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void BatchTest::fatturaPAPeriodInBatches()
{
    const QString home = dataHome(m_dir, QStringLiteral("period-batches"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "4"}).status, 0);
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, home + "/falmide.db", &error), qPrintable(error));
    // Two years the demo leaves empty: one batch exactly, and one invoice
    // more than a batch.
    const int whole = Clock::today().year() - 7;
    const int more = whole + 1;
    QVERIFY2(addCopies(db, whole, 200, &error), qPrintable(error));
    QVERIFY2(addCopies(db, more, 201, &error), qPrintable(error));

    Outcome outcome = run(wholeYear(home, whole));
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QStringList files = outcome.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(files.size(), 200);
    QCOMPARE(QSet<QString>(files.cbegin(), files.cend()).size(), 200);
    QCOMPARE(recordedAsWritten(db, whole), 200);
    QMap<int, QString> sendings = sendingsOf(db, whole);
    QCOMPARE(sendings.size(), 200);
    QStringList inFolder = archived(home, whole);
    inFolder.removeIf([](const QString& name) { return name.endsWith(".pdf"); });
    QCOMPARE(inFolder.size(), 200);
    for (const QString& name : std::as_const(inFolder))
        QVERIFY2(files.contains(QStringLiteral("%1/Fatture/%2/%3").arg(home).arg(whole).arg(name)),
                 qPrintable(name));
    QCOMPARE(run(wholeYear(home, whole)).out, QString());

    // One more than a batch, and in the middle of the first batch an invoice
    // whose client is gone: the others are written all the same, that one is
    // named and left without a sending or a file.
    QVERIFY(db.execute("UPDATE Fatture SET CodCli = 'NESSUNO' WHERE Data LIKE ? AND Numero = 120",
                       {QStringLiteral("%1-%").arg(more)}, &error));
    outcome = run(wholeYear(home, more));
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.startsWith(QStringLiteral("falmide: fattura 120/%1: ").arg(more)) &&
                 outcome.err.endsWith("falmide: 1 fatture su 201 non scritte\n") &&
                 outcome.err.count('\n') == 2,
             qPrintable(outcome.err));
    files = outcome.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(files.size(), 200);
    QCOMPARE(recordedAsWritten(db, more), 200);
    sendings = sendingsOf(db, more);
    QCOMPARE(sendings.size(), 200);
    QVERIFY(!sendings.contains(120));
    QVERIFY(sendings.contains(1) && sendings.contains(200) && sendings.contains(201));
    inFolder = archived(home, more);
    for (const QString& file : std::as_const(sendings))
        QVERIFY2(inFolder.contains(file), qPrintable(file));
    QCOMPARE(inFolder.size(), 200);

    // Put right, the one left is all a second run writes.
    QVERIFY(db.execute("UPDATE Fatture SET CodCli = (SELECT CodCli FROM Fatture WHERE Data LIKE ? "
                       "AND Numero = 1) WHERE Data LIKE ? AND Numero = 120",
                       {QStringLiteral("%1-%").arg(more), QStringLiteral("%1-%").arg(more)},
                       &error));
    outcome = run(wholeYear(home, more));
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out.count('\n'), 1);
    QCOMPARE(recordedAsWritten(db, more), 201);
}

void BatchTest::fatturaPABatchRecordsOnlyFilesInPlace()
{
    const QString home = dataHome(m_dir, QStringLiteral("batch-api"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "4"}).status, 0);
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, home + "/falmide.db", &error), qPrintable(error));
    const int year = Clock::today().year() - 7;
    QVERIFY2(addCopies(db, year, 3, &error), qPrintable(error));
    const Settings settings(home + "/falmide.ini");
    auto key = [year](int number) { return *DocumentKey::of(QDate(year, 6, 1), number); };
    auto write = [&](int number, FatturaPABatch& batch, QString* message) {
        return exportFatturaPA(db, settings, home, key(number), {}, message, nullptr,
                               WriteAgain::Refuse, {}, nullptr, &batch);
    };

    // A batch never committed (the program ended on the way) records
    // nothing; the file it put in place keeps its name from later sendings.
    QString message;
    std::optional<QString> orphan;
    {
        FatturaPABatch batch(db);
        QVERIFY2(batch.begin(&message), qPrintable(message));
        orphan = write(1, batch, &message);
        QVERIFY2(orphan && QFile::exists(*orphan), qPrintable(message));
    }
    QVERIFY(sendingsOf(db, year).isEmpty());
    QCOMPARE(recordedAsWritten(db, year), 0);
    const QByteArray orphanBytes = pdftest::readFile(*orphan);

    // In a batch, an invoice that fails after its sending was added (here
    // the database refuses to record its time) takes back only its own: no
    // sending and no file for it, the others recorded on commit.
    if (!testsOnServer()) {
        QVERIFY(db.execute(QStringLiteral("CREATE TRIGGER refuse_one BEFORE UPDATE OF XMLScritto "
                                          "ON Fatture WHEN NEW.Chiave = '%1' BEGIN SELECT "
                                          "RAISE(ABORT, 'rifiutata'); END")
                               .arg(key(2).stored()),
                           {}, &error));
        FatturaPABatch batch(db);
        QVERIFY(batch.begin(&message));
        const auto first = write(1, batch, &message);
        QVERIFY2(first && *first != *orphan, qPrintable(message));
        QVERIFY(!write(2, batch, &message));
        QVERIFY2(message.contains("rifiutata"), qPrintable(message));
        const auto third = write(3, batch, &message);
        QVERIFY2(third, qPrintable(message));
        QVERIFY2(batch.commit(&message), qPrintable(message));
        const QMap<int, QString> sendings = sendingsOf(db, year);
        QCOMPARE(sendings.keys(), (QList<int>{1, 3}));
        QCOMPARE(sendings.value(1), QFileInfo(*first).fileName());
        QCOMPARE(sendings.value(3), QFileInfo(*third).fileName());
        QCOMPARE(recordedAsWritten(db, year), 2);
        QCOMPARE(archived(home, year).filter(".xml").size(), 3); // the orphan, 1 and 3
        QVERIFY(db.execute("DROP TRIGGER refuse_one", {}, &error));
    }

    // The period command writes what is left, never over the orphan.
    const Outcome outcome = run(wholeYear(home, year));
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QVERIFY(!outcome.out.contains(*orphan));
    QCOMPARE(pdftest::readFile(*orphan), orphanBytes);
    QCOMPARE(sendingsOf(db, year).size(), 3);
    QCOMPARE(recordedAsWritten(db, year), 3);
    {
        // Held by a batch, an invoice written already is still refused.
        FatturaPABatch batch(db);
        QVERIFY(batch.begin(&message));
        batch.hold({key(1).stored(), key(2).stored()});
        QCOMPARE(batch.heldWithLiveSending(key(1)), std::optional<bool>(true));
        QCOMPARE(batch.heldWithLiveSending(key(3)), std::nullopt);
        QVERIFY(!write(1, batch, &message));
        QVERIFY2(message.contains(" è già stata scritta il "), qPrintable(message));
    }

    // Another desk writing an invoice of a batch not yet committed waits
    // for it, or is turned away, but never records a second sending.
    QVERIFY(addCopies(db, year + 1, 1, &error));
    auto other = [year](int number) { return *DocumentKey::of(QDate(year + 1, 1, 1), number); };
    FatturaPABatch batch(db);
    QVERIFY(batch.begin(&message));
    batch.hold({other(1).stored()});
    QCOMPARE(batch.heldWithLiveSending(other(1)), std::optional<bool>(false));
    QVERIFY2(exportFatturaPA(db, settings, home, other(1), {}, &message, nullptr,
                             WriteAgain::Refuse, {}, nullptr, &batch),
             qPrintable(message));
    std::optional<QString> secondDesk;
    QString secondMessage;
    std::thread desk([&] {
        Database own;
        QString why;
        if (!openTestDatabase(own, home + "/falmide.db", &why)) {
            secondMessage = why;
            return;
        }
        secondDesk = exportFatturaPA(own, settings, home, other(1), {}, &secondMessage);
    });
    QThread::msleep(300);
    QVERIFY2(batch.commit(&message), qPrintable(message));
    desk.join();
    QVERIFY2(!secondDesk, qPrintable(*secondDesk));
    QVERIFY(!secondMessage.isEmpty());
    QCOMPARE(sendingsOf(db, year + 1).size(), 1);
}

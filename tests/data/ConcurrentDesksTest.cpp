#include "ConcurrentDesksTest.h"

#include "Client.h"
#include "FeeDocument.h"
#include "HeadingData.h"
#include "OlderSchema.h"
#include "ProgressivoInvio.h"
#include "RecordWrite.h"
#include "Recordset.h"
#include "Sendings.h"
#include "Supplier.h"

#include <QtTest>

namespace {

DocumentKey key(qint64 number)
{
    return *DocumentKey::of(QDate(2026, 1, 1), number);
}

// The version a desk loads the record of `key` with.
qint64 loadedVersion(Database& db, Table table, const QVariant& key)
{
    QString error;
    const auto records = Recordset::OpenTable(db, nameOf(table), &error);
    if (!records || !records->Seek(QStringLiteral("="), key) || records->NoMatch())
        return 0;
    return records->version();
}

// The text stored at `position` of the record of `key`; "-" when none is.
QString storedText(Database& db, Table table, const QVariant& key, int position)
{
    QString error;
    const auto records = Recordset::OpenTable(db, nameOf(table), &error);
    if (!records || !records->Seek(QStringLiteral("="), key) || records->NoMatch())
        return QStringLiteral("-");
    return records->text(position);
}

Sending written(qint64 counter)
{
    Sending s;
    s.invoice = key(1);
    s.counter = counter;
    s.progressive = sendingProgressive(counter).value_or(QString());
    s.fileName = fatturaPAFileName("01234567897", s.progressive);
    s.written = QDateTime(QDate(2026, 12, 7), QTime(11, 58));
    s.stateDate = s.written;
    return s;
}

FeeDocument invoice(qint64 number, const QString& subject)
{
    FeeDocument d;
    d.key = key(number);
    d.date = QDate(2026, 3, 2);
    d.clientCode = QStringLiteral("B1");
    d.subject = subject;
    return d;
}

} // namespace

void ConcurrentDesksTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_first = std::make_unique<Database>();
    m_second = std::make_unique<Database>();
    QString error;
    const QString path = m_dir->filePath("falmide.db");
    QVERIFY2(m_first->open(path, &error), qPrintable(error));
    QVERIFY2(m_second->open(path, &error), qPrintable(error));
}

void ConcurrentDesksTest::cleanup()
{
    m_second.reset();
    m_first.reset();
    m_dir.reset();
}

void ConcurrentDesksTest::savesCheckTheVersionLoaded_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<int>("edited");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<bool>("feminine");
    // Suppliers and pro-formas go the same way; namedRecordsSayWhoChanged
    // checks their own version columns.
    const QVariantList code{QStringLiteral("ROSSI"), QStringLiteral("ROSSI"),
                            QStringLiteral("Rossi Mario")};
    const QVariantList document{key(12).stored(), QDate(2026, 3, 2), 12, QStringLiteral("B1"),
                                QStringLiteral("Rilievo")};
    QTest::newRow("client") << int(Table::Clienti) << code << 2 << "Il cliente ROSSI" << false;
    QTest::newRow("invoice") << int(Table::Fatture) << document << 4 << "La fattura 12/2026"
                             << true;
    QTest::newRow("purchase") << int(Table::Movimenti) << document << 4 << "Il movimento 12/2026"
                              << false;
}

void ConcurrentDesksTest::savesCheckTheVersionLoaded()
{
    QFETCH(int, table);
    QFETCH(QVariantList, values);
    QFETCH(int, edited);
    QFETCH(QString, subject);
    QFETCH(bool, feminine);
    const Table t = Table(table);
    const RecordName name{subject, feminine};
    const QVariant k = values.first();
    QString why;
    qint64 first = 0;
    QCOMPARE(writeRecord(*m_first, t, values, SaveMode::AddOnly, name, &why, {}, &first),
             SaveResult::StoredNew);
    QCOMPARE(first, qint64(1));

    // The second desk loads it; the first changes it meanwhile.
    qint64 second = loadedVersion(*m_second, t, k);
    QCOMPARE(second, qint64(1));
    values[edited] = QStringLiteral("prima postazione");
    QCOMPARE(writeRecord(*m_first, t, values, SaveMode::AddOrReplace, name, &why, {}, &first),
             SaveResult::Replaced);
    QCOMPARE(first, qint64(2));

    // The second desk's save and delete are refused; nothing is overwritten.
    QVariantList typed = values;
    typed[edited] = QStringLiteral("seconda postazione");
    why.clear();
    QCOMPARE(writeRecord(*m_second, t, typed, SaveMode::AddOrReplace, name, &why, {}, &second),
             SaveResult::ChangedElsewhere);
    QCOMPARE(why, changedElsewhereText(name));
    QCOMPARE(second, qint64(1));
    QCOMPARE(deleteRecord(*m_second, t, k.toString(), &why, name, second),
             DeleteResult::ChangedElsewhere);
    QCOMPARE(storedText(*m_first, t, k, edited), QStringLiteral("prima postazione"));

    // Reloaded, its save goes ahead; the first desk's edit is now the stale one.
    second = loadedVersion(*m_second, t, k);
    QCOMPARE(writeRecord(*m_second, t, typed, SaveMode::AddOrReplace, name, &why, {}, &second),
             SaveResult::Replaced);
    QCOMPARE(second, qint64(3));
    QCOMPARE(deleteRecord(*m_first, t, k.toString(), &why, name, first),
             DeleteResult::ChangedElsewhere);
    QCOMPARE(storedText(*m_first, t, k, edited), QStringLiteral("seconda postazione"));

    // Deleted under the first desk's edit: its save stores nothing.
    QCOMPARE(deleteRecord(*m_second, t, k.toString(), &why, name, second), DeleteResult::Deleted);
    QCOMPARE(writeRecord(*m_first, t, values, SaveMode::AddOrReplace, name, &why, {}, &first),
             SaveResult::DeletedElsewhere);
    QCOMPARE(why, deletedElsewhereText(name));
    QCOMPARE(storedText(*m_first, t, k, edited), QStringLiteral("-"));
    why.clear();
    QCOMPARE(deleteRecord(*m_first, t, k.toString(), &why, name, first), DeleteResult::NotFound);
    QCOMPARE(why, deletedElsewhereText(name));
}

void ConcurrentDesksTest::namedRecordsSayWhoChanged()
{
    // What each kind of record is called when another desk changed or
    // deleted it.
    QString why;
    // A pro-forma's version stands where an invoice has its stamp duty.
    FeeDocuments proFormas(*m_first, FeeDocumentKind::ProForma);
    QCOMPARE(proFormas.save(invoice(3, "Rilievo"), SaveMode::AddOnly, &why), SaveResult::StoredNew);
    const auto proForma = proFormas.find(key(3), &why);
    QVERIFY(proForma && !proForma->stamp);
    QCOMPARE(proForma->version, qint64(1));
    QCOMPARE(FeeDocuments(*m_second, FeeDocumentKind::ProForma).remove(key(3), &why, 1),
             DeleteResult::Deleted);
    qint64 version = proForma->version;
    QCOMPARE(proFormas.save(*proForma, SaveMode::AddOrReplace, &why, &version),
             SaveResult::DeletedElsewhere);
    QCOMPARE(why, QStringLiteral("La parcella 3/2026 è stata eliminata da un'altra postazione."));

    Client client;
    client.code = QStringLiteral("rossi");
    client.name = QStringLiteral("Rossi Mario");
    QCOMPARE(Clients(*m_first).save(client, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    auto loaded = Clients(*m_second).find(QStringLiteral("ROSSI"), &why);
    QCOMPARE(loaded->version, qint64(1));
    QCOMPARE(Clients(*m_first).save(client, SaveMode::AddOrReplace, &why), SaveResult::Replaced);
    QCOMPARE(Clients(*m_second).save(*loaded, SaveMode::AddOrReplace, &why, &loaded->version),
             SaveResult::ChangedElsewhere);
    QCOMPARE(why, QStringLiteral("Il cliente ROSSI è stato modificato da un'altra postazione: "
                                 "ricaricarlo?"));
    QCOMPARE(Clients(*m_second).remove(QStringLiteral("ROSSI"), &why, loaded->version),
             DeleteResult::ChangedElsewhere);

    Supplier supplier;
    supplier.code = QStringLiteral("F1");
    QCOMPARE(Suppliers(*m_first).save(supplier, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    auto found = Suppliers(*m_second).find(QStringLiteral("F1"), &why);
    QCOMPARE(Suppliers(*m_first).remove(QStringLiteral("F1"), &why, 1), DeleteResult::Deleted);
    QCOMPARE(Suppliers(*m_second).save(*found, SaveMode::AddOrReplace, &why, &found->version),
             SaveResult::DeletedElsewhere);
    QCOMPARE(why, QStringLiteral("Il fornitore F1 è stato eliminato da un'altra postazione."));
}

void ConcurrentDesksTest::writesRacingALookUp()
{
    // Another desk writes between a desk's look-up and its write: the write
    // itself refuses, whatever the caller checked before.
    QString why;
    FeeDocuments invoices(*m_first, FeeDocumentKind::Invoice);
    QCOMPARE(invoices.save(invoice(12, "Rilievo"), SaveMode::AddOnly, &why), SaveResult::StoredNew);
    auto records = Recordset::OpenTable(*m_second, nameOf(Table::Fatture), &why);
    QVERIFY(records->Seek("=", key(12).stored()) && records->Edit());
    QVERIFY(records->setValue(int(FeeColumn::Subject), "seconda postazione"));
    QCOMPARE(invoices.save(invoice(12, "prima postazione"), SaveMode::AddOrReplace, &why),
             SaveResult::Replaced);
    QVERIFY(!records->Update());
    QCOMPARE(records->lastFailure(), Recordset::Failure::ChangedElsewhere);
    QVERIFY(records->Seek("=", key(12).stored()));
    QCOMPARE(invoices.save(invoice(12, "prima postazione"), SaveMode::AddOrReplace, &why),
             SaveResult::Replaced);
    QVERIFY(!records->Delete());
    QCOMPARE(records->lastFailure(), Recordset::Failure::ChangedElsewhere);
    QCOMPARE(invoices.find(key(12), &why)->subject, QStringLiteral("prima postazione"));
    QCOMPARE(invoices.find(key(12), &why)->version, qint64(3));

    // A new record whose key another desk stored after the look-up.
    QVERIFY(records->Seek("=", key(13).stored()) && records->NoMatch());
    records->AddNew();
    QVERIFY(records->setValue(0, key(13).stored()) &&
            records->setValue(int(FeeColumn::Date), QDate(2026, 3, 2)) &&
            records->setValue(int(FeeColumn::Subject), "seconda postazione"));
    QCOMPARE(invoices.save(invoice(13, "prima postazione"), SaveMode::AddOnly, &why),
             SaveResult::StoredNew);
    QVERIFY(!records->Update());
    QCOMPARE(records->lastFailure(), Recordset::Failure::KeyTaken);
    QCOMPARE(invoices.find(key(13), &why)->subject, QStringLiteral("prima postazione"));
}

void ConcurrentDesksTest::headingChangedElsewhere()
{
    QString error;
    auto mine = Recordset::OpenTable(*m_first, "datipers", &error);
    auto theirs = Recordset::OpenTable(*m_second, "datipers", &error);
    QStringList dati;
    QVERIFY(loadHeadingData(*m_first, &dati, &error));
    QVERIFY(saveHeadingData(*mine, {"Studio Rossi"}, &dati, &error));
    QVERIFY(!saveHeadingData(*theirs, {"Studio Bianchi"}, &dati, &error));
    QCOMPARE(theirs->lastFailure(), Recordset::Failure::ChangedElsewhere);
    QCOMPARE(error, QStringLiteral("L'intestazione è stata modificata da un'altra postazione: "
                                   "ricaricarla?"));
    QCOMPARE(dati.value(0), QStringLiteral("Studio Rossi"));
    // Read again, it is saved.
    QVERIFY(theirs->MoveFirst());
    QVERIFY(saveHeadingData(*theirs, {"Studio Bianchi"}, &dati, &error));
    QVERIFY(loadHeadingData(*m_first, &dati, &error));
    QCOMPARE(dati.value(0), QStringLiteral("Studio Bianchi"));
}

void ConcurrentDesksTest::sendingsAtOnce()
{
    // The second desk read the next counter; the first records a sending
    // under it before the second's is added: the second takes the next.
    QString error;
    Sendings first(*m_first);
    Sendings second(*m_second);
    QList<qint64> tried;
    Sending mine = written(0);
    const auto id = second.addUnderFreeCounter(
        &mine,
        [&](qint64 from, Sending* s, QString*) -> std::optional<qint64> {
            tried << from;
            if (tried.size() == 1 && !first.add(written(from), &error))
                return std::nullopt;
            *s = written(from);
            return from;
        },
        &error);
    QVERIFY2(id, qPrintable(error));
    QCOMPARE(tried, (QList<qint64>{1, 2}));
    QCOMPARE(mine.progressive, QStringLiteral("A0002"));
    const auto stored = second.byId(*id, &error);
    QCOMPARE(stored->counter, std::optional<qint64>(2));
    QCOMPARE(first.ofInvoice(key(1), &error)->size(), 2);

    // A counter given twice is refused by the table itself.
    bool taken = false;
    QVERIFY(!first.add(written(2), &error, &taken));
    QVERIFY(taken);
    QCOMPARE(first.ofInvoice(key(1), &error)->size(), 2);
}

void ConcurrentDesksTest::sendingStateChangedElsewhere()
{
    QString error;
    const auto id = Sendings(*m_first).add(written(1), &error);
    QVERIFY2(id, qPrintable(error));
    const auto read = Sendings(*m_second).byId(*id, &error);
    QCOMPARE(read->version, qint64(1));
    const QDateTime when(QDate(2026, 12, 8), QTime(10, 0));
    QVERIFY(Sendings(*m_first).setState(*id, SendingState::Delivered, when, "111", {}, &error,
                                        read->version));
    QVERIFY(!Sendings(*m_second).setState(*id, SendingState::Rejected, when, "222", {}, &error,
                                          read->version));
    QVERIFY2(error.contains("modificato da un'altra postazione"), qPrintable(error));
    const auto now = Sendings(*m_second).byId(*id, &error);
    QCOMPARE(now->state, SendingState::Delivered);
    QCOMPARE(now->version, qint64(2));
}

void ConcurrentDesksTest::versionSevenFileMigrated()
{
    QString error;
    m_second->close();
    QVERIFY2(dropRowVersions(*m_first, &error), qPrintable(error));
    QVERIFY(m_first->execute("UPDATE SchemaVersion SET Version = 7", {}, &error));
    QVERIFY(m_first->execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES "
                             "('ROSSI     ', 'ROSSI', 'Rossi Mario')",
                             {}, &error));
    QVERIFY(m_first->execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli) VALUES (?, "
                             "'2026-03-02', 12, 'ROSSI')",
                             {key(12).stored()}, &error));
    QVERIFY(Sendings(*m_first).add(written(5), &error));
    QVERIFY(Sendings(*m_first).add(written(5), &error)); // no unique counter yet
    QVERIFY(m_first->execute("DELETE FROM Invii WHERE Chiave = 2", {}, &error));
    const QString path = m_first->path();
    m_first->close();

    QVERIFY2(m_first->open(path, &error), qPrintable(error));
    QCOMPARE(m_first->schemaVersion(), kSchemaVersion);
    QCOMPARE(Clients(*m_first).find("rossi", &error)->version, qint64(1));
    auto stored = FeeDocuments(*m_first, FeeDocumentKind::Invoice).find(key(12), &error);
    QCOMPARE(stored->version, qint64(1));
    QCOMPARE(Sendings(*m_first).byId(1, &error)->version, qint64(1));
    bool taken = false;
    QVERIFY(!Sendings(*m_first).add(written(5), &error, &taken));
    QVERIFY(taken);
    stored->subject = QStringLiteral("Rilievo");
    QCOMPARE(FeeDocuments(*m_first, FeeDocumentKind::Invoice)
                 .save(*stored, SaveMode::AddOrReplace, &error, &stored->version),
             SaveResult::Replaced);
    QCOMPARE(stored->version, qint64(2));
}

#include "FeeDocumentTest.h"

#include "Client.h"
#include "FeeAmounts.h"
#include "FeeDocument.h"
#include "Schema.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include <QtTest>

namespace {

// Every column of an invoice or pro-forma in position order, after the key.
bool insert(Database& db, const QString& table, const QString& key, const QVariantList& columns)
{
    QString error;
    // The columns given by name: the row version after them takes its
    // default.
    QStringList names;
    for (qsizetype i = 0; i <= columns.size(); ++i)
        names << findTable(schemaTables(), table)->columns.at(std::size_t(i)).name;
    const QString marks = QStringLiteral(", ?").repeated(int(columns.size()));
    const bool ok = db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (?%3)")
                                   .arg(table, names.join(QLatin1Char(',')), marks),
                               QVariantList{key} + columns, &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

QVariantList fullInvoice(int number, const QString& date)
{
    return QVariantList{date, number, "R1", "Rilievo", "Tipo mappale", 100000, 22, 4, 20} +
           QVariantList{"2026-04-01", "A 30 giorni", 22880, 4000, 20000, 1550, 200} +
           QVariantList{"2026-04-02 09:30:00", "TD01", {}, {}, "RF19", "GEOMETRA", "TC04"};
}

} // namespace

void FeeDocumentTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = std::make_unique<Database>();
    QString error;
    QVERIFY2(openTestDatabase(*m_db, m_dir->filePath("falmide.db"), &error), qPrintable(error));
}

void FeeDocumentTest::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void FeeDocumentTest::keys_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("stored"); // "" when there is no key

    const auto row = [](const char* tag, QDate date, const char* number, const char* stored) {
        QTest::newRow(tag) << date << QString::fromLatin1(number) << QString::fromLatin1(stored);
    };
    const QDate march(2026, 3, 5);
    row("typed", march, "12", "2026        12");
    row("leading zeros", march, "0012", "2026        12");
    row("ten digits", march, "1 234 567 890", "20261234567890");
    row("eleven digits", march, "11234567890", "");
    row("letters", march, "12a", "");
    row("negative", march, "-5", "");
    row("blank", march, " ", "");
    row("no date", QDate(), "12", "");
    row("year of three digits", QDate(999, 1, 1), "7", "0999         7");
}

void FeeDocumentTest::keys()
{
    QFETCH(QDate, date);
    QFETCH(QString, number);
    QFETCH(QString, stored);
    const auto key = DocumentKey::of(date, number);
    QCOMPARE(key ? key->stored() : QString(), stored);
    if (key)
        QCOMPARE(DocumentKey::fromStored(stored), key);
    for (const char* bad : {"", "2024", "20a4         7", "2024        7x", "2024 12345678901"})
        QVERIFY2(!DocumentKey::fromStored(bad), bad);
}

void FeeDocumentTest::foundMissingAndLast()
{
    QVERIFY(insert(*m_db, "Fatture", "2026        12", fullInvoice(12, "2026-03-05")));
    QVERIFY(insert(*m_db, "Fatture", "2025        40", fullInvoice(40, "2025-12-30")));
    QVERIFY(insert(*m_db, "Parcelle", "2026        12", fullInvoice(12, "2026-03-05").mid(0, 15)));
    const FeeDocuments invoices(*m_db, FeeDocumentKind::Invoice);
    QString error;

    const auto found = invoices.find(*DocumentKey::of(QDate(2026, 1, 1), 12), &error);
    QVERIFY(found);
    QCOMPARE(found->key.stored(), QStringLiteral("2026        12"));
    QCOMPARE(found->date, QDate(2026, 3, 5));
    QCOMPARE(found->clientCode, QStringLiteral("R1"));
    QCOMPARE(found->subject + "|" + found->description + "|" + found->notes,
             QStringLiteral("Rilievo|Tipo mappale|A 30 giorni"));
    QCOMPARE(found->fee, Money::fromCents(100000));
    QCOMPARE(found->vatRate, 22);
    QCOMPARE(found->contributionRate, 4);
    QCOMPARE(found->withholdingRate, 20);
    QCOMPARE(found->paymentDate, QDate(2026, 4, 1));
    QCOMPARE(found->vat, Money::fromCents(22880));
    QCOMPARE(found->contribution, Money::fromCents(4000));
    QCOMPARE(found->withholding, Money::fromCents(20000));
    QCOMPARE(found->expenses, Money::fromCents(1550));
    QCOMPARE(found->stamp, Money::fromCents(200));
    QCOMPARE(found->xmlWritten, QDateTime(QDate(2026, 4, 2), QTime(9, 30)));
    QCOMPARE(found->regimeFiscale + "|" + found->tipoCassa, QStringLiteral("RF19|TC04"));
    QCOMPARE(found->profile, std::optional<FeeProfile>(FeeProfile::Geometra));
    QVERIFY(error.isEmpty());

    QVERIFY(!invoices.find(*DocumentKey::of(QDate(2026, 1, 1), 13), &error));
    QVERIFY(error.isEmpty());
    QVERIFY(!invoices.find(*DocumentKey::of(QDate(2024, 1, 1), 12), &error));
    QCOMPARE(invoices.count(&error), 2);
    // The latest year comes last, whatever its numbers.
    QCOMPARE(invoices.last(&error)->key.number(), 12);

    const FeeDocuments proFormas(*m_db, FeeDocumentKind::ProForma);
    const auto proForma = proFormas.find(*DocumentKey::of(QDate(2026, 1, 1), 12), &error);
    QVERIFY(proForma);
    QVERIFY(!proForma->stamp && proForma->xmlWritten.isNull());
    QCOMPARE(proForma->expenses, Money::fromCents(1550));
}

void FeeDocumentTest::nullColumns()
{
    QVariantList columns = fullInvoice(3, "2026-01-10");
    for (int i = 2; i < columns.size(); ++i)
        columns[i] = QVariant();
    QVERIFY(insert(*m_db, "Fatture", "2026         3", columns));
    QString error;
    const auto found = FeeDocuments(*m_db, FeeDocumentKind::Invoice)
                           .find(*DocumentKey::of(QDate(2026, 1, 10), 3), &error);
    QVERIFY(found);
    QCOMPARE(found->key.number(), 3);
    QCOMPARE(found->clientCode + found->subject + found->description + found->notes, QString());
    QVERIFY(!found->fee && !found->vat && !found->contribution && !found->withholding &&
            !found->expenses && !found->stamp);
    QVERIFY(!found->vatRate && !found->contributionRate && !found->withholdingRate);
    QVERIFY(found->paymentDate.isNull() && found->xmlWritten.isNull());
    QCOMPARE(FeeDocuments(*m_db, FeeDocumentKind::ProForma).last(&error), std::nullopt);
    QCOMPARE(FeeDocuments(*m_db, FeeDocumentKind::ProForma).count(&error), 0);
}

void FeeDocumentTest::amountsAndTotals()
{
    QVERIFY(insert(*m_db, "Fatture", "2026        12", fullInvoice(12, "2026-03-05")));
    QString error;
    const auto invoice = FeeDocuments(*m_db, FeeDocumentKind::Invoice)
                             .find(*DocumentKey::of(QDate(2026, 3, 5), 12), &error);
    QVERIFY(invoice);
    auto text = [](const std::optional<Money>& m) { return m ? m->plainText() : "none"; };
    // 1000 + 40 contribution + 228.80 VAT, 15.50 expenses and 2.00 stamp
    // duty outside VAT, 200 withheld.
    const FeeAmounts a = FeeAmounts::of(*invoice, FeeDocumentKind::Invoice);
    QCOMPARE(text(a.taxable()), "1040.00");
    QCOMPARE(text(a.outsideVat()), "17.50");
    QCOMPARE(text(a.total()), "1286.30");
    QCOMPARE(text(a.net()), "1086.30");
    QCOMPARE(text(a.netOfStamp()), "1084.30");
    QCOMPARE(text(a.netOfOutsideVat()), "1068.80");
    QCOMPARE(text(a.withholdingBase(FeeProfile::Geometra)), "1000.00");
    QCOMPARE(text(a.withholdingBase(FeeProfile::General)), "1040.00");
    // The same amounts on a pro-forma: it has no stamp duty.
    QCOMPARE(text(FeeAmounts::of(*invoice, FeeDocumentKind::ProForma).total()), "1284.30");
    QCOMPARE(text(FeeAmounts::of(FeeDocument(), FeeDocumentKind::Invoice).net()), "0.00");

    // The VAT is charged on the contribution as rounded: 1000.15 + 40.01.
    FeeAmounts typed;
    typed.fee = Money::fromCents(100015);
    QCOMPARE(text(typed.contributionAt(Rate::whole(4))), "40.01");
    typed.contribution = Money::fromCents(4001);
    QCOMPARE(text(typed.vatAt(Rate::whole(22))), "228.84");
    QCOMPARE(text(typed.withholdingAt(Rate::fromLeadingText("20"), FeeProfile::Geometra)),
             "200.03");
    QCOMPARE(text(typed.withholdingAt(Rate::fromLeadingText("20"), FeeProfile::General)), "208.03");
    QCOMPARE(text(typed.vatAt(Rate::fromLeadingText("0.5"))), "5.20");

    // Amounts read from fields of absurd length: a sum beyond 128 bits is
    // none, never a wrapped one.
    const Money huge = *Money::fromText(QString(36, QLatin1Char('9')), 36);
    FeeAmounts absurd;
    absurd.fee = absurd.contribution = absurd.vat = huge;
    QCOMPARE(text(absurd.taxable()), "none");
    QCOMPARE(text(absurd.net()), "none");
    QCOMPARE(text(absurd.withholdingBase(FeeProfile::Geometra)), huge.plainText());
}

void FeeDocumentTest::failureIsToldApartFromAbsence()
{
    QString error;
    QVERIFY(m_db->execute("DROP TABLE Parcelle", {}, &error));
    const FeeDocuments proFormas(*m_db, FeeDocumentKind::ProForma);
    QVERIFY(!proFormas.find(*DocumentKey::of(QDate(2026, 1, 1), 1), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!proFormas.count(&error));
    QVERIFY(!error.isEmpty());
}

void FeeDocumentTest::clientsSavedAndDeleted()
{
    const Clients clients(*m_db);
    QString why;
    Client c;
    c.code = "ab1";
    c.name = "Rossi Mario";
    c.notes = "Prima riga\nSeconda riga";
    QCOMPARE(clients.save(c, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    // Found as every code is, stored as the archive window stores it: the
    // key and the code in upper case, empty texts as Null.
    const auto found = clients.find("AB1 ", &why);
    QVERIFY2(found, qPrintable(why));
    QCOMPARE(found->code, QStringLiteral("AB1"));
    QCOMPARE(found->name + "|" + found->notes,
             QStringLiteral("Rossi Mario|Prima riga\nSeconda riga"));
    const auto stored = Snapshot::Open(*m_db, "SELECT Chiave, Indirizzo FROM Clienti", {}, &why);
    QVERIFY(stored && stored->RecordCount() == 1);
    QCOMPARE(stored->value(0).toString(), QStringLiteral("AB1       "));
    QVERIFY(stored->value(1).isNull());

    // A client made as new never takes the place of the stored one.
    c.name = "Bianchi";
    QCOMPARE(clients.save(c, SaveMode::AddOnly, &why), SaveResult::Refused);
    QCOMPARE(why, QStringLiteral("Il cliente AB1 è già in archivio"));
    QCOMPARE(clients.find("ab1", &why)->name, QStringLiteral("Rossi Mario"));
    QCOMPARE(clients.save(c, SaveMode::AddOrReplace, &why), SaveResult::Replaced);
    QCOMPARE(clients.find("ab1", &why)->name, QStringLiteral("Bianchi"));
    QCOMPARE(clients.count(&why), 1);

    // A text beyond its column is refused, nothing written.
    Client wide;
    wide.code = "C2";
    wide.postcode = "1234567";
    QCOMPARE(clients.save(wide, SaveMode::AddOnly, &why), SaveResult::Refused);
    QVERIFY(!why.isEmpty());
    QCOMPARE(clients.count(&why), 1);

    // A client an invoice names stays; one no document names goes.
    QVERIFY(insert(*m_db, "Fatture", "2026        12", fullInvoice(12, "2026-03-05")));
    QVERIFY(m_db->execute("UPDATE Fatture SET CodCli = 'AB1'", {}, &why));
    QCOMPARE(clients.remove("ab1", &why), DeleteResult::Refused);
    QVERIFY(why.contains("AB1"));
    QVERIFY(clients.find("AB1", &why));
    QVERIFY(m_db->execute("DELETE FROM Fatture", {}, &why));
    QCOMPARE(clients.remove("ab1", &why), DeleteResult::Deleted);
    QCOMPARE(clients.remove("ab1", &why), DeleteResult::NotFound);
    QCOMPARE(clients.count(&why), 0);
}

void FeeDocumentTest::documentsSavedAndDeleted()
{
    const FeeDocuments invoices(*m_db, FeeDocumentKind::Invoice);
    QString why;
    QVERIFY(insert(*m_db, "Fatture", "2026        12", fullInvoice(12, "2026-03-05")));
    FeeDocument d = *invoices.find(*DocumentKey::of(QDate(2026, 3, 5), 12), &why);
    QVERIFY(d.xmlWritten.isValid());

    // Replaced as it was read: every column the same, the time its
    // electronic invoice was written kept.
    d.clientCode = "r1";
    QCOMPARE(invoices.save(d, SaveMode::AddOrReplace, &why), SaveResult::Replaced);
    const auto row = Snapshot::Open(*m_db, "SELECT * FROM Fatture", {}, &why);
    QVERIFY(row && row->RecordCount() == 1);
    const QVariantList expected = QVariantList{"2026        12"} + fullInvoice(12, "2026-03-05");
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(row->value(i).toString(), expected.at(i).toString());

    // As new under a stored key: refused, the stored one unchanged.
    d.subject = "Altro";
    QCOMPARE(invoices.save(d, SaveMode::AddOnly, &why), SaveResult::Refused);
    QCOMPARE(why, QStringLiteral("La fattura 12/2026 è già in archivio"));
    QCOMPARE(invoices.find(d.key, &why)->subject, QStringLiteral("Rilievo"));

    // A new one with nothing but its key and date: Null amounts and rates.
    FeeDocument bare;
    bare.key = *DocumentKey::of(QDate(2026, 4, 1), 13);
    bare.date = QDate(2026, 4, 1);
    QCOMPARE(invoices.save(bare, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    const auto back = invoices.find(bare.key, &why);
    QVERIFY(back && !back->fee && !back->vatRate && !back->stamp && back->xmlWritten.isNull());

    // A date outside the key's year, or a pro-forma's key in the invoices:
    // each table on its own.
    FeeDocument wrongYear = bare;
    wrongYear.date = QDate(2025, 12, 31);
    QCOMPARE(invoices.save(wrongYear, SaveMode::AddOrReplace, &why), SaveResult::Refused);
    const FeeDocuments proFormas(*m_db, FeeDocumentKind::ProForma);
    QCOMPARE(proFormas.save(bare, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    QCOMPARE(invoices.count(&why), 2);

    QCOMPARE(invoices.remove(bare.key, &why), DeleteResult::Deleted);
    QCOMPARE(invoices.remove(bare.key, &why), DeleteResult::NotFound);
    QCOMPARE(proFormas.count(&why), 1);
}

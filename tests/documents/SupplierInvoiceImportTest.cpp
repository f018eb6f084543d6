#include "SupplierInvoiceImportTest.h"

#include "Purchase.h"
#include "ReceivedInvoice.h"
#include "ReceivedInvoices.h"
#include "Snapshot.h"
#include "Supplier.h"
#include "SupplierInvoiceImport.h"
#include "SupplierInvoiceXml.h"

#include "InvoiceSamples.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

using namespace samples;
using namespace supplierxml;

namespace {

const QDate kToday(2026, 12, 8);

Database& database(TestDataFolder& data)
{
    return data.context().DbArchivi;
}

std::optional<Purchase> purchase(Database& db, int year, qint64 number)
{
    QString error;
    const auto found =
        Snapshot::Open(db, "SELECT * FROM Movimenti WHERE Chiave = ?",
                       {DocumentKey::of(QDate(year, 1, 1), number)->stored()}, &error);
    if (!found || found->RecordCount() != 1)
        return std::nullopt;
    return Purchase::fromColumns(found->rows().constFirst());
}

// What the tables and the kept files hold, to see that a refusal changed
// nothing.
QString state(TestDataFolder& data)
{
    QString error;
    QStringList counts;
    for (const char* table : {"Movimenti", "Fornitori", "FattureRicevute"})
        counts << QString::number(Snapshot::Open(database(data),
                                                 QStringLiteral("SELECT * FROM %1").arg(table), {},
                                                 &error)
                                      ->RecordCount());
    QDirIterator files(data.filePath("Ricevute"), QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (files.hasNext())
        counts << QDir(data.path()).relativeFilePath(files.next());
    return counts.join(' ');
}

File withNumber(const QString& number)
{
    File f = twoRatesAndN1();
    f.bodies[0].number = number;
    return f;
}

} // namespace

void SupplierInvoiceImportTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(database(m_data).execute("UPDATE datipers SET PartitaIVA = '09876543217'", {}, &error),
             qPrintable(error));
}

void SupplierInvoiceImportTest::cleanup()
{
    m_data.tearDown();
}

void SupplierInvoiceImportTest::amounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("cents"); // -1: refused
    QTest::newRow("two decimals") << "1234.50" << qint64(123450);
    QTest::newRow("negative") << "-12.30" << qint64(-1230);
    QTest::newRow("whole") << "7" << qint64(700);
    QTest::newRow("one decimal") << "0.5" << qint64(50);
    QTest::newRow("zeros beyond the cents") << "12.3400" << qint64(1234);
    QTest::newRow("a fraction of a cent") << "12.345" << qint64(-1);
    QTest::newRow("comma") << "12,50" << qint64(-1);
    QTest::newRow("exponent") << "1e3" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
    QTest::newRow("binary float's trap") << "0.29" << qint64(29);
}

void SupplierInvoiceImportTest::amounts()
{
    QFETCH(QString, text);
    QFETCH(qint64, cents);
    const auto amount = fatturaPAAmount(text);
    QCOMPARE(amount ? *amount->cents() : -1, cents);
}

void SupplierInvoiceImportTest::twoRatesAndNatureIntoPurchases()
{
    Database& db = database(m_data);
    QString error;
    // Purchases before it: the next number of 2026 is 12. A supplier of
    // another VAT number already has the code the name gives.
    QVERIFY(db.execute("INSERT INTO Movimenti (Chiave, Data, Numero, CodFor, Imponibile) VALUES "
                       "(?, '2026-10-01', 11, 'ALTRO', 100)",
                       {DocumentKey::of(QDate(2026, 1, 1), 11)->stored()}, &error));
    QCOMPARE(
        Suppliers(db).save({"ROSSISRL", "Rossi Srl di Livorno", {}, {}, {}, "11111111115", {}, {}},
                           SaveMode::AddOnly, &error),
        SaveResult::StoredNew);

    const QByteArray xml = supplierxml::xml(twoRatesAndN1());
    const auto r =
        importSupplierInvoice(db, m_data.path(), "/tmp/IT01234567890_00001.xml", xml, kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.message, QStringLiteral("IT01234567890_00001.xml: fattura 15/A del 03/11/2026 di "
                                       "Rossi Srl registrata come movimenti 2026/00012, "
                                       "2026/00013 (nuovo fornitore ROSSISRL2)"));
    QVERIFY(r.signature.isEmpty());
    QCOMPARE(r.purchases.size(), 2);

    const Supplier made = Suppliers(db).find("ROSSISRL2", &error).value();
    QCOMPARE(QStringList({made.name, made.address, made.town, made.postcode, made.vatNumber}),
             QStringList({"Rossi Srl", "Via Roma 12", "Pisa (PI)", "56100", "01234567890"}));

    // 22 %: the two summaries together, with the amount outside VAT.
    const Purchase first = purchase(db, 2026, 12).value();
    QCOMPARE(first.date, QDate(2026, 11, 3));
    QCOMPARE(first.supplierCode, QStringLiteral("ROSSISRL2"));
    QCOMPARE(first.taxable, Money::fromCents(120050));
    QVERIFY(first.vatRate->numerator == 22 * first.vatRate->denominator);
    QCOMPARE(first.vat(), Money::fromCents(26411));
    QCOMPARE(first.exempt, Money::fromCents(5000));
    QCOMPARE(first.deductible(), Money::fromCents(120050)); // deductibility 1
    QCOMPARE(first.description, QStringLiteral("Fatt. 15/A del 03/11/2026 – Rilievo topografico"));
    QVERIFY2(first.notes.contains("Ricevute/2026/IT01234567890_00001.xml"),
             qPrintable(first.notes));
    const Purchase second = purchase(db, 2026, 13).value();
    QCOMPARE(second.taxable, Money::fromCents(30000));
    QCOMPARE(second.vat(), Money::fromCents(3000));
    QVERIFY(!second.exempt);

    const auto record = ReceivedInvoices(db).byFile(
        QString::fromLatin1(QCryptographicHash::hash(xml, QCryptographicHash::Sha256).toHex()),
        &error);
    QVERIFY2(record, qPrintable(error));
    QCOMPARE(record->number, QStringLiteral("15/A"));
    QCOMPARE(record->vatNumber, QStringLiteral("01234567890"));
    QCOMPARE(record->purchases, r.purchases);

    // The same supplier again, found by its VAT number whatever its name
    // now; its deductibility is that of its latest purchase.
    QVERIFY(db.execute("UPDATE Movimenti SET Deducibilita = 0.5 WHERE Numero = 13", {}, &error));
    File next = withNumber("16/A");
    next.supplierName = "Rossi S.r.l.";
    next.bodies[0].summaries = {{"22.00", "", "100.00", "22.01"}};
    const auto again = importSupplierInvoice(db, m_data.path(), "IT01234567890_00002.xml",
                                             supplierxml::xml(next), kToday);
    QVERIFY2(again.imported, qPrintable(again.message));
    QCOMPARE(again.message, QStringLiteral("IT01234567890_00002.xml: fattura 16/A del "
                                           "03/11/2026 di Rossi S.r.l. registrata come "
                                           "movimento 2026/00014"));
    const Purchase third = purchase(db, 2026, 14).value();
    QCOMPARE(third.supplierCode, QStringLiteral("ROSSISRL2"));
    QCOMPARE(third.deductible(), Money::fromCents(5000));
    // The supplier's VAT differs from the rate's by a cent: said in the notes.
    QVERIFY2(third.notes.contains("IVA 22.00% indicata nella fattura: 22,01"),
             qPrintable(third.notes));
}

void SupplierInvoiceImportTest::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");

    File renamed = twoRatesAndN1();
    renamed.bodies[0].firstLine = "Altro testo";
    QTest::newRow("the same number and date in another file")
        << "IT01234567890_00009.xml" << supplierxml::xml(renamed)
        << "IT01234567890_00009.xml: la fattura 15/A del 03/11/2026 di Rossi Srl è già stata "
           "importata il 08/12/2026 dal file Ricevute/2026/IT01234567890_00001.xml";
    File elsewhere = withNumber("20");
    elsewhere.customerVat = "11111111115";
    QTest::newRow("addressed to another studio")
        << "altro.xml" << supplierxml::xml(elsewhere)
        << "altro.xml: non è indirizzata a questo studio (destinatario 11111111115)";
    File unreadable = withNumber("21");
    unreadable.bodies[0].summaries[1].taxable = "300,00";
    QTest::newRow("an amount that cannot be read")
        << "importo.xml" << supplierxml::xml(unreadable)
        << "importo.xml: importo non leggibile in ImponibileImporto: \"300,00\"";
    File dollars = withNumber("23");
    dollars.bodies[0].currency = "USD";
    QTest::newRow("not in euro") << "dollari.xml" << supplierxml::xml(dollars)
                                 << "dollari.xml: la fattura 23 del 03/11/2026 di Rossi Srl è "
                                    "in USD: si registrano solo fatture in euro";
    QTest::newRow("a kept file of that name with other contents")
        << "IT01234567890_00001.xml" << supplierxml::xml(withNumber("24"))
        << "IT01234567890_00001.xml: in Ricevute/2026 c'è già un file con questo nome e un "
           "contenuto diverso; rinominare il file da importare";
    File batch = withNumber("25");
    batch.bodies << batch.bodies.first();
    batch.bodies[1].number = "15/a";
    QTest::newRow("a batch with one invoice already imported")
        << "lotto.xml" << supplierxml::xml(batch)
        << "lotto.xml: la fattura 15/a del 03/11/2026 di Rossi Srl è già stata importata il "
           "08/12/2026 dal file Ricevute/2026/IT01234567890_00001.xml";
    QTest::newRow("neither XML nor signed")
        << "binario.xml.p7m" << QByteArray("\x01\x02garbage")
        << "binario.xml.p7m: non è né un file XML né un file firmato (.p7m)";
}

void SupplierInvoiceImportTest::refusalsChangeNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    Database& db = database(m_data);
    const auto first = importSupplierInvoice(db, m_data.path(), "IT01234567890_00001.xml",
                                             supplierxml::xml(twoRatesAndN1()), kToday);
    QVERIFY2(first.imported, qPrintable(first.message));
    const QString before = state(m_data);

    const auto r = importSupplierInvoice(db, m_data.path(), name, data, kToday);
    QVERIFY(!r.imported);
    QCOMPARE(r.message, message);
    QVERIFY(r.purchases.isEmpty());
    QCOMPARE(state(m_data), before);
}

void SupplierInvoiceImportTest::signedFilesOpened()
{
    Database& db = database(m_data);
    // A signer of its own, trusted only when SSL_CERT_FILE names it.
    QString problem;
    const QStringList signer = signerOf(m_data.path(), "Fornitore di prova", &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    auto sign = [&](const QString& number, const QString& name) {
        const QString plain = m_data.filePath(name + ".plain");
        put(plain, supplierxml::xml(withNumber(number)));
        const QString p7m = m_data.filePath(name);
        const auto [done, said] =
            run("openssl", signer + QStringList{"-nodetach", "-in", plain, "-out", p7m});
        return done == 0 ? contents(p7m) : QByteArray(qPrintable(said));
    };

    const QByteArray untrusted = sign("31", "IT01234567890_00031.xml.p7m");
    auto r =
        importSupplierInvoice(db, m_data.path(), "IT01234567890_00031.xml.p7m", untrusted, kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.signature, QStringLiteral("firma non verificata: firma integra di Fornitore di "
                                         "prova, certificato non riconosciuto (self-signed "
                                         "certificate)"));
    // The envelope is what is kept.
    QCOMPARE(contents(m_data.filePath("Ricevute/2026/IT01234567890_00031.xml.p7m")), untrusted);
    QString error;
    QCOMPARE(ReceivedInvoices(db)
                 .bySupplierInvoice("01234567890", {}, "31", QDate(2026, 11, 3), &error)
                 ->signature,
             r.signature);

    // Trusted: the chain is checked, and said so. Saved as base64 text.
    qputenv("SSL_CERT_FILE", m_data.filePath("firma.crt").toLocal8Bit());
    const QByteArray trusted = sign("32", "IT01234567890_00032.xml.p7m").toBase64();
    r = importSupplierInvoice(db, m_data.path(), "IT01234567890_00032.xml.p7m", trusted, kToday);
    qunsetenv("SSL_CERT_FILE");
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.signature, QStringLiteral("firma verificata: Fornitore di prova"));

    // Changed after signing: the content is still read, the signature is
    // said not to match.
    QByteArray tampered = sign("33", "IT01234567890_00033.xml.p7m");
    const qsizetype at = tampered.indexOf("Rilievo");
    QVERIFY(at > 0);
    tampered[at] = 'r';
    r = importSupplierInvoice(db, m_data.path(), "IT01234567890_00033.xml.p7m", tampered, kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.signature,
             QStringLiteral("firma non verificata: la firma non corrisponde al contenuto"));
    QCOMPARE(purchase(db, 2026, r.purchases.first().number())->description,
             QStringLiteral("Fatt. 33 del 03/11/2026 – rilievo topografico"));
}

void SupplierInvoiceImportTest::creditNotesAndBatches()
{
    Database& db = database(m_data);
    // A credit note: its amounts negative, exempt only when it has no rate.
    File note;
    note.bodies = {Body{"NC3",
                        "2026-11-20",
                        "TD04",
                        "EUR",
                        "Storno parziale",
                        {{"0.00", "N2.2", "40.00", "0.00"}}}};
    auto r = importSupplierInvoice(db, m_data.path(), "IT01234567890_00040.xml",
                                   supplierxml::xml(note), kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.message, QStringLiteral("IT01234567890_00040.xml: nota di credito NC3 del "
                                       "20/11/2026 di Rossi Srl registrata come movimento "
                                       "2026/00001 (nuovo fornitore ROSSISRL)"));
    Purchase p = purchase(db, 2026, 1).value();
    QVERIFY(!p.taxable && !p.vatRate);
    QCOMPARE(p.exempt, Money::fromCents(-4000));
    QCOMPARE(p.description, QStringLiteral("Nota di credito NC3 del 20/11/2026 – Storno parziale"));

    note.bodies[0].number = "NC4";
    note.bodies[0].summaries = {{"22.00", "", "100.00", "22.00"}};
    r = importSupplierInvoice(db, m_data.path(), "IT01234567890_00041.xml", supplierxml::xml(note),
                              kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    p = purchase(db, 2026, 2).value();
    QCOMPARE(p.taxable, Money::fromCents(-10000));
    QCOMPARE(p.vat(), Money::fromCents(-2200));

    // A batch, no prefix on its root: each body its own invoice and record,
    // numbered one after another; a type the program does not know is read
    // as an invoice and said so. The year of the first names the folder.
    File batch;
    batch.prefix.clear();
    batch.bodies = {
        Body{"101", "2025-12-30", "TD01", "EUR", "Cancelleria", {{"22.00", "", "10.00", "2.20"}}},
        Body{"102",
             "2026-01-02",
             "TD17",
             "EUR",
             "Servizi dall'estero",
             {{"4.00", "", "25.00", "1.00"}, {"5.00", "", "20.00", "1.00"}}}};
    r = importSupplierInvoice(db, m_data.path(), "lotto.xml", supplierxml::xml(batch), kToday);
    QVERIFY2(r.imported, qPrintable(r.message));
    QCOMPARE(r.message, QStringLiteral("lotto.xml: fattura 101 del 30/12/2025 di Rossi Srl "
                                       "registrata come movimento 2025/00001; fattura 102 del "
                                       "02/01/2026 di Rossi Srl registrata come movimenti "
                                       "2026/00003, 2026/00004"));
    QVERIFY(QFile::exists(m_data.filePath("Ricevute/2025/lotto.xml")));
    p = purchase(db, 2026, 3).value();
    QCOMPARE(p.taxable, Money::fromCents(2500));
    QCOMPARE(p.vat(), Money::fromCents(100));
    QVERIFY2(p.notes.contains("Fattura 2 di 2 del lotto") &&
                 p.notes.contains("Tipo documento TD17, registrato come fattura"),
             qPrintable(p.notes));
    QCOMPARE(purchase(db, 2026, 4)->vat(), Money::fromCents(100));
    QString error;
    QCOMPARE(Snapshot::Open(db, "SELECT * FROM FattureRicevute", {}, &error)->RecordCount(), 4);
}

#include "ConsultaRulesTest.h"

#include "ConsultaRules.h"
#include "IniFile.h"
#include "InvoiceFixture.h"

#include "Database.h"
#include "SqlDialect.h"
#include "TestDatabase.h"

#include <QSqlQuery>
#include <QtTest>

using namespace consulta;

void ConsultaRulesTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void ConsultaRulesTest::cleanup()
{
    m_data.tearDown();
}

void ConsultaRulesTest::filtersOnTheDatabase()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    // An empty table: only the "every year" entry and no invoices.
    QCOMPARE(*RiempiAnni(db, "Fatture", &error), QStringList{QString()});
    QVERIFY(AggiornaElenco(db, "Fatture", "", "", &error)->keys.isEmpty());

    QVERIFY(addClient(db, "C1", "Rossi Mario"));
    QVERIFY(addClient(db, "O'B", "O'Brien Ltd"));
    QVERIFY(addClient(db, "N0", QVariant()));
    QVERIFY(addInvoice(db, {2023, 5, 2}, 1, "C1", 10000));
    QVERIFY(addInvoice(db, {2023, 6, 2}, 2, "N0", 20000));
    QVERIFY(addInvoice(db, {2024, 1, 9}, 1, "o'b", 30000));
    QVERIFY(addInvoice(db, {2024, 2, 9}, 2, QVariant(), QVariant()));
    QVERIFY(addInvoice(db, {2024, 3, 9}, 3, "ZZ", 50000)); // no such client

    QCOMPARE(*RiempiAnni(db, "Fatture", &error), (QStringList{"", "2023", "2024"}));

    // Every year: every client once, never a Null code; the name beside it.
    auto clients = RiempiClienti(db, "", &error);
    QStringList entries;
    for (const ClientChoice& c : *clients)
        entries << c.entry;
    QCOMPARE(entries, (QStringList{"", "C1         - Rossi Mario", "N0         -  ",
                                   "ZZ         - ", "o'b        - O'Brien Ltd"}));
    clients = RiempiClienti(db, "2023", &error);
    QCOMPARE(clients->size(), 3);
    QCOMPARE(clients->at(2).code, QStringLiteral("N0"));

    const auto all = AggiornaElenco(db, "Fatture", "", "", &error);
    QCOMPARE(all->keys.size(), 5);
    QCOMPARE(all->totalFees, qint64(110000)); // the Null fee counts as nothing
    QCOMPARE(AggiornaElenco(db, "Fatture", "2024", "", &error)->keys.size(), 3);
    // A quote in a code is a plain character, matched regardless of case.
    const auto found = AggiornaElenco(db, "Fatture", "", "O'B", &error);
    QCOMPARE(found->keys.size(), 1);
    QCOMPARE(found->totalFees, qint64(30000));
    QVERIFY(AggiornaElenco(db, "Fatture", "", "x' OR '1'='1", &error)->keys.isEmpty());
    QVERIFY(AggiornaElenco(db, "Fatture", "2023", "o'b", &error)->keys.isEmpty());
    QCOMPARE(AggiornaElenco(db, "Fatture", "2023", "c1 ", &error)->keys.size(), 1);

    // Rows read back in the order asked for; a vanished row reads empty.
    const auto records =
        invoiceRecords(db, "Fatture", {all->keys.at(2), "9999", all->keys.at(0)}, &error);
    QCOMPARE(records->size(), 3);
    QCOMPARE(records->at(0).clientCode, QStringLiteral("o'b"));
    QVERIFY(!records->at(1).key.isValid() && !records->at(1).fee);
    QCOMPARE(records->at(2).date, QDate(2023, 5, 2));

    // An invoice stored anew under its key while the list is open (deleted
    // and saved again) is still the one its row shows.
    QVERIFY(db.execute("DELETE FROM Fatture WHERE Numero = 1 AND Data LIKE '2023%'", {}, &error));
    QVERIFY(addInvoice(db, {2023, 5, 3}, 1, "C1", 10500));
    const auto again = invoiceRecords(db, "Fatture", all->keys.mid(0, 128), &error);
    QCOMPARE(again->size(), 5);
    QCOMPARE(again->at(0).date, QDate(2023, 5, 3));
    QVERIFY(again->at(0).fee == Money::fromCents(10500));
    QVERIFY(all->keys.mid(5, 1).isEmpty() && all->keys.at(5).isEmpty());

    // A credit note takes its fee off the total; the fee notes have no
    // type. A failed read is no empty list.
    QVERIFY2(
        db.execute("UPDATE Fatture SET TipoDocumento = ? WHERE CodCli = ?", {"TD04", "N0"}, &error),
        qPrintable(error));
    QCOMPARE(AggiornaElenco(db, "Fatture", "", "", &error)->totalFees, qint64(70500));
    QVERIFY2(AggiornaElenco(db, "Parcelle", "", "", &error)->keys.isEmpty(), qPrintable(error));
    error.clear();
    QVERIFY(!AggiornaElenco(db, "Nessuna", "", "", &error));
    QVERIFY(!error.isEmpty());

    // The keys are kept as UTF-8 and come back as they went in.
    KeyList keys;
    keys.append(u"2024 città");
    keys.appendUtf8("2024         2");
    keys.append(u"");
    QCOMPARE(keys.size(), 3);
    QCOMPARE(keys.at(0), QStringLiteral("2024 città"));
    QCOMPARE(keys.mid(1, 5), (QStringList{"2024         2", ""}));
    QVERIFY(keys.at(-1).isEmpty() && keys.mid(3, 1).isEmpty());

    // On a million invoices the lists must not read every row: the clients
    // go from code to code through their index, the invoices come from the
    // covering one.
    if (!testsOnServer()) {
        const auto plan = [&](const SqlStatement& s) {
            QSqlQuery q(db.connection());
            QStringList steps;
            q.prepare("EXPLAIN QUERY PLAN " + s.sql);
            for (const QVariant& v : s.values)
                q.addBindValue(v);
            if (q.exec())
                while (q.next())
                    steps << q.value(3).toString();
            return steps.join('|');
        };
        const QString clientsPlan =
            plan(consulta::clientsStatement(db.dialect(), "Fatture", "2024"));
        QVERIFY2(clientsPlan.contains("INDEX Fatture_CodCli") &&
                     !clientsPlan.contains("SCAN Fatture") &&
                     !clientsPlan.contains("SCAN TABLE Fatture"),
                 qPrintable(clientsPlan));
        const QString invoicesPlan =
            plan(consulta::invoicesStatement(db.dialect(), "Fatture", "2024", ""));
        QVERIFY2(invoicesPlan.contains("COVERING INDEX Fatture_Chiave_Onorario"),
                 qPrintable(invoicesPlan));
    }
}

void ConsultaRulesTest::yearSteps_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("next"); // "-": nothing further
    // Keys made by hand (no year) step to the first run of four digits above them.
    const char* const rows[][4] = {
        {"invoice", "2026        12", "2026", "2027"},
        {"last of a decade", "20299999999999", "2029", "202:"},
        {"year 9999", "9999         1", "9999", "999:"},
        {"early year", "0999         1", "0999", "099:"},
        {"letter after digits", "20a5", "", "2100"},
        {"blank after digits", "20 5", "", "2000"},
        {"short digits", "20", "", "2000"},
        {"carry", "199x", "", "2000"},
        {"nothing above nines", "99z", "", "-"},
        {"letters", "ABC", "", "-"},
    };
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]);
}

void ConsultaRulesTest::yearSteps()
{
    QFETCH(QString, key);
    QFETCH(QString, year);
    QFETCH(QString, next);
    const YearStep step = yearStep(key);
    QCOMPARE(step.year, year);
    QCOMPARE(step.next.value_or("-"), next);
    if (step.next)
        QVERIFY(*step.next > key);
}

// The year list and the year filter on several years, with the first and the
// last key a year can have, and keys that only a hand-edited file holds.
void ConsultaRulesTest::yearsFollowTheKey()
{
    Database& db = m_data.context().DbArchivi;
    QString error;
    QVERIFY(addInvoice(db, {2023, 12, 31}, 1, "C1", 100));
    QVERIFY(addInvoice(db, {2024, 1, 1}, 0, "C2", 200)); // "2024         0"
    QVERIFY(addInvoice(db, {2025, 1, 1}, 1, "C4", 400));
    QVERIFY(addInvoice(db, {2029, 12, 31}, 5, "C5", 500));
    QVERIFY(addInvoice(db, {2030, 1, 1}, 1, "C6", 600));
    auto addRaw = [&db](const QString& key, const QVariant& date, const QString& client = "X",
                        qint64 fee = 1) {
        QString error;
        return db.execute(
            "INSERT INTO Fatture (Chiave, Data, CodCli, Onorario) VALUES (?, ?, ?, ?)",
            {key, date, client, fee}, &error);
    };
    QVERIFY(addRaw("20249999999999", "2024-12-31", "C3", 300)); // the widest number
    // Dated in another year than its key says, or not dated at all: listed
    // by the key. Keys that do not start with a year make no year.
    QVERIFY(addRaw("2026         1", "2027-03-01"));
    QVERIFY(addRaw("2028         1", QVariant()));
    for (const char* key : {"20a5", " 77", "ZZZ", "99", "199x"})
        QVERIFY(addRaw(key, "2024-05-05"));

    QCOMPARE(*RiempiAnni(db, "Fatture", &error),
             (QStringList{"", "2023", "2024", "2025", "2026", "2028", "2029", "2030"}));
    auto clientsOf = [&](const QString& year) {
        QStringList codes;
        const auto clients = RiempiClienti(db, year, &error);
        for (const ClientChoice& c : *clients)
            codes << c.code;
        return codes;
    };
    auto feesOf = [&](const QString& year) {
        return AggiornaElenco(db, "Fatture", year, "", &error)->totalFees;
    };
    QCOMPARE(clientsOf("2024"), (QStringList{"", "C2", "C3"}));
    QCOMPARE(feesOf("2024"), qint64(500));
    QCOMPARE(feesOf("2023"), qint64(100));
    QCOMPARE(feesOf("2029"), qint64(500));
    QCOMPARE(feesOf("2030"), qint64(600));
    QCOMPARE(clientsOf("2026"), (QStringList{"", "X"}));
    QCOMPARE(feesOf("2027"), qint64(0));
    QCOMPARE(AggiornaElenco(db, "Fatture", "", "", &error)->keys.size(), 13);
    QCOMPARE(clientsOf("").size(), 8);
}

void ConsultaRulesTest::cellsAndTotal()
{
    QVariantList invoice{"2024         7", QDate(2024, 3, 15), 7, "C1", "Rilievo"};
    invoice << QString("prima riga\nseconda") << qint64(123450) << 22 << 4 << 20 << QVariant()
            << QVariant() << qint64(0) << qint64(-5) << qint64(100000000) << QVariant()
            << qint64(200) << QString("2026-12-07 11:58:30");
    // The sending's state, last, comes from the grid's model.
    const QStringList italian =
        QString("7|15/03/2024|7|C1|Rilievo|prima riga seconda|1.234,50|22|4|20|||0,00|-0,05|"
                "1.000.000,00||07/12/2026 11:58|")
            .split('|');
    const FeeDocument record = FeeDocument::fromColumns(invoice);
    for (int c = 0; c < kColumnCount; ++c)
        QCOMPARE(cellText(record, 6, c, ".", ","), italian.at(c));
    QCOMPARE(cellText(record, 0, 6, ",", "."), QStringLiteral("1,234.50"));

    QCOMPARE(headers().size(), kColumnCount);
    QCOMPARE(headers().at(10), QStringLiteral("Data pag."));
}

void ConsultaRulesTest::handEditedLayout()
{
    const QString file = m_data.context().settingsFile();
    Layout layout = readLayout(Settings(file), 1);
    QCOMPARE(layout.widths.size(), kColumnCount);
    QVERIFY(!layout.widths.at(0).has_value());
    QCOMPARE(layout.tipo, 0);

    // Written and read back is the window's test; hand-edited values that
    // make no width or no listed type are ignored.
    ScriviIni("Consulta", "Richieste2", file, "largo");
    ScriviIni("Consulta", "Richieste3", file, "0");
    ScriviIni("Consulta", "Tipo", file, "5");
    layout = readLayout(Settings(file), 1);
    QVERIFY(!layout.widths.at(2).has_value());
    QVERIFY(!layout.widths.at(3).has_value());
    QCOMPARE(layout.tipo, 0);
}

void ConsultaRulesTest::wheelSteps()
{
    // Towards the user scrolls down 3 rows, away up 3, within the rows.
    QCOMPARE(wheelTopRow(10, -120, 100, 20), 13);
    QCOMPARE(wheelTopRow(10, 120, 100, 20), 7);
    QCOMPARE(wheelTopRow(1, 120, 100, 20), 0);
    QCOMPARE(wheelTopRow(98, -120, 100, 20), 99);
    QCOMPARE(wheelTopRow(10, 0, 100, 20), 10);
    // With only two rows in view the step shrinks so the next row is seen.
    QCOMPARE(wheelTopRow(10, -120, 100, 2), 11);
}

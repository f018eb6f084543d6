#include "FeeDocumentTest.h"

#include "Client.h"
#include "FeeDocument.h"
#include "InvoiceRegime.h"
#include "Snapshot.h"
#include "TestDatabase.h"

#include "OlderSchema.h"
#include <QFile>

#include <QtTest>

namespace {

DocumentKey key(int year, qint64 number)
{
    return *DocumentKey::of(QDate(year, 1, 1), number);
}

FeeDocument invoice(int year, qint64 number)
{
    FeeDocument d;
    d.key = key(year, number);
    d.date = QDate(year, 3, 2);
    d.clientCode = QStringLiteral("R1");
    d.subject = QStringLiteral("Rilievo");
    d.fee = Money::fromCents(50000);
    return d;
}

} // namespace

void FeeDocumentTest::townProvince_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("town");
    QTest::addColumn<QString>("provincia");
    const auto row = [](const char* stored, const char* town, const char* provincia) {
        QTest::newRow(stored) << QString::fromLatin1(stored) << QString::fromLatin1(town)
                              << QString::fromLatin1(provincia);
    };
    row("Pisa (PI)", "Pisa", "PI");
    row("Bolzano ( bz ) ", "Bolzano", "BZ");
    row("Empoli(FI)", "Empoli", "FI");
    row("Roma", "Roma", "");
    row("Miami (US)", "Miami (US)", "");
    row("Reggio (Calabria)", "Reggio (Calabria)", "");
    row("Massa (MS) centro", "Massa (MS) centro", "");
    row("(RM)", "(RM)", "");
    row("", "", "");
}

void FeeDocumentTest::townProvince()
{
    QFETCH(QString, stored);
    QFETCH(QString, town);
    QFETCH(QString, provincia);
    const auto [splitTown, splitProvincia] = splitTownProvince(stored);
    QCOMPARE(splitTown, town);
    QCOMPARE(splitProvincia, provincia);
    if (!provincia.isEmpty())
        QCOMPARE(townWithProvince(town, provincia.toLower()),
                 QStringLiteral("%1 (%2)").arg(town, provincia));
}

void FeeDocumentTest::clientCountryAndProvince()
{
    Clients clients(*m_db);
    QString error;
    Client italian;
    italian.code = QStringLiteral("R1");
    italian.town = QStringLiteral("Pisa");
    italian.provincia = QStringLiteral("pi");
    italian.nazione.clear(); // an empty country is Italy
    Client foreign;
    foreign.code = QStringLiteral("F1");
    foreign.town = QStringLiteral("Lyon");
    foreign.nazione = QStringLiteral(" fr ");
    for (const Client& c : {italian, foreign})
        QCOMPARE(clients.save(c, SaveMode::AddOnly, &error), SaveResult::StoredNew);
    const auto r1 = clients.find(QStringLiteral("R1"), &error);
    QVERIFY(r1 && r1->isItalian());
    QCOMPARE(r1->nazione, QStringLiteral("IT"));
    QCOMPARE(r1->provincia, QStringLiteral("PI"));
    QCOMPARE(countryAndProvinceProblem(italian), QString());
    QCOMPARE(countryAndProvinceProblem(foreign), QString());
    Client wrong = foreign;
    wrong.provincia = QStringLiteral("MI");
    QCOMPARE(countryAndProvinceProblem(wrong),
             QStringLiteral("Provincia: un cliente estero non ha provincia"));
    wrong.nazione = QStringLiteral("Francia");
    QVERIFY(countryAndProvinceProblem(wrong).startsWith(QStringLiteral("Nazione: \"Francia\"")));
    wrong = italian;
    wrong.provincia = QStringLiteral("XY");
    QCOMPARE(countryAndProvinceProblem(wrong),
             QStringLiteral("Provincia: \"XY\" non è la sigla di una provincia italiana"));
    const auto f1 = clients.find(QStringLiteral("F1"), &error);
    QVERIFY(f1 && !f1->isItalian());
    QCOMPARE(f1->nazione, QStringLiteral("FR"));
    QVERIFY(f1->provincia.isEmpty());
}

void FeeDocumentTest::regimeRecordedAndKept()
{
    QFile ini(m_dir->filePath("falmide.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Generale]\nCalcolo=Geometra\n[FatturaPA]\nRegimeFiscale=RF19\nTipoCassa=TC04\n");
    ini.close();
    // Each read goes to the file: these are the settings of the moment.
    const Settings flatRate(ini.fileName());

    FeeDocuments invoices(*m_db, FeeDocumentKind::Invoice);
    QString error;
    FeeDocument first = invoice(2024, 1);
    recordRegime(flatRate, &first);
    QCOMPARE(invoices.save(first, SaveMode::AddOnly, &error), SaveResult::StoredNew);
    // Saved before the regime was recorded: nothing stored.
    QCOMPARE(invoices.save(invoice(2024, 2), SaveMode::AddOnly, &error), SaveResult::StoredNew);
    QCOMPARE(profileFor(flatRate, invoice(2024, 2)), FeeProfile::Geometra);
    QCOMPARE(fatturaPAFor(flatRate, invoice(2024, 2)).regimeFiscale, QStringLiteral("RF19"));

    // The professional moves to the ordinary regime and the general profile.
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[FatturaPA]\nRegimeFiscale=RF01\n");
    ini.close();
    const Settings ordinary(ini.fileName());

    // The first invoice edited again keeps what it was computed under; the
    // second, which recorded nothing, takes the settings of its new save.
    for (qint64 n : {1, 2}) {
        FeeDocument edited = invoice(2024, n);
        edited.subject = QStringLiteral("Rilievo e restituzione");
        recordRegime(ordinary, &edited);
        QCOMPARE(invoices.save(edited, SaveMode::AddOrReplace, &error), SaveResult::Replaced);
    }
    const auto one = invoices.find(key(2024, 1), &error);
    QVERIFY2(one, qPrintable(error));
    QCOMPARE(one->subject, QStringLiteral("Rilievo e restituzione"));
    QCOMPARE(one->regimeFiscale, QStringLiteral("RF19"));
    QCOMPARE(one->profile, std::optional<FeeProfile>(FeeProfile::Geometra));
    QCOMPARE(one->tipoCassa, QStringLiteral("TC04"));
    QCOMPARE(fatturaPAFor(ordinary, *one).regimeFiscale, QStringLiteral("RF19"));
    QCOMPARE(fatturaPAFor(ordinary, *one).tipoCassa, QStringLiteral("TC04"));
    QCOMPARE(profileFor(ordinary, *one), FeeProfile::Geometra);

    const auto two = invoices.find(key(2024, 2), &error);
    QVERIFY2(two, qPrintable(error));
    QCOMPARE(two->regimeFiscale, QStringLiteral("RF01"));
    QCOMPARE(two->profile, std::optional<FeeProfile>(FeeProfile::General));

    // One that never recorded its own takes the settings as they are now.
    const FeeDocument unrecorded = invoice(2024, 3);
    QCOMPARE(fatturaPAFor(ordinary, unrecorded).regimeFiscale, QStringLiteral("RF01"));
    QCOMPARE(fatturaPAFor(ordinary, unrecorded).tipoCassa, QStringLiteral("TC03"));
    QCOMPARE(profileFor(ordinary, unrecorded), FeeProfile::General);
}

void FeeDocumentTest::regimeFileUpgraded()
{
    // A database as the program wrote it before: version 5, without the
    // clients' country and province nor the invoices' regime.
    Database& db = *m_db;
    QString error;
    QVERIFY2(dropRowVersions(db, &error), qPrintable(error));
    for (const char* later : {"Provincia", "Nazione"})
        QVERIFY2(
            db.execute(QStringLiteral("ALTER TABLE Clienti DROP COLUMN %1").arg(later), {}, &error),
            qPrintable(error));
    for (const char* later : {"TipoCassa", "Profilo", "RegimeFiscale"})
        QVERIFY2(
            db.execute(QStringLiteral("ALTER TABLE Fatture DROP COLUMN %1").arg(later), {}, &error),
            qPrintable(error));
    QVERIFY(db.execute("UPDATE SchemaVersion SET Version = 5", {}, &error));
    const QStringList towns = {QStringLiteral("Pisa (PI)"), QStringLiteral("Roma"),
                               QStringLiteral("Bolzano (bz)"), QString()};
    for (int i = 0; i < towns.size(); ++i)
        QVERIFY2(db.execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione, Citta, PEC) "
                            "VALUES (?, ?, ?, ?, ?)",
                            {QStringLiteral("C%1").arg(i), QStringLiteral("C%1").arg(i),
                             QStringLiteral("Cliente %1").arg(i),
                             towns.at(i).isNull() ? QVariant() : QVariant(towns.at(i)),
                             QStringLiteral("c%1@pec.it").arg(i)},
                            &error),
                 qPrintable(error));
    for (int n = 1; n < 4; ++n)
        QVERIFY2(db.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Onorario, "
                            "TipoDocumento) VALUES (?, ?, ?, ?, ?, 'TD01')",
                            {key(2023, n).stored(), QDate(2023, 4, n), n, QStringLiteral("C0"),
                             qint64(1000 * n)},
                            &error),
                 qPrintable(error));
    const QString path = m_dir->filePath("falmide.db");
    db.close();

    QVERIFY2(openTestDatabase(db, path, &error), qPrintable(error));
    QCOMPARE(db.schemaVersion(), kSchemaVersion);
    const auto clients = Snapshot::Open(
        db, "SELECT Denominazione, Citta, Provincia, Nazione, PEC FROM Clienti ORDER BY Chiave", {},
        &error);
    QVERIFY2(clients, qPrintable(error));
    QCOMPARE(clients->RecordCount(), 4);
    const QStringList expectedTowns = {QStringLiteral("Pisa"), QStringLiteral("Roma"),
                                       QStringLiteral("Bolzano"), QString()};
    const QStringList expectedProvinces = {QStringLiteral("PI"), QString(), QStringLiteral("BZ"),
                                           QString()};
    for (int i = 0; i < 4; ++i) {
        const QVariantList& row = clients->rows().at(i);
        QCOMPARE(row.value(0).toString(), QStringLiteral("Cliente %1").arg(i));
        QCOMPARE(row.value(1).toString(), expectedTowns.at(i));
        QCOMPARE(row.value(2).toString(), expectedProvinces.at(i));
        QCOMPARE(row.value(3).toString(), QStringLiteral("IT"));
        QCOMPARE(row.value(4).toString(), QStringLiteral("c%1@pec.it").arg(i));
    }

    FeeDocuments invoices(db, FeeDocumentKind::Invoice);
    QCOMPARE(invoices.count(&error), std::optional<int>(3));
    const auto third = invoices.find(key(2023, 3), &error);
    QVERIFY2(third, qPrintable(error));
    QCOMPARE(third->fee, std::optional<Money>(Money::fromCents(3000)));
    QVERIFY(third->regimeFiscale.isEmpty() && !third->profile && third->tipoCassa.isEmpty());
}

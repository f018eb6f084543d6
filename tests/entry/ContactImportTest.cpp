#include "ContactImportTest.h"

#include "Client.h"
#include "ContactImport.h"
#include "FaultPoint.h"
#include "Supplier.h"
#include "TaxCodes.h"

#include <QDate>
#include <QtTest>

namespace {

const QString kRossiVat = partitaIva("0123456789");
const QString kNewVat = partitaIva("0987654321");
const QString kRossiCf =
    codiceFiscale("Rossi", "Mario", QDate(1980, 1, 1), false, QStringLiteral("H501"));

// The last digit changed: the check no longer holds.
QString wrongCheck(const QString& code)
{
    QString wrong = code;
    wrong[wrong.size() - 1] = code.back() == QLatin1Char('1') ? QLatin1Char('2') : QLatin1Char('1');
    return wrong;
}

// Lines of fields with ";" between them, as a spreadsheet saves them in
// `encoding`, with `separator` between the fields.
QByteArray csvFile(const QStringList& lines, bool latin1, char separator)
{
    const QString text =
        lines.join(QStringLiteral("\r\n")).replace(QLatin1Char(';'), QLatin1Char(separator));
    return latin1 ? text.toLatin1() : QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

struct Expected
{
    int line;
    ImportOutcome outcome;
    QString reason; // the start of it
};

void storeClient(Database& db, const QString& code, const QString& name, const QString& address,
                 const QString& vat = {}, const QString& cf = {})
{
    Client c;
    c.code = code;
    c.name = name;
    c.address = address;
    c.town = QStringLiteral("Roma");
    c.postcode = QStringLiteral("00100");
    c.provincia = QStringLiteral("RM");
    c.vatNumber = vat;
    c.taxCode = cf;
    QString why;
    QCOMPARE(Clients(db).save(c, SaveMode::AddOnly, &why), SaveResult::StoredNew);
}

[[noreturn]] void failAtWrite(const char* step)
{
    throw std::runtime_error(step);
}

} // namespace

void ContactImportTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    Database& db = m_data.context().DbArchivi;
    storeClient(db, "ROSSI", "Rossi Mario", "Via Roma 1", kRossiVat, kRossiCf);
    storeClient(db, "VERDI", "Verdi Srl", "Via Po 2");
}

void ContactImportTest::cleanup()
{
    setFaultPointHandler(nullptr);
    m_data.tearDown();
}

void ContactImportTest::everyKindOfRow_data()
{
    QTest::addColumn<bool>("latin1");
    QTest::addColumn<char>("separator");
    QTest::newRow("UTF-8 ;") << false << ';';
    QTest::newRow("UTF-8 ,") << false << ',';
    QTest::newRow("Latin-1 ;") << true << ';';
    QTest::newRow("Latin-1 ,") << true << ',';
}

void ContactImportTest::everyKindOfRow()
{
    QFETCH(bool, latin1);
    QFETCH(char, separator);
    const QString rossi =
        "ROSSI;Rossi Mario;Via Roma 1;00100;Roma;RM;;" + kRossiCf + ";" + kRossiVat;
    const QByteArray file = csvFile(
        {"Codice;Ragione sociale;Indirizzo;CAP;Città;Prov.;Nazione;Codice fiscale;P. IVA;SDI;PEC",
         "nuovo1;Studio Àlfa Srl;Via Forlì 3;47121;Forlì;fc;Italia;;" + kNewVat +
             ";abc1234;a@pec.it",
         rossi, "VERDI;Verdi Srl;Via Adige 9;00100;Roma;RM",
         "BAD1;Uno;;;;;;;" + wrongCheck(kNewVat), "BAD2;Due;;;;;;" + wrongCheck(kRossiCf),
         "BAD3;" + QString(41, QLatin1Char('x')), "BAD4;Quattro;;;;XX", "BAD5;Cinque;;;;;ITA",
         "BAD6;", "NUOVO1;Ancora", "BAD7;Sette;;;;;;;" + kRossiVat, "BAD8;Otto;;;;;;;" + kNewVat,
         ";Caffè Òmega;;;;;FR;;;;"},
        latin1, separator);
    QString error;
    const auto csv = readCsvTable(file, &error);
    QVERIFY2(csv, qPrintable(error));
    QCOMPARE(csv->latin1, latin1);
    const auto plan = planContactImport(m_data.context().DbArchivi, Table::Clienti, *csv, &error);
    QVERIFY2(plan, qPrintable(error));

    const QList<Expected> expected{
        {2, ImportOutcome::Created, ""},
        {3, ImportOutcome::Unchanged, ""},
        {4, ImportOutcome::Refused,
         "Codice cliente: VERDI è già in archivio con altri dati (Indirizzo): non viene "
         "sovrascritto."},
        {5, ImportOutcome::Refused, "Partita IVA: "},
        {6, ImportOutcome::Refused, "Codice Fiscale: "},
        {7, ImportOutcome::Refused, "Denominazione: il testo è lungo 41 caratteri, al massimo 40."},
        {8, ImportOutcome::Refused, "Provincia: \"XX\" non è la sigla di una provincia italiana"},
        {9, ImportOutcome::Refused, "Nazione: \"ITA\" non è un codice di nazione"},
        {10, ImportOutcome::Refused, "Denominazione: manca."},
        {11, ImportOutcome::Refused, "Codice cliente: NUOVO1 è già alla riga 2."},
        {12, ImportOutcome::Refused, "Partita IVA: " + kRossiVat + " è già del cliente ROSSI."},
        {13, ImportOutcome::Refused, "Partita IVA: " + kNewVat + " è già alla riga 2."},
        {14, ImportOutcome::Created, ""},
    };
    QCOMPARE(plan->rows.size(), std::size_t(expected.size()));
    for (int i = 0; i < expected.size(); ++i) {
        const ImportRow& row = plan->rows.at(std::size_t(i));
        QCOMPARE(row.line, expected[i].line);
        QCOMPARE(row.outcome, expected[i].outcome);
        QVERIFY2(expected[i].reason.isEmpty() ? row.reason.isEmpty()
                                              : row.reason.startsWith(expected[i].reason),
                 qPrintable(QString::number(row.line) + ": " + row.reason));
    }
    const Client& made = plan->rows.front().contact;
    QCOMPARE(made.code, QStringLiteral("NUOVO1"));
    QCOMPARE(made.name, QStringLiteral("Studio Àlfa Srl"));
    QCOMPARE(made.town, QStringLiteral("Forlì"));
    QCOMPARE(made.provincia, QStringLiteral("FC"));
    QCOMPARE(made.nazione, QStringLiteral("IT"));
    QCOMPARE(made.codiceDestinatario, QStringLiteral("ABC1234"));
    QCOMPARE(plan->rows.back().contact.code, QStringLiteral("CAFFEOMEGA"));
    QCOMPARE(plan->summary(),
             QStringLiteral("13 righe: 2 da creare, 1 già in archivio, 10 rifiutate"));
    QCOMPARE(plan->refusedLines(), QStringLiteral("righe 4, 5, 6, 7, 8, 9, 10, 11, 12 e 13"));
    QVERIFY(!plan->canWrite());
    QVERIFY(!applyContactImport(m_data.context().DbArchivi, *plan, &error));
    QVERIFY2(error.startsWith("Nessun cliente è stato importato: correggere nel file le righe 4, "),
             qPrintable(error));
    QCOMPARE(Clients(m_data.context().DbArchivi).count(&error), 2);
}

void ContactImportTest::writtenWholeOrNotAtAll()
{
    Database& db = m_data.context().DbArchivi;
    const auto csv = readCsvTable(
        csvFile({"Nome;P.IVA;Città", "Bianchi Anna;;Pisa", "Bianchi Anna;;Lucca",
                 "Neri Spa;" + kNewVat + ";Siena", "Rossi Mario;" + kRossiVat + ";Roma"},
                false, ';'),
        nullptr);
    QString error;
    auto plan = planContactImport(db, Table::Clienti, *csv, &error);
    QVERIFY2(plan, qPrintable(error));
    QVERIFY(plan->codesProposed);
    QCOMPARE(plan->summary(),
             QStringLiteral("4 righe: 3 da creare, 1 già in archivio, 0 rifiutate"));

    // A failure after the first record takes it back with the rest.
    setFaultPointHandler(failAtWrite);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, applyContactImport(db, *plan, &error));
    setFaultPointHandler(nullptr);
    QCOMPARE(Clients(db).count(&error), 2);
    // So does a code another desk stores between the preview and the writing.
    storeClient(db, "NERISPA", "Neri Spa", "Via Verdi 4");
    QVERIFY(!applyContactImport(db, *plan, &error));
    QCOMPARE(error, QStringLiteral("Riga 4: Il cliente NERISPA è già in archivio\nNessun cliente è "
                                   "stato importato."));
    QCOMPARE(Clients(db).count(&error), 3);

    QString why;
    QCOMPARE(Clients(db).remove("NERISPA", &why), DeleteResult::Deleted);
    QVERIFY2(applyContactImport(db, *plan, &error), qPrintable(error));
    QCOMPARE(Clients(db).find("BIANCHIANN", &error)->town, QStringLiteral("Pisa"));
    QCOMPARE(Clients(db).find("BIANCHIAN2", &error)->town, QStringLiteral("Lucca"));
    QCOMPARE(Clients(db).find("NERISPA", &error)->vatNumber, kNewVat);
    // The same file again changes nothing.
    plan = planContactImport(db, Table::Clienti, *csv, &error);
    QCOMPARE(plan->count(ImportOutcome::Unchanged), 4);
    QVERIFY(!applyContactImport(db, *plan, &error));
    QCOMPARE(error, QStringLiteral("Nessun cliente da importare."));
    QCOMPARE(Clients(db).count(&error), 5);
}

void ContactImportTest::suppliersAndProposedCodes()
{
    Database& db = m_data.context().DbArchivi;
    const QString path = m_data.filePath("fornitori.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csvFile({"Fornitore,Località,Pr,Partita IVA,PEC,Telefono",
                        "Ferramenta Nicolò,Pisa,pi," + kRossiVat + ",f@pec.it,050 123"},
                       true, ','));
    file.close();
    QString error;
    const auto plan = planContactImportFile(db, Table::Fornitori, path, &error);
    QVERIFY2(plan, qPrintable(error));
    QCOMPARE(plan->ignoredColumns, (QStringList{"PEC", "Telefono"}));
    QVERIFY2(applyContactImport(db, *plan, &error), qPrintable(error));
    const auto made = Suppliers(db).find("FERRAMENTA", &error);
    QVERIFY(made);
    QCOMPARE(made->name, QStringLiteral("Ferramenta Nicolò"));
    QCOMPARE(made->town, QStringLiteral("Pisa (PI)"));
    QCOMPARE(
        planContactImportFile(db, Table::Fornitori, path, &error)->count(ImportOutcome::Unchanged),
        1);

    QVERIFY(!planContactImport(db, Table::Clienti, *readCsvTable("Codice;Città\nA;Pisa", &error),
                               &error));
    QVERIFY(error.startsWith("Il file non ha la colonna della denominazione"));
    QVERIFY(!planContactImportFile(db, Table::Clienti, m_data.filePath("nessuno.csv"), &error));
}

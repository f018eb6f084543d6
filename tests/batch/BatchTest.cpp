#include "BatchTest.h"

#include "BatchRunner.h"
#include "BatchTestSupport.h"
#include "Clock.h"
#include "Database.h"
#include "FatturaPAFile.h"
#include "FeeDocument.h"
#include "PdfTestSupport.h"
#include "Snapshot.h"
#include "TaxCodes.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QtTest>

void BatchTest::init()
{
    QVERIFY(m_dir.isValid());
    qputenv("FALMIDE_HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
}

void BatchTest::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    // Each row: its name, the arguments split at blanks, the exit status and
    // the message. The rate bounds are the invoice window's words; the lone
    // dashes and --version never start the windows.
    const QString rateBounds = " non è ammesso: sono ammessi i valori da 0 a 100";
    const QString report = "report fatturato --output r.pdf";
    const std::tuple<const char*, QString, int, QString> rows[] = {
        {"no command", "--dir x", 2, "manca il comando"},
        {"unknown command", "stampa", 2, "comando sconosciuto \"stampa\""},
        {"unknown option", "calcola --onorario 1 --sconto 3", 2, "opzione sconosciuta --sconto"},
        {"missing option", "calcola --iva 22", 2, "manca --onorario"},
        {"missing value", "calcola --onorario", 2, "manca il valore dell'opzione --onorario"},
        {"amount", "calcola --onorario 12a", 2, "--onorario: \"12a\" non è un importo"},
        {"rate", "calcola --onorario 1 --iva 2.5", 2, "--iva: \"2.5\" non è un numero intero"},
        {"VAT rate over 100", "calcola --onorario 1 --iva 1000", 2,
         "--iva: il valore 1000" + rateBounds},
        {"negative expenses", "calcola --onorario 1 --spese -1", 2,
         "--spese: l'importo -1.00 non è ammesso: non può essere negativo"},
        {"ambiguous fee", "calcola --onorario 1.470", 2, "--onorario: \"1.470\" non è chiaro"},
        {"count", "demo --fatture -1", 2, "--fatture: -1 è fuori dai limiti"},
        {"missing number", "fattura-pdf 2025", 2, "manca NUMERO"},
        {"extra argument", "fattura-pdf 2025 1 2", 2, "argomento in più \"2\""},
        {"year", "fattura-pdf duemila 1", 2, "ANNO: \"duemila\" non è un numero intero"},
        {"no database", "fattura-pdf 2025 1", 1, "nessun database in"},
        {"e-invoice period", "fatturapa --dal 01/01/2025", 2, "fatturapa: manca --al"},
        {"e-invoice both", "fatturapa 2025 1 --al 01/01/2025", 2, "non entrambi"},
        {"pro-forma output", "parcella-pdf 2025 1", 2, "manca --output"},
        {"report name", "report vendite --output r.pdf", 2, "report sconosciuto \"vendite\""},
        {"report date", report + " --al 31/13/2024", 2, "--al: \"31/13/2024\" non è una data"},
        {"inverted period", report + " --dal 2024-02-01 --al 310124", 2,
         "falmide: Indicazione date non corretto"},
        {"report option", "report movimenti --inevase --output r.pdf", 2,
         "--inevase vale solo per il report fatturato"},
        {"export output", "esporta --dal 01/01/2025 --al 31/12/2025", 2,
         "esporta: manca --output (uso: falmide esporta --dal DATA --al DATA --output "
         "FILE.xlsx|FILE.csv [--zip])"},
        {"export to stdout", "esporta --dal 01/01/2025 --al 31/12/2025 --output -", 2,
         "-: il file deve finire in .xlsx"},
        {"lone dash", "-", 2, "argomento non valido \"-\" (uso: falmide"},
        {"double dash", "--", 2, "argomento non valido \"--\""},
        {"version with a value", "--version=1", 2,
         "l'opzione --version non vuole un valore (uso: falmide"},
    };
    for (const auto& [name, arguments, status, message] : rows)
        QTest::newRow(name) << arguments.split(' ') << status << message;
}

void BatchTest::badCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QVERIFY(isBatchInvocation(QStringList{"falmide"} + arguments));
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.out, QString());
    QVERIFY2(outcome.err.startsWith(QStringLiteral("falmide: ")) && outcome.err.contains(message) &&
                 outcome.err.count('\n') == 1,
             qPrintable(outcome.err));
}

void BatchTest::calcola_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("json");
    auto json = [](const char* vat, const char* cassa, const char* ra, const char* total) {
        return QStringLiteral(
                   "{\"iva\":\"%1\",\"cassa\":\"%2\",\"ritenuta\":\"%3\",\"totale\":\"%4\"}")
            .arg(vat, cassa, ra, total);
    };
    const QStringList rates{"--iva", "22", "--cassa", "4", "--ra", "20"};
    QTest::newRow("geometra") << QStringList{"--onorario", "1000", "--profilo", "GEOMETRA"} + rates
                              << json("228.80", "40.00", "200.00", "1068.80");
    QTest::newRow("general") << QStringList{"--onorario", "1000", "--profilo", "ALTRO"} + rates
                             << json("228.80", "40.00", "208.00", "1060.80");
    QTest::newRow("settings decide") << QStringList{"--onorario", "1000"} + rates
                                     << json("228.80", "40.00", "200.00", "1068.80");
    QTest::newRow("expenses, stamp")
        << QStringList{"--onorario", "1 000,00", "--spese", "50", "--bollo", "2"} + rates
        << json("228.80", "40.00", "200.00", "1120.80");
    QTest::newRow("zero fee") << QStringList{"--onorario", "0"} + rates << json("", "", "", "");
    QTest::newRow("profile in any case")
        << QStringList{"--onorario", "1000", "--profilo", " geometra "} + rates
        << json("228.80", "40.00", "200.00", "1068.80");
    QTest::newRow("Italian notation")
        << QStringList{"--onorario", "1.000,15", "--iva", "22", "--cassa", "4"}
        << json("228.84", "40.01", "", "1269.00");
}

void BatchTest::calcola()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, json);
    // The profile comes from the data folder's settings unless given.
    const QString home = folder(m_dir, QStringLiteral("quote"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY(pdftest::writeFile(home + "/falmide.ini", "[Generale]\r\nCalcolo=GEOMETRA\r\n"));
    const Outcome outcome = run(QStringList{"calcola", "--dir", home} + arguments);
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out, json + '\n');
}

void BatchTest::demoIsReproducible()
{
    auto demo = [this](const QString& name, const QString& seed) {
        return run({"demo", "--dir", dataHome(m_dir, name), "--seed", seed, "--fatture", "60"});
    };
    QCOMPARE(demo("a", "7").status, 0);
    const QString file = folder(m_dir, "a/falmide.db");
    const QByteArray a = pdftest::readFile(file);
    if (testsOnServer()) {
        // The server database the folder's settings name, not a file.
        QVERIFY(!QFile::exists(file));
    } else {
        QCOMPARE(demo("b", "7").status, 0);
        QCOMPARE(demo("c", "8").status, 0);
        QVERIFY(a.size() > 50'000);
        QVERIFY(a == pdftest::readFile(folder(m_dir, "b/falmide.db")));
        QVERIFY(a != pdftest::readFile(folder(m_dir, "c/falmide.db")));
    }
    // A database holding data is refused and left as it was.
    const Outcome again = demo("a", "9");
    QCOMPARE(again.status, 1);
    QVERIFY(again.err.contains("contiene già dei dati"));
    QVERIFY(a == pdftest::readFile(file));

    // Tax codes carry their check characters.
    Database db;
    QString error;
    QVERIFY2(openTestDatabase(db, file, &error), qPrintable(error));
    QSqlQuery q(db.connection());
    QVERIFY(q.exec("SELECT CodiceFiscale, PartitaIVA FROM Clienti"));
    int persons = 0;
    while (q.next()) {
        const QString cf = q.value(0).toString();
        if (cf.size() == 16) {
            ++persons;
            QCOMPARE(cf.at(15), codiceFiscaleCheck(cf.left(15)));
        } else {
            QCOMPARE(partitaIva(cf.left(10)), cf);
        }
    }
    QVERIFY(persons > 5);
    // Accented names and towns are stored as the text they are, not as
    // their UTF-8 bytes read one by one.
    QVERIFY(q.exec("SELECT COUNT(*) FROM Fatture WHERE Oggetto LIKE '%agibilità%'") && q.next());
    QVERIFY(q.value(0).toInt() > 0);
    QVERIFY(
        q.exec(
            "SELECT COUNT(*) FROM Clienti WHERE Denominazione || Indirizzo || Citta LIKE '%Ã%'") &&
        q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QVERIFY(q.exec("SELECT COUNT(*), COUNT(DISTINCT substr(Chiave, 1, 4)), COUNT(DataPag), "
                   "SUM(Onorario * AliqIVA * (100 + AliqContributo) / 10000.0 - ImportoIVA), "
                   "SUM(Bollo) FROM Fatture"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 60);
    QCOMPARE(q.value(1).toInt(), 4);
    QVERIFY(q.value(2).toInt() < 60); // some unpaid
    QVERIFY(qAbs(q.value(3).toDouble()) < 60);
    QVERIFY(q.value(4).toInt() > 0);
}

void BatchTest::documentPdfs()
{
    const QString home = dataHome(m_dir, QStringLiteral("pdf"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "20"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());

    // Into the archive by default, the path printed.
    Outcome outcome = run({"fattura-pdf", year, number, "--dir", home, "--data"});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    const QString archived =
        QStringLiteral("%1/Fatture/%2/Fattura_%2_%3.pdf").arg(home, year, number);
    QCOMPARE(outcome.out, archived + '\n');
    auto printed = [](const std::optional<Money>& amount) {
        return amount ? amount->printText() : QString();
    };
    CHECK_PDF(archived, QStringList{number, invoice->subject, printed(invoice->fee),
                                    printed(invoice->vat), printed(invoice->contribution)});

    // No such invoice: the layout's message, nothing written.
    outcome = run({"fattura-pdf", year, "999", "--dir", home, "--output", m_dir.filePath("x.pdf")});
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.err, QStringLiteral("falmide: Fattura non trovata\n"));
    QVERIFY(!QFile::exists(m_dir.filePath("x.pdf")));
    // A folder that cannot be made.
    outcome = run({"fattura-pdf", year, number, "--dir", home, "--output", archived + "/x.pdf"});
    QCOMPARE(outcome.status, 1);
    QVERIFY(outcome.err.contains("impossibile scrivere nella cartella"));
}

void BatchTest::fatturaPA()
{
    const QString home = dataHome(m_dir, QStringLiteral("xml"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "24"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    Database db;
    QString error;
    QVERIFY(openTestDatabase(db, home + "/falmide.db", &error));
    auto xmlWritten = [&db](const QString& year) {
        QString error;
        const auto s = Snapshot::Open(db,
                                      "SELECT count(XMLScritto), count(*) FROM Fatture WHERE "
                                      "Data LIKE ?",
                                      {year + "-%"}, &error);
        return s ? QPair<int, int>(s->rows().front().value(0).toInt(),
                                   s->rows().front().value(1).toInt())
                 : QPair<int, int>(-1, -1);
    };

    // One invoice: beside its PDF, valid, recorded as written.
    Outcome outcome =
        run({"fatturapa", year, QString::number(invoice->key.number()), "--dir", home});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    const QString xml = outcome.out.trimmed();
    QVERIFY2(xml.startsWith(home + "/Fatture/" + year + "/IT") && QFile::exists(xml),
             qPrintable(xml));
    QCOMPARE(schemaProblems(xml), QString());
    QCOMPARE(xmlWritten(year).first, 1);

    // The period: the others of the year; a second run has nothing left.
    const QStringList period{"fatturapa",     "--dir", home,           "--dal",
                             "01/01/" + year, "--al",  "31/12/" + year};
    outcome = run(period);
    QCOMPARE(outcome.status, 0);
    const int total = xmlWritten(year).second;
    QCOMPARE(outcome.out.count('\n'), total - 1);
    QVERIFY(!outcome.out.contains(xml));
    QCOMPARE(xmlWritten(year).first, total);
    outcome = run(period);
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out, QString());

    // Every year, the flat-rate one included, with the settings now on the
    // ordinary regime: each invoice is written under the regime it recorded.
    const QString first = QString::number(Clock::today().year() - 4);
    outcome = run({"fatturapa", "--dir", home, "--dal", "01/01/" + first, "--al", "31/12/" + year});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QVERIFY(xmlWritten(first).second > 0);
    QCOMPARE(xmlWritten("%").first, xmlWritten("%").second);
    const QStringList files = outcome.out.trimmed().split('\n');
    QVERIFY2(files.first().startsWith(home + "/Fatture/" + first + "/"), qPrintable(outcome.out));
    const QByteArray flatRate = pdftest::readFile(files.first());
    QVERIFY(flatRate.contains("<RegimeFiscale>RF19</RegimeFiscale>"));
    QVERIFY(flatRate.contains("<Natura>N2.2</Natura>"));
    QVERIFY(pdftest::readFile(files.last()).contains("<RegimeFiscale>RF01</RegimeFiscale>"));
    QCOMPARE(schemaProblems(files.first()), QString());

    // Missing data: every problem on one line, no file; no such invoice.
    QVERIFY(db.execute("UPDATE datipers SET CAP = NULL, Citta = NULL", {}, &error));
    const QString out = m_dir.filePath("out/f.xml");
    const QString number = QString::number(invoice->key.number());
    outcome = run({"fatturapa", year, number, "--dir", home, "--output", out});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.startsWith("falmide: fattura " + number + "/" + year + " non scritta: ") &&
                 outcome.err.contains("CAP") && outcome.err.count('\n') == 1,
             qPrintable(outcome.err));
    QVERIFY(!QFile::exists(out));
    outcome = run({"fatturapa", year, "999", "--dir", home});
    QCOMPARE(outcome.err, QStringLiteral("falmide: Fattura non trovata\n"));

    // A client's name with control characters: shown escaped.
    QVERIFY(db.execute("UPDATE datipers SET CAP = '47100', Citta = 'Forlì'", {}, &error));
    QVERIFY(db.execute("UPDATE Clienti SET Denominazione = ? WHERE CodCliente = ?",
                       {QStringLiteral("Rossi\x1B[2J"), invoice->clientCode}, &error));
    outcome = run({"fatturapa", year, number, "--dir", home, "--output", out});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("\\x1B") && !outcome.err.contains(QChar(27)),
             qPrintable(outcome.err));
    // A database file opened only to read: refused before any file is written.
    if (!testsOnServer()) {
        Database readOnly;
        QVERIFY(readOnly.openForCheck(home + "/falmide.db", &error));
        QString message;
        QVERIFY(!exportFatturaPA(readOnly, Settings(home + "/falmide.ini"), home, invoice->key, out,
                                 &message));
        QVERIFY2(message.contains("solo letto"), qPrintable(message));
        QVERIFY(!QFile::exists(out));
    }

    // AllegaPDF: a PDF already in the archive is carried as it is (one
    // written first when there is none is the invoice window's test).
    QVERIFY(db.execute("UPDATE Clienti SET Denominazione = 'Rossi' WHERE CodCliente = ?",
                       {invoice->clientCode}, &error));
    QFile ini(home + "/falmide.ini");
    QVERIFY(ini.open(QIODevice::Append) && ini.write("\n[FatturaPA]\nAllegaPDF=1\n") > 0);
    ini.close();
    const QString pdf = home + "/Fatture/" + year + "/Fattura_" + year + "_" + number + ".pdf";
    QVERIFY(pdftest::writeFile(pdf, "%PDF-1.4 gi\xc3\xa0 in archivio"));
    outcome = run({"fatturapa", year, number, "--dir", home, "--output", out, "--di-nuovo"});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(schemaProblems(out), QString());
    const QByteArray written = pdftest::readFile(out);
    QVERIFY(written.contains("<NomeAttachment>" + QFileInfo(pdf).fileName().toUtf8() +
                             "</NomeAttachment>"));
    QVERIFY(written.contains("<Attachment>" + pdftest::readFile(pdf).toBase64() + "</Attachment>"));
}

void BatchTest::fatturaPAWrittenAgainAndWithdrawn()
{
    const QString home = dataHome(m_dir, QStringLiteral("sendings"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "8"}).status, 0);
    const auto invoice = lastInvoice(home);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    const QStringList write{"fatturapa", year, number, "--dir", home};

    Outcome outcome = run(write);
    QCOMPARE(outcome.status, 0);
    const QString first = outcome.out.trimmed();
    QVERIFY2(first.endsWith("_A0001.xml"), qPrintable(first));
    const QByteArray firstBytes = pdftest::readFile(first);

    // Written already: refused without --di-nuovo; with it, a new file.
    outcome = run(write);
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.err,
             "falmide: La fattura " + number + "/" + year + " è già stata scritta il " +
                 QDate::currentDate().toString("dd/MM/yyyy") + " (" + QFileInfo(first).fileName() +
                 "): --di-nuovo per scriverla di nuovo\n");
    outcome = run(write + QStringList{"--di-nuovo"});
    QCOMPARE(outcome.status, 0);
    const QString second = outcome.out.trimmed();
    QVERIFY2(second.endsWith("_A0002.xml") && QFile::exists(second), qPrintable(second));
    QCOMPARE(pdftest::readFile(first), firstBytes);
    QVERIFY(pdftest::readFile(second).contains("<ProgressivoInvio>A0002</ProgressivoInvio>"));

    // The period leaves it alone while a sending stands; withdrawn, it is
    // written again, with the next progressive.
    const QStringList period{"fatturapa",     "--dir", home,           "--dal",
                             "01/01/" + year, "--al",  "31/12/" + year};
    QVERIFY(!run(period).out.contains("_A0002.xml"));
    const QStringList withdraw{"annulla-invio", year, number, "--dir", home};
    outcome = run(withdraw);
    QCOMPARE(outcome.out, "Invio " + QFileInfo(second).fileName() + " della fattura " + number +
                              "/" + year + " annullato\n");
    QCOMPARE(run(withdraw).status, 0);
    outcome = run(withdraw);
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("non ha invii da annullare"), qPrintable(outcome.err));
    outcome = run(period);
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out.count('\n'), 1);
    const QString third = outcome.out.trimmed();
    QVERIFY2(third != first && third != second && QFile::exists(third), qPrintable(third));
    QCOMPARE(pdftest::readFile(first), firstBytes);
    QVERIFY(QFile::exists(second));
}

void BatchTest::reports_data()
{
    // Each row: the command line after the report's name (@ stands for a
    // client's code), then either the selection's WHERE clause on its table
    // or the error.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("error");
    const QString y = QString::number(Clock::today().year() - 2);
    QTest::newRow("turnover") << QStringList{"fatturato"} << "1 = 1" << QString();
    QTest::newRow("one client, unpaid") << QStringList{"fatturato", "--cliente", "@", "--inevase"}
                                        << "CodCli = '@' AND DataPag IS NULL" << QString();
    QTest::newRow("withholding of a year")
        << QStringList{"ritenute", "--dal", "01/01/" + y, "--al", y + "-12-31"}
        << "DataPag LIKE '" + y + "%' AND ImportoRA <> 0" << QString();
    QTest::newRow("purchases") << QStringList{"movimenti", "--al", "31/12/" + y}
                               << "Data <= '" + y + "-12-31'" << QString();
    QTest::newRow("no such client") << QStringList{"fatturato", "--cliente", "ZZ9"} << ""
                                    << "--cliente: il codice \"ZZ9\" non esiste in archivio";
    QTest::newRow("nothing selected") << QStringList{"movimenti", "--al", "01/01/2000"} << ""
                                      << "Nessun documento nel periodo indicato";
    QTest::newRow("output not writable")
        << QStringList{"movimenti", "--output", "nota.txt/r.pdf"} << ""
        << "impossibile scrivere nella cartella";
}

void BatchTest::reports()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QFETCH(QString, error);
    const QString home = dataHome(m_dir, QStringLiteral("reports"));
    if (!lastInvoice(home)) {
        QCOMPARE(run({"demo", "--dir", home, "--fatture", "150", "--movimenti", "80"}).status, 0);
        QVERIFY(pdftest::writeFile(home + "/nota.txt", "un file, non una cartella"));
    }
    Database db;
    QString dbError;
    QVERIFY(openTestDatabase(db, home + "/falmide.db", &dbError));
    QSqlQuery q(db.connection());
    QVERIFY(q.exec("SELECT CodCli FROM Fatture WHERE DataPag IS NULL ORDER BY Chiave") && q.next());
    const QString client = q.value(0).toString();
    arguments.replaceInStrings(QRegularExpression("^@$"), client)
        .replaceInStrings("nota.txt/", home + "/nota.txt/");
    where.replace('@', client);
    const QString output = home + "/r.pdf";
    if (!arguments.contains("--output"))
        arguments << "--output" << output;
    QFile::remove(output);

    const Outcome outcome = run(QStringList{"report", "--dir", home} + arguments);
    if (!error.isEmpty()) {
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(error) && outcome.err.count('\n') == 1,
                 qPrintable(outcome.err));
        QVERIFY(!QFile::exists(output));
        return;
    }
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.out, output + '\n');
    // 71 lines a page; the totals under the first amount's column.
    const bool purchases = arguments.front() == "movimenti";
    QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*), SUM(%1) FROM %2 WHERE %3")
                       .arg(purchases ? "Imponibile" : "Onorario",
                            purchases ? "Movimenti" : "Fatture", where)) &&
            q.next());
    const int documents = q.value(0).toInt();
    QVERIFY(documents > 0);
    QCOMPARE(pdftest::pageCount(output), (documents + 70) / 71);
    const QString totals = pdftest::output("pdftotext", {"-layout", output, "-"})
                               .section("TOTALI", 1)
                               .section('\n', 0, 1)
                               .simplified();
    QVERIFY2(totals.startsWith(Money::fromCents(q.value(1).toLongLong()).printText()),
             qPrintable(totals));
}

void BatchTest::theProgramRunsWithoutDisplay()
{
    const QString home = dataHome(m_dir, QStringLiteral("process"));
    auto program = [&home](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("FALMIDE_HOME", home);
        process.setProcessEnvironment(environment);
        process.start(FALMIDE_PROGRAM, arguments);
        process.waitForFinished(60000);
        const QByteArray out = process.readAllStandardOutput();
        return Outcome{process.exitCode(), QString::fromUtf8(out),
                       QString::fromUtf8(process.readAllStandardError()), out};
    };
    QCOMPARE(program({"--version"}).out, QStringLiteral("falmide " FALMIDE_TEST_VERSION "\n"));
    // The windows without a screen: said in one line, not an abort.
    const Outcome windows = program({});
    QCOMPARE(windows.status, 1);
    QVERIFY2(windows.err.startsWith("falmide: impossibile aprire le finestre: nessuno schermo") &&
                 windows.err.count('\n') == 1,
             qPrintable(windows.err));
    QCOMPARE(program({"-"}).status, 2);
    QVERIFY(program({"--help"}).out.contains("\n  verifica"));
    const Outcome bad = program({"calcola", "--onorario", "x"});
    QCOMPARE(bad.status, 2);
    QCOMPARE(bad.err.count('\n'), 1);
    QCOMPARE(program({"demo", "--fatture", "5"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const Outcome pdf =
        program({"fattura-pdf", QString::number(invoice->key.year()),
                 QString::number(invoice->key.number()), "--output", home + "/f.pdf"});
    QCOMPARE(pdf.err, QString());
    QCOMPARE(pdf.status, 0);
    QCOMPARE(pdftest::pageCount(home + "/f.pdf"), 1);
}

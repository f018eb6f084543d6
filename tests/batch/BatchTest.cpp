#include "BatchTest.h"

#include "BatchCommand.h"
#include "BatchRunner.h"
#include "BatchTestSupport.h"
#include "Client.h"
#include "Clock.h"
#include "Database.h"
#include "FatturaPAFile.h"
#include "FeeDocument.h"
#include "PdfTestSupport.h"
#include "Snapshot.h"
#include "TaxCodes.h"

#include <QBuffer>
#include <QCryptographicHash>
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
    QTest::newRow("no command") << QStringList{"--dir", "x"} << 2 << "manca il comando";
    QTest::newRow("unknown command")
        << QStringList{"stampa"} << 2 << "comando sconosciuto \"stampa\"";
    QTest::newRow("unknown option") << QStringList{"calcola", "--onorario", "1", "--sconto", "3"}
                                    << 2 << "opzione sconosciuta --sconto";
    QTest::newRow("missing option")
        << QStringList{"calcola", "--iva", "22"} << 2 << "manca --onorario";
    QTest::newRow("missing value")
        << QStringList{"calcola", "--onorario"} << 2 << "manca il valore dell'opzione --onorario";
    QTest::newRow("amount") << QStringList{"calcola", "--onorario", "12a"} << 2
                            << "--onorario: \"12a\" non è un importo";
    QTest::newRow("rate") << QStringList{"calcola", "--onorario", "1", "--iva", "2.5"} << 2
                          << "--iva: \"2.5\" non è un numero intero";
    // What the invoice window refuses, with its words.
    const QString rateBounds = "non è ammesso: sono ammessi i valori da 0 a 100";
    QTest::newRow("VAT rate over 100") << QStringList{"calcola", "--onorario", "1", "--iva", "1000"}
                                       << 2 << "--iva: il valore 1000 " + rateBounds;
    QTest::newRow("negative VAT rate") << QStringList{"calcola", "--onorario", "1", "--iva", "-5"}
                                       << 2 << "--iva: il valore -5 " + rateBounds;
    QTest::newRow("withholding rate") << QStringList{"calcola", "--onorario", "1", "--ra", "101"}
                                      << 2 << "--ra: il valore 101 " + rateBounds;
    QTest::newRow("contribution rate")
        << QStringList{"calcola", "--onorario", "1000", "--iva", "22", "--cassa", "122"} << 2
        << "--cassa: il valore 122 " + rateBounds;
    QTest::newRow("negative expenses")
        << QStringList{"calcola", "--onorario", "1", "--spese", "-1"} << 2
        << "--spese: l'importo -1.00 non è ammesso: non può essere negativo";
    QTest::newRow("ambiguous fee") << QStringList{"calcola", "--onorario", "1.470"} << 2
                                   << "--onorario: \"1.470\" non è chiaro";
    QTest::newRow("count") << QStringList{"demo", "--fatture", "-1"} << 2
                           << "--fatture: -1 è fuori dai limiti";
    QTest::newRow("missing number") << QStringList{"fattura-pdf", "2025"} << 2 << "manca NUMERO";
    QTest::newRow("extra argument")
        << QStringList{"fattura-pdf", "2025", "1", "2"} << 2 << "argomento in più \"2\"";
    QTest::newRow("year") << QStringList{"fattura-pdf", "duemila", "1"} << 2
                          << "ANNO: \"duemila\" non è un numero intero";
    QTest::newRow("no database") << QStringList{"fattura-pdf", "2025", "1"} << 1
                                 << "nessun database in";
    QTest::newRow("e-invoice period")
        << QStringList{"fatturapa", "--dal", "01/01/2025"} << 2 << "fatturapa: manca --al";
    QTest::newRow("e-invoice both")
        << QStringList{"fatturapa", "2025", "1", "--al", "01/01/2025"} << 2 << "non entrambi";
    QTest::newRow("pro-forma output")
        << QStringList{"parcella-pdf", "2025", "1"} << 2 << "manca --output";
    const QStringList report{"report", "fatturato", "--output", "r.pdf"};
    QTest::newRow("report name") << QStringList{"report", "vendite", "--output", "r.pdf"} << 2
                                 << "report sconosciuto \"vendite\"";
    QTest::newRow("report date") << report + QStringList{"--al", "31/13/2024"} << 2
                                 << "--al: \"31/13/2024\" non è una data";
    QTest::newRow("inverted period")
        << report + QStringList{"--dal", "2024-02-01", "--al", "310124"} << 2
        << "falmide: Indicazione date non corretto";
    QTest::newRow("report option")
        << QStringList{"report", "movimenti", "--inevase", "--output", "r.pdf"} << 2
        << "--inevase vale solo per il report fatturato";
    QTest::newRow("report output") << QStringList{"report", "ritenute"} << 2 << "manca --output";
    // Never a start of the windows.
    QTest::newRow("lone dash") << QStringList{"-"} << 2
                               << "argomento non valido \"-\" (uso: falmide";
    QTest::newRow("double dash") << QStringList{"--"} << 2 << "argomento non valido \"--\"";
    QTest::newRow("double dash, command")
        << QStringList{"--", "verifica"} << 2 << "argomento non valido \"--\"";
    QTest::newRow("version with a value")
        << QStringList{"--version=1"} << 2
        << "l'opzione --version non vuole un valore (uso: falmide";
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

void BatchTest::dates()
{
    // The reader the period commands take their dates with.
    auto date = [](const QString& text) -> std::optional<QDate> {
        BatchCommand command;
        command.options = {valueOption("dal", {}, "data")};
        QCommandLineParser parser;
        parser.addOption(command.options.front());
        parser.parse({"falmide", "prova", "--dal", text});
        QTextStream out(stdout);
        QBuffer data;
        BatchRun run(command, parser, out, out, data, {}, [](AppContext&) {});
        try {
            return run.date("dal");
        } catch (const BatchError& error) {
            if (error.status != 2 || !error.message.contains("non è una data"))
                return QDate(1, 1, 1);
            return std::nullopt;
        }
    };
    QCOMPARE(date("05/03/2024"), QDate(2024, 3, 5));
    QCOMPARE(date("050324"), QDate(2024, 3, 5));
    QCOMPARE(date("2024-03-05"), QDate(2024, 3, 5));
    QCOMPARE(date("30/02/2024"), std::nullopt);
    QCOMPARE(date("domani"), std::nullopt);
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
    QTest::newRow("rounding") << QStringList{"--onorario", "333.33", "--iva", "22", "--cassa", "4"}
                              << json("76.27", "13.33", "", "422.93");
    QTest::newRow("no rates") << QStringList{"--onorario", "1234567.89"}
                              << json("", "", "", "1234567.89");
    QTest::newRow("zero fee") << QStringList{"--onorario", "0"} + rates << json("", "", "", "");
    QTest::newRow("negative fee") << QStringList{"--onorario", "-100"} + rates
                                  << json("-22.88", "-4.00", "-20.00", "-106.88");
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
        return run({"demo", "--dir", folder(m_dir, name), "--seed", seed, "--fatture", "60"});
    };
    QCOMPARE(demo("a", "7").status, 0);
    QCOMPARE(demo("b", "7").status, 0);
    QCOMPARE(demo("c", "8").status, 0);
    const QByteArray a = pdftest::readFile(folder(m_dir, "a/falmide.db"));
    QVERIFY(a.size() > 50'000);
    QVERIFY(a == pdftest::readFile(folder(m_dir, "b/falmide.db")));
    QVERIFY(a != pdftest::readFile(folder(m_dir, "c/falmide.db")));
    // A database holding data is refused and left as it was.
    const Outcome again = demo("a", "9");
    QCOMPARE(again.status, 1);
    QVERIFY(again.err.contains("contiene già dei dati"));
    QVERIFY(a == pdftest::readFile(folder(m_dir, "a/falmide.db")));

    // Tax codes carry their check characters; the amounts are the program's.
    QCOMPARE(codiceFiscale("Rossi", "Mario", QDate(1980, 1, 1), false, "H501"),
             QStringLiteral("RSSMRA80A01H501U"));
    QCOMPARE(partitaIva("1234567890"), QStringLiteral("12345678903"));
    Database db;
    QString error;
    QVERIFY2(db.open(folder(m_dir, "a/falmide.db"), &error), qPrintable(error));
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
    QVERIFY(q.exec("SELECT COUNT(*), COUNT(DISTINCT strftime('%Y', Data)), COUNT(DataPag), "
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
    const QString home = folder(m_dir, QStringLiteral("pdf"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "20", "--parcelle", "3"}).status, 0);
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
    Database db;
    QString error;
    QVERIFY(db.open(home + "/falmide.db", &error));
    const auto client = Clients(db).find(invoice->clientCode, &error);
    QVERIFY(client);
    QVERIFY(pdftest::output("pdftotext", {archived, "-"}).contains(client->name));

    const QString proForma = m_dir.filePath("out/parcella.pdf");
    outcome = run({"parcella-pdf", QString::number(Clock::today().year() - 1), "1", "--dir", home,
                   "--output", proForma});
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out, proForma + '\n');
    QCOMPARE(pdftest::pageCount(proForma), 1);

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
    const QString home = folder(m_dir, QStringLiteral("xml"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "24"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    Database db;
    QString error;
    QVERIFY(db.open(home + "/falmide.db", &error));
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
    QProcess lint;
    lint.start("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, xml});
    QVERIFY(lint.waitForFinished(30000));
    QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
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
    lint.start("xmllint",
               {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, files.first()});
    QVERIFY(lint.waitForFinished(30000));
    QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());

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
    QVERIFY(db.execute("UPDATE Clienti SET Denominazione = 'Rossi' || char(27) || '[2J' WHERE "
                       "CodCliente = ?",
                       {invoice->clientCode}, &error));
    outcome = run({"fatturapa", year, number, "--dir", home, "--output", out});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("\\x1B") && !outcome.err.contains(QChar(27)),
             qPrintable(outcome.err));
    // An archive that only reads: refused before any file is written.
    Database readOnly;
    QVERIFY(readOnly.openForCheck(home + "/falmide.db", &error));
    QString message;
    QVERIFY(!exportFatturaPA(readOnly, Settings(home + "/falmide.ini"), home, invoice->key, out,
                             &message));
    QVERIFY2(message.contains("solo letto"), qPrintable(message));
    QVERIFY(!QFile::exists(out));

    // AllegaPDF: the archived PDF inside the file, written first when the
    // archive has none; one already there is taken as it is.
    QVERIFY(db.execute("UPDATE Clienti SET Denominazione = 'Rossi' WHERE CodCliente = ?",
                       {invoice->clientCode}, &error));
    QFile ini(home + "/falmide.ini");
    QVERIFY(ini.open(QIODevice::Append) && ini.write("\n[FatturaPA]\nAllegaPDF=1\n") > 0);
    ini.close();
    const QString pdf = home + "/Fatture/" + year + "/Fattura_" + year + "_" + number + ".pdf";
    QVERIFY(!QFile::exists(pdf));
    const auto attachment = [&]() {
        const auto x = QString::fromUtf8(pdftest::readFile(out));
        const auto tag = [&x](const QString& name) {
            const qsizetype from = x.indexOf("<" + name + ">") + name.size() + 2;
            return x.mid(from, x.indexOf("</" + name + ">") - from);
        };
        return std::pair(tag("NomeAttachment"),
                         QByteArray::fromBase64(tag("Attachment").toLatin1()));
    };
    for (const bool archived : {false, true}) {
        if (archived)
            QVERIFY(pdftest::writeFile(pdf, "%PDF-1.4 gi\xc3\xa0 in archivio"));
        // Written once already, at the start.
        outcome = run({"fatturapa", year, number, "--dir", home, "--output", out, "--di-nuovo"});
        QCOMPARE(outcome.err, QString());
        QCOMPARE(outcome.status, 0);
        lint.start("xmllint", {"--noout", "--nonet", "--schema", FALMIDE_FATTURAPA_SCHEMA, out});
        QVERIFY(lint.waitForFinished(30000));
        QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
        const auto [name, bytes] = attachment();
        QCOMPARE(name, QFileInfo(pdf).fileName());
        QCOMPARE(bytes, pdftest::readFile(pdf));
        if (!archived) {
            const QString problems = pdftest::check(pdf, {"Rossi"});
            QVERIFY2(problems.isEmpty(), qPrintable(problems));
        }
    }
}

void BatchTest::fatturaPAWrittenAgainAndWithdrawn()
{
    const QString home = folder(m_dir, QStringLiteral("sendings"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "8"}).status, 0);
    const auto invoice = lastInvoice(home);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    const QStringList write{"fatturapa", year, number, "--dir", home};
    auto sha256 = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                   : QByteArray();
    };

    Outcome outcome = run(write);
    QCOMPARE(outcome.status, 0);
    const QString first = outcome.out.trimmed();
    QVERIFY2(first.endsWith("_A0001.xml"), qPrintable(first));
    const QByteArray firstHash = sha256(first);

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
    QCOMPARE(sha256(first), firstHash);
    QFile xml(second);
    QVERIFY(xml.open(QIODevice::ReadOnly) &&
            xml.readAll().contains("<ProgressivoInvio>A0002</ProgressivoInvio>"));

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
    QCOMPARE(sha256(first), firstHash);
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
    QTest::newRow("turnover") << QStringList{"fatturato"} << "1"
                              << "";
    QTest::newRow("one client, unpaid") << QStringList{"fatturato", "--cliente", "@", "--inevase"}
                                        << "CodCli = '@' AND DataPag IS NULL"
                                        << "";
    QTest::newRow("withholding of a year")
        << QStringList{"ritenute", "--dal", "01/01/" + y, "--al", y + "-12-31"}
        << "DataPag LIKE '" + y + "%' AND ImportoRA <> 0"
        << "";
    QTest::newRow("purchases") << QStringList{"movimenti", "--al", "31/12/" + y}
                               << "Data <= '" + y + "-12-31'"
                               << "";
    QTest::newRow("no such client") << QStringList{"fatturato", "--cliente", "ZZ9"} << ""
                                    << "--cliente: il codice \"ZZ9\" non esiste in archivio";
    QTest::newRow("nothing selected") << QStringList{"movimenti", "--al", "01/01/2000"} << ""
                                      << "Nessun documento nel periodo indicato";
    QTest::newRow("output not writable")
        << QStringList{"movimenti", "--output", "falmide.db/r.pdf"} << ""
        << "impossibile scrivere nella cartella";
}

void BatchTest::reports()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QFETCH(QString, error);
    const QString home = folder(m_dir, QStringLiteral("reports"));
    if (!QFile::exists(home + "/falmide.db"))
        QCOMPARE(run({"demo", "--dir", home, "--fatture", "150", "--movimenti", "80"}).status, 0);
    Database db;
    QString dbError;
    QVERIFY(db.open(home + "/falmide.db", &dbError));
    QSqlQuery q(db.connection());
    QVERIFY(q.exec("SELECT CodCli FROM Fatture WHERE DataPag IS NULL ORDER BY Chiave") && q.next());
    const QString client = q.value(0).toString();
    arguments.replaceInStrings(QRegularExpression("^@$"), client)
        .replaceInStrings("falmide.db/", home + "/falmide.db/");
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
    const QString home = folder(m_dir, QStringLiteral("process"));
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
    const QString demoHelp = program({"demo", "--help"}).out;
    for (const char* count : {"quanti clienti (", "quanti fornitori (", "quante fatture (",
                              "quante parcelle (", "quanti acquisti ("})
        QVERIFY2(demoHelp.contains(QString::fromUtf8(count)), qPrintable(demoHelp));
    // The windows without a screen: said in one line, not an abort.
    const Outcome windows = program({});
    QCOMPARE(windows.status, 1);
    QVERIFY2(windows.err.startsWith("falmide: impossibile aprire le finestre: nessuno schermo") &&
                 windows.err.count('\n') == 1,
             qPrintable(windows.err));
    QCOMPARE(program({"-"}).status, 2);
    const Outcome help = program({"--help"});
    for (const char* command : {"demo", "calcola", "fattura-pdf", "parcella-pdf", "report",
                                "backup", "verifica", "compatta", "ripara"})
        QVERIFY(help.out.contains(QLatin1String("\n  ") + command));
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

#include "SdiBatchTest.h"

#include "BatchTestSupport.h"
#include "Database.h"
#include "DocumentKey.h"
#include "IniFile.h"
#include "PdfTestSupport.h"
#include "Sendings.h"
#include "Snapshot.h"
#include "SupplierInvoiceXml.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The hand-written receipt of `kind` (RC, NS, MC, DT, AT) about `file`,
// written into `folder` and checked against the SdI's messages schema.
QString receipt(const QString& kind, const QString& file, const QString& folder,
                const QString& suffix = QStringLiteral("001"))
{
    const QDir receipts(QStringLiteral(FALMIDE_RECEIPTS));
    const QStringList found =
        receipts.entryList({QStringLiteral("*_%1_001.xml").arg(kind)}, QDir::Files);
    if (found.size() != 1)
        return {};
    QString xml = QString::fromUtf8(pdftest::readFile(receipts.filePath(found.constFirst())));
    xml.replace(QRegularExpression(QStringLiteral("<NomeFile>[^<]*\\.xml</NomeFile>")),
                QStringLiteral("<NomeFile>%1</NomeFile>").arg(file));
    const QString path = QStringLiteral("%1/%2_%3_%4.xml")
                             .arg(folder, QFileInfo(file).completeBaseName(), kind, suffix);
    if (!pdftest::writeFile(path, xml.toUtf8()))
        return {};
    QProcess lint;
    lint.start(QStringLiteral("xmllint"),
               {"--noout", "--nonet", "--schema", FALMIDE_MESSAGES_SCHEMA, path});
    if (!lint.waitForFinished(30000) || lint.exitCode() != 0)
        return {};
    return path;
}

QString stateOf(const QString& home, const QString& file)
{
    Database db;
    QString error;
    if (!openTestDatabase(db, home + "/falmide.db", &error))
        return error;
    const auto s = Sendings(db).byFileName(file, &error);
    return s ? storedState(s->state) + ' ' + s->stateDate.toString("dd/MM/yyyy") + ' ' + s->sdiId
             : error;
}

} // namespace

void SdiBatchTest::init()
{
    QVERIFY(m_dir.isValid());
    qputenv("FALMIDE_HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
}

void SdiBatchTest::receiptsRecordTheSendingsState()
{
    const QString home = dataHome(m_dir, QStringLiteral("receipts"));
    const QString inbox = folder(m_dir, QStringLiteral("inbox"));
    QVERIFY(QDir().mkpath(inbox));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "8"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    const QString name = number + "/" + year;
    Outcome outcome = run({"fatturapa", year, number, "--dir", home});
    QCOMPARE(outcome.status, 0);
    const QString first = QFileInfo(outcome.out.trimmed()).fileName();

    // Rejected: recorded with its errors; the invoice is free again, and
    // its next file has a new progressive.
    const QString rejected = receipt("NS", first, inbox);
    QVERIFY(!rejected.isEmpty());
    outcome = run({"ricevute", rejected, "--dir", home});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.out, QFileInfo(rejected).fileName() + ": fattura " + name + " (" + first +
                              "), Scartata il 09/12/2026: 00305 IdFiscaleIVA del cessionario "
                              "non valido; 00423 PrezzoTotale non calcolato secondo le "
                              "specifiche tecniche\n");
    QCOMPARE(stateOf(home, first), QStringLiteral("NS 09/12/2026 4520150988"));
    // The same receipt again changes nothing.
    outcome = run({"ricevute", rejected, "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.endsWith("ricevuta già registrata\n"), qPrintable(outcome.out));
    QVERIFY(run({"annulla-invio", year, number, "--dir", home})
                .err.contains("non ha invii da annullare"));
    outcome = run({"fatturapa", year, number, "--dir", home});
    QCOMPARE(outcome.status, 0);
    const QString second = QFileInfo(outcome.out.trimmed()).fileName();
    QVERIFY2(second != first && second.endsWith("_A0002.xml"), qPrintable(second));

    // Delivered, then the terms expire; an older receipt read later, and a
    // contradicting one, change nothing. A delivered file is not withdrawn.
    const QString delivered = receipt("RC", second, inbox);
    const QString expired = receipt("DT", second, inbox);
    const QString missed = receipt("MC", second, inbox);
    QVERIFY(!delivered.isEmpty() && !expired.isEmpty() && !missed.isEmpty());
    outcome = run({"ricevute", delivered, "--dir", home});
    QVERIFY2(outcome.out.endsWith("Consegnata il 08/12/2026\n"), qPrintable(outcome.out));
    QCOMPARE(stateOf(home, second), QStringLiteral("RC 08/12/2026 4520150761"));
    QVERIFY(
        run({"annulla-invio", year, number, "--dir", home}).err.contains("già stato accettato"));
    outcome = run({"ricevute", expired, delivered, "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains("Decorrenza termini") &&
                 outcome.out.endsWith("ricevuta già registrata\n"),
             qPrintable(outcome.out));
    QVERIFY(stateOf(home, second).startsWith("DT "));
    outcome = run({"ricevute", missed, "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY(stateOf(home, second).startsWith("DT "));

    // Another invoice: not delivered, then a rejection that contradicts it.
    const QString other = QString::number(invoice->key.number() - 1);
    outcome = run({"fatturapa", year, other, "--dir", home});
    QCOMPARE(outcome.status, 0);
    const QString third = QFileInfo(outcome.out.trimmed()).fileName();
    QVERIFY(run({"ricevute", receipt("MC", third, inbox), "--dir", home})
                .out.contains("Non recapitata: disponibile nel cassetto fiscale del cliente"));
    outcome = run({"ricevute", receipt("NS", third, inbox, "002"), "--dir", home});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("contraddice quella già registrata"), qPrintable(outcome.err));
    QVERIFY(stateOf(home, third).startsWith("MC "));

    // A file of no sending and a file that is no receipt are named, the
    // others still read; the command fails.
    const QString unknown = receipt("AT", "IT09876543217_ZZZZZ.xml", inbox);
    const QString notReceipt = home + "/Fatture/" + year + "/" + second;
    outcome = run({"ricevute", unknown, notReceipt, delivered, "--dir", home});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("nessun invio di nome IT09876543217_ZZZZZ.xml") &&
                 outcome.err.contains(second) &&
                 outcome.err.contains("2 ricevute su 3 non registrate"),
             qPrintable(outcome.err));
    QCOMPARE(outcome.out.count('\n'), 1);
    QCOMPARE(run({"ricevute", "--dir", home}).status, 2);
}

void SdiBatchTest::periodZip()
{
    const QString home = dataHome(m_dir, QStringLiteral("zip"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "12"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    const QString zip = m_dir.filePath("out/periodo.zip");
    const QStringList period{"fatturapa", "--dir",         home,    "--dal", "01/01/" + year,
                             "--al",      "31/12/" + year, "--zip", zip};

    // The period's files written, then packed with the one written before,
    // withdrawn and written again, in its latest file only.
    QCOMPARE(run({"fatturapa", year, number, "--dir", home}).status, 0);
    QCOMPARE(run({"annulla-invio", year, number, "--dir", home}).status, 0);
    Outcome outcome = run(period);
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    QStringList written = outcome.out.trimmed().split('\n');
    QCOMPARE(written.takeLast(), zip);
    QProcess unzip;
    unzip.start("unzip", {"-t", zip});
    QVERIFY(unzip.waitForFinished(30000));
    QVERIFY2(unzip.exitCode() == 0, unzip.readAllStandardOutput().constData());
    unzip.start("unzip", {"-Z1", zip});
    QVERIFY(unzip.waitForFinished(30000));
    QStringList names = QString::fromUtf8(unzip.readAllStandardOutput()).trimmed().split('\n');
    QStringList expected;
    for (const QString& path : written)
        expected << QFileInfo(path).fileName();
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
    QVERIFY(!names.join(' ').contains("_A0001.xml")); // the withdrawn file
    unzip.start("unzip", {"-p", zip, expected.constFirst()});
    QVERIFY(unzip.waitForFinished(30000));
    QCOMPARE(unzip.readAllStandardOutput(),
             pdftest::readFile(home + "/Fatture/" + year + "/" + expected.constFirst()));

    // A file changed since it was written refuses the archive, which stays
    // as it was; --zip belongs to a period.
    const QByteArray before = pdftest::readFile(zip);
    const QString changed = home + "/Fatture/" + year + "/" + expected.constLast();
    QVERIFY(pdftest::writeFile(changed, pdftest::readFile(changed) + "\n"));
    outcome = run(period);
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains(expected.constLast() + " della fattura") &&
                 outcome.err.contains("modificato dopo la scrittura"),
             qPrintable(outcome.err));
    QCOMPARE(pdftest::readFile(zip), before);
    outcome = run({"fatturapa", year, number, "--dir", home, "--zip", zip});
    QCOMPARE(outcome.status, 2);
    QVERIFY(outcome.err.contains("--zip vale solo per un periodo"));
    // A period without any file.
    outcome = run(
        {"fatturapa", "--dir", home, "--dal", "01/01/1990", "--al", "31/12/1990", "--zip", zip});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("Nessuna fattura elettronica scritta nel periodo"),
             qPrintable(outcome.err));
}

void SdiBatchTest::suppliersInvoicesImported()
{
    const QString home = dataHome(m_dir, QStringLiteral("suppliers"));
    const QString inbox = folder(m_dir, QStringLiteral("inbox-suppliers"));
    QVERIFY(QDir().mkpath(inbox) && QDir().mkpath(home));
    {
        Database db;
        QString error;
        QVERIFY2(openTestDatabase(db, home + "/falmide.db", &error), qPrintable(error));
        QVERIFY(db.execute("UPDATE datipers SET PartitaIVA = '09876543217'", {}, &error));
    }
    const QString first = inbox + "/IT01234567890_00001.xml";
    const QString copy = inbox + "/copia.xml";
    const QString other = inbox + "/altro.xml";
    const QByteArray xml = supplierxml::xml(supplierxml::twoRatesAndN1());
    QVERIFY(pdftest::writeFile(first, xml) && pdftest::writeFile(copy, xml) &&
            pdftest::writeFile(other, "<html/>"));

    // One line per file; the refused ones on the standard error and the
    // exit status 1, the others imported all the same.
    Outcome outcome = run({"ricevute-fornitori", first, copy, other, "--dir", home});
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.out, QStringLiteral("IT01234567890_00001.xml: fattura 15/A del 03/11/2026 "
                                         "di Rossi Srl registrata come movimenti 2026/00001, "
                                         "2026/00002 (nuovo fornitore ROSSISRL)\n"));
    QVERIFY2(outcome.err.startsWith("falmide: copia.xml: file già importato il ") &&
                 outcome.err.contains("falmide: altro.xml: non è una fattura elettronica "
                                      "FatturaPA (contiene html)\n") &&
                 outcome.err.endsWith("falmide: 2 file su 3 non importati\n"),
             qPrintable(outcome.err));
    QCOMPARE(pdftest::readFile(home + "/Ricevute/2026/IT01234567890_00001.xml"), xml);

    // All imported: exit status 0.
    supplierxml::File next = supplierxml::twoRatesAndN1();
    next.bodies[0].number = "16/A";
    const QString second = inbox + "/IT01234567890_00002.xml";
    QVERIFY(pdftest::writeFile(second, supplierxml::xml(next)));
    outcome = run({"ricevute-fornitori", second, "--dir", home});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.endsWith("movimenti 2026/00003, 2026/00004\n"), qPrintable(outcome.out));
    QVERIFY(outcome.err.isEmpty());
}

void SdiBatchTest::filesInTheSharedArchiveFolder()
{
    const QString home = dataHome(m_dir, QStringLiteral("desk"));
    const QString share = folder(m_dir, QStringLiteral("studio"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "3"}).status, 0);
    QVERIFY(ScriviIni("Generale", "Archivio", home + "/falmide.ini", "../studio"));
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QStringList command{"fatturapa", year, QString::number(invoice->key.number()), "--dir",
                              home};

    // A share not mounted is said, and never made on the local disk.
    Outcome outcome = run(command);
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("La cartella dell'archivio " + share + " non esiste"),
             qPrintable(outcome.err));
    QVERIFY(!QFileInfo::exists(share));
    QVERIFY(!QFileInfo::exists(home + "/Fatture"));

    QVERIFY(QDir().mkdir(share));
    outcome = run(command);
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const QString written = outcome.out.trimmed();
    QCOMPARE(QFileInfo(written).path(), share + "/Fatture/" + year);
    QVERIFY(QFileInfo(written).isFile());
    QVERIFY(!QFileInfo::exists(home + "/Fatture"));
}

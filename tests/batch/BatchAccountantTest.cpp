// The accountant's spreadsheet from the command line, read back by other
// readers: openpyxl for the XLSX, Python's csv for the CSV, unzip.
#include "BatchTest.h"

#include "BatchTestSupport.h"
#include "Database.h"
#include "PdfTestSupport.h"
#include "PeriodSelection.h"
#include "TestDatabase.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace {

// Per sheet: its name, its rows before the totals, whether every date is a
// date and every amount a number, then the totals of the columns the period
// reports also add up, in cents. The CSV files are read the same way.
const char* kReadBack = R"(
import csv, datetime, sys, openpyxl
from decimal import Decimal
COLUMNS = {'Fatture': [5, 6, 9, 13, 10], 'Acquisti': [4, 6, 7, 8]}
def cents(v):
    if isinstance(v, str):
        v = v.replace(',', '.')
    return str(int(Decimal(str(v)) * 100))
def show(name, rows, typed):
    body, total = rows[:-1], rows[-1]
    ok = total[0] == 'Totale' and all(typed(r) for r in body)
    print(name, len(body), 'ok' if ok else 'WRONG', *[cents(total[c]) for c in COLUMNS[name]])
for path in sys.argv[1:]:
    if path.endswith('.xlsx'):
        for ws in openpyxl.load_workbook(path).worksheets:
            rows = list(ws.iter_rows(min_row=2, values_only=True))
            show(ws.title, rows, lambda r: isinstance(r[0], datetime.datetime) and
                 isinstance(r[1], (int, float)) and
                 all(isinstance(r[c], (int, float)) for c in COLUMNS[ws.title]))
    else:
        with open(path, encoding='utf-8-sig', newline='') as f:
            rows = list(csv.reader(f, delimiter=';'))[1:]
        name = 'Acquisti' if path.endswith('_acquisti.csv') else 'Fatture'
        show(name, rows, lambda r: datetime.datetime.strptime(r[0], '%d/%m/%Y') is not None)
)";

QString readBack(const QStringList& files)
{
    QProcess python;
    python.start("/usr/bin/python3", QStringList{"-c", kReadBack} + files);
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

// The same lines from the program's own period reports.
QString reportTotals(const QString& home, const QDate& first, const QDate& last)
{
    Database db;
    QString error;
    if (!openTestDatabase(db, home + "/falmide.db", &error))
        return error;
    ParametriLista selection{first, last, {}, false};
    QString lines;
    const std::pair<PeriodReport, QList<ReportAmount>> reports[] = {
        {PeriodReport::Fatturato,
         {ReportAmount::Fee, ReportAmount::Contribution, ReportAmount::Vat,
          ReportAmount::Withholding, ReportAmount::Expenses}},
        {PeriodReport::Movimenti,
         {ReportAmount::Taxable, ReportAmount::Vat, ReportAmount::Deductible,
          ReportAmount::Exempt}}};
    for (const auto& [report, amounts] : reports) {
        const QList<ReportAmount> kind(kindOf(report).amounts.begin(),
                                       kindOf(report).amounts.end());
        QVector<Money> sums(amounts.size());
        int count = 0;
        const QString stop =
            selectLines(db, report, Reader::Printout, selection, [&](const ReportLine& line) {
                ++count;
                for (int i = 0; i < amounts.size(); ++i)
                    sums[i] = sums[i] + line.amounts.value(kind.indexOf(amounts[i]));
            });
        if (!stop.isEmpty())
            return stop;
        lines += report == PeriodReport::Fatturato ? "Fatture " : "Acquisti ";
        lines += QString::number(count) + " ok";
        for (const Money& sum : std::as_const(sums))
            lines += " " + QString::number(*sum.cents());
        lines += "\n";
    }
    return lines;
}

QStringList zipListing(const QString& zip)
{
    QProcess unzip;
    unzip.start("unzip", {"-t", zip});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return {"unzip -t: " + QString::fromUtf8(unzip.readAllStandardOutput())};
    unzip.start("unzip", {"-Z1", zip});
    unzip.waitForFinished(30000);
    QStringList names = QString::fromUtf8(unzip.readAllStandardOutput()).trimmed().split('\n');
    names.sort();
    return names;
}

} // namespace

void BatchTest::accountantExport()
{
    const QString home = dataHome(m_dir, QStringLiteral("accountant"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "12", "--movimenti", "20"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const int year = invoice->key.year();
    const QString y = QString::number(year);
    const QString number = QString::number(invoice->key.number());
    const QStringList period{"esporta", "--dir", home, "--dal", "01/01/" + y, "--al", "31/12/" + y};
    // One invoice of the year archived and sent: the ZIP takes its PDF and
    // its file; the others are named as missing both.
    QCOMPARE(run({"fattura-pdf", y, number, "--dir", home}).status, 0);
    Outcome outcome = run({"fatturapa", y, number, "--dir", home});
    QCOMPARE(outcome.status, 0);
    const QString xml = QFileInfo(outcome.out.trimmed()).fileName();

    const QString out = m_dir.filePath("accountant-out");
    const QString xlsx = out + "/Commercialista.xlsx";
    outcome = run(period + QStringList{"--output", xlsx, "--zip"});
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.out, xlsx + "\n" + out + "/Commercialista.zip\n");
    QVERIFY2(outcome.err.contains("senza PDF nell'archivio"), qPrintable(outcome.err));
    const QString expected = reportTotals(home, {year, 1, 1}, {year, 12, 31});
    QVERIFY2(!expected.contains(" 0 ok"), qPrintable(expected)); // a year with documents
    QCOMPARE(readBack({xlsx}), expected);
    QCOMPARE(zipListing(out + "/Commercialista.zip"),
             QStringList({"Commercialista.xlsx", "FatturaPA/" + xml,
                          "PDF/Fattura_" + y + "_" + number + ".pdf"}));

    // CSV: the purchases beside the invoices, the same totals.
    const QString csv = out + "/Commercialista.csv";
    outcome = run(period + QStringList{"--output", csv});
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.out, csv + "\n" + out + "/Commercialista_acquisti.csv\n");
    QCOMPARE(readBack({csv, out + "/Commercialista_acquisti.csv"}), expected);

    // An empty period: the headers and zero totals.
    const QString empty = out + "/vuoto.xlsx";
    outcome = run({"esporta", "--dir", home, "--dal", "01/01/1990", "--al", "31/12/1990",
                   "--output", empty, "--zip"});
    QCOMPARE(outcome.status, 0);
    QCOMPARE(readBack({empty}), QString("Fatture 0 ok 0 0 0 0 0\nAcquisti 0 ok 0 0 0 0\n"));
    QCOMPARE(zipListing(out + "/vuoto.zip"), QStringList{"vuoto.xlsx"});

    // Refused with nothing written: another extension, and an electronic
    // invoice changed since it was written (which would leave the archive).
    const QString refused = m_dir.filePath("accountant-refused");
    outcome = run(period + QStringList{"--output", refused + "/a.ods"});
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.contains("deve finire in .xlsx"), qPrintable(outcome.err));
    QFile sent(home + "/Fatture/" + y + "/" + xml);
    QVERIFY(sent.open(QIODevice::Append) && sent.write("\n") == 1);
    sent.close();
    outcome = run(period + QStringList{"--output", refused + "/a.xlsx", "--zip"});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("nessun file ZIP scritto"), qPrintable(outcome.err));
    QCOMPARE(QDir(refused).entryList(QDir::Files | QDir::Hidden), QStringList());
}

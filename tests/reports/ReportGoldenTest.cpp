#include "ReportGoldenTest.h"

#include "Clock.h"
#include "IniFile.h"
#include "KeyText.h"
#include "ListModel.h"
#include "PageDump.h"
#include "PeriodReportLayout.h"
#include "PrintRun.h"
#include "Purchase.h"
#include "ReportExport.h"
#include "TableWalk.h"
#include "TextBoxes.h"

#include <QDir>
#include <QPdfWriter>
#include <QtTest>
#include <numeric>

namespace {

const QString kGoldenDir = QStringLiteral(FALMIDE_REPORT_GOLDEN_DIR);

// rows.txt: a "[Table]" line, then a line of column names and one line per
// row, cells separated by "|"; an empty cell is Null. The key is made as
// the windows make it: a code padded to 10, or the year of the date and the
// number; a "Chiave" cell "2027 5" gives the key of year 2027, number 5.
bool loadRows(Database& db, const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + path;
        return false;
    }
    QString table;
    QStringList columns;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            table = line.mid(1, line.size() - 2);
            columns.clear();
            continue;
        }
        QStringList cells = line.split('|');
        for (QString& cell : cells)
            cell = cell.trimmed();
        if (columns.isEmpty()) {
            columns = cells;
            continue;
        }
        QVariantMap row;
        for (int i = 0; i < columns.size(); ++i)
            row.insert(columns[i], cells.value(i).isEmpty() ? QVariant() : QVariant(cells[i]));
        const bool master = table == "Clienti" || table == "Fornitori";
        QString key = row.value("Chiave").toString();
        if (master)
            key = normalizeKey(cells.value(0), 10);
        else {
            if (key.isEmpty())
                key = row.value("Data").toString().left(4) + ' ' + row.value("Numero").toString();
            key = key.section(' ', 0, 0) + key.section(' ', 1).rightJustified(10);
        }
        row.insert("Chiave", key);
        const QStringList marks(row.size(), "?");
        if (!db.execute("INSERT INTO " + table + " (" + row.keys().join(", ") + ") VALUES (" +
                            marks.join(", ") + ")",
                        row.values(), error))
            return false;
    }
    return true;
}

PeriodReport reportNamed(const QString& name)
{
    if (name == "Ritenuta")
        return PeriodReport::Ritenuta;
    return name == "Movimenti" ? PeriodReport::Movimenti : PeriodReport::Fatturato;
}

} // namespace

void ReportGoldenTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    m_oldTemp = qgetenv("TEMP");
    qputenv("TEMP", m_data.path().toLocal8Bit());
    Clock::setToday(QDate(2027, 1, 15));
}

void ReportGoldenTest::cleanup()
{
    Clock::setToday(QDate());
    qputenv("TEMP", m_oldTemp);
    m_data.tearDown();
}

void ReportGoldenTest::cases_data()
{
    QTest::addColumn<QString>("folder");
    const QStringList names = QDir(kGoldenDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << kGoldenDir + '/' + name;
}

// settings.ini, section [Selezione]: Stampa (Fatturato, Ritenuta or
// Movimenti), Vista (Stampa: the recorded pages; Lista: the list window's
// grid), Dal and Al as typed, Cliente and Inevase (1 ticked).
void ReportGoldenTest::cases()
{
    QFETCH(QString, folder);
    QString error;
    QVERIFY2(loadRows(m_data.context().DbArchivi, folder + "/rows.txt", &error), qPrintable(error));
    const QString ini = folder + "/settings.ini";
    auto setting = [&ini](const char* key) {
        return LeggiIni("Selezione", key, ini).value_or(QString());
    };
    const PeriodReport report = reportNamed(setting("Stampa"));
    ParametriLista selection{parseItalianDate(setting("Dal")), parseItalianDate(setting("Al")),
                             setting("Cliente"), setting("Inevase") == "1"};

    QStringList dump;
    QString message;
    if (setting("Vista") == "Lista") {
        ListModel model(report);
        message = model.load(m_data.context().DbArchivi, selection);
        QStringList titles;
        for (int c = 0; c < model.columnCount(); ++c)
            titles << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        dump << titles.join(" | ");
        for (int r = 0; r < model.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model.columnCount(); ++c)
                cells << model.cell(r, c);
            dump << cells.join(" | ");
        }
    } else {
        QPdfWriter device(m_data.filePath("measure.pdf"));
        device.setPageSize(QPageSize(QPageSize::A4));
        device.setResolution(1200);
        PrintRun run(device);
        QVERIFY(run.recorder().BeginDocument());
        message = StampaPeriodo(run.recorder(), m_data.context().DbArchivi, report, selection,
                                setting("Dal"), setting("Al"));
        QVERIFY(run.recorder().EndDocument());
        for (int page = 0; page < run.pageCount(); ++page) {
            dump << QString("--- pagina %1").arg(page + 1) << dumpPageFile(run.pageFilePath(page));
            // Nothing printed over anything else, nothing past the rules.
            TextBoxes boxes;
            QVERIFY(run.ReplayPage(page, boxes));
            const QStringList faults = boxes.faults();
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        }
    }
    if (!message.isEmpty())
        dump.prepend("messaggio: " + message);
    compareWithGolden(dump, folder + "/expected.txt");
}

void ReportGoldenTest::selectedColumnsReadAsWholeRows_data()
{
    cases_data();
}

// A report reads only the columns its documents are made from: every case's
// documents come out of those as they do out of whole rows.
void ReportGoldenTest::selectedColumnsReadAsWholeRows()
{
    QFETCH(QString, folder);
    QString error;
    QVERIFY2(loadRows(m_data.context().DbArchivi, folder + "/rows.txt", &error), qPrintable(error));
    for (const PeriodReportKind* kind : periodReportKinds()) {
        const ReportSource& source = *kind->source;
        QList<ReportDocument> whole, selected;
        QVERIFY(walkTable(
            m_data.context().DbArchivi, source.documents, {},
            [&](const QVariantList& row) { return whole << source.read(row), true; }, &error));
        QVERIFY(walkTable(
            m_data.context().DbArchivi, source.documents, {}, source.columns,
            [&](const QVariantList& row) { return selected << source.read(row), true; }, &error));
        QCOMPARE(selected.size(), whole.size());
        for (qsizetype i = 0; i < whole.size(); ++i) {
            const ReportDocument& w = whole[i];
            const ReportDocument& s = selected[i];
            QCOMPARE(s.date, w.date);
            QCOMPARE(s.number, w.number);
            QCOMPARE(s.code, w.code);
            QCOMPARE(s.paymentDate, w.paymentDate);
            QCOMPARE(s.paid, w.paid);
            for (int a = 0; a <= int(ReportAmount::Exempt); ++a)
                QVERIFY2(s.amount(ReportAmount(a)) == w.amount(ReportAmount(a)),
                         qPrintable(QString("%1 amount %2").arg(i).arg(a)));
        }
    }
    // A position the table does not have is refused, not read.
    const int outside[] = {0, 99};
    QVERIFY(!walkTable(
        m_data.context().DbArchivi, Table::Fatture, {}, outside,
        [](const QVariantList&) { return true; }, &error));
    QVERIFY(error.contains("99"));
}

void ReportGoldenTest::exportNames()
{
    const ParametriLista year{QDate(2026, 1, 1), QDate(2026, 12, 31), "../r 1", true};
    QCOMPARE(reportExportPath("/dati", PeriodReport::Fatturato, year),
             "/dati/Stampe/Fatturato_2026-01-01_2026-12-31____r_1_inevase.pdf");
    // The client and the unpaid flag belong to the turnover only.
    QCOMPARE(reportExportPath("/dati", PeriodReport::Ritenuta, year),
             "/dati/Stampe/Ritenuta_2026-01-01_2026-12-31.pdf");
    const ParametriLista always{QDate(1, 1, 1), QDate(9999, 12, 31), {}, false};
    QCOMPARE(reportExportPath("/dati", PeriodReport::Movimenti, always),
             "/dati/Stampe/Movimenti_0001-01-01_9999-12-31.pdf");
    QCOMPARE(reportExportTitle(PeriodReport::Fatturato, year),
             "Fatturato dal 01/01/2026 al 31/12/2026");
    QCOMPARE(reportExportPath("/dati", PeriodReport::Fatturato, {}), QString());
}

void ReportGoldenTest::storedRates_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("deductibility");
    QTest::addColumn<qint64>("taxableCents");
    QTest::addColumn<qint64>("vatCents");
    QTest::addColumn<qint64>("deductibleCents");
    QTest::newRow("usual") << 22.0 << 0.5 << qint64(100000) << qint64(22000) << qint64(50000);
    // 0.1 and 0.7 are no binary fractions: read as typed, the halves round up.
    QTest::newRow("decimal rates") << 10.0 << 0.7 << qint64(5) << qint64(1) << qint64(4);
    QTest::newRow("half a cent") << 0.1 << 0.1 << qint64(5005) << qint64(5) << qint64(501);
    QTest::newRow("negative") << 22.0 << 0.5 << qint64(-101) << qint64(-22) << qint64(-51);
}

void ReportGoldenTest::storedRates()
{
    QFETCH(double, rate);
    QFETCH(double, deductibility);
    QFETCH(qint64, taxableCents);
    Purchase p;
    p.taxable = Money::fromCents(taxableCents);
    p.vatRate = storedRate(rate);
    p.deductibility = storedRate(deductibility);
    QTEST(*p.vat().cents(), "vatCents");
    QTEST(*p.deductible().cents(), "deductibleCents");
}

// The width a list opens at gives every column at least what it needs, and
// the columns that keep their width are left out of the shares.
void ReportGoldenTest::listColumnWidths()
{
    const QVector<int> entries = widthEntries(kindOf(PeriodReport::Movimenti).listGrid);
    QCOMPARE(entries, (QVector<int>{2, 7, 3, 13, 8, 8, 8}));
    const QVector<double> needed{1200, 300, 0, 1100, 900, 900};
    const double grid = gridWidthFor(entries, needed, 600, 1500);
    const QVector<int> widths = resizedWidths(entries, grid, 600, 1500);
    QCOMPARE(widths.size(), 6);
    QCOMPARE(widths.at(0), 1200); // the date decides: 1200 * 47 / 7
    for (int i = 0; i < widths.size(); ++i)
        QVERIFY(widths.at(i) >= needed.at(i) - 0.5);
    // Each share is rounded on its own.
    QVERIFY(qAbs(std::accumulate(widths.begin(), widths.end(), 0.0) - (grid - 2500)) < 3);
}

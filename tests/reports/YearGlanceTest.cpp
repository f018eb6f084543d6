#include "YearGlanceTest.h"

#include "AccountantExport.h"
#include "Clock.h"
#include "CreditNotes.h"
#include "ExportSheet.h"
#include "FeeAmounts.h"
#include "InvoiceFixture.h"
#include "PageDump.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "PrintRun.h"
#include "XlsxExport.h"
#include "YearGlance.h"
#include "YearGlancePage.h"

#include <QImage>
#include <QPdfWriter>
#include <QtTest>

namespace {

Money euro(qint64 cents)
{
    return Money::fromCents(cents);
}

// An invoice of `fee` cents at 22% VAT and 20% withholding.
FeeDocument invoice(const QDate& date, qint64 number, const char* client, qint64 fee,
                    const QDate& paid = {})
{
    FeeDocument d;
    d.key = *DocumentKey::of(date, number);
    d.date = date;
    d.clientCode = QString::fromLatin1(client);
    d.fee = euro(fee);
    d.vat = euro(fee * 22 / 100);
    d.withholding = euro(fee / 5);
    d.paymentDate = paid;
    return d;
}

FeeDocument creditNote(const FeeDocument& reversed, const QDate& date, qint64 number, qint64 fee)
{
    FeeDocument d = invoice(date, number, "", fee);
    d.clientCode = reversed.clientCode;
    d.type = DocumentType::CreditNote;
    d.linkedInvoice = reversed.key;
    d.linkedInvoiceDate = reversed.date;
    return d;
}

// What Python's own readers make of the files: openpyxl for the spreadsheet
// (each cell's Python type and value), csv for the CSV file as an Italian
// spreadsheet would split it.
QString readBack(const QString& xlsx, const QString& csv)
{
    static const char* script = R"(
import csv, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for ws in book.worksheets:
    print(ws.title, ws['A2'].number_format, ws['F2'].number_format)
    for row in ws.iter_rows(min_row=2, max_row=3, max_col=6, values_only=True):
        print('|'.join('num:%.2f' % v if isinstance(v, (int, float)) else
                       '%s:%s' % (type(v).__name__, v) for v in row))
with open(sys.argv[2], encoding='utf-8-sig', newline='') as f:
    rows = list(csv.reader(f, delimiter=';'))
print(len(rows), rows[2][5], rows[-1][0])
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(script), xlsx, csv});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

} // namespace

void YearGlanceTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void YearGlanceTest::cleanup()
{
    m_data.tearDown();
}

void YearGlanceTest::monthsClientsAndWithholding()
{
    QVector<FeeDocument> docs{
        invoice({2024, 2, 29}, 1, "ROSSI", 100000, {2024, 3, 1}),
        invoice({2024, 12, 31}, 2, "BIANCHI", 50000, {2025, 1, 10}),
        invoice({2025, 1, 1}, 1, "ROSSI", 20000, {2025, 1, 2}),
        invoice({2025, 2, 28}, 2, "VERDI", 30000, {2025, 3, 1}),
    };
    // A credit note of March takes half of January's invoice back: it counts
    // in March and against the client, not in January.
    docs << creditNote(docs[2], {2025, 3, 5}, 3, 10000);
    for (int i = 0; i < 11; ++i)
        docs << invoice({2025, 6, 1}, 10 + i,
                        qPrintable(QStringLiteral("C%1").arg(i, 2, 10, QChar('0'))), 1000 * (i + 1),
                        {2025, 6, 2});
    const YearGlance g = yearGlance(docs, 2025, {2025, 12, 31});

    QCOMPARE(g.documents, 14);
    QCOMPARE(g.fees[0], euro(20000));
    QCOMPARE(g.fees[1], euro(30000));
    QCOMPARE(g.fees[2], euro(-10000));
    QCOMPARE(g.fees[5], euro(66000));
    QCOMPARE(g.previousFees[1], euro(100000)); // the leap day is February's
    QCOMPARE(g.previousFees[11], euro(50000));
    QCOMPARE(g.cumulated(3), euro(40000));
    QCOMPARE(g.cumulated(12), euro(106000));
    QCOMPARE(g.cumulated(12, true), euro(150000));
    QCOMPARE(g.withholding.value(2024), euro(30000));
    QCOMPARE(g.withholding.value(2025), euro(4000 + 6000 - 2000 + 13200));

    // Ten clients at most, most fees first, ROSSI down to 100 after its note;
    // ties go by code.
    QCOMPARE(g.topClients.size(), 10);
    QCOMPARE(g.topClients[0].code, QStringLiteral("VERDI"));
    QCOMPARE(g.topClients[1].code, QStringLiteral("C10"));
    QCOMPARE(g.topClients[1].fee, euro(11000));
    QCOMPARE(g.topClients[2].code, QStringLiteral("C09"));
    QCOMPARE(g.topClients[3].code, QStringLiteral("ROSSI"));
    QCOMPARE(g.topClients[3].fee, euro(10000));
    QCOMPARE(g.topClients.last().code, QStringLiteral("C03"));

    // A year without documents: empty months and no clients, not a failure.
    const YearGlance none = yearGlance(docs, 2030, {2030, 1, 1});
    QCOMPARE(none.documents, 0);
    QCOMPARE(none.cumulated(12), Money());
    QVERIFY(none.topClients.isEmpty());

    // The window and the page show the same withholding years: from the
    // first with documents, the years between too, at most eight.
    QCOMPARE(withholdingYears(g), (QVector<int>{2024, 2025}));
    QCOMPARE(withholdingYears(none), (QVector<int>{2024, 2025, 2026, 2027, 2028, 2029, 2030}));
    YearGlance far = none;
    far.year = 2031;
    QCOMPARE(withholdingYears(far).size(), 8);
    QCOMPARE(withholdingYears(far).constFirst(), 2024);
    far.year = 2040;
    QCOMPARE(withholdingYears(far), (QVector<int>{2040}));
}

void YearGlanceTest::unpaidByAge()
{
    const QDate today(2024, 3, 31);
    QVector<FeeDocument> docs{
        invoice({2024, 3, 1}, 5, "A", 10000),               // 30 days: the first bucket
        invoice({2024, 1, 31}, 2, "A", 10000),              // 60 days across the leap day
        invoice({2024, 1, 30}, 1, "B", 10000),              // 61 days
        invoice({2023, 12, 31}, 9, "C", 10000),             // 91 days
        invoice({2024, 2, 1}, 3, "C", 10000, {2024, 2, 2}), // paid
        invoice({2024, 4, 1}, 6, "C", 10000),               // after today: not yet due
        invoice({2024, 2, 10}, 4, "D", 10000),              // fully credited below
    };
    docs << creditNote(docs[6], {2024, 2, 11}, 7, 10000);
    // Half of invoice 1 credited: what is left is due.
    docs << creditNote(docs[2], {2024, 2, 12}, 8, 5000);
    const YearGlance g = yearGlance(docs, 2024, today);

    const qint64 net = 10000 + 2200 - 2000;
    const std::array<int, 4> counts{1, 1, 1, 1};
    const std::array<qint64, 4> amounts{net, net, net - (5000 + 1100 - 1000), net};
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(g.unpaid[i].count, counts[i]);
        QCOMPARE(g.unpaid[i].amount, euro(amounts[i]));
    }
    QCOMPARE(g.unpaid[1].invoices.size(), 1);
    QCOMPARE(g.unpaid[1].invoices[0].key, *DocumentKey::of({2024, 1, 31}, 2));
    QCOMPARE(g.unpaid[2].invoices.value(0).due, euro(amounts[2]));
    QCOMPARE(g.unpaid[3].invoices.value(0).key, *DocumentKey::of({2023, 12, 31}, 9));
    QCOMPARE(g.unpaid[3].invoices.value(0).clientCode, QStringLiteral("C"));
    QCOMPARE(g.unpaid[3].toDays, -1);
}

void YearGlanceTest::csvForItalianSpreadsheets()
{
    ExportSheet sheet;
    sheet.headers = {"Data", "Cliente", "Onorario", "N."};
    sheet.rows = {
        {QDate(2024, 2, 29), QString("Rossi; Bianchi \"& C.\""), euro(-123456), qint64(7)},
        {QDate(), QString("=HYPERLINK(\"x\")"), euro(5), std::monostate()},
        {QDate(2026, 1, 2), QString(" Verdi\nS.r.l."), euro(0), qint64(-1)}};
    const QByteArray csv = csvBytes(sheet);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(csv.mid(3)),
             QStringLiteral("Data;Cliente;Onorario;N.\r\n"
                            "29/02/2024;\"Rossi; Bianchi \"\"& C.\"\"\";-1234,56;7\r\n"
                            ";\"'=HYPERLINK(\"\"x\"\")\";0,05;\r\n"
                            "02/01/2026;\" Verdi\nS.r.l.\";0,00;-1\r\n"));
}

void YearGlanceTest::accountantSheetsOfAPeriod()
{
    Database& db = m_data.context().DbArchivi;
    QString why;
    QVERIFY(addClient(db, "R1", "Rossi Mario"));
    QVERIFY(db.execute("UPDATE Clienti SET PartitaIVA = '01234567897' WHERE CodCliente = 'R1'", {},
                       &why));
    FeeDocuments invoices(db, FeeDocumentKind::Invoice);
    FeeDocument first = invoice({2026, 1, 31}, 1, "R1", 100000);
    QCOMPARE(invoices.save(first, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    QCOMPARE(invoices.save(invoice({2025, 12, 31}, 9, "R1", 7000), SaveMode::AddOnly, &why),
             SaveResult::StoredNew);
    QCOMPARE(invoices.save(invoice({2026, 3, 1}, 3, "R1", 7000), SaveMode::AddOnly, &why),
             SaveResult::StoredNew);
    FeeAmounts half = FeeAmounts::of(first, FeeDocumentKind::Invoice);
    half.fee = euro(50000);
    half.vat = euro(11000);
    half.withholding = euro(10000);
    FeeDocument note = creditNoteFor(first, half, *DocumentKey::of({2026, 2, 10}, 2));
    note.date = {2026, 2, 10};
    QCOMPARE(invoices.save(note, SaveMode::AddOnly, &why), SaveResult::StoredNew);
    QVERIFY2(db.execute("INSERT INTO Fornitori (Chiave, CodFornitore, Denominazione) VALUES "
                        "('F1        ', 'F1', 'Cartoleria')",
                        {}, &why),
             qPrintable(why));
    QVERIFY2(db.execute("INSERT INTO Movimenti (Chiave, Data, Numero, CodFor, Imponibile, AliqIVA, "
                        "Deducibilita) VALUES ('2026         7', '2026-02-02', 7, 'F1', 10000, 22, "
                        "0.5)",
                        {}, &why),
             qPrintable(why));

    const auto sheets = accountantSheets(db, {2026, 1, 1}, {2026, 2, 28}, &why);
    QVERIFY2(sheets, qPrintable(why));
    const auto& rows = sheets->invoices.rows;
    QCOMPARE(rows.size(), 3); // the two of the period, then the totals
    QCOMPARE(std::get<QString>(rows[0][3]), QStringLiteral("Rossi Mario"));
    QCOMPARE(std::get<QString>(rows[0][4]), QStringLiteral("01234567897"));
    QCOMPARE(std::get<QString>(rows[1][2]), QStringLiteral("Nota di credito"));
    QCOMPARE(std::get<Money>(rows[1][5]), euro(-50000));
    QCOMPARE(std::get<QString>(rows[2][0]), QStringLiteral("Totale"));
    QCOMPARE(std::get<Money>(rows[2][5]), euro(50000));
    QCOMPARE(std::get<Money>(rows[2][14]), euro(100000 + 22000 - 20000 - (50000 + 11000 - 10000)));
    const auto& bought = sheets->purchases.rows;
    QCOMPARE(bought.size(), 2);
    QCOMPARE(std::get<QString>(bought[0][2]), QStringLiteral("Cartoleria"));
    QCOMPARE(std::get<QString>(bought[0][5]), QStringLiteral("22"));
    QCOMPARE(std::get<Money>(bought[0][6]), euro(2200));
    QCOMPARE(std::get<Money>(bought[0][7]), euro(5000));

    // A period without documents: the totals alone, at zero.
    const auto empty = accountantSheets(db, {2027, 1, 1}, {2027, 12, 31}, &why);
    QVERIFY2(empty, qPrintable(why));
    QCOMPARE(empty->invoices.rows.size(), 1);
    QCOMPARE(std::get<Money>(empty->invoices.rows[0][14]), Money());
    QCOMPARE(std::get<Money>(empty->purchases.rows.value(0).value(8)), Money());

    // The glance read from the archive names its clients.
    const auto glance = readYearGlance(db, 2026, {2026, 3, 31}, &why);
    QVERIFY2(glance, qPrintable(why));
    QCOMPARE(glance->topClients.value(0).name, QStringLiteral("Rossi Mario"));
    QCOMPARE(glance->topClients.value(0).fee, euro(100000 + 7000 - 50000));
    // So do its unpaid invoices, as the window lists them.
    const UnpaidInvoice march = glance->unpaid[0].invoices.value(0);
    QCOMPARE(march.clientName, QStringLiteral("Rossi Mario"));
    QCOMPARE(unpaidLine(march, ".", ","), QStringLiteral("3/2026 del 01/03/2026   Rossi Mario   "
                                                         "71,40"));

    // Written out, the amounts are numbers and the dates dates.
    QTemporaryDir dir;
    const QString xlsx = dir.filePath("commercialista.xlsx");
    const QString csv = dir.filePath("fatture.csv");
    QVERIFY2(writeXlsx({sheets->invoices, sheets->purchases}, xlsx, &why), qPrintable(why));
    QFile out(csv);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(csvBytes(sheets->invoices)) > 0);
    out.close();
    QCOMPARE(
        readBack(xlsx, csv).split('\n'),
        QStringLiteral("Fatture dd/mm/yyyy #,##0.00 \"€\";-#,##0.00 \"€\"\n"
                       "datetime:2026-01-31 00:00:00|num:1.00|str:Fattura|str:Rossi Mario|"
                       "str:01234567897|num:1000.00\n"
                       "datetime:2026-02-10 00:00:00|num:2.00|str:Nota di credito|str:Rossi Mario|"
                       "str:01234567897|num:-500.00\n"
                       "Acquisti dd/mm/yyyy General\n"
                       "datetime:2026-02-02 00:00:00|num:7.00|str:Cartoleria|NoneType:None|"
                       "num:100.00|str:22\n"
                       "str:Totale|NoneType:None|NoneType:None|NoneType:None|num:100.00|"
                       "NoneType:None\n"
                       "4 -500,00 Totale\n")
            .split('\n'));
}

void YearGlanceTest::glancePage_data()
{
    QTest::addColumn<YearGlance>("glance");
    QTest::addColumn<QString>("golden");
    QTest::addColumn<QStringList>("texts");
    auto money = [](std::initializer_list<int> euros) {
        std::array<Money, 12> months{};
        int m = 0;
        for (const int e : euros)
            months[std::size_t(m++)] = euro(qint64(e) * 100);
        return months;
    };
    YearGlance g;
    g.year = 2026;
    g.documents = 9;
    // April's credit note takes back more than the month invoiced.
    g.fees = money({1200, 800, 2500, -600, 1500, 0, 2000, 0, 900, 1800});
    g.previousFees = money({900, 1000, 1100, 700, 1300, 1600, 1400, 0, 1000, 1200, 1500, 2000});
    g.unpaid = {{{0, 30, 1, euro(180000), {}},
                 {31, 60, 2, euro(270000), {}},
                 {61, 90, 0, {}, {}},
                 {91, -1, 1, euro(95050), {}}}};
    g.withholding = {
        {2024, euro(300000)}, {2025, euro(274000)}, {2026, euro(182000)}, {2027, euro(10000)}};
    g.topClients = {{"ROSSI", euro(400000), "Rossi Mario"},
                    {"B2", euro(250000), "Studio Bianchi & Associati con un nome da tagliare"},
                    {"V3", euro(120000), ""},
                    {"N4", euro(-60000), "Neri"}};
    QTest::newRow("credit note below zero") << g << "andamento_2026.txt"
                                            << QStringList{"Andamento 2026",
                                                           "DATA 8/12/2026",
                                                           "Compensi 2025",
                                                           "Cumulato 2026",
                                                           "-1 000",
                                                           "15 000",
                                                           "Apr",
                                                           "oltre 90",
                                                           "950,50",
                                                           "5 450,50",
                                                           "2 740,00",
                                                           "Rossi Mario",
                                                           "V3",
                                                           "-600,00"};
    YearGlance none = yearGlance({}, 2030, {2030, 1, 1});
    none.withholding = {{2026, euro(182000)}};
    QTest::newRow("empty year") << none << "andamento_vuoto.txt"
                                << QStringList{"Andamento 2030", "Nessuna fattura nel 2030.",
                                               "1 000", "61 - 90", "0,00"};
}

// The page as recorded (a golden dump, new shapes included), then as its PDF:
// valid, with its texts, its colours where the screen has them.
void YearGlanceTest::glancePage()
{
    QFETCH(YearGlance, glance);
    QFETCH(QString, golden);
    QFETCH(QStringList, texts);
    Clock::setToday({2026, 12, 8});
    QPdfWriter device(m_data.filePath("measure.pdf"));
    device.setPageSize(QPageSize(QPageSize::A4));
    PrintRun run(device);
    QVERIFY(run.recorder().BeginDocument());
    StampaAndamento(run.recorder(), glance);
    QVERIFY(run.recorder().EndDocument());
    Clock::setToday({});
    QCOMPARE(run.pageCount(), 1);
    const QStringList dump = dumpPageFile(run.pageFilePath(0));
    compareWithGolden(dump, QStringLiteral(FALMIDE_GLANCE_GOLDEN_DIR "/") + golden);
    if (glance.documents != 0) {
        // The zero line; April's bar from it down to -600 euro, January's up
        // to 1 200 (a step of 1 000 is 18.75 mm); the running total of
        // March, 4 500 on steps of 5 000.
        QVERIFY(dump.contains("hline 96.25 30.00-180.00 width 4.00"));
        QVERIFY(dump.contains("fill 96.25 73.75 - 107.50 78.00 colour 2e6db4"));
        QVERIFY(dump.contains("fill 73.75 36.25 - 96.25 40.50 colour 2e6db4"));
        QVERIFY(dump.contains("fill 78.68 60.55 - 80.08 61.95 colour d9822b"));
    }

    PdfExportRequest request;
    request.path = m_data.filePath("Andamento.pdf");
    request.title = yearGlanceTitle(glance.year);
    QString error;
    QVERIFY2(ExportPdf(run, 1, 1, request, &error), qPrintable(error));
    CHECK_PDF(request.path, texts);
    // The legend's swatch of the year, 30 to 34 mm across and 123.7 to
    // 126.3 down, rendered at a pixel a millimetre.
    QVERIFY(pdftest::output("pdftoppm", {"-r", "25.4", "-png", "-singlefile", request.path,
                                         m_data.filePath("page")})
                .isEmpty());
    const QImage page(m_data.filePath("page.png"));
    QCOMPARE(page.width(), 210);
    QCOMPARE(page.pixel(32, 125), qRgb(0x2E, 0x6D, 0xB4));
}

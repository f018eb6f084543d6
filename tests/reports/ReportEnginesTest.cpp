// A period report exported as PDF from the same archives on both engines:
// the demo data in a file of the embedded engine, copied onto a database of
// the tests' server, must give the very same bytes.
#include "ArchiveTransfer.h"
#include "Clock.h"
#include "Database.h"
#include "DemoData.h"
#include "DocumentPdf.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "PeriodReportLayout.h"
#include "ReportExport.h"
#include "TestDatabase.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PeriodReport)
Q_DECLARE_METATYPE(ParametriLista)

class ReportEnginesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void samePdf_data();
    void samePdf();

private:
    QTemporaryDir m_dir;
    Database m_file;
    Database m_server;
    QByteArray m_oldTemp;
    QString m_unpaidClient;
};

namespace {

bool run(Database& db, const QString& sql, const QVariantList& values = {})
{
    QString error;
    if (!db.execute(sql, values, &error))
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

// What the demo data leaves out and an engine could read otherwise: codes
// that differ only in case or in trailing blanks, names whose letters sort
// differently by byte and by language, documents of one day whose order the
// key alone decides, a fee whose cents a binary fraction would lose, a
// purchase below zero, Nulls beside empty texts.
bool addAwkwardRows(Database& db)
{
    return run(db, "INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES "
                   "('ZETA      ', 'zeta', 'Ärzte & Co. s.r.l.'), "
                   "('ZETA2     ', 'ZETA2', 'arredi Éclat di Ölmann'), "
                   "('Z 3       ', 'Z 3', NULL)") &&
           run(db, "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
                   "AliqContributo, AliqRA, ImportoIVA, ImportoContributo, ImportoRA, SpeseEsenti, "
                   "DataPag) VALUES "
                   "('2026      9001', '2026-06-30', 9001, 'zeta', 'Perizia', 10001, 22, 5, 20, "
                   "2310, 500, 2000, NULL, '2026-07-01'), "
                   "('2026      9002', '2026-06-30', 9002, 'ZETA2', '', 1, 22, 5, 20, 0, 0, 0, 0, "
                   "'2026-07-01'), "
                   "('2026      9003', '2026-06-30', 9003, 'Z 3', NULL, 99999999, 22, 5, 20, "
                   "23100000, 5000000, 19999999, 1, NULL)") &&
           run(db, "INSERT INTO Movimenti (Chiave, Data, Numero, Imponibile, AliqIVA, "
                   "Deducibilita, Note) VALUES "
                   "('2026      9001', '2026-06-30', 9001, -12345, 0.1, 0.333333, 'Ölmann'), "
                   "('2026      9002', '2026-06-30', 9002, 5, 10, 0.7, NULL)");
}

} // namespace

void ReportEnginesTest::initTestCase()
{
    if (!testsOnServer())
        QSKIP("needs the tests' database server");
    QVERIFY(m_dir.isValid());
    // Pages are recorded into the temporary folder; the creation date and
    // today's date are fixed, so only the data can make the files differ.
    m_oldTemp = qgetenv("TEMP");
    qputenv("TEMP", m_dir.path().toLocal8Bit());
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    Clock::setToday(QDate(2027, 1, 15));

    QString error;
    QVERIFY2(m_file.open(m_dir.filePath("falmide.db"), &error), qPrintable(error));
    QStringList heading(6);
    QVERIFY2(
        fillDemoDatabase(m_file, DemoCounts(), 26, 2026, FeeProfile::Geometra, &heading, &error),
        qPrintable(error));
    QVERIFY(addAwkwardRows(m_file));
    ServerConnection server;
    QVERIFY2(testServerDatabase(m_dir.filePath("studio"), &server, &error), qPrintable(error));
    QVERIFY2(m_server.openServer(server, &error), qPrintable(error));
    QVERIFY2(copyArchives(m_file, m_server, &error), qPrintable(error));

    QSqlQuery q(m_file.connection());
    QVERIFY(q.exec("SELECT CodCli FROM Fatture WHERE DataPag IS NULL AND Numero < 9000 "
                   "ORDER BY Chiave DESC LIMIT 1") &&
            q.next());
    m_unpaidClient = q.value(0).toString();
}

void ReportEnginesTest::cleanupTestCase()
{
    Clock::setToday(QDate());
    qunsetenv("SOURCE_DATE_EPOCH");
    qputenv("TEMP", m_oldTemp);
}

void ReportEnginesTest::samePdf_data()
{
    QTest::addColumn<PeriodReport>("report");
    QTest::addColumn<ParametriLista>("selection");
    QTest::addColumn<QStringList>("texts");
    const QDate always(1, 1, 1);
    const QDate never(9999, 12, 31);
    const QDate june(2026, 6, 1);
    const QDate july(2026, 7, 31);
    QTest::newRow("turnover, every invoice")
        << PeriodReport::Fatturato << ParametriLista{always, never, {}, false}
        << QStringList{"Ärzte & Co. s.r.l.", "arredi Éclat di Ölmann", "108,11"};
    QTest::newRow("turnover, two months")
        << PeriodReport::Fatturato << ParametriLista{june, july, {}, false}
        << QStringList{"100,01", "0,01"};
    QTest::newRow("turnover, a client's unpaid")
        << PeriodReport::Fatturato << ParametriLista{always, never, "unpaid", true}
        << QStringList();
    QTest::newRow("turnover, a code by its case")
        << PeriodReport::Fatturato << ParametriLista{always, never, "ZETA", false}
        << QStringList{"Ärzte & Co. s.r.l.", "100,01"};
    QTest::newRow("withholding") << PeriodReport::Ritenuta << ParametriLista{june, july, {}, false}
                                 << QStringList{"Ärzte & Co. s.r.l.", "20,00"};
    QTest::newRow("purchases") << PeriodReport::Movimenti
                               << ParametriLista{always, never, {}, false}
                               << QStringList{"-123,45"};
}

void ReportEnginesTest::samePdf()
{
    QFETCH(PeriodReport, report);
    QFETCH(ParametriLista, selection);
    QFETCH(QStringList, texts);
    if (selection.clientCode == QLatin1String("unpaid"))
        selection.clientCode = m_unpaidClient;
    const QString form = QStringLiteral("dd/MM/yyyy");
    QString paths[2];
    QByteArray written[2];
    Database* engines[2] = {&m_file, &m_server};
    for (int i = 0; i < 2; ++i) {
        const QString path = paths[i] =
            m_dir.filePath(QStringLiteral("%1-%2.pdf").arg(QTest::currentDataTag()).arg(i));
        const PdfExportRequest request{path, reportExportTitle(report, selection), {}, {}};
        QString error;
        QVERIFY2(writeRecordedPdf(
                     [&](PageRecorder& recorder) {
                         return StampaPeriodo(recorder, *engines[i], report, selection,
                                              selection.first.toString(form),
                                              selection.last.toString(form));
                     },
                     request, &error),
                 qPrintable(engines[i]->location() + ": " + error));
        CHECK_PDF(path, texts);
        written[i] = pdftest::readFile(path);
    }
    QVERIFY(!written[0].isEmpty());
    if (written[0] != written[1]) {
        QCOMPARE(pdftest::output("pdftotext", {"-layout", paths[1], "-"}),
                 pdftest::output("pdftotext", {"-layout", paths[0], "-"}));
        QFAIL("the two files differ in bytes though not in their text");
    }
}

QTEST_MAIN(ReportEnginesTest)
#include "ReportEnginesTest.moc"

#include "ReportWindowsTest.h"

#include "InvoiceFixture.h"
#include "ListModel.h"
#include "ListWindow.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfTestSupport.h"
#include "PeriodReportWindows.h"
#include "PeriodWindow.h"
#include "ViewerLauncher.h"
#include "YearGlance.h"
#include "YearGlancePrint.h"
#include "fZoom.h"
#include "frmPreview.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// The invoice of fee 1000, contribution 40, VAT 228.80, withholding 200 and
// expenses 50, numbered n, dated and paid as given.
void addPaidInvoice(Database& db, const QDate& date, int n, const QString& client,
                    const QVariant& paid)
{
    QString error;
    QVERIFY2(db.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Onorario, "
                        "ImportoContributo, ImportoIVA, ImportoRA, SpeseEsenti, Bollo, DataPag) "
                        "VALUES (?, ?, ?, ?, 100000, 4000, 22880, 20000, 5000, 200, ?)",
                        {QString::number(date.year()) + QString::number(n).rightJustified(10),
                         date.toString(Qt::ISODate), n, client, paid},
                        &error),
             qPrintable(error));
}

void typeInto(QWidget* field, const QString& text)
{
    auto* line = qobject_cast<QLineEdit*>(field);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Enter);
}

void showAndWait(QWidget& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

void ReportWindowsTest::init()
{
    MessageBox::resetForTest();
    m_fixture.setUp();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY(addClient(m_data.context().DbArchivi, "R1", "Rossi Mario"));
    QVERIFY(addClient(m_data.context().DbArchivi, "V2", "Verdi Luca"));
}

void ReportWindowsTest::cleanup()
{
    m_data.tearDown();
    m_fixture.tearDown();
}

void ReportWindowsTest::invertedPeriodKeepsTheWindowOpen()
{
    addPaidInvoice(m_data.context().DbArchivi, QDate(2025, 12, 5), 12, "R1", "2026-01-01");
    STARA window(m_data.context());
    showAndWait(window);
    typeInto(window.Dati(0), "31122026");
    typeInto(window.Dati(1), "010126");
    QCOMPARE(window.text(1), "01/01/2026");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.BtStampa(), Qt::LeftButton);
    QCOMPARE(MessageBox::lastText(), "Indicazione date non corretto");
    QCOMPARE(MessageBox::shownCount(), 1);
    // The window stays for the dates to be corrected; then the report shows.
    QVERIFY(window.isVisible());
    typeInto(window.Dati(0), "01012026");
    bool previewed = false;
    whenModal<frmPreview>(&window, [&previewed](frmPreview* preview) {
        previewed = true;
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(previewed);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(MessageBox::shownCount(), 1);
}

// A period without documents is said, by the printout and by the list,
// and nothing blank is shown or exported.
void ReportWindowsTest::emptySelectionSaysSo()
{
    addPaidInvoice(m_data.context().DbArchivi, QDate(2026, 3, 5), 12, "R1", "2026-04-05");
    STAFatturato window(m_data.context());
    showAndWait(window);
    typeInto(window.Dati(0), "01012025");
    typeInto(window.Dati(1), "31122025");
    bool previewed = false;
    whenModal<frmPreview>(&window, [&previewed](frmPreview* preview) {
        previewed = true;
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(), "Nessun documento nel periodo indicato");
    QVERIFY(window.isVisible()); // for another period
    QVERIFY(!previewed);
    QVERIFY(QDir(m_data.context().programFolder + "/Stampe").isEmpty());

    MessageBox::setNextAnswer(QMessageBox::Ok);
    int rows = -1;
    whenModal<DispFAT>(&window, [&rows](DispFAT* list) {
        QTRY_COMPARE(MessageBox::shownCount(), 2);
        rows = list->model()->documentCount();
        QTest::keyClick(list->Lavori(), Qt::Key_Escape);
    });
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(rows, 0);
    QCOMPARE(MessageBox::lastText(), "Nessun documento nel periodo indicato");
}

void ReportWindowsTest::riepilogoListsTheSelection()
{
    Database& db = m_data.context().DbArchivi;
    addPaidInvoice(db, QDate(2026, 1, 10), 1, "R1", "2026-02-01");
    addPaidInvoice(db, QDate(2026, 1, 20), 2, "R1", QVariant());
    addPaidInvoice(db, QDate(2026, 1, 30), 3, "V2", QVariant());
    addPaidInvoice(db, QDate(2027, 1, 5), 1, "R1", QVariant());
    STAFatturato window(m_data.context());
    showAndWait(window);
    typeInto(window.Dati(0), "01012026");
    typeInto(window.Dati(1), "31122026");
    typeInto(window.Dati(2), "r1");
    QCOMPARE(window.Ombra(2)->text(), "Rossi Mario");
    window.Inevase()->setFocus();
    QTest::keyClick(window.Inevase(), Qt::Key_Space);

    QStringList listed;
    QString caption;
    whenModal<DispFAT>(&window, [&](DispFAT* list) {
        caption = list->windowTitle();
        for (int row = 0; row < list->model()->documentCount(); ++row)
            listed << list->model()->cell(row, 2);
        QTest::keyClick(list->Lavori(), Qt::Key_Escape);
    });
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    // A mnemonic presses its button a moment later.
    QTRY_COMPARE(caption, "Situazione FATTURATO");
    // Client R1's unpaid invoice of 2026 alone.
    QCOMPARE(listed, QStringList{"2"});
    QTRY_VERIFY(!window.isVisible());
}

void ReportWindowsTest::listKeysTotalsAndResize()
{
    for (int n = 1; n <= 12; ++n)
        addPaidInvoice(m_data.context().DbArchivi, QDate(2026, n, 1), n * 10, "V2", QVariant());
    DispFAT list(m_data.context(), {QDate(2026, 1, 1), QDate(2026, 12, 31), {}, false});
    showAndWait(list);
    QTableView* grid = list.Lavori();
    ListModel* model = list.model();
    // The titles, 12 invoices, a blank row and the totals.
    QCOMPARE(model->rowCount() + 1, 15);
    QCOMPARE(model->cell(13, 3), "TOTALI");
    QCOMPARE(model->cell(13, 9), "13 425.60");
    QCOMPARE(model->cell(12, 3), QString());
    QCOMPARE(grid->currentIndex(), model->index(0, 1));

    // F4 shows the number of the current row, and only from its column.
    int zooms = 0;
    auto onZoom = [&zooms](fZoom* zoom) {
        ++zooms;
        QCOMPARE(zoom->windowTitle(), "Num.");
        QCOMPARE(zoom->cData()->toPlainText(), "30");
        QTest::mouseClick(zoom->findChild<QPushButton*>(), Qt::LeftButton);
    };
    QTest::keyClick(grid, Qt::Key_F4);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Right);
    whenModal<fZoom>(&list, onZoom);
    QTest::keyClick(grid, Qt::Key_F4);
    QCOMPARE(zooms, 1);

    // The columns share the grid's width as their entries say: the name
    // (13) over the number (3).
    list.resize(list.width() + 300, list.height() + 100);
    QTRY_COMPARE(grid->width(), list.width() - (list.width() - grid->width()));
    const double ratio = double(grid->columnWidth(3)) / grid->columnWidth(2);
    QVERIFY2(qAbs(ratio - 13.0 / 3) < 0.05, qPrintable(QString::number(ratio)));
    int total = 0;
    for (int c = 0; c < model->columnCount(); ++c)
        total += grid->columnWidth(c);
    QVERIFY(total < grid->width());
    QCOMPARE(grid->currentIndex(), model->index(2, 2));

    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!list.isVisible());
}

void ReportWindowsTest::invertedPeriodListsTitlesOnly()
{
    addPaidInvoice(m_data.context().DbArchivi, QDate(2026, 3, 5), 12, "R1", "2026-04-05");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    DispRA list(m_data.context(), {QDate(2026, 12, 31), QDate(2026, 1, 1), {}, false});
    showAndWait(list);
    QTRY_COMPARE(MessageBox::lastText(), "Indicazione date non corretto");
    QCOMPARE(list.model()->rowCount(), 0);
    QCOMPARE(list.model()->columnCount(), 10);
    QTest::mouseClick(list.BUscita(), Qt::LeftButton);
    QVERIFY(!list.isVisible());
}

void ReportWindowsTest::reportExportsToStampe()
{
    addPaidInvoice(m_data.context().DbArchivi, QDate(2026, 3, 5), 12, "R1", "2026-04-05");
    STAFatturato window(m_data.context());
    showAndWait(window);
    QString offered;
    whenModal<frmPreview>(&window, [&offered](frmPreview* preview) {
        offered = preview->pdfPath();
        QTest::mouseClick(preview->findChild<QPushButton*>("PDF"), Qt::LeftButton);
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    QTest::mouseClick(window.BtStampa(), Qt::LeftButton);
    QTRY_VERIFY(!window.isVisible());
    const QString path =
        m_data.context().programFolder + "/Stampe/Fatturato_0001-01-01_9999-12-31.pdf";
    QCOMPARE(offered, path);
    CHECK_PDF(path, {"STAMPA FATTURATO", "Periodo dal 01/01/0001 al 31/12/9999", "Rossi Mario"});
    QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
    // The totals stand on their own line, half a row below "TOTALI".
    const QString text = pdftest::output("pdftotext", {"-layout", path, "-"});
    QVERIFY2(text.contains(
                 QRegularExpression(R"(\n *1 000,00 +40,00 +228,80 +200,00 +50,00 +1 118,80 *\n)")),
             qPrintable(text));
    QVERIFY(text.contains("TOTALI"));
}

void ReportWindowsTest::yearGlancePrintsAndExports()
{
    Database& db = m_data.context().DbArchivi;
    addPaidInvoice(db, QDate(2026, 3, 5), 12, "R1", QVariant());
    QString error;
    const auto glance = readYearGlance(db, 2026, QDate(2026, 4, 1), &error);
    QVERIFY2(glance, qPrintable(error));
    QWidget window;
    showAndWait(window);
    const QString stampe = m_data.context().programFolder + "/Stampe";
    const QString path = stampe + "/Andamento 2026.pdf";

    // The preview's PDF button writes it beside the period reports'.
    QString offered;
    whenModal<frmPreview>(&window, [&offered](frmPreview* preview) {
        offered = preview->pdfPath();
        QTest::mouseClick(preview->findChild<QPushButton*>("PDF"), Qt::LeftButton);
    });
    QVERIFY(previewYearGlance(m_data.context(), *glance, &window));
    QCOMPARE(offered, path);
    CHECK_PDF(path, {"Andamento 2026", "Rossi Mario", "1 000,00", "0 - 30"});

    // The window's own export: no preview, the same file, then the viewer.
    QVERIFY(QFile::remove(path));
    QStringList opened;
    setViewerLauncher([&opened](const QString& file) { return opened << file, true; });
    QVERIFY(exportYearGlancePdf(m_data.context(), *glance, &window));
    QCOMPARE(opened, QStringList{path});
    CHECK_PDF(path, {"Andamento 2026"});

    // A file in the way of the folder: a message, nothing opened.
    QVERIFY(QDir(stampe).removeRecursively());
    QVERIFY(pdftest::writeFile(stampe, "not a folder"));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QVERIFY(!exportYearGlancePdf(m_data.context(), *glance, &window));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Critical);
    QVERIFY(!MessageBox::lastText().isEmpty());
    QCOMPARE(opened.size(), 1);
}

void ReportWindowsTest::eachReportOpensItsWindows_data()
{
    QTest::addColumn<PeriodReport>("report");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("columns");
    QTest::newRow("turnover") << PeriodReport::Fatturato << QString("STAFatturato")
                              << QString("Stampa FATTURATO") << QString("DispFAT")
                              << QString("Situazione FATTURATO") << 11;
    QTest::newRow("withholding") << PeriodReport::Ritenuta << QString("STARA")
                                 << QString("Stampa SITUAZIONE R.A.") << QString("DispRA")
                                 << QString("Situazione Ritenuta d'imposta") << 10;
    QTest::newRow("purchases") << PeriodReport::Movimenti << QString("STAMOV")
                               << QString("Stampa MOVIMENTI") << QString("DispMOV")
                               << QString("Situazione Movimenti") << 8;
}

// The main window opens a report by its kind; its period window's
// "Riepilogo" then opens that kind's list, which reads its own table.
void ReportWindowsTest::eachReportOpensItsWindows()
{
    QFETCH(PeriodReport, report);
    Database& db = m_data.context().DbArchivi;
    addPaidInvoice(db, QDate(2026, 3, 5), 12, "R1", "2026-04-05");
    QString error;
    QVERIFY2(db.execute("INSERT INTO Fornitori (Chiave, CodFornitore, Denominazione) "
                        "VALUES ('F1        ', 'F1', 'Cartoleria Centrale')",
                        {}, &error),
             qPrintable(error));
    QVERIFY2(db.execute("INSERT INTO Movimenti (Chiave, Data, Numero, CodFor, Imponibile) "
                        "VALUES ('2026         7', '2026-05-02', 7, 'F1', 10000), "
                        "('2026         8', '2026-05-03', 8, 'F1', 20000)",
                        {}, &error),
             qPrintable(error));

    QString window;
    QString title;
    QString list;
    QString caption;
    int columns = 0;
    int documents = 0;
    whenModal<PeriodWindow>(this, [&](PeriodWindow* period) {
        window = period->objectName();
        title = period->windowTitle();
        // Every date to start with.
        QCOMPARE(period->text(0), "01/01/0001");
        QCOMPARE(period->text(1), "31/12/9999");
        whenModal<ListWindow>(this, [&](ListWindow* shown) {
            list = shown->objectName();
            caption = shown->windowTitle();
            columns = shown->model()->columnCount();
            documents = shown->model()->documentCount();
            QTest::keyClick(shown->Lavori(), Qt::Key_Escape);
        });
        QTest::mouseClick(period->BtAnte(), Qt::LeftButton);
    });
    openPeriodWindow(m_data.context(), report, nullptr);
    QTEST(window, "window");
    QTEST(title, "title");
    QTEST(list, "list");
    QTEST(caption, "caption");
    QTEST(columns, "columns");
    QCOMPARE(documents, report == PeriodReport::Movimenti ? 2 : 1);
    QCOMPARE(MessageBox::shownCount(), 0);
}

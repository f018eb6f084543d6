#include "PrintTests.h"

#include "FrmStampa.h"
#include "LogTarget.h"
#include "MessageBox.h"
#include "PdfTestSupport.h"
#include "frmPreview.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

// Records a report of pages and opens its preview, active so that mnemonics reach it.
#define OPEN_PREVIEW(preview, pages, lines, ...)                                                   \
    recordReport(m_fixture.recorder(), pages, lines);                                              \
    frmPreview preview(*m_fixture.run, nullptr, m_db.get() __VA_OPT__(, ) __VA_ARGS__);            \
    preview.show();                                                                                \
    preview.activateWindow();                                                                      \
    QVERIFY(QTest::qWaitForWindowActive(&preview))

namespace {

QStringList pageFiles(PrintRun& run)
{
    return QDir(run.pages().TempFolder()).entryList({"~WRK*.Tmp"}, QDir::Files);
}

} // namespace

void PrintWindowsTest::init()
{
    Messaggio::resetForTest();
    m_fixture.setUp();
    m_printers = FakePrinterSystem();
    PrinterSystem::setCurrent(&m_printers);
    m_db = std::make_unique<Database>();
    QString error;
    QVERIFY2(m_db->open(m_fixture.dir->filePath("falmide.db"), &error), qPrintable(error));
}

void PrintWindowsTest::cleanup()
{
    PrinterSystem::setCurrent(nullptr);
    m_db.reset();
    m_fixture.tearDown();
}

void PrintWindowsTest::pageNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "due" << 0;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("blanks") << " 3 " << 3;
    QTest::newRow("too large") << "99999" << 32767;
    QTest::newRow("far too large") << "123456789012345678901234" << 32767;
    QTest::newRow("sign") << "-2" << 0;
    QTest::newRow("arabic digit") << QString::fromUtf8("٣") << 0;
}

void PrintWindowsTest::pageNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    QCOMPARE(numeroPagina(text), page);
    QCOMPARE(soloCifre(text), text.isEmpty() || (page > 0 && !text.contains(' ')));
}

void PrintWindowsTest::selectionLoadsRangeAndTakesDigitsOnly()
{
    FrmStampa window(PageRange{1, 5}, nullptr, m_printers);
    QCOMPARE(window.windowTitle(), "Stampa");
    QCOMPARE(window.List1->count(), 3);
    QCOMPARE(window.List1->currentItem()->text(), "Studio");
    QCOMPARE(window.findChild<QLabel*>("Driver")->text(), "Brother HL");
    QCOMPARE(window.Dati0->text(), "1");
    QCOMPARE(window.Dati1->text(), "5");
    QVERIFY(!window.chosenRange());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Dati0->setFocus();
    window.Dati0->selectAll();
    QTest::keyClicks(window.Dati0, "1a.-2");
    QCOMPARE(window.Dati0->text(), "12");
    // Enter moves on to the next field.
    QTest::keyClick(window.Dati0, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window.Dati1);
    window.Dati1->selectAll();
    QTest::keyClicks(window.Dati1, "x3");
    QCOMPARE(window.Dati1->text(), "3");
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(window.chosenRange().value_or(PageRange{}).first, 12);
    QCOMPARE(window.chosenRange().value_or(PageRange{}).last, 3);
    QCOMPARE(m_printers.defaults, QStringList{"Studio"});
}

void PrintWindowsTest::choosingPrinters_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("failDefault");
    QTest::addColumn<QStringList>("defaults");
    QTest::addColumn<QStringList>("programChanges");
    // The current printer again: the default is rewritten, the program's printer stays.
    QTest::newRow("current again") << 1 << false << QStringList{"Studio"} << QStringList();
    QTest::newRow("another") << 0 << false << QStringList{"Ufficio"} << QStringList{"Ufficio"};
    // No driver: not made the system default, but printing goes where the user chose.
    QTest::newRow("no driver") << 2 << false << QStringList() << QStringList{"Grezza"};
    // A default that cannot be written is said, and printing goes on.
    QTest::newRow("default refused") << 1 << true << QStringList{"Studio"} << QStringList();
}

void PrintWindowsTest::choosingPrinters()
{
    QFETCH(int, row);
    QFETCH(bool, failDefault);
    QFETCH(QStringList, defaults);
    QFETCH(QStringList, programChanges);
    m_printers.failDefault = failDefault;
    Messaggio::setNextAnswer(QMessageBox::Ok);
    FrmStampa window(PageRange{}, nullptr, m_printers);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint item = window.List1->visualItemRect(window.List1->item(row)).center();
    QTest::mouseClick(window.List1->viewport(), Qt::LeftButton, {}, item);
    QTest::mouseDClick(window.List1->viewport(), Qt::LeftButton, {}, item);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(m_printers.defaults, defaults);
    QCOMPARE(m_printers.programChanges, programChanges);
    QCOMPARE(Messaggio::lastText().contains("lpoptions: rifiutato"), failDefault);
}

void PrintWindowsTest::previewOpensOnFirstPage()
{
    OPEN_PREVIEW(preview, 5, 3);
    QCOMPARE(preview.windowTitle(), "Anteprima di Stampa");
    QCOMPARE(preview.caption(), "Pagina 1/5");
    QCOMPARE(preview.currentPage(), 1);
    QCOMPARE(preview.HScroll1->value(), 500);
    QCOMPARE(preview.VScroll1->value(), 500);
    QCOMPARE(preview.HScroll1->singleStep(), 25);
    QCOMPARE(preview.HScroll1->pageStep(), 200);
    QCOMPARE(preview.VScroll1->maximum(), 1000);
    QSqlQuery rows(m_db->connection());
    QVERIFY(rows.exec("SELECT Pagina FROM STAMPA ORDER BY Chiave"));
    QList<int> pages;
    while (rows.next())
        pages << rows.value(0).toInt();
    QCOMPARE(pages, (QList<int>{1, 2, 3, 4, 5}));

    // The page fits inside the window, below the tool bar, and is not all white.
    QVERIFY(preview.rect().contains(preview.Pic->geometry()));
    QVERIFY(preview.Pic->y() >= preview.CoolBar1->geometry().bottom());
    const QImage image = preview.Pic->image();
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            dark += qGray(image.pixel(x, y)) < 128;
    QVERIFY(dark > 100);

    const auto press = [&preview](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&preview, key, modifiers);
        return preview.caption();
    };
    QCOMPARE(press(Qt::Key_PageUp), "Pagina 1/5");
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_PageDown);
    QCOMPARE(preview.caption(), "Pagina 5/5");
    QCOMPARE(preview.currentPage(), 5);
    QCOMPARE(press(Qt::Key_PageDown), "Pagina 5/5");
    // With a shift key held, Page Up is not a page turn.
    QCOMPARE(press(Qt::Key_PageUp, Qt::ShiftModifier), "Pagina 5/5");
    QCOMPARE(press(Qt::Key_PageUp), "Pagina 4/5");
    QCOMPARE(press(Qt::Key_Home), "Pagina 1/5");
    QCOMPARE(press(Qt::Key_End), "Pagina 5/5");
    QTest::mouseClick(preview.findChild<QWidget*>("Prima"), Qt::LeftButton);
    QCOMPARE(preview.caption(), "Pagina 1/5");
    QTest::mouseClick(preview.findChild<QWidget*>("Ultima"), Qt::LeftButton);
    QCOMPARE(preview.currentPage(), 5);
}

void PrintWindowsTest::clicksCycleTheZoom()
{
    OPEN_PREVIEW(preview, 2, 3);
    const QSize small = preview.Pic->size();
    const double scale = preview.previewScale();
    // A click at a quarter of the width and three quarters of the height.
    QTest::mouseClick(preview.Pic, Qt::LeftButton, {},
                      QPoint(small.width() / 4, small.height() * 3 / 4));
    QCOMPARE(preview.zoom(), 2);
    QVERIFY(std::abs(preview.Pic->width() - 2 * small.width()) <= 1);
    QVERIFY(std::abs(preview.previewScale() - 2 * scale) < 1e-9);
    QVERIFY(std::abs(preview.HScroll1->value() - 250) <= 5);
    QVERIFY(std::abs(preview.VScroll1->value() - 750) <= 5);
    // Scrolling moves the page.
    const int left = preview.Pic->x();
    preview.HScroll1->setValue(preview.HScroll1->value() + 200);
    QVERIFY(preview.Pic->x() < left);

    QTest::mouseClick(preview.Pic, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(preview.zoom(), 1);
    QCOMPARE(preview.Pic->size(), small);
    QCOMPARE(preview.HScroll1->value(), 500);
    QCOMPARE(preview.VScroll1->value(), 500);
    // The smallest window still shows the page whole, below the tool bar.
    preview.resize(preview.minimumSize());
    QVERIFY(preview.Pic->width() > 0 && preview.rect().contains(preview.Pic->geometry()));
}

void PrintWindowsTest::onePageWithoutPdfThenEscape()
{
    OPEN_PREVIEW(preview, 1, 3);
    QVERIFY(!preview.PDF->isVisible());
    QCOMPARE(preview.Stampa->text(), "&Stampa ...");
    // One page: the navigator has nothing to do.
    QCOMPARE(preview.caption(), "Pagina 1");
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.currentPage(), 0);
    QCOMPARE(pageFiles(*m_fixture.run).size(), 1);
    QTest::keyClick(&preview, Qt::Key_Escape);
    QVERIFY(!preview.isVisible());
    QCOMPARE(pageFiles(*m_fixture.run), QStringList());
    // Nothing is left to draw.
    LogTarget target;
    QVERIFY(!m_fixture.run->ReplayPage(0, target));
}

void PrintWindowsTest::printWithoutPrinters()
{
    m_printers.installed.clear();
    OPEN_PREVIEW(preview, 2, 3);
    Messaggio::setNextAnswer(QMessageBox::Ok);
    // A mnemonic presses its button a moment later.
    QTest::keyClick(&preview, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(Messaggio::lastText(), "Nessuna stampante installata");
    QVERIFY(preview.isVisible());
    QCOMPARE(pageFiles(*m_fixture.run).size(), 2);
    QVERIFY(!QFile::exists(m_fixture.printer->outputFileName()));
}

void PrintWindowsTest::printThroughSelection_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("pages"); // -1: no print job at all
    QTest::newRow("from page 2") << false << 3;
    QTest::newRow("cancelled") << true << -1;
}

void PrintWindowsTest::printThroughSelection()
{
    QFETCH(bool, cancel);
    QFETCH(int, pages);
    OPEN_PREVIEW(preview, 4, 20);
    // The printer selection is modal: answer it once it is open.
    QTimer::singleShot(0, [cancel] {
        auto* selection = qobject_cast<FrmStampa*>(QApplication::activeModalWidget());
        QVERIFY(selection);
        QCOMPARE(selection->Dati0->text(), "1");
        QCOMPARE(selection->Dati1->text(), "4");
        if (cancel) {
            QTest::keyClick(selection, Qt::Key_Escape);
        } else {
            selection->Dati0->selectAll();
            QTest::keyClicks(selection->Dati0, "2");
            QTest::mouseClick(selection->Command1, Qt::LeftButton);
        }
        QCOMPARE(selection->chosenRange().value_or(PageRange{}).last, cancel ? 0 : 4);
    });
    QTest::mouseClick(preview.Stampa, Qt::LeftButton);
    QVERIFY(!preview.isVisible());
    QCOMPARE(pdftest::pageCount(m_fixture.printer->outputFileName()), pages);
    QCOMPARE(m_printers.defaults, cancel ? QStringList() : QStringList{"Studio"});
    QCOMPARE(pageFiles(*m_fixture.run), QStringList());
}

void PrintWindowsTest::exportFromPreview()
{
    PdfExportRequest pdf;
    pdf.path = m_fixture.dir->filePath("Fatture/2026/Fattura_2026_12.pdf");
    QStringList opened;
    pdf.openViewer = [&opened](const QString& path) {
        opened << path;
        return false; // no viewer on this machine
    };
    OPEN_PREVIEW(preview, 3, 20, pdf);
    QCOMPARE(preview.PDF->text(), "&Esporta PDF ...");
    QVERIFY(preview.PDF->isVisible());
    Messaggio::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&preview, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(!preview.isVisible());
    QCOMPARE(opened, QStringList{pdf.path});
    QVERIFY(Messaggio::lastText().contains(pdf.path));
    QCOMPARE(pdftest::pageCount(pdf.path), 3);
    CHECK_PDF(pdf.path);
    QCOMPARE(pageFiles(*m_fixture.run), QStringList());
}

#include "PrintWindowsTest.h"

#include "FrmStampa.h"
#include "MessageBox.h"
#include "PageEngine.h"
#include "PdfChecks.h"
#include "TestLayout.h"
#include "frmPreview.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

QStringList pageFiles(PageEngine& engine)
{
    return QDir(engine.TempFolder()).entryList({QStringLiteral("~WRK*.Tmp")}, QDir::Files);
}

int pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished();
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Runs action on the modal printer selection once it is open.
void whenSelectionOpens(std::function<void(FrmStampa*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<FrmStampa*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

} // namespace

void PrintWindowsTest::init()
{
    Messaggio::resetForTest();
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldTemp = qgetenv("TEMP");
    qputenv("TEMP", m_dir->path().toLocal8Bit());
    PageEngine::resetInstance();
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setOutputFileName(m_dir->filePath(QStringLiteral("stampa.pdf")));
    pageEngine().setPrinter(m_printer.get());
    pageEngine().setViewerLauncher([](const QString&) { return true; });
    m_printers = FakePrinterSystem();
    m_printers.installed = {
        {QStringLiteral("Ufficio"), QStringLiteral("HP LaserJet 1020"),
         QStringLiteral("usb://HP/LaserJet")},
        {QStringLiteral("Studio"), QStringLiteral("Brother HL"),
         QStringLiteral("ipp://studio/ipp")},
        {QStringLiteral("Grezza"), QString(), QStringLiteral("socket://10.0.0.9")}};
    m_printers.program = QStringLiteral("Studio");
    PrinterSystem::setCurrent(&m_printers);
    m_db = std::make_unique<Database>();
    QString error;
    QVERIFY2(m_db->open(m_dir->filePath(QStringLiteral("falmide.db")), &error), qPrintable(error));
}

void PrintWindowsTest::cleanup()
{
    PrinterSystem::setCurrent(nullptr);
    PageEngine::resetInstance();
    m_db.reset();
    m_printer.reset();
    qputenv("TEMP", m_oldTemp);
    m_dir.reset();
}

void PrintWindowsTest::pageNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "due" << 0;
    QTest::newRow("plain") << "12" << 12;
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
    QCOMPARE(soloCifre(text), text.isEmpty() || (page > 0 && !text.contains(QLatin1Char(' '))));
}

void PrintWindowsTest::selectionLoadsRangeAndCancels()
{
    PageEngine& engine = pageEngine();
    engine.FirstPage = 1;
    engine.LastPage = 5;
    FrmStampa window(nullptr, m_printers);
    QCOMPARE(window.windowTitle(), QStringLiteral("Stampa"));
    QCOMPARE(window.List1->count(), 3);
    QCOMPARE(window.List1->currentItem()->text(), QStringLiteral("Studio"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Driver"))->text(),
             QStringLiteral("Brother HL"));
    QCOMPARE(window.Dati0->text(), QStringLiteral("1"));
    QCOMPARE(window.Dati1->text(), QStringLiteral("5"));
    QCOMPARE(engine.LastPage, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.close(); // the close box
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(engine.LastPage, 0);
    QVERIFY(m_printers.defaults.isEmpty());
    QVERIFY(m_printers.programChanges.isEmpty());
}

void PrintWindowsTest::pageFieldsTakeDigitsOnly()
{
    FrmStampa window(nullptr, m_printers);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.Dati0->setFocus();
    window.Dati0->selectAll();
    QTest::keyClicks(window.Dati0, QStringLiteral("1a.-2"));
    QCOMPARE(window.Dati0->text(), QStringLiteral("12"));
    // Enter moves on to the next field.
    QTest::keyClick(window.Dati0, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window.Dati1);
    window.Dati1->selectAll();
    QTest::keyClicks(window.Dati1, QStringLiteral("x3"));
    QCOMPARE(window.Dati1->text(), QStringLiteral("3"));
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    QCOMPARE(pageEngine().FirstPage, 12);
    QCOMPARE(pageEngine().LastPage, 3);
}

void PrintWindowsTest::choosingPrinters()
{
    {
        // The current printer again: the default is rewritten, the
        // program's printer stays the same object.
        FrmStampa window(nullptr, m_printers);
        window.Command1_Click();
        QCOMPARE(m_printers.defaults, QStringList{QStringLiteral("Studio")});
        QVERIFY(m_printers.programChanges.isEmpty());
    }
    {
        FrmStampa window(nullptr, m_printers);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QListWidgetItem* item = window.List1->item(0);
        const QRect r = window.List1->visualItemRect(item);
        QTest::mouseClick(window.List1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(window.List1->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(!window.isVisible());
        QCOMPARE(m_printers.defaults.last(), QStringLiteral("Ufficio"));
        QCOMPARE(m_printers.programChanges, QStringList{QStringLiteral("Ufficio")});
    }
    {
        // No driver: not made the system default, but printing still goes
        // where the user chose.
        m_printers.defaults.clear();
        FrmStampa window(nullptr, m_printers);
        window.List1->setCurrentRow(2);
        window.Command1_Click();
        QVERIFY(m_printers.defaults.isEmpty());
        QCOMPARE(m_printers.program, QStringLiteral("Grezza"));
    }
    {
        // A default that cannot be written is said, and printing goes on.
        m_printers.failDefault = true;
        Messaggio::setNextAnswer(QMessageBox::Ok);
        FrmStampa window(nullptr, m_printers);
        window.List1->setCurrentRow(1);
        window.Command1_Click();
        QVERIFY(Messaggio::lastText().contains(QStringLiteral("lpoptions: rifiutato")));
        QCOMPARE(m_printers.program, QStringLiteral("Studio"));
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
}

void PrintWindowsTest::previewOpensOnFirstPage()
{
    recordReport(pageEngine(), 5, 10);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.windowTitle(), QStringLiteral("Anteprima di Stampa"));
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 1/5"));
    QCOMPARE(pageEngine().CurrentPage, 0);
    QCOMPARE(preview.HScroll1->value(), 500);
    QCOMPARE(preview.VScroll1->value(), 500);
    QCOMPARE(preview.HScroll1->singleStep(), 25);
    QCOMPARE(preview.HScroll1->pageStep(), 200);
    QCOMPARE(preview.VScroll1->maximum(), 1000);

    QSqlQuery rows(m_db->connection());
    QVERIFY(rows.exec(QStringLiteral("SELECT Pagina FROM STAMPA ORDER BY Chiave")));
    QList<int> pages;
    while (rows.next())
        pages << rows.value(0).toInt();
    QCOMPARE(pages, (QList<int>{1, 2, 3, 4, 5}));

    // The page fits inside the window, below the tool bar.
    const QRect page = preview.Pic->geometry();
    QVERIFY(preview.rect().contains(page));
    QVERIFY(page.top() >= preview.CoolBar1->geometry().bottom());
    // Something is drawn: the page is not all white.
    const QImage image = preview.Pic->image();
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            dark += qGray(image.pixel(x, y)) < 128;
    QVERIFY(dark > 100);
}

void PrintWindowsTest::pageKeysStopAtTheEnds()
{
    recordReport(pageEngine(), 5, 3);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTest::keyClick(&preview, Qt::Key_PageUp);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 1/5"));
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 5/5"));
    QCOMPARE(pageEngine().CurrentPage, 4);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 5/5"));
    QCOMPARE(preview.currentPage(), 5);
    // With a shift key held, Page Up is not a page turn.
    QTest::keyClick(&preview, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(preview.currentPage(), 5);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 4/5"));
    QTest::keyClick(&preview, Qt::Key_Home);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 1/5"));
    QTest::keyClick(&preview, Qt::Key_End);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 5/5"));
    QTest::mouseClick(preview.findChild<QWidget*>(QStringLiteral("Prima")), Qt::LeftButton);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 1/5"));
    QTest::mouseClick(preview.findChild<QWidget*>(QStringLiteral("Ultima")), Qt::LeftButton);
    QCOMPARE(preview.caption(), QStringLiteral("Pagina 5/5"));
}

void PrintWindowsTest::clicksCycleTheZoom()
{
    recordReport(pageEngine(), 2, 3);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    const QSize small = preview.Pic->size();
    const double scale = pageEngine().PreviewScale();

    // A click at a quarter of the width and three quarters of the height.
    QTest::mouseClick(preview.Pic, Qt::LeftButton, {},
                      QPoint(small.width() / 4, small.height() * 3 / 4));
    QCOMPARE(preview.zoom(), 2);
    QVERIFY(std::abs(preview.Pic->width() - 2 * small.width()) <= 1);
    QVERIFY(std::abs(pageEngine().PreviewScale() - 2 * scale) < 1e-9);
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
    QVERIFY(preview.Pic->width() > 0);
    QVERIFY(preview.rect().contains(preview.Pic->geometry()));
}

void PrintWindowsTest::pdfButtonOnlyWithPath()
{
    recordReport(pageEngine(), 1, 3);
    {
        frmPreview preview(nullptr, m_db.get());
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QVERIFY(!preview.PDF->isVisible());
        QVERIFY(preview.Stampa->isVisible());
        QCOMPARE(preview.Stampa->text(), QStringLiteral("&Stampa ..."));
        // One page: the navigator has nothing to do.
        QCOMPARE(preview.caption(), QStringLiteral("Pagina 1"));
        QTest::keyClick(&preview, Qt::Key_PageDown);
        QCOMPARE(preview.currentPage(), 0);
    }
    recordReport(pageEngine(), 1, 3);
    pageEngine().PdfPath = m_dir->filePath(QStringLiteral("f.pdf"));
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QVERIFY(preview.PDF->isVisible());
    QCOMPARE(preview.PDF->text(), QStringLiteral("&Esporta PDF ..."));
}

void PrintWindowsTest::escapeDeletesPageFiles()
{
    recordReport(pageEngine(), 3, 3);
    QCOMPARE(pageFiles(pageEngine()).size(), 3);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTest::keyClick(&preview, Qt::Key_Escape);
    QVERIFY(!preview.isVisible());
    QCOMPARE(pageFiles(pageEngine()), QStringList());
    // The closed window's picture is not drawn on again.
    QString error;
    QVERIFY(!pageEngine().ReplayPage(&error));
}

void PrintWindowsTest::printWithoutPrinters()
{
    m_printers.installed.clear();
    recordReport(pageEngine(), 2, 3);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    Messaggio::setNextAnswer(QMessageBox::Ok);
    // A mnemonic presses its button a moment later.
    QTest::keyClick(&preview, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(Messaggio::lastText(), QStringLiteral("Nessuna stampante installata"));
    QVERIFY(preview.isVisible());
    QCOMPARE(pageFiles(pageEngine()).size(), 2);
    QVERIFY(!QFile::exists(m_printer->outputFileName()));
}

void PrintWindowsTest::printThroughSelection()
{
    recordReport(pageEngine(), 4, 20);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    whenSelectionOpens([](FrmStampa* selection) {
        QCOMPARE(selection->Dati0->text(), QStringLiteral("1"));
        QCOMPARE(selection->Dati1->text(), QStringLiteral("4"));
        selection->Dati0->setText(QStringLiteral("2"));
        QTest::mouseClick(selection->Command1, Qt::LeftButton);
    });
    QTest::mouseClick(preview.Stampa, Qt::LeftButton);
    QVERIFY(!preview.isVisible());
    QCOMPARE(pdfPages(m_printer->outputFileName()), 3);
    QCOMPARE(m_printers.defaults, QStringList{QStringLiteral("Studio")});
    QCOMPARE(pageFiles(pageEngine()), QStringList());
}

void PrintWindowsTest::cancelledSelectionPrintsNothing()
{
    recordReport(pageEngine(), 3, 3);
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    whenSelectionOpens([](FrmStampa* selection) { QTest::keyClick(selection, Qt::Key_Escape); });
    preview.Stampa_Click();
    QCOMPARE(pageEngine().LastPage, 0);
    QVERIFY(!QFile::exists(m_printer->outputFileName()));
}

void PrintWindowsTest::exportFromPreview()
{
    recordReport(pageEngine(), 3, 20);
    pageEngine().PdfPath = m_dir->filePath(QStringLiteral("Fatture/2026/Fattura_2026_12.pdf"));
    QStringList opened;
    pageEngine().setViewerLauncher([&opened](const QString& path) {
        opened << path;
        return false; // no viewer on this machine
    });
    frmPreview preview(nullptr, m_db.get());
    preview.show();
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    Messaggio::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&preview, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(!preview.isVisible());
    QCOMPARE(opened, QStringList{pageEngine().PdfPath});
    QVERIFY(Messaggio::lastText().contains(pageEngine().PdfPath));
    QCOMPARE(pdfPages(pageEngine().PdfPath), 3);
    VERIFY_PDF(pageEngine().PdfPath, QStringList());
    QCOMPARE(pageFiles(pageEngine()), QStringList());
}

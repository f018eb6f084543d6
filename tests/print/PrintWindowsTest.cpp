#include "PrintTests.h"

#include "FrmStampa.h"
#include "LogTarget.h"
#include "MessageBox.h"
#include "PdfTestSupport.h"
#include "PreviewPicture.h"
#include "frmPreview.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

// Records a report of pages and opens its preview, active so that mnemonics reach it.
#define OPEN_PREVIEW(preview, pages, lines, ...)                                                   \
    recordReport(m_fixture.recorder(), pages, lines);                                              \
    frmPreview preview(*m_fixture.run, nullptr, m_db.get() __VA_OPT__(, ) __VA_ARGS__);            \
    preview.show();                                                                                \
    preview.activateWindow();                                                                      \
    QVERIFY(QTest::qWaitForWindowActive(&preview))

namespace {

// The windows keep their widgets to themselves: tests find them by name.
template <typename T = QWidget> T* child(const QObject* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qWarning("no %s", name);
    return found;
}

QPushButton* button(const QObject* window, const char* name)
{
    return child<QPushButton>(window, name);
}

QLineEdit* field(const QObject* window, const char* name)
{
    return child<QLineEdit>(window, name);
}

// The picture's place in the window.
QRect placeIn(const QWidget* window, const QWidget* picture)
{
    return QRect(picture->mapTo(window, QPoint()), picture->size());
}

QStringList pageFiles(PrintRun& run)
{
    return QDir(run.pages().TempFolder()).entryList({"~WRK*.Tmp"}, QDir::Files);
}

} // namespace

void PrintWindowsTest::init()
{
    MessageBox::resetForTest();
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
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("blanks") << " 3 " << 3;
    QTest::newRow("beyond 16 bits") << "99999" << 99999;
    QTest::newRow("too large") << "123456789" << kMostPages;
    QTest::newRow("far too large") << "123456789012345678971234" << kMostPages;
    QTest::newRow("sign") << "-2" << 0;
    QTest::newRow("arabic digit") << QString::fromUtf8("٣") << 0;
}

void PrintWindowsTest::pageNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    QCOMPARE(pageNumberFromText(text), page);
    QCOMPARE(isDigitsOnly(text), text.isEmpty() || (page > 0 && !text.contains(' ')));
}

void PrintWindowsTest::selectionLoadsRangeAndTakesDigitsOnly()
{
    FrmStampa window(PageRange{1, 5}, nullptr, m_printers);
    QCOMPARE(window.windowTitle(), "Stampa");
    auto* list = child<QListWidget>(&window, "List1");
    QLineEdit* from = field(&window, "Dati0");
    QLineEdit* to = field(&window, "Dati1");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentItem()->text(), "Studio");
    QCOMPARE(window.findChild<QLabel*>("Driver")->text(), "Brother HL");
    QVERIFY(!window.chosenRange());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    from->setFocus();
    from->selectAll();
    QTest::keyClicks(from, "1a.-2");
    QCOMPARE(from->text(), "12");
    // Enter moves on to the next field.
    QTest::keyClick(from, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), to);
    to->selectAll();
    QTest::keyClicks(to, "x3");
    QCOMPARE(to->text(), "3");
    QTest::mouseClick(button(&window, "Command1"), Qt::LeftButton);
    QCOMPARE(window.chosenRange().value_or(PageRange{}).first, 12);
    QCOMPARE(window.chosenRange().value_or(PageRange{}).last, 3);

    // A document of more pages than five digits count: its last page is
    // offered whole, and the range can reach it.
    FrmStampa longer(PageRange{1, 1234567}, nullptr, m_printers);
    longer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&longer));
    QLineEdit* last = field(&longer, "Dati1");
    QCOMPARE(last->text(), "1234567");
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, "40001");
    QTest::mouseClick(button(&longer, "Command1"), Qt::LeftButton);
    QCOMPARE(longer.chosenRange().value_or(PageRange{}).last, 40001);
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
    MessageBox::setNextAnswer(QMessageBox::Ok);
    FrmStampa window(PageRange{}, nullptr, m_printers);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* list = child<QListWidget>(&window, "List1");
    const QPoint item = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(m_printers.defaults, defaults);
    QCOMPARE(m_printers.programChanges, programChanges);
    QCOMPARE(MessageBox::lastText().contains("lpoptions: rifiutato"), failDefault);
}

void PrintWindowsTest::previewOpensOnFirstPage()
{
    OPEN_PREVIEW(preview, 5, 3);
    QCOMPARE(preview.windowTitle(), "Anteprima di Stampa");
    QCOMPARE(preview.caption(), "Pagina 1/5");
    QCOMPARE(preview.currentPage(), 1);
    // The whole page is in view: nothing to scroll.
    QCOMPARE(child<QScrollBar>(&preview, "HScroll1")->maximum(), 0);
    QCOMPARE(child<QScrollBar>(&preview, "VScroll1")->maximum(), 0);
    QSqlQuery rows(m_db->connection());
    QVERIFY(rows.exec("SELECT Pagina FROM STAMPA ORDER BY Chiave"));
    QList<int> pages;
    while (rows.next())
        pages << rows.value(0).toInt();
    QCOMPARE(pages, (QList<int>{1, 2, 3, 4, 5}));

    // The page fits inside the window, below the tool bar, and is not all white.
    auto* pic = child<PreviewPicture>(&preview, "Pic");
    QVERIFY(preview.rect().contains(placeIn(&preview, pic)));
    QVERIFY(placeIn(&preview, pic).top() >= child(&preview, "Barra")->geometry().bottom());
    const QImage image = pic->image();
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
    auto* pic = child<PreviewPicture>(&preview, "Pic");
    auto* h = child<QScrollBar>(&preview, "HScroll1");
    auto* v = child<QScrollBar>(&preview, "VScroll1");
    QWidget* view = child<QScrollArea>(&preview, "PageView")->viewport();
    const QSize small = pic->size();
    const double scale = preview.previewScale();
    // A click at a quarter of the width and three quarters of the height.
    QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(small.width() / 4, small.height() * 3 / 4));
    QCOMPARE(preview.zoom(), 2);
    QVERIFY(std::abs(pic->width() - 2 * small.width()) <= 1);
    QVERIFY(std::abs(preview.previewScale() - 2 * scale) < 1e-9);
    // The clicked point comes to the middle of the view, as near as the
    // page's edges allow, and so into view.
    const QPoint clicked(pic->width() / 4, pic->height() * 3 / 4);
    QVERIFY(v->maximum() > 0);
    QVERIFY(std::abs(h->value() - std::clamp(clicked.x() - view->width() / 2, 0, h->maximum())) <=
            2);
    QVERIFY(std::abs(v->value() - std::clamp(clicked.y() - view->height() / 2, 0, v->maximum())) <=
            2);
    QVERIFY(view->rect().contains(pic->mapTo(view, clicked)));
    // Scrolling moves the page, and so does the wheel.
    const int top = pic->mapTo(view, QPoint()).y();
    v->setValue(v->value() - 100);
    QVERIFY(pic->mapTo(view, QPoint()).y() > top);
    const int scrolled = v->value();
    QWheelEvent wheel(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QVERIFY(v->value() > scrolled);

    QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(preview.zoom(), 1);
    QCOMPARE(pic->size(), small);
    QCOMPARE(h->maximum(), 0);
    QCOMPARE(v->maximum(), 0);
    // The smallest window still shows the page whole, below the tool bar.
    preview.resize(preview.minimumSize());
    QVERIFY(pic->width() > 0 && preview.rect().contains(placeIn(&preview, pic)));
}

void PrintWindowsTest::onePageWithoutPdfThenEscape()
{
    OPEN_PREVIEW(preview, 1, 3);
    QVERIFY(!button(&preview, "PDF")->isVisible());
    QCOMPARE(button(&preview, "Stampa")->text(), "&Stampa ...");
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
    MessageBox::setNextAnswer(QMessageBox::Ok);
    // A mnemonic presses its button a moment later.
    QTest::keyClick(&preview, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(MessageBox::lastText(), "Nessuna stampante installata");
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
        QCOMPARE(field(selection, "Dati0")->text(), "1");
        QCOMPARE(field(selection, "Dati1")->text(), "4");
        if (cancel) {
            QTest::keyClick(selection, Qt::Key_Escape);
        } else {
            field(selection, "Dati0")->selectAll();
            QTest::keyClicks(field(selection, "Dati0"), "2");
            QTest::mouseClick(button(selection, "Command1"), Qt::LeftButton);
        }
        QCOMPARE(selection->chosenRange().value_or(PageRange{}).last, cancel ? 0 : 4);
    });
    QTest::mouseClick(button(&preview, "Stampa"), Qt::LeftButton);
    QVERIFY(!preview.isVisible());
    QCOMPARE(pdftest::pageCount(m_fixture.printer->outputFileName()), pages);
    QCOMPARE(m_printers.defaults, cancel ? QStringList() : QStringList{"Studio"});
    QCOMPARE(pageFiles(*m_fixture.run), QStringList());
    // The hourglass of the print is gone with it.
    QVERIFY(!QApplication::overrideCursor());
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
    QCOMPARE(button(&preview, "PDF")->text(), "&Esporta PDF ...");
    QVERIFY(button(&preview, "PDF")->isVisible());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&preview, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(!preview.isVisible());
    QCOMPARE(opened, QStringList{pdf.path});
    QVERIFY(MessageBox::lastText().contains(pdf.path));
    QCOMPARE(pdftest::pageCount(pdf.path), 3);
    CHECK_PDF(pdf.path);
    QCOMPARE(pageFiles(*m_fixture.run), QStringList());
}

#include "AppTests.h"

#include "Clock.h"
#include "DocumentKey.h"
#include "ElectronicInvoiceFiles.h"
#include "FatturaPAFile.h"
#include "FileDialogAnswer.h"
#include "Main.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfTestSupport.h"
#include "Sendings.h"
#include "SupplierInvoiceXml.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const DocumentKey kInvoice = *DocumentKey::of(QDate(2026, 12, 1), 1);

// Chooses an entry of "Fattura elettronica" by its access key (Alt+E, then
// key), with file answered in the file dialog.
void chooseFromMenu(Main& main, Qt::Key key, const QString& file)
{
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    chooseInDialog(&main, file);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&main, Qt::Key_E, Qt::AltModifier);
    auto* menu = main.findChild<QMenu*>("MenuFatturaElettronica");
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, key);
}

} // namespace

void ElectronicInvoiceFilesTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    QVERIFY2(m_data.addSendableInvoice(&error), qPrintable(error));
    Database& db = m_data.context().DbArchivi;
    QString message;
    const auto path =
        exportFatturaPA(db, m_data.context().settings(), m_data.path(), kInvoice, {}, &message);
    QVERIFY2(path, qPrintable(message));
    m_written = QFileInfo(*path).fileName();
}

void ElectronicInvoiceFilesTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void ElectronicInvoiceFilesTest::receiptsFromTheMenu()
{
    // A delivery receipt about the file just written.
    QFile model(QStringLiteral(FALMIDE_RECEIPTS "/IT09876543217_26007_RC_001.xml"));
    QVERIFY(model.open(QIODevice::ReadOnly));
    const QString receipt = m_data.filePath("IT09876543217_A0001_RC_001.xml");
    QVERIFY(pdftest::writeFile(
        receipt, model.readAll().replace("IT09876543217_26007.xml", m_written.toUtf8())));

    Main main(m_data.context());
    chooseFromMenu(main, Qt::Key_R, receipt); // "Importa &ricevute SdI ..."
    QTRY_COMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastText(), "IT09876543217_A0001_RC_001.xml: fattura 1/2026 (" +
                                         m_written + "), Consegnata il 08/12/2026");
    QString error;
    const auto live = Sendings(m_data.context().DbArchivi).live(kInvoice, &error);
    QVERIFY(live && live->state == SendingState::Delivered);

    // Read again, it changes nothing and says so; no warning.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    ElectronicInvoiceFiles(m_data.context(), &main).importReceipts({receipt});
    QVERIFY(MessageBox::lastText().endsWith("ricevuta già registrata"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Information);
}

void ElectronicInvoiceFilesTest::zipOfThePeriod()
{
    PeriodZipDialog window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* first = window.findChild<QLineEdit*>("First");
    auto* file = window.findChild<QLineEdit*>("File");
    // A period the wrong way round is refused, the window stays.
    first->selectAll();
    QTest::keyClicks(first, "31/12/2026");
    file->selectAll();
    const QString zip = m_data.filePath("uscita/dicembre.zip");
    QTest::keyClicks(file, zip);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(MessageBox::lastText().startsWith("Periodo non valido"));
    QVERIFY(window.isVisible() && !QFile::exists(zip));

    first->selectAll();
    QTest::keyClicks(first, "01/12/2026");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("Write"), Qt::LeftButton);
    QTRY_COMPARE(MessageBox::lastText(),
                 "File ZIP scritto in " + zip + " con una fattura elettronica.");
    QVERIFY(!window.isVisible());
    QProcess unzip;
    unzip.start("unzip", {"-Z1", zip});
    QVERIFY(unzip.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).trimmed(), m_written);
}

void ElectronicInvoiceFilesTest::supplierInvoicesFromTheMenu()
{
    const QString file = m_data.filePath("IT01234567890_00001.xml");
    QVERIFY(pdftest::writeFile(file, supplierxml::xml(supplierxml::twoRatesAndN1())));
    Main main(m_data.context());
    chooseFromMenu(main, Qt::Key_F, file); // "Importa &fatture ricevute ..."
    QTRY_COMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastText(),
             "IT01234567890_00001.xml: fattura 15/A del 03/11/2026 di Rossi Srl registrata come "
             "movimenti 2026/00001, 2026/00002 (nuovo fornitore ROSSISRL)");
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Information);
    QVERIFY(QFile::exists(m_data.filePath("Ricevute/2026/IT01234567890_00001.xml")));

    // The same file again: refused by name, as a warning.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    ElectronicInvoiceFiles(m_data.context(), &main).importSupplierInvoices({file});
    QVERIFY2(MessageBox::lastText().startsWith("IT01234567890_00001.xml: file già importato"),
             qPrintable(MessageBox::lastText()));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Warning);
}

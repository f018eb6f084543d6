#include "AccountantExportWindowTest.h"

#include "AccountantExportWindow.h"
#include "Clock.h"
#include "InvoiceFixture.h"
#include "MessageBox.h"
#include "ModalHelper.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

void AccountantExportWindowTest::init()
{
    Clock::setToday(QDate(2026, 12, 6));
    MessageBox::resetForTest();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void AccountantExportWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
    MessageBox::resetForTest();
}

void AccountantExportWindowTest::exportedFromTheKeyboard()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addClient(db, "R1", "Rossi Mario"));
    QVERIFY(addInvoice(db, QDate(2026, 3, 2), 1, "R1", 10000));
    const QString stampe = m_data.context().archiveFolder() + "/Stampe/";

    // The period typed, CSV chosen with the arrow key, the ZIP ticked with
    // the mouse, Enter exports.
    // Checks inside are noted, not asserted: the window must close whatever
    // they find.
    QString proposed;
    QString renamed;
    QStringList focus;
    bool zipTicked = false;
    bool waited = true;
    whenModal<AccountantExportWindow>(this, [&](AccountantExportWindow* window) {
        waited = QTest::qWaitForWindowActive(window) && waited;
        auto* file = window->findChild<QLineEdit*>("File");
        proposed = file->text();
        auto* first = window->findChild<QLineEdit*>("First");
        focus << QApplication::focusWidget()->objectName();
        first->selectAll();
        QTest::keyClicks(first, "01/03/2026");
        QTest::keyClick(first, Qt::Key_Tab);
        QTest::keyClick(window->findChild<QLineEdit*>("Last"), Qt::Key_Tab);
        auto* format = window->findChild<QComboBox*>("Format");
        focus << QApplication::focusWidget()->objectName();
        QTest::keyClick(format, Qt::Key_Down);
        renamed = file->text();
        auto* zip = window->findChild<QCheckBox*>("Zip");
        QTest::mouseClick(zip, Qt::LeftButton, {}, QPoint(8, zip->height() / 2));
        zipTicked = zip->isChecked();
        // To look at the window: FALMIDE_SCREENSHOTS=/tmp/grabs.
        if (const QString grabs = qEnvironmentVariable("FALMIDE_SCREENSHOTS"); !grabs.isEmpty())
            window->grab().save(QDir(grabs).filePath("accountant-export.png"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(file, Qt::Key_Return);
        if (window->isVisible())
            window->reject();
    });
    openAccountantExport(m_data.context(), nullptr);
    QVERIFY(waited);
    QCOMPARE(focus, QStringList({"First", "Format"}));
    QVERIFY(zipTicked);
    QCOMPARE(proposed, stampe + "Commercialista_2026-01-01_2026-12-06.xlsx");
    QCOMPARE(renamed, stampe + "Commercialista_2026-03-01_2026-12-06.csv");
    const QString csv = stampe + "Commercialista_2026-03-01_2026-12-06";
    QCOMPARE(MessageBox::lastText(),
             "File scritti: " + csv + ".csv (fatture) e " + csv +
                 "_acquisti.csv (acquisti).\nFile ZIP: " + csv +
                 ".zip, con 0 PDF e 0 fatture elettroniche.\nSenza PDF nell'archivio "
                 "(esportarlo dalla stampa della fattura): fattura 1/2026.\nSenza fattura "
                 "elettronica valida: fattura 1/2026.");
    for (const char* end : {".csv", "_acquisti.csv", ".zip"})
        QVERIFY(QFile::exists(csv + end));

    // A wrong period says so and keeps the window; Esc leaves it.
    const int shown = MessageBox::shownCount();
    bool keptOpen = false;
    QString refusal;
    whenModal<AccountantExportWindow>(this, [&](AccountantExportWindow* window) {
        waited = QTest::qWaitForWindowActive(window) && waited;
        auto* last = window->findChild<QLineEdit*>("Last");
        last->setFocus();
        last->selectAll();
        QTest::keyClicks(last, "31/02/2026");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(last, Qt::Key_Return);
        keptOpen = window->isVisible();
        refusal = MessageBox::lastText();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (window->isVisible())
            window->reject();
    });
    openAccountantExport(m_data.context(), nullptr);
    QVERIFY(keptOpen);
    QVERIFY2(refusal.startsWith("Periodo non valido"), qPrintable(refusal));
    QCOMPARE(MessageBox::shownCount(), shown + 1);
}

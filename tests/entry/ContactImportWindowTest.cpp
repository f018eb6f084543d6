#include "WindowsTest.h"

#include "Client.h"
#include "ContactImportWindow.h"
#include "MessageBox.h"
#include "ModalHelper.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// Chooses `path` in the next file dialog as a user types it; a dialog that
// has not settled yet is answered again.
void chooseInDialog(QObject* context, const QString& path)
{
    whenModal<QFileDialog>(context, [context, path](QFileDialog* dialog) {
        dialog->setDirectory(QFileInfo(path).absolutePath());
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible())
            chooseInDialog(context, path);
    });
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What the window showed, read while it was open.
struct Seen
{
    int rows = 0;
    QString summary;
    QString refusal;
    bool importBefore = true;
    bool importAfter = false;
    int currentAfterDown = -1;
};

} // namespace

void ContactImportWindowTest::init()
{
    MessageBox::resetForTest();
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void ContactImportWindowTest::cleanup()
{
    m_data.tearDown();
}

void ContactImportWindowTest::previewMendAndImport()
{
    const QString path = m_data.filePath("clienti.csv");
    QVERIFY(write(path, "Codice;Denominazione;Citt\xE0;P.IVA\n"
                        "R1;Rossi Mario;Forl\xEC;01234567897\n"
                        "B1;Bianchi;Pisa;01234567890\n"));
    Seen seen;
    chooseInDialog(this, path);
    whenModal<ContactImportWindow>(this, [&](ContactImportWindow* window) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* rows = window->findChild<QTableWidget*>(QStringLiteral("Righe"));
        auto* import = window->findChild<QPushButton*>(QStringLiteral("BtImporta"));
        seen.rows = rows->rowCount();
        seen.summary = window->findChild<QLabel*>(QStringLiteral("Riepilogo"))->text();
        seen.refusal = rows->item(1, 4)->text();
        seen.importBefore = import->isEnabled();
        if (const QString dir = qEnvironmentVariable("FALMIDE_SCREENSHOTS"); !dir.isEmpty())
            window->grab().save(dir + "/importa-clienti.png");
        QTest::keyClick(rows, Qt::Key_Down);
        seen.currentAfterDown = rows->currentRow();
        // Mended in the spreadsheet, read again from the keyboard (Tab past
        // the disabled "Importa" to "Rileggi il file", Space), imported with a click.
        write(path, "Codice;Denominazione;Citt\xE0;P.IVA\n"
                    "R1;Rossi Mario;Forl\xEC;01234567897\n"
                    "B1;Bianchi;Pisa;\n");
        QTest::keyClick(rows, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        seen.importAfter = import->isEnabled();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(import, Qt::LeftButton);
        if (window->isVisible())
            window->reject(); // a failure, told by the checks below
    });
    openContactImport(m_data.context(), Table::Clienti, nullptr);

    QCOMPARE(seen.rows, 2);
    QCOMPARE(seen.summary, QStringLiteral("2 righe: 1 da creare, 0 già in archivio, 1 rifiutata.\n"
                                          "Finché una riga è rifiutata non viene scritto nulla: "
                                          "correggere nel file la riga 3 e rileggerlo."));
    QVERIFY2(seen.refusal.startsWith("Partita IVA: "), qPrintable(seen.refusal));
    QVERIFY(!seen.importBefore);
    QCOMPARE(seen.currentAfterDown, 1);
    QVERIFY(seen.importAfter);
    QCOMPARE(MessageBox::lastText(), QStringLiteral("2 clienti importati."));
    QString error;
    QCOMPARE(Clients(m_data.context().DbArchivi).find("R1", &error)->town, QStringLiteral("Forlì"));
    QCOMPARE(Clients(m_data.context().DbArchivi).count(&error), 2);

    // Again: nothing to import, and Esc leaves.
    bool importAgain = true;
    chooseInDialog(this, path);
    whenModal<ContactImportWindow>(this, [&](ContactImportWindow* window) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        importAgain = window->findChild<QPushButton*>(QStringLiteral("BtImporta"))->isEnabled();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (window->isVisible())
            window->reject();
    });
    openContactImport(m_data.context(), Table::Clienti, nullptr);
    QVERIFY(!importAgain);
    QCOMPARE(Clients(m_data.context().DbArchivi).count(&error), 2);
}

#include "AppTests.h"

#include "Clock.h"
#include "Consulta.h"
#include "DocumentFieldTyping.h"
#include "FArcFAT.h"
#include "MessageBox.h"
#include "ModalHelper.h"
#include "PdfTestSupport.h"
#include "Recordset.h"
#include "STAFAT.h"
#include "ViewerLauncher.h"
#include "frmPreview.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

namespace {

bool addRow(Database& db, const QString& table, const QStringList& columns,
            const QVariantList& values)
{
    QString error;
    const QStringList marks(columns.size(), QStringLiteral("?"));
    const bool ok =
        db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                   values, &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

bool addInvoice(Database& db, const QDate& date, int number, const QString& subject)
{
    return addRow(db, QStringLiteral("Fatture"),
                  {"Chiave", "Data", "Numero", "CodCli", "Oggetto", "Onorario"},
                  {date.toString("yyyy") + QString::number(number).rightJustified(10),
                   date.toString(Qt::ISODate), number, "R1", subject, 100000});
}

// Opens the consult window from the main window's "Fatture" button, presses
// "Nuovo" and hands the new invoice window to `act`.
void newInvoice(Main* main, const std::function<void(FArcFAT*)>& act)
{
    whenModal<Consulta>(main, [act](Consulta* consult) {
        whenModal<FArcFAT>(consult, [act](FArcFAT* invoice) {
            // The window leaves the date and the number by itself.
            QTRY_VERIFY(invoice->Dati(2)->hasFocus());
            act(invoice);
            QTest::keyClick(invoice, Qt::Key_Escape);
        });
        auto* nuovo = consult->findChild<QToolBar*>("Toolbar1")->widgetForAction(consult->Nuovo());
        QTest::mouseClick(nuovo, Qt::LeftButton);
        QTest::keyClick(consult, Qt::Key_Escape);
    });
    QTest::mouseClick(main->opStaz(1), Qt::LeftButton);
}

} // namespace

void DocumentNumbersTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    m_data.setUpFolder();
    m_main = std::make_unique<Main>(m_data.context());
    QString error;
    QCOMPARE(m_main->MDIForm_Load(&error), StartUpOutcome::Ready);
    QVERIFY(addRow(m_data.context().DbArchivi, "Clienti", {"Chiave", "CodCliente", "Denominazione"},
                   {"R1        ", "R1", "Rossi Mario"}));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void DocumentNumbersTest::cleanup()
{
    setViewerLauncher([](const QString&) { return true; });
    m_main.reset();
    m_data.tearDown();
    Clock::setToday({});
}

// With 2026/1, 2026/2 and 2027/1 stored, the last invoice's successor is 2,
// which names a stored invoice of today's year: the new one is 3.
void DocumentNumbersTest::newInvoiceNeverOverwritesAStoredOne()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addInvoice(db, {2026, 1, 10}, 1, "Prima"));
    QVERIFY(addInvoice(db, {2026, 6, 1}, 2, "Seconda"));
    QVERIFY(addInvoice(db, {2027, 1, 5}, 1, "Anno dopo"));

    newInvoice(m_main.get(), [](FArcFAT* invoice) {
        QCOMPARE(invoice->text(0), QStringLiteral("06/12/2026"));
        QCOMPARE(invoice->text(1), QStringLiteral("3"));
        // Nothing stored was loaded: a new invoice, nothing to print or delete.
        QCOMPARE(invoice->text(2) + invoice->text(3) + invoice->text(5), QString());
        QVERIFY(!invoice->BtCanc()->isEnabled());
        QVERIFY(!invoice->Stampa()->isEnabled());
        enter(invoice, 2, "R1");
        enter(invoice, 3, "Terza");
        enter(invoice, 5, "500");
        QTest::mouseClick(invoice->BtMem(), Qt::LeftButton);
    });
    QCOMPARE(MessageBox::shownCount(), 0);

    QString error;
    auto invoices = Recordset::OpenTable(db, "Fatture", &error);
    QCOMPARE(invoices->RecordCount(), 4);
    QVERIFY(invoices->Seek("=", "2026         2"));
    QCOMPARE(invoices->text(4), QStringLiteral("Seconda"));
    QCOMPARE(invoices->value(6).toLongLong(), 100000);
    QVERIFY(invoices->Seek("=", "2026         3"));
    QVERIFY(!invoices->NoMatch());
    QCOMPARE(invoices->text(4), QStringLiteral("Terza"));
    QCOMPARE(invoices->value(6).toLongLong(), 50000);
}

// Invoice 1234: the number field shows "1 234" once left, and so does the
// print window's field once the mouse leaves it for "Stampa"; the preview
// still offers the archive PDF, written under the stored number.
void DocumentNumbersTest::fourDigitInvoiceIsArchived()
{
    QStringList opened;
    setViewerLauncher([&opened](const QString& path) {
        opened << path;
        return true;
    });
    QString offered;
    newInvoice(m_main.get(), [&offered](FArcFAT* invoice) {
        enter(invoice, 1, "1234");
        QCOMPARE(invoice->text(1), QStringLiteral("1 234"));
        enter(invoice, 2, "R1");
        enter(invoice, 3, "Frazionamento");
        enter(invoice, 5, "1000");
        QTest::mouseClick(invoice->BtMem(), Qt::LeftButton);
        QVERIFY(invoice->Stampa()->isEnabled());

        whenModal<STAFAT>(invoice, [&offered](STAFAT* print) {
            whenModal<frmPreview>(print, [&offered](frmPreview* preview) {
                offered = preview->pdfPath();
                auto* pdf = preview->findChild<QPushButton*>("PDF");
                if (pdf->isVisible())
                    QTest::mouseClick(pdf, Qt::LeftButton);
                else
                    preview->reject();
            });
            QTest::mouseClick(print->BtStampa(), Qt::LeftButton);
        });
        QTest::mouseClick(invoice->Stampa(), Qt::LeftButton);
    });
    QCOMPARE(MessageBox::shownCount(), 0);

    const QString archive = m_data.filePath("Fatture/2026/Fattura_2026_1234.pdf");
    QCOMPARE(offered, archive);
    QCOMPARE(opened, QStringList{archive});
    CHECK_PDF(archive, {"FATTURA N. 1234 / 2026", "1 000,00"});
}

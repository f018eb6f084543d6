#include "YearGlanceWindowTest.h"

#include "Clock.h"
#include "InvoiceFixture.h"
#include "YearGlanceWindow.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

namespace {

QBarSet* barSet(QChart* chart, int index)
{
    auto* bars = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
    return bars ? bars->barSets().value(index) : nullptr;
}

} // namespace

void YearGlanceWindowTest::init()
{
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void YearGlanceWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void YearGlanceWindowTest::yearAgesAndAnEmptyYear()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addClient(db, "R1", "Rossi Mario"));
    QVERIFY(addClient(db, "B2", "Bianchi Srl"));
    QVERIFY(addInvoice(db, QDate(2025, 3, 10), 4, "R1", 50000));
    QVERIFY(addInvoice(db, QDate(2026, 3, 10), 1, "R1", 120000));
    QVERIFY(addInvoice(db, QDate(2026, 11, 30), 2, "B2", 30000));
    QString error;
    QVERIFY2(db.execute("UPDATE Fatture SET DataPag = '2025-04-01' WHERE Numero = 4", {}, &error),
             qPrintable(error));

    YearGlanceWindow window(m_data.context(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.Anno()->value(), 2026);
    QVERIFY(window.Avviso()->text().isEmpty());
    QCOMPARE(barSet(window.monthsChart(), 1)->at(2), 1200.0); // March of the year
    QCOMPARE(barSet(window.monthsChart(), 0)->at(2), 500.0);  // and of the year before
    auto* running = qobject_cast<QLineSeries*>(window.monthsChart()->series().value(2));
    QVERIFY(running);
    QCOMPARE(running->at(11).y(), 1500.0);
    QCOMPARE(barSet(window.clientsChart(), 0)->at(1), 1200.0); // the most fees on top
    QVERIFY(window.width() <= window.screen()->availableGeometry().width());

    // Unpaid: six days old and 271 days old; a click on an age lists them.
    QCOMPARE(window.Eta()->item(0, 1)->text(), QStringLiteral("1"));
    QCOMPARE(window.Eta()->item(3, 0)->text(), QStringLiteral("oltre 90 giorni"));
    QCOMPARE(window.Eta()->item(3, 1)->text(), QStringLiteral("1"));
    QTest::mouseClick(window.Eta()->viewport(), Qt::LeftButton, {},
                      window.Eta()->visualItemRect(window.Eta()->item(3, 0)).center());
    QCOMPARE(window.Insolute()->count(), 1);
    QVERIFY2(window.Insolute()->item(0)->text().startsWith("1/2026 del 10/03/2026   Rossi Mario"),
             qPrintable(window.Insolute()->item(0)->text()));
    QTest::keyClick(window.Eta(), Qt::Key_Up);
    QVERIFY(window.Insolute()->item(0)->text().startsWith("Nessuna fattura"));

    if (const QByteArray folder = qgetenv("FALMIDE_SCREENSHOTS"); !folder.isEmpty())
        window.grab().save(QString::fromLocal8Bit(folder) + "/andamento.png");

    // A year without invoices: the charts stay, empty, with the sentence.
    window.Anno()->setFocus();
    window.Anno()->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(window.Anno(), "2030");
    QCOMPARE(window.Avviso()->text(), QStringLiteral("Nessuna fattura nel 2030."));
    QCOMPARE(barSet(window.monthsChart(), 1)->at(0), 0.0);
    QCOMPARE(barSet(window.clientsChart(), 0)->count(), 0);
    QCOMPARE(window.Eta()->item(3, 1)->text(), QStringLiteral("1")); // still unpaid today
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

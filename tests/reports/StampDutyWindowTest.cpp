#include "StampDutyWindowTest.h"

#include "Clock.h"
#include "InvoiceFixture.h"
#include "StampDutyWindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QtTest>

void StampDutyWindowTest::init()
{
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void StampDutyWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void StampDutyWindowTest::yearTypedShowsItsQuarters()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addClient(db, "R1", "Rossi Mario"));
    QVERIFY(addInvoice(db, QDate(2025, 4, 2), 9, "R1", 10000));
    QString error;
    QVERIFY2(db.execute("UPDATE Fatture SET Bollo = 200", {}, &error), qPrintable(error));

    StampDutyWindow window(m_data.context(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The current year to start with: nothing charged in it.
    QCOMPARE(window.Anno()->value(), 2026);
    QVERIFY(window.Testo()->toPlainText().contains("2° trimestre: 0 fatture, 0,00 €"));

    window.Anno()->setFocus();
    window.Anno()->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(window.Anno(), "2025");
    QCOMPARE(window.Anno()->value(), 2025);
    const QString text = window.Testo()->toPlainText();
    QVERIFY2(text.contains("2° trimestre: 1 fattura, 2,00 €; codice tributo 2522, "
                           "scadenza 30/09/2025"),
             qPrintable(text));
    QVERIFY2(text.contains("R1 Rossi Mario"), qPrintable(text));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

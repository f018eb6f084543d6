#include "StampDutyWindowTest.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFieldTyping.h"
#include "FArcFAT.h"
#include "MessageBox.h"
#include "Recordset.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

void addClient(AppContext& context)
{
    QString error;
    auto clients = Recordset::OpenTable(context.DbArchivi, "Clienti", &error);
    clients->AddNew();
    clients->setValue(0, "R1");
    clients->setValue(1, "R1");
    clients->setValue(2, "Rossi Mario");
    QVERIFY(clients->Update());
}

QString stamp(QWidget* window)
{
    return line(window, FeeField::Stamp)->text().trimmed();
}

} // namespace

void StampDutyWindowTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    addClient(m_data.context());
}

void StampDutyWindowTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void StampDutyWindowTest::proposedAboveTheThresholdUntilTyped()
{
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, FeeField::Client, "r1");
    enter(&window, FeeField::Fee, "1000");
    enter(&window, FeeField::VatRate, "22");
    QCOMPARE(stamp(&window), QString());

    // Under VAT only the expenses are without it.
    enter(&window, FeeField::Expenses, "77.48");
    QCOMPARE(stamp(&window), QStringLiteral("2.00"));
    QCOMPARE(window.Totale()->text(), QStringLiteral("1 299.48"));
    enter(&window, FeeField::Expenses, "77.47");
    QCOMPARE(stamp(&window), QString());
    QCOMPARE(window.Totale()->text(), QStringLiteral("1 297.47"));

    // Without a VAT rate the fee is without VAT too.
    enter(&window, FeeField::VatRate, "");
    QCOMPARE(stamp(&window), QStringLiteral("2.00"));

    // Typed by hand, it stays whatever the amounts do.
    enter(&window, FeeField::Stamp, "16");
    QCOMPARE(stamp(&window), QStringLiteral("16.00"));
    enter(&window, FeeField::VatRate, "22");
    enter(&window, FeeField::Expenses, "10");
    QCOMPARE(stamp(&window), QStringLiteral("16.00"));
    QCOMPARE(MessageBox::shownCount(), 0);
}

void StampDutyWindowTest::storedInvoiceKeepsItsStampDuty()
{
    // The amount and the threshold come from the settings.
    QVERIFY(m_data.writeSettings("[FatturaPA]\nRegimeFiscale=RF19\nBollo=16\nSogliaBollo=100\n"));
    {
        FArcFAT window(m_data.context());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        enter(&window, FeeField::Client, "r1");
        enter(&window, FeeField::Fee, "100");
        QCOMPARE(stamp(&window), QString());
        enter(&window, FeeField::Fee, "100.01");
        QCOMPARE(stamp(&window), QStringLiteral("16.00"));
        // Stored without it, by the user's choice.
        enter(&window, FeeField::Stamp, "");
        QTest::mouseClick(window.BtMem(), Qt::LeftButton);
        QCOMPARE(MessageBox::shownCount(), 0);
    }
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, FeeField::Number, "1");
    QCOMPARE(line(&window, FeeField::Fee)->text(), QStringLiteral("100.01"));
    enter(&window, FeeField::Expenses, "10");
    QCOMPARE(stamp(&window), QString());
}

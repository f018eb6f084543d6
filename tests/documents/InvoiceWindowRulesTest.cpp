#include "InvoiceWindowRulesTest.h"

#include "Clock.h"
#include "DocumentAmounts.h"
#include "DocumentFieldTyping.h"
#include "FArcFAT.h"
#include "FeeDocument.h"
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

void InvoiceWindowRulesTest::init()
{
    MessageBox::resetForTest();
    Clock::setToday(QDate(2026, 12, 6));
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
    addClient(m_data.context());
}

void InvoiceWindowRulesTest::cleanup()
{
    m_data.tearDown();
    Clock::setToday({});
}

void InvoiceWindowRulesTest::proposedAboveTheThresholdUntilTyped()
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

void InvoiceWindowRulesTest::storedInvoiceKeepsItsStampDuty()
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

void InvoiceWindowRulesTest::storedInvoiceComputedUnderItsOwnProfile()
{
    // Saved when the settings computed as a geometra: the withholding is on the
    // fee alone. The settings have since moved to the general profile, which
    // would withhold on the contribution too (208.03).
    QString error;
    QVERIFY2(m_data.context().DbArchivi.execute(
                 "INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, AliqIVA, "
                 "AliqContributo, AliqRA, ImportoIVA, ImportoContributo, ImportoRA, Profilo, "
                 "RegimeFiscale) "
                 "VALUES ('2026         5', '2026-11-02', 5, 'R1', 'Rilievo', 100015, 22, 4, "
                 "20, 22884, 4001, 20003, 'GEOMETRA', 'RF01')",
                 {}, &error),
             qPrintable(error));
    FArcFAT window(m_data.context());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    enter(&window, FeeField::Number, "5");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("200.03"));
    enter(&window, FeeField::Fee, "1000.15");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("200.03"));
    enter(&window, FeeField::Subject, "Rilievo e frazionamento");
    QTest::mouseClick(window.BtMem(), Qt::LeftButton);
    QCOMPARE(MessageBox::shownCount(), 0);
    const auto stored = FeeDocuments(m_data.context().DbArchivi, FeeDocumentKind::Invoice)
                            .find(*DocumentKey::of(QDate(2026, 11, 2), 5), &error);
    QVERIFY2(stored, qPrintable(error));
    QVERIFY(stored->withholding == Money::fromCents(20003));
    QVERIFY(stored->profile == FeeProfile::Geometra);
    QCOMPARE(stored->subject, QStringLiteral("Rilievo e frazionamento"));

    // A new invoice follows the settings.
    enter(&window, FeeField::Number, "6");
    enter(&window, FeeField::Client, "r1");
    enter(&window, FeeField::Fee, "1000.15");
    enter(&window, FeeField::ContributionRate, "4");
    enter(&window, FeeField::WithholdingRate, "20");
    QCOMPARE(line(&window, FeeField::Withholding)->text().trimmed(), QStringLiteral("208.03"));
}

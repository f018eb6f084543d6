#include "AmountsAndNumbersTest.h"

#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "PlainFields.h"
#include "ProposedNumber.h"
#include "Recordset.h"

#include <QtTest>

namespace {

void addInvoice(Recordset& rs, const QDate& date, int number)
{
    rs.AddNew();
    rs.setValue(0, date.toString("yyyy") + QString::number(number).rightJustified(10));
    rs.setValue(1, date);
    rs.setValue(2, number);
    QVERIFY(rs.Update());
}

} // namespace

void AmountsAndNumbersTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void AmountsAndNumbersTest::cleanup()
{
    m_data.tearDown();
}

void AmountsAndNumbersTest::purchaseDisplays()
{
    PlainFields f(purchaseFields());
    f.setText(4, "100");
    f.setText(5, "22");
    f.setText(6, "0.5");
    PurchaseDisplays shown;
    QVERIFY(CalcolaImportiAcquisto(f, 6, &shown));
    QCOMPARE(shown.taxable, QStringLiteral("100.00"));
    QCOMPARE(shown.vat, QStringLiteral("22.00"));
    QCOMPARE(shown.deductible, QStringLiteral("50.00"));
    f.setText(6, "50"); // a multiplier, not a percent
    QVERIFY(CalcolaImportiAcquisto(f, 6, &shown));
    QCOMPARE(shown.deductible, QStringLiteral("5 000.00"));
    f.setText(4, "");
    QVERIFY(CalcolaImportiAcquisto(f, 4, &shown));
    QCOMPARE(shown.taxable + shown.vat + shown.deductible, QString());
    QVERIFY(!CalcolaImportiAcquisto(f, 8, &shown)); // the exempt amount changes nothing
}

void AmountsAndNumbersTest::proposedNumbersNeverNameAStoredDocument_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QDate>>("dates");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("expected");

    const QDate jan26(2026, 1, 10), jun26(2026, 6, 1), jan27(2027, 1, 5), jan25(2025, 1, 5);
    QTest::newRow("none yet") << "Fatture" << QList<QDate>{} << QList<int>{} << "1";
    // Invoices never restart: the last in key order goes on.
    QTest::newRow("invoice after last year's")
        << "Fatture" << QList<QDate>{QDate(2025, 12, 30), jan25} << QList<int>{57, 9} << "58";
    // The last in key order is 2027/1: its successor 2 is taken in 2026.
    QTest::newRow("invoice after a later year")
        << "Fatture" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    // 2026 has 1, 2 and 999: the next after the highest, whatever the gaps.
    QTest::newRow("highest of the year") << "Fatture" << QList<QDate>{jan26, jun26, jun26, jan27}
                                         << QList<int>{1, 2, 999, 1} << "1000";
    QTest::newRow("four and five digits") << "Fatture" << QList<QDate>{jun26, jun26, jan27}
                                          << QList<int>{1000, 12345, 999} << "12346";
    // The number the rule gives is free in 2026: it stays.
    QTest::newRow("free number kept")
        << "Fatture" << QList<QDate>{jan26, jan27} << QList<int>{1, 1} << "2";
    QTest::newRow("previous year's successor")
        << "Fatture" << QList<QDate>{jan25, jan26} << QList<int>{57, 3} << "4";
    // Purchases restart at 1 in a new year, unless 1 is taken this year.
    QTest::newRow("purchase after a later year")
        << "Movimenti" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    QTest::newRow("purchase restart free")
        << "Movimenti" << QList<QDate>{jan25, jan27} << QList<int>{40, 6} << "1";
    QTest::newRow("purchase after this year's")
        << "Movimenti" << QList<QDate>{jan25, jun26} << QList<int>{40, 12} << "13";
}

void AmountsAndNumbersTest::proposedNumbersNeverNameAStoredDocument()
{
    QFETCH(QString, table);
    QFETCH(QList<QDate>, dates);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, expected);
    QString error;
    auto rs = Recordset::OpenTable(m_data.context().DbArchivi, table, &error);
    for (int i = 0; i < dates.size(); ++i)
        addInvoice(*rs, dates.at(i), numbers.at(i));
    QCOMPARE(proposedNumber(
                 *rs, table == "Movimenti" ? NumberingRestart::EachYear : NumberingRestart::Never,
                 QDate(2026, 12, 6)),
             expected);
}

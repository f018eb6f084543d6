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

// Computed amounts are right-aligned in the 13 characters of the field's
// pattern, and shown whole when wider.
void AmountsAndNumbersTest::writtenAmounts()
{
    QCOMPARE(writtenAmount(Money::fromCents(22880)), QStringLiteral("       228.80"));
    QCOMPARE(writtenAmount(Money::fromCents(-1)), QStringLiteral("        -0.01"));
    QCOMPARE(writtenAmount(Money()), QStringLiteral("         0.00"));
    QCOMPARE(writtenAmount(Money::fromCents(1234567890100)), QStringLiteral("12345678901.00"));
}

void AmountsAndNumbersTest::feeComputation()
{
    auto compute = [](bool geometra, bool invoice, QStringList inputs) {
        PlainFields f(
            feeDocumentFields(invoice ? FeeDocumentKind::Invoice : FeeDocumentKind::ProForma));
        const int indexes[] = {5, 6, 7, 8, 14, 15};
        for (int i = 0; i < inputs.size(); ++i)
            f.setText(indexes[i], inputs[i]);
        const auto total =
            CalcolaImporti(f, 5, invoice ? FeeDocumentKind::Invoice : FeeDocumentKind::ProForma,
                           geometra ? FeeProfile::Geometra : FeeProfile::General);
        return QStringList{f.text(11).trimmed(), f.text(12).trimmed(), f.text(13).trimmed(),
                           total ? total->plainText() : QString()};
    };
    // fee, VAT rate, contribution rate, withholding rate, expenses, stamp
    QCOMPARE(compute(true, true, {"1000", "22", "4", "20"}),
             (QStringList{"228.80", "40.00", "200.00", "1068.80"}));
    QCOMPARE(compute(false, true, {"1000", "22", "4", "20"}),
             (QStringList{"228.80", "40.00", "208.00", "1060.80"}));
    QCOMPARE(compute(false, false, {"1 000.00", "22", "4", "20"}),
             (QStringList{"228.80", "40.00", "208.00", "1060.80"}));
    QCOMPARE(compute(false, true, {"1000", "22", "4", "20", "50", "2"}),
             (QStringList{"228.80", "40.00", "208.00", "1112.80"}));
    QCOMPARE(compute(false, true, {"333.33", "22", "4"}).mid(0, 2),
             (QStringList{"76.27", "13.33"}));
    QCOMPARE(compute(true, true, {"1.15", "", "", "50"}).at(2), QStringLiteral("0.58"));
    QCOMPARE(compute(false, true, {"1000", "22", "122"}).at(3), QString()); // nothing to total
    QCOMPARE(compute(false, true, {"0", "22", "4", "20"}), (QStringList{"", "", "", ""}));

    // The VAT is the rate times the taxable amount as printed: fee plus the
    // contribution rounded to the cent. Where that differs from the rate
    // times the unrounded base, the printed base decides:
    // 1000.15 + 40.01 = 1040.16, 22% of it 228.8352 (not 228.83432).
    QCOMPARE(compute(false, true, {"1000.15", "22", "4", "20"}),
             (QStringList{"228.84", "40.01", "208.03", "1060.97"}));
    QCOMPARE(compute(true, true, {"1000.15", "22", "4", "20"}),
             (QStringList{"228.84", "40.01", "200.03", "1068.97"}));
    // 5.44 + 0.22 = 5.66, 22% 1.2452 (not 1.24); 12.10 + 0.24 = 12.34,
    // 22% 2.7148 (not 2.72).
    QCOMPARE(compute(false, true, {"5.44", "22", "4"}).at(0), QStringLiteral("1.25"));
    QCOMPARE(compute(false, true, {"12.10", "22", "2"}).at(0), QStringLiteral("2.71"));
    QCOMPARE(compute(false, true, {"abc", "22"}), (QStringList{"", "", "", ""}));

    // Leaving a field other than the fee or a rate only totals.
    PlainFields f(feeDocumentFields(FeeDocumentKind::Invoice));
    f.setText(5, "1000");
    f.setText(6, "22");
    f.setText(12, "250");
    const auto total = CalcolaImporti(f, 12, FeeDocumentKind::Invoice, FeeProfile::General);
    QCOMPARE(f.text(11), QString());
    QCOMPARE(total->plainText(), QStringLiteral("1250.00"));
    // A VAT computed later takes the typed contribution, as the page prints
    // its base: 22% of 1250.
    QVERIFY(CalcolaImporti(f, 6, FeeDocumentKind::Invoice, FeeProfile::General));
    QCOMPARE(f.text(11).trimmed(), QStringLiteral("275.00"));
    f.setText(11, QString());

    // The clearing rule.
    f.setText(11, "1");
    f.setText(13, "3");
    clearDerivedAmounts(f, 7);
    QCOMPARE(f.text(12), QString());
    QCOMPARE(f.text(11), QStringLiteral("1"));
    clearDerivedAmounts(f, 5);
    QCOMPARE(f.text(11) + f.text(13), QString());
}

// A product of more digits than a double holds keeps its last half cent: 50%
// of 50 000 000 000 000.01 is ...000.005, which rounds up.
void AmountsAndNumbersTest::exactWhereFloatsWereNot()
{
    PlainFields f(feeDocumentFields(FeeDocumentKind::Invoice));
    f.setText(5, "50000000000000.01");
    f.setText(7, "50");
    QVERIFY(CalcolaImporti(f, 7, FeeDocumentKind::Invoice, FeeProfile::Geometra));
    QCOMPARE(f.text(12), QStringLiteral("25000000000000.01"));
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

void AmountsAndNumbersTest::proposedNumbers()
{
    QString error;
    auto invoices = Recordset::OpenTable(m_data.context().DbArchivi, "Fatture", &error);
    const QDate today(2026, 12, 6);
    QCOMPARE(proposedNumber(*invoices, NumberingRestart::Never, today), QStringLiteral("1"));
    addInvoice(*invoices, QDate(2025, 12, 30), 57);
    addInvoice(*invoices, QDate(2025, 1, 2), 9);
    QCOMPARE(proposedNumber(*invoices, NumberingRestart::Never, today),
             QStringLiteral("58")); // no restart

    auto purchases = Recordset::OpenTable(m_data.context().DbArchivi, "Movimenti", &error);
    addInvoice(*purchases, QDate(2025, 11, 3), 40);
    QCOMPARE(proposedNumber(*purchases, NumberingRestart::EachYear, today),
             QStringLiteral("1")); // a new year
    addInvoice(*purchases, QDate(2026, 2, 1), 12);
    QCOMPARE(proposedNumber(*purchases, NumberingRestart::EachYear, today), QStringLiteral("13"));
}

void AmountsAndNumbersTest::proposedNumbersNeverNameAStoredDocument_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QList<QDate>>("dates");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("expected");

    const QDate jan26(2026, 1, 10), jun26(2026, 6, 1), jan27(2027, 1, 5), jan25(2025, 1, 5);
    // The last in key order is 2027/1: its successor 2 is taken in 2026.
    QTest::newRow("invoice after a later year")
        << "Fatture" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
    QTest::newRow("pro-forma after a later year")
        << "Parcelle" << QList<QDate>{jan26, jun26, jan27} << QList<int>{1, 2, 1} << "3";
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

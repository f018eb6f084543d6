#include "StampDutyReportTest.h"

#include "Client.h"
#include "InvoiceFixture.h"
#include "PageDump.h"
#include "StampDutyReport.h"

#include <QtTest>

namespace {

bool addStampedInvoice(Database& db, const QDate& date, int number, const QString& client,
                       const QVariant& stampCents)
{
    QString error;
    return addInvoice(db, date, number, client, 10000) &&
           db.execute(QStringLiteral("UPDATE Fatture SET Bollo = ? WHERE Chiave = ?"),
                      {stampCents,
                       QString::number(date.year()) + QString::number(number).rightJustified(10)},
                      &error);
}

FeeDocument stamped(const QDate& date, qint64 cents)
{
    FeeDocument d;
    d.key = *DocumentKey::of(date, 1);
    d.date = date;
    d.stamp = Money::fromCents(cents);
    return d;
}

} // namespace

void StampDutyReportTest::init()
{
    QString error;
    QVERIFY2(m_data.setUp(&error), qPrintable(error));
}

void StampDutyReportTest::cleanup()
{
    m_data.tearDown();
}

void StampDutyReportTest::yearFromTheArchive()
{
    Database& db = m_data.context().DbArchivi;
    QVERIFY(addClient(db, "R1", "Rossi Mario") && addClient(db, "B2", "Bianchi Srl"));
    // The years around it, and an invoice without stamp duty, are left out.
    QVERIFY(addStampedInvoice(db, QDate(2025, 12, 31), 40, "R1", 200));
    QVERIFY(addStampedInvoice(db, QDate(2026, 1, 10), 1, "R1", 200));
    QVERIFY(addStampedInvoice(db, QDate(2026, 2, 3), 2, "B2", QVariant()));
    QVERIFY(addStampedInvoice(db, QDate(2026, 3, 31), 3, "B2", 200));
    QVERIFY(addStampedInvoice(db, QDate(2026, 7, 1), 4, "R1", 200));
    QVERIFY(addStampedInvoice(db, QDate(2026, 12, 31), 5, "B2", 1600));
    QVERIFY(addStampedInvoice(db, QDate(2027, 1, 2), 1, "R1", 200));
    QString error;
    const auto year = readStampDutyYear(db, 2026, &error);
    QVERIFY2(year, qPrintable(error));
    const Clients clients(db);
    const QStringList lines = stampDutyReportLines(*year, [&clients](const QString& code) {
        QString ignored;
        const auto client = clients.find(code, &ignored);
        return client ? client->name : QString();
    });
    compareWithGolden(lines, QStringLiteral(FALMIDE_STAMP_DUTY_GOLDEN));
}

void StampDutyReportTest::deadlines_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("second");
    QTest::addColumn<QList<QDate>>("payableBy");

    QTest::newRow("small: the first two with the third")
        << 2026 << 200LL << 200LL
        << QList<QDate>{{2026, 11, 30}, {2026, 11, 30}, {2026, 11, 30}, {2027, 2, 28}};
    QTest::newRow("the first alone small: with the second")
        << 2026 << 500000LL << 200LL
        << QList<QDate>{{2026, 9, 30}, {2026, 9, 30}, {2026, 11, 30}, {2027, 2, 28}};
    QTest::newRow("the first above: each its own; February of a leap year")
        << 2027 << 500002LL << 0LL
        << QList<QDate>{{2027, 5, 31}, {2027, 9, 30}, {2027, 11, 30}, {2028, 2, 29}};
}

void StampDutyReportTest::deadlines()
{
    QFETCH(int, year);
    QFETCH(qint64, first);
    QFETCH(qint64, second);
    QFETCH(QList<QDate>, payableBy);
    const StampDutyYear y = stampDutyYear(
        year, {stamped(QDate(year, 2, 1), first), stamped(QDate(year, 5, 1), second)});
    for (int q = 0; q < 4; ++q) {
        QCOMPARE(y.quarters.at(q).payableBy, payableBy.at(q));
        QCOMPARE(y.quarters.at(q).taxCode, QString::number(2521 + q));
    }
    QCOMPARE(y.quarters.at(0).deadline, QDate(year, 5, 31));
    QCOMPARE(y.quarters.at(0).amount, Money::fromCents(first));
}

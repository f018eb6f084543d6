#include "StampDutyTest.h"

#include "Settings.h"
#include "StampDuty.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

void StampDutyTest::dueAboveTheThreshold_data()
{
    QTest::addColumn<qint64>("fee");
    QTest::addColumn<qint64>("contribution");
    QTest::addColumn<qint64>("expenses");
    QTest::addColumn<qint64>("stamp");
    QTest::addColumn<bool>("vatCharged");
    QTest::addColumn<qint64>("withoutVat");
    QTest::addColumn<bool>("due");

    QTest::newRow("expenses at the threshold")
        << 100000LL << 0LL << 7747LL << 0LL << true << 7747LL << false;
    QTest::newRow("expenses a cent above")
        << 100000LL << 0LL << 7748LL << 0LL << true << 7748LL << true;
    QTest::newRow("the stamp itself never counts")
        << 100000LL << 0LL << 7700LL << 200LL << true << 7700LL << false;
    QTest::newRow("flat rate: fee and contribution at the threshold")
        << 7596LL << 151LL << 0LL << 0LL << false << 7747LL << false;
    QTest::newRow("flat rate: a cent above with the expenses")
        << 7596LL << 151LL << 1LL << 0LL << false << 7748LL << true;
    QTest::newRow("no amounts") << 0LL << 0LL << 0LL << 0LL << false << 0LL << false;
}

void StampDutyTest::dueAboveTheThreshold()
{
    QFETCH(qint64, fee);
    QFETCH(qint64, contribution);
    QFETCH(qint64, expenses);
    QFETCH(qint64, stamp);
    QFETCH(bool, vatCharged);
    QFETCH(qint64, withoutVat);
    QFETCH(bool, due);
    FeeAmounts a;
    a.fee = Money::fromCents(fee);
    a.contribution = Money::fromCents(contribution);
    a.vat = vatCharged ? Money::fromCents(fee / 5) : Money();
    a.expenses = Money::fromCents(expenses);
    a.stamp = Money::fromCents(stamp);
    QCOMPARE(StampDutyRule::amountsWithoutVat(a, vatCharged), Money::fromCents(withoutVat));
    const StampDutyRule rule;
    QCOMPARE(rule.isDue(a, vatCharged), due);
    // Another threshold moves the boundary with it.
    const StampDutyRule higher{Money::fromCents(200), Money::fromCents(withoutVat)};
    QVERIFY(!higher.isDue(a, vatCharged));
}

void StampDutyTest::amountsFromTheSettings()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("falmide.ini");
    auto rule = [&file](const QByteArray& content) {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            qWarning("cannot write %s", qPrintable(file));
        f.close();
        return stampDutyRule(Settings(file));
    };
    const StampDutyRule absent = rule("[FatturaPA]\nRegimeFiscale=RF19\n");
    QVERIFY(absent.amount == Money::fromCents(200) && absent.threshold == Money::fromCents(7747));
    const StampDutyRule given = rule("[fatturapa]\nbollo= 16,00 \nSogliaBollo=100\n");
    QVERIFY(given.amount == Money::fromCents(1600) && given.threshold == Money::fromCents(10000));
    // An amount that is none, or below 0, leaves the default.
    const StampDutyRule kept = rule("[FatturaPA]\nBollo=due\nSogliaBollo=-1\n");
    QVERIFY(kept.amount == Money::fromCents(200) && kept.threshold == Money::fromCents(7747));
}

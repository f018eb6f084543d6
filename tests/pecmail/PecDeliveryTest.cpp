#include "PecDeliveryTest.h"

#include "PecDelivery.h"

#include <QtTest>

void PecDeliveryTest::stopsTheRun_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<bool>("stops");
    QTest::newRow("server not reachable") << int(MailErrorKind::Unreachable) << true;
    QTest::newRow("login refused") << int(MailErrorKind::LoginRefused) << true;
    QTest::newRow("certificate not trusted") << int(MailErrorKind::UntrustedCertificate) << true;
    QTest::newRow("cancelled") << int(MailErrorKind::Cancelled) << true;
    QTest::newRow("message refused") << int(MailErrorKind::Refused) << false;
    QTest::newRow("file of its own") << int(MailErrorKind::Other) << false;
    QTest::newRow("none") << int(MailErrorKind::None) << false;
}

void PecDeliveryTest::stopsTheRun()
{
    QFETCH(int, failure);
    QFETCH(bool, stops);
    QCOMPARE(::stopsTheRun(MailErrorKind(failure)), stops);
}

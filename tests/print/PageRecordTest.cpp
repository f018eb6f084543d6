#include "PageRecordTest.h"

#include "PageRecord.h"

#include <QtTest>

void PageRecordTest::numbersInPrintForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("comma");
    QTest::addColumn<QString>("point");
    QTest::newRow("three and a half") << 3.5 << " 3,5 "
                                      << " 3.5 ";
    QTest::newRow("whole") << 12.0 << " 12 "
                           << " 12 ";
    QTest::newRow("zero") << 0.0 << " 0 "
                          << " 0 ";
    QTest::newRow("negative zero") << -0.0 << " 0 "
                                   << " 0 ";
    QTest::newRow("negative") << -2.25 << "-2,25 "
                              << "-2.25 ";
    QTest::newRow("below one") << 0.125 << " 0,125 "
                               << " 0.125 ";
    QTest::newRow("twips") << 199.912 << " 199,912 "
                           << " 199.912 ";
    QTest::newRow("large") << 16838.0 << " 16838 "
                           << " 16838 ";
    QTest::newRow("huge") << 1e300 << " 1e+300 "
                          << " 1e+300 ";
    QTest::newRow("not a number") << qQNaN() << " 0 "
                                  << " 0 ";
}

void PageRecordTest::numbersInPrintForm()
{
    QFETCH(double, value);
    QFETCH(QString, comma);
    QFETCH(QString, point);
    QCOMPARE(PageRecord::number(value, QLatin1Char(',')), comma);
    QCOMPARE(PageRecord::number(value, QLatin1Char('.')), point);
    // What is written reads back exactly.
    if (!qIsNaN(value)) {
        QCOMPARE(PageRecord::readNumber(comma).value_or(-1), value == 0 ? 0.0 : value);
        QCOMPARE(PageRecord::readNumber(point).value_or(-1), value == 0 ? 0.0 : value);
    }
}

void PageRecordTest::readingNumbers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("comma with blanks") << " 3,5 " << true << 3.5;
    QTest::newRow("point") << "3.5" << true << 3.5;
    QTest::newRow("leading point") << " .5 " << true << 0.5;
    QTest::newRow("blanks inside") << " 1 234,5 " << true << 1234.5;
    QTest::newRow("boolean true") << "-1" << true << -1.0;
    QTest::newRow("plus") << "+4" << true << 4.0;
    QTest::newRow("second comma") << "1,2,3" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "   " << false << 0.0;
    QTest::newRow("word") << "tre" << false << 0.0;
    QTest::newRow("trailing letters") << "3x" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("exponent") << "1,5e3" << true << 1500.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
    QTest::newRow("non-ascii digit") << QString::fromUtf8("٣") << false << 0.0;
}

void PageRecordTest::readingNumbers()
{
    QFETCH(QString, field);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const auto read = PageRecord::readNumber(field);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, value);
}

void PageRecordTest::textsKeepTheirTabs()
{
    const QString text = QStringLiteral("Totale\tdovuto\t\t");
    const QByteArray line =
        PageRecord::line(PageRecord::Text, {QStringLiteral(" 1 "), PageRecord::escapeText(text)});
    QCOMPARE(line, QByteArray("21\t 1 \tTotale\x1b"
                              "dovuto\x1b\x1b\r\n"));
    const QStringList fields = PageRecord::split(QString::fromUtf8(line.chopped(2)));
    QCOMPARE(fields.size(), 3);
    QCOMPARE(PageRecord::unescapeText(fields.at(2)), text);
    QCOMPARE(PageRecord::boolean(true), QStringLiteral("-1"));
    QCOMPARE(PageRecord::boolean(false), QStringLiteral("0"));
}

void PageRecordTest::linesSplitIntoElevenFieldsAtMost()
{
    QStringList parts;
    for (int i = 0; i < 14; ++i)
        parts << QString::number(i);
    const QStringList fields = PageRecord::split(parts.join(QChar(9)));
    QCOMPARE(fields.size(), 11);
    QCOMPARE(fields.at(9), QStringLiteral("9"));
    QCOMPARE(fields.at(10), QStringLiteral("10\t11\t12\t13"));
    QCOMPARE(PageRecord::split(QString()), QStringList{QString()});
}

void PageRecordTest::pageFileNames_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 0 << "~WRK0000.Tmp";
    QTest::newRow("twelve") << 12 << "~WRK0012.Tmp";
    QTest::newRow("last of four digits") << 9999 << "~WRK9999.Tmp";
    QTest::newRow("beyond four digits") << 10000 << "~WRK10000.Tmp";
    QTest::newRow("largest") << 32766 << "~WRK32766.Tmp";
}

void PageRecordTest::pageFileNames()
{
    QFETCH(int, page);
    QFETCH(QString, name);
    QCOMPARE(PageRecord::pageFileName(page), name);
    QVERIFY(QDir::match(QString::fromLatin1(PageRecord::kPageFilePattern), name));
}

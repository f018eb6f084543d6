#include "MoneyTest.h"

#include "Money.h"
#include "Rate.h"
#include "TypedAmount.h"

#include <QtTest>

namespace {
// What a reading gives, as cents, or "none".
QString read(const std::optional<Money>& amount)
{
    if (!amount)
        return QStringLiteral("none");
    const auto cents = amount->cents();
    return cents ? QString::number(*cents) : QStringLiteral("wide ") + amount->plainText();
}
} // namespace

void MoneyTest::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("whole");   // the whole text as an amount
    QTest::addColumn<QString>("leading"); // the amount the text starts with

    const auto row = [](const char* tag, const char* text, const char* whole, const char* leading) {
        QTest::newRow(tag) << QString::fromLatin1(text) << QString::fromLatin1(whole)
                           << QString::fromLatin1(leading);
    };
    row("display form", "1 234.56", "123456", "123456");
    row("below one", "0.29", "29", "29");
    row("comma as point", "1234,5", "123450", "123450");
    row("negative", "-0.5", "-50", "-50");
    row("plus sign", "+5", "500", "500");
    row("point first", ".5", "50", "50");
    row("half cent up", "1.005", "101", "101");
    row("under half a cent", "1.00499", "100", "100");
    row("negative half cent", "-1.005", "-101", "-101");
    row("not a number", "abc", "none", "none");
    row("point alone", ".", "none", "none");
    row("sign alone", "-", "none", "none");
    row("empty", "", "none", "none");
    row("leading number", "12abc", "none", "1200");
    row("second comma", "1,2,3", "none", "120");
    row("fifteen digits", "999999999999999.99", "99999999999999999", "99999999999999999");
    row("sixteen digits", "1000000000000000", "none", "none");
    row("zeros count as digits", "0000000000000001", "none", "none");
}

void MoneyTest::reading()
{
    QFETCH(QString, text);
    QFETCH(QString, whole);
    QFETCH(QString, leading);
    QCOMPARE(read(Money::fromText(text)), whole);
    QCOMPARE(read(Money::fromLeadingText(text)), leading);
}

void MoneyTest::typedAmounts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("read");    // cents, or "none"
    QTest::addColumn<QString>("refusal"); // a part of what the user is told

    const auto row = [](const char* typed, const char* read, const char* refusal = "") {
        QTest::newRow(typed) << QString::fromUtf8(typed) << QString::fromLatin1(read)
                             << QString::fromUtf8(refusal);
    };
    row("1.470,00", "147000");
    row("1.234.567,5", "123456750");
    row("1.234.567", "123456700");
    row("12.5", "1250");
    row("12,5", "1250");
    row("0,05", "5");
    row("1 234.56", "123456");
    row("1 470,00", "147000");
    row("-1.470,25", "-147025");
    row("+5", "500");
    row(",5", "50");
    row("12,", "1200");
    row("123456789012.34", "12345678901234");
    row("", "none");
    row("1.470", "none", "non è chiaro");
    row("0.470", "none", "non è chiaro");
    row("1.47,00", "none", "a gruppi di tre cifre");
    row("1.2345,00", "none", "a gruppi di tre cifre");
    row("1.234.56", "none", "a gruppi di tre cifre");
    row("1,234.5", "none", "a gruppi di tre cifre");
    row("1,2,3", "none", "non è un importo");
    row("12,345", "none", "più di due decimali");
    row("12.3456", "none", "più di due decimali");
    row("12-", "none", "non è un importo");
    row("-", "none", "non è un importo");
    row("1.000.000.000.000.000", "none", "troppe cifre");
}

void MoneyTest::typedAmounts()
{
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    const TypedAmount amount = readTypedAmount(typed);
    QTEST(read(amount.amount), "read");
    QVERIFY2(amount.refusal.contains(refusal), qPrintable(amount.refusal));
    QCOMPARE(amount.refusal.isEmpty(), refusal.isEmpty());
    if (!refusal.isEmpty())
        QVERIFY(amount.refusal.startsWith(QLatin1Char('"') + typed + QLatin1Char('"')));
}

void MoneyTest::forms_data()
{
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<QStringList>("texts"); // field, grouped, printed, Italian, English, plain

    const auto row = [](const char* tag, qint64 cents, const char* texts) {
        QTest::newRow(tag) << cents << QString::fromLatin1(texts).split(QLatin1Char('|'));
    };
    row("thousands", 123456, "1 234.56|1 234.56|1 234,56|1.234,56|1,234.56|1234.56");
    row("zero", 0, "|0.00||0,00|0.00|0.00");
    row("cents only", -5, "-0.05|-0.05|-0,05|-0,05|-0.05|-0.05");
    row("three digits", 99999, "999.99|999.99|999,99|999,99|999.99|999.99");
    row("negative millions", -123456700,
        "-1 234 567.00|-1 234 567.00|-1 234 567,00|-1.234.567,00|-1,234,567.00|-1234567.00");
    row("one thousand", 100000, "1 000.00|1 000.00|1 000,00|1.000,00|1,000.00|1000.00");
    row("widest stored", std::numeric_limits<qint64>::min(),
        "-92 233 720 368 547 758.08|-92 233 720 368 547 758.08|-92 233 720 368 547 758,08|"
        "-92.233.720.368.547.758,08|-92,233,720,368,547,758.08|-92233720368547758.08");
    row("beyond what a column holds", 1234567890123456700,
        "12 345 678 901 234 567.00|12 345 678 901 234 567.00|12 345 678 901 234 567,00|"
        "12.345.678.901.234.567,00|12,345,678,901,234,567.00|12345678901234567.00");
}

void MoneyTest::forms()
{
    QFETCH(qint64, cents);
    QFETCH(QStringList, texts);
    const Money amount = Money::fromCents(cents);
    QCOMPARE(amount.fieldText(), texts.at(0));
    QCOMPARE(amount.groupedText(), texts.at(1));
    QCOMPARE(amount.printText(), texts.at(2));
    QCOMPARE(amount.localeText(".", ","), texts.at(3));
    QCOMPARE(amount.localeText(",", "."), texts.at(4));
    QCOMPARE(amount.plainText(), texts.at(5));
    // Every form but the locale's reads back as the same amount.
    constexpr int anyLength = 36;
    QCOMPARE(Money::fromText(texts.at(5), anyLength), std::optional<Money>(amount));
    QCOMPARE(Money::fromText(texts.at(1), anyLength), std::optional<Money>(amount));
    QCOMPARE(Money::fromText(texts.at(2), anyLength).value_or(Money()), amount);
}

void MoneyTest::rounding_data()
{
    QTest::addColumn<qint64>("cents");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<QString>("expected"); // plain form, or "none"

    QTest::newRow("whole cents") << qint64(22880) << 1 << 1 << "228.80";
    QTest::newRow("half away from zero") << qint64(115) << 50 << 100 << "0.58";
    QTest::newRow("unrounded contribution") << qint64(33333) << 4 << 100 << "13.33";
    QTest::newRow("vat on fee and contribution") << qint64(33333) << 104 * 22 << 10000 << "76.27";
    QTest::newRow("negative half") << qint64(-1) << 1 << 2 << "-0.01";
    QTest::newRow("just under half") << qint64(-49) << 1 << 100 << "0.00";
    QTest::newRow("negative rate") << qint64(100) << -1 << 2 << "-0.50";
    QTest::newRow("carry") << qint64(9999) << 1 << 10 << "10.00";
    QTest::newRow("carry into thousands") << qint64(999999) << 1 << 10 << "1000.00";
    QTest::newRow("zero") << qint64(0) << 22 << 100 << "0.00";
    QTest::newRow("tiny") << qint64(1) << 1 << 100000 << "0.00";
    QTest::newRow("too wide is kept whole") << qint64(1234567890100) << 1 << 1 << "12345678901.00";
    QTest::newRow("beyond 64 bits")
        << qint64(9000000000000000000) << 32767 << 100 << "29490300000000000000.00";
    QTest::newRow("no denominator") << qint64(100) << 1 << 0 << "none";
}

void MoneyTest::rounding()
{
    QFETCH(qint64, cents);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(QString, expected);
    const auto result = Money::fromCents(cents).times(numerator, denominator);
    QCOMPARE(result ? result->plainText() : QStringLiteral("none"), expected);
}

void MoneyTest::rates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");

    QTest::newRow("whole") << "22" << 22 << 1;
    QTest::newRow("decimal") << "0.5" << 5 << 10;
    QTest::newRow("blanks skipped") << " 1 2\t3" << 123 << 1;
    QTest::newRow("negative fraction") << "-.25" << -25 << 100;
    QTest::newRow("stops at a letter") << "12abc" << 12 << 1;
    QTest::newRow("a comma is no point") << "1,5" << 1 << 1;
    QTest::newRow("second point") << "1.2.3" << 12 << 10;
    QTest::newRow("no number") << "abc" << 0 << 1;
    QTest::newRow("two signs") << "+-5" << 0 << 1;
}

void MoneyTest::rates()
{
    QFETCH(QString, text);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    const Rate rate = Rate::fromLeadingText(text);
    QCOMPARE(qint64(rate.numerator), qint64(numerator));
    QCOMPARE(qint64(rate.denominator), qint64(denominator));
}

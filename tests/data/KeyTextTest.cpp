#include "KeyTextTest.h"

#include "KeyText.h"

#include <QDate>
#include <QtTest>

void KeyTextTest::keyParts_data()
{
    QTest::addColumn<QString>("declaration");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* tag, const char* declaration, int maxLength, const char* text,
                        const char* expected) {
        QTest::newRow(tag) << QString::fromLatin1(declaration) << maxLength
                           << QString::fromLatin1(text) << QString::fromLatin1(expected);
    };
    row("text padded", "AOLB0002", 10, "ab1", "ab1       ");
    row("text cut to width", "AOL", 3, "abcdef", "abc");
    row("date", "TOLD+", 10, "05/03/2024", "20240305");
    row("year-only date", "TOLD-", 10, "05/03/2024", "2024");
    row("year-only in lower case", "told-", 10, "31/12/1999", "1999");
    row("number right-aligned", "LOL", 10, "12", "        12");
    row("negative number", "LOL", 6, "-3", "    -3");
    row("grouped number", "LOL", 10, "1 234", "      1234");
    row("decimal number", "SOLZZ", 5, "2.5", "  2.5");
    row("empty number is zero", "LOL", 4, "", "   0");
    row("number cut from the right", "LOL", 3, "123456", "456");
}

void KeyTextTest::keyParts()
{
    QFETCH(QString, declaration);
    QFETCH(int, maxLength);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto part = keyPart({declaration, maxLength, text});
    QVERIFY(part.has_value());
    QCOMPARE(*part, expected);
}

void KeyTextTest::wholeKeys()
{
    // A client code in lower case becomes the upper-case padded key.
    QCOMPARE(buildKey({{"AOLB0002", 10, "ab1"}}), QStringLiteral("AB1       "));
    // An invoice of 5 March 2024 numbered 12.
    const QString invoice = buildKey({{"TOLD-", 10, "05/03/2024"}, {"LOL", 10, "12"}});
    QCOMPARE(invoice, QStringLiteral("2024") + QString(8, ' ') + "12");
    QCOMPARE(invoice.size(), 14);

    // 9 sorts before 10 because numbers are right-aligned.
    const QString nine = buildKey({{"TOLD-", 10, "01/01/2024"}, {"LOL", 10, "9"}});
    const QString ten = buildKey({{"TOLD-", 10, "01/01/2024"}, {"LOL", 10, "10"}});
    QVERIFY(nine < ten);

    // Blank key fields give no key at all, and neither does a date that is
    // not one: such a record must never be stored or looked up.
    QVERIFY(buildKey({{"AOLB0002", 10, "   "}}).isEmpty());
    QVERIFY(buildKey({{"TOLD-", 10, ""}, {"LOL", 10, "12"}}).isEmpty());
    QVERIFY(buildKey({{"TOLD-", 10, "31/02/2024"}, {"LOL", 10, "12"}}).isEmpty());
}

void KeyTextTest::lookupNormalisation()
{
    // Lower case and trailing blanks are insignificant, leading ones are not.
    QCOMPARE(normalizeKey("ab1", 10), normalizeKey("AB1      ", 10));
    QCOMPARE(normalizeKey("ab1   ", 10), QStringLiteral("AB1       "));
    QVERIFY(normalizeKey(" ab1", 10) != normalizeKey("ab1", 10));
    QCOMPARE(normalizeKey("abcdefghijkl", 10), QStringLiteral("ABCDEFGHIJ"));
    // Letters are upper-cased one for one (see upperCaseOneForOne).
}

void KeyTextTest::upperCaseOneForOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << "ab1-z"
                           << "AB1-Z";
    QTest::newRow("accented") << QString::fromUtf8("perché") << QString::fromUtf8("PERCHÉ");
    QTest::newRow("sharp s has no single capital")
        << QString::fromUtf8("ßabc") << QString::fromUtf8("ßABC");
    QTest::newRow("ligature has no single capital")
        << QString::fromUtf8("ﬁne") << QString::fromUtf8("ﬁNE");
    // Letters whose capital lower-cases to another letter stay themselves,
    // so "ſ" never meets "s" nor "ı" meets "i".
    QTest::newRow("long s") << QString::fromUtf8("ſa") << QString::fromUtf8("ſA");
    QTest::newRow("dotless i") << QString::fromUtf8("ıi") << QString::fromUtf8("ıI");
    QTest::newRow("final sigma") << QString::fromUtf8("σς") << QString::fromUtf8("Σς");
    QTest::newRow("title-case digraph") << QString::fromUtf8("ǆǅ") << QString::fromUtf8("Ǆǅ");
    QTest::newRow("outside the basic plane")
        << QString::fromUtf8("\U00010428x") << QString::fromUtf8("\U00010400X");
}

void KeyTextTest::upperCaseOneForOne()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(keyUpper(text), expected);
    QCOMPARE(keyUpper(text).size(), text.size());
}

void KeyTextTest::numbersAndDates()
{
    QCOMPARE(leadingNumber("12abc"), 12.0);
    QCOMPARE(leadingNumber(" - 4 5"), -45.0);
    QCOMPARE(leadingNumber("1.5.3"), 1.5);
    QCOMPARE(leadingNumber("abc"), 0.0);
    QCOMPARE(plainNumberText(0), QStringLiteral(" 0"));
    QCOMPARE(plainNumberText(-0.0), QStringLiteral(" 0"));
    QCOMPARE(plainNumberText(2.5), QStringLiteral(" 2.5"));
    QCOMPARE(plainNumberText(-7), QStringLiteral("-7"));

    QCOMPARE(parseItalianDate("05/03/2024"), QDate(2024, 3, 5));
    QCOMPARE(parseItalianDate("29/02/2024"), QDate(2024, 2, 29));
    QVERIFY(!parseItalianDate("29/02/2023").isValid());
    QVERIFY(!parseItalianDate("2024-03-05").isValid());
    QVERIFY(!parseItalianDate("5//3/24").isValid());
}

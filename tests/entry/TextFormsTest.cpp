#include "TextFormsTest.h"

#include "KeyFilter.h"
#include "TextForms.h"
#include "Validation.h"
#include "WindowPlacement.h"

#include <QtTest>

void TextFormsTest::numberForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("grouped with decimals") << "1234567.891"
                                           << "1 234 567.891";
    QTest::newRow("negative") << "-123456"
                              << "-123 456";
    QTest::newRow("zero left alone") << "0"
                                     << "0";
    QTest::newRow("zero with decimals left alone") << "0.00"
                                                   << "0.00";
    QTest::newRow("comma as point") << "1234,5"
                                    << "1 234.5";
    QTest::newRow("three digits") << "999"
                                  << "999";
    QTest::newRow("four decimals kept") << "0.1234"
                                        << "0.1234";
    QTest::newRow("fifth decimal rounded") << "2.00005"
                                           << "2.0001";
    QTest::newRow("trailing zeros dropped") << "12.500"
                                            << "12.5";
    QTest::newRow("already grouped") << "1 234"
                                     << "1 234";
}

void TextFormsTest::numberForm()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    FormattaNumero(text);
    QCOMPARE(text, expected);
}

void TextFormsTest::euroForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two decimals") << "1234.5"
                                  << "1 234.50";
    QTest::newRow("below one") << "0.75"
                               << "0.75";
    QTest::newRow("point first") << ".5"
                                 << "0.50";
    QTest::newRow("zero is empty") << "0"
                                   << "";
    QTest::newRow("empty stays empty") << ""
                                       << "";
    QTest::newRow("comma as point") << "1234,56"
                                    << "1 234.56";
    QTest::newRow("half cent rounds up") << "1.005"
                                         << "1.01";
    QTest::newRow("negative half cent") << "-1.005"
                                        << "-1.01";
    QTest::newRow("large") << "123456789.1"
                           << "123 456 789.10";
    QTest::newRow("grouped input") << "1 234.5"
                                   << "1 234.50";
    QTest::newRow("reads the leading number") << "12abc"
                                              << "12.00";
}

void TextFormsTest::euroForm()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FormattaEuro(text), expected);
}

void TextFormsTest::plainAndLocaleForms()
{
    QCOMPARE(FormattaEuroStampa("1234.5"), QStringLiteral("1 234,50"));
    QCOMPARE(TogliFormato("1 234,50"), QStringLiteral("1234.50"));

    QString italian = "1 234.5";
    NormalizzaNumero(italian, ".", ",");
    QCOMPARE(italian, QStringLiteral("1234,5"));
    QString english = "1 234.5";
    NormalizzaNumero(english, ",", ".");
    QCOMPARE(english, QStringLiteral("1234.5"));
    QString spaced = " 1 2 ";
    TogliSpazi(spaced);
    QCOMPARE(spaced, QStringLiteral("12"));
}

void TextFormsTest::keyFiltering_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("point in a long") << "LOL"
                                     << "12"
                                     << "." << false;
    QTest::newRow("point in an integer") << "IOLZZ"
                                         << "1"
                                         << "." << false;
    QTest::newRow("point in a single") << "SOLZZ"
                                       << "12"
                                       << "." << true;
    QTest::newRow("second point") << "SOLZZ"
                                  << "1.2"
                                  << "." << false;
    QTest::newRow("second minus") << "LOL"
                                  << "-1"
                                  << "-" << false;
    QTest::newRow("minus anywhere") << "LOL"
                                    << "12"
                                    << "-" << true;
    QTest::newRow("letter in a number") << "LOL"
                                        << ""
                                        << "a" << false;
    QTest::newRow("space in a number") << "LOL"
                                       << "1"
                                       << " " << false;
    QTest::newRow("letter in a date") << "TOLD+"
                                      << ""
                                      << "x" << false;
    QTest::newRow("slash in a date") << "TOLD+"
                                     << "05"
                                     << "/" << true;
    QTest::newRow("anything in text") << "AOL"
                                      << ""
                                      << "%" << true;
    QTest::newRow("anything in a memo") << "MOL"
                                        << ""
                                        << "\t" << true;
    // An amount takes what the Italian notation needs, wherever it goes:
    // leaving the field reads it and says what it cannot read.
    QTest::newRow("third digit after a point") << "EOLZZ"
                                               << "1.47"
                                               << "0" << true;
    QTest::newRow("comma after a thousands point") << "EOLZZ"
                                                   << "1.470"
                                                   << "," << true;
    QTest::newRow("second point of the thousands") << "EOLZZ"
                                                   << "1.234"
                                                   << "." << true;
    QTest::newRow("blank between thousands") << "EOLZZ"
                                             << "1"
                                             << " " << true;
    QTest::newRow("letter in an amount") << "EOLZZ"
                                         << "12"
                                         << "a" << false;
    QTest::newRow("apostrophe in an amount") << "EOLZZ"
                                             << "1"
                                             << "'" << false;
    QTest::newRow("comma in a single") << "SOLZZ"
                                       << "0"
                                       << "," << true;
    QTest::newRow("comma in a long") << "LOL"
                                     << "12"
                                     << "," << false;
    QTest::newRow("comma in a date") << "TOLD+"
                                     << "05"
                                     << "," << false;
    QTest::newRow("comma in text") << "AOL"
                                   << "Via Roma"
                                   << "," << true;
}

void TextFormsTest::keyFiltering()
{
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(bool, accepted);
    QCOMPARE(acceptsKey(FieldDeclaration::parse(tag), text, key.at(0)), accepted);
}

void TextFormsTest::pastedText()
{
    const auto euro = FieldDeclaration::parse("EOLZZ");
    QVERIFY(acceptsText(euro, "1234.56"));
    QVERIFY(acceptsText(euro, "-12"));
    QVERIFY(!acceptsText(euro, "12a"));
    QVERIFY(!acceptsText(FieldDeclaration::parse("LOL"), "1.5"));
    QVERIFY(!acceptsText(FieldDeclaration::parse("TOLD-"), "5 marzo"));
    QVERIFY(acceptsText(FieldDeclaration::parse("AOL"), "Via Roma, 1"));
    // Pasted amounts arrive whole, the Italian way too; leaving judges them.
    QVERIFY(acceptsText(euro, "1234,5"));
    QVERIFY(acceptsText(euro, "1.234,56"));
    QVERIFY(acceptsText(euro, "12.345"));
    QVERIFY(acceptsText(euro, "1,234"));
}

void TextFormsTest::typedLengthLimit()
{
    // MaxLength counts digits, sign and point as typed, never grouping
    // blanks; an amount is never cut: its size is judged on leaving.
    const auto euro = FieldDeclaration::parse("EOLZZ");
    QVERIFY(acceptsKey(euro, "1234567.8", '9', 10));
    QVERIFY(acceptsKey(euro, "1234567.89", '1', 10));
    QVERIFY(acceptsText(euro, "123456789012.34", 14));
    QVERIFY(!acceptsKey(FieldDeclaration::parse("LOL"), "12345", '-', 5));
    QVERIFY(acceptsKey(FieldDeclaration::parse("IOLZZ"), "1234", '5', 5));
    QVERIFY(!acceptsText(FieldDeclaration::parse("LOL"), "123456", 5));
}

void TextFormsTest::dates_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected"); // empty: refused
    QTest::newRow("eight digits") << "05032024"
                                  << "05/03/2024";
    QTest::newRow("six digits") << "050324"
                                << "05/03/2024";
    QTest::newRow("already formed") << "05/03/2024"
                                    << "05/03/2024";
    QTest::newRow("two-digit year of last century") << "010199"
                                                    << "01/01/1999";
    QTest::newRow("short parts") << "5/3/24"
                                 << "";
    QTest::newRow("no 31 February") << "31/02/2024"
                                    << "";
    QTest::newRow("leap day") << "29022024"
                              << "29/02/2024";
    QTest::newRow("no leap day") << "29022023"
                                 << "";
    QTest::newRow("too short") << "0503"
                               << "";
    QTest::newRow("month 13") << "01132024"
                              << "";
}

void TextFormsTest::dates()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    const auto date = normalizeDate(typed);
    QCOMPARE(date.value_or(QString()), expected);
}

void TextFormsTest::codeAndDateValidation()
{
    QStringList asked;
    const DescriptionLookup lookup = [&asked](Table table, const QString& key, int field) {
        asked << QStringLiteral("%1|%2|%3").arg(int(table)).arg(key).arg(field);
        return key.trimmed() == QLatin1String("AB1") ? QStringLiteral("Rossi") : QString();
    };
    const auto code = FieldDeclaration::parse("AOLA0002");
    ValidationResult r = Valida(code, 10, "AB1", lookup);
    QVERIFY(r.valid);
    QCOMPARE(r.description, std::optional<QString>("Rossi"));
    QCOMPARE(asked.last(), QStringLiteral("0|AB1|2"));

    r = Valida(code, 10, "ZZ9", lookup);
    QVERIFY(!r.valid);
    QCOMPARE(r.description, std::optional<QString>(QString()));
    QCOMPARE(r.text, QStringLiteral("ZZ9")); // kept for correction

    asked.clear();
    QVERIFY(Valida(code, 10, "   ", lookup).valid); // blank is always valid
    QVERIFY(asked.isEmpty());

    // A numeric code is looked up right-aligned in its width.
    Valida(FieldDeclaration::parse("LOLA0002"), 6, "12", lookup);
    QCOMPARE(asked.last(), QStringLiteral("0|    12|2"));

    r = Valida(FieldDeclaration::parse("TOLD+"), 10, "050324", lookup);
    QVERIFY(r.valid);
    QCOMPARE(r.text, QStringLiteral("05/03/2024"));
    QVERIFY(!Valida(FieldDeclaration::parse("TOLD+"), 10, "31/02/2024", lookup).valid);
    QVERIFY(Valida(FieldDeclaration::parse("AOLB0002"), 10, "new", lookup).valid);
}

void TextFormsTest::valuesBeyondTheirColumn_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("largest amount") << "EOLZZ"
                                    << "90 000 000 000 000.00" << true;
    QTest::newRow("a cent more") << "EOLZZ"
                                 << "90000000000000.01" << false;
    QTest::newRow("smallest amount") << "EOL"
                                     << "-90000000000000" << true;
    QTest::newRow("below it") << "EOL"
                              << "-90000000000001" << false;
    // No amount at all: told on leaving rather than refused by the save.
    QTest::newRow("sign only") << "EOL"
                               << "-" << false;
    QTest::newRow("largest short") << "IOLZZ"
                                   << "32767" << true;
    QTest::newRow("short overflow") << "IOLZZ"
                                    << "32768" << false;
    QTest::newRow("smallest short") << "IOLZZ"
                                    << "-32768" << true;
    QTest::newRow("largest long") << "LOL"
                                  << "2 147 483 647" << true;
    QTest::newRow("long overflow") << "LOL"
                                   << "2147483648" << false;
    QTest::newRow("decimals have no limit here") << "SOLZZ"
                                                 << "99999" << true;
}

void TextFormsTest::valuesBeyondTheirColumn()
{
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const ValidationResult r = Valida(FieldDeclaration::parse(tag), 14, text, {});
    QCOMPARE(r.valid, valid);
    // Refused for a reason the user is told, the text kept for correction.
    QCOMPARE(r.message.isEmpty(), valid);
    QCOMPARE(r.text, text);
}

void TextFormsTest::windowPlacement()
{
    // Centred inside the main window's area.
    TwipsPoint p = centredPosition(12000, 9000, 4000, 3000);
    QCOMPARE(p.left, 4000.0);
    QCOMPARE(p.top, 3000.0);
    // Larger than the area: pinned at 0, not pushed off screen.
    p = centredPosition(3000, 2000, 4000, 3000);
    QCOMPARE(p.left, 0.0);
    QCOMPARE(p.top, 0.0);

    // The code list opens right of the field, and ends at the main window's
    // right edge when the field is near it.
    p = codeListPosition(5000, 2000, 300, 12000, 9000, 4704, 3870);
    QCOMPARE(p.left, 5100.0);
    QCOMPARE(p.top, 1700.0);
    p = codeListPosition(11000, 8000, 300, 12000, 9000, 4704, 3870);
    QCOMPARE(p.left, 12000.0 - 4704);
    QCOMPARE(p.top, 9000.0 - 3870);
}

#include "EntryCoreTests.h"

#include "KeyFilter.h"
#include "TextForms.h"
#include "Validation.h"
#include "WindowPlacement.h"

#include <QtTest>

void TextFormsTest::numberForm()
{
    // Grouped, a comma taken as the point, four decimals at most.
    const std::pair<const char*, const char*> forms[] = {{"1234567.891", "1 234 567.891"},
                                                         {"-123456", "-123 456"},
                                                         {"0", "0"},
                                                         {"1234,5", "1 234.5"},
                                                         {"0.1234", "0.1234"},
                                                         {"2.00005", "2.0001"},
                                                         {"12.500", "12.5"},
                                                         {"1 234", "1 234"}};
    for (const auto& [typed, form] : forms) {
        QString text = QString::fromLatin1(typed);
        FormattaNumero(text);
        QCOMPARE(text, QString::fromLatin1(form));
    }
}

// The amounts' own readings and forms are Money's; these are the field's.
void TextFormsTest::plainAndLocaleForms()
{
    QCOMPARE(FormattaEuro("1234,5"), QStringLiteral("1 234.50"));
    QCOMPARE(FormattaEuro("0"), QString());
    QCOMPARE(FormattaEuro("12abc"), QStringLiteral("12.00"));
    QCOMPARE(FormattaEuroStampa("1234.5"), QStringLiteral("1 234,50"));
    QCOMPARE(TogliFormato("1 234,50"), QStringLiteral("1234.50"));

    const auto normalized = [](QString text, const QString& thousands, const QString& point) {
        NormalizzaNumero(text, thousands, point);
        return text;
    };
    QCOMPARE(normalized("1 234.5", ".", ","), QStringLiteral("1234,5"));
    QCOMPARE(normalized("1 234.5", ",", "."), QStringLiteral("1234.5"));
}

void TextFormsTest::keyFiltering_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("accepted");
    const auto row = [](const char* name, const char* tag, const char* text, const char* key,
                        bool accepted) {
        QTest::newRow(name) << QString::fromLatin1(tag) << QString::fromLatin1(text)
                            << QString::fromLatin1(key) << accepted;
    };
    row("point in a long", "LOL", "12", ".", false);
    row("point in an integer", "IOLZZ", "1", ".", false);
    row("point in a single", "SOLZZ", "12", ".", true);
    row("second point", "SOLZZ", "1.2", ".", false);
    row("second minus", "LOL", "-1", "-", false);
    row("minus anywhere", "LOL", "12", "-", true);
    row("letter in a number", "LOL", "", "a", false);
    row("letter in a date", "TOLD+", "", "x", false);
    row("slash in a date", "TOLD+", "05", "/", true);
    row("anything in text", "AOL", "", "%", true);
    row("anything in a memo", "MOL", "", "\t", true);
    // An amount takes what the Italian notation needs, wherever it goes:
    // leaving the field reads it and says what it cannot read.
    row("third digit after a point", "EOLZZ", "1.47", "0", true);
    row("comma after a thousands point", "EOLZZ", "1.470", ",", true);
    row("second point of the thousands", "EOLZZ", "1.234", ".", true);
    row("blank between thousands", "EOLZZ", "1", " ", true);
    row("letter in an amount", "EOLZZ", "12", "a", false);
    row("comma in a single", "SOLZZ", "0", ",", true);
    row("comma in a long", "LOL", "12", ",", false);
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
    QVERIFY(acceptsText(euro, "1.234,56"));
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

void TextFormsTest::dates()
{
    // As typed, and the date it stands for (a two-digit year below 30 is this
    // century's); empty where it is refused.
    const std::pair<const char*, const char*> dates[] = {{"05032024", "05/03/2024"},
                                                         {"050324", "05/03/2024"},
                                                         {"05/03/2024", "05/03/2024"},
                                                         {"010199", "01/01/1999"},
                                                         {"5/3/24", ""},
                                                         {"31/02/2024", ""},
                                                         {"29022024", "29/02/2024"},
                                                         {"0503", ""}};
    for (const auto& [typed, date] : dates)
        QCOMPARE(normalizeDate(typed).value_or(QString()), QString::fromLatin1(date));
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
    const auto row = [](const char* name, const char* tag, const char* text, bool valid) {
        QTest::newRow(name) << QString::fromLatin1(tag) << QString::fromLatin1(text) << valid;
    };
    row("largest amount", "EOLZZ", "90 000 000 000 000.00", true);
    row("a cent more", "EOLZZ", "90000000000000.01", false);
    row("smallest amount", "EOL", "-90000000000000", true);
    row("below it", "EOL", "-90000000000001", false);
    // No amount at all: told on leaving rather than refused by the save.
    row("sign only", "EOL", "-", false);
    row("largest short", "IOLZZ", "32767", true);
    row("short overflow", "IOLZZ", "32768", false);
    row("smallest short", "IOLZZ", "-32768", true);
    row("largest long", "LOL", "2 147 483 647", true);
    row("long overflow", "LOL", "2147483648", false);
    row("decimals have no limit here", "SOLZZ", "99999", true);
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

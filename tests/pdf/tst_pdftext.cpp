#include "Ascii85.h"
#include "PdfText.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

class TestPdfText : public QObject
{
    Q_OBJECT

private slots:
    void formatNumber_data();
    void formatNumber();
    void formatNumberIgnoresLocale();
    void escapeText();
    void toWinAnsi_data();
    void toWinAnsi();
    void ascii85_data();
    void ascii85();
};

void TestPdfText::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("integer") << 842.0 << "842";
    QTest::newRow("A4 width as float") << double{595.2f} << "595.2";
    QTest::newRow("below one") << 0.5 << "0.5";
    QTest::newRow("negative") << -12.3456 << "-12.346";
    QTest::newRow("tie goes to even, down") << 0.0625 << "0.062";
    QTest::newRow("tie goes to even, up") << 0.1875 << "0.188";
    QTest::newRow("gray level 128") << 128 / 255.0 << "0.502";
    QTest::newRow("negative rounding to zero") << -0.0004 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("tiny") << 3.3e-7 << "0";
    QTest::newRow("large, no exponent") << 12345678.25 << "12345678.25";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "0";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "0";
}

void TestPdfText::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(pdf::FormatNumber(value)), expected);
}

void TestPdfText::formatNumberIgnoresLocale()
{
    // Qt programs run with the user's locale; an Italian one uses a decimal comma.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "it_IT.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const std::string text = pdf::FormatNumber(1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    QCOMPARE(text, std::string("1.5"));
}

void TestPdfText::escapeText()
{
    QCOMPARE(pdf::EscapeText("a\\b(c)"), std::string("a\\\\b\\(c\\)"));
    QCOMPARE(pdf::EscapeText(")"), std::string("\\)"));
    QCOMPARE(pdf::EscapeText("plain"), std::string("plain"));
}

void TestPdfText::toWinAnsi_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("ascii") << QByteArray("Totale 1.234,56") << QByteArray("Totale 1.234,56");
    QTest::newRow("latin letters") << QByteArray("perché è") << QByteArray("perch\xe9 \xe8");
    QTest::newRow("euro and quotes") << QByteArray("€ “x” – …") << QByteArray("\x80 \x93x\x94 \x96 \x85");
    QTest::newRow("outside the code page") << QByteArray("✓ Ω") << QByteArray("? ?");
    QTest::newRow("four-byte character") << QByteArray("a😀b") << QByteArray("a?b");
    QTest::newRow("stray byte") << QByteArray("a\xff" "b") << QByteArray("a?b");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QByteArray("??");
    QTest::newRow("cut sequence") << QByteArray("\xe2\x82") << QByteArray("??");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray("???");
    QTest::newRow("C1 control") << QByteArray("\xc2\x81") << QByteArray("?");
    QTest::newRow("zero byte kept") << QByteArray("a\0b", 3) << QByteArray("a\0b", 3);
}

void TestPdfText::toWinAnsi()
{
    QFETCH(QByteArray, utf8);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(pdf::toWinAnsi(utf8.toStdString())), expected);
}

void TestPdfText::ascii85_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty") << QByteArray() << QByteArray("~>");
    QTest::newRow("four zero bytes") << QByteArray(4, '\0') << QByteArray("z~>");
    QTest::newRow("zero group inside") << QByteArray("\x01\0\0\0\0\0\0\0\xff", 9)
                                       << QByteArray("!<<*\"zrr~>");
    QTest::newRow("three-byte tail") << QByteArray("\x01\x02\x03") << QByteArray("!<N?~>");
    QTest::newRow("short zero tail is not z") << QByteArray(3, '\0') << QByteArray("!!!!~>");
    QTest::newRow("text") << QByteArray("Man ") << QByteArray("9jqo^~>");
    QTest::newRow("largest group") << QByteArray(4, '\xff') << QByteArray("s8W-!~>");
}

void TestPdfText::ascii85()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    const std::vector<uint8_t> bytes(data.begin(), data.end());
    QCOMPARE(QByteArray::fromStdString(pdf::ToASCII85(bytes)), expected);
}

QTEST_APPLESS_MAIN(TestPdfText)
#include "tst_pdftext.moc"

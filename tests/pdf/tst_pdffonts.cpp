#include "PdfTestSupport.h"
#include "PdfWriter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The UTF-8 text of one Windows-1252 code outside 128..159.
std::string characterOf(int code)
{
    return QString(QChar(code)).toUtf8().toStdString();
}

QList<int> repeated(int value, int count)
{
    return QList<int>(count, value);
}

} // namespace

class TestPdfFonts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fontObjects();
    void everyWidthTableIsComplete();
    void widths_data();
    void widths();
    void length_data();
    void length();

private:
    QTemporaryDir m_folder;
};

void TestPdfFonts::init()
{
    QVERIFY(m_folder.isValid());
}

void TestPdfFonts::fontObjects()
{
    const QString file = m_folder.filePath("fonts.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    std::string times = "Times New Roman";
    writer.LoadFont("TNRB", times, 1);
    QCOMPARE(times, std::string("TIMESNEWROMAN"));
    std::string verdana = "Verdana";
    writer.LoadFont("Sans", verdana, 2);
    QCOMPARE(verdana, std::string("VERDANA"));
    std::string symbol = "symbol";
    writer.LoadFont("Sym", symbol, 0);
    std::string courier = "Courier New";
    writer.LoadFontStandard("Fnt4", courier, 3);
    QCOMPARE(courier, std::string("CourierNew"));
    // A second font under a taken name is written, but the first one keeps the
    // name for measuring and drawing alike.
    std::string courier2 = "Courier New";
    writer.LoadFont("TNRB", courier2, 0);

    writer.BeginPage();
    float x = 50;
    writer.DrawText(x, 700, "Grassetto", "TNRB", 12, 0, 0);
    writer.DrawText(x, 650, "Corsivo", "Sans", 12, 0, 0);
    writer.DrawText(x, 600, "abc", "Sym", 12, 0, 0);
    writer.DrawText(x, 550, "Standard", "Fnt4", 12, 0, 0);
    QCOMPARE(writer.Length("i", "TNRB", 1000), 278.f);
    writer.EndPage();
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const QMap<int, QByteArray> objects = pdftest::objectsOf(pdf);
    const QByteArray times5 = objects.value(5);
    const QByteArray head = "5 0 obj\r\n<< /Type /Font \r/Subtype /TrueType\r/Name /TNRB\r"
                            "/BaseFont /TimesNewRoman,Bold\r/FirstChar 32\r/LastChar 255\r"
                            "/FontDescriptor 6 0 R\r/Encoding /WinAnsiEncoding\r/Widths [\r\n";
    QVERIFY(times5.startsWith(head));
    QVERIFY(times5.endsWith("] >>\r\nendobj\r\n"));
    // Sixteen widths to a record, each followed by a blank.
    const QList<QByteArray> records = times5.mid(head.size()).split('\n');
    static const QRegularExpression sixteen(R"(^(\d+ ){16}\r$)");
    for (int i = 0; i < 14; ++i)
        QVERIFY2(sixteen.match(QString::fromLatin1(records[i])).hasMatch(), records[i].constData());
    QCOMPARE(records[14], QByteArray("] >>\r"));
    QCOMPARE(objects.value(6),
             QByteArray("6 0 obj\r\n<<\r/Type /FontDescriptor\r/FontName /TimesNewRoman,Bold\r"
                        "/Flags 16418 /FontBBox [-250 -216 1201 1000] /MissingWidth 333 /StemV 136 "
                        "/StemH 136 /ItalicAngle 0 /CapHeight 891 /XHeight 446 /Ascent 891 "
                        "/Descent -216 /Leading 149 /MaxWidth 1001 /AvgWidth 401\r>>\r\nendobj\r\n"));
    QVERIFY(objects.value(7).contains("/BaseFont /Arial,Italic\r"));
    QVERIFY(objects.value(8).contains("/Flags 96 "));
    const QByteArray symbolFont = objects.value(9);
    QVERIFY(symbolFont.contains("/BaseFont /Symbol\r/FirstChar 30\r/LastChar 255\r"));
    QVERIFY(symbolFont.contains("\r\n494 600 \r\n] >>"));
    QCOMPARE(symbolFont.count("\r\n"), 1 + 1 + 15 + 2);
    QCOMPARE(objects.value(11),
             QByteArray("11 0 obj\r\n<< /Type /Font /Subtype /Type1 /Name /Fnt4 /BaseFont "
                        "/CourierNew,BoldItalic /Encoding /WinAnsiEncoding >>\r\nendobj\r\n"));
    QVERIFY(objects.value(4).startsWith("4 0 obj\r\n<<\r/Font <<\r/TNRB 5 0 R \r/Sans 7 0 R \r"
                                        "/Sym 9 0 R \r/Fnt4 11 0 R \r>>\r"
                                        "/ProcSet [/PDF /Text ]\r>>"));
    VERIFY_PDF(file, {"Grassetto", "Corsivo", "Standard"},
               {"TimesNewRoman,Bold", "Arial,Italic", "Symbol", "CourierNew,BoldItalic"});
}

void TestPdfFonts::everyWidthTableIsComplete()
{
    const QString file = m_folder.filePath("tables.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    const QStringList families = {"Courier New", "Times New Roman", "Symbol", "Arial"};
    for (const QString& family : families) {
        for (int style = 0; style <= 3; ++style) {
            std::string face = family.toStdString();
            writer.LoadFont(QString("F%1").arg(style).toStdString() + face, face, style);
        }
    }
    writer.ClosePDFFile();

    const QMap<int, QByteArray> objects = pdftest::objectsOf(pdftest::readFile(file));
    int fonts = 0;
    for (const QByteArray& object : objects) {
        const qsizetype open = object.indexOf("/Widths [");
        if (open < 0)
            continue;
        ++fonts;
        const QList<QByteArray> widths = object.mid(open + 9, object.indexOf(']', open) - open - 9)
                                             .simplified().split(' ');
        const bool symbol = object.contains("/BaseFont /Symbol");
        QCOMPARE(widths.size(), symbol ? 226 : 224);
        for (const QByteArray& width : widths)
            QVERIFY(width.toInt() > 0);
        if (object.contains("/BaseFont /CourierNew"))
            QCOMPARE(widths.count("600"), 224);
    }
    QCOMPARE(fonts, 16);
    QVERIFY(pdftest::structureErrors(pdftest::readFile(file)).isEmpty());
}

void TestPdfFonts::widths_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("firstCode");
    QTest::addColumn<QList<int>>("widths");
    const QList<int> timesAZ = {722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889,
                                722, 722, 556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611};
    const QList<int> timesBoldAZ = {722, 667, 722, 722, 667, 611, 778, 778, 389, 500, 778, 667, 944,
                                    722, 778, 611, 778, 722, 556, 667, 722, 722, 1000, 722, 722, 667};
    const QList<int> arialAZ = {667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,
                                722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611};
    const QList<int> arialBoldAZ = {722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833,
                                    722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611};
    for (int style = 0; style <= 3; ++style)
        QTest::addRow("Courier New %d", style) << "Courier New" << style << 32 << repeated(600, 224);
    QTest::newRow("Times 32-47") << "Times New Roman" << 0 << 32
                                 << QList<int>{250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500,
                                               564, 250, 333, 250, 278};
    QTest::newRow("Times digits") << "Times New Roman" << 0 << 48 << repeated(500, 10);
    QTest::newRow("Times A-Z") << "Times New Roman" << 0 << 65 << timesAZ;
    QTest::newRow("Times 247") << "Times New Roman" << 0 << 247 << QList<int>{549};
    QTest::newRow("Times bold 32") << "Times New Roman" << 1 << 32 << QList<int>{250};
    QTest::newRow("Times bold 34") << "Times New Roman" << 1 << 34 << QList<int>{555};
    QTest::newRow("Times bold 37-39") << "Times New Roman" << 1 << 37 << QList<int>{1000, 833, 278};
    QTest::newRow("Times bold 43") << "Times New Roman" << 1 << 43 << QList<int>{570};
    QTest::newRow("Times bold A-Z") << "Times New Roman" << 1 << 65 << timesBoldAZ;
    QTest::newRow("Arial 32-47") << "Arial" << 0 << 32
                                 << QList<int>{278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389,
                                               584, 278, 333, 278, 278};
    QTest::newRow("Arial digits") << "Arial" << 0 << 48 << repeated(556, 10);
    QTest::newRow("Arial A-Z") << "Arial" << 0 << 65 << arialAZ;
    QTest::newRow("Arial middle dot") << "Arial" << 0 << 183 << QList<int>{278};
    QTest::newRow("Arial bold middle dot") << "Arial" << 1 << 183 << QList<int>{278};
    QTest::newRow("Arial bold 33-34") << "Arial" << 1 << 33 << QList<int>{333, 474};
    QTest::newRow("Arial bold 38-39") << "Arial" << 1 << 38 << QList<int>{722, 238};
    QTest::newRow("Arial bold A-Z") << "Arial" << 1 << 65 << arialBoldAZ;
    for (int style = 0; style <= 3; ++style) {
        QTest::addRow("Symbol %d, 30-49", style)
            << "Symbol" << style << 30
            << QList<int>{600, 600, 250, 333, 713, 500, 549, 833, 778, 439, 333, 333, 500, 549, 250,
                          549, 250, 278, 500, 500};
        QTest::addRow("Symbol %d, 246-255", style)
            << "Symbol" << style << 246 << QList<int>{384, 384, 384, 384, 384, 384, 494, 494, 494, 600};
    }
    QTest::newRow("below Symbol's first code") << "Symbol" << 0 << 29 << QList<int>{332};
    QTest::newRow("below Arial's first code") << "Arial" << 2 << 31 << QList<int>{259};
}

void TestPdfFonts::widths()
{
    QFETCH(QString, family);
    QFETCH(int, style);
    QFETCH(int, firstCode);
    QFETCH(QList<int>, widths);

    PdfWriter writer;
    pdftest::openInPoints(writer, m_folder.filePath("widths.pdf"));
    std::string face = family.toStdString();
    writer.LoadFont("F", face, style);
    for (int i = 0; i < widths.size(); ++i) {
        const int code = firstCode + i;
        QCOMPARE(qRound(writer.Length(characterOf(code), "F", 1000)), widths[i]);
    }
}

void TestPdfFonts::length_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<float>("wordSpacing");
    QTest::addColumn<float>("charSpacing");
    QTest::addColumn<float>("scaling");
    QTest::addColumn<float>("expected");
    QTest::newRow("Ab") << "Ab" << "TNR" << 0 << 0.f << 0.f << 100.f << 12.22f;
    QTest::newRow("Ab in centimetres") << "Ab" << "TNR" << 3 << 0.f << 0.f << 100.f << 12.22f / 72 * 2.54f;
    QTest::newRow("Ab in inches") << "Ab" << "TNR" << 1 << 0.f << 0.f << 100.f << 12.22f / 72;
    QTest::newRow("unlisted unit") << "Ab" << "TNR" << 7 << 0.f << 0.f << 100.f << 0.f;
    QTest::newRow("blank and word spacing") << "A b" << "TNR" << 0 << 2.f << 0.f << 100.f << 16.72f;
    QTest::newRow("char spacing") << "Ab" << "TNR" << 0 << 0.f << 1.f << 100.f << 14.22f;
    QTest::newRow("horizontal scaling") << "Ab" << "TNR" << 0 << 0.f << 0.f << 50.f << 6.11f;
    QTest::newRow("tab takes the missing width") << "\t" << "TNR" << 0 << 0.f << 0.f << 100.f << 3.33f;
    QTest::newRow("zero byte takes the missing width")
        << QString(QChar(0)) << "TNR" << 0 << 0.f << 0.f << 100.f << 3.33f;
    QTest::newRow("accented letter is one byte") << "è" << "TNR" << 0 << 0.f << 0.f << 100.f << 4.44f;
    QTest::newRow("euro sign") << "€" << "TNR" << 0 << 0.f << 0.f << 100.f << 5.f;
    QTest::newRow("character outside the code page") << "✓" << "TNR" << 0 << 0.f << 0.f << 100.f
                                                     << 4.44f;
    QTest::newRow("standard font has no metrics") << "Ab" << "Std" << 0 << 0.f << 0.f << 100.f << 0.f;
    QTest::newRow("unknown name") << "Ab" << "Nope" << 0 << 0.f << 0.f << 100.f << 0.f;
    QTest::newRow("empty text") << "" << "TNR" << 0 << 0.f << 0.f << 100.f << 0.f;
}

void TestPdfFonts::length()
{
    QFETCH(QString, text);
    QFETCH(QString, font);
    QFETCH(int, scaleMode);
    QFETCH(float, wordSpacing);
    QFETCH(float, charSpacing);
    QFETCH(float, scaling);
    QFETCH(float, expected);

    PdfWriter writer;
    pdftest::openInPoints(writer, m_folder.filePath("length.pdf"));
    std::string times = "Times New Roman";
    writer.LoadFont("TNR", times, 0);
    std::string helvetica = "Helvetica";
    writer.LoadFontStandard("Std", helvetica, 0);
    writer.BeginPage();
    writer.SetWordSpacing(wordSpacing);
    writer.SetCharSpacing(charSpacing);
    writer.SetTextHorizontalScaling(scaling);
    writer.setScaleMode(scaleMode);
    const float length = writer.Length(text.toStdString(), font.toStdString(), 10);
    QVERIFY2(qAbs(length - expected) < 1e-4f, qPrintable(QString::number(length)));
    // A new page starts with a fresh text state.
    writer.EndPage();
    writer.BeginPage();
    if (font == "TNR" && scaleMode == 0 && text == "Ab")
        QCOMPARE(writer.Length("Ab", "TNR", 10), 12.22f);
}

QTEST_GUILESS_MAIN(TestPdfFonts)
#include "tst_pdffonts.moc"

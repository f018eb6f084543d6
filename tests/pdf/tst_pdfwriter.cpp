#include "PdfDate.h"
#include "PdfTestSupport.h"
#include "PdfText.h"
#include "PdfWriter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <charconv>
#include <random>

class TestPdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void documentWithoutPages();
    void twoPagesWithoutFonts();
    void titleAndGeneratedName();
    void creationDate_data();
    void creationDate();
    void fortyThousandPages();
    void oneInstanceWritesManyFiles();
    void drawing();
    void fonts();
    void widths();
    void numbersAndTexts();
    void fontLookedUpBeforeLoading();

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }
};

void TestPdfWriter::documentWithoutPages()
{
    const QString file = path("empty.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.ClosePDFFile();
    QByteArray expected = "%PDF-1.3\r\n";
    QList<qsizetype> offsets(5);
    offsets[1] = expected.size();
    // The title is the file's name alone; a reproducible date is in UTC.
    expected += "1 0 obj\r\n<<\r/Title (empty)\r/Author ()\r/Creator  (Falmide)\r/Producer ()\r"
                "/CreationDate (D:20231114221320Z)\r>>\r\nendobj\r\n";
    offsets[2] = expected.size();
    expected += "2 0 obj\r\n<<\r/Type /Catalog\r/Pages 3 0 R\r/PageLayout /OneColumn\r/PageMode "
                "/UseNone\r/Lang (it) \r/ViewerPreferences << /HideToolbar false /DisplayDocTitle "
                "true /HideWindowUI false >>\r>>\r\nendobj\r\n";
    offsets[4] = expected.size();
    expected += "4 0 obj\r\n<<\r/ProcSet [/PDF /Text ]\r>>\r\nendobj\r\n";
    offsets[3] = expected.size();
    expected += "3 0 obj\r\n<<\r/Type /Pages\r/Count 0\r/MediaBox [0 0 595.2 842]\r"
                "/CropBox [0 0 595.2 842]\r\r/Kids [ ]\r/Resources 4 0 R\r>>\r\nendobj\r\n";
    const qsizetype xref = expected.size();
    expected += "xref\r\n0 5\r\n0000000000 65535 f\r\n";
    for (int number = 1; number <= 4; ++number)
        expected += QByteArray::number(offsets[number]).rightJustified(10, '0') + " 00000 n\r\n";
    expected += "trailer\r<<\r/Size 5\r/Info 1 0 R\r/Root 2 0 R\r>>\r\nstartxref\r" +
                QByteArray::number(xref) + "\r\n%%EOF\r\r\n";
    QCOMPARE(pdftest::readFile(file), expected);
    // Poppler refuses a document without pages; qpdf reads it.
    QCOMPARE(QProcess::execute("qpdf", {"--check", file}), 0);
}

void TestPdfWriter::twoPagesWithoutFonts()
{
    const QString file = path("two.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.setPaperSize(1);
    writer.setMargin(10);
    writer.setOrientation(1);
    QCOMPARE(writer.BeginPage(), 1);
    writer.MoveTo(10, 20);
    writer.LineTo(100, 20, 1);
    writer.EndPage();
    QCOMPARE(writer.BeginPage(), 2);
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), 2);

    const QByteArray pdf = pdftest::readFile(file);
    const auto objects = pdftest::objectsOf(pdf);
    QCOMPARE(objects.size(), 10);
    QCOMPARE(objects[5],
             "5 0 obj\r\n<<\r/Type /Page\r/Parent 3 0 R\r/Contents 6 0 R\r>>\r\nendobj\r\n");
    QCOMPARE(objects[6], "6 0 obj\r\n<< /Length 7 0 R >>\rstream\r\n10 20 m\r\n100 20 l\r\nS\r\n"
                         "endstream\r\nendobj\r\n");
    // The length counts the CR LF of the last record before "endstream".
    QCOMPARE(objects[7], "7 0 obj\r\n22\r\nendobj\r\n");
    QCOMPARE(objects[9], "9 0 obj\r\n<< /Length 10 0 R >>\rstream\r\nendstream\r\nendobj\r\n");
    QCOMPARE(objects[4], "4 0 obj\r\n<<\r/ProcSet [/PDF /Text ]\r>>\r\nendobj\r\n");
    QVERIFY(
        objects[3].contains("/Count 2\r/MediaBox [0 0 842 1190.5]\r/CropBox [10 10 832 1180.5]\r"
                            "/Rotate 90\r/Kids [5 0 R 8 0 R  ]\r"));
    QVERIFY(pdf.contains("\r\nxref\r\n0 11\r\n") && pdf.contains("trailer\r<<\r/Size 11\r"));
    CHECK_PDF(file);
}

void TestPdfWriter::titleAndGeneratedName()
{
    const QString file = path("Fattura (1) n\\o è.pdf");
    PdfWriter writer(m_folder.path().toStdString());
    writer.setTitle("ignored");
    writer.setScaleMode(0); // InitPDFFile brings back centimetres
    std::string name = file.toStdString();
    writer.InitPDFFile(name);
    writer.setPaperWidth(21);
    writer.setPaperSize(9); // an unlisted code keeps the size
    writer.BeginPage();
    writer.EndPage();
    writer.ClosePDFFile();
    // The name without its folder and extension, escaped.
    const QByteArray title = QString("Fattura \\(1\\) n\\\\o è").toLatin1();
    QVERIFY(pdftest::readFile(file).contains("1 0 obj\r\n<<\r/Title (" + title + ")\r"));
    QVERIFY(pdftest::readFile(file).contains("/MediaBox [0 0 595.276 842]\r"));
    CHECK_PDF(file);

    // An empty name: day 14, 22:13:20 and a random digit, read as a number, in hex.
    std::string generated;
    writer.InitPDFFile(generated);
    writer.ClosePDFFile();
    const auto match = QRegularExpression("^" + QRegularExpression::escape(m_folder.path()) +
                                          "/~([0-9A-F]+)\\.pdf$")
                           .match(QString::fromStdString(generated));
    QVERIFY2(match.hasMatch(), generated.c_str());
    QCOMPARE(match.captured(1).toULongLong(nullptr, 16) / 10, 14221320u);
    QVERIFY(pdftest::readFile(match.captured(0))
                .contains("/Title (~" + match.captured(1).toLatin1() + ")\r"));

    // A title given by the caller: the document's own name.
    writer.InitPDFFile(name, "Fattura 12/2026 (copia) è");
    writer.BeginPage();
    writer.EndPage();
    writer.ClosePDFFile();
    QVERIFY(pdftest::readFile(file).contains("/Title (Fattura 12/2026 \\(copia\\) \xe8)\r"));
    QVERIFY(pdftest::output("pdfinfo", {file})
                .contains(QRegularExpression("^Title: +Fattura 12/2026 \\(copia\\) è\n")));
}

void TestPdfWriter::creationDate_data()
{
    // POSIX zone rules, so that no zone database is needed.
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("when");
    QTest::addColumn<bool>("utc");
    QTest::addColumn<QString>("date");
    const QByteArray rome = "CET-1CEST,M3.5.0,M10.5.0/3";
    const qint64 november = 1700000000; // 2023-11-14 22:13:20 UTC
    const qint64 july = 1690000000;     // 2023-07-22 04:26:40 UTC
    QTest::newRow("reproducible") << rome << november << true << "D:20231114221320Z";
    QTest::newRow("Rome in winter") << rome << november << false << "D:20231114231320+01'00'";
    QTest::newRow("Rome in summer") << rome << july << false << "D:20230722062640+02'00'";
    QTest::newRow("New York") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << november << false
                              << "D:20231114171320-05'00'";
    QTest::newRow("half an hour, next day")
        << QByteArray("IST-5:30") << november << false << "D:20231115034320+05'30'";
    QTest::newRow("half an hour west")
        << QByteArray("NST3:30") << november << false << "D:20231114184320-03'30'";
    QTest::newRow("local time is UTC")
        << QByteArray("UTC0") << november << false << "D:20231114221320Z";
}

void TestPdfWriter::creationDate()
{
    QFETCH(QByteArray, zone);
    QFETCH(qint64, when);
    QFETCH(bool, utc);
    QFETCH(QString, date);
    const QByteArray oldZone = qgetenv("TZ");
    const QByteArray oldEpoch = qgetenv("SOURCE_DATE_EPOCH");
    const auto restore = qScopeGuard([&] {
        qputenv("SOURCE_DATE_EPOCH", oldEpoch);
        if (oldZone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldZone);
        tzset();
    });
    qputenv("TZ", zone);
    tzset();
    QCOMPARE(QString::fromStdString(pdf::pdfDate({static_cast<std::time_t>(when), utc})), date);

    // A file written now carries the zone's offset of now, and a reader takes it.
    qunsetenv("SOURCE_DATE_EPOCH");
    const QString file = path("now.pdf");
    PdfWriter writer;
    std::string name = file.toStdString();
    writer.InitPDFFile(name);
    writer.BeginPage();
    writer.EndPage();
    writer.ClosePDFFile();
    const QString expected = QString::fromStdString(pdf::pdfDate({std::time(nullptr), false}));
    const QByteArray written = pdftest::readFile(file);
    const qsizetype at = written.indexOf("/CreationDate (") + 15;
    // The same zone suffix; the seconds may have moved on meanwhile.
    QCOMPARE(written.mid(at + 16, expected.size() - 16), expected.mid(16).toLatin1());
    QVERIFY(pdftest::output("pdfinfo", {file}).contains("CreationDate:"));
}

void TestPdfWriter::fortyThousandPages()
{
    // Past any 16-bit count: readers must find every page.
    const QString file = path("long.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    int last = 0;
    for (int page = 1; page <= 40000; ++page) {
        last = writer.BeginPage();
        writer.EndPage();
    }
    writer.ClosePDFFile();
    QCOMPARE(last, 40000);
    QCOMPARE(writer.Pages(), 40000);
    QVERIFY(pdftest::readFile(file).contains("/Type /Pages\r/Count 40000\r"));
    QCOMPARE(pdftest::pageCount(file), 40000);
    QCOMPARE(pdftest::output("qpdf", {"--show-npages", file}).trimmed(), "40000");
}

void TestPdfWriter::oneInstanceWritesManyFiles()
{
    // The print engine keeps one writer for every export; an unfinished file is
    // abandoned by the next InitPDFFile.
    PdfWriter writer;
    pdftest::openInPoints(writer, path("first.pdf"));
    std::string arial = "Arial";
    writer.LoadFont("Arial", arial, 0);
    writer.BeginPage();
    const QString second = path("second.pdf");
    pdftest::openInPoints(writer, second);
    std::string times = "Times New Roman";
    writer.LoadFont("TNR", times, 0);
    writer.BeginPage();
    float x = 10;
    writer.DrawText(x, 700, "Seconda", "TNR", 10, 0, 0);
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), 1);
    const auto objects = pdftest::objectsOf(pdftest::readFile(second));
    QVERIFY(objects[4].startsWith("4 0 obj\r\n<<\r/Font <<\r/TNR 5 0 R \r>>\r"));
    QVERIFY(objects[3].contains("/Kids [7 0 R  ]"));
    CHECK_PDF(second, {"Seconda"}, {"TimesNewRoman"});
    // Without an open file nothing is written and nothing breaks; a file that
    // cannot be created is an error.
    writer.DrawText(x, 1, "x", "TNR", 10, 0, 0);
    writer.ClosePDFFile();
    std::string missing = path("missing/x.pdf").toStdString();
    QVERIFY_THROWS_EXCEPTION(std::system_error, writer.InitPDFFile(missing));
}

void TestPdfWriter::drawing()
{
    const QString file = path("drawing.pdf");
    PdfWriter w;
    pdftest::openInPoints(w, file);
    std::string helvetica = "Helvetica";
    w.LoadFontStandard("F1", helvetica, 0);
    std::string times = "Times New Roman";
    w.LoadFont("TNR", times, 0);
    w.LoadImgFromArray("Img1", {255, 0, 0}, {}, 1, 1, 24, false);
    w.StartObject("Logo", 0);
    w.EndObject();
    w.BeginPage(); // object 12, its content 13
    w.SetDash(0, 0);
    w.SetDash(3, 2);
    w.SetColorFill(255);
    w.SetColorFill(-128);
    w.SetColorStroke(0x204080);
    w.SetLineCap(3); // ignored, as are the next three
    w.SetLineJoin(-1);
    w.SetMiterLimit(0.5f);
    w.SetTextRenderingMode(3);
    w.SetLineWidth(0.0625f); // exact ties round to the even digit
    w.SetMiterLimit(1.1875f);
    float x = 100;
    w.DrawText(x, 200, "a\\b(c) € è ✓", "F1", 10, 0, 90);
    w.DrawText(x, 40, ")", "F1", 10, 0, 180);
    w.DrawText(x, 20, "Ab", "TNR", 10, 1, 0);
    QCOMPARE(x, 87.78f);
    x = 100;
    w.DrawText(x, 40, "Ab", "TNR", 10, 2, 0);
    QCOMPARE(x, 93.89f);
    float radius = 0;
    w.Rectangle(10, 20, 30, 40, 0, radius);
    w.Rectangle(10, 20, 30, 40, 5, radius);
    radius = 50;
    w.Rectangle(0, 0, 100, 20, 3, radius);
    QCOMPARE(radius, 10.f);
    bool pie = false;
    w.Arc(0, 0, 10, 0, 90, 1, pie, 0, 45, 4);
    QVERIFY(pie);
    pie = false;
    w.Arc(100, 100, 10, 0, 90, 0.5f, pie, 90, 90, 1);
    w.Arc(0, 0, 10, 0, 360, 1, pie, 0, 0, 1); // a zero step draws no arc
    w.DrawImg("Img1", 10, 100, 30, 20);
    w.DrawImg("Img1", 10, 100, 30, -20);
    w.DrawObject("Logo");
    w.setScaleMode(3);
    w.SetDash(1, 0.5f);
    w.EndPage();
    w.ClosePDFFile();
    const QByteArray expected =
        "[ ] 0 d\r\n[3 2] 0 d\r\n1 0 0 rg\r\n0.502 g\r\n0.502 0.251 0.125 RG\r\n0.062 w\r\n1.188 "
        "M\r\n"
        "BT\r\n/F1 10 Tf\r\n0 1 -1 0 100 200 Tm\r\n(a\\\\b\\(c\\) \x80 \xe8 ?) Tj\r\nET\r\n"
        "BT\r\n/F1 10 Tf\r\n-1 0 0 -1 100 40 Tm\r\n(\\)) Tj\r\nET\r\n"
        "BT\r\n/TNR 10 Tf\r\n87.78 20 Td\r\n(Ab) Tj\r\nET\r\nBT\r\n/TNR 10 Tf\r\n93.89 40 "
        "Td\r\n(Ab) Tj\r\nET\r\n"
        "n\r\n10 20 30 40 re\r\nn\r\n10 20 30 40 re\r\nB\r\n"
        "n\r\n10 0 m\r\n90 0 l\r\n95.5 0 100 4.5 100 10 c\r\n100 10 l\r\n100 15.5 95.5 20 90 20 "
        "c\r\n"
        "10 20 l\r\n4.5 20 0 15.5 0 10 c\r\n0 10 l\r\n0 4.5 4.5 0 10 0 c\r\nh\r\nS\r\n"
        "n\r\n0 0 m\r\n10 0 l\r\n7.071 7.071 l\r\n0 10 l\r\n0 0 l\r\nf\r\n"
        "n\r\n100 100 m\r\n100 110 m\r\n100 110 l\r\n95 100 l\r\nS\r\nn\r\n0 0 m\r\nS\r\n"
        "q\r30  0 0 -20 10 100 cm\r/Img1 Do\rQ\r\nq\r30  0 0 20 10 100 cm\r/Img1 Do\rQ\r\n"
        "/Logo Do\r\n[28.346 14.173] 0 d\r\n";
    QCOMPARE(pdftest::streamOf(pdftest::readFile(file), 13), expected);
    CHECK_PDF(file);
}

void TestPdfWriter::fonts()
{
    const QString file = path("fonts.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    std::string times = "Times New Roman";
    writer.LoadFont("TNRB", times, 1);
    QCOMPARE(times, std::string("TIMESNEWROMAN"));
    std::string verdana = "Verdana";
    writer.LoadFont("Sans", verdana, 2);
    std::string symbol = "symbol";
    writer.LoadFont("Sym", symbol, 0);
    std::string courier = "Courier New";
    writer.LoadFontStandard("Fnt4", courier, 3);
    QCOMPARE(courier, std::string("CourierNew"));
    // A font loaded under a taken name is written, but the first keeps the name
    // for measuring and for drawing alike.
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

    const auto objects = pdftest::objectsOf(pdftest::readFile(file));
    const QByteArray head = "5 0 obj\r\n<< /Type /Font \r/Subtype /TrueType\r/Name /TNRB\r"
                            "/BaseFont /TimesNewRoman,Bold\r/FirstChar 32\r/LastChar 255\r"
                            "/FontDescriptor 6 0 R\r/Encoding /WinAnsiEncoding\r/Widths [\r\n";
    QVERIFY(objects[5].startsWith(head) && objects[5].endsWith("\r\n] >>\r\nendobj\r\n"));
    const QString records = QString::fromLatin1(objects[5].mid(head.size()).chopped(14));
    QVERIFY(QRegularExpression(R"(^((\d+ ){16}\r\n){14}$)").match(records).hasMatch());
    QCOMPARE(objects[6],
             "6 0 obj\r\n<<\r/Type /FontDescriptor\r/FontName /TimesNewRoman,Bold\r"
             "/Flags 16418 /FontBBox [-250 -216 1201 1000] /MissingWidth 333 /StemV 136 "
             "/StemH 136 /ItalicAngle 0 /CapHeight 891 /XHeight 446 /Ascent 891 "
             "/Descent -216 /Leading 149 /MaxWidth 1001 /AvgWidth 401\r>>\r\nendobj\r\n");
    QVERIFY(objects[7].contains("/BaseFont /Arial,Italic\r") && objects[8].contains("/Flags 96 "));
    QVERIFY(objects[9].contains("/BaseFont /Symbol\r/FirstChar 30\r") &&
            objects[9].contains(" 494 494 \r\n494 600 \r\n] >>"));
    QCOMPARE(objects[11], "11 0 obj\r\n<< /Type /Font /Subtype /Type1 /Name /Fnt4 /BaseFont "
                          "/CourierNew,BoldItalic /Encoding /WinAnsiEncoding >>\r\nendobj\r\n");
    QVERIFY(
        objects[4].startsWith("4 0 obj\r\n<<\r/Font <<\r/TNRB 5 0 R \r/Sans 7 0 R \r/Sym 9 0 R \r"
                              "/Fnt4 11 0 R \r>>\r/ProcSet [/PDF /Text ]\r>>"));
    CHECK_PDF(file, {"Grassetto", "Corsivo", "Standard"},
              {"TimesNewRoman,Bold", "Arial,Italic", "Symbol", "CourierNew,BoldItalic"});
}

void TestPdfWriter::widths()
{
    // Family, style, first code and the widths from that code on.
    const QString table =
        R"(Times New Roman|0|32|250 333 408 500 500 833 778 180 333 333 500 564 250 333 250 278
Times New Roman|0|48|500 500 500 500 500 500 500 500 500 500
Times New Roman|0|65|722 667 667 722 611 556 722 722 333 389 722 611 889 722 722 556 722 667 556
Times New Roman|0|84|611 722 722 944 722 722 611
Times New Roman|0|247|549
Times New Roman|1|32|250 333 555 500 500 1000 833 278 333 333 500 570
Times New Roman|1|65|722 667 722 722 667 611 778 778 389 500 778 667 944 722 778 611 778 722 556
Times New Roman|1|84|667 722 722 1000 722 722 667
Arial|0|32|278 278 355 556 556 889 667 191 333 333 389 584 278 333 278 278
Arial|0|48|556 556 556 556 556 556 556 556 556 556
Arial|0|65|667 667 722 722 667 611 778 722 278 500 667 556 833 722 778 667 778 722 667 611
Arial|0|85|722 667 944 667 667 611
Arial|0|183|278
Arial|1|183|278
Arial|1|33|333 474 556 556 889 722 238
Arial|1|65|722 722 722 722 667 611 778 722 278 556 722 611 833 722 778 667 778 722 667 611
Arial|1|85|722 667 944 667 667 611
Arial|2|31|259
Symbol|2|29|332 600 600 250 333 713 500 549 833 778 439 333 333 500 549 250 549 250 278 500 500
Symbol|1|246|384 384 384 384 384 384 494 494 494 600
Courier New|3|32|)" +
        QString("600 ").repeated(224);
    PdfWriter writer;
    pdftest::openInPoints(writer, path("widths.pdf"));
    for (const QString& row : table.split('\n')) {
        const QStringList fields = row.split('|');
        std::string face = fields[0].toStdString();
        const std::string key = "F" + std::to_string(face.size()) + fields[1].toStdString();
        writer.LoadFont(key, face, fields[1].toInt());
        const QStringList widths = fields[3].split(' ', Qt::SkipEmptyParts);
        for (int i = 0; i < widths.size(); ++i) {
            // Codes 32..127 and 160..255 are the same in UTF-8 input and Windows-1252.
            const std::string character = QString(QChar(fields[2].toInt() + i)).toStdString();
            QCOMPARE(QString::number(writer.Length(character, key, 1000)), widths[i]);
        }
    }

    // Length in points and in the scale modes, with the text state of the page.
    std::string times = "Times New Roman";
    writer.LoadFont("TNR", times, 0);
    std::string helvetica = "Helvetica";
    writer.LoadFontStandard("Std", helvetica, 0);
    writer.BeginPage();
    QCOMPARE(writer.Length("Ab", "TNR", 10), 12.22f);
    QCOMPARE(writer.Length("Ab", "Std", 10), 0.f); // no metrics
    QCOMPARE(writer.Length("Ab", "Nope", 10), 0.f);
    // Codes below the first one take the missing width; one byte per character.
    QCOMPARE(writer.Length(std::string("\t\0", 2), "TNR", 10), 6.66f);
    QCOMPARE(writer.Length("è€✓", "TNR", 10), 4.44f + 5 + 4.44f);
    writer.SetWordSpacing(2);
    writer.SetCharSpacing(1);
    writer.SetTextHorizontalScaling(50);
    writer.setScaleMode(1);
    QCOMPARE(writer.Length("A b", "TNR", 10), (14.72f + 2 + 3) * 0.5f / 72);
    // The next page starts with a fresh text state.
    writer.EndPage();
    writer.BeginPage();
    writer.setScaleMode(3);
    QCOMPARE(writer.Length("A b", "TNR", 10), 14.72f / 72 * 2.54f);
}

// Numbers are written from integers when they can be; the digits must be
// those of the general three-decimal rounding of the exact binary value.
void TestPdfWriter::numbersAndTexts()
{
    const auto general = [](double value) {
        char buffer[400];
        char* last =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3).ptr;
        while (last[-1] == '0')
            --last;
        if (last[-1] == '.')
            --last;
        std::string text(buffer, last);
        return text == "-0" ? std::string("0") : text;
    };
    std::vector<double> values{0.0,        -0.0,
                               0.0005,     0.0015,
                               -0.0005,    1.0005,
                               2.675,      12.345,
                               -12.345,    0.1,
                               1e11,       -1e12,
                               1e12 + 0.5, 1e300,
                               0.001,      -0.001,
                               99.9999,    595.28,
                               841.89,     1.23456789,
                               0.0625,     -0.1875,
                               1e15,       -1e15 - 0.3,
                               5e-324,     0.00049999999999999};
    std::mt19937_64 random(27);
    for (int i = 0; i < 20000; ++i) {
        const auto thousandths = std::int64_t(random() % 2000000000) - 1000000000;
        values.push_back(double(thousandths) / 1000);
        values.push_back(double(thousandths) / 1000 * 0.0254 / 72 * 1440);
        // Odd sixteenths lie exactly halfway between two thousandths.
        values.push_back(double(2 * (thousandths % 100000000) + 1) / 16);
        // Any bits, from far below a thousandth to beyond a trillion.
        values.push_back(std::ldexp(double(random() >> 11), int(random() % 100) - 110));
    }
    for (const double value : values) {
        std::string written;
        pdf::appendNumber(written, value);
        QCOMPARE(written, general(value));
    }

    std::string escaped = "x";
    pdf::appendEscaped(escaped, "a(b)c\\d");
    QCOMPARE(escaped, std::string("xa\\(b\\)c\\\\d"));
    QCOMPARE(pdf::toWinAnsi("Società € 1.000, caffè\xC3"),
             std::string("Societ\xE0 \x80 1.000, caff\xE8?"));

    // Texts are scanned eight bytes at a time: a character to escape or
    // convert is found wherever it falls, also next to bytes that differ from
    // it by one bit ("'", "*", "[", "]").
    const std::string pieces[] = {"(", ")",        "\\",           "'",   "*", "[",
                                  "]", "\xC3\xA8", "\xE2\x82\xAC", "\xC3"};
    for (std::size_t length = 0; length < 20; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const std::string& piece : pieces) {
                const std::string text =
                    std::string(at, 'a') + piece + std::string(length - at, 'b');
                std::string oneByOne;
                for (const char c : text) {
                    if (c == '(' || c == ')' || c == '\\')
                        oneByOne += '\\';
                    oneByOne += c;
                }
                std::string written;
                pdf::appendEscaped(written, text);
                QCOMPARE(written, oneByOne);
                QCOMPARE(pdf::isAscii(text), static_cast<unsigned char>(piece[0]) < 0x80);
                const std::string converted = pdf::toWinAnsi(text);
                QCOMPARE(converted.substr(0, at), std::string(at, 'a'));
                QCOMPARE(converted.substr(converted.size() - (length - at)),
                         std::string(length - at, 'b'));
            }
        }
    }
}

// The writer keeps the font it last looked up: loading a font under that
// name, or starting a new file, must be seen by the next text.
void TestPdfWriter::fontLookedUpBeforeLoading()
{
    const QString file = path("late-font.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.BeginPage();
    float x = 100;
    writer.DrawText(x, 10, "Ab", "TNR", 10, 1, 0);
    QCOMPARE(x, 100.f); // no widths under that name yet
    QCOMPARE(writer.Length("Ab", "TNR", 10), 0.f);
    writer.EndPage();
    std::string times = "Times New Roman";
    writer.LoadFont("TNR", times, 0);
    writer.BeginPage();
    writer.DrawText(x, 20, "Ab", "TNR", 10, 1, 0);
    QCOMPARE(x, 87.78f);
    writer.EndPage();
    writer.ClosePDFFile();
    QVERIFY(pdftest::readFile(file).contains("/TNR 10 Tf\r\n87.78 20 Td"));
    CHECK_PDF(file);

    pdftest::openInPoints(writer, path("late-font-2.pdf"));
    writer.BeginPage();
    QCOMPARE(writer.Length("Ab", "TNR", 10), 0.f);
    writer.EndPage();
    writer.ClosePDFFile();
}

QTEST_GUILESS_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"

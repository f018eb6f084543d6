#include "PdfTestSupport.h"
#include "PdfWriter.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(std::function<void(PdfWriter&)>)

using pdftest::objectsOf;
using pdftest::readFile;

namespace {

const QByteArray kStamp = "20231114221320"; // SOURCE_DATE_EPOCH 1700000000, UTC

QByteArray infoObject(const QByteArray& title)
{
    return "1 0 obj\r\n<<\r/Title (" + title
           + ")\r/Author ()\r/Creator  (Falmide)\r/Producer ()\r/CreationDate (D:" + kStamp
           + "+01'00')\r>>\r\nendobj\r\n";
}

const QByteArray kCatalogObject =
    "2 0 obj\r\n<<\r/Type /Catalog\r/Pages 3 0 R\r/PageLayout /OneColumn\r/PageMode /UseNone\r"
    "/Lang (it) \r/ViewerPreferences << /HideToolbar false /DisplayDocTitle true "
    "/HideWindowUI false >>\r>>\r\nendobj\r\n";

// Stream and length objects of a page whose content is content.
QByteArray contentObjects(int streamObject, const QByteArray& content)
{
    return QByteArray::number(streamObject) + " 0 obj\r\n<< /Length "
           + QByteArray::number(streamObject + 1) + " 0 R >>\rstream\r\n" + content
           + "endstream\r\nendobj\r\n" + QByteArray::number(streamObject + 1) + " 0 obj\r\n"
           + QByteArray::number(content.size()) + "\r\nendobj\r\n";
}

QByteArray pagesObjectOf(const QByteArray& pdf)
{
    return objectsOf(pdf).value(3);
}

} // namespace

class TestPdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void documentWithoutPages();
    void twoPagesWithoutFonts();
    void paperBox_data();
    void paperBox();
    void titleIsTheEscapedFileName();
    void generatedFileName();
    void oneInstanceWritesManyFiles();
    void drawingOperators_data();
    void drawingOperators();
    void callsWithoutAnOpenFileDoNothing();

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }
};

void TestPdfWriter::init()
{
    QVERIFY(m_folder.isValid());
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
}

void TestPdfWriter::documentWithoutPages()
{
    const QString file = path("empty.pdf");
    PdfWriter writer;
    std::string name = file.toStdString();
    writer.InitPDFFile(name);
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), int16_t{0});

    // The expected file, with its offsets taken from the pieces themselves.
    QByteArray expected = "%PDF-1.3\r\n";
    QList<qsizetype> offsets(5);
    offsets[1] = expected.size();
    expected += infoObject(file.toUtf8());
    offsets[2] = expected.size();
    expected += kCatalogObject;
    offsets[4] = expected.size();
    expected += "4 0 obj\r\n<<\r/ProcSet [/PDF /Text ]\r>>\r\nendobj\r\n";
    offsets[3] = expected.size();
    expected += "3 0 obj\r\n<<\r/Type /Pages\r/Count 0\r/MediaBox [0 0 595.2 842]\r"
                "/CropBox [0 0 595.2 842]\r\r/Kids [ ]\r/Resources 4 0 R\r>>\r\nendobj\r\n";
    const qsizetype xref = expected.size();
    expected += "xref\r\n0 5\r\n0000000000 65535 f\r\n";
    for (int number = 1; number <= 4; ++number)
        expected += QByteArray::number(offsets[number]).rightJustified(10, '0') + " 00000 n\r\n";
    expected += "trailer\r<<\r/Size 5\r/Info 1 0 R\r/Root 2 0 R\r>>\r\nstartxref\r"
                + QByteArray::number(xref) + "\r\n%%EOF\r\r\n";
    QCOMPARE(readFile(file), expected);
    // Poppler refuses a document without pages, so only qpdf reads this one.
    QVERIFY(pdftest::structureErrors(expected).isEmpty());
}

void TestPdfWriter::twoPagesWithoutFonts()
{
    const QString file = path("two.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    QCOMPARE(writer.BeginPage(), int16_t{1});
    writer.MoveTo(10, 20);
    writer.LineTo(100, 20, 1);
    writer.EndPage();
    QCOMPARE(writer.BeginPage(), int16_t{2});
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), int16_t{2});

    const QByteArray pdf = readFile(file);
    const QByteArray pages = "5 0 obj\r\n<<\r/Type /Page\r/Parent 3 0 R\r/Contents 6 0 R\r>>\r\nendobj\r\n"
                             + contentObjects(6, "10 20 m\r\n100 20 l\r\nS\r\n")
                             + "8 0 obj\r\n<<\r/Type /Page\r/Parent 3 0 R\r/Contents 9 0 R\r>>\r\nendobj\r\n"
                             + contentObjects(9, "") + "4 0 obj\r\n<<\r/ProcSet [/PDF /Text ]\r>>\r\nendobj\r\n";
    QVERIFY(pdf.contains(kCatalogObject + pages));
    // The length counts the CR LF of the last record before "endstream".
    QVERIFY(pdf.contains("7 0 obj\r\n22\r\nendobj"));
    QVERIFY(pagesObjectOf(pdf).contains("/Count 2\r"));
    QVERIFY(pagesObjectOf(pdf).contains("\r/Kids [5 0 R 8 0 R  ]\r"));
    QVERIFY(pdf.contains("\r\nxref\r\n0 11\r\n"));
    QVERIFY(pdf.contains("trailer\r<<\r/Size 11\r"));
    VERIFY_PDF(file);
}

void TestPdfWriter::paperBox_data()
{
    QTest::addColumn<int>("paperSize");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("margin");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QByteArray>("boxes");
    // Lengths in centimetres, the unit InitPDFFile sets; 0 leaves a value alone.
    QTest::newRow("A4 after InitPDFFile") << -1 << 0.f << 0.f << 0.f << 0
                                          << QByteArray("[0 0 595.2 842]\r/CropBox [0 0 595.2 842]\r\r/Kids");
    QTest::newRow("code 1") << 1 << 0.f << 0.f << 0.f << 0
                            << QByteArray("[0 0 842 1190.5]\r/CropBox [0 0 842 1190.5]\r\r/Kids");
    QTest::newRow("code 2") << 2 << 0.f << 0.f << 0.f << 0
                            << QByteArray("[0 0 612 792]\r/CropBox [0 0 612 792]\r\r/Kids");
    QTest::newRow("code 3") << 3 << 0.f << 0.f << 0.f << 0
                            << QByteArray("[0 0 612 864]\r/CropBox [0 0 612 864]\r\r/Kids");
    QTest::newRow("unlisted code keeps the size") << 9 << 0.f << 0.f << 0.f << 0
                                                  << QByteArray("[0 0 595.2 842]\r/CropBox [0 0 595.2 842]\r\r/Kids");
    QTest::newRow("custom size, margin, landscape")
        << -1 << 21.f << 29.7f << 1.f << 1
        << QByteArray("[0 0 595.276 841.89]\r/CropBox [28.346 28.346 566.929 813.543]\r/Rotate 90\r/Kids");
}

void TestPdfWriter::paperBox()
{
    QFETCH(int, paperSize);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, margin);
    QFETCH(int, orientation);
    QFETCH(QByteArray, boxes);

    const QString file = path("paper.pdf");
    PdfWriter writer;
    writer.setScaleMode(0); // InitPDFFile must bring back centimetres
    writer.setPaperSize(1);
    std::string name = file.toStdString();
    writer.InitPDFFile(name);
    if (paperSize >= 0)
        writer.setPaperSize(paperSize);
    if (width > 0)
        writer.setPaperWidth(width);
    if (height > 0)
        writer.setPaperHeight(height);
    if (margin > 0)
        writer.setMargin(margin);
    writer.setOrientation(orientation);
    writer.BeginPage();
    writer.EndPage();
    writer.ClosePDFFile();
    const QByteArray pages = pagesObjectOf(readFile(file));
    QVERIFY2(pages.contains("/MediaBox " + boxes), pages.constData());
    VERIFY_PDF(file);
}

void TestPdfWriter::titleIsTheEscapedFileName()
{
    const QString file = path("Fattura (1) n\\o è.pdf");
    PdfWriter writer;
    writer.setTitle("ignored");
    std::string name = file.toStdString();
    writer.InitPDFFile(name);
    writer.BeginPage();
    writer.EndPage();
    writer.ClosePDFFile();
    const QByteArray title = path("Fattura \\(1\\) n\\\\o è.pdf").toLatin1();
    QVERIFY(readFile(file).contains(infoObject(title)));
    VERIFY_PDF(file);
}

void TestPdfWriter::generatedFileName()
{
    PdfWriter writer(m_folder.path().toStdString());
    std::string name;
    writer.InitPDFFile(name);
    writer.ClosePDFFile();

    const QString generated = QString::fromStdString(name);
    const auto match = QRegularExpression("^" + QRegularExpression::escape(m_folder.path())
                                          + "/~([0-9A-F]+)\\.pdf$").match(generated);
    QVERIFY2(match.hasMatch(), qPrintable(generated));
    // Day 14, 22:13:20 and one random digit, read as a number and written in hex.
    const qulonglong number = match.captured(1).toULongLong(nullptr, 16);
    QVERIFY2(number >= 142213200 && number <= 142213209, qPrintable(match.captured(1)));
    QVERIFY(readFile(generated).contains("/Title (" + generated.toLatin1() + ")"));
}

void TestPdfWriter::oneInstanceWritesManyFiles()
{
    // The print engine keeps one writer for every export.
    PdfWriter writer;
    const QString first = path("first.pdf");
    pdftest::openInPoints(writer, first);
    std::string face = "Arial";
    writer.LoadFont("Arial", face, 0);
    writer.BeginPage();
    float x = 10;
    writer.DrawText(x, 700, "Prima", "Arial", 10, 0, 0);
    writer.EndPage();
    writer.ClosePDFFile();

    // An unfinished file is simply abandoned by the next InitPDFFile.
    pdftest::openInPoints(writer, path("abandoned.pdf"));
    writer.BeginPage();

    const QString second = path("second.pdf");
    pdftest::openInPoints(writer, second);
    std::string face2 = "Times New Roman";
    writer.LoadFont("TNR", face2, 0);
    writer.BeginPage();
    x = 10;
    writer.DrawText(x, 700, "Seconda", "TNR", 10, 0, 0);
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), int16_t{1});

    VERIFY_PDF(first, {"Prima"}, {"Arial"});
    VERIFY_PDF(second, {"Seconda"}, {"TimesNewRoman"});
    const QByteArray pdf = readFile(second);
    QVERIFY(!pdf.contains("/Arial "));
    QVERIFY(pagesObjectOf(pdf).contains("/Kids [7 0 R  ]"));
}

void TestPdfWriter::drawingOperators_data()
{
    using Draw = std::function<void(PdfWriter&)>;
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("dash off") << Draw([](PdfWriter& w) { w.SetDash(0, 0); }) << QByteArray("[ ] 0 d\r\n");
    QTest::newRow("dash in points") << Draw([](PdfWriter& w) { w.SetDash(3, 2); })
                                    << QByteArray("[3 2] 0 d\r\n");
    QTest::newRow("dash in centimetres") << Draw([](PdfWriter& w) {
        w.setScaleMode(3);
        w.SetDash(1, 0.5f);
    }) << QByteArray("[28.346 14.173] 0 d\r\n");
    QTest::newRow("colours") << Draw([](PdfWriter& w) {
        w.SetColorFill(255);
        w.SetColorFill(-128);
        w.SetColorStroke(0x204080);
        w.SetColorStroke(0);
        w.SetColorFill(-255);
    }) << QByteArray("1 0 0 rg\r\n0.502 g\r\n0.502 0.251 0.125 RG\r\n0 G\r\n1 g\r\n");
    QTest::newRow("ignored values") << Draw([](PdfWriter& w) {
        w.SetLineCap(3);
        w.SetLineCap(-1);
        w.SetLineJoin(3);
        w.SetMiterLimit(0.5f);
        w.SetTextRenderingMode(3);
        w.SetTextRenderingMode(-1);
    }) << QByteArray();
    QTest::newRow("state values") << Draw([](PdfWriter& w) {
        w.setScaleMode(3);
        w.SetLineCap(2);
        w.SetLineJoin(1);
        w.SetMiterLimit(1);
        w.SetTextRenderingMode(2);
        w.SetLineWidth(0.1f);
        w.SetCharSpacing(1.5f);
        w.SetWordSpacing(2);
        w.SetTextHorizontalScaling(90);
    }) << QByteArray("2 J\r\n1 j\r\n1 M\r\n2 Tr\r\n2.835 w\r\n1.5 Tc\r\n2 Tw\r\n90 Tz\r\n");
    QTest::newRow("text in centimetres") << Draw([](PdfWriter& w) {
        w.setScaleMode(3);
        float x = 2;
        w.DrawText(x, 27.7f, "Fattura", "F1", 12, 0, 0);
    }) << QByteArray("BT\r\n/F1 12 Tf\r\n56.693 785.197 Td\r\n(Fattura) Tj\r\nET\r\n");
    QTest::newRow("text rotated by 90") << Draw([](PdfWriter& w) {
        float x = 100;
        w.DrawText(x, 200, "Ruotato", "F1", 10, 0, 90);
    }) << QByteArray("BT\r\n/F1 10 Tf\r\n0 1 -1 0 100 200 Tm\r\n(Ruotato) Tj\r\nET\r\n");
    QTest::newRow("text rotated by 180") << Draw([](PdfWriter& w) {
        float x = 100;
        w.DrawText(x, 200, "Capovolto", "F1", 10, 0, 180);
    }) << QByteArray("BT\r\n/F1 10 Tf\r\n-1 0 0 -1 100 200 Tm\r\n(Capovolto) Tj\r\nET\r\n");
    QTest::newRow("escaped and converted text") << Draw([](PdfWriter& w) {
        float x = 10;
        w.DrawText(x, 20, "a\\b(c) € è ✓", "F1", 10, 0, 0);
        w.DrawText(x, 40, ")", "F1", 10, 0, 0);
    }) << QByteArray("BT\r\n/F1 10 Tf\r\n10 20 Td\r\n(a\\\\b\\(c\\) \x80 \xe8 ?) Tj\r\nET\r\n"
                     "BT\r\n/F1 10 Tf\r\n10 40 Td\r\n(\\)) Tj\r\nET\r\n");
    QTest::newRow("aligned text") << Draw([](PdfWriter& w) {
        float right = 100;
        w.DrawText(right, 20, "Ab", "TNR", 10, 1, 0);
        QCOMPARE(right, 87.78f);
        float centre = 100;
        w.DrawText(centre, 40, "Ab", "TNR", 10, 2, 0);
        QCOMPARE(centre, 93.89f);
        float unmeasured = 100;
        w.DrawText(unmeasured, 60, "Ab", "F1", 10, 1, 0);
        QCOMPARE(unmeasured, 100.f);
    }) << QByteArray("BT\r\n/TNR 10 Tf\r\n87.78 20 Td\r\n(Ab) Tj\r\nET\r\n"
                     "BT\r\n/TNR 10 Tf\r\n93.89 40 Td\r\n(Ab) Tj\r\nET\r\n"
                     "BT\r\n/F1 10 Tf\r\n100 60 Td\r\n(Ab) Tj\r\nET\r\n");
    QTest::newRow("paint styles") << Draw([](PdfWriter& w) {
        for (const uint8_t style : {7, 5, 4, 6, 3, 2, 1}) {
            w.MoveTo(0, 0);
            w.LineTo(1, 2, style);
        }
    }) << QByteArray("0 0 m\r\n1 2 l\r\nb\r\n0 0 m\r\n1 2 l\r\nB\r\n0 0 m\r\n1 2 l\r\nf\r\n"
                     "0 0 m\r\n1 2 l\r\nf\r\n0 0 m\r\n1 2 l\r\nh\r\nS\r\n"
                     "0 0 m\r\n1 2 l\r\nh\r\n0 0 m\r\n1 2 l\r\nS\r\n");
    QTest::newRow("open path continued") << Draw([](PdfWriter& w) {
        w.MoveTo(0, 0);
        w.LineTo(1, 2, 0);
        w.Curve(1, 2, 3, 4, 5, 6.5f, 1);
    }) << QByteArray("0 0 m\r\n1 2 l\r\n1 2 3 4 5 6.5 c\r\nS\r\n");
    QTest::newRow("rectangles, the first left unpainted") << Draw([](PdfWriter& w) {
        float radius = 0;
        w.Rectangle(10, 20, 30, 40, 0, radius);
        w.Rectangle(10, 20, 30, 40, 5, radius);
    }) << QByteArray("n\r\n10 20 30 40 re\r\nn\r\n10 20 30 40 re\r\nB\r\n");
    QTest::newRow("rounded rectangle with a clipped radius") << Draw([](PdfWriter& w) {
        float radius = 50;
        w.Rectangle(0, 0, 100, 20, 1, radius);
        QCOMPARE(radius, 10.f);
    }) << QByteArray("n\r\n10 0 m\r\n90 0 l\r\n95.5 0 100 4.5 100 10 c\r\n100 10 l\r\n"
                     "100 15.5 95.5 20 90 20 c\r\n10 20 l\r\n4.5 20 0 15.5 0 10 c\r\n0 10 l\r\n"
                     "0 4.5 4.5 0 10 0 c\r\nS\r\n");
    QTest::newRow("circle") << Draw([](PdfWriter& w) { w.DrawCircle(50, 50, 10, 4); })
                            << QByteArray("50 40 m\r\n55.5 40 60 44.5 60 50 c\r\n60 55.5 55.5 60 50 60 c\r\n"
                                          "44.5 60 40 55.5 40 50 c\r\n40 44.5 44.5 40 50 40 c\r\nf\r\n");
    QTest::newRow("pie") << Draw([](PdfWriter& w) {
        bool pie = false;
        w.Arc(0, 0, 10, 0, 90, 1, pie, 0, 45, 5);
        QVERIFY(pie);
    }) << QByteArray("n\r\n0 0 m\r\n10 0 l\r\n7.071 7.071 l\r\n0 10 l\r\n0 0 l\r\nB\r\n");
    QTest::newRow("rotated flat arc") << Draw([](PdfWriter& w) {
        bool pie = false;
        w.Arc(100, 100, 10, 0, 90, 0.5f, pie, 90, 90, 1);
    }) << QByteArray("n\r\n100 100 m\r\n100 110 m\r\n100 110 l\r\n95 100 l\r\nS\r\n");
    QTest::newRow("arc running downwards") << Draw([](PdfWriter& w) {
        bool pie = false;
        w.Arc(0, 0, 10, 90, 0, 1, pie, 0, -90, 1);
    }) << QByteArray("n\r\n0 0 m\r\n0 10 m\r\n0 10 l\r\n10 0 l\r\nS\r\n");
    QTest::newRow("arc with a zero step draws no arc")
        << Draw([](PdfWriter& w) {
               bool pie = false;
               w.Arc(0, 0, 10, 0, 360, 1, pie, 0, 0, 1);
           })
        << QByteArray("n\r\n0 0 m\r\nS\r\n");
    QTest::newRow("image and form object") << Draw([](PdfWriter& w) {
        w.DrawImg("Img1", 10, 100, 30, 20);
        w.DrawImg("Img1", 10, 100, 30, -20);
        w.DrawObject("Logo");
    }) << QByteArray("q\r30  0 0 -20 10 100 cm\r/Img1 Do\rQ\r\nq\r30  0 0 20 10 100 cm\r/Img1 Do\rQ\r\n"
                     "/Logo Do\r\n");
}

void TestPdfWriter::drawingOperators()
{
    using Draw = std::function<void(PdfWriter&)>;
    QFETCH(Draw, draw);
    QFETCH(QByteArray, content);

    const QString file = path("drawing.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    std::string helvetica = "Helvetica";
    writer.LoadFontStandard("F1", helvetica, 0);
    std::string times = "Times New Roman";
    writer.LoadFont("TNR", times, 0);
    writer.LoadImgFromArray("Img1", {255, 0, 0}, {}, 1, 1, 24, false);
    writer.StartObject("Logo", 0);
    writer.EndObject();
    writer.BeginPage();
    draw(writer);
    if (QTest::currentTestFailed())
        return;
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(pdftest::firstPageContent(readFile(file)), content);
    VERIFY_PDF(file);
}

void TestPdfWriter::callsWithoutAnOpenFileDoNothing()
{
    PdfWriter writer;
    float x = 1;
    writer.DrawText(x, 1, "x", "F1", 10, 0, 0);
    writer.EndPage();
    writer.ClosePDFFile();
    QCOMPARE(writer.Pages(), int16_t{0});
    QCOMPARE(writer.Length("x", "F1", 10), 0.f);
    // A folder that does not exist cannot hold the file: that is an error.
    std::string name = path("missing/x.pdf").toStdString();
    QVERIFY_THROWS_EXCEPTION(std::system_error, writer.InitPDFFile(name));
}

QTEST_GUILESS_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"

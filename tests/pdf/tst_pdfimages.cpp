#include "PdfTestSupport.h"
#include "PdfWriter.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray sequence(int size, int seed)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 37 + seed) & 0xFF);
    return bytes;
}

std::vector<uint8_t> bytesOf(const QByteArray& data)
{
    return {data.begin(), data.end()};
}

QByteArray imageObjectHead(int object, int width, int height, const QByteArray& colour)
{
    return QByteArray::number(object) + " 0 obj\r\n<<\r/Type /XObject\r/Subtype /Image\r/Name /Img1\r"
           + "/Width " + QByteArray::number(width) + "\r/Height " + QByteArray::number(height)
           + "\r\n" + colour + "\r/Length " + QByteArray::number(object + 1) + " 0 R\r\n>>\rstream\r\n";
}

} // namespace

class TestPdfImages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void bitmapImages_data();
    void bitmapImages();
    void ascii85Streams();
    void unsupportedDepthWritesNothing();
    void failedBitmapLoadWritesNothing();
    void formObjects_data();
    void formObjects();

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }
};

void TestPdfImages::init()
{
    QVERIFY(m_folder.isValid());
}

void TestPdfImages::bitmapImages_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("gray");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QByteArray>("palette");
    QTest::addColumn<QByteArray>("colourEntries");
    QTest::addColumn<QByteArray>("expectedPixels"); // as pdfimages extracts them

    const QByteArray palette8 = sequence(768, 5);
    const QByteArray indices = sequence(100, 1);
    QByteArray lookedUp;
    for (const char index : indices)
        lookedUp += palette8.mid(static_cast<uint8_t>(index) * 3, 3);
    QTest::newRow("8-bit palette, 10 x 10") << 10 << 10 << 8 << false << indices << palette8
                                             << QByteArray("/BitsPerComponent 8\r/ColorSpace [/Indexed /DeviceRGB 255 7 0 R]")
                                             << lookedUp;
    QTest::newRow("1-bit, width 10") << 10 << 2 << 1 << false << QByteArray("\xa5\x40\x0f\xc0")
                                     << QByteArray("\x00\x00\x00\xff\xff\xff", 6)
                                     << QByteArray("/BitsPerComponent 1\r/ColorSpace [/Indexed /DeviceRGB 1 7 0 R]")
                                     << QByteArray();
    // The first data byte is a line feed, which must not be taken for part of the line end.
    const QByteArray rgb = "\x0a" + sequence(17, 9);
    QTest::newRow("24-bit colour, width 3") << 3 << 2 << 24 << false << rgb << QByteArray()
                                            << QByteArray("/BitsPerComponent 8\r/ColorSpace /DeviceRGB") << rgb;
    const QByteArray pixels("\xff\xff\xff" "\x64\x00\x00" "\x00\x64\x00"
                            "\x00\x00\x64" "\x00\x00\x00" "\x0a\x14\x1e", 18);
    QTest::newRow("24-bit gray") << 3 << 2 << 24 << true << pixels << QByteArray()
                                 << QByteArray("/BitsPerComponent 8\r/ColorSpace /DeviceGray")
                                 << QByteArray("\xff\x21\x3b\x0b\x00\x12", 6);
}

void TestPdfImages::bitmapImages()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(bool, gray);
    QFETCH(QByteArray, rows);
    QFETCH(QByteArray, palette);
    QFETCH(QByteArray, colourEntries);
    QFETCH(QByteArray, expectedPixels);

    const QString bitmap = path("logo.bmp");
    QVERIFY(pdftest::writeFile(bitmap, pdftest::makeBmp(width, height, bits, rows, palette)));
    const QString file = path("image.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    QVERIFY(writer.LoadImgFromBMPFile("Img1", bitmap.toStdString(), gray));
    writer.BeginPage();
    writer.DrawImg("Img1", 100, 700, 200, 100);
    writer.EndPage();
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const QMap<int, QByteArray> objects = pdftest::objectsOf(pdf);
    const QByteArray data = gray && bits == 24 ? expectedPixels : rows;
    QCOMPARE(objects.value(5), imageObjectHead(5, width, height, colourEntries) + data
                                   + "\rendstream\r\nendobj\r\n");
    QCOMPARE(objects.value(6), "6 0 obj\r\n" + QByteArray::number(data.size()) + "\r\nendobj\r\n");
    if (bits <= 8) {
        QCOMPARE(objects.value(7), "7 0 obj\r\n<</Length " + QByteArray::number(palette.size())
                                       + " >>\rstream\r\n" + palette + "\rendstream\r\nendobj\r\n");
    }
    QVERIFY(objects.value(4).contains("/ProcSet [/PDF /Text /ImageB /ImageC /ImageI ]\r"
                                      "/XObject <<\r/Img1 5 0 R \r\r>>\r>>"));
    VERIFY_PDF(file);
    if (!expectedPixels.isEmpty()) {
        QList<QByteArray> images;
        const QString error = pdftest::extractImages(file, images);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(images.size(), 1);
        // pdfimages writes gray pictures as RGB.
        QByteArray extracted = expectedPixels;
        if (gray) {
            extracted.clear();
            for (const char level : expectedPixels)
                extracted += QByteArray(3, level);
        }
        QCOMPARE(images[0], extracted);
    }
}

void TestPdfImages::ascii85Streams()
{
    const QString file = path("ascii85.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.setEncodeASCII85(true);
    const QByteArray palette = sequence(768, 3);
    writer.LoadImgFromArray("Img1", {0, 0, 0, 0, 1, 2, 3}, bytesOf(palette), 7, 1, 8, false);
    writer.BeginPage();
    writer.DrawImg("Img1", 100, 700, 70, 10);
    writer.EndPage();
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const QMap<int, QByteArray> objects = pdftest::objectsOf(pdf);
    QCOMPARE(objects.value(5),
             QByteArray("5 0 obj\r\n<<\r/Type /XObject\r/Subtype /Image\r/Name /Img1\r/Width 7\r"
                        "/Height 1\r/Filter /ASCII85Decode\r\n/BitsPerComponent 8\r"
                        "/ColorSpace [/Indexed /DeviceRGB 255 7 0 R]\r/Length 6 0 R\r\n>>\rstream\r\n"
                        "z!<N?~>\rendstream\r\nendobj\r\n"));
    // The length counts the closing "~>": readers need it to find the stream's end.
    QCOMPARE(objects.value(6), QByteArray("6 0 obj\r\n7\r\nendobj\r\n"));
    QVERIFY(objects.value(7).startsWith("7 0 obj\r\n<</Filter /ASCII85Decode\r/Length 962 >>\rstream\r\n"));
    VERIFY_PDF(file);
    QList<QByteArray> images;
    QVERIFY(pdftest::extractImages(file, images).isEmpty());
    QCOMPARE(images.size(), 1);
    QByteArray expected = palette.left(3).repeated(4);
    for (const int index : {1, 2, 3})
        expected += palette.mid(index * 3, 3);
    QCOMPARE(images[0], expected);
}

void TestPdfImages::unsupportedDepthWritesNothing()
{
    const QString file = path("depth.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.LoadImgFromArray("Img1", std::vector<uint8_t>(8), {}, 2, 2, 16, false);
    writer.ClosePDFFile();
    const QByteArray pdf = pdftest::readFile(file);
    QVERIFY(!pdf.contains("/Image"));
    QCOMPARE(pdftest::objectsOf(pdf).size(), 4);
}

void TestPdfImages::failedBitmapLoadWritesNothing()
{
    const QString truncated = path("truncated.bmp");
    const QByteArray bitmap = pdftest::makeBmp(4, 4, 24, sequence(48, 0));
    QVERIFY(pdftest::writeFile(truncated, bitmap.left(bitmap.size() - 1)));
    const QString file = path("failed.pdf");
    const auto write = [&](bool withLoads) {
        PdfWriter writer;
        pdftest::openInPoints(writer, file);
        if (withLoads) {
            QVERIFY(!writer.LoadImgFromBMPFile("Img1", truncated.toStdString(), false));
            QVERIFY(!writer.LoadImgFromBMPFile("Img1", path("missing.bmp").toStdString(), false));
            QVERIFY(!writer.LoadImgFromBMPFile("Img1", m_folder.path().toStdString(), false));
        }
        writer.BeginPage();
        writer.EndPage();
        writer.ClosePDFFile();
    };
    write(false);
    const QByteArray plain = pdftest::readFile(file);
    write(true);
    QCOMPARE(pdftest::readFile(file), plain);
}

void TestPdfImages::formObjects_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QList<int>>("paintedPages");
    QTest::newRow("odd pages but the first") << 4 + 8 << QList<int>{3, 5, 7};
    QTest::newRow("odd pages") << 4 << QList<int>{1, 3, 5, 7};
    QTest::newRow("even pages") << 2 << QList<int>{2, 4, 6};
    QTest::newRow("even pages, 8 ignored") << 2 + 8 << QList<int>{2, 4, 6};
    QTest::newRow("every page") << 7 << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("every page with 8") << 15 << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("odd and even bits without 1") << 6 << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("only on request") << 1 << QList<int>{};
    QTest::newRow("no flags") << 0 << QList<int>{};
}

void TestPdfImages::formObjects()
{
    QFETCH(int, flags);
    QFETCH(QList<int>, paintedPages);

    const QString file = path("forms.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    std::string helvetica = "Helvetica";
    writer.LoadFontStandard("F1", helvetica, 0);
    writer.setMargin(10);
    writer.StartObject("Carta", flags);
    float x = 50;
    writer.DrawText(x, 800, "Intestazione", "F1", 12, 0, 0);
    writer.EndObject();
    for (int page = 1; page <= 7; ++page) {
        writer.BeginPage();
        float x = 50;
        writer.DrawText(x, 400, "Pagina", "F1", 12, 0, 0);
        writer.EndPage();
    }
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const QMap<int, QByteArray> objects = pdftest::objectsOf(pdf);
    const QByteArray form = "6 0 obj\r\n<<\r/Type /XObject\r/Subtype /Form\r/FormType 1\r/Name /Carta\r"
                            "/BBox [10 10 585.2 832]\r/Matrix [1 0 0 1 0 0]\r/Length 7 0 R >>\rstream\r\n";
    const QByteArray formContent = "BT\r\n/F1 12 Tf\r\n50 800 Td\r\n(Intestazione) Tj\r\nET\r\n";
    QCOMPARE(objects.value(6), form + formContent + "endstream\r\nendobj\r\n");
    QCOMPARE(objects.value(7), "7 0 obj\r\n" + QByteArray::number(formContent.size()) + "\r\nendobj\r\n");
    QVERIFY(objects.value(4).contains("/ProcSet [/PDF /Text ]\r/XObject <<\r\r/Carta 6 0 R \r>>\r>>"));
    // Pages are objects 8, 11, 14 ...; their content streams follow them.
    for (int page = 1; page <= 7; ++page) {
        const QByteArray content = pdftest::streamData(pdf, objects.value(8 + (page - 1) * 3 + 1));
        const bool painted = paintedPages.contains(page);
        QVERIFY2(content.startsWith("/Carta Do\r\nBT\r\n") == painted, qPrintable(QString::number(page)));
        QVERIFY(content.endsWith("(Pagina) Tj\r\nET\r\n"));
    }
    VERIFY_PDF(file, {"Pagina"});
}

QTEST_GUILESS_MAIN(TestPdfImages)
#include "tst_pdfimages.moc"

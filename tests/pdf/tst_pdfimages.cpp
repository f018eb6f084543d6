#include "BmpReader.h"
#include "PdfTestSupport.h"
#include "PdfWriter.h"

#include <QDir>
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

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.data()), std::size_t(bytes.size())};
}

} // namespace

class TestPdfImages : public QObject
{
    Q_OBJECT

private slots:
    void bitmapImages_data();
    void bitmapImages();
    void ascii85Streams();
    void rejectedBitmaps_data();
    void rejectedBitmaps();
    void fuzzRegressions();
    void formObjects_data();
    void formObjects();

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }
};

void TestPdfImages::bitmapImages_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("gray");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QByteArray>("colourSpace");
    QTest::addColumn<QByteArray>("data"); // the image stream
    const QByteArray indices = sequence(100, 1);
    QTest::newRow("8-bit, 10 of 12 bytes a row")
        << 10 << 8 << false << indices
        << QByteArray("8\r/ColorSpace [/Indexed /DeviceRGB 255 7 0 R]") << indices;
    QTest::newRow("1-bit, 2 of 4")
        << 10 << 1 << false << sequence(20, 2)
        << QByteArray("1\r/ColorSpace [/Indexed /DeviceRGB 1 7 0 R]") << sequence(20, 2);
    QTest::newRow("4-bit, 5 of 8")
        << 9 << 4 << true << sequence(50, 3)
        << QByteArray("4\r/ColorSpace [/Indexed /DeviceGray 15 7 0 R]") << sequence(50, 3);
    // The first byte is a line feed, which must not be taken for part of the line end.
    const QByteArray rgb = "\x0a" + sequence(89, 9);
    QTest::newRow("24-bit, 9 of 12")
        << 3 << 24 << false << rgb << QByteArray("8\r/ColorSpace /DeviceRGB") << rgb;
    const QByteArray pixels(
        "\xff\xff\xff\x64\x00\x00\x00\x64\x00\x00\x00\x64\x00\x00\x00\x0a\x14\x1e", 18);
    QTest::newRow("24-bit gray") << 3 << 24 << true << pixels.repeated(5)
                                 << QByteArray("8\r/ColorSpace /DeviceGray")
                                 << QByteArray("\xff\x21\x3b\x0b\x00\x12", 6).repeated(5);
}

void TestPdfImages::bitmapImages()
{
    QFETCH(int, width);
    QFETCH(int, bits);
    QFETCH(bool, gray);
    QFETCH(QByteArray, rows);
    QFETCH(QByteArray, colourSpace);
    QFETCH(QByteArray, data);
    const QByteArray palette = sequence(bits <= 8 ? 3 << bits : 0, 5);
    const QString bitmap = path("logo.bmp");
    QVERIFY(pdftest::writeFile(bitmap, pdftest::makeBmp(width, 10, bits, rows, palette)));
    const QString file = path("image.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    QVERIFY(writer.LoadImgFromBMPFile("Img1", bitmap.toStdString(), gray));
    writer.BeginPage();
    writer.DrawImg("Img1", 100, 700, 200, 100);
    writer.EndPage();
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const auto objects = pdftest::objectsOf(pdf);
    QCOMPARE(objects[5], "5 0 obj\r\n<<\r/Type /XObject\r/Subtype /Image\r/Name /Img1\r/Width " +
                             QByteArray::number(width) + "\r/Height 10\r\n/BitsPerComponent " +
                             colourSpace + "\r/Length 6 0 R\r\n>>\rstream\r\n" + data +
                             "\rendstream\r\nendobj\r\n");
    QCOMPARE(objects[6], "6 0 obj\r\n" + QByteArray::number(data.size()) + "\r\nendobj\r\n");
    if (bits <= 8 && !gray)
        QCOMPARE(pdftest::streamOf(pdf, 7), palette);
    QVERIFY(objects[4].contains(
        "/ProcSet [/PDF /Text /ImageB /ImageC /ImageI ]\r/XObject <<\r/Img1 5 0 R \r\r>>"));
    CHECK_PDF(file);
    if (bits == 24) {
        QByteArray rgbOfGray; // pdfimages writes gray pictures as RGB
        for (const char level : data)
            rgbOfGray += QByteArray(3, level);
        QCOMPARE(pdftest::extractImages(file), QList<QByteArray>{gray ? rgbOfGray : data});
    }
}

void TestPdfImages::ascii85Streams()
{
    const QString file = path("ascii85.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, file);
    writer.setEncodeASCII85(true);
    const QByteArray palette = sequence(768, 3);
    writer.LoadImgFromArray("Img1", {0, 0, 0, 0, 1, 2, 3}, {palette.begin(), palette.end()}, 7, 1,
                            8, false);
    writer.LoadImgFromArray("Img2", std::vector<uint8_t>(8), {}, 2, 2, 16, false); // no such depth
    writer.BeginPage();
    writer.DrawImg("Img1", 100, 700, 70, 10);
    writer.EndPage();
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const auto objects = pdftest::objectsOf(pdf);
    QVERIFY(objects[5].contains("/Height 1\r/Filter /ASCII85Decode\r\n"));
    QCOMPARE(pdftest::streamOf(pdf, 5), "z!<N?~>");
    // The length counts the closing "~>": readers need it to find the stream's end.
    QCOMPARE(objects[6], "6 0 obj\r\n7\r\nendobj\r\n");
    QVERIFY(
        objects[7].startsWith("7 0 obj\r\n<</Filter /ASCII85Decode\r/Length 962 >>\rstream\r\n"));
    QVERIFY(!pdf.contains("Img2"));
    CHECK_PDF(file);
    QCOMPARE(pdftest::extractImages(file), {palette.left(3).repeated(4) + palette.mid(3, 9)});
}

void TestPdfImages::rejectedBitmaps_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray valid = pdftest::makeBmp(4, 4, 8, sequence(16, 1), sequence(768, 2));
    const QByteArray rgb = pdftest::makeBmp(4, 4, 24, sequence(48, 1));
    const auto changed = [](QByteArray file, int at, qint32 value, int size = 4) {
        return file.replace(at, size, reinterpret_cast<const char*>(&value), size);
    };
    QTest::newRow("not BM") << QByteArray(valid).replace(0, 2, "MB");
    QTest::newRow("header cut short") << valid.left(40);
    QTest::newRow("OS/2 header") << changed(valid, 14, 12);
    QTest::newRow("compressed") << changed(valid, 30, 1);
    QTest::newRow("16 bits") << changed(rgb, 28, 16, 2);
    QTest::newRow("top-down") << changed(valid, 22, -4);
    QTest::newRow("zero width") << changed(valid, 18, 0);
    QTest::newRow("last byte missing") << valid.chopped(1);
    QTest::newRow("palette cut short") << valid.left(54 + 500);
    QTest::newRow("pixels past the end") << changed(valid, 10, -16);
    QTest::newRow("pixels inside the palette") << changed(valid, 10, 54);
    QTest::newRow("huge width") << changed(rgb, 18, 0x7FFFFFFF);
    QTest::newRow("huge width and height") << changed(changed(rgb, 18, 0x10000), 22, 0x10000);
}

void TestPdfImages::rejectedBitmaps()
{
    QFETCH(QByteArray, file);
    pdf::BmpImage image;
    QVERIFY(!pdf::readBmp(spanOf(file), false, image) && !pdf::readBmp(spanOf(file), true, image));
    // A rejected file writes nothing into the PDF.
    const QString bitmap = path("bad.bmp");
    QVERIFY(pdftest::writeFile(bitmap, file));
    const QString pdfFile = path("none.pdf");
    PdfWriter writer;
    pdftest::openInPoints(writer, pdfFile);
    QVERIFY(!writer.LoadImgFromBMPFile("Img1", bitmap.toStdString(), false));
    QVERIFY(!writer.LoadImgFromBMPFile("Img1", path("missing.bmp").toStdString(), false));
    writer.ClosePDFFile();
    QCOMPARE(pdftest::objectsOf(pdftest::readFile(pdfFile)).size(), 4);
}

void TestPdfImages::fuzzRegressions()
{
    // Inputs that made a BMP reader fail under the fuzzer; the sanitizer build
    // watches for over-reads, and what is accepted must have consistent sizes.
    const QDir folder(QStringLiteral(BMP_REGRESSIONS_DIR));
    const QStringList names = folder.entryList({"crash-*", "oom-*", "timeout-*"}, QDir::Files);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
        const QByteArray file = pdftest::readFile(folder.filePath(name));
        pdf::BmpImage image;
        if (pdf::readBmp(spanOf(file), false, image)) {
            const std::size_t width = image.Width, height = image.Height, bits = image.BitsPerPixel;
            QCOMPARE(image.Data.size(),
                     bits == 24 ? width * height * 3 : (width * bits + 7) / 8 * height);
            QCOMPARE(image.Palette.size(), bits == 24 ? 0 : 3u << bits);
        }
    }
}

void TestPdfImages::formObjects_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QList<int>>("paintedPages");
    QTest::newRow("odd pages but the first") << 4 + 8 << QList<int>{3, 5, 7};
    QTest::newRow("odd pages") << 4 << QList<int>{1, 3, 5, 7};
    QTest::newRow("even pages, 8 ignored") << 2 + 8 << QList<int>{2, 4, 6};
    QTest::newRow("every page") << 15 << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("only on request") << 1 << QList<int>{};
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
        writer.DrawText(x, 400, "Pagina", "F1", 12, 0, 0);
        writer.EndPage();
    }
    writer.ClosePDFFile();

    const QByteArray pdf = pdftest::readFile(file);
    const auto objects = pdftest::objectsOf(pdf);
    QCOMPARE(objects[6],
             "6 0 obj\r\n<<\r/Type /XObject\r/Subtype /Form\r/FormType 1\r/Name /Carta\r"
             "/BBox [10 10 585.2 832]\r/Matrix [1 0 0 1 0 0]\r/Length 7 0 R >>\rstream\r\n"
             "BT\r\n/F1 12 Tf\r\n50 800 Td\r\n(Intestazione) Tj\r\nET\r\nendstream\r\nendobj\r\n");
    QVERIFY(objects[4].contains("/ProcSet [/PDF /Text ]\r/XObject <<\r\r/Carta 6 0 R \r>>\r>>"));
    for (int page = 1; page <= 7;
         ++page) { // page objects 8, 11, 14 ..., each followed by its content
        const QByteArray content = pdftest::streamOf(pdf, 6 + 3 * page);
        QCOMPARE(content.startsWith("/Carta Do\r\nBT\r\n"), paintedPages.contains(page));
    }
    CHECK_PDF(file, {"Pagina"});
}

QTEST_GUILESS_MAIN(TestPdfImages)
#include "tst_pdfimages.moc"

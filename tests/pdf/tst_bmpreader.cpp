#include "BmpReader.h"
#include "PdfTestSupport.h"

#include <QDir>
#include <QTest>
#include <QtEndian>

namespace {

std::span<const uint8_t> spanOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

QByteArray toBytes(const std::vector<uint8_t>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

void setU32(QByteArray& file, int at, quint32 value)
{
    qToLittleEndian(value, file.data() + at);
}

QByteArray sequence(int size, int seed)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 29 + seed) & 0xFF);
    return bytes;
}

} // namespace

class TestBmpReader : public QObject
{
    Q_OBJECT

private slots:
    void readsRows_data();
    void readsRows();
    void shortPalette();
    void rejectsMalformedFiles_data();
    void rejectsMalformedFiles();
    void fuzzRegressions();
};

void TestBmpReader::readsRows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("rowBytes");
    QTest::addColumn<int>("fileStride");
    QTest::addColumn<bool>("gray");
    QTest::newRow("8-bit, 10 of 12 bytes") << 10 << 10 << 8 << 10 << 12 << false;
    QTest::newRow("1-bit, 2 of 4 bytes") << 10 << 3 << 1 << 2 << 4 << false;
    QTest::newRow("1-bit, 5 of 8 bytes") << 33 << 2 << 1 << 5 << 8 << false;
    QTest::newRow("4-bit, 5 of 8 bytes") << 9 << 2 << 4 << 5 << 8 << false;
    QTest::newRow("4-bit gray palette") << 3 << 2 << 4 << 2 << 4 << true;
    QTest::newRow("24-bit, 9 of 12 bytes") << 3 << 2 << 24 << 9 << 12 << false;
    QTest::newRow("24-bit, no padding") << 4 << 2 << 24 << 12 << 12 << false;
}

void TestBmpReader::readsRows()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(int, rowBytes);
    QFETCH(int, fileStride);
    QFETCH(bool, gray);

    const QByteArray rows = sequence(rowBytes * height, 7);
    const QByteArray palette = sequence(bits <= 8 ? 3 << bits : 0, 3);
    const QByteArray file = pdftest::makeBmp(width, height, bits, rows, palette);
    QCOMPARE(file.size(), 54 + (bits <= 8 ? 4 << bits : 0) + fileStride * height);

    pdf::BmpImage image;
    QVERIFY(pdf::readBmp(spanOf(file), gray, image));
    QCOMPARE(image.Width, width);
    QCOMPARE(image.Height, height);
    QCOMPARE(int{image.BitsPerPixel}, bits);
    QCOMPARE(toBytes(image.Data), rows);
    if (!gray) {
        QCOMPARE(toBytes(image.Palette), palette);
        return;
    }
    // One gray byte per entry: 0.33 red + 0.59 green + 0.11 blue, rounded down.
    QCOMPARE(image.Palette.size(), std::size_t{1} << bits);
    for (std::size_t i = 0; i < image.Palette.size(); ++i) {
        const auto rgb = reinterpret_cast<const uint8_t*>(palette.constData()) + 3 * i;
        const int level = static_cast<int>(0.33 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2]);
        QCOMPARE(int{image.Palette[i]}, std::min(level, 255));
    }
}

void TestBmpReader::shortPalette()
{
    // Two colours stored for an 8-bit picture: the other entries are black.
    QByteArray file = pdftest::makeBmp(2, 1, 8, QByteArray("\x00\x01", 2),
                                       QByteArray("\x10\x20\x30\x40\x50\x60"));
    file.remove(54 + 8, 254 * 4);
    setU32(file, 10, 54 + 8);
    setU32(file, 46, 2);
    pdf::BmpImage image;
    QVERIFY(pdf::readBmp(spanOf(file), false, image));
    QCOMPARE(toBytes(image.Palette),
             QByteArray("\x10\x20\x30\x40\x50\x60") + QByteArray(254 * 3, '\0'));
    QCOMPARE(toBytes(image.Data), QByteArray("\x00\x01", 2));
}

void TestBmpReader::rejectsMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray valid = pdftest::makeBmp(4, 4, 8, sequence(16, 1), sequence(768, 2));
    const QByteArray rgb = pdftest::makeBmp(4, 4, 24, sequence(48, 1));
    const auto changed = [](QByteArray file, int at, quint32 value) {
        setU32(file, at, value);
        return file;
    };
    const auto changed16 = [](QByteArray file, int at, quint16 value) {
        qToLittleEndian(value, file.data() + at);
        return file;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not BM") << QByteArray(valid).replace(0, 2, "MB");
    QTest::newRow("header cut short") << valid.left(40);
    QTest::newRow("OS/2 header") << changed(valid, 14, 12);
    QTest::newRow("version 5 header") << changed(valid, 14, 124);
    QTest::newRow("run-length compressed") << changed(valid, 30, 1);
    QTest::newRow("bit fields") << changed(rgb, 30, 3);
    QTest::newRow("16 bits") << changed16(rgb, 28, 16);
    QTest::newRow("32 bits") << changed16(rgb, 28, 32);
    QTest::newRow("0 bits") << changed16(rgb, 28, 0);
    QTest::newRow("top-down") << changed(valid, 22, static_cast<quint32>(-4));
    QTest::newRow("zero width") << changed(valid, 18, 0);
    QTest::newRow("zero height") << changed(valid, 22, 0);
    QTest::newRow("negative width") << changed(valid, 18, static_cast<quint32>(-4));
    QTest::newRow("last pixel byte missing") << valid.left(valid.size() - 1);
    QTest::newRow("palette cut short") << valid.left(54 + 500);
    QTest::newRow("pixel offset past the end") << changed(valid, 10, 0xFFFFFFF0);
    QTest::newRow("pixel offset inside the palette") << changed(valid, 10, 54);
    QTest::newRow("pixel offset inside the header") << changed(rgb, 10, 10);
    QTest::newRow("height beyond the data") << changed(valid, 22, 5);
    QTest::newRow("huge width") << changed(rgb, 18, 0x7FFFFFFF);
    QTest::newRow("huge height") << changed(rgb, 22, 0x7FFFFFFF);
    QTest::newRow("huge width and height") << changed(changed(rgb, 18, 0x10000), 22, 0x10000);
}

void TestBmpReader::rejectsMalformedFiles()
{
    QFETCH(QByteArray, file);
    pdf::BmpImage image;
    image.Width = -7;
    QVERIFY(!pdf::readBmp(spanOf(file), false, image));
    QVERIFY(!pdf::readBmp(spanOf(file), true, image));
    QCOMPARE(image.Width, -7);
    QVERIFY(image.Data.empty());
}

void TestBmpReader::fuzzRegressions()
{
    // Inputs that once failed under the fuzzer: none may crash or over-read
    // (the sanitizer build watches), and what is accepted must be consistent.
    const QDir folder(QStringLiteral(BMP_REGRESSIONS_DIR));
    const QStringList names =
        folder.entryList({"crash-*", "leak-*", "oom-*", "timeout-*"}, QDir::Files);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
        const QByteArray file = pdftest::readFile(folder.filePath(name));
        for (const bool gray : {false, true}) {
            pdf::BmpImage image;
            if (!pdf::readBmp(spanOf(file), gray, image))
                continue;
            const std::size_t pixels = std::size_t(image.Width) * std::size_t(image.Height);
            const std::size_t expected =
                image.BitsPerPixel == 24
                    ? pixels * (gray ? 1 : 3)
                    : (std::size_t(image.Width) * image.BitsPerPixel + 7) / 8 * image.Height;
            QCOMPARE(image.Data.size(), expected);
            QVERIFY(image.Data.size() <= std::size_t(file.size()) * 3);
        }
    }
}

QTEST_APPLESS_MAIN(TestBmpReader)
#include "tst_bmpreader.moc"

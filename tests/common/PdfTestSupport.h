#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class PdfWriter;

// Reading back what PdfWriter wrote, and the checks every sample file goes through.
namespace pdftest {

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// Objects by number, found through the cross-reference table, each from
// "N 0 obj" to "endobj"; error receives the first structural fault found:
// an entry that is not 20 bytes or misses its object, a wrong /Size, a stream
// whose length does not end at "endstream", a /Widths array of the wrong count.
QMap<int, QByteArray> objectsOf(const QByteArray& pdf, QString* error = nullptr);
// The data of the stream of object number, by the length its dictionary gives.
QByteArray streamOf(const QByteArray& pdf, int number);

// The structure above, then qpdf --check, pdftotext, pdffonts and pdftoppm, each
// succeeding with nothing on standard error (poppler repairs damaged files and
// only complains there); texts must be extracted and fonts listed.
QString check(const QString& path, const QStringList& texts = {}, const QStringList& fonts = {});
// The pixels of the file's images as pdfimages extracts them (RGB samples).
QList<QByteArray> extractImages(const QString& path);
// What program writes on standard output; the page count pdfinfo reports (-1 if none).
QString output(const QString& program, const QStringList& arguments);
int pageCount(const QString& path);
// The content stream of the page object that comes index-th in the file.
QByteArray pageContent(const QByteArray& pdf, int index);

// A bitmap file of rows (bottom row first, packed, 24-bit pixels as R, G, B) and
// palette (R, G, B per entry), with 0xEE in the row padding.
QByteArray makeBmp(int width, int height, int bits, const QByteArray& rows,
                   const QByteArray& palette = {});

// Opens path in points with a fixed creation date (SOURCE_DATE_EPOCH 1700000000).
void openInPoints(PdfWriter& writer, const QString& path);

} // namespace pdftest

#define CHECK_PDF(...)                                                                             \
    do {                                                                                           \
        const QString problems = pdftest::check(__VA_ARGS__);                                      \
        QVERIFY2(problems.isEmpty(), qPrintable(problems));                                        \
    } while (false)

#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class PdfWriter;

// Reading back what PdfWriter wrote: objects found through the cross-reference
// table, and the checks every written sample goes through.
namespace pdftest {

QByteArray readFile(const QString& path);

// Object number -> its bytes from "N 0 obj" up to and including "endobj".
// Empty when the cross-reference table cannot be read.
QMap<int, QByteArray> objectsOf(const QByteArray& pdf);

// The data of the stream in object text, by the length its dictionary gives.
QByteArray streamData(const QByteArray& pdf, const QByteArray& objectText);

// The data of the first page's content stream.
QByteArray firstPageContent(const QByteArray& pdf);

// Structure: 20-byte cross-reference entries pointing at "N 0 obj", trailer
// size, each stream's length, each /Widths array's count. Empty when sound.
QString structureErrors(const QByteArray& pdf);

// qpdf --check, pdftotext, pdffonts and pdftoppm: each must succeed with
// nothing on standard error; the texts must be extracted and the fonts listed.
QString readerErrors(const QString& path, const QStringList& texts = {},
                     const QStringList& fonts = {});

// A Windows bitmap file holding rows (bottom row first, packed, 24-bit pixels
// as R, G, B) and palette (R, G, B per entry), with 0xEE in the row padding.
QByteArray makeBmp(int width, int height, int bits, const QByteArray& rows,
                   const QByteArray& palette = {});
bool writeFile(const QString& path, const QByteArray& bytes);

// The pixels of every image in the file as pdfimages extracts them (RGB or gray).
QString extractImages(const QString& path, QList<QByteArray>& pixels);

// A writer opened on path with units in points and a fixed creation date.
void openInPoints(PdfWriter& writer, const QString& path);

} // namespace pdftest

#define VERIFY_PDF(path, ...)                                                                      \
    do {                                                                                           \
        const QString structure = pdftest::structureErrors(pdftest::readFile(path));               \
        QVERIFY2(structure.isEmpty(), qPrintable(structure));                                      \
        const QString readers = pdftest::readerErrors(path __VA_OPT__(, ) __VA_ARGS__);                        \
        QVERIFY2(readers.isEmpty(), qPrintable(readers));                                          \
    } while (false)

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the print tests ask of a PDF: real readers accept it.
namespace pdfcheck {

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// qpdf --check, pdftotext (which must find each text) and pdftoppm, each
// with a zero exit and nothing on standard error. Empty when all is well.
QString readerErrors(const QString& path, const QStringList& texts = {});

// The content stream of the first page (the writer does not compress).
QByteArray firstPageContent(const QByteArray& pdf);

// An uncompressed 24-bit bitmap of the given size, every pixel one colour.
QByteArray makeBmp24(int width, int height, quint8 red, quint8 green, quint8 blue);

} // namespace pdfcheck

#define VERIFY_PDF(path, texts)                                                                    \
    do {                                                                                           \
        const QString problems = pdfcheck::readerErrors(path, texts);                              \
        QVERIFY2(problems.isEmpty(), qPrintable(problems));                                        \
    } while (false)

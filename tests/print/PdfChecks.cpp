#include "PdfChecks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

namespace pdfcheck {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

namespace {

QString runReader(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return program + QStringLiteral(" did not finish\n");
    const QByteArray err = p.readAllStandardError();
    if (output)
        *output = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !err.isEmpty())
        return QStringLiteral("%1 exit %2: %3\n")
            .arg(program)
            .arg(p.exitCode())
            .arg(QString::fromLocal8Bit(err));
    return {};
}

} // namespace

QString readerErrors(const QString& path, const QStringList& texts)
{
    QString problems;
    problems += runReader(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}, nullptr);
    QByteArray text;
    problems += runReader(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, &text);
    for (const QString& t : texts)
        if (!QString::fromUtf8(text).contains(t))
            problems += QStringLiteral("pdftotext does not find \"%1\"\n").arg(t);
    QTemporaryDir dir;
    problems += runReader(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), path,
                           dir.filePath(QStringLiteral("page"))},
                          nullptr);
    if (QDir(dir.path()).entryList({QStringLiteral("page*.png")}).isEmpty())
        problems += QStringLiteral("pdftoppm rendered no page\n");
    return problems;
}

QByteArray firstPageContent(const QByteArray& pdf)
{
    const qsizetype page = pdf.indexOf("/Type /Page\r");
    const qsizetype start = page < 0 ? -1 : pdf.indexOf("stream\r\n", page);
    const qsizetype end = start < 0 ? -1 : pdf.indexOf("endstream", start);
    return end < 0 ? QByteArray() : pdf.mid(start + 8, end - start - 8);
}

QByteArray makeBmp24(int width, int height, quint8 red, quint8 green, quint8 blue)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int imageBytes = rowBytes * height;
    QByteArray bmp(54 + imageBytes, '\0');
    auto put16 = [&bmp](int at, quint16 v) { qToLittleEndian(v, bmp.data() + at); };
    auto put32 = [&bmp](int at, quint32 v) { qToLittleEndian(v, bmp.data() + at); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, quint32(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, quint32(imageBytes));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            char* pixel = bmp.data() + 54 + y * rowBytes + x * 3;
            pixel[0] = char(blue);
            pixel[1] = char(green);
            pixel[2] = char(red);
        }
    return bmp;
}

} // namespace pdfcheck

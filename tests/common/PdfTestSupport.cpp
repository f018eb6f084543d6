#include "PdfTestSupport.h"

#include "PdfWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace pdftest {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

namespace {

int numberAfter(const QByteArray& text, const QByteArray& key)
{
    const qsizetype at = text.indexOf(key);
    static const QRegularExpression number("^-?\\d+");
    return at < 0 ? -1
                  : number.match(QString::fromLatin1(text.mid(at + key.size(), 12)))
                        .captured()
                        .toInt();
}

} // namespace

QMap<int, QByteArray> objectsOf(const QByteArray& pdf, QString* error)
{
    QString fault;
    const qsizetype table =
        pdf.mid(pdf.lastIndexOf("startxref\r") + 10).split('\r')[0].toLongLong();
    const int count =
        pdf.mid(table).startsWith("xref\r\n0 ") ? numberAfter(pdf.mid(table), "\n0 ") : 0;
    static const QRegularExpression entry(R"(^(\d{10}) \d{5} [nf]\r\n$)");
    QMap<int, qsizetype> offsets;
    for (int n = 1; n < count; ++n) {
        const auto match = entry.match(QString::fromLatin1(
            pdf.mid(table + 10 + QByteArray::number(count).size() + 20 * n, 20)));
        offsets[n] = match.hasMatch() ? match.captured(1).toLongLong() : -1;
        if (!pdf.mid(offsets[n]).startsWith(QByteArray::number(n) + " 0 obj\r\n"))
            fault = QString("cross-reference entry %1 is wrong").arg(n);
    }
    if (count == 0 || !pdf.contains("trailer\r<<\r/Size " + QByteArray::number(count) + "\r"))
        fault = "no cross-reference table matching the trailer";
    QMap<int, QByteArray> objects;
    for (auto it = offsets.begin(); fault.isEmpty() && it != offsets.end(); ++it) {
        qsizetype end = pdf.indexOf("endobj\r\n", it.value());
        const qsizetype stream = pdf.indexOf("stream\r\n", it.value());
        if (stream >= 0 && stream < end) {
            // Skip the data, which may hold any byte, by the stream's own length.
            const QByteArray dictionary = pdf.mid(it.value(), stream - it.value());
            int length = numberAfter(dictionary, "/Length ");
            if (dictionary.contains("/Length " + QByteArray::number(length) + " 0 R"))
                length = pdf.mid(offsets.value(length)).split('\n').value(1).trimmed().toInt();
            const QByteArray after = pdf.mid(stream + 8 + length, 12);
            if (!after.startsWith("endstream\r\n") && !after.startsWith("\rendstream\r\n"))
                fault = QString("stream length of object %1 is wrong").arg(it.key());
            end = pdf.indexOf("endobj\r\n", stream + 8 + length);
        }
        objects[it.key()] = pdf.mid(it.value(), end + 8 - it.value());
        const QByteArray& object = objects[it.key()];
        if (object.contains("/Widths [")) {
            const qsizetype open = object.indexOf("/Widths [") + 9;
            const auto widths =
                object.mid(open, object.indexOf(']', open) - open).simplified().split(' ');
            if (widths.size() !=
                numberAfter(object, "/LastChar ") - numberAfter(object, "/FirstChar ") + 1)
                fault = QString("object %1 has %2 widths").arg(it.key()).arg(widths.size());
        }
    }
    if (!pdf.startsWith("%PDF-1.3\r\n") || !pdf.endsWith("%%EOF\r\r\n"))
        fault = "no PDF 1.3 header or end marker";
    if (error)
        *error = fault;
    return objects;
}

QByteArray streamOf(const QByteArray& pdf, int number)
{
    const QByteArray object = objectsOf(pdf).value(number);
    const qsizetype data = object.indexOf("stream\r\n") + 8;
    const qsizetype end = object.lastIndexOf("endstream\r\n");
    // Page and form content keeps its last CR LF; image data is followed by a lone CR.
    return object.mid(data, end - data - (object[end - 1] == '\r' ? 1 : 0));
}

namespace {

QString run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return program + " did not finish";
    const QByteArray errors = process.readAllStandardError();
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitCode() != 0 || !errors.isEmpty())
        return QString("%1 exited with %2: %3").arg(program).arg(process.exitCode()).arg(errors);
    return {};
}

} // namespace

QString check(const QString& path, const QStringList& texts, const QStringList& fonts)
{
    QString error;
    objectsOf(readFile(path), &error);
    QByteArray text;
    QByteArray fontList;
    QTemporaryDir folder;
    for (const auto& [program, arguments, output] :
         {std::tuple{"qpdf", QStringList{"--check", path}, &text},
          std::tuple{"pdftotext", QStringList{"-layout", path, "-"}, &text},
          std::tuple{"pdffonts", QStringList{path}, &fontList},
          std::tuple{"pdftoppm", QStringList{"-r", "10", "-png", path, folder.filePath("p")},
                     &text}}) {
        if (error.isEmpty())
            error = run(program, arguments, output);
        if (error.isEmpty() && QString(program) == "pdftotext") {
            for (const QString& expected : texts)
                error += QString::fromUtf8(text).contains(expected) ? "" : "no text " + expected;
        }
    }
    for (const QString& font : fonts)
        error += fontList.contains("\n" + font.toLatin1() + " ") ? "" : "no font " + font;
    return error;
}

QList<QByteArray> extractImages(const QString& path)
{
    QTemporaryDir folder;
    QList<QByteArray> pixels;
    if (!run("pdfimages", {path, folder.filePath("i")}).isEmpty())
        return pixels;
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files, QDir::Name)) {
        // Netpbm: "P6\nW H\n255\n", then the samples.
        const QByteArray image = readFile(folder.filePath(name));
        pixels += image.mid(image.indexOf("\n255\n") + 5);
    }
    return pixels;
}

QString output(const QString& program, const QStringList& arguments)
{
    QByteArray text;
    run(program, arguments, &text);
    return QString::fromUtf8(text);
}

int pageCount(const QString& path)
{
    const auto match = QRegularExpression("Pages:\\s+(\\d+)").match(output("pdfinfo", {path}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QByteArray pageContent(const QByteArray& pdf, int index)
{
    qsizetype page = pdf.indexOf("/Type /Page\r");
    while (index-- > 0 && page >= 0)
        page = pdf.indexOf("/Type /Page\r", page + 1);
    return streamOf(pdf, numberAfter(pdf.mid(page, 200), "/Contents "));
}

QByteArray makeBmp(int width, int height, int bits, const QByteArray& rows,
                   const QByteArray& palette)
{
    const int rowBytes = (width * bits + 7) / 8;
    const int stride = (width * bits + 31) / 32 * 4;
    const int entries = bits <= 8 ? 1 << bits : 0;
    QByteArray file = "BM";
    for (const qint32 field : {54 + entries * 4 + stride * height, 0, 54 + entries * 4, 40, width,
                               height, 1 | bits << 16, 0, 0, 0, 0, 0, 0})
        file.append(reinterpret_cast<const char*>(&field), 4);
    for (int i = 0; i < entries; ++i) {
        const QByteArray rgb = palette.mid(i * 3, 3).leftJustified(3, '\0');
        file += rgb[2];
        file += rgb[1];
        file += rgb[0];
        file += '\0';
    }
    for (int row = 0; row < height; ++row) {
        QByteArray stored = rows.mid(row * rowBytes, rowBytes);
        for (int i = 0; bits == 24 && i + 2 < stored.size(); i += 3)
            std::swap(stored[i], stored[i + 2]);
        file += stored.leftJustified(stride, '\xee');
    }
    return file;
}

void openInPoints(PdfWriter& writer, const QString& path)
{
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    std::string name = path.toStdString();
    writer.InitPDFFile(name);
    writer.setScaleMode(0);
}

} // namespace pdftest

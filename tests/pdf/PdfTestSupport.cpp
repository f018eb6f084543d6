#include "PdfTestSupport.h"

#include "PdfWriter.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace pdftest {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

namespace {

// Offsets from the cross-reference table, by object number; empty on failure.
QMap<int, qsizetype> xrefOffsets(const QByteArray& pdf, QString* error = nullptr)
{
    QMap<int, qsizetype> offsets;
    const qsizetype startxref = pdf.lastIndexOf("startxref\r");
    if (startxref < 0) {
        if (error)
            *error = "no startxref";
        return {};
    }
    const qsizetype numberEnd = pdf.indexOf("\r\n", startxref);
    const qsizetype tableAt = pdf.mid(startxref + 10, numberEnd - startxref - 10).toLongLong();
    if (!pdf.mid(tableAt).startsWith("xref\r\n0 ")) {
        if (error)
            *error = "startxref does not point at the table";
        return {};
    }
    const qsizetype countEnd = pdf.indexOf("\r\n", tableAt + 8);
    const int count = pdf.mid(tableAt + 8, countEnd - tableAt - 8).toInt();
    static const QRegularExpression entryPattern(R"(^\d{10} \d{5} [nf]\r\n$)");
    qsizetype at = countEnd + 2;
    for (int number = 0; number < count; ++number, at += 20) {
        const QString entry = QString::fromLatin1(pdf.mid(at, 20));
        if (!entryPattern.match(entry).hasMatch()) {
            if (error)
                *error = QString("cross-reference entry %1 is not 20 bytes: %2").arg(number).arg(entry);
            return {};
        }
        if (number > 0)
            offsets.insert(number, entry.left(10).toLongLong());
    }
    if (!pdf.mid(at).startsWith("trailer\r<<\r/Size " + QByteArray::number(count) + "\r")) {
        if (error)
            *error = "trailer /Size differs from the table";
        return {};
    }
    return offsets;
}

int integerAfter(const QByteArray& text, const QByteArray& key, bool* found = nullptr)
{
    const qsizetype at = text.indexOf(key);
    if (found)
        *found = at >= 0;
    if (at < 0)
        return -1;
    qsizetype end = at + key.size();
    while (end < text.size() && (text[end] == '-' || std::isdigit(static_cast<unsigned char>(text[end]))))
        ++end;
    return text.mid(at + key.size(), end - at - key.size()).toInt();
}

// Length of the stream of objectText: direct, or through the object it names.
qsizetype streamLength(const QByteArray& pdf, const QByteArray& objectText)
{
    static const QRegularExpression indirect(R"(/Length (\d+) 0 R)");
    const auto match = indirect.match(QString::fromLatin1(objectText.left(objectText.indexOf("stream"))));
    if (match.hasMatch()) {
        // A length object holds one number and no stream, so it ends at the first endobj.
        const qsizetype at = xrefOffsets(pdf).value(match.captured(1).toInt(), -1);
        if (at < 0)
            return -1;
        const QList<QByteArray> lines = pdf.mid(at, pdf.indexOf("endobj", at) - at).split('\n');
        return lines.size() > 1 ? lines[1].trimmed().toLongLong() : -1;
    }
    return integerAfter(objectText, "/Length ");
}

} // namespace

QMap<int, QByteArray> objectsOf(const QByteArray& pdf)
{
    QMap<int, QByteArray> objects;
    const QMap<int, qsizetype> offsets = xrefOffsets(pdf);
    for (auto it = offsets.begin(); it != offsets.end(); ++it) {
        const QByteArray head = QByteArray::number(it.key()) + " 0 obj\r\n";
        if (!pdf.mid(it.value()).startsWith(head))
            continue;
        // The end is searched after the stream data, which may hold any byte.
        qsizetype searchFrom = it.value();
        const qsizetype streamAt = pdf.indexOf("stream\r\n", it.value());
        const qsizetype firstEnd = pdf.indexOf("endobj\r\n", it.value());
        if (streamAt >= 0 && streamAt < firstEnd) {
            const qsizetype length = streamLength(pdf, pdf.mid(it.value(), streamAt - it.value() + 8));
            searchFrom = streamAt + 8 + std::max<qsizetype>(length, 0);
        }
        const qsizetype end = pdf.indexOf("endobj\r\n", searchFrom);
        objects.insert(it.key(), pdf.mid(it.value(), end + 8 - it.value()));
    }
    return objects;
}

QByteArray streamData(const QByteArray& pdf, const QByteArray& objectText)
{
    const qsizetype at = objectText.indexOf("stream\r\n");
    if (at < 0)
        return {};
    return objectText.mid(at + 8, streamLength(pdf, objectText));
}

QByteArray firstPageContent(const QByteArray& pdf)
{
    const QMap<int, QByteArray> objects = objectsOf(pdf);
    for (const QByteArray& object : objects) {
        if (object.contains("/Type /Page\r")) {
            const int contents = integerAfter(object, "/Contents ");
            return streamData(pdf, objects.value(contents));
        }
    }
    return {};
}

QString structureErrors(const QByteArray& pdf)
{
    if (!pdf.startsWith("%PDF-1.3\r\n"))
        return "no PDF 1.3 header";
    if (!pdf.endsWith("%%EOF\r\r\n"))
        return "no end marker";
    QString error;
    const QMap<int, qsizetype> offsets = xrefOffsets(pdf, &error);
    if (offsets.isEmpty())
        return error.isEmpty() ? "empty cross-reference table" : error;
    for (auto it = offsets.begin(); it != offsets.end(); ++it) {
        if (!pdf.mid(it.value()).startsWith(QByteArray::number(it.key()) + " 0 obj\r\n"))
            return QString("object %1 is not at offset %2").arg(it.key()).arg(it.value());
    }
    const QMap<int, QByteArray> objects = objectsOf(pdf);
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QByteArray& object = it.value();
        const qsizetype at = object.indexOf("stream\r\n");
        if (at >= 0 && !object.contains("/Length"))
            return QString("stream of object %1 has no length").arg(it.key());
        if (at >= 0) {
            const qsizetype length = streamLength(pdf, object);
            const QByteArray after = object.mid(at + 8 + length);
            if (!after.startsWith("endstream\r\n") && !after.startsWith("\rendstream\r\n"))
                return QString("stream length %1 of object %2 is wrong").arg(length).arg(it.key());
        }
        bool hasWidths = false;
        integerAfter(object, "/Widths [", &hasWidths);
        if (hasWidths) {
            const qsizetype open = object.indexOf("/Widths [") + 9;
            const QByteArray widths = object.mid(open, object.indexOf(']', open) - open);
            const qsizetype count = widths.simplified().split(' ').size();
            const int first = integerAfter(object, "/FirstChar ");
            const int last = integerAfter(object, "/LastChar ");
            if (count != last - first + 1)
                return QString("object %1 has %2 widths for codes %3..%4").arg(it.key()).arg(count).arg(first).arg(last);
        }
    }
    return {};
}

namespace {

QString run(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return program + " did not finish";
    const QByteArray errors = process.readAllStandardError();
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString("%1 exited with %2: %3").arg(program).arg(process.exitCode()).arg(errors);
    if (!errors.isEmpty())
        return QString("%1 complained: %2").arg(program, QString::fromUtf8(errors));
    return {};
}

} // namespace

QString readerErrors(const QString& path, const QStringList& texts, const QStringList& fonts)
{
    QByteArray output;
    QString error = run("qpdf", {"--check", path}, &output);
    if (!error.isEmpty())
        return error;
    error = run("pdftotext", {"-layout", path, "-"}, &output);
    if (!error.isEmpty())
        return error;
    const QString text = QString::fromUtf8(output);
    for (const QString& expected : texts) {
        if (!text.contains(expected))
            return QString("pdftotext lacks \"%1\" in:\n%2").arg(expected, text);
    }
    error = run("pdffonts", {path}, &output);
    if (!error.isEmpty())
        return error;
    for (const QString& font : fonts) {
        if (!QString::fromLatin1(output).contains(QRegularExpression("\\n" + QRegularExpression::escape(font) + " ")))
            return QString("pdffonts lacks %1 in:\n%2").arg(font, QString::fromLatin1(output));
    }
    QTemporaryDir folder;
    return run("pdftoppm", {"-r", "10", "-png", path, folder.filePath("page")}, nullptr);
}

QByteArray makeBmp(int width, int height, int bits, const QByteArray& rows, const QByteArray& palette)
{
    const int rowBytes = (width * bits + 7) / 8;
    const int stride = (width * bits + 31) / 32 * 4;
    const int entries = bits <= 8 ? 1 << bits : 0;
    const auto le32 = [](QByteArray& out, quint32 value) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const auto le16 = [](QByteArray& out, quint16 value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    };
    const quint32 offset = 54 + entries * 4;
    QByteArray file = "BM";
    le32(file, offset + stride * height);
    le32(file, 0);
    le32(file, offset);
    le32(file, 40);
    le32(file, width);
    le32(file, height);
    le16(file, 1);
    le16(file, bits);
    for (int i = 0; i < 6; ++i)
        le32(file, 0);
    for (int i = 0; i < entries; ++i) {
        const QByteArray rgb = palette.mid(i * 3, 3).leftJustified(3, '\0');
        file += rgb[2];
        file += rgb[1];
        file += rgb[0];
        file += '\0';
    }
    for (int row = 0; row < height; ++row) {
        QByteArray stored = rows.mid(row * rowBytes, rowBytes);
        if (bits == 24) {
            for (int i = 0; i + 2 < stored.size(); i += 3)
                std::swap(stored[i], stored[i + 2]);
        }
        file += stored.leftJustified(stride, '\xee');
    }
    return file;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString extractImages(const QString& path, QList<QByteArray>& pixels)
{
    QTemporaryDir folder;
    const QString error = run("pdfimages", {path, folder.filePath("img")}, nullptr);
    if (!error.isEmpty())
        return error;
    const QStringList names = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        // Netpbm as pdfimages writes it: "P6\nW H\n255\n" (P5 for gray), then the samples.
        const QByteArray image = readFile(folder.filePath(name));
        qsizetype at = 0;
        for (int line = 0; line < 3 && at >= 0; ++line)
            at = image.indexOf('\n', at) + 1;
        pixels.append(image.mid(at));
    }
    return {};
}

void openInPoints(PdfWriter& writer, const QString& path)
{
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    std::string name = path.toStdString();
    writer.InitPDFFile(name);
    writer.setScaleMode(0);
}

} // namespace pdftest

// Build tool: writes the buttons' pictures (the PNG files of this folder) as
// C++ arrays of premultiplied ARGB pixels, so that the main window makes its
// icons from memory at start-up without the image readers, whose plug-in
// search costs more than the pictures themselves.
//   falmide_icon_pixels OUTPUT.cpp NAME=FILE.png NAME@2x=FILE@2x.png ...
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp NAME=FILE.png...\n", argv[0]);
        return 2;
    }
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(out.errorString()));
        return 1;
    }
    QTextStream text(&out);
    text << "// Written by falmide_icon_pixels from src/app/icons: do not edit.\n"
            "#include \"ButtonIcons.h\"\n\n"
            "namespace {\n";
    QStringList entries;
    for (int i = 2; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        const QString file = argument.section(QLatin1Char('='), 1);
        QImage image(file, "PNG");
        if (image.isNull() || name.isEmpty()) {
            std::fprintf(stderr, "%s: not a PNG picture\n", qPrintable(file));
            return 1;
        }
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QString array = QStringLiteral("k%1").arg(i - 2);
        text << "const quint32 " << array << "[] = {";
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                text << (x % 8 == 0 ? "\n    " : " ") << "0x"
                     << QString::number(line[x], 16).rightJustified(8, QLatin1Char('0')) << ",";
        }
        text << "\n};\n";
        entries << QStringLiteral("    {\"%1\", %2, %3, %4},\n")
                       .arg(name)
                       .arg(image.width())
                       .arg(image.height())
                       .arg(array);
    }
    text << "} // namespace\n\n"
            "const ButtonPixels kButtonPixels[] = {\n"
         << entries.join(QString()) << "};\n"
         << "const int kButtonPixelsCount = " << entries.size() << ";\n";
    text.flush();
    if (!out.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}

#include "TestLayout.h"

#include "PageEngine.h"

void useFont(PageEngine& engine, const QString& name, double size)
{
    engine.SetFontName(name);
    engine.SetFontSize(size);
    engine.UnitY = engine.TextHeight(QStringLiteral("M"));
    engine.UnitX = engine.TextWidth(QStringLiteral("M"));
}

QString reportLine(int page, int line)
{
    return QStringLiteral("Fattura %1/%2 Studio tecnico cliente numero %3 - onorario e spese")
        .arg(page + 1)
        .arg(line + 1)
        .arg(page * 100 + line);
}

void recordReport(PageEngine& engine, int pages, int linesPerPage, bool withImage,
                  const QString& imagePath)
{
    engine.BeginDocument();
    useFont(engine, QStringLiteral("Times New Roman"), 8);
    for (int page = 0; page < pages; ++page) {
        engine.SetFontName(QStringLiteral("Arial"));
        engine.SetFontSize(10);
        engine.SetFontBold(true);
        engine.PrintText(2, 6, 0, QStringLiteral("STAMPA FATTURATO"));
        engine.PrintTextCentred(2, 40, 0, QStringLiteral("Pagina %1").arg(page + 1));
        engine.SetFontBold(false);
        engine.SetFontName(QStringLiteral("Times New Roman"));
        engine.SetFontSize(8);
        engine.DrawBox(1, 4.5, 3.5, 76.5, 4, 1);
        engine.DrawHLine(4.5, 4.5, 76.5, 4);
        if (withImage)
            engine.DrawImage(100, 9000, 1500, 800, imagePath);
        for (int line = 0; line < linesPerPage; ++line) {
            const double row = 6 + line;
            engine.PrintText(row, 5, 50, reportLine(page, line));
            engine.PrintTextRight(row, 76, 0,
                                  QString("%1.%2,00").arg(1 + page % 9).arg(100 + line));
        }
        engine.DrawVLine(60, 5, 6 + linesPerPage, 2);
        engine.NewPage(); // as layouts do after their last line
    }
    engine.EndDocument();
}

void PrintFixture::setUp()
{
    dir = std::make_unique<QTemporaryDir>();
    oldTemp = qgetenv("TEMP");
    qputenv("TEMP", dir->path().toLocal8Bit());
    PageEngine::resetInstance();
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setOutputFileName(dir->filePath(QStringLiteral("printed.pdf")));
    pageEngine().setPrinter(printer.get());
    pageEngine().setViewerLauncher([](const QString&) { return true; });
}

void PrintFixture::tearDown()
{
    PageEngine::resetInstance();
    printer.reset();
    qputenv("TEMP", oldTemp);
    dir.reset();
}

#include "TestLayout.h"

#include "ApplicationPrinter.h"
#include "PrintRun.h"
#include "ViewerLauncher.h"

void useFont(PageRecorder& recorder, const QString& name, double size)
{
    recorder.SetFontName(name);
    recorder.SetFontSize(size);
    recorder.UnitY = recorder.TextHeight(QStringLiteral("M"));
    recorder.UnitX = recorder.TextWidth(QStringLiteral("M"));
}

QString reportLine(int page, int line)
{
    return QStringLiteral("Fattura %1/%2 Studio tecnico cliente numero %3 - onorario e spese")
        .arg(page + 1)
        .arg(line + 1)
        .arg(page * 100 + line);
}

void recordReport(PageRecorder& recorder, int pages, int linesPerPage, bool withImage,
                  const QString& imagePath)
{
    recorder.BeginDocument();
    useFont(recorder, QStringLiteral("Times New Roman"), 8);
    for (int page = 0; page < pages; ++page) {
        recorder.SetFontName(QStringLiteral("Arial"));
        recorder.SetFontSize(10);
        recorder.SetFontBold(true);
        recorder.PrintText(2, 6, 0, QStringLiteral("STAMPA FATTURATO"));
        recorder.PrintTextCentred(2, 40, 0, QStringLiteral("Pagina %1").arg(page + 1));
        recorder.SetFontBold(false);
        recorder.SetFontName(QStringLiteral("Times New Roman"));
        recorder.SetFontSize(8);
        recorder.DrawBox(1, 4.5, 3.5, 76.5, 4, 1);
        recorder.DrawHLine(4.5, 4.5, 76.5, 4);
        if (withImage)
            recorder.DrawImage(100, 9000, 1500, 800, imagePath);
        for (int line = 0; line < linesPerPage; ++line) {
            const double row = 6 + line;
            recorder.PrintText(row, 5, 50, reportLine(page, line));
            recorder.PrintTextRight(row, 76, 0,
                                    QString("%1.%2,00").arg(1 + page % 9).arg(100 + line));
        }
        recorder.DrawVLine(60, 5, 6 + linesPerPage, 2);
        recorder.NewPage(); // as layouts do after their last line
    }
    recorder.EndDocument();
}

void PrintFixture::setUp()
{
    dir = std::make_unique<QTemporaryDir>();
    oldTemp = qgetenv("TEMP");
    qputenv("TEMP", dir->path().toLocal8Bit());
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setOutputFileName(dir->filePath(QStringLiteral("printed.pdf")));
    setApplicationPrinter(printer.get());
    setViewerLauncher([](const QString&) { return true; });
    run = std::make_unique<PrintRun>(*printer);
}

void PrintFixture::tearDown()
{
    run.reset();
    setViewerLauncher({});
    setApplicationPrinter(nullptr);
    printer.reset();
    qputenv("TEMP", oldTemp);
    dir.reset();
}

PageRecorder& PrintFixture::recorder()
{
    return run->recorder();
}

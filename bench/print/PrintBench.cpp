// Run with QT_QPA_PLATFORM=offscreen when there is no display.
#include "LogTarget.h"
#include "PainterTarget.h"
#include "PdfExport.h"
#include "PreviewGeometry.h"
#include "PrintRun.h"
#include "TestLayout.h"
#include "WriterDocument.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Setup
{
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<PrintRun> run;

    Setup()
    {
        qputenv("TEMP", dir.path().toLocal8Bit());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        run = std::make_unique<PrintRun>(printer);
    }
};

// One page of 80 report lines, replayed onto a preview picture the size it
// has on a 1920 x 1080 screen.
void BM_ReplayPreviewPage(benchmark::State& state)
{
    Setup setup;
    PrintRun& run = *setup.run;
    recordReport(run.recorder(), 1, 80);
    QString error;
    LogTarget log;
    if (!run.ReplayPage(0, log, &error))
        state.SkipWithError(error.toStdString().c_str());
    const int zoom = int(state.range(0));
    const PreviewGeometry g =
        computePreviewGeometry(QSize(1728, 972), 40, run.paperTwips(), zoom, 96);
    QImage picture(g.picture, QImage::Format_RGB32);
    for (auto _ : state) {
        picture.fill(Qt::white);
        QPainter painter(&picture);
        PainterTarget target(painter, PainterTarget::Kind::Preview,
                             picture.width() / run.paperTwips().width());
        run.ReplayPage(0, target);
        painter.end();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetLabel(
        QStringLiteral("%1x%2 px").arg(g.picture.width()).arg(g.picture.height()).toStdString());
}
BENCHMARK(BM_ReplayPreviewPage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ExportPdf1000Pages(benchmark::State& state)
{
    Setup setup;
    PrintRun& run = *setup.run;
    recordReport(run.recorder(), 1000, 80);
    if (run.pageCount() != 1000)
        state.SkipWithError("the report did not record 1000 pages");
    const PdfExportRequest pdf{setup.dir.filePath(QStringLiteral("report.pdf")),
                               {},
                               setup.dir.filePath(QStringLiteral("logo.bmp")),
                               {}};
    for (auto _ : state) {
        QString error;
        if (!ExportPdf(run, 1, run.pageCount(), pdf, &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["MB"] = double(QFileInfo(pdf.path).size()) / 1e6;
}
BENCHMARK(BM_ExportPdf1000Pages)->Unit(benchmark::kSecond)->Iterations(3);

// The document of the PDF writer benchmark (bench_pdfwriter), recorded: the
// same 1000 pages of 80 descriptions and amounts in Arial 8 points, one
// column a point, each description cut to the room left of the amounts as a
// report's column is. Its time against BM_PdfWriter is what replaying and
// exporting add to the writer.
void recordWriterDocument(PageRecorder& recorder)
{
    const auto& lines = writerdoc::lines();
    recorder.BeginDocument();
    recorder.SetFontName(QStringLiteral("Arial"));
    recorder.SetFontSize(writerdoc::kFontSize);
    recorder.UnitX = 20;
    recorder.UnitY = writerdoc::kLineHeight * 20;
    const double room = writerdoc::kRight - writerdoc::kLeft - 60;
    for (int page = 0; page < writerdoc::kPages; ++page) {
        for (int line = 0; line < writerdoc::kLines; ++line) {
            const writerdoc::Line& text = lines[page * writerdoc::kLines + line];
            const double row = 3.5 + line;
            recorder.PrintText(row, writerdoc::kLeft, room,
                               QString::fromStdString(text.description));
            recorder.PrintTextRight(row, writerdoc::kRight, 0, QString::fromStdString(text.amount));
        }
        recorder.NewPage();
    }
    recorder.EndDocument();
}

void BM_ExportPdfWriterDocument(benchmark::State& state)
{
    Setup setup;
    PrintRun& run = *setup.run;
    recordWriterDocument(run.recorder());
    if (run.pageCount() != writerdoc::kPages)
        state.SkipWithError("the document did not record 1000 pages");
    const PdfExportRequest pdf{setup.dir.filePath(QStringLiteral("writer.pdf")), {}, {}, {}};
    for (auto _ : state) {
        QString error;
        if (!ExportPdf(run, 1, run.pageCount(), pdf, &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["file_bytes"] = double(QFileInfo(pdf.path).size());
}
BENCHMARK(BM_ExportPdfWriterDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecordReport1000Pages(benchmark::State& state)
{
    Setup setup;
    PrintRun& run = *setup.run;
    for (auto _ : state)
        recordReport(run.recorder(), 1000, 80);
    if (run.pageCount() != 1000)
        state.SkipWithError("the report did not record 1000 pages");
}
BENCHMARK(BM_RecordReport1000Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Run with QT_QPA_PLATFORM=offscreen when there is no display.
#include "LogTarget.h"
#include "PageEngine.h"
#include "TestLayout.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Setup
{
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};

    Setup()
    {
        qputenv("TEMP", dir.path().toLocal8Bit());
        PageEngine::resetInstance();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        pageEngine().setPrinter(&printer);
        pageEngine().setViewerLauncher([](const QString&) { return true; });
        pageEngine().setLogoFile(dir.filePath(QStringLiteral("logo.bmp")));
    }
};

// One page of 80 report lines, replayed onto a preview picture the size it
// has on a 1920 x 1080 screen.
void BM_ReplayPreviewPage(benchmark::State& state)
{
    Setup setup;
    PageEngine& engine = pageEngine();
    recordReport(engine, 1, 80);
    QString error;
    engine.CurrentPage = 0;
    if (!engine.ReplayPageOnto(*std::make_unique<LogTarget>(), &error))
        state.SkipWithError(error.toStdString().c_str());
    const int zoom = int(state.range(0));
    const PreviewGeometry g =
        computePreviewGeometry(QSize(1728, 972), 40, engine.paperTwips(), zoom, 96);
    QImage picture(g.picture, QImage::Format_RGB32);
    engine.CurrentPage = 0;
    for (auto _ : state) {
        engine.SetupPreview(&picture, g.previewScale);
        engine.ReplayPage();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetLabel(
        QStringLiteral("%1x%2 px").arg(g.picture.width()).arg(g.picture.height()).toStdString());
}
BENCHMARK(BM_ReplayPreviewPage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ExportPdf1000Pages(benchmark::State& state)
{
    Setup setup;
    PageEngine& engine = pageEngine();
    recordReport(engine, 1000, 80);
    if (engine.pageCount() != 1000)
        state.SkipWithError("the report did not record 1000 pages");
    engine.PdfPath = setup.dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        QString error;
        if (!engine.ExportPdf(1, engine.pageCount(), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["MB"] = double(QFileInfo(engine.PdfPath).size()) / 1e6;
}
BENCHMARK(BM_ExportPdf1000Pages)->Unit(benchmark::kSecond)->Iterations(3);

void BM_RecordReport1000Pages(benchmark::State& state)
{
    Setup setup;
    for (auto _ : state)
        recordReport(pageEngine(), 1000, 80);
    if (pageEngine().pageCount() != 1000)
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
    PageEngine::resetInstance();
    return 0;
}

// How long the turnover report takes over 100 000 invoices (about 1 400
// pages; FALMIDE_BENCH_INVOICES sets another number): recorded, then
// exported to PDF, against a target of 1.0 s, with the room its page files
// take, and
// beside it the same pages drawn with Qt's QPdfWriter; and how long its list
// window takes to fill and show, against a target of 1 s. Run
// from a release build:
//   build-release/bench/reports/bench_periodo
#include "AppContext.h"
#include "ListModel.h"
#include "ListWindow.h"
#include "PainterTarget.h"
#include "PdfExport.h"
#include "PeriodReportLayout.h"
#include "PrintRun.h"

#include "BenchInvoices.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

int invoiceCount()
{
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("FALMIDE_BENCH_INVOICES", &ok);
    return ok && count > 0 ? count : 100000;
}

// The bytes of the page files of a recorded document.
qint64 pageBytes(PrintRun& run)
{
    qint64 bytes = 0;
    for (int page = 0; page < run.pageCount(); ++page)
        bytes += QFileInfo(run.pageFilePath(page)).size();
    return bytes;
}

// The invoice archive of the benchmarks (BenchInvoices.h). main() drops it
// while the application still exists: the database cannot be closed once
// Qt SQL is gone.
struct Fixture
{
    QTemporaryDir dir;
    AppContext ctx;
    QPrinter printer{QPrinter::HighResolution};

    Fixture()
    {
        // The page files go where the program puts them.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        ctx.programFolder = dir.path();
        QString error;
        if (!ctx.DbArchivi.open(ctx.databaseFile(), &error))
            qFatal("%s", qPrintable(error));
        benchdata::fillInvoiceArchive(ctx.DbArchivi, invoiceCount());
    }
};

std::unique_ptr<Fixture>& fixture()
{
    static std::unique_ptr<Fixture> instance;
    if (!instance)
        instance = std::make_unique<Fixture>();
    return instance;
}

const ParametriLista kEveryDate{QDate(1, 1, 1), QDate(9999, 12, 31), {}, false};

// "Stampa" and then "Esporta PDF ..." on the default period: every invoice.
void BM_FatturatoStampaEsporta(benchmark::State& state)
{
    Fixture& f = *fixture();
    const PdfExportRequest pdf{f.dir.filePath(QStringLiteral("Stampe/Fatturato.pdf")), {}, {}, {}};
    int pages = 0;
    double recordMs = 0;
    qint64 recordedBytes = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        PrintRun run(f.printer);
        QString error;
        run.recorder().BeginDocument(&error);
        error += StampaPeriodo(run.recorder(), f.ctx.DbArchivi, PeriodReport::Fatturato, kEveryDate,
                               QStringLiteral("01/01/0001"), QStringLiteral("31/12/9999"));
        run.recorder().EndDocument(&error);
        recordMs += double(clock.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        recordedBytes = pageBytes(run);
        state.ResumeTiming();
        if (!error.isEmpty() || !ExportPdf(run, 1, run.pageCount(), pdf, &error))
            state.SkipWithError(error.toStdString().c_str());
        pages = run.pageCount();
    }
    state.counters["pages"] = pages;
    // The part of the time spent recording, the rest exporting.
    state.counters["record_ms"] = benchmark::Counter(recordMs, benchmark::Counter::kAvgIterations);
    state.counters["MB"] = double(QFileInfo(pdf.path).size()) / 1e6;
    state.counters["page_MB"] = double(recordedBytes) / 1e6;
}
BENCHMARK(BM_FatturatoStampaEsporta)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: the same report recorded the same way, its pages then
// drawn with QPdfWriter (at the printer's resolution) instead of the
// program's own PDF writer.
void BM_FatturatoStampaQPdfWriter(benchmark::State& state)
{
    Fixture& f = *fixture();
    const QString path = f.dir.filePath(QStringLiteral("Stampe/Fatturato-qt.pdf"));
    int pages = 0;
    for (auto _ : state) {
        PrintRun run(f.printer);
        QString error;
        run.recorder().BeginDocument(&error);
        error += StampaPeriodo(run.recorder(), f.ctx.DbArchivi, PeriodReport::Fatturato, kEveryDate,
                               QStringLiteral("01/01/0001"), QStringLiteral("31/12/9999"));
        run.recorder().EndDocument(&error);
        QPdfWriter writer(path);
        writer.setResolution(f.printer.resolution());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins({});
        QPainter painter(&writer);
        PainterTarget target(painter, PainterTarget::Kind::Printer, writer.resolution() / 1440.0);
        for (int page = 0; page < run.pageCount() && error.isEmpty(); ++page)
            if ((page > 0 && !writer.newPage()) || !run.ReplayPage(page, target, &error))
                error += QStringLiteral("page %1 not drawn").arg(page + 1);
        painter.end();
        if (!error.isEmpty())
            state.SkipWithError(error.toStdString().c_str());
        pages = run.pageCount();
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_FatturatoStampaQPdfWriter)->Unit(benchmark::kMillisecond)->UseRealTime();

// The list window of the same selection, filled and painted as first shown.
void BM_DispFATFill(benchmark::State& state)
{
    Fixture& f = *fixture();
    int rows = 0;
    for (auto _ : state) {
        DispFAT list(f.ctx, kEveryDate);
        list.show();
        list.Lavori()->viewport()->repaint();
        QApplication::processEvents();
        rows = list.model()->rowCount();
        state.PauseTiming();
        list.hide();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_DispFATFill)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture().reset();
    return 0;
}

// How long the consult window takes to open and to change its year filter on
// 100 000 and on 1 000 000 invoices (a tenth of them a year over ten years,
// 500 clients). The target is under 200 ms to open on a million. Run from a
// release build:
//   build-release/bench/reports/bench_consulta
// With FALMIDE_BENCH_KEEP=FOLDER the databases stay in FOLDER/consulta-<n>/
// and the statement of the every-year list is written to
// FOLDER/consulta.sql, for the sqlite3 reference of tools/benchmarks.sh.
#include "AppContext.h"
#include "Consulta.h"
#include "ConsultaModel.h"
#include "ConsultaRules.h"
#include "SqlDialect.h"

#include "BenchInvoices.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

// The data of every benchmark of one size, made on first use. main() drops
// it while the application still exists: the database cannot be closed once
// Qt SQL is gone.
struct Fixture
{
    QTemporaryDir dir;
    AppContext ctx;
};

// The folder of a database of `invoices` invoices: a kept one, emptied
// first, or the fixture's temporary one.
QString fixtureFolder(const Fixture& fixture, int invoices)
{
    const QString keep = qEnvironmentVariable("FALMIDE_BENCH_KEEP");
    if (keep.isEmpty())
        return fixture.dir.path();
    QFile statement(keep + QStringLiteral("/consulta.sql"));
    if (!statement.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        statement.write(
            consulta::invoicesStatement(embeddedDialect(), QStringLiteral("Fatture"), {}, {})
                .sql.toUtf8() +
            ";\n") < 0)
        qFatal("cannot write %s", qPrintable(statement.fileName()));
    QDir folder(keep + QStringLiteral("/consulta-") + QString::number(invoices));
    folder.removeRecursively();
    folder.mkpath(QStringLiteral("."));
    return folder.path();
}

std::map<int, std::unique_ptr<Fixture>>& fixtures()
{
    static std::map<int, std::unique_ptr<Fixture>> instances;
    return instances;
}

AppContext& context(int invoices)
{
    std::unique_ptr<Fixture>& slot = fixtures()[invoices];
    if (!slot) {
        slot = std::make_unique<Fixture>();
        AppContext& ctx = slot->ctx;
        ctx.programFolder = fixtureFolder(*slot, invoices);
        QString error;
        if (!ctx.DbArchivi.open(ctx.databaseFile(), &error))
            qFatal("%s", qPrintable(error));
        benchdata::fillInvoiceArchive(ctx.DbArchivi, invoices);
    }
    return slot->ctx;
}

// Paints the grid as the user first sees it.
void paintGrid(Consulta& window)
{
    window.Richieste()->viewport()->repaint();
    QApplication::processEvents();
}

// The window as the menu opens it: the latest year's invoices, shown.
void BM_ConsultaOpen(benchmark::State& state)
{
    AppContext& ctx = context(int(state.range(0)));
    for (auto _ : state) {
        Consulta window(ctx, {});
        window.show();
        paintGrid(window);
        benchmark::DoNotOptimize(window.model()->recordCount());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConsultaOpen)
    ->Arg(100000)
    ->Arg(1000000)
    ->ArgNames({"invoices"})
    ->Unit(benchmark::kMillisecond);

// Choosing the empty year (all 100 000 invoices), or one year after all, as
// the user does in the year list.
void BM_ConsultaChangeYear(benchmark::State& state)
{
    AppContext& ctx = context(int(state.range(1)));
    Consulta window(ctx, {});
    window.show();
    paintGrid(window);
    QComboBox* anno = window.Anno();
    const bool toAll = state.range(0) == 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int from = toAll ? anno->count() - 1 : 0;
        anno->setCurrentIndex(from);
        emit anno->activated(from);
        const int to = toAll ? 0 : anno->count() - 1;
        state.ResumeTiming();
        anno->setCurrentIndex(to);
        emit anno->activated(to);
        paintGrid(window);
        benchmark::DoNotOptimize(window.model()->recordCount());
    }
    state.counters["rows"] = window.model()->recordCount();
}
BENCHMARK(BM_ConsultaChangeYear)
    ->ArgsProduct({{0, 1}, {100000, 1000000}})
    ->ArgNames({"oneYear", "invoices"})
    ->Unit(benchmark::kMillisecond);

// The query and the total alone, without the window.
void BM_AggiornaElencoAllYears(benchmark::State& state)
{
    AppContext& ctx = context(int(state.range(0)));
    QString error;
    for (auto _ : state) {
        const auto invoices = AggiornaElenco(ctx.DbArchivi, "Fatture", "", "", &error);
        benchmark::DoNotOptimize(invoices->totalFees);
    }
}
BENCHMARK(BM_AggiornaElencoAllYears)
    ->Arg(100000)
    ->Arg(1000000)
    ->ArgNames({"invoices"})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtures().clear();
    return 0;
}

// How long the consult window takes to open and to change its year filter on
// 100 000 and on 1 000 000 invoices (a tenth of them a year over ten years,
// 500 clients), on the embedded file and, when FALMIDE_BENCH_SERVER names a
// database server (BenchServer.h), on the same invoices there. The target
// is under 200 ms to open on a million, and on a server within twice the
// file's time. Run from a release build:
//   build-release/bench/reports/bench_consulta
// With FALMIDE_BENCH_KEEP=FOLDER the databases stay in FOLDER/consulta-<n>/
// (on the server, as the databases falmide_consulta_<n>) and the statement
// of the every-year list is written to FOLDER/consulta.sql and
// FOLDER/consulta-server.sql, for the sqlite3 and psql references of
// tools/benchmarks.sh.
#include "AppContext.h"
#include "Consulta.h"
#include "ConsultaModel.h"
#include "ConsultaRules.h"
#include "SqlDialect.h"

#include "BenchInvoices.h"
#include "BenchServer.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <utility>

namespace {

enum class Engine { Embedded, Server };

const char* engineName(Engine engine)
{
    return engine == Engine::Server ? "server" : "embedded";
}

// The data of every benchmark of one engine and size, made on first use.
// main() drops it while the application still exists: the database cannot
// be closed once Qt SQL is gone.
struct Fixture
{
    QTemporaryDir dir;
    AppContext ctx;
};

void writeStatement(const QString& path, const SqlDialect& dialect)
{
    QFile statement(path);
    if (!statement.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        statement.write(
            consulta::invoicesStatement(dialect, QStringLiteral("Fatture"), {}, {}).sql.toUtf8() +
            ";\n") < 0)
        qFatal("cannot write %s", qPrintable(statement.fileName()));
}

// The folder of a database of `invoices` invoices: a kept one, emptied
// first, or the fixture's temporary one.
QString fixtureFolder(const Fixture& fixture, int invoices)
{
    const QString keep = qEnvironmentVariable("FALMIDE_BENCH_KEEP");
    if (keep.isEmpty())
        return fixture.dir.path();
    writeStatement(keep + QStringLiteral("/consulta.sql"), embeddedDialect());
    QDir folder(keep + QStringLiteral("/consulta-") + QString::number(invoices));
    folder.removeRecursively();
    folder.mkpath(QStringLiteral("."));
    return folder.path();
}

std::map<std::pair<Engine, int>, std::unique_ptr<Fixture>>& fixtures()
{
    static std::map<std::pair<Engine, int>, std::unique_ptr<Fixture>> instances;
    return instances;
}

AppContext& context(Engine engine, int invoices)
{
    if (const auto found = fixtures().find({engine, invoices}); found != fixtures().end())
        return found->second->ctx;
    // The server gets the very rows of the file: both are measured on the
    // same data.
    AppContext* file = engine == Engine::Server ? &context(Engine::Embedded, invoices) : nullptr;
    std::unique_ptr<Fixture>& slot = fixtures()[{engine, invoices}];
    slot = std::make_unique<Fixture>();
    AppContext& ctx = slot->ctx;
    QString error;
    if (engine == Engine::Embedded) {
        ctx.programFolder = fixtureFolder(*slot, invoices);
        if (!ctx.DbArchivi.open(ctx.databaseFile(), &error))
            qFatal("%s", qPrintable(error));
        benchdata::fillInvoiceArchive(ctx.DbArchivi, invoices);
        return ctx;
    }
    ctx.programFolder = slot->dir.path();
    const ServerConnection server = benchdata::freshServerDatabase(
        *benchdata::benchServer(), QStringLiteral("falmide_consulta_%1").arg(invoices));
    if (!ctx.DbArchivi.openServer(server, &error))
        qFatal("%s", qPrintable(error));
    for (const char* table : {"Clienti", "Fatture"})
        benchdata::copyRowsInBulk(file->DbArchivi, ctx.DbArchivi, QLatin1String(table));
    benchdata::analyzeTables(ctx.DbArchivi);
    if (const QString keep = qEnvironmentVariable("FALMIDE_BENCH_KEEP"); !keep.isEmpty())
        writeStatement(keep + QStringLiteral("/consulta-server.sql"), serverDialect());
    return ctx;
}

// Paints the grid as the user first sees it.
void paintGrid(Consulta& window)
{
    window.Richieste()->viewport()->repaint();
    QApplication::processEvents();
}

// The window as the menu opens it: the latest year's invoices, shown.
void BM_ConsultaOpen(benchmark::State& state, Engine engine)
{
    AppContext& ctx = context(engine, int(state.range(0)));
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

// Choosing the empty year (every invoice), or one year after all, as the
// user does in the year list.
void BM_ConsultaChangeYear(benchmark::State& state, Engine engine)
{
    AppContext& ctx = context(engine, int(state.range(1)));
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

// The query and the total alone, without the window.
void BM_AggiornaElencoAllYears(benchmark::State& state, Engine engine)
{
    AppContext& ctx = context(engine, int(state.range(0)));
    QString error;
    for (auto _ : state) {
        const auto invoices = AggiornaElenco(ctx.DbArchivi, "Fatture", "", "", &error);
        if (!invoices)
            qFatal("%s", qPrintable(error));
        benchmark::DoNotOptimize(invoices->totalFees);
    }
}

// Every benchmark on the engine, named BM_<what>/<engine>/<arguments>.
void registerBenchmarks(Engine engine)
{
    auto name = [engine](const char* what) { return std::string(what) + "/" + engineName(engine); };
    benchmark::RegisterBenchmark(name("BM_ConsultaOpen").c_str(), BM_ConsultaOpen, engine)
        ->Arg(100000)
        ->Arg(1000000)
        ->ArgNames({"invoices"})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(name("BM_ConsultaChangeYear").c_str(), BM_ConsultaChangeYear,
                                 engine)
        ->ArgsProduct({{0, 1}, {100000, 1000000}})
        ->ArgNames({"oneYear", "invoices"})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(name("BM_AggiornaElencoAllYears").c_str(),
                                 BM_AggiornaElencoAllYears, engine)
        ->Arg(100000)
        ->Arg(1000000)
        ->ArgNames({"invoices"})
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerBenchmarks(Engine::Embedded);
    if (benchdata::benchServer())
        registerBenchmarks(Engine::Server);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtures().clear();
    return 0;
}

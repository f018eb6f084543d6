// How long the consult window takes to open and to change its year filter on
// 100 000 invoices (10 000 a year over ten years, 500 clients). The target is
// under a second for each. Run from a release build:
//   build-release/bench/reports/bench_consulta
#include "AppContext.h"
#include "Consulta.h"
#include "ConsultaModel.h"
#include "ConsultaRules.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QTableView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kInvoices = 100000;
constexpr int kYears = 10;
constexpr int kClients = 500;

// The data of every benchmark, made on first use. main() drops it while the
// application still exists: the database cannot be closed once Qt SQL is gone.
struct Fixture
{
    QTemporaryDir dir;
    AppContext ctx;
};

std::unique_ptr<Fixture>& fixture()
{
    static std::unique_ptr<Fixture> instance;
    return instance;
}

AppContext& context()
{
    std::unique_ptr<Fixture>& slot = fixture();
    if (!slot) {
        slot = std::make_unique<Fixture>();
        QTemporaryDir& dir = slot->dir;
        AppContext& ctx = slot->ctx;
        ctx.programFolder = dir.path();
        QString error;
        ctx.DbArchivi.open(ctx.databaseFile(), &error);
        ctx.DbArchivi.begin(&error);
        for (int c = 0; c < kClients; ++c) {
            const QString code = QStringLiteral("C%1").arg(c, 4, 10, QLatin1Char('0'));
            ctx.DbArchivi.execute(
                QStringLiteral(
                    "INSERT INTO Clienti (Chiave, CodCliente, Denominazione) VALUES (?, ?, ?)"),
                {code.leftJustified(10), code, QStringLiteral("Cliente numero %1 S.r.l.").arg(c)},
                &error);
        }
        const int perYear = kInvoices / kYears;
        for (int i = 0; i < kInvoices; ++i) {
            const int year = 2015 + i / perYear;
            const int number = i % perYear + 1;
            const QDate date = QDate(year, 1, 1).addDays(number * 364 / perYear);
            ctx.DbArchivi.execute(
                QStringLiteral("INSERT INTO Fatture VALUES (?, ?, ?, ?, ?, ?, ?, 22, 4, 20, ?, ?, "
                               "?, ?, ?, ?, 200)"),
                {QString::number(year) + QString::number(number).rightJustified(10),
                 date.toString(Qt::ISODate), number,
                 QStringLiteral("C%1").arg(i % kClients, 4, 10, QLatin1Char('0')),
                 QStringLiteral("Rilievo topografico e pratica catastale n. %1").arg(i),
                 QStringLiteral("Prestazione professionale\nsecondo incarico del %1")
                     .arg(date.toString("dd/MM/yyyy")),
                 qint64(100000 + i), date.addDays(30).toString(Qt::ISODate),
                 QStringLiteral("Pagata con bonifico"), qint64(22880), qint64(4000), qint64(20000),
                 qint64(5000)},
                &error);
        }
        ctx.DbArchivi.commit(&error);
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
    AppContext& ctx = context();
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
BENCHMARK(BM_ConsultaOpen)->Unit(benchmark::kMillisecond);

// Choosing the empty year (all 100 000 invoices), or one year after all, as
// the user does in the year list.
void BM_ConsultaChangeYear(benchmark::State& state)
{
    AppContext& ctx = context();
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
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"oneYear"})
    ->Unit(benchmark::kMillisecond);

// The query and the total alone, without the window.
void BM_AggiornaElencoAllYears(benchmark::State& state)
{
    AppContext& ctx = context();
    QString error;
    for (auto _ : state) {
        const auto invoices = AggiornaElenco(ctx.DbArchivi, "Fatture", "", "", &error);
        benchmark::DoNotOptimize(invoices->totalFees);
    }
}
BENCHMARK(BM_AggiornaElencoAllYears)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture().reset();
    return 0;
}

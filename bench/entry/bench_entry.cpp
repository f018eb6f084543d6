// How long the code list and the record grid take to open on a table of
// 10 000 clients. Run from a release build:
//   build/bench/entry/bench_entry
#include "AppContext.h"
#include "CodeList.h"
#include "F6.h"
#include "FconsCOD.h"
#include "Recordset.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kClients = 10000;

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
        QString error;
        ctx.DbArchivi.open(dir.filePath("falmide.db"), &error);
        auto rs = Recordset::OpenTable(ctx.DbArchivi, "Clienti", &error);
        ctx.DbArchivi.begin(&error);
        for (int i = 0; i < kClients; ++i) {
            rs->AddNew();
            const QString code = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'));
            rs->setValue(0, code);
            rs->setValue(1, code);
            rs->setValue(2, QStringLiteral("Cliente numero %1 S.r.l.").arg(i));
            rs->setValue(3, QStringLiteral("Via Garibaldi %1").arg(i % 200));
            rs->setValue(4, QStringLiteral("Bologna"));
            rs->setValue(8, QStringLiteral("Note del cliente %1").arg(i));
            rs->Update();
        }
        ctx.DbArchivi.commit(&error);
    }
    return slot->ctx;
}

void BM_CodeListLines(benchmark::State& state)
{
    AppContext& ctx = context();
    QStringList lines;
    int width = 0;
    QString error;
    for (auto _ : state) {
        codeListLines(ctx.DbArchivi, "Clienti", 2, &lines, &width, &error);
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(BM_CodeListLines)->Unit(benchmark::kMillisecond);

// The code list window as the user opens it: built and filled.
void BM_F6Open(benchmark::State& state)
{
    AppContext& ctx = context();
    for (auto _ : state) {
        F6 list(ctx, FieldDeclaration::parse("AOLA0002"), {});
        list.fillList();
        benchmark::DoNotOptimize(list.Lista()->count());
    }
}
BENCHMARK(BM_F6Open)->Unit(benchmark::kMillisecond);

// The record grid: the query, the grid model (first 2000 rows) and the view.
void BM_FconsCODOpen(benchmark::State& state)
{
    AppContext& ctx = context();
    for (auto _ : state) {
        FconsCOD grid(ctx, Table::Clienti);
        benchmark::DoNotOptimize(&grid);
    }
}
BENCHMARK(BM_FconsCODOpen)->Unit(benchmark::kMillisecond);

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

// What checking the database costs on 100 000 invoices (a tenth of them a
// year over ten years, 500 clients): the open the program does at every
// start, SQLite's quick check and full check, and the day's copy (the pages
// copied, then the copy's full check), against the start of a minimal Qt
// Widgets program.
// Run from a release build:
//   build-release/bench/data/bench_database_check
#include "BenchInvoices.h"
#include "DailyCopies.h"
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "SqliteFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kInvoices = 100000;

struct Fixture
{
    QTemporaryDir dir;
    QString path;
};

std::unique_ptr<Fixture>& fixture()
{
    static std::unique_ptr<Fixture> instance;
    return instance;
}

const QString& databasePath()
{
    std::unique_ptr<Fixture>& f = fixture();
    if (f)
        return f->path;
    f = std::make_unique<Fixture>();
    f->path = f->dir.filePath(QStringLiteral("falmide.db"));
    Database db;
    QString error;
    if (!db.open(f->path, &error))
        qFatal("%s", qPrintable(error));
    benchdata::fillInvoiceArchive(db, kInvoices);
    return f->path;
}

void BM_MinimalQtProgramStart(benchmark::State& state)
{
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(MINIMAL_QT_PROGRAM), {});
        p.waitForFinished();
    }
}
BENCHMARK(BM_MinimalQtProgramStart)->Unit(benchmark::kMillisecond);

// What every start does today: open, check the tables' columns.
void BM_OpenDatabase(benchmark::State& state)
{
    const QString& path = databasePath();
    for (auto _ : state) {
        Database db;
        QString error;
        benchmark::DoNotOptimize(db.open(path, &error));
    }
}
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMillisecond);

void BM_QuickCheck(benchmark::State& state)
{
    const QString& path = databasePath();
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
    for (auto _ : state) {
        SqliteFile file;
        file.open(path, true);
        benchmark::DoNotOptimize(file.value(QStringLiteral("PRAGMA quick_check")));
    }
}
BENCHMARK(BM_QuickCheck)->Unit(benchmark::kMillisecond);

void BM_IntegrityCheck(benchmark::State& state)
{
    const QString& path = databasePath();
    for (auto _ : state)
        benchmark::DoNotOptimize(checkDatabase(path, false));
}
BENCHMARK(BM_IntegrityCheck)->Unit(benchmark::kMillisecond);

// The first start of a day: the copy, and the full check of the copy.
void BM_DailyCopy(benchmark::State& state)
{
    const QString& path = databasePath();
    const QString folder = QFileInfo(path).absolutePath();
    for (auto _ : state) {
        QDir(dailyCopyFolder(folder)).removeRecursively();
        benchmark::DoNotOptimize(makeDailyCopy(path, folder, QDate(2026, 12, 7)));
    }
}
BENCHMARK(BM_DailyCopy)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture().reset();
    return 0;
}

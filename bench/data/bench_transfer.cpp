// What copying the archives between databases costs on 100 000 invoices (a
// tenth of them a year over ten years, 500 clients): the copy into a new,
// empty database (tallied on both sides before it is kept), the tally of one
// database alone, and a copy written as a file of its own, against the day's
// copy of the same file.
// Run from a release build:
//   build-release/bench/data/bench_transfer
#include "ArchiveTally.h"
#include "ArchiveTransfer.h"
#include "BenchInvoices.h"
#include "DatabaseMaintenance.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kInvoices = 100000;

struct Fixture
{
    QTemporaryDir dir;
    Database source;
};

std::unique_ptr<Fixture>& fixture()
{
    static std::unique_ptr<Fixture> instance;
    return instance;
}

Database& source()
{
    std::unique_ptr<Fixture>& f = fixture();
    if (f)
        return f->source;
    f = std::make_unique<Fixture>();
    QString error;
    if (!f->source.open(f->dir.filePath(QStringLiteral("falmide.db")), &error))
        qFatal("%s", qPrintable(error));
    benchdata::fillInvoiceArchive(f->source, kInvoices);
    return f->source;
}

QString targetPath()
{
    return fixture()->dir.filePath(QStringLiteral("copia.db"));
}

void BM_CopyArchives(benchmark::State& state)
{
    Database& from = source();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(targetPath());
        Database to;
        QString error;
        if (!to.open(targetPath(), &error))
            qFatal("%s", qPrintable(error));
        state.ResumeTiming();
        if (!copyArchives(from, to, &error))
            qFatal("%s", qPrintable(error));
    }
}
BENCHMARK(BM_CopyArchives)->Unit(benchmark::kMillisecond);

void BM_TallyArchives(benchmark::State& state)
{
    Database& db = source();
    for (auto _ : state) {
        ArchiveTally tally;
        QString error;
        benchmark::DoNotOptimize(tallyArchives(db, &tally, &error));
    }
}
BENCHMARK(BM_TallyArchives)->Unit(benchmark::kMillisecond);

void BM_WriteSnapshotFile(benchmark::State& state)
{
    Database& from = source();
    for (auto _ : state) {
        QString error;
        if (!writeSnapshotFile(from, targetPath(), &error))
            qFatal("%s", qPrintable(error));
    }
}
BENCHMARK(BM_WriteSnapshotFile)->Unit(benchmark::kMillisecond);

// The embedded engine's own copy of the same file, for reference.
void BM_EmbeddedBackup(benchmark::State& state)
{
    const QString path = source().path();
    for (auto _ : state)
        benchmark::DoNotOptimize(backupDatabase(path, targetPath()));
}
BENCHMARK(BM_EmbeddedBackup)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture().reset();
    return 0;
}

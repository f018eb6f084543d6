// What checking the database costs on 100 000 invoices (a tenth of them a
// year over ten years, 500 clients): the open the program does at every
// start, SQLite's quick check and full check, and the day's copy (a quick
// check, then the copy), against the start of a minimal Qt Widgets program.
// Run from a release build:
//   build-release/bench/data/bench_database_check
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
    db.open(f->path, &error);
    db.begin(&error);
    db.execute(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c "
                              "WHERE i + 1 < 500) INSERT INTO Clienti (Chiave, CodCliente, "
                              "Denominazione) SELECT printf('%-10s', printf('C%04d', i)), "
                              "printf('C%04d', i), 'Cliente numero ' || i || ' S.r.l.' FROM c"),
               {}, &error);
    const int perYear = kInvoices / 10;
    db.execute(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1), "
            "f(i, year, number) AS (SELECT i, 2015 + i / %2, i % %2 + 1 FROM n), "
            "d(i, year, number, day) AS (SELECT i, year, number, "
            "date(printf('%04d-01-01', year), '+' || (number * 364 / %2) || ' days') FROM f) "
            "INSERT INTO Fatture SELECT printf('%04d%10d', year, number), day, number, "
            "printf('C%04d', i % 500), 'Rilievo topografico e pratica catastale n. ' || i, "
            "'Prestazione professionale' || char(10) || 'secondo incarico del ' || "
            "strftime('%d/%m/%Y', day), 100000 + i, 22, 4, 20, date(day, '+30 days'), "
            "'Pagata con bonifico', 22880, 4000, 20000, 5000, 200 FROM d")
            .arg(kInvoices)
            .arg(perYear),
        {}, &error);
    db.commit(&error);
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));
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

// The first start of a day: quick check, copy, check of the copy.
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

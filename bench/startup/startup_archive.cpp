// Writes the data folder of the benchmark of a day's first start
// (tools/benchmarks.sh): DIR/falmide.db with the benchmarks' invoice archive.
//   bench_startup_archive DIR [INVOICES]    (100 000 unless given)
#include "BenchInvoices.h"
#include "Database.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: bench_startup_archive DIR [INVOICES]\n");
        return 2;
    }
    bool valid = true;
    const int invoices = arguments.size() == 3 ? arguments.at(2).toInt(&valid) : 100000;
    const QString folder = arguments.at(1);
    if (!valid || invoices < benchdata::kYears || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "bench_startup_archive: cannot write %s invoices in %s\n",
                     qPrintable(arguments.value(2)), qPrintable(folder));
        return 1;
    }
    Database db;
    QString error;
    if (!db.open(QDir(folder).filePath(QStringLiteral("falmide.db")), &error)) {
        std::fprintf(stderr, "bench_startup_archive: %s\n", qPrintable(error));
        return 1;
    }
    benchdata::fillInvoiceArchive(db, invoices);
    return 0;
}

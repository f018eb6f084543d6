// A separate process for the fault tests: one that can be killed at any
// moment, and one that runs as an ordinary user when the tests run as root
// (root writes through any permission, so a read-only file or folder would
// test nothing).
//
//   falmide_fault_helper save-loop <db>        saves clients until killed,
//                                              printing each code once saved
//   falmide_fault_helper open <db>             opens and tries one save
//   falmide_fault_helper compact <db>          compacts
//   falmide_fault_helper backup <db> <target>  copies
//
// The exit status is 0 when the work succeeded; the reason of a failure is
// printed.
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <cstdio>
#include <grp.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

bool addClient(Recordset& rs, const QString& code, QString* error)
{
    rs.AddNew();
    rs.setValue(0, code);
    rs.setValue(1, code);
    rs.setValue(2, QStringLiteral("Cliente %1").arg(code));
    if (rs.Update())
        return true;
    *error = rs.lastError();
    rs.CancelUpdate();
    return false;
}

int saveLoop(const QString& path)
{
    Database db;
    QString error;
    if (!db.open(path, &error))
        return std::printf("%s\n", qPrintable(error)), 1;
    auto rs = Recordset::OpenTable(db, QStringLiteral("Clienti"), &error);
    if (!rs)
        return std::printf("%s\n", qPrintable(error)), 1;
    // Codes go on from the last one saved, across the runs that were killed.
    int next = rs->MoveLast() && !rs->Eof() ? rs->text(0).trimmed().toInt() + 1 : 1;
    for (;; ++next) {
        const QString code = QString::number(next).rightJustified(9, QLatin1Char('0'));
        if (!addClient(*rs, code, &error))
            return std::printf("%s\n", qPrintable(error)), 1;
        std::printf("%s\n", qPrintable(code));
        std::fflush(stdout);
    }
}

int openAndSave(const QString& path)
{
    Database db;
    QString error;
    if (!db.open(path, &error))
        return std::printf("open: %s\n", qPrintable(error)), 1;
    std::printf("readonly=%d\n", db.readOnly() ? 1 : 0);
    auto rs = Recordset::OpenTable(db, QStringLiteral("Clienti"), &error);
    if (!rs || !addClient(*rs, QStringLiteral("NUOVO"), &error))
        return std::printf("save: %s\n", qPrintable(error)), 1;
    return 0;
}

int report(const MaintenanceResult& result)
{
    if (result.ok)
        return 0;
    std::printf("%s\n", qPrintable(result.error.description));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args.at(1);
    if (mode == QLatin1String("save-loop"))
        return saveLoop(args.at(2));
    if (getuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
        return std::printf("cannot drop root\n"), 2;
    if (mode == QLatin1String("open"))
        return openAndSave(args.at(2));
    if (mode == QLatin1String("compact"))
        return report(compactDatabase(args.at(2)));
    if (mode == QLatin1String("backup") && args.size() > 3)
        return report(backupDatabase(args.at(2), args.at(3)));
    return 2;
}

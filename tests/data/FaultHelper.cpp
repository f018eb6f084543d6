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
//   falmide_fault_helper lock <folder>         takes the data folder's lock
//   falmide_fault_helper hold-lock <folder>    takes it and waits, printing "held"
//   falmide_fault_helper hold-db <db> <ms>     holds a write lock on the database
//   falmide_fault_helper compact-kill <db> <step>  compacts, killed at the step
//   falmide_fault_helper stage <target> [term] starts a staged file and waits,
//                                              printing its path; with "term",
//                                              ends on SIGTERM as commands do
//   falmide_fault_helper repair-eio <db> <n>   repairs, the disk failing at the
//                                              n-th read of the file
//
// The exit status is 0 when the work succeeded; the reason of a failure is
// printed.
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "FaultPoint.h"
#include "InstanceLock.h"
#include "Recordset.h"
#include "SqliteFile.h"
#include "StagedFile.h"
#include "TemporaryFiles.h"

#include <QCoreApplication>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sqlite3.h>
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

const char* g_killAt = nullptr;

void killAtStep(const char* step)
{
    if (g_killAt && std::strcmp(step, g_killAt) == 0)
        ::raise(SIGKILL);
}

// The disk fails the n-th read of a main database file, and every read after.
sqlite3_vfs g_eio;
sqlite3_io_methods g_eioMethods;
const sqlite3_io_methods* g_realMethods = nullptr;
int g_readsLeft = 0;

int failingRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    if (--g_readsLeft < 0)
        return SQLITE_IOERR_READ;
    return g_realMethods->xRead(file, buffer, amount, offset);
}

int openFailing(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* out)
{
    auto* real = static_cast<sqlite3_vfs*>(vfs->pAppData);
    const int rc = real->xOpen(real, name, file, flags, out);
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && file->pMethods) {
        g_realMethods = file->pMethods;
        g_eioMethods = *file->pMethods;
        g_eioMethods.xRead = failingRead;
        file->pMethods = &g_eioMethods;
    }
    return rc;
}

void installFailingDisk(int reads)
{
    sqlite3_initialize();
    sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    g_eio = *real;
    g_eio.zName = "eio";
    g_eio.pAppData = real;
    g_eio.xOpen = openFailing;
    g_readsLeft = reads;
    sqlite3_vfs_register(&g_eio, 1);
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
    if (mode == QLatin1String("hold-lock")) {
        InstanceLock lock(args.at(2));
        QString error;
        if (!lock.acquire(&error))
            return std::printf("%s\n", qPrintable(error)), 1;
        std::printf("held\n");
        std::fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    if (mode == QLatin1String("hold-db") && args.size() > 3) {
        SqliteFile file;
        if (!file.open(args.at(2)) || !file.exec(QStringLiteral("BEGIN EXCLUSIVE")))
            return std::printf("%s\n", qPrintable(file.errorText())), 1;
        std::printf("held\n");
        std::fflush(stdout);
        QThread::msleep(args.at(3).toULong());
        return 0;
    }
    if (mode == QLatin1String("compact-kill") && args.size() > 3) {
        static const QByteArray step = args.at(3).toUtf8();
        g_killAt = step.constData();
        setFaultPointHandler(killAtStep);
        return report(compactDatabase(args.at(2)));
    }
    if (mode == QLatin1String("stage")) {
        if (args.value(3) == QLatin1String("term"))
            removeTemporariesOnTermination();
        StagedFile staged(args.at(2));
        QString error;
        if (!staged.create(&error))
            return std::printf("%s\n", qPrintable(error)), 1;
        std::printf("%s\n", qPrintable(staged.path()));
        std::fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    if (mode == QLatin1String("repair-eio") && args.size() > 3) {
        installFailingDisk(args.at(3).toInt());
        return report(repairDatabase(args.at(2)));
    }
    if (getuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
        return std::printf("cannot drop root\n"), 2;
    if (mode == QLatin1String("open"))
        return openAndSave(args.at(2));
    if (mode == QLatin1String("lock")) {
        InstanceLock lock(args.at(2));
        QString error;
        if (!lock.acquire(&error))
            return std::printf("%s\n", qPrintable(error)), 1;
        return 0;
    }
    if (mode == QLatin1String("compact"))
        return report(compactDatabase(args.at(2)));
    if (mode == QLatin1String("backup") && args.size() > 3)
        return report(backupDatabase(args.at(2), args.at(3)));
    return 2;
}

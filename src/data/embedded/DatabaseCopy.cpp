// Compaction and copies: both write the database anew with VACUUM INTO,
// which reads one consistent state of the file and writes it without free
// pages, into a temporary file beside the target.
#include "DatabaseMaintenance.h"
#include "KeptFiles.h"
#include "MaintenanceSupport.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include "FaultPoint.h"
#include "TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace maintenance;

namespace {

MaintenanceResult failed(MaintenanceResult result, const MaintenanceError& error)
{
    result.ok = false;
    result.error = error;
    return result;
}

// Whether a copy of `source` may be made as `target`: the source is a
// database and the target is not the source itself.
bool mayCopy(const QString& source, const QString& target, MaintenanceError* error)
{
    if (!isDatabaseFile(source, error))
        return false;
    if (isSameFile(source, target)) {
        *error = failure(QStringLiteral("La copia non può sostituire l'archivio stesso: scegliere "
                                        "un altro file."),
                         EINVAL);
        return false;
    }
    return true;
}

// Writes a copy of source into target (an empty file) and checks it against the
// rows the source held when the copy was made.
bool writeCheckedCopy(const QString& source, const QString& target, std::vector<TableRows>* tables,
                      MaintenanceError* error)
{
    std::vector<TableRows> counted;
    {
        SqliteFile db;
        if (!db.open(source)) {
            *error =
                sqliteFailure(QStringLiteral("Impossibile aprire l'archivio %1").arg(source), db);
            return false;
        }
        // VACUUM INTO cannot run inside a transaction, so the rows are
        // counted just before: a save made in between by another program
        // makes the check below refuse the copy rather than pass it.
        const auto rows = countRows(db, error);
        if (!rows)
            return false;
        counted = *rows;
        SqliteStatement vacuum(db, QStringLiteral("VACUUM INTO ?"));
        vacuum.bind({target});
        vacuum.next();
        if (!vacuum.prepared() || vacuum.failed()) {
            *error = sqliteFailure(
                QStringLiteral("Impossibile scrivere la copia dell'archivio %1").arg(source), db);
            return false;
        }
    }
    if (!verifyCopy(target, counted, error))
        return false;
    *tables = std::move(counted);
    return true;
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

void syncFolderOf(const QString& path)
{
    const int fd = ::open(encoded(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Where the compacted copy waits, named after the database's file number
// (inode): once the two are exchanged the old file is found there under the
// number it bears, which tells a crash after the exchange from one before.
QString compactedName(const QString& path, quint64 inode)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".%1.compattato").arg(inode);
}

// The file is the program's to write: its permissions and the disk's.
bool writable(const QString& path, MaintenanceError* error)
{
    struct stat st;
    if (::stat(encoded(path).constData(), &st) != 0) {
        *error = systemFailure(QStringLiteral("Impossibile leggere il file %1").arg(path), errno);
        return false;
    }
    if (!(st.st_mode & S_IWUSR) || ::access(encoded(path).constData(), W_OK) != 0) {
        *error = failure(QStringLiteral("L'archivio %1 può essere solo letto: non viene "
                                        "compattato.")
                             .arg(path),
                         EACCES);
        return false;
    }
    return true;
}

} // namespace

QString backupFileName(const QString& path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() || info.completeBaseName().isEmpty())
        return path + QStringLiteral(".BAK");
    return path.left(path.size() - suffix.size()) + QStringLiteral("BAK");
}

namespace {

// ".<database>.<inode>.compattato": the compacted copy of <database> made
// while the database was the file of that inode. Read by hand, as the
// archives open before the main window is ready.
bool isCompactionLeftover(QStringView name, QStringView database, quint64* inode)
{
    constexpr QStringView suffix(u".compattato");
    if (!name.startsWith(u'.') || !name.endsWith(suffix))
        return false;
    name = name.mid(1, name.size() - 1 - suffix.size());
    if (!name.startsWith(database) || name.size() <= database.size() + 1 ||
        name[database.size()] != u'.')
        return false;
    const QStringView digits = name.mid(database.size() + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    bool ok = false;
    *inode = digits.toULongLong(&ok);
    return ok;
}

} // namespace

void finishInterruptedCompaction(const QString& given)
{
    const QString path = linkTarget(given);
    const QFileInfo info(path);
    const QDir folder(info.absolutePath());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        quint64 inode = 0;
        struct stat st;
        const QString leftover = folder.filePath(name);
        if (!isCompactionLeftover(name, info.fileName(), &inode) ||
            ::lstat(encoded(leftover).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (quint64(st.st_ino) == inode) {
            // The exchange was made: the old file becomes the .BAK.
            if (std::rename(encoded(leftover).constData(),
                            encoded(backupFileName(path)).constData()) == 0)
                syncFolderOf(path);
        } else {
            // It was not: the database is the old one, untouched.
            ::unlink(encoded(leftover).constData());
        }
        ::unlink(encoded(leftover + QStringLiteral("-journal")).constData());
    }
}

MaintenanceResult compactDatabase(const QString& given)
{
    MaintenanceResult result;
    result.file = given;
    // A link is compacted in the file it names, its .BAK beside that.
    const QString path = linkTarget(given);
    MaintenanceError error;
    if (!isDatabaseFile(path, &error))
        return failed(result, error);
    const QString kept = backupFileName(path);
    if (QFileInfo(kept).fileName().compare(QFileInfo(path).fileName(), Qt::CaseInsensitive) == 0)
        return failed(result, failure(QStringLiteral("Il file %1 ha già l'estensione .BAK: "
                                                     "compattarne una copia con un altro nome.")
                                          .arg(path),
                                      EINVAL));
    if (!writable(path, &error))
        return failed(result, error);
    finishInterruptedCompaction(path);
    struct stat original;
    if (::stat(encoded(path).constData(), &original) != 0)
        return failed(
            result,
            systemFailure(QStringLiteral("Impossibile leggere il file %1").arg(path), errno));

    // The compacted copy is written, checked and on the disk before the
    // database's name is touched.
    const QString compacted = compactedName(path, quint64(original.st_ino));
    struct Cleanup
    {
        QString path;
        ~Cleanup()
        {
            if (!path.isEmpty()) {
                forgetTemporary(path);
                ::unlink(encoded(path).constData());
                ::unlink(encoded(path + QStringLiteral("-journal")).constData());
            }
        }
    } cleanup;
    cleanup.path = registerTemporaryCreation([&] {
        const int fd = ::open(encoded(compacted).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return QString();
        ::close(fd);
        return compacted;
    });
    if (cleanup.path.isEmpty())
        return failed(result, systemFailure(QStringLiteral("Impossibile creare un file "
                                                           "temporaneo in %1")
                                                .arg(QFileInfo(path).absolutePath()),
                                            errno));
    if (!writeCheckedCopy(path, compacted, &result.tables, &error))
        return failed(result, error);
    // The database is the model of its compacted copy's permissions.
    copyPermissions(path, compacted); // NOLINT(readability-suspicious-call-argument)
    result.sizeBefore = QFileInfo(path).size();
    result.sizeAfter = QFileInfo(compacted).size();
    if (const int fd = ::open(encoded(compacted).constData(), O_RDONLY | O_CLOEXEC); fd >= 0) {
        const bool synced = ::fsync(fd) == 0;
        ::close(fd);
        if (!synced)
            return failed(
                result,
                systemFailure(QStringLiteral("Impossibile salvare il file %1").arg(compacted),
                              errno));
    }
    faultPoint("compattamento: copia scritta");

    // One step puts the copy in the database's place and the old file under
    // the copy's name; a crash from here on is finished at the next start
    // (finishInterruptedCompaction), so the old file is never lost and never
    // shares a name with the new one.
    forgetTemporary(compacted);
    if (::renameat2(AT_FDCWD, encoded(compacted).constData(), AT_FDCWD, encoded(path).constData(),
                    RENAME_EXCHANGE) == 0) {
        cleanup.path.clear();
        syncFolderOf(path);
        faultPoint("compattamento: scambio fatto");
        if (std::rename(encoded(compacted).constData(), encoded(kept).constData()) != 0) {
            const int code = errno;
            // The old file goes back in place, as if nothing had happened.
            if (::renameat2(AT_FDCWD, encoded(compacted).constData(), AT_FDCWD,
                            encoded(path).constData(), RENAME_EXCHANGE) == 0)
                cleanup.path = compacted;
            syncFolderOf(path);
            return failed(result, systemFailure(QStringLiteral("Impossibile conservare l'archivio "
                                                               "precedente in %1")
                                                    .arg(kept),
                                                code));
        }
        syncFolderOf(path);
    } else {
        // A file system that cannot exchange two names: a full copy of the
        // old file becomes the .BAK first, then the copy takes the name.
        registerTemporary(compacted);
        if (!keepCopyAs(path, kept, true, &error, true))
            return failed(result, error);
        faultPoint("compattamento: copia conservata");
        if (std::rename(encoded(compacted).constData(), encoded(path).constData()) != 0)
            return failed(
                result, systemFailure(QStringLiteral("Impossibile sostituire il file %1").arg(path),
                                      errno));
        cleanup.path.clear();
        forgetTemporary(compacted);
        syncFolderOf(path);
    }
    result.keptFile = kept;
    result.ok = true;
    return result;
}

MaintenanceResult backupDatabase(const QString& source, const QString& target)
{
    MaintenanceResult result;
    result.file = target;
    MaintenanceError error;
    if (!mayCopy(source, target, &error))
        return failed(result, error);
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        return failed(result,
                      failure(QStringLiteral("La cartella %1 non esiste.").arg(folder), ENOENT));

    StagedFile staged(target);
    QString stagedError;
    if (!staged.create(&stagedError))
        return failed(result, failure(stagedError, EIO));
    if (!writeCheckedCopy(source, staged.path(), &result.tables, &error))
        return failed(result, error);
    if (!staged.commit(&stagedError))
        return failed(result, failure(stagedError, EIO));
    result.ok = true;
    return result;
}

namespace {

// Lets SQLite stop a statement under way when the copy is called off.
int stopWhenCancelled(void* cancel)
{
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load();
}

// While another program holds the file: waits as the connection's busy
// timeout would, but gives up at once when the copy is called off.
int waitUnlessCancelled(void* cancel, int tries)
{
    if (cancelled(static_cast<const std::atomic<bool>*>(cancel)) || tries >= 500)
        return 0;
    sqlite3_sleep(10);
    return 1;
}

MaintenanceError cancelledCopy(const QString& target)
{
    return failure(QStringLiteral("Copia %1 interrotta.").arg(target), SQLITE_INTERRUPT);
}

// The last failure of a connection SqliteFile did not run a statement on.
MaintenanceError handleFailure(const QString& what, SqliteFile& file)
{
    file.setError(sqlite3_extended_errcode(file.handle()),
                  QString::fromUtf8(sqlite3_errmsg(file.handle())));
    return sqliteFailure(what, file);
}

} // namespace

MaintenanceResult checkedPageCopy(const QString& source, const QString& target,
                                  const std::atomic<bool>* cancel)
{
    MaintenanceResult result;
    result.file = target;
    MaintenanceError error;
    if (!mayCopy(source, target, &error))
        return failed(result, error);
    StagedFile staged(target);
    QString stagedError;
    if (!staged.create(&stagedError))
        return failed(result, failure(stagedError, EIO));
    {
        SqliteFile from;
        SqliteFile to;
        if (!from.open(source))
            return failed(
                result, sqliteFailure(
                            QStringLiteral("Impossibile aprire l'archivio %1").arg(source), from));
        if (!to.open(staged.path()))
            return failed(
                result,
                sqliteFailure(QStringLiteral("Impossibile scrivere la copia %1").arg(target), to));
        const QString writing =
            QStringLiteral("Impossibile scrivere la copia dell'archivio %1").arg(source);
        if (cancel)
            sqlite3_busy_handler(from.handle(), waitUnlessCancelled,
                                 const_cast<std::atomic<bool>*>(cancel));
        sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
        if (!backup)
            return failed(result, handleFailure(writing, to));
        // A few megabytes at a time, so that a cancel is heard soon. A save
        // made meanwhile by another connection starts the copy over, so the
        // copy is always of one state of the file.
        int rc = SQLITE_OK;
        while (rc == SQLITE_OK && !cancelled(cancel))
            rc = sqlite3_backup_step(backup, 1024);
        sqlite3_backup_finish(backup);
        if (cancelled(cancel))
            return failed(result, cancelledCopy(target));
        if (rc != SQLITE_DONE) {
            to.setError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
            return failed(result, sqliteFailure(writing, to));
        }

        // The one full reading of the pages: every table and index, and
        // each index against its table.
        if (cancel)
            sqlite3_progress_handler(to.handle(), 1000, stopWhenCancelled,
                                     const_cast<std::atomic<bool>*>(cancel));
        result.problems = integrityProblems(to, false, &error);
        if (cancelled(cancel))
            return failed(result, cancelledCopy(target));
        if (error.number != 0)
            return failed(result, error);
        if (!result.problems.isEmpty()) {
            // The copy is removed with the staged file: a damaged file never
            // joins the copies.
            result.damaged = true;
            result.ok = true;
            return result;
        }
    }
    if (!staged.commit(&stagedError))
        return failed(result, failure(stagedError, EIO));
    result.ok = true;
    return result;
}

QString describeSize(qint64 bytes, const QString& decimalSeparator)
{
    // Qt's Italian words and units; only the separator follows the user's
    // numbers, and below a thousand units there is no other.
    return QLocale(QLocale::Italian, QLocale::Italy)
        .formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat)
        .replace(QLatin1Char(','), decimalSeparator);
}

QStringList describeTables(const std::vector<TableRows>& tables)
{
    QStringList lines;
    for (const TableRows& t : tables) {
        QString line = QStringLiteral("%1: %2 record").arg(t.table).arg(t.rows);
        if (t.lost > 0)
            line += QStringLiteral(" (%1 non recuperabili)").arg(t.lost);
        lines << line;
    }
    return lines;
}

QString foundDamageReport(const QStringList& problems)
{
    return QStringLiteral("Il controllo dell'archivio ha trovato dei danni (secondo SQLite):\n") +
           problems.join(QLatin1Char('\n'));
}

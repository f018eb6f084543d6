// Compaction and copies: both write the database anew with VACUUM INTO,
// which reads one consistent state of the file and writes it without free
// pages, into a temporary file beside the target.
#include "DatabaseMaintenance.h"
#include "KeptFiles.h"
#include "MaintenanceSupport.h"
#include "SqliteFile.h"
#include "StagedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>

using namespace maintenance;

namespace {

MaintenanceResult failed(MaintenanceResult result, const MaintenanceError& error)
{
    result.ok = false;
    result.error = error;
    return result;
}

// Writes a copy of source into the staged file and checks it against the
// rows the source held when the copy was made.
bool writeCheckedCopy(const QString& source, const StagedFile& staged,
                      std::vector<TableRows>* tables, MaintenanceError* error)
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
        vacuum.bind({staged.path()});
        vacuum.next();
        if (!vacuum.prepared() || vacuum.failed()) {
            *error = sqliteFailure(
                QStringLiteral("Impossibile scrivere la copia dell'archivio %1").arg(source), db);
            return false;
        }
    }
    if (!verifyCopy(staged.path(), counted, error))
        return false;
    *tables = std::move(counted);
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

MaintenanceResult compactDatabase(const QString& path)
{
    MaintenanceResult result;
    result.file = path;
    MaintenanceError error;
    if (!isDatabaseFile(path, &error))
        return failed(result, error);
    const QString kept = backupFileName(path);
    if (QFileInfo(kept).fileName().compare(QFileInfo(path).fileName(), Qt::CaseInsensitive) == 0)
        return failed(result, failure(QStringLiteral("Il file %1 ha già l'estensione .BAK: "
                                                     "compattarne una copia con un altro nome.")
                                          .arg(path),
                                      EINVAL));

    StagedFile staged(path);
    QString stagedError;
    if (!staged.create(&stagedError))
        return failed(result, failure(stagedError, EIO));
    if (!writeCheckedCopy(path, staged, &result.tables, &error))
        return failed(result, error);
    copyPermissions(path, staged.path());
    result.sizeBefore = QFileInfo(path).size();
    result.sizeAfter = QFileInfo(staged.path()).size();

    // The old file gets its second name first: whenever this stops, the
    // database is whole under its own name.
    if (!keepCopyAs(path, kept, true, &error))
        return failed(result, error);
    if (!staged.commit(&stagedError))
        return failed(result, failure(stagedError, EIO));
    result.keptFile = kept;
    result.ok = true;
    return result;
}

MaintenanceResult backupDatabase(const QString& source, const QString& target)
{
    MaintenanceResult result;
    result.file = target;
    MaintenanceError error;
    if (!isDatabaseFile(source, &error))
        return failed(result, error);
    if (isSameFile(source, target))
        return failed(result, failure(QStringLiteral("La copia non può sostituire l'archivio "
                                                     "stesso: scegliere un altro file."),
                                      EINVAL));
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        return failed(result,
                      failure(QStringLiteral("La cartella %1 non esiste.").arg(folder), ENOENT));

    StagedFile staged(target);
    QString stagedError;
    if (!staged.create(&stagedError))
        return failed(result, failure(stagedError, EIO));
    if (!writeCheckedCopy(source, staged, &result.tables, &error))
        return failed(result, error);
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

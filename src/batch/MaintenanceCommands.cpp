// The database's care from the shell: the same routines as the "Archivi"
// menu, on closed files by path. None opens the database through the
// program's checked open, so that they reach a file the program refuses.
#include "BatchCommands.h"
#include "DataFolder.h"
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "Schema.h"
#include "SqliteFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// --file when given, else the data folder's database.
QString chosenFile(BatchRun& run)
{
    if (!run.isSet(QStringLiteral("file")))
        return run.databaseFile();
    const QString file = run.value(QStringLiteral("file"));
    if (file.isEmpty())
        throw BatchError{QStringLiteral("--file: manca il file"), BatchStatus::BadUsage};
    return QDir::cleanPath(QDir(file).absolutePath());
}

// A file is rewritten in place only while no program works on it: a data
// folder's database is written under the folder's lock.
void lockFolderOf(BatchRun& run, const QString& file)
{
    const QFileInfo info(file);
    if (info.exists() && info.fileName() == QLatin1String(kDatabaseFileName))
        run.lockDataFolder(info.absolutePath());
}

BatchError failed(const MaintenanceResult& result)
{
    return BatchError{result.error.description};
}

int backup(BatchRun& run)
{
    const QString target = run.outputFile(run.positional(0));
    const MaintenanceResult result = backupDatabase(run.databaseFile(), target);
    if (!result.ok)
        throw failed(result);
    run.deliver(target);
    return BatchStatus::Done;
}

// The version the file was written by; nothing when it keeps none, which
// no database of the program lacks.
std::optional<int> archiveVersion(const QString& path)
{
    SqliteFile file;
    if (!file.open(path, true))
        return std::nullopt;
    const QVariant version = file.value(QStringLiteral("SELECT Version FROM SchemaVersion"));
    return version.isValid() ? std::optional<int>(version.toInt()) : std::nullopt;
}

int verifica(BatchRun& run)
{
    const QString file = chosenFile(run);
    const MaintenanceResult result = checkDatabase(file);
    if (!result.ok)
        throw failed(result);
    if (result.damaged)
        throw BatchError{QStringLiteral("l'archivio %1 è DANNEGGIATO: %2")
                             .arg(file, result.problems.join(QStringLiteral("; ")))};
    const auto version = archiveVersion(file);
    if (!version)
        throw BatchError{QStringLiteral("il file %1 non è un archivio del programma").arg(file)};
    if (*version > kSchemaVersion)
        throw BatchError{QStringLiteral("%1: %2").arg(file, newerArchiveMessage(*version))};
    run.out() << QStringLiteral("l'archivio %1 è integro (%2)\n")
                     .arg(file, describeTables(result.tables).join(QStringLiteral(", ")));
    return BatchStatus::Done;
}

int compatta(BatchRun& run)
{
    const QString file = chosenFile(run);
    lockFolderOf(run, file);
    const qint64 before = QFileInfo(file).size();
    const MaintenanceResult result = compactDatabase(file);
    if (!result.ok)
        throw failed(result);
    run.out() << QStringLiteral("l'archivio %1 è stato compattato da %2 a %3 byte; "
                                "l'archivio precedente è conservato in %4\n")
                     .arg(file)
                     .arg(before)
                     .arg(QFileInfo(file).size())
                     .arg(result.keptFile);
    return BatchStatus::Done;
}

int ripara(BatchRun& run)
{
    const QString file = chosenFile(run);
    lockFolderOf(run, file);
    const MaintenanceResult result = repairDatabase(file);
    if (!result.ok)
        throw failed(result);
    if (!result.damaged) {
        run.out() << QStringLiteral("l'archivio %1 è integro: non è stato modificato\n").arg(file);
        return BatchStatus::Done;
    }
    run.out() << QStringLiteral("l'archivio %1 è stato ricostruito; l'archivio danneggiato è "
                                "conservato in %2\nRecord recuperati:\n")
                     .arg(file, result.keptFile);
    for (const QString& line : describeTables(result.tables))
        run.out() << "  " << line << '\n';
    return BatchStatus::Done;
}

QCommandLineOption fileOption()
{
    return valueOption(QStringLiteral("file"),
                       QStringLiteral("l'archivio su cui lavorare (di norma quello della "
                                      "cartella dei dati)"),
                       QStringLiteral("file"));
}

} // namespace

BatchCommand backupCommand()
{
    return {
        QStringLiteral("backup"),
        QStringLiteral("Salva una copia controllata dell'archivio, anche mentre il programma è "
                       "aperto, e ne stampa il percorso; FILE - la scrive sullo standard output"),
        {},
        {QStringLiteral("FILE")},
        BatchNeeds::DataFolder,
        false,
        backup,
    };
}

BatchCommand verificaCommand()
{
    return {
        QStringLiteral("verifica"),
        QStringLiteral("Controlla l'integrità dell'archivio: stato 0 se integro, 1 se "
                       "danneggiato o illeggibile"),
        {fileOption()},
        {},
        BatchNeeds::DataFolder,
        false,
        verifica,
    };
}

BatchCommand compattaCommand()
{
    return {
        QStringLiteral("compatta"),
        QStringLiteral("Compatta l'archivio; il precedente resta come .BAK"),
        {fileOption()},
        {},
        BatchNeeds::DataFolder,
        false,
        compatta,
    };
}

BatchCommand riparaCommand()
{
    return {
        QStringLiteral("ripara"),
        QStringLiteral("Ricostruisce un archivio danneggiato con i record ancora leggibili e "
                       "stampa quanti ne ha recuperati per tabella"),
        {fileOption()},
        {},
        BatchNeeds::DataFolder,
        false,
        ripara,
    };
}

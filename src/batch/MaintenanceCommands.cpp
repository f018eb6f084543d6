// The database's care from the shell: the same routines as the "Archivi"
// menu, on closed files by path. None opens the database through the
// program's checked open, so that they reach a file the program refuses.
// When the data folder's settings name a database server (and no --file is
// given), they work on the server instead: a copy is a file of the embedded
// engine, compaction runs in place, and nothing is repaired from here.
#include "ArchiveTransfer.h"
#include "BatchCommands.h"
#include "Clock.h"
#include "CopyRestore.h"
#include "DataFolder.h"
#include "Database.h"
#include "DatabaseMaintenance.h"
#include "MaintenanceSupport.h"
#include "ServerCare.h"
#include "TemporaryFiles.h"

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
    finishInterruptedCompaction(file);
}

BatchError failed(const MaintenanceResult& result)
{
    return BatchError{result.error.description};
}

// The server the data folder's settings name, unless the command has a
// --file and it names a file.
std::optional<ServerConnection> settingsServer(BatchRun& run, bool takesFile = true)
{
    if (takesFile && run.isSet(QStringLiteral("file")))
        return std::nullopt;
    return run.context().settings().databaseServer();
}

// The note said in a sentence of the command's own: small letter, no stop.
QString asLine(const QString& note)
{
    QString line = note;
    if (!line.isEmpty())
        line[0] = line[0].toLower();
    return line;
}

int backup(BatchRun& run)
{
    const QString target = run.outputFile(run.positional(0));
    // What a copy that was killed left half-written there.
    removeStaleTemporaries(QFileInfo(target).absolutePath());
    if (const auto server = settingsServer(run, false)) {
        Database db;
        openServerDatabase(db, *server);
        QString error;
        if (!writeSnapshotFile(db, target, &error))
            throw BatchError{error};
        run.deliver(target);
        return BatchStatus::Done;
    }
    const MaintenanceResult result = backupDatabase(run.databaseFile(), target);
    if (!result.ok)
        throw failed(result);
    run.deliver(target);
    return BatchStatus::Done;
}

int verifica(BatchRun& run)
{
    // What a desk can check of a server: that it answers and holds the
    // program's archives; their integrity is the server's own care.
    if (const auto server = settingsServer(run)) {
        Database db;
        openServerDatabase(db, *server);
        run.out() << asLine(serverRepairNote(db.location())) << '\n';
        return BatchStatus::Done;
    }
    const QString file = chosenFile(run);
    const MaintenanceResult result = checkDatabase(file);
    if (!result.ok && maintenance::isBusy(result.error))
        throw BatchError{QStringLiteral("l'archivio %1 è occupato: un altro programma lo sta "
                                        "scrivendo; riprovare più tardi")
                             .arg(file)};
    if (!result.ok)
        throw failed(result);
    if (result.damaged)
        throw BatchError{QStringLiteral("l'archivio %1 è DANNEGGIATO: %2")
                             .arg(file, result.problems.join(QStringLiteral("; ")))};
    // Every check the program runs when it opens the file, nothing written.
    Database db;
    QString error;
    if (!db.openForCheck(file, &error)) {
        switch (db.openFailure()) {
        case OpenFailure::Foreign:
            if (!error.startsWith(QLatin1String("L'archivio non corrisponde")))
                error = QStringLiteral("il file non è un archivio del programma (%1)").arg(error);
            break;
        case OpenFailure::Unavailable:
            if (error.contains(QLatin1String("in uso")))
                error = QStringLiteral("è occupato: un altro programma lo sta scrivendo; "
                                       "riprovare più tardi (%1)")
                            .arg(error);
            break;
        case OpenFailure::Damaged:
            error = QStringLiteral("è DANNEGGIATO: %1").arg(error);
            break;
        case OpenFailure::None:
        case OpenFailure::Newer:
            break;
        }
        throw BatchError{QStringLiteral("%1: %2").arg(file, error)};
    }
    run.out() << QStringLiteral("l'archivio %1 è integro (%2)\n")
                     .arg(file, describeTables(result.tables).join(QStringLiteral(", ")));
    return BatchStatus::Done;
}

int compatta(BatchRun& run)
{
    if (const auto server = settingsServer(run)) {
        Database db;
        openServerDatabase(db, *server);
        QString error;
        if (!compactOnServer(db, &error))
            throw BatchError{QStringLiteral("compattamento non eseguito: %1").arg(error)};
        run.out() << QStringLiteral("l'archivio sul server %1 è stato compattato e le sue "
                                    "statistiche aggiornate\n")
                         .arg(db.location());
        return BatchStatus::Done;
    }
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
    if (const auto server = settingsServer(run)) {
        run.out() << asLine(serverRepairNote(describeServer(*server))) << '\n';
        return BatchStatus::Done;
    }
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
    // The data folder's own database: its daily copies may hold what was lost.
    const QString folder = run.context().programFolder;
    if (QFileInfo(file) != QFileInfo(folder + QLatin1Char('/') + QLatin1String(kDatabaseFileName)))
        return BatchStatus::Done;
    if (const auto offer = copyOffer(file, folder, Clock::today())) {
        for (const QString& line : offer->lostByRepair)
            run.out() << line << '\n';
        run.out() << QStringLiteral("Ripristina dalla copia del %1: falmide ripristina %2\n")
                         .arg(offer->day.toString(QStringLiteral("dd/MM/yyyy")), offer->path);
        for (const QString& line : offer->missingFromCopy)
            run.out() << "  " << line << '\n';
    }
    return BatchStatus::Done;
}

int ripristina(BatchRun& run)
{
    if (const auto server = settingsServer(run, false))
        throw BatchError{asLine(serverRestoreNote(describeServer(*server)))};
    const QString copy = QDir::cleanPath(QDir(run.positional(0)).absolutePath());
    // Also when the database is gone: the copy is what is left.
    AppContext& context = run.context();
    const QString file = context.databaseFile();
    run.lockDataFolder(context.programFolder);
    finishInterruptedCompaction(file);
    const QStringList lacks = recordsMissing(file, copy, MissingAs::MissingFromCopy);
    const MaintenanceResult result = restoreDatabase(copy, file);
    if (!result.ok)
        throw failed(result);
    run.out()
        << QStringLiteral("l'archivio %1 è stato ripristinato dalla copia %2").arg(file, copy)
        << (result.keptFile.isEmpty()
                ? QString()
                : QStringLiteral("; l'archivio sostituito è conservato in %1").arg(result.keptFile))
        << '\n';
    for (const QString& line : lacks)
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

BatchCommand ripristinaCommand()
{
    return {
        QStringLiteral("ripristina"),
        QStringLiteral("Sostituisce l'archivio con una copia integra (per esempio una copia "
                       "giornaliera di Backup/), conservando quello sostituito, e dice cosa "
                       "manca nella copia"),
        {},
        {QStringLiteral("FILE")},
        BatchNeeds::DataFolder,
        false,
        ripristina,
    };
}

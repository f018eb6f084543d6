// Moving a desk's archives onto a database server and back. Both ways go
// through the same checked copy: every table row by row, then a tally of
// both sides (rows, amount totals, a digest of every value) that must agree
// before the command says it is done.
#include "ArchiveTally.h"
#include "ArchiveTransfer.h"
#include "BatchCommands.h"
#include "Database.h"
#include "ServerConnection.h"

#include <QFileInfo>

namespace {

ServerConnection serverArgument(const BatchRun& run, const QString& option)
{
    ServerConnection server;
    QString error;
    if (!parseServerConnection(run.value(option), &server, &error))
        throw BatchError{QStringLiteral("--%1: %2").arg(option, error), BatchStatus::BadUsage};
    return server;
}

void report(BatchRun& run, const ArchiveTally& tally, const QString& done)
{
    for (const QString& line : describeTally(tally))
        run.out() << line << '\n';
    run.out() << done << '\n';
}

// The data folder's file onto an empty server database.
int toServer(BatchRun& run)
{
    const ServerConnection server = serverArgument(run, QStringLiteral("verso"));
    const QString file = run.databaseFile();
    // Nothing may write the file while it is read.
    run.lockDataFolder(QFileInfo(file).absolutePath());
    Database source;
    QString error;
    if (!source.open(file, &error))
        throw BatchError{QStringLiteral("%1: %2").arg(file, error)};
    Database target;
    openServerDatabase(target, server);
    ArchiveTally tally;
    if (!copyArchives(source, target, &error, &tally))
        throw BatchError{error};
    report(run, tally,
           QStringLiteral("Archivi trasferiti su %1 e verificati: record, totali e testi uguali.")
               .arg(describeServer(server)));
    return BatchStatus::Done;
}

// A server database into a new file of the embedded engine.
int fromServer(BatchRun& run)
{
    const ServerConnection server = serverArgument(run, QStringLiteral("da"));
    const QString named = run.value(QStringLiteral("file"));
    if (named.isEmpty() || named == QLatin1String("-"))
        throw BatchError{QStringLiteral("--file: indicare il file dell'archivio da scrivere"),
                         BatchStatus::BadUsage};
    // A database already there may be someone's books: never replaced.
    if (QFileInfo::exists(named))
        throw BatchError{QStringLiteral("il file %1 esiste già: indicarne uno nuovo").arg(named)};
    const QString file = run.outputFile(named);
    Database source;
    openServerDatabase(source, server);
    ArchiveTally tally;
    QString error;
    if (!writeSnapshotFile(source, file, &error, &tally))
        throw BatchError{error};
    report(run, tally,
           QStringLiteral("Archivi di %1 scritti in %2 e verificati: record, totali e testi "
                          "uguali.")
               .arg(describeServer(server), file));
    return BatchStatus::Done;
}

int trasferisci(BatchRun& run)
{
    const bool to = run.isSet(QStringLiteral("verso"));
    const bool from = run.isSet(QStringLiteral("da"));
    if (to == from)
        throw BatchError{QStringLiteral("indicare --verso SERVER oppure --da SERVER --file FILE"),
                         BatchStatus::BadUsage};
    if (to && run.isSet(QStringLiteral("file")))
        throw BatchError{QStringLiteral("--file va con --da: con --verso si trasferisce "
                                        "l'archivio della cartella dei dati"),
                         BatchStatus::BadUsage};
    return to ? toServer(run) : fromServer(run);
}

} // namespace

BatchCommand trasferisciCommand()
{
    const QString server = QStringLiteral("[UTENTE@]HOST[:PORTA]/DATABASE");
    return {
        QStringLiteral("trasferisci"),
        QStringLiteral("Copia l'archivio della cartella dei dati su un database vuoto di un "
                       "server di database (--verso), o quello del server in un nuovo file "
                       "(--da ... --file), e controlla record, totali e testi di ogni tabella"),
        {valueOption(QStringLiteral("verso"), QStringLiteral("il server di destinazione"), server),
         valueOption(QStringLiteral("da"), QStringLiteral("il server di origine"), server),
         valueOption(QStringLiteral("file"),
                     QStringLiteral("il nuovo file dell'archivio (con --da)"),
                     QStringLiteral("file"))},
        {},
        BatchNeeds::DataFolder,
        false,
        trasferisci,
    };
}

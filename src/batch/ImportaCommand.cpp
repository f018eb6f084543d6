#include "AppContext.h"
#include "BatchCommands.h"
#include "ContactImport.h"
#include "PrintableText.h"

#include <QFileInfo>

namespace {

// The plan first, refused rows on standard error; a file with any refused
// row writes nothing and fails, so that it is mended and given again whole.
int importa(BatchRun& run)
{
    const QString which = run.positional(0);
    if (which != QLatin1String("clienti") && which != QLatin1String("fornitori"))
        throw BatchError{QStringLiteral("importa: archivio sconosciuto \"%1\" (clienti o "
                                        "fornitori)")
                             .arg(which),
                         BatchStatus::BadUsage};
    const Table table = which == QLatin1String("clienti") ? Table::Clienti : Table::Fornitori;
    const QString path = run.positional(1);
    const bool trial = run.isSet(QStringLiteral("prova"));
    AppContext& context = run.context();
    if (!trial)
        run.lockDataFolder(context.programFolder);

    QString error;
    const auto plan = planContactImportFile(context.DbArchivi, table, path, &error);
    if (!plan)
        throw BatchError{error};
    run.out() << withControlsEscaped(QFileInfo(path).fileName()) << ": " << plan->summary() << '\n';
    if (!plan->ignoredColumns.isEmpty())
        run.out() << "colonne non lette: "
                  << withControlsEscaped(plan->ignoredColumns.join(QStringLiteral(", "))) << '\n';
    for (const ImportRow& row : plan->rows) {
        if (row.outcome == ImportOutcome::Created)
            run.out() << "riga " << row.line << ": da creare "
                      << withControlsEscaped(row.contact.code + QStringLiteral(" - ") +
                                             row.contact.name)
                      << '\n';
        else if (row.outcome == ImportOutcome::Refused)
            run.err() << "riga " << row.line << ": " << withControlsEscaped(row.reason) << '\n';
    }
    const int refused = plan->count(ImportOutcome::Refused);
    if (trial) {
        run.out() << "Prova: nulla è stato scritto.\n";
        return refused > 0 ? BatchStatus::Failed : BatchStatus::Done;
    }
    const int created = plan->count(ImportOutcome::Created);
    if (refused == 0 && created == 0) {
        run.out() << "Nessun " << contactNoun(table, 1) << " da importare.\n";
        return BatchStatus::Done;
    }
    if (!applyContactImport(context.DbArchivi, *plan, &error))
        throw BatchError{error.replace(QLatin1Char('\n'), QLatin1Char(' '))};
    run.out() << created << ' ' << contactNoun(table, created)
              << (created == 1 ? " importato.\n" : " importati.\n");
    return BatchStatus::Done;
}

} // namespace

BatchCommand importaCommand()
{
    return BatchCommand{
        QStringLiteral("importa"),
        QStringLiteral("\"clienti FILE.csv\" o \"fornitori FILE.csv\": legge un foglio di calcolo "
                       "salvato come CSV (\";\" o \",\", UTF-8 o Latin-1), con le colonne "
                       "riconosciute dall'intestazione, e crea i clienti o i fornitori nuovi; "
                       "quelli già in archivio con gli stessi dati restano come sono. Se una "
                       "riga è rifiutata (cifre di controllo, lunghezze, provincia, codice o "
                       "partita IVA già usati) non viene scritto nulla"),
        {flagOption(QStringLiteral("prova"),
                    QStringLiteral("mostra soltanto che cosa verrebbe fatto, senza scrivere"))},
        {QStringLiteral("ARCHIVIO"), QStringLiteral("FILE")},
        BatchNeeds::Database,
        false,
        importa,
    };
}

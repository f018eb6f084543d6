#include "AppContext.h"
#include "BatchCommands.h"
#include "Clock.h"
#include "SupplierInvoiceImport.h"

namespace {

// Refused files make the command fail once the others are in.
int ricevuteFornitori(BatchRun& run)
{
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    QList<BatchRun::FileOutcome> outcomes;
    for (const SupplierInvoiceImport& r : importSupplierInvoiceFiles(
             context.DbArchivi, context.archiveFolder(), run.positionalsFrom(0), Clock::today()))
        outcomes << BatchRun::FileOutcome{r.imported, r.message};
    run.tellFileOutcomes(outcomes, QStringLiteral("%1 file su %2 non importati"));
    return BatchStatus::Done;
}

} // namespace

BatchCommand ricevuteFornitoriCommand()
{
    BatchCommand command{
        QStringLiteral("ricevute-fornitori"),
        QStringLiteral("Registra come movimenti le fatture elettroniche ricevute dai fornitori "
                       "(XML o .xml.p7m): un movimento per aliquota IVA, il fornitore trovato "
                       "per partita IVA o creato; il file è conservato in Ricevute/<anno>/. Lo "
                       "stesso file o la stessa fattura due volte non cambiano nulla"),
        {},
        {QStringLiteral("FILE")},
        BatchNeeds::Database,
        false,
        ricevuteFornitori,
    };
    command.lastRepeats = true;
    return command;
}

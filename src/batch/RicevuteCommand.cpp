#include "AppContext.h"
#include "BatchCommands.h"
#include "ReceiptImport.h"

namespace {

// Refused files make the command fail once the others are in.
int ricevute(BatchRun& run)
{
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    QList<BatchRun::FileOutcome> outcomes;
    for (const ReceiptImport& r : importSdiReceipts(context.DbArchivi, run.positionalsFrom(0)))
        outcomes << BatchRun::FileOutcome{r.outcome != ReceiptOutcome::Refused, r.message};
    run.tellFileOutcomes(outcomes, QStringLiteral("%1 ricevute su %2 non registrate"));
    return BatchStatus::Done;
}

} // namespace

BatchCommand ricevuteCommand()
{
    BatchCommand command{
        QStringLiteral("ricevute"),
        QStringLiteral("Legge le ricevute del Sistema di Interscambio (RC, NS, MC, DT, AT; XML o "
                       ".p7m) e registra lo stato dell'invio di cui parlano; una ricevuta già "
                       "letta, di un file sconosciuto o un file che non è una ricevuta non cambia "
                       "nulla"),
        {},
        {QStringLiteral("FILE")},
        BatchNeeds::Database,
        false,
        ricevute,
    };
    command.lastRepeats = true;
    return command;
}

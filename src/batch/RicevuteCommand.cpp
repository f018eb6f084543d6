#include "AppContext.h"
#include "BatchCommands.h"
#include "PrintableText.h"
#include "ReceiptImport.h"

namespace {

// Each file's line on the standard output when it was recorded or had been
// already, on the standard error when it was refused; refused files make
// the command fail once the others are in.
int ricevute(BatchRun& run)
{
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    int refused = 0;
    const QList<ReceiptImport> results =
        importSdiReceipts(context.DbArchivi, run.positionalsFrom(0));
    for (const ReceiptImport& r : results) {
        if (r.outcome == ReceiptOutcome::Refused) {
            ++refused;
            run.err() << "falmide: " << withControlsEscaped(r.message) << '\n';
        } else {
            run.out() << withControlsEscaped(r.message) << '\n';
        }
    }
    run.out().flush();
    if (refused > 0)
        throw BatchError{
            QStringLiteral("%1 ricevute su %2 non registrate").arg(refused).arg(results.size())};
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

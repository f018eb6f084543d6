#include "AppContext.h"
#include "BatchCommands.h"
#include "Clock.h"
#include "PrintableText.h"
#include "SupplierInvoiceImport.h"

namespace {

// As `ricevute`: each file's line on the standard output when it was
// imported, on the standard error when it was refused; refused files make
// the command fail once the others are in.
int ricevuteFornitori(BatchRun& run)
{
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    int refused = 0;
    const QList<SupplierInvoiceImport> results = importSupplierInvoiceFiles(
        context.DbArchivi, context.programFolder, run.positionalsFrom(0), Clock::today());
    for (const SupplierInvoiceImport& r : results) {
        if (!r.imported) {
            ++refused;
            run.err() << "falmide: " << withControlsEscaped(r.message) << '\n';
        } else {
            run.out() << withControlsEscaped(r.message) << '\n';
        }
    }
    run.out().flush();
    if (refused > 0)
        throw BatchError{
            QStringLiteral("%1 file su %2 non importati").arg(refused).arg(results.size())};
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

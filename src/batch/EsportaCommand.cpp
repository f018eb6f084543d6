#include "AccountantFiles.h"
#include "AppContext.h"
#include "BatchCommands.h"
#include "PeriodOptions.h"
#include "PrintableText.h"

namespace {

int esporta(BatchRun& run)
{
    for (const char* option : {"dal", "al", "output"})
        if (!run.isSet(QLatin1String(option)))
            throw BatchError{QStringLiteral("esporta: manca --%1 (uso: falmide esporta --dal DATA "
                                            "--al DATA --output FILE.xlsx|FILE.csv [--zip])")
                                 .arg(QLatin1String(option)),
                             BatchStatus::BadUsage};
    const ParametriLista selection = requiredPeriod(run, QStringLiteral("esporta"));
    const QString asked = run.value(QStringLiteral("output"));
    const auto format = sheetFormatOf(asked);
    if (asked == QLatin1String("-") || !format)
        throw BatchError{unknownFormatMessage(asked), BatchStatus::BadUsage};
    AccountantRequest request{selection.first, selection.last, run.outputFile(asked),
                              run.isSet(QStringLiteral("zip"))};
    // Each file beside it is checked as the one named: never over a file the
    // data folder keeps.
    if (*format == SheetFormat::Csv)
        run.outputFile(purchasesCsvPath(request.path));
    if (request.zip)
        run.outputFile(accountantZipPath(request.path));

    AppContext& context = run.context();
    QString error;
    const auto files =
        writeAccountantFiles(context.DbArchivi, context.archiveFolder(), request, &error);
    if (!files)
        throw BatchError{error};
    for (const QString& file : files->written)
        run.out() << file << '\n';
    if (!files->withoutPdf.isEmpty())
        run.err() << "falmide: attenzione: senza PDF nell'archivio, non incluse nel file ZIP: "
                  << withControlsEscaped(files->withoutPdf.join(QStringLiteral(", "))) << '\n';
    if (!files->withoutSending.isEmpty())
        run.err() << "falmide: attenzione: senza fattura elettronica valida, non incluse nel file "
                     "ZIP: "
                  << withControlsEscaped(files->withoutSending.join(QStringLiteral(", "))) << '\n';
    return BatchStatus::Done;
}

} // namespace

BatchCommand esportaCommand()
{
    return {
        QStringLiteral("esporta"),
        QStringLiteral(
            "Scrive per il commercialista le fatture e le note di credito e gli acquisti "
            "del periodo, con i totali (anche a zero in un periodo vuoto): in un file "
            ".xlsx con due fogli, o in due file .csv (FILE.csv le fatture, "
            "FILE_acquisti.csv gli acquisti)"),
        {
            valueOption(QStringLiteral("dal"),
                        QStringLiteral("il primo giorno del periodo (obbligatorio)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("al"),
                        QStringLiteral("l'ultimo giorno del periodo (obbligatorio)"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("output"),
                        QStringLiteral("il file da scrivere, .xlsx o .csv (obbligatorio)"),
                        QStringLiteral("file")),
            flagOption(QStringLiteral("zip"),
                       QStringLiteral("scrive anche FILE.zip con i file scritti, i PDF delle "
                                      "fatture del periodo e le loro fatture elettroniche")),
        },
        {},
        BatchNeeds::Database,
        false,
        esporta,
    };
}

#include "AppContext.h"
#include "BatchCommands.h"
#include "FatturaPAChecks.h"
#include "FatturaPAFile.h"
#include "IniFile.h"
#include "InvoicePdfAttachment.h"
#include "PeriodOptions.h"
#include "PeriodZip.h"
#include "PrintableText.h"
#include "Sendings.h"

#include <QElapsedTimer>

namespace {

QString invoiceName(const DocumentKey& key)
{
    return QStringLiteral("fattura %1/%2").arg(key.number()).arg(key.year());
}

// One invoice written, or the one line that says why not.
std::optional<QString> exportOne(BatchRun& run, const DocumentKey& key, const QString& path,
                                 QString* message, WriteAgain again = WriteAgain::Refuse,
                                 FatturaPABatch* batch = nullptr)
{
    AppContext& context = run.context();
    // The time the file was written goes into the invoice: a write.
    run.lockDataFolder(context.programFolder);
    std::optional<FatturaPAAttachment> pdf;
    if (!attachInvoicePdf(context, key, &pdf, message)) {
        *message = QStringLiteral("%1 non scritta: %2").arg(invoiceName(key), *message);
        return std::nullopt;
    }
    QStringList problems;
    QStringList warnings;
    const auto written =
        exportFatturaPA(context.DbArchivi, context.settings(), context.archiveFolder(), key, path,
                        message, &problems, again, pdf, &warnings, batch);
    // Written all the same: each warning one line on the error stream.
    for (const QString& warning : std::as_const(warnings))
        run.err() << "falmide: " << invoiceName(key)
                  << ": attenzione: " << withControlsEscaped(warning) << '\n';
    if (!written && !problems.isEmpty())
        *message = QStringLiteral("%1 non scritta: %2")
                       .arg(invoiceName(key), problems.join(QStringLiteral("; ")));
    return written;
}

int oneInvoice(BatchRun& run)
{
    if (run.isSet(QStringLiteral("dal")) || run.isSet(QStringLiteral("al")))
        throw BatchError{QStringLiteral("fatturapa: ANNO NUMERO oppure --dal e --al, non entrambi"),
                         BatchStatus::BadUsage};
    if (run.isSet(QStringLiteral("zip")))
        throw BatchError{QStringLiteral("--zip vale solo per un periodo (--dal e --al)"),
                         BatchStatus::BadUsage};
    const int year = int(run.positionalNumber(0, 1, 9999));
    const qint64 number = run.positionalNumber(1, 0, DocumentKey::kLargestNumber);
    const DocumentKey key = *DocumentKey::of(QDate(year, 1, 1), number);
    const QString path = run.value(QStringLiteral("output"));
    const bool again = run.isSet(QStringLiteral("di-nuovo"));
    QString message;
    const auto live = Sendings(run.context().DbArchivi).live(key, &message);
    const auto written = exportOne(run, key, path.isEmpty() ? path : run.outputFile(path), &message,
                                   again ? WriteAgain::Allow : WriteAgain::Refuse);
    if (!written && live && message == alreadyWrittenText(*live))
        message += QStringLiteral(": --di-nuovo per scriverla di nuovo");
    if (!written)
        throw BatchError{message};
    run.deliver(*written);
    return BatchStatus::Done;
}

// The live sendings of the period, those just written included, into one
// ZIP; the invoices left without one are named and fail the command.
void zipPeriod(BatchRun& run, const ParametriLista& selection, const QString& path, int failed)
{
    AppContext& context = run.context();
    QString message;
    const auto zip = writePeriodZip(context.DbArchivi, context.archiveFolder(), selection.first,
                                    selection.last, path, &message);
    if (!zip)
        throw BatchError{message};
    run.out() << path << '\n';
    run.out().flush();
    if (failed > 0 || !zip->unsent.isEmpty())
        throw BatchError{
            QStringLiteral("%1 scritto con %2 file; senza un invio valido, non "
                           "inclus%3: %4")
                .arg(path)
                .arg(zip->files.size())
                .arg(zip->unsent.size() == 1 ? QStringLiteral("a") : QStringLiteral("e"))
                .arg(zip->unsent.join(QStringLiteral(", ")))};
}

// How many invoices of a period are written in one transaction: enough
// that the database's commit and the folder's sync are paid once for many
// files, few enough that what the command holds stays small however long
// the period. A batch slow to write (PDFs to lay out for AllegaPDF) ends
// sooner: the desks that share a server wait for it to write their own.
constexpr int kPeriodBatch = 200;
constexpr qint64 kPeriodBatchMs = 1000;

void reportNotWritten(BatchRun& run, const DocumentKey& key, QString message)
{
    message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!message.startsWith(invoiceName(key)))
        message = invoiceName(key) + QStringLiteral(": ") + message;
    run.err() << "falmide: " << withControlsEscaped(message) << '\n';
}

// Every invoice of the period without a live sending, each into the
// archive; one that is refused does not stop the others. The period is
// read a batch at a time, by key; a batch's files are named on the output
// once the batch is recorded.
int period(BatchRun& run)
{
    for (const char* option : {"output", "di-nuovo"})
        if (run.isSet(QLatin1String(option)))
            throw BatchError{QStringLiteral("--%1 vale solo per una fattura (ANNO NUMERO)")
                                 .arg(QLatin1String(option)),
                             BatchStatus::BadUsage};
    const ParametriLista selection = requiredPeriod(run, QStringLiteral("fatturapa"));
    const QString zip = run.isSet(QStringLiteral("zip"))
                            ? run.outputFile(run.value(QStringLiteral("zip")))
                            : QString();

    AppContext& context = run.context();
    const FeeDocuments invoices(context.DbArchivi, FeeDocumentKind::Invoice);
    int failed = 0;
    int total = 0;
    QString after;
    for (;;) {
        QString error;
        const auto keys = invoices.withoutLiveSendingAfter(selection.first, selection.last, after,
                                                           kPeriodBatch, &error);
        if (!keys)
            throw BatchError{error};
        if (keys->isEmpty())
            break;
        run.lockDataFolder(context.programFolder);
        // Each file reads a dozen settings: the file is read once a batch.
        const IniReadOnce settingsOnce;
        // An archive that cannot begin a transaction refuses each invoice
        // with its own reason, as it would one alone.
        FatturaPABatch batch(context.DbArchivi);
        QString ignored;
        const bool batched = batch.begin(&ignored);
        batch.hold(*keys);
        QVector<std::pair<DocumentKey, QString>> written;
        QElapsedTimer elapsed;
        elapsed.start();
        for (qsizetype i = 0; i < keys->size(); ++i) {
            // The rest of the batch is read again with the next one.
            if (i > 0 && elapsed.hasExpired(kPeriodBatchMs))
                break;
            const QString& stored = keys->at(i);
            after = stored;
            ++total;
            const DocumentKey key = DocumentKey::fromStored(stored).value_or(DocumentKey());
            QString message;
            if (const auto path = exportOne(run, key, {}, &message, WriteAgain::Refuse,
                                            batched ? &batch : nullptr)) {
                if (batched)
                    written.append({key, *path});
                else
                    run.out() << *path << '\n';
            } else {
                ++failed;
                reportNotWritten(run, key, message);
            }
        }
        QString message;
        if (batch.commit(&message)) {
            for (const auto& [key, path] : std::as_const(written))
                run.out() << path << '\n';
        } else {
            failed += int(written.size());
            for (const auto& [key, path] : std::as_const(written))
                reportNotWritten(run, key, message);
        }
        run.out().flush();
    }
    run.out().flush();
    if (failed > 0 && zip.isEmpty())
        throw BatchError{QStringLiteral("%1 fatture su %2 non scritte").arg(failed).arg(total)};
    if (!zip.isEmpty())
        zipPeriod(run, selection, zip, failed);
    return BatchStatus::Done;
}

int fatturaPA(BatchRun& run)
{
    return run.positional(0).isEmpty() ? period(run) : oneInvoice(run);
}

} // namespace

BatchCommand fatturaPACommand()
{
    return {
        QStringLiteral("fatturapa"),
        QStringLiteral("Scrive la fattura elettronica (FatturaPA) della fattura, di norma accanto "
                       "al suo PDF in Fatture/<anno>/, e ne stampa il percorso; con --dal e --al "
                       "quelle del periodo senza un invio valido (mai scritte, scartate o "
                       "annullate)"),
        {
            valueOption(QStringLiteral("dal"), QStringLiteral("il primo giorno del periodo"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("al"), QStringLiteral("l'ultimo giorno del periodo"),
                        QStringLiteral("data")),
            valueOption(QStringLiteral("output"),
                        QStringLiteral("il file da scrivere invece dell'archivio; - per lo "
                                       "standard output"),
                        QStringLiteral("file")),
            valueOption(QStringLiteral("zip"),
                        QStringLiteral("con --dal e --al: scrive anche un file ZIP con il file "
                                       "valido di ogni fattura del periodo"),
                        QStringLiteral("file")),
            flagOption(QStringLiteral("di-nuovo"),
                       QStringLiteral("scrive un nuovo invio anche di una fattura già scritta")),
        },
        {QStringLiteral("ANNO"), QStringLiteral("NUMERO")},
        BatchNeeds::Database,
        false,
        fatturaPA,
        true,
    };
}

namespace {

int annullaInvio(BatchRun& run)
{
    const int year = int(run.positionalNumber(0, 1, 9999));
    const qint64 number = run.positionalNumber(1, 0, DocumentKey::kLargestNumber);
    const DocumentKey key = *DocumentKey::of(QDate(year, 1, 1), number);
    AppContext& context = run.context();
    run.lockDataFolder(context.programFolder);
    QString error;
    const auto message = withdrawLiveSending(context.DbArchivi, key, &error);
    if (!message)
        throw BatchError{error};
    run.out() << withControlsEscaped(*message) << '\n';
    return BatchStatus::Done;
}

} // namespace

BatchCommand annullaInvioCommand()
{
    return {
        QStringLiteral("annulla-invio"),
        QStringLiteral("Annulla l'invio valido della fattura elettronica, finché il Sistema di "
                       "Interscambio non l'ha accettato: la fattura torna modificabile"),
        {},
        {QStringLiteral("ANNO"), QStringLiteral("NUMERO")},
        BatchNeeds::Database,
        false,
        annullaInvio,
    };
}

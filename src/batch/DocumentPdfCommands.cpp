#include "ArchiveFolder.h"
#include "BatchCommands.h"
#include "DocumentPdf.h"
#include "InvoiceArchive.h"

#include <QFileInfo>

namespace {

DocumentKey keyOf(const BatchRun& run)
{
    const int year = int(run.positionalNumber(0, 1, 9999));
    const qint64 number = run.positionalNumber(1, 0, DocumentKey::kLargestNumber);
    return *DocumentKey::of(QDate(year, 1, 1), number);
}

int writePdf(BatchRun& run, FeeDocumentKind kind, const QString& path, InvoicePrintChoice choice)
{
    const DocumentKey key = keyOf(run);
    QString error;
    QString target = path;
    if (target.isEmpty()) {
        const QString archive = run.context().archiveFolder();
        target = invoiceArchivePath(run.context().DbArchivi, archive, key);
        if (!makeArchiveFolder(archive, QFileInfo(target).absolutePath(), &error))
            throw BatchError{error};
    }
    const QString file = run.outputFile(target);
    if (!writeFeeDocumentPdf(run.context(), kind, key, choice, file, &error))
        throw BatchError{error};
    run.deliver(file);
    return BatchStatus::Done;
}

int fatturaPdf(BatchRun& run)
{
    return writePdf(run, FeeDocumentKind::Invoice, run.value(QStringLiteral("output")),
                    {run.isSet(QStringLiteral("data")), run.isSet(QStringLiteral("carta"))});
}

int parcellaPdf(BatchRun& run)
{
    if (!run.isSet(QStringLiteral("output")))
        throw BatchError{QStringLiteral("parcella-pdf: manca --output"), BatchStatus::BadUsage};
    return writePdf(run, FeeDocumentKind::ProForma, run.value(QStringLiteral("output")), {});
}

QCommandLineOption outputOption(const QString& description)
{
    return valueOption(QStringLiteral("output"), description, QStringLiteral("file"));
}

} // namespace

BatchCommand fatturaPdfCommand()
{
    return {
        QStringLiteral("fattura-pdf"),
        QStringLiteral("Scrive la fattura in PDF come la stampa, di norma nell'archivio "
                       "Fatture/<anno>/, e ne stampa il percorso"),
        {
            flagOption(QStringLiteral("carta"),
                       QStringLiteral("su carta intestata (logo e piede)")),
            flagOption(QStringLiteral("data"),
                       QStringLiteral("con la riga del luogo e della data")),
            outputOption(QStringLiteral("il file da scrivere invece dell'archivio; - per lo "
                                        "standard output")),
        },
        {QStringLiteral("ANNO"), QStringLiteral("NUMERO")},
        BatchNeeds::Database,
        true,
        fatturaPdf,
    };
}

BatchCommand parcellaPdfCommand()
{
    return {
        QStringLiteral("parcella-pdf"),
        QStringLiteral("Scrive la parcella in PDF come la stampa e ne stampa il percorso"),
        {outputOption(QStringLiteral("il file da scrivere (obbligatorio); - per lo standard "
                                     "output"))},
        {QStringLiteral("ANNO"), QStringLiteral("NUMERO")},
        BatchNeeds::Database,
        true,
        parcellaPdf,
    };
}

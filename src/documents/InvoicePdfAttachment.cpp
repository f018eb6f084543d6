#include "InvoicePdfAttachment.h"

#include "AppContext.h"
#include "ArchiveFolder.h"
#include "DocumentPdf.h"
#include "InvoiceArchive.h"

#include <QFile>
#include <QFileInfo>

bool attachInvoicePdf(AppContext& context, const DocumentKey& key,
                      std::optional<FatturaPAAttachment>* attachment, QString* message)
{
    attachment->reset();
    if (!context.settings().fatturaPA().allegaPdf)
        return true;
    // The archive's folder is the invoice's year, which its key carries.
    const QString archive = context.archiveFolder();
    const QString path = invoiceArchivePath(context.DbArchivi, archive, key);
    if (!QFileInfo::exists(path)) {
        QString error;
        if (!makeArchiveFolder(archive, QFileInfo(path).absolutePath(), &error) ||
            !writeFeeDocumentPdf(context, FeeDocumentKind::Invoice, key, InvoicePrintChoice{}, path,
                                 &error)) {
            *message = QStringLiteral("Il PDF da allegare non è stato scritto: %1").arg(error);
            return false;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("Impossibile leggere il PDF da allegare %1: %2")
                       .arg(path, file.errorString());
        return false;
    }
    *attachment = FatturaPAAttachment{QFileInfo(path).fileName(), file.readAll()};
    return true;
}

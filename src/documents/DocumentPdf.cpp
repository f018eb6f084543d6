#include "DocumentPdf.h"

#include "AppContext.h"
#include "PdfExport.h"
#include "PrintRun.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

namespace {

// What QPrinter(QPrinter::HighResolution) gives a PDF-format printer.
constexpr int kPrinterResolution = 1200;

} // namespace

bool writeRecordedPdf(const std::function<QString(PageRecorder&)>& layout,
                      const PdfExportRequest& request, QString* error)
{
    // The device only measures text: nothing is ever painted on it.
    QBuffer unused;
    unused.open(QIODevice::WriteOnly);
    QPdfWriter device(&unused);
    device.setResolution(kPrinterResolution);
    device.setPageSize(QPageSize(QPageSize::A4));

    PrintRun run(device);
    PageRecorder& recorder = run.recorder();
    if (!recorder.BeginDocument(error))
        return false;
    const QString message = layout(recorder);
    if (!recorder.EndDocument(error))
        return false;
    if (!message.isEmpty()) {
        *error = message;
        return false;
    }
    return ExportPdf(run, 1, run.pageCount(), request, error);
}

bool writeFeeDocumentPdf(AppContext& context, FeeDocumentKind kind, const DocumentKey& key,
                         InvoicePrintChoice choice, const QString& path, QString* error)
{
    const QString title = (kind == FeeDocumentKind::Invoice ? QStringLiteral("Fattura %1/%2")
                                                            : QStringLiteral("Parcella %1/%2"))
                              .arg(key.number())
                              .arg(key.year());
    const PdfExportRequest request{path, title, context.logoFile(), {}};
    return writeRecordedPdf(
        [&](PageRecorder& recorder) {
            QString message;
            const auto document = findDocumentToPrint(context, kind, key, &message);
            if (document) {
                if (kind == FeeDocumentKind::Invoice)
                    StampaFattura(recorder, *document, context.settings(), choice);
                else
                    StampaParcella(recorder, *document, context.settings());
            }
            return message;
        },
        request, error);
}

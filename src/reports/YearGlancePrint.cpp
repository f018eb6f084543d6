#include "YearGlancePrint.h"

#include "AppContext.h"
#include "ApplicationPrinter.h"
#include "DocumentPreview.h"
#include "MessageBox.h"
#include "PrintRun.h"
#include "ViewerLauncher.h"
#include "WaitCursor.h"
#include "YearGlance.h"
#include "YearGlancePage.h"

#include <QPrinter>

namespace {

PdfExportRequest pdfRequest(AppContext& context, int year)
{
    const QString archive = context.archiveFolder();
    return {yearGlancePdfPath(archive, year), yearGlanceTitle(year), {}, launchViewer, archive};
}

} // namespace

bool previewYearGlance(AppContext& context, const YearGlance& glance, QWidget* parent)
{
    return previewDocument(
        parent, &context.DbArchivi,
        [&glance](PageRecorder& recorder) {
            StampaAndamento(recorder, glance);
            return QString();
        },
        pdfRequest(context, glance.year));
}

bool exportYearGlancePdf(AppContext& context, const YearGlance& glance, QWidget* parent)
{
    const PdfExportRequest request = pdfRequest(context, glance.year);
    PrintRun run(applicationPrinter());
    PageRecorder& recorder = run.recorder();
    QString error;
    bool written = false;
    bool viewer = false;
    {
        const WaitCursor wait;
        if (recorder.BeginDocument(&error)) {
            StampaAndamento(recorder, glance);
            if (recorder.EndDocument(&error))
                written = ExportPdf(run, 1, run.pageCount(), request, &error, &viewer);
            else
                error = printErrorText(error);
        } else {
            error = printErrorText(error);
        }
    }
    run.pages().DeletePageFiles();
    if (!written) {
        MessageBox::error(parent, error);
        return false;
    }
    if (!viewer)
        MessageBox::warning(parent,
                            QStringLiteral("Il file PDF è stato salvato in %1, ma nessun programma "
                                           "ha potuto aprirlo.")
                                .arg(request.path));
    return true;
}

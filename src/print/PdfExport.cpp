#include "PdfExport.h"

#include "ArchiveFolder.h"
#include "PdfTarget.h"
#include "PdfWriter.h"
#include "PrintRun.h"
#include "StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <algorithm>
#include <exception>

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The fonts of every exported file: a text's key is its family, "TNR" or
// "Arial", then "B" when bold and "I" when italic.
void loadFonts(PdfWriter& pdf)
{
    const struct
    {
        const char* key;
        const char* face;
        int style;
    } fonts[] = {{"TNR", "Times New Roman", 0},  {"TNRB", "Times New Roman", 1},
                 {"TNRI", "Times New Roman", 2}, {"TNRBI", "Times New Roman", 3},
                 {"Arial", "Arial", 0},          {"ArialB", "Arial", 1},
                 {"ArialI", "Arial", 2},         {"ArialBI", "Arial", 3}};
    for (const auto& font : fonts) {
        std::string face = font.face;
        pdf.LoadFont(font.key, face, font.style);
    }
}

} // namespace

bool ExportPdf(PrintRun& run, int first, int last, const PdfExportRequest& request, QString* error,
               bool* viewerStarted)
{
    if (viewerStarted)
        *viewerStarted = false;
    if (run.recorder().recording())
        return fail(error, QStringLiteral("Il documento è ancora in registrazione."));
    if (request.path.isEmpty())
        return fail(error, QStringLiteral("Nessun file PDF indicato."));
    first = std::max(first, 1);
    last = std::min(last, run.pageCount());

    const QFileInfo target(request.path);
    if (!request.archiveFolder.isEmpty()) {
        QString why;
        if (!makeArchiveFolder(request.archiveFolder, target.absolutePath(), &why))
            return fail(error, why);
    } else if (!QDir().mkpath(target.absolutePath())) {
        return fail(
            error, QStringLiteral("Impossibile creare la cartella %1.").arg(target.absolutePath()));
    }
    // An earlier file of the same name stays as it is until the new one is complete.
    StagedFile staged(request.path);
    if (!staged.create(error))
        return false;
    const QString title = request.title.isEmpty() ? target.completeBaseName() : request.title;

    try {
        PdfWriter pdf;
        std::string path = QFile::encodeName(staged.path()).toStdString();
        pdf.InitPDFFile(path, title.toStdString());
        pdf.setScaleMode(3);
        pdf.setPaperSize(0);
        pdf.setMargin(0);
        pdf.setOrientation(0);
        pdf.setEncodeASCII85(false);
        loadFonts(pdf);
        const bool logo = pdf.LoadImgFromBMPFile(
            "Img1", QFile::encodeName(request.logoFile).toStdString(), false);

        PdfTarget pdfTarget(pdf, logo);
        for (int page = first - 1; page <= last - 1; ++page) {
            pdf.BeginPage();
            QString replayError;
            if (!run.ReplayPage(page, pdfTarget, &replayError)) {
                pdf.EndPage();
                pdf.ClosePDFFile();
                return fail(error, replayError);
            }
            pdf.EndPage();
        }
        pdf.ClosePDFFile();
    } catch (const std::exception& e) {
        return fail(error, QStringLiteral("Impossibile scrivere il file PDF %1: %2")
                               .arg(request.path, QString::fromLocal8Bit(e.what())));
    }
    if (!staged.commit(error))
        return false;

    const bool started = request.openViewer && request.openViewer(request.path);
    if (viewerStarted)
        *viewerStarted = started;
    return true;
}

#pragma once

#include <QString>
#include <functional>

class PrintRun;

// Where and how a document is exported as a PDF.
struct PdfExportRequest
{
    // The file written; an earlier file of that name is replaced only once
    // the new one is complete.
    QString path;
    // The document's name as a PDF viewer shows it ("Fattura 12/2026");
    // empty: the file's name without its folder and extension.
    QString title;
    // The picture every image record of the document draws (the logo of
    // the archive folder); a missing file leaves the pictures out.
    QString logoFile;
    // Opens the written file; true when a viewer shows it.
    std::function<bool(const QString&)> openViewer;
    // The archive folder (ArchiveFolder.h) when the file goes into it: that
    // folder must be there and take files, and the file's own folder is made
    // in it. Empty: the file's folder is made wherever it is.
    QString archiveFolder = {};
};

// Writes pages first..last (1-based, inclusive) of a recorded document to
// the request's PDF with the program's PDF writer, then asks for it to be
// opened; viewerStarted tells whether a viewer shows it. A range beyond the
// document writes the pages there are.
bool ExportPdf(PrintRun& run, int first, int last, const PdfExportRequest& request,
               QString* error = nullptr, bool* viewerStarted = nullptr);

#pragma once

#include "FeeDocumentLayout.h"
#include "Schema.h"

#include <QString>
#include <functional>

struct AppContext;
class PageRecorder;
struct PdfExportRequest;

// A document laid out by `layout` into a PDF file, without windows: the
// pages are recorded as the print window records them when no printer is
// installed (measured on an A4 page) and written by the preview's PDF
// export. False with the layout's message or the export's error; nothing is
// written then.
bool writeRecordedPdf(const std::function<QString(PageRecorder&)>& layout,
                      const PdfExportRequest& request, QString* error);

// An invoice or a pro-forma as a PDF file, recorded with the print window's
// layout. False with the layout's message ("Fattura non trovata") or the
// export's error.
bool writeFeeDocumentPdf(AppContext& context, FeeDocumentKind kind, const DocumentKey& key,
                         InvoicePrintChoice choice, const QString& path, QString* error);

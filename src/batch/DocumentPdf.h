#pragma once

#include "FeeDocumentLayout.h"
#include "Schema.h"

#include <QString>

struct AppContext;

// An invoice or a pro-forma as a PDF file, without windows: recorded with
// the print window's layout, measured on an A4 page as the print window
// measures when no printer is installed, and written by the preview's PDF
// export. False with the layout's message ("Fattura non trovata") or the
// export's error.
bool writeFeeDocumentPdf(AppContext& context, FeeDocumentKind kind, const DocumentKey& key,
                         InvoicePrintChoice choice, const QString& path, QString* error);

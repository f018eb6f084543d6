#pragma once

#include "PdfExport.h"

#include <QString>
#include <functional>
#include <optional>

class Database;
class PageRecorder;
class QWidget;

// How a document window prints: records one document on the program's
// printer through layout, which returns the message to show when it cannot
// draw its page, and shows it in the preview; pdf, when given, is what the
// preview's PDF button writes. A page that could not be drawn is never
// offered as a PDF. Afterwards the status panel is idle. False when no
// preview opened (the message, or the reason the document could not be
// recorded, has been shown).
// With MessageOnly, a layout that returned a message and drew nothing opens
// no preview: a blank page would only hide the message's point.
enum class NothingDrawn { ShowPreview, MessageOnly };
bool previewDocument(QWidget* parent, Database* db,
                     const std::function<QString(PageRecorder&)>& layout,
                     std::optional<PdfExportRequest> pdf = std::nullopt,
                     NothingDrawn nothingDrawn = NothingDrawn::ShowPreview);

// The shared wording of an error met while printing.
QString printErrorText(const QString& description);

// Empties STAMPA and writes one row per page, numbered from 1.
bool writePageRows(Database& db, int pageCount, QString* error);

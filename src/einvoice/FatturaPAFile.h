#pragma once

#include "FatturaPAInvoice.h"
#include "ProgressivoInvio.h"

#include <QDateTime>
#include <QString>
#include <optional>

class Database;
class Settings;

// The file beside the invoice's archived PDF, in the year folder of
// Fatture under the data folder.
QString fatturaPAArchivePath(const QString& programFolder, const FatturaPAInvoice& e);

// Checks the invoice and writes its file at `path` (the folder made when
// missing), complete or not at all. On a refusal or a failure `message`
// says why, naming every problem found, and nothing is written.
bool writeFatturaPA(const FatturaPAInvoice& e, const QString& path, QString* message);

// What an invoice's view says of its electronic invoice: "XML scritto il
// 07/12/2026 alle 11:58", or that it was never written.
QString fatturaPAWrittenText(const QDateTime& written);

// The invoice of this key, loaded, checked and written at `path`, into the
// archive when `path` is empty, and the time recorded in the invoice, so
// that the windows and the period export know it is done. Its path, or
// nothing and the message to show (when the time cannot be recorded, the
// file is there and the message says so). When the checks refuse the
// invoice, `problems` (if given) lists what they found. The file carries
// `attachment` when given (InvoicePdfAttachment.h).
std::optional<QString> exportFatturaPA(Database& db, const Settings& settings,
                                       const QString& programFolder, const DocumentKey& key,
                                       const QString& path, QString* message,
                                       QStringList* problems = nullptr,
                                       const std::optional<FatturaPAAttachment>& attachment = {});

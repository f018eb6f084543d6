#pragma once

#include "FatturaPAInvoice.h"
#include "ProgressivoInvio.h"

#include <QDateTime>
#include <QString>
#include <optional>

class Database;
class Settings;

// The file beside the invoice's archived PDF, in the year folder of
// Fatture in the archive folder (ArchiveFolder.h).
QString fatturaPAArchivePath(const QString& archiveFolder, const FatturaPAInvoice& e);

// Checks the invoice and writes its file at `path` (the folder made when
// missing), complete or not at all. On a refusal or a failure `message`
// says why, naming every problem found, and nothing is written.
bool writeFatturaPA(const FatturaPAInvoice& e, const QString& path, QString* message);

// What an invoice's view says of its electronic invoice: "XML scritto il
// 07/12/2026 alle 11:58", or that it was never written.
QString fatturaPAWrittenText(const QDateTime& written);

// Whether an invoice that has a live sending is written once more.
enum class WriteAgain { Refuse, Allow };

// The invoice of this key, loaded, checked and written at `path`, into the
// archive when `path` is empty, as a new sending: a progressive never used
// before, so a new file name, never one already in the archive; the sending
// and the time recorded in the invoice, so that the windows and the period
// export know it is done. Its path, or nothing and the message to show, and
// then no file and no sending. When the checks refuse the invoice,
// `problems` (if given) lists what they found. An invoice with a live
// sending is refused (the message says when and as what it was written)
// unless `again` allows it. The file carries `attachment` when given
// (InvoicePdfAttachment.h). `warnings` (if given) lists what the checks
// found worth a look in a file they let through.
std::optional<QString> exportFatturaPA(Database& db, const Settings& settings,
                                       const QString& archiveFolder, const DocumentKey& key,
                                       const QString& path, QString* message,
                                       QStringList* problems = nullptr,
                                       WriteAgain again = WriteAgain::Refuse,
                                       const std::optional<FatturaPAAttachment>& attachment = {},
                                       QStringList* warnings = nullptr);

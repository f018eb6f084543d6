#pragma once

#include "FatturaPAInvoice.h"

#include <QDateTime>
#include <QString>
#include <optional>

class Database;
class Settings;

// ProgressivoInvio: what tells the files of one sender apart, at most five
// characters, derived from the invoice alone so that writing an invoice
// again gives the same name and no two invoices share one. The last two
// digits of the year, then the number: 0 to 999 as three digits ("26007" is
// invoice 7 of 2026), 1000 to 34695 as a capital letter followed by two
// base-36 digits ("26A00" is invoice 1000). Nothing for a higher number.
std::optional<QString> progressivoInvio(const DocumentKey& key);

// The name the Sistema di Interscambio expects: IT<VAT number>_<progressive>.xml.
QString fatturaPAFileName(const QString& vatNumber, const DocumentKey& key);

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
// invoice, `problems` (if given) lists what they found.
std::optional<QString> exportFatturaPA(Database& db, const Settings& settings,
                                       const QString& programFolder, const DocumentKey& key,
                                       const QString& path, QString* message,
                                       QStringList* problems = nullptr);

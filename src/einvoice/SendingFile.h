#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class DocumentKey;
struct Sending;

// Where a sending's file is kept: the year folder of the invoice archive
// under `archiveFolder`.
QString sendingFilePath(const QString& archiveFolder, const Sending& sending);

// The sending's file as written: nothing, and why ("Il file … della fattura
// 12/2026 non è nell'archivio (…)", "… è stato modificato dopo la
// scrittura"), when it is missing or its SHA-256 is no longer the one
// recorded. Whatever leaves the program (a ZIP, a PEC message) must be the
// file the sending stands for.
std::optional<QByteArray> readSendingFile(const QString& archiveFolder, const Sending& sending,
                                          QString* message);

// "fattura 12/2026": how messages name the invoice of a sending.
QString invoiceName(const DocumentKey& key);

#pragma once

#include <QString>

class Database;
class DocumentKey;

// The archive file of an invoice: Fatture/<yyyy>/Fattura_<yyyy>_<number>.pdf
// under the archive folder (ArchiveFolder.h), the year taken from the date and the number in its
// stored form (no group blanks, no leading zeros). Empty when the date is not
// a date or the number is not a whole number.
// A credit note's is Fatture/<yyyy>/NotaCredito_<yyyy>_<number>.pdf.
QString invoiceArchivePath(const QString& archiveFolder, const QString& numero, const QString& data,
                           bool creditNote = false);
// The archive file of the document stored under `key` in the invoice table,
// named for what it is; a key of no document, or a database that cannot be
// read, gives an invoice's name.
QString invoiceArchivePath(Database& db, const QString& archiveFolder, const DocumentKey& key);

#pragma once

#include "DocumentKey.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class Database;

// What reading one supplier's FatturaPA file did.
struct SupplierInvoiceImport
{
    bool imported = false;
    // One line for the user, naming the file: "IT01234567890_00001.xml:
    // fattura 15/A del 03/11/2026 di Rossi Srl registrata come movimenti
    // 2026/00012, 2026/00013", or why nothing was written.
    QString message;
    QVector<DocumentKey> purchases; // in the order written
    // What the check of a signed file's signature found ("firma verificata:
    // …", "firma non verificata: …"); empty for a plain XML file.
    QString signature;
};

// Reads a supplier's invoice file (FatturaPA XML, or signed .xml.p7m, DER
// or base64) named `fileName` into purchases: the supplier found by VAT
// number or tax code, or created; one purchase per VAT rate of each invoice
// of the file, numbered as the purchase window numbers them. The file is
// kept as `Ricevute/<year>/<name>` in `archiveFolder`, and the purchases, the
// supplier and the record of the import are written in one transaction:
// all of it or nothing. The same file, or the same supplier's invoice
// (number and date), imported twice, a file addressed to another VAT number
// than the heading's, or one that cannot be read exactly is refused by name
// and changes nothing. `today` dates the import.
SupplierInvoiceImport importSupplierInvoice(Database& db, const QString& archiveFolder,
                                            const QString& fileName, const QByteArray& data,
                                            const QDate& today);

// The same for files on disk, one result each, in the order given.
QList<SupplierInvoiceImport> importSupplierInvoiceFiles(Database& db, const QString& archiveFolder,
                                                        const QStringList& paths,
                                                        const QDate& today);

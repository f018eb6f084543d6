#pragma once

#include "PecFileKind.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

class Database;

// Imports one supplier's invoice file that came by mail: whether it was
// imported, and one sentence for the user saying what became of it.
using SupplierInvoiceHandler =
    std::function<std::pair<bool, QString>(const QString& fileName, const QByteArray& data)>;

// What became of one file of a mail, or of a whole mail that held nothing
// to take in (then `fileName` is empty).
struct PecIntakeItem
{
    QString mailSubject;
    QString fileName;
    PecFileKind kind = PecFileKind::Other;
    QString outcome;       // for the user, in Italian, without the file name
    bool ok = false;       // false: refused or failed, the user has to look at it
    bool repeated = false; // taken in before: nothing changed
    int mailIndex = 0;     // which of the mails handed in, from 0
};

struct PecIntake
{
    QList<PecIntakeItem> items;
    // The address of the Sistema di Interscambio a receipt about one of our
    // sendings came from ("sdi23@pec.fatturapa.it"); empty when none did.
    QString sdiAddress;
};

// Takes in the mails of the PEC inbox (raw RFC 5322 bytes): the SdI's
// receipts go to the receipt import, suppliers' invoices to
// `importSupplierInvoice` (an empty handler leaves them, said so); metadata
// and any other file are listed and left, and so is a mail that holds
// nothing of the electronic invoice or cannot be read. The PEC system's own
// receipts (acceptance, delivery) are listed, its notices of a failed
// delivery as failures.
PecIntake takeInPecMails(Database& db, const QList<QByteArray>& rawMails,
                         const SupplierInvoiceHandler& importSupplierInvoice);

// The intake told to the user: counts first ("Ricevute SdI registrate: 2",
// "Fatture di fornitori importate: 1", "Altri messaggi lasciati: 1"), then
// one line per item.
QString pecIntakeSummary(const PecIntake& intake);

#pragma once

#include "Client.h"
#include "FeeDocument.h"
#include "FeeProfile.h"
#include "InvoiceRegime.h"
#include "Settings.h"
#include "StampDuty.h"

#include <QString>
#include <QStringList>
#include <optional>

class Database;

// A PDF carried inside the file (Allegati), so that the client's viewer
// shows the invoice as the studio prints it.
struct FatturaPAAttachment
{
    QString name; // NomeAttachment: Latin-1, at most 60 characters
    QByteArray pdf;
};

// Everything an electronic invoice is made of: the stored invoice, its
// client, the professional who issues it and the settings that say how.
struct FatturaPAInvoice
{
    FeeDocument invoice;
    Client client;
    QStringList datiUtente; // name, address, town, postcode, VAT number, tax code
    FatturaPASettings settings;
    FeeProfile profile = FeeProfile::General; // what the withholding is charged on
    // The sending's progressive; empty, the one the earlier scheme derived
    // from the invoice (a file written outside a sending, such as a check).
    QString progressive;
    // The invoice's own PDF, carried in Allegati when given.
    std::optional<FatturaPAAttachment> attachment;
    // When stamp duty is due, and how much.
    StampDutyRule bollo;
};

// The invoice of this key with its client and the heading data as stored
// now; nothing and the reason when the invoice, its client or the database
// fails.
std::optional<FatturaPAInvoice> loadFatturaPAInvoice(Database& db, const Settings& settings,
                                                     const DocumentKey& key, QString* message);

#pragma once

#include "Client.h"
#include "FeeDocument.h"
#include "Settings.h"

#include <QString>
#include <QStringList>
#include <optional>

class Database;

// Everything an electronic invoice is made of: the stored invoice, its
// client, the professional who issues it and the settings that say how.
struct FatturaPAInvoice
{
    FeeDocument invoice;
    Client client;
    QStringList datiUtente; // name, address, town, postcode, VAT number, tax code
    FatturaPASettings settings;
    bool geometra = false; // the withholding is then on the fee alone
};

// The invoice of this key with its client and the heading data as stored
// now; nothing and the reason when the invoice, its client or the database
// fails.
std::optional<FatturaPAInvoice> loadFatturaPAInvoice(Database& db, const Settings& settings,
                                                     const DocumentKey& key, QString* message);

// The amounts of an invoice as the electronic invoice carries them: the
// stored ones, an empty amount as 0, and what they add up to.
struct FatturaPAAmounts
{
    Money fee;
    Money contribution;
    Money vat;
    Money withholding;
    Money expenses;
    Money stamp;

    // Fee and contribution: what the VAT is charged on.
    Money taxable() const { return fee + contribution; }
    // Expenses and stamp duty charged to the client outside VAT.
    Money outsideVat() const { return expenses + stamp; }
    // ImportoTotaleDocumento: all of it, before the withholding.
    Money total() const { return taxable() + vat + outsideVat(); }
    // What the client pays: the total less the withholding.
    Money net() const { return total() - withholding; }
};
FatturaPAAmounts fatturaPAAmounts(const FeeDocument& invoice);

// The flat-rate regime: no VAT, every taxable line of nature N2.2.
constexpr const char* kFlatRateRegime = "RF19";

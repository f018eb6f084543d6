#pragma once

#include "Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// A party of a FatturaPA file as it names itself.
struct InvoiceParty
{
    QString vatCountry; // IdFiscaleIVA/IdPaese
    QString vatCode;    // IdFiscaleIVA/IdCodice
    QString taxCode;    // CodiceFiscale
    QString name;       // Denominazione, or Nome and Cognome
    QString address;    // Indirizzo and NumeroCivico
    QString postcode;
    QString town;
    QString province;
    QString country;

    // The VAT number as it is kept: an Italian one alone, any other after
    // its country ("DE123456789").
    QString vatNumber() const;
};

// One DatiRiepilogo: the taxable amount of one rate, or of one nature
// outside VAT.
struct InvoiceSummary
{
    QString rate;   // AliquotaIVA as written, "22.00"
    QString nature; // Natura, empty for a taxed amount
    Money taxable;  // ImponibileImporto
    Money tax;      // Imposta
};

// One FatturaElettronicaBody: one invoice of the supplier's.
struct InvoiceBody
{
    QString documentType; // TipoDocumento
    QString currency;     // Divisa
    QString number;
    QDate date;
    QString firstLine; // the Descrizione of the first DettaglioLinee
    QList<InvoiceSummary> summaries;
};

// A FatturaPA file received from a supplier: one header, one body or more
// (a batch).
struct ReceivedInvoice
{
    InvoiceParty supplier; // CedentePrestatore
    InvoiceParty customer; // CessionarioCommittente
    QList<InvoiceBody> bodies;
};

// Reads a FatturaPA 1.2 file (the root in its namespace under any prefix,
// its children by their names). Nothing, and why in `message`, when it is
// no such file, lacks what names the supplier or an invoice, or holds an
// amount, a rate or a date that cannot be read exactly.
std::optional<ReceivedInvoice> readReceivedInvoice(const QByteArray& xml, QString* message);

// An amount of the file ("1234.50", "-12.30") in cents, never through a
// binary float; nothing when it is no such number or has a cent's fraction.
std::optional<Money> fatturaPAAmount(const QString& text);

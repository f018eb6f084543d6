#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What any FatturaPA file holds, a supplier's or this program's own, as the
// view shows it. Amounts, rates and quantities keep the file's decimal text
// ("1234.50", "0.12345678"): nothing is rounded on the way to the page.

struct FatturaPAParty
{
    QString name; // Denominazione, or Titolo Nome Cognome
    QString vatCountry;
    QString vatNumber; // IdFiscaleIVA: IdPaese and IdCodice
    QString taxCode;   // CodiceFiscale
    QString address;   // Indirizzo and NumeroCivico
    QString postcode;
    QString town;
    QString province;
    QString country;
    QString regime; // RegimeFiscale, the seller's only
    QString phone;
    QString email;
};

struct FatturaPAWithholding // DatiRitenuta
{
    QString type;
    QString amount;
    QString rate;
    QString reason; // CausalePagamento
};

struct FatturaPAFund // DatiCassaPrevidenziale
{
    QString type; // TipoCassa
    QString rate; // AlCassa
    QString amount;
    QString taxable;
    QString vatRate;
    QString nature;
    bool withheld = false;
};

struct FatturaPALine // DettaglioLinee
{
    QString number;
    QString description;
    QString quantity; // empty when the file gives none
    QString unit;     // UnitaMisura
    QString unitPrice;
    QString total;
    QString vatRate;
    QString nature;
    bool withheld = false;
};

struct FatturaPASummary // DatiRiepilogo
{
    QString vatRate;
    QString nature;
    QString taxable;
    QString tax;
    QString chargeability; // EsigibilitaIVA
    QString reference;     // RiferimentoNormativo
};

struct FatturaPAInstalment // DettaglioPagamento
{
    QString mode; // ModalitaPagamento
    QDate due;    // DataScadenzaPagamento
    QString amount;
    QString iban;
    QString beneficiary;
    QString bank; // IstitutoFinanziario
};

struct FatturaPAPayment // DatiPagamento
{
    QString conditions;
    QList<FatturaPAInstalment> instalments;
};

struct FatturaPAAttachmentName // Allegati, without their contents
{
    QString name;
    QString format;
    QString description;
};

struct FatturaPALinkedInvoice // DatiFattureCollegate
{
    QString number;
    QDate date;
};

// One FatturaElettronicaBody: a file of several (a "lotto") holds several
// documents of the same seller to the same buyer.
struct FatturaPABody
{
    QString documentType; // TipoDocumento, TD01 …
    QString currency;
    QDate date;
    QString number;
    QString total; // ImportoTotaleDocumento, empty when not given
    QString stampDuty;
    QList<FatturaPAWithholding> withholdings;
    QList<FatturaPAFund> funds;
    QStringList reasons; // Causale
    QList<FatturaPALinkedInvoice> linkedInvoices;
    QList<FatturaPALine> lines;
    QList<FatturaPASummary> summaries;
    QList<FatturaPAPayment> payments;
    QList<FatturaPAAttachmentName> attachments;
};

struct FatturaPAContent
{
    QString fileName; // without its folder
    QString version;  // the root's versione, FPR12 or FPA12
    QString transmitter;
    QString progressive;
    QString format;
    QString recipientCode;
    QString recipientPec;
    FatturaPAParty supplier; // CedentePrestatore
    FatturaPAParty client;   // CessionarioCommittente
    QList<FatturaPABody> bodies;

    // A signed (.p7m) file: whether its signature matched the content, and
    // if not why.
    bool isSigned = false;
    bool signatureVerified = false;
    QString signatureProblem;
};

// The document in `data`, XML of the FatturaPA schema (1.2, or 1.1 of older
// files), elements matched by their namespace: those of another one (a
// signature of the XML) and those the view does not show are skipped.
// Nothing, and why in `message`, when it is no such document.
std::optional<FatturaPAContent> readFatturaPA(const QByteArray& data, QString* message);

// The document in a file, XML or signed (.p7m). A signed file whose
// signature does not match is still read when its content can be taken
// out, and says so. A refusal's message names the file ("offerta.xml: non è
// una fattura elettronica FatturaPA …").
std::optional<FatturaPAContent> readFatturaPAFile(const QString& path, QString* message);

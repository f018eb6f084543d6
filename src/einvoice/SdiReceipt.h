#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The notifications the Sistema di Interscambio sends back about a file
// written by this program, by the two letters of their file names.
enum class SdiReceiptKind {
    Delivered,      // RC, RicevutaConsegna
    Rejected,       // NS, NotificaScarto
    NotDelivered,   // MC, NotificaMancataConsegna: in the client's tax drawer
    DeadlinePassed, // DT, NotificaDecorrenzaTermini
    NotDeliverable, // AT, AttestazioneTrasmissioneFattura
};

// "RC", "NS", "MC", "DT", "AT": how a kind is stored, and back.
QString sdiReceiptCode(SdiReceiptKind kind);
std::optional<SdiReceiptKind> sdiReceiptKindOfCode(const QString& code);

struct SdiError
{
    QString code; // Codice, five digits
    QString description;

    bool operator==(const SdiError&) const = default;
};

// One notification as read from its file.
struct SdiReceipt
{
    SdiReceiptKind kind = SdiReceiptKind::Delivered;
    QString identificativoSdI;
    QString nomeFile;    // the file of ours it is about
    QDateTime received;  // DataOraRicezione: when the SdI took the file
    QDateTime delivered; // DataOraConsegna, delivery receipts only
    QString messageId;
    QList<SdiError> errors; // ListaErrori, rejections only
    QString description;    // Descrizione of a missed delivery or a deadline

    // The time the state dates from: the delivery for a delivery receipt,
    // the reception for the others; none for a deadline notice, which
    // carries no date.
    QDateTime stateTime() const;
};

// The notification in `data`, the XML of the messages schema (namespace
// http://www.fatturapa.gov.it/sdi/messaggi/v1.0). Nothing, and why in
// `message`, when it is no such notification, of a kind this program does
// not follow, or lacks what identifies it.
std::optional<SdiReceipt> readSdiReceipt(const QByteArray& data, QString* message);

// The notification in a file, as XML or signed (CAdES, .p7m): the message
// of a refusal names the file.
std::optional<SdiReceipt> readSdiReceiptFile(const QString& path, QString* message);
// The same for the bytes of a file named `fileName` that came some other way
// (attached to a mail): the message of a refusal names the file.
std::optional<SdiReceipt> readSdiReceiptData(const QString& fileName, const QByteArray& data,
                                             QString* message);

// The sentence an invoice's window shows for the state a notification
// leaves it in: "Consegnata il 08/12/2026", "Scartata il 09/12/2026: 00305
// IdFiscaleIVA del cessionario non valido", ...
QString sdiStateText(SdiReceiptKind kind, const QDate& date, const QList<SdiError>& errors);
QString sdiStateText(const SdiReceipt& receipt);

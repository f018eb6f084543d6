#pragma once

#include "DocumentKey.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class Database;
struct FeeDocument;

// Where a sending stands, as the Sistema di Interscambio's receipts tell it.
enum class SendingState {
    Written,      // written, no receipt yet
    Delivered,    // RicevutaConsegna
    Rejected,     // NotificaScarto
    NotDelivered, // NotificaMancataConsegna: in the client's tax drawer
    TermsExpired, // NotificaDecorrenzaTermini
    Attested,     // AttestazioneTrasmissioneFattura
    Withdrawn,    // "Annulla invio": never to be sent
    Sent,         // sent to the SdI by certified mail, no receipt yet
};

// The two letters a state is stored as ("SC", "RC", "NS", "MC", "DT", "AT",
// "AN", "IN"), and back; an unknown text reads as Written, the state that
// locks.
QString storedState(SendingState state);
SendingState stateFromStored(const QString& stored);

// One electronic invoice file as written.
struct Sending
{
    qint64 id = 0;
    DocumentKey invoice;
    QString progressive;
    std::optional<qint64> counter; // nothing for a name of the earlier scheme
    QString fileName;
    QDateTime written;
    QString sha256; // hex; empty when the file was not there to read
    SendingState state = SendingState::Written;
    QDateTime stateDate;
    QString sdiId;
    QString errors;
    QString messageId;  // of the certified mail that carried it, when sent so
    qint64 version = 0; // the row version read; 0 for a sending not read

    // A sending that stands for the invoice: neither rejected nor withdrawn.
    bool isLive() const;
    // Only a file the SdI cannot have taken in can be withdrawn: never
    // uploaded, or rejected. A file sent by certified mail may be on its way.
    bool mayWithdraw() const;
    // Written or sent, the SdI has not answered yet: its first receipt may
    // come.
    bool awaitsReceipt() const;
};

// The sendings of a database, read as the table is now. Failures of the
// database are told in `error`.
class Sendings
{
public:
    explicit Sendings(Database& db) : m_db(db) {}

    // The sendings of an invoice, oldest first.
    std::optional<QVector<Sending>> ofInvoice(const DocumentKey& invoice, QString* error) const;
    // The invoice's latest live sending; nothing when it has none, or on a
    // failure (then `error` says so).
    std::optional<Sending> live(const DocumentKey& invoice, QString* error) const;
    // The sending of that file name, for a receipt that names it.
    std::optional<Sending> byFileName(const QString& fileName, QString* error) const;
    // The latest live sending of each invoice dated from `first` to `last`,
    // in the invoices' key order.
    std::optional<QVector<Sending>> liveInPeriod(const QDate& first, const QDate& last,
                                                 QString* error) const;
    // Of those, the ones still to be sent: written and neither sent nor
    // answered by the SdI.
    std::optional<QVector<Sending>> unsentLiveInPeriod(const QDate& first, const QDate& last,
                                                       QString* error) const;
    // The latest sending of each of these invoices that has one, live or
    // not, by the invoice's stored key.
    std::optional<QHash<QString, Sending>> latestOf(const QVector<DocumentKey>& invoices,
                                                    QString* error) const;

    // The counter the next progressive is made from: one past the highest
    // used. Read it and add the sending in one transaction.
    std::optional<qint64> nextCounter(QString* error) const;
    // Records a sending; its id. A counter stored already (another desk
    // took it meanwhile) is refused with *counterTaken set, and leaves the
    // caller's transaction as it was.
    std::optional<qint64> add(const Sending& sending, QString* error,
                              bool* counterTaken = nullptr) const;
    // What follows from the counter of a new sending: given the first
    // counter to try, fills in the sending's progressive, file name and
    // hash for the counter it settles on (that or a later one), and
    // returns that counter; nothing and why to give up.
    using CounterNaming =
        std::function<std::optional<qint64>(qint64 from, Sending* sending, QString* why)>;
    // Records a new sending under the next free counter, named by `name`.
    // Inside the caller's transaction: a counter another desk took after it
    // was read is given up and the next one named, so no two sendings ever
    // share a progressive. The sending's id; `sending` as recorded.
    std::optional<qint64> addUnderFreeCounter(Sending* sending, const CounterNaming& name,
                                              QString* error) const;
    // Records what a receipt says of the sending `id`; with a `version`
    // other than 0, only while the sending is stored with that version.
    bool setState(qint64 id, SendingState state, const QDateTime& when, const QString& sdiId,
                  const QString& errors, QString* error, qint64 version = 0) const;
    // Records that the sending `id` left by certified mail at `when` as the
    // message `messageId`; refused with the reason unless it is written and
    // not yet sent.
    bool markSent(qint64 id, const QDateTime& when, const QString& messageId, QString* error) const;
    // Withdraws the sending `id` at `when`; refused with the reason when the
    // SdI has taken it in or may have it.
    bool withdraw(qint64 id, const QDateTime& when, QString* error) const;

    // The sending `id`; nothing when there is none (`error` then empty) or on
    // a failure.
    std::optional<Sending> byId(qint64 id, QString* error) const;

private:
    std::optional<QVector<Sending>> select(const QString& where, const QVariantList& values,
                                           QString* error) const;

    Database& m_db;
};

// Fills the sendings of a database that had none from the time each invoice's
// file was last written: one sending per written invoice, named as the
// earlier scheme named it, with the hash of the file in the invoice archive
// of `dataFolder` when it is there.
bool migrateWrittenInvoices(Database& db, const QString& dataFolder, QString* error);

// Withdraws the invoice's live sending now: what to tell the user ("Invio
// IT01234567897_A0001.xml della fattura 12/2026 annullato"), or nothing and
// why (no live sending, one the SdI has taken in, a database failure).
std::optional<QString> withdrawLiveSending(Database& db, const DocumentKey& invoice,
                                           QString* error);

// Whether an invoice to the client of `code` has a live sending: its file
// carries the client's data as they were.
bool clientHasLiveSendings(Database& db, const QString& code, QString* error);

// What refuses a change to an invoice that a live sending carries.
QString lockedInvoiceMessage();
// Whether `edited` differs from `stored` in what the electronic invoice
// carries: everything but the payment date and the notes.
bool changesWhatXmlCarries(const FeeDocument& stored, const FeeDocument& edited);
// "La fattura 12/2026 è già stata scritta il 07/12/2026
// (IT01234567897_A0001.xml)".
QString alreadyWrittenText(const Sending& sending);
// Where a sending stands in a word or two and a date, for a grid:
// "Consegnata 08/12/2026".
QString sendingStateCell(const Sending& sending);

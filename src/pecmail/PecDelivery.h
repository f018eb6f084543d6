#pragma once

#include "MailError.h"
#include "PecAccount.h"
#include "Sendings.h"
#include "SmtpSender.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class Database;
struct PecSettings;

// The account the settings describe, with its password; the servers'
// certificates checked against the system's store and, when the
// environment names one in FALMIDE_PEC_CA_FILE, an authority of the
// user's own (a test's).
PecAccount pecAccount(const PecSettings& settings, const QString& password);

// The sendings a period's "Invia con PEC" sends: the live sending of each
// invoice dated from `first` to `last` that is written but not yet sent, in
// the invoices' key order.
std::optional<QVector<Sending>> sendingsToSend(Database& db, const QDate& first, const QDate& last,
                                               QString* error);

// What sending one file did.
struct PecSendOutcome
{
    bool sent = false;
    MailErrorKind failure = MailErrorKind::None;
    // One line naming the file: "IT01234567897_A0001.xml (fattura 12/2026)
    // inviato con PEC a sdi01@pec.fatturapa.it", or why not.
    QString message;
};

// Whether a failure stops a run of sendings: a server that cannot be
// reached, a login refused or a certificate not trusted would fail every
// file after it alike, and a cancel means the user wants no more. A message
// refused, or a file that could not be sent for reasons of its own, leaves
// the others to go.
bool stopsTheRun(MailErrorKind failure);

// A sending ready to go: its file read and checked, its message made.
struct PreparedSending
{
    Sending sending;
    OutgoingMail mail;
};

// The message for a sending that is written and not yet sent; nothing, and
// why, for one in another state or whose archived file is missing or
// changed since it was written.
std::optional<PreparedSending> prepareSending(const QString& archiveFolder,
                                              const PecAccount& account, const Sending& sending,
                                              QString* message);

// Records what the server said of a prepared sending: "Inviata" with the
// time and message id when `sent`, nothing changed otherwise.
PecSendOutcome recordSending(Database& db, const PecAccount& account,
                             const PreparedSending& prepared, const std::optional<SentMail>& sent,
                             const MailError& error);

// Sends the sending's archived file to the SdI's address as one PEC message
// and records the sending as "Inviata" with the time and the message's id.
// A sending that is not written-and-unsent, a file missing or changed since
// it was written, or a failure of the server leaves the state as it was.
PecSendOutcome sendByPec(Database& db, const QString& archiveFolder, const PecAccount& account,
                         const Sending& sending, const std::function<bool()>& cancelled = {});

// The message that carries a sending's file to the SdI.
OutgoingMail sdiMail(const PecAccount& account, const QString& fileName, const QByteArray& file);

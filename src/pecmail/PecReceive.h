#pragma once

#include "ImapReader.h"
#include "MailError.h"
#include "PecAccount.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Database;
class Settings;

// What "Ricevi dalla PEC" took in.
struct PecReceiveSummary
{
    int mails = 0;     // new messages read
    QString intake;    // counts, then one line per file or message
    QStringList notes; // what else changed: the SdI's address, the mark
    bool anyRefused = false;
    // The text for the user: how many messages, what came of them.
    QString text() const;
};

// Takes in what was fetched: the SdI's receipts recorded in their sendings,
// suppliers' invoices registered as purchases (their files kept under
// Ricevute/<year>/), the rest listed and left. Then remembers how far the
// inbox has been read, and the SdI's address a receipt came from. Only the
// settings' mark moves the inbox on: a run that fails before it reads the
// same messages again, and what it took in the first time is known as such.
PecReceiveSummary takeInFetched(Database& db, const Settings& settings,
                                const QString& archiveFolder, const FetchResult& fetched,
                                const QDate& today);

// Fetches the inbox's new messages and takes them in; nothing, and why in
// `error`, when the server could not be read (then nothing changed).
std::optional<PecReceiveSummary> receiveFromPec(Database& db, const Settings& settings,
                                                const QString& archiveFolder,
                                                const PecAccount& account, const QDate& today,
                                                MailError* error,
                                                const std::function<bool()>& cancelled = {});

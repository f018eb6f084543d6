#pragma once

#include "FatturaPAInvoice.h"
#include "ProgressivoInvio.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <optional>

class Database;
class Settings;

// The file beside the invoice's archived PDF, in the year folder of
// Fatture in the archive folder (ArchiveFolder.h).
QString fatturaPAArchivePath(const QString& archiveFolder, const FatturaPAInvoice& e);

// Checks the invoice and writes its file at `path` (the folder made when
// missing), complete or not at all. On a refusal or a failure `message`
// says why, naming every problem found, and nothing is written.
bool writeFatturaPA(const FatturaPAInvoice& e, const QString& path, QString* message);

// What an invoice's view says of its electronic invoice: "XML scritto il
// 07/12/2026 alle 11:58", or that it was never written.
QString fatturaPAWrittenText(const QDateTime& written);

// Whether an invoice that has a live sending is written once more.
enum class WriteAgain { Refuse, Allow };

// Several invoices written by exportFatturaPA in one transaction of the
// database. Each file is synced and put in place as it is written; the
// folders that received them are synced once, when the batch is committed,
// just before the transaction that records their sendings: a recorded
// sending always names a file that lasts through a crash, and a batch
// costs the database one commit instead of one per file. An invoice that
// fails is left out alone: the others of the batch are still recorded.
class FatturaPABatch
{
public:
    explicit FatturaPABatch(Database& db) : m_db(db) {}
    // A batch begun and not committed records nothing.
    ~FatturaPABatch();
    FatturaPABatch(const FatturaPABatch&) = delete;
    FatturaPABatch& operator=(const FatturaPABatch&) = delete;

    bool begin(QString* message);
    // Syncs the folders, then records the sendings. False and why when
    // either fails: nothing of the batch is recorded then. Its files stay
    // where they are; a new sending never takes the name of one of them.
    bool commit(QString* message);

    // Holds the invoices of these stored keys until the batch ends, as
    // exportFatturaPA holds each invoice it writes, and reads which of them
    // have a live sending: one statement each for the lot instead of two
    // for each invoice. Nothing held when it fails: each invoice is then
    // held as it is written.
    void hold(const QStringList& keys);
    // Of an invoice held by the batch, whether it had a live sending when
    // held; nothing for an invoice not held.
    std::optional<bool> heldWithLiveSending(const DocumentKey& key) const;

    // A folder made and checked once in the batch is taken as it is by the
    // batch's other files; each is synced on commit.
    bool hasFolder(const QString& folder) const { return m_folders.contains(folder); }
    void addFolder(const QString& folder) { m_folders.insert(folder); }

private:
    Database& m_db;
    QSet<QString> m_folders;
    QSet<QString> m_held;
    QSet<QString> m_live;
    bool m_open = false;
};

// The invoice of this key, loaded, checked and written at `path`, into the
// archive when `path` is empty, as a new sending: a progressive never used
// before, so a new file name, never one already in the archive; the sending
// and the time recorded in the invoice, so that the windows and the period
// export know it is done. Its path, or nothing and the message to show, and
// then no file and no sending. When the checks refuse the invoice,
// `problems` (if given) lists what they found. An invoice with a live
// sending is refused (the message says when and as what it was written)
// unless `again` allows it. The file carries `attachment` when given
// (InvoicePdfAttachment.h). `warnings` (if given) lists what the checks
// found worth a look in a file they let through. Within a `batch` (begun)
// the sending is recorded only when the batch is committed.
std::optional<QString>
exportFatturaPA(Database& db, const Settings& settings, const QString& archiveFolder,
                const DocumentKey& key, const QString& path, QString* message,
                QStringList* problems = nullptr, WriteAgain again = WriteAgain::Refuse,
                const std::optional<FatturaPAAttachment>& attachment = {},
                QStringList* warnings = nullptr, FatturaPABatch* batch = nullptr);

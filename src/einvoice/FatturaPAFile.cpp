#include "FatturaPAFile.h"

#include "ArchiveFolder.h"
#include "Database.h"
#include "FatturaPAChecks.h"
#include "FatturaPAXml.h"
#include "InvoiceArchive.h"
#include "Schema.h"
#include "Sendings.h"
#include "Snapshot.h"
#include "StagedFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString fatturaPAArchivePath(const QString& archiveFolder, const FatturaPAInvoice& e)
{
    const QString pdf = invoiceArchivePath(archiveFolder, QString::number(e.invoice.key.number()),
                                           e.invoice.date.toString(QStringLiteral("dd/MM/yyyy")),
                                           e.invoice.isCreditNote());
    const QString name = e.progressive.isEmpty()
                             ? fatturaPAFileName(e.datiUtente.value(4), e.invoice.key)
                             : fatturaPAFileName(e.datiUtente.value(4), e.progressive);
    return QFileInfo(pdf).path() + QLatin1Char('/') + name;
}

namespace {

bool writeAll(const QString& staged, const QByteArray& bytes, const QString& target,
              QString* message)
{
    QFile file(staged);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *message =
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(target, file.errorString());
        return false;
    }
    return true;
}

bool makeFolder(const QString& target, QString* message)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (QDir().mkpath(folder))
        return true;
    *message = QStringLiteral("Impossibile creare la cartella %1.").arg(folder);
    return false;
}

} // namespace

bool writeFatturaPA(const FatturaPAInvoice& e, const QString& path, QString* message)
{
    const QStringList problems = fatturaPAProblems(e);
    if (!problems.isEmpty()) {
        *message = fatturaPAProblemMessage(problems);
        return false;
    }
    const QString target = QFileInfo(path).absoluteFilePath();
    // An earlier file of the same name stays whole until the new one is.
    StagedFile staged(target);
    return makeFolder(target, message) && staged.create(message) &&
           writeAll(staged.path(), fatturaPAXml(e), target, message) && staged.commit(message);
}

QString fatturaPAWrittenText(const QDateTime& written)
{
    return written.isValid() ? QStringLiteral("XML scritto il %1 alle %2")
                                   .arg(written.toString(QStringLiteral("dd/MM/yyyy")),
                                        written.toString(QStringLiteral("HH:mm")))
                             : QStringLiteral("XML non ancora scritto");
}

namespace {

// The first counter from `from` whose file is not in the archive, its
// progressive set in `e`: a file written there whose sending was never
// recorded (the database failed after it) keeps its name.
std::optional<qint64> freeCounter(qint64 from, FatturaPAInvoice& e, const QString& archiveFolder,
                                  QString* message)
{
    for (qint64 counter = from;; ++counter) {
        const auto progressive = sendingProgressive(counter);
        if (!progressive) {
            *message = QStringLiteral("Progressivi di invio esauriti");
            return std::nullopt;
        }
        e.progressive = *progressive;
        if (!QFileInfo::exists(fatturaPAArchivePath(archiveFolder, e)))
            return counter;
    }
}

// Changes nothing, but holds the invoice's row until the transaction ends.
bool holdInvoice(Database& db, const DocumentKey& key, QString* error)
{
    const TableDef& def = tableDef(Table::Fatture);
    const QString written = db.quoted(def.columns.at(int(FeeColumn::XmlWritten)).name);
    int changed = 0;
    if (!db.execute(QStringLiteral("UPDATE %1 SET %2 = %2 WHERE %3 = ?")
                        .arg(db.quoted(def.name), written,
                             db.quoted(def.columns.at(int(FeeColumn::Key)).name)),
                    {key.stored()}, error, &changed))
        return false;
    if (changed == 1)
        return true;
    *error = QStringLiteral("Fattura non trovata");
    return false;
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

FatturaPABatch::~FatturaPABatch()
{
    if (m_open)
        m_db.rollback();
}

bool FatturaPABatch::begin(QString* message)
{
    m_folders.clear();
    m_held.clear();
    m_live.clear();
    m_open = m_db.begin(message);
    return m_open;
}

bool FatturaPABatch::commit(QString* message)
{
    if (!m_open)
        return true;
    m_open = false;
    QString error;
    for (const QString& folder : std::as_const(m_folders))
        if (!StagedFile::syncFolder(folder, &error)) {
            m_db.rollback();
            *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
            return false;
        }
    if (!m_db.commit(&error)) {
        *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
        return false;
    }
    return true;
}

void FatturaPABatch::hold(const QStringList& keys)
{
    QString error;
    if (!m_open || keys.isEmpty() || !m_db.begin(&error))
        return;
    const TableDef& invoices = tableDef(Table::Fatture);
    const TableDef& sendings = sendingsTableDef();
    auto invoiceColumn = [this, &invoices](FeeColumn c) {
        return m_db.quoted(invoices.columns.at(int(c)).name);
    };
    auto sendingColumn = [this, &sendings](SendingColumn c) {
        return m_db.quoted(sendings.columns.at(int(c)).name);
    };
    const QString marks = QStringLiteral("?") + QStringLiteral(", ?").repeated(keys.size() - 1);
    QVariantList values(keys.cbegin(), keys.cend());
    // Held first, then read: what another desk recorded for one of them
    // before it let go is seen.
    if (!m_db.execute(QStringLiteral("UPDATE %1 SET %2 = %2 WHERE %3 IN (%4)")
                          .arg(m_db.quoted(invoices.name), invoiceColumn(FeeColumn::XmlWritten),
                               invoiceColumn(FeeColumn::Key), marks),
                      values, &error)) {
        m_db.rollback();
        return;
    }
    values << storedState(SendingState::Rejected) << storedState(SendingState::Withdrawn);
    const auto live = Snapshot::Open(
        m_db,
        QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IN (%3) AND %4 NOT IN (?, ?)")
            .arg(sendingColumn(SendingColumn::Invoice), m_db.quoted(sendings.name), marks,
                 sendingColumn(SendingColumn::State)),
        values, &error);
    if (!live || !m_db.commit(&error)) {
        if (!live)
            m_db.rollback();
        return;
    }
    m_held = QSet<QString>(keys.cbegin(), keys.cend());
    for (const QVariantList& row : live->rows())
        m_live.insert(row.value(0).toString());
}

std::optional<bool> FatturaPABatch::heldWithLiveSending(const DocumentKey& key) const
{
    const QString stored = key.stored();
    if (!m_held.contains(stored))
        return std::nullopt;
    return m_live.contains(stored);
}

namespace {

std::optional<QString> writeSending(Database& db, const Settings& settings,
                                    const QString& archiveFolder, const DocumentKey& key,
                                    const QString& path, QString* message, QStringList* problems,
                                    WriteAgain again,
                                    const std::optional<FatturaPAAttachment>& attachment,
                                    QStringList* warnings, FatturaPABatch* batch)
{
    auto e = loadFatturaPAInvoice(db, settings, key, message);
    if (!e)
        return std::nullopt;
    e->attachment = attachment;
    const QStringList found = fatturaPAProblems(*e);
    if (problems)
        *problems = found;
    if (!found.isEmpty()) {
        *message = fatturaPAProblemMessage(found);
        return std::nullopt;
    }
    if (warnings)
        *warnings = fatturaPAWarnings(*e);

    // The progressive is taken, the file written and the sending recorded
    // together: a failure anywhere leaves neither a sending without its file
    // nor a progressive given twice. The invoice is held first: a desk that
    // writes it at the same time waits for this one to end, then finds its
    // sending instead of recording a second one.
    if (!db.begin(message))
        return std::nullopt;
    QString error;
    const auto held = batch ? batch->heldWithLiveSending(key) : std::nullopt;
    if (!held && !holdInvoice(db, key, &error)) {
        db.rollback();
        *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
        return std::nullopt;
    }
    const Sendings sendings(db);
    // Held by the batch without a live sending, there is none to look for.
    message->clear();
    const auto live = held == false ? std::nullopt : sendings.live(key, message);
    if (live && again == WriteAgain::Refuse)
        *message = alreadyWrittenText(*live);
    if (!message->isEmpty()) {
        db.rollback();
        return std::nullopt;
    }
    const QDateTime now = QDateTime::currentDateTime();
    Sending sending;
    sending.invoice = key;
    sending.written = now;
    sending.stateDate = now;
    QByteArray xml;
    const auto recorded = sendings.addUnderFreeCounter(
        &sending,
        [&](qint64 from, Sending* s, QString* why) {
            const auto counter = freeCounter(from, *e, archiveFolder, why);
            if (counter) {
                xml = fatturaPAXml(*e);
                s->progressive = e->progressive;
                s->fileName = fatturaPAFileName(e->datiUtente.value(4), e->progressive);
                s->sha256 = sha256(xml);
            }
            return counter;
        },
        &error);
    const QString target = path.isEmpty() ? fatturaPAArchivePath(archiveFolder, *e)
                                          : QFileInfo(path).absoluteFilePath();
    StagedFile staged(target);
    const QString folder = QFileInfo(target).absolutePath();
    // Into the archive, its folder must be there: a shared folder not
    // mounted is said, never replaced by a local one.
    const auto folderMade = [&] {
        if (batch && batch->hasFolder(folder))
            return true;
        const bool made = path.isEmpty() ? makeArchiveFolder(archiveFolder, folder, message)
                                         : makeFolder(target, message);
        if (made && batch)
            batch->addFolder(folder);
        return made;
    };
    if (!recorded || !folderMade() || !staged.create(message) ||
        !writeAll(staged.path(), xml, target, message) ||
        !FeeDocuments(db, FeeDocumentKind::Invoice).setXmlWritten(key, now, &error) ||
        !staged.commit(message,
                       batch ? StagedFile::FolderSync::ByCaller : StagedFile::FolderSync::Now)) {
        db.rollback();
        if (!error.isEmpty())
            *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
        return std::nullopt;
    }
    // A commit that fails rolls back by itself: one more rollback would undo
    // the transaction around this one, a batch's.
    if (!db.commit(&error)) {
        *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
        return std::nullopt;
    }
    return target;
}

} // namespace

std::optional<QString> exportFatturaPA(Database& db, const Settings& settings,
                                       const QString& archiveFolder, const DocumentKey& key,
                                       const QString& path, QString* message, QStringList* problems,
                                       WriteAgain again,
                                       const std::optional<FatturaPAAttachment>& attachment,
                                       QStringList* warnings, FatturaPABatch* batch)
{
    // The sending goes into the database: an archive that takes no saves is
    // said so before any file is written.
    if (!db.acceptsWrites(message))
        return std::nullopt;
    if (!batch)
        return writeSending(db, settings, archiveFolder, key, path, message, problems, again,
                            attachment, warnings, nullptr);
    // In a batch the invoice is read and recorded under a savepoint of its
    // own: whatever fails on the way (a server gives up a transaction at its
    // first failed statement) leaves the batch as the others left it.
    if (!db.begin(message))
        return std::nullopt;
    const auto written = writeSending(db, settings, archiveFolder, key, path, message, problems,
                                      again, attachment, warnings, batch);
    if (!written) {
        db.rollback();
        return std::nullopt;
    }
    // A savepoint that cannot be released is rolled back by the attempt.
    QString error;
    if (!db.commit(&error)) {
        *message = QStringLiteral("Fattura elettronica non scritta: %1").arg(error);
        return std::nullopt;
    }
    return written;
}

#include "ArchiveMaintenance.h"

#include "AppContext.h"
#include "ArchiveTransfer.h"
#include "Clock.h"
#include "CopyRestore.h"
#include "DailyCopies.h"
#include "DailyCopyJob.h"
#include "DatabaseMaintenance.h"
#include "HeadingData.h"
#include "KeptFiles.h"
#include "MessageBox.h"
#include "MostraErrore.h"
#include "ServerCare.h"
#include "StatusMessage.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kFilter = QStringLiteral("Archivi Falmide (*.db);;Tutti i file (*)");
const QString kDamaged = QStringLiteral("ATTENZIONE! DATABASE DANNEGGIATO");

// The day's copy reads the file being replaced: it ends first.
void settleDailyCopy()
{
    if (!DailyCopyJob::anyRunning())
        return;
    const WaitCursor wait;
    DailyCopyJob::settleRunning();
}

// The program's database is closed while a command works on a file, and
// opened again however the command ends.
class ClosedDatabase
{
public:
    explicit ClosedDatabase(ArchiveMaintenance& maintenance, AppContext& context)
        : m_maintenance(maintenance)
    {
        settleDailyCopy();
        context.DbArchivi.close();
    }
    ~ClosedDatabase() { m_maintenance.reopen(); }
    ClosedDatabase(const ClosedDatabase&) = delete;
    ClosedDatabase& operator=(const ClosedDatabase&) = delete;

private:
    ArchiveMaintenance& m_maintenance;
};

} // namespace

ArchiveMaintenance::ArchiveMaintenance(AppContext& context, QWidget* parent)
    : m_context(context), m_parent(parent)
{
}

QString ArchiveMaintenance::chooseFile(const QString& title, const QString& proposed, bool save)
{
    // Qt's own dialog, the same on every desktop, in the program's language.
    QFileDialog dialog(m_parent, title, QFileInfo(proposed).absolutePath(), kFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) {
        dialog.setDefaultSuffix(QStringLiteral("db"));
        dialog.selectFile(QFileInfo(proposed).fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    // The dialog has gone before the work starts.
    QApplication::processEvents();
    return dialog.selectedFiles().constFirst();
}

bool ArchiveMaintenance::reopen()
{
    QString error;
    if (!m_context.openArchivesDatabase(&error) ||
        !loadHeadingData(m_context.DbArchivi, &m_context.DatiUtente, &error)) {
        m_context.DbArchivi.close();
        MessageBox::error(m_parent, QStringLiteral("Impossibile riaprire l'archivio %1:\n%2")
                                        .arg(m_context.archivesLocation(), error));
        return false;
    }
    return true;
}

void ArchiveMaintenance::compactServer()
{
    Database& db = m_context.DbArchivi;
    QString error;
    bool done = false;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Compattamento archivi sul server ") + db.location(), true);
        done = compactOnServer(db, &error);
        MessaggioStato(QString(), false);
    }
    if (!done)
        MessageBox::error(m_parent, QStringLiteral("Compattamento non eseguito:\n%1").arg(error));
    else
        MessageBox::show(m_parent, QStringLiteral("Archivio sul server %1 compattato e "
                                                  "statistiche aggiornate.")
                                       .arg(db.location()));
}

void ArchiveMaintenance::VoceCompArc()
{
    // A server's database is compacted in place while other desks work: it
    // is neither closed nor a file to choose.
    if (m_context.DbArchivi.onServer()) {
        compactServer();
        return;
    }
    ClosedDatabase closed(*this, m_context);
    const QString name = chooseFile(QStringLiteral("Selezionare Database da Compattare"),
                                    m_context.databaseFile(), false);
    if (name.isEmpty())
        return;
    const QString backup = backupFileName(name);
    MaintenanceResult result;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Compattamento ") + backup + QStringLiteral(" to ") + name,
                       true);
        result = compactDatabase(name);
        MessaggioStato(QString(), false);
    }
    if (!result.ok) {
        MostraErrore(m_parent, result.error.description, result.error.number);
        return;
    }
    MessageBox::show(m_parent,
                     QStringLiteral("Archivio compattato: %1 → %2; copia precedente in %3")
                         .arg(describeSize(result.sizeBefore, m_context.SepDecimali),
                              describeSize(result.sizeAfter, m_context.SepDecimali),
                              QFileInfo(result.keptFile).fileName()));
}

bool ArchiveMaintenance::repairFile(const QString& path)
{
    MaintenanceResult result;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Riparazione database - ") + path, true);
        result = repairDatabase(path);
        MessaggioStato(QString(), false);
    }
    if (!result.ok) {
        MostraErrore(m_parent, result.error.description, result.error.number);
        return false;
    }
    const QString tables = describeTables(result.tables).join(QLatin1Char('\n'));
    if (result.damaged) {
        QString text = QStringLiteral("L'archivio %1 è stato ricostruito.\n\n"
                                      "Record recuperati:\n%2\n\n"
                                      "L'archivio danneggiato è conservato in %3.")
                           .arg(path, tables, result.keptFile);
        // The program's own database: its daily copies may hold what was lost.
        std::optional<CopyOffer> offer;
        if (QFileInfo(path) == QFileInfo(m_context.databaseFile()))
            offer = copyOffer(path, m_context.programFolder, Clock::today());
        if (!offer) {
            MessageBox::show(m_parent, text);
            return true;
        }
        const QString day = offer->day.toString(QStringLiteral("dd/MM/yyyy"));
        if (!offer->lostByRepair.isEmpty())
            text += QStringLiteral("\n\nRispetto alla copia del %1:\n%2")
                        .arg(day, offer->lostByRepair.join(QLatin1Char('\n')));
        text += QStringLiteral("\n\nSi può invece ripristinare la copia del %1 (%2)%3")
                    .arg(day, offer->path,
                         offer->missingFromCopy.isEmpty()
                             ? QStringLiteral(", che contiene tutto ciò che è stato recuperato.")
                             : QStringLiteral("; la copia però non contiene:\n") +
                                   offer->missingFromCopy.join(QLatin1Char('\n')));
        const QString restore = QStringLiteral("Ripristina dalla copia del %1").arg(day);
        if (MessageBox::show(m_parent, text, QMessageBox::Information,
                             QMessageBox::Ok | QMessageBox::Yes, restore) == QMessageBox::Yes)
            restoreCopy(offer->path, path);
    } else
        MessageBox::show(m_parent, QStringLiteral("L'archivio %1 è integro: non è stato "
                                                  "modificato.\n\n%2")
                                       .arg(path, tables));
    return true;
}

void ArchiveMaintenance::restoreCopy(const QString& copy, const QString& path)
{
    MaintenanceResult result;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Ripristino archivi da ") + copy, true);
        result = restoreDatabase(copy, path);
        MessaggioStato(QString(), false);
    }
    if (!result.ok)
        MostraErrore(m_parent, result.error.description, result.error.number);
    else
        MessageBox::show(m_parent, QStringLiteral("L'archivio %1 è stato ripristinato dalla copia "
                                                  "%2.\n\nL'archivio ricostruito è conservato in "
                                                  "%3.")
                                       .arg(path, copy, result.keptFile));
}

void ArchiveMaintenance::VoceRgnChv()
{
    if (m_context.DbArchivi.onServer()) {
        MessageBox::show(m_parent, serverRepairNote(m_context.DbArchivi.location()) +
                                       QStringLiteral("\n\n") +
                                       serverRestoreNote(m_context.DbArchivi.location()));
        return;
    }
    ClosedDatabase closed(*this, m_context);
    const QString name = chooseFile(QStringLiteral("Selezionare Database da Riparare"),
                                    m_context.databaseFile(), false);
    if (!name.isEmpty())
        repairFile(name);
}

void ArchiveMaintenance::VoceSalvaCopia()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed =
        documents + QStringLiteral("/falmide-%1.db").arg(Clock::today().toString(Qt::ISODate));
    const QString chosen = chooseFile(QStringLiteral("Salva copia archivi"), proposed, true);
    if (chosen.isEmpty())
        return;
    // As for the commands' files: never over a file the program keeps.
    QString refusal;
    const QString target = checkedOutputPath(m_context.programFolder, chosen, &refusal);
    if (target.isEmpty()) {
        MessageBox::warning(m_parent, refusal);
        return;
    }
    if (m_context.DbArchivi.onServer()) {
        saveServerCopy(target);
        return;
    }
    MaintenanceResult result;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Copia archivi in ") + target, true);
        result = backupDatabase(m_context.databaseFile(), target);
        MessaggioStato(QString(), false);
    }
    if (!result.ok)
        MostraErrore(m_parent, result.error.description, result.error.number);
    else
        MessageBox::show(m_parent,
                         QStringLiteral("Copia degli archivi salvata in %1.").arg(target));
}

void ArchiveMaintenance::saveServerCopy(const QString& target)
{
    QString error;
    bool saved = false;
    {
        const WaitCursor wait;
        MessaggioStato(QStringLiteral("Copia archivi in ") + target, true);
        saved = writeSnapshotFile(m_context.DbArchivi, target, &error);
        MessaggioStato(QString(), false);
    }
    if (!saved)
        MessageBox::error(
            m_parent, QStringLiteral("La copia degli archivi non è stata salvata:\n%1").arg(error));
    else
        MessageBox::show(m_parent, QStringLiteral("Copia degli archivi del server %1 salvata in "
                                                  "%2: si apre anche senza il server.")
                                       .arg(m_context.DbArchivi.location(), target));
}

bool ArchiveMaintenance::offerRepair(const QString& reason)
{
    MessageBox::show(m_parent, kDamaged + QStringLiteral("\n\n") + reason, QMessageBox::Warning);
    // The server's damage is its administrator's to mend: there is no file
    // here to rebuild, and the data folder's own must not be opened instead.
    if (m_context.DbArchivi.onServer()) {
        MessageBox::warning(m_parent,
                            QStringLiteral("L'archivio sul server %1 va riparato sul server dal "
                                           "suo amministratore: da questa postazione non si "
                                           "ripara, e le modifiche non vengono memorizzate.")
                                .arg(m_context.DbArchivi.location()));
        return false;
    }
    const QString path = m_context.databaseFile();
    const auto answer = MessageBox::show(
        m_parent,
        QStringLiteral("Riparare ora l'archivio %1?\n\nSarà ricostruito con tutti i record "
                       "ancora leggibili; l'archivio danneggiato resterà conservato accanto.")
            .arg(path),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    settleDailyCopy();
    m_context.DbArchivi.close();
    finishInterruptedCompaction(path);
    const bool repaired = repairFile(path);
    return reopen() && repaired;
}

bool ArchiveMaintenance::afterOpen(bool* dailyCopyNext)
{
    Database& db = m_context.DbArchivi;
    if (dailyCopyNext)
        *dailyCopyNext = false;
    QString why;
    if (db.readOnly()) {
        db.acceptsWrites(&why);
        MessageBox::warning(m_parent, why);
        return true;
    }
    // The file's quick check reads every page: on 100 000 invoices it takes
    // about twice the whole start of a minimal Qt program, so it runs when
    // the file changed while the program was not running (a crash, another
    // program) and when a statement meets damage, not at every start
    // (bench/data/bench_database_check). The day's copy checks the file as
    // well, while the user works (afterDailyCopy()).
    // A server keeps its own integrity: there is no file here to check.
    if (!db.onServer() && changedSinceCleanExit(m_context.settingsFile(), db.path())) {
        const WaitCursor wait;
        const MaintenanceResult check = checkDatabase(db.path(), true);
        if (check.ok && check.damaged) {
            // The copies are left as they are this day, whatever the answer.
            const QString report = foundDamageReport(check.problems);
            db.noteDamage(report);
            return offerRepair(report);
        }
    }
    if (dailyCopyNext)
        *dailyCopyNext = m_context.settings().dailyCopies();
    return true;
}

void ArchiveMaintenance::afterDailyCopy(const DailyCopyOutcome& copy)
{
    if (!copy.future.isEmpty())
        MessageBox::warning(m_parent, QStringLiteral("La cartella %1 contiene copie "
                                                     "giornaliere con una data futura (%2): "
                                                     "l'orologio del computer era avanti? Non "
                                                     "vengono toccate; eliminarle a mano quando "
                                                     "non servono più.")
                                          .arg(dailyCopyFolder(m_context.programFolder),
                                               copy.future.join(QStringLiteral(", "))));
    switch (copy.kind) {
    case DailyCopyOutcome::Kind::NotDue:
    case DailyCopyOutcome::Kind::Made:
        return;
    case DailyCopyOutcome::Kind::Failed:
        MessageBox::warning(m_parent,
                            QStringLiteral("La copia giornaliera dell'archivio non è stata "
                                           "salvata:\n%1")
                                .arg(copy.error.description));
        return;
    case DailyCopyOutcome::Kind::Damaged:
        // Saves stop at once; the repair is offered as for damage met by a
        // statement (the database's damage handler).
        m_context.DbArchivi.noteDamage(foundDamageReport(copy.problems));
        return;
    }
}

void ArchiveMaintenance::lastWordOnDamage()
{
    // The database is closed by now: the settings say where it was.
    if (const auto server = m_context.settings().databaseServer()) {
        MessageBox::warning(m_parent,
                            QStringLiteral("Il programma si chiude: l'archivio sul server %1 è "
                                           "danneggiato e va riparato sul server dal suo "
                                           "amministratore.")
                                .arg(describeServer(*server)));
        return;
    }
    QString copies;
    for (const auto& [day, path] : dailyCopies(m_context.programFolder))
        if (day <= Clock::today()) {
            copies = QStringLiteral("\n\nLa copia giornaliera più recente è del %1: %2 (da un "
                                    "terminale: falmide ripristina %2).")
                         .arg(day.toString(QStringLiteral("dd/MM/yyyy")), path);
            break;
        }
    MessageBox::warning(m_parent,
                        QStringLiteral("Il programma si chiude: l'archivio danneggiato %1 non è "
                                       "stato aperto né modificato.\n\nPer ripararlo riaprire "
                                       "il programma e rispondere Sì alla domanda, oppure da un "
                                       "terminale: falmide ripara.%2")
                            .arg(m_context.databaseFile(), copies));
}

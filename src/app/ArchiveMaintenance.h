#pragma once

#include <QString>

class QWidget;
struct AppContext;
struct DailyCopyOutcome;

// The maintenance commands of the "Archivi" menu, and the repair offered
// when the program's own database turns out damaged. Compaction and repair
// close the program's database first and reopen it afterwards, whatever
// file was chosen; the copy reads the open database as it is. A database
// on a server is compacted in place, copied into a file of the embedded
// engine, and never repaired from a desk.
class ArchiveMaintenance
{
public:
    ArchiveMaintenance(AppContext& context, QWidget* parent);

    // "Com&pattamento archivi"
    void VoceCompArc();
    // "&Riparazione archivi"
    void VoceRgnChv();
    // "Salva copia &archivi ..."
    void VoceSalvaCopia();

    // The program's database was found damaged (at start-up, when it was
    // opened, or later): says so with the reason under it and, when the
    // user agrees, repairs it and reopens it. True when the database is
    // open again.
    bool offerRepair(const QString& reason);

    // What start-up does once the database is open: says when it can only
    // be read, and checks the file when it changed since the last clean
    // exit. False when damage was found and not repaired. *dailyCopyNext
    // tells whether the day's copy is to follow (the settings want copies,
    // the database can be written and no damage was met now).
    bool afterOpen(bool* dailyCopyNext = nullptr);

    // Says what the day's copy met: copies dated in the future, a failure;
    // damage found stops the saves and goes to the database's damage
    // handler, which offers the repair.
    void afterDailyCopy(const DailyCopyOutcome& copy);

    // Opens the program's database and its heading data again; a failure
    // is shown.
    bool reopen();

    // The last message when the program stops because the repair was
    // declined: what the user can do.
    void lastWordOnDamage();

private:
    void compactServer();
    void saveServerCopy(const QString& target);
    QString chooseFile(const QString& title, const QString& proposed, bool save);
    bool repairFile(const QString& path);
    void restoreCopy(const QString& copy, const QString& path);

    AppContext& m_context;
    QWidget* m_parent;
};

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>

class QSqlError;

// Why a database file could not be opened, which decides what the user is
// offered: only a damaged file is sent to the repair.
enum class OpenFailure {
    None,
    Unavailable, // cannot be reached now: permissions, a lock, the disk
    Damaged,     // SQLite finds it damaged, or it is empty
    Foreign,     // a database laid out otherwise: not ours, or a table that differs
    Newer,       // made by a later version of the program
};

// Why a file made by a later version of the program is refused.
QString newerArchiveMessage(int fileVersion);

// The program's one SQLite file. A Database owns its own Qt SQL connection
// and closes it when destroyed.
//
// Durability: the file keeps SQLite's rollback journal with synchronous=FULL,
// so a save is on the disk when its commit returns, and a crash or a power
// cut at any moment leaves the last committed state (the journal is played
// back at the next open). The rollback journal keeps the whole database in
// its one file between saves, so compaction and copies that rename or read
// the file see all of it. Every save or delete runs in one transaction.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file, or creates it with the full schema and
    // one empty heading record when the file does not exist. A file that is
    // not one of our databases is refused and left untouched; a file of an
    // earlier version is brought up to this one.
    bool open(const QString& path, QString* error);
    // Runs every check open() runs (the schema version, each table and
    // column) on an existing file without writing to it: a file of an
    // earlier version passes, as open() would bring it up to date. The file
    // is then open for reading only.
    bool openForCheck(const QString& path, QString* error);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }
    // Why the last open failed.
    OpenFailure openFailure() const { return m_openFailure; }

    QSqlDatabase& connection() { return m_db; }

    // Runs one statement with bound values. A statement that would write is
    // refused while writes are not accepted.
    bool execute(const QString& sql, const QVariantList& values, QString* error);

    // Savepoints nest, so a saved record can run inside a wider transaction.
    // A write begins here: it is refused while writes are not accepted.
    bool begin(QString* error);
    bool commit(QString* error);
    void rollback();

    int schemaVersion() const { return m_version; }

    // The file can only be read (its permissions, or the disk's).
    bool readOnly() const { return m_readOnly; }
    // A statement met damage since the file was opened: nothing more is
    // written to it until it is repaired.
    bool damaged() const { return m_damaged; }
    QString damageReport() const { return m_damageReport; }
    // Whether saves may go ahead; when not, why not.
    bool acceptsWrites(QString* why = nullptr) const;
    // Damage found by other means (a check of the file): from now on
    // nothing more is written, as when a statement meets it.
    void noteDamage(const QString& reason);
    // Called once when damage is first met, with the report.
    void setDamageHandler(std::function<void(const QString&)> handler)
    {
        m_damageHandler = std::move(handler);
    }

    // The text to show for a failed statement: an Italian sentence, then
    // SQLite's own words. A failure that means damage is noted (see damaged()).
    QString failure(const QSqlError& error);

    // Writes a new database file with the full schema. Exposed for tests and
    // for the maintenance commands.
    static bool createFile(const QString& path, QString* error);

private:
    bool openFile(const QString& path, bool checkOnly, QString* error);
    bool checkSchema(bool checkOnly, QString* error);
    bool refuse(OpenFailure kind, const QString& reason, QString* error);

    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
    int m_version = 0;
    int m_savepointDepth = 0;
    OpenFailure m_openFailure = OpenFailure::None;
    bool m_readOnly = false;
    bool m_damaged = false;
    QString m_damageReport;
    std::function<void(const QString&)> m_damageHandler;
};

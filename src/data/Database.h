#pragma once

#include "DatabaseError.h"
#include "RowValues.h"
#include "ServerConnection.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

class QSqlError;
class SqlDialect;
struct TableDef;

// Why a database file could not be opened, which decides what the user is
// offered: only a damaged file is sent to the repair.
enum class OpenFailure {
    None,
    Unavailable, // cannot be reached now: permissions, a lock, the disk
    Damaged,     // the engine finds it damaged, or it is empty
    Foreign,     // a database laid out otherwise: not ours, or a table that differs
    Newer,       // made by a later version of the program
};

// Why a file made by a later version of the program is refused.
QString newerArchiveMessage(int fileVersion);

// The program's database: the embedded engine's file in the data folder, or
// a database on a server (ServerConnection.h) that several desks share. A
// Database owns its own Qt SQL connection and closes it when destroyed;
// what its engine does differently is its dialect's (SqlDialect.h).
//
// Durability: a save is on the disk when its commit returns, and a crash or
// a power cut at any moment leaves the last committed state. Every save or
// delete runs in one transaction.
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
    // Connects to a database on a server. An empty database (made by the
    // server's administrator for the program) gets the full schema and one
    // empty heading record; one of an earlier version is brought up to this
    // one; one laid out otherwise, or of a later version, is refused and
    // left untouched. A server that does not answer, a refused login or no
    // such database is said in Italian, and nothing is left open.
    bool openServer(const ServerConnection& server, QString* error);
    void close();
    bool isOpen() const;
    // The file's path; empty for a database on a server.
    QString path() const { return m_path; }
    // Whether the database is on a server rather than a file.
    bool onServer() const { return m_server.has_value(); }
    // Where the archives are, for the user: the file's path, or the server
    // as describeServer() writes it.
    QString location() const;
    // Why the last open failed.
    OpenFailure openFailure() const { return m_openFailure; }

    QSqlDatabase& connection() { return db(); }
    const SqlDialect& dialect() const { return *m_dialect; }
    // An identifier (a table or column name) as the engine's SQL writes it.
    QString quoted(const QString& identifier) const;

    // The layout of the tables, as the open database was checked against it
    // (the program's schema): what records are read and written by.
    const std::vector<TableDef>& layout() const { return m_layout; }
    // The layout of one table; null for a table it does not have.
    const TableDef* tableLayout(const QString& table) const;
    void setLayout(const std::vector<TableDef>& tables);

    // Runs one statement that writes, with bound values; it is refused
    // while writes are not accepted. *changed, when given, gets the number
    // of rows it changed. Reads go through a Snapshot or a Recordset.
    bool execute(const QString& sql, const QVariantList& values, QString* error,
                 int* changed = nullptr);
    // What made the last statement run by execute() fail: a key given twice
    // is a Constraint on every engine. Other when it did not fail.
    DatabaseErrorKind lastErrorKind() const { return m_lastErrorKind; }

    // Reads a query's rows in order, its values bound, handing each to
    // `visit` until they end or it returns false; `visit` runs no statement
    // of its own on the database. The fastest way through many rows: values
    // are read where the engine keeps them. False, with the reason in
    // `error`, when the query or any row failed.
    bool readRows(const QString& sql, const QVariantList& values, const RowVisitor& visit,
                  QString* error);
    // The same with each row's values as a Qt SQL query gives them, for
    // code that works on variants: the embedded file makes them without the
    // driver's row cache.
    bool readValueRows(const QString& sql, const QVariantList& values, const ValueRowVisitor& visit,
                       QString* error);

    // Savepoints nest, so a saved record can run inside a wider transaction.
    // A write begins here: it is refused while writes are not accepted.
    bool begin(QString* error);
    bool commit(QString* error);
    void rollback();

    // A series of reads that all see one consistent state of the database,
    // whatever other connections commit meanwhile: a copy of every table
    // and its tally. It writes nothing, so a database that only reads may
    // begin one; no write may begin until it ends, and it cannot begin
    // inside a write.
    bool beginReadSnapshot(QString* error);
    void endReadSnapshot();
    bool inReadSnapshot() const { return m_readSnapshot; }

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
    // the engine's own words. A failure that means damage is noted (see
    // damaged()).
    QString failure(const QSqlError& error);
    // The same text, without noting anything.
    QString describe(const QSqlError& error) const;

    // Writes a new database file with the full schema. Exposed for tests and
    // for the maintenance commands.
    static bool createFile(const QString& path, QString* error);

private:
    bool openFile(const QString& path, bool checkOnly, QString* error);
    bool checkSchema(bool checkOnly, QString* error);
    bool refuse(OpenFailure kind, const QString& reason, QString* error);

    QSqlDatabase& db();

    const SqlDialect* m_dialect;
    // Made when first needed: a database never opened has called nothing of
    // Qt's SQL module, which the program's start loads meanwhile on a thread.
    std::optional<QSqlDatabase> m_connection;
    QString m_connectionName;
    std::vector<TableDef> m_layout;
    QString m_path;
    std::optional<ServerConnection> m_server;
    int m_version = 0;
    int m_savepointDepth = 0;
    bool m_readSnapshot = false;
    DatabaseErrorKind m_lastErrorKind = DatabaseErrorKind::Other;
    OpenFailure m_openFailure = OpenFailure::None;
    bool m_readOnly = false;
    bool m_damaged = false;
    QString m_damageReport;
    std::function<void(const QString&)> m_damageHandler;
};

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

// The program's one SQLite file. A Database owns its own Qt SQL connection
// and closes it when destroyed.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file, or creates it with the full schema and
    // one empty heading record when the file does not exist. A file that is
    // not one of our databases is refused and left untouched.
    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }

    QSqlDatabase& connection() { return m_db; }

    // Runs one statement with bound values.
    bool execute(const QString& sql, const QVariantList& values, QString* error);

    // Savepoints nest, so a saved record can run inside a wider transaction.
    bool begin(QString* error);
    bool commit(QString* error);
    void rollback();

    int schemaVersion() const { return m_version; }

    // Writes a new database file with the full schema. Exposed for tests and
    // for the maintenance commands.
    static bool createFile(const QString& path, QString* error);

private:
    bool checkSchema(QString* error);

    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
    int m_version = 0;
    int m_savepointDepth = 0;
};

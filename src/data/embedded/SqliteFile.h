#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// A database file opened straight through SQLite, outside Qt SQL: the
// maintenance routines work on files the program has closed, step through
// damaged tables a row at a time and need SQLite's own error numbers.
class SqliteFile
{
public:
    SqliteFile() = default;
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Opens an existing file; it is never created here.
    bool open(const QString& path, bool readOnly = false);
    void close();
    sqlite3* handle() const { return m_db; }

    // Runs statements without results.
    bool exec(const QString& sql);
    // The rows of a statement, each a list of its columns; false when the
    // statement failed, with the rows read until then.
    bool rows(const QString& sql, const QVariantList& values, QList<QVariantList>* out);
    // The first column of the first row.
    QVariant value(const QString& sql, const QVariantList& values = {});

    // The last failure: SQLite's result code and its text, with an Italian
    // sentence first.
    int errorCode() const { return m_errorCode; }
    QString errorText() const { return m_errorText; }
    void setError(int code, const QString& text);

private:
    void noteError();

    sqlite3* m_db = nullptr;
    int m_errorCode = 0;
    QString m_errorText;
};

// A prepared statement stepped by hand.
class SqliteStatement
{
public:
    SqliteStatement(SqliteFile& file, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepared() const { return m_statement != nullptr; }
    void bind(const QVariantList& values);
    // True with a row; false at the end or on failure (then failed()).
    bool next();
    bool failed() const { return m_failed; }
    int columnCount() const;
    QVariant column(int i) const;
    void reset();

private:
    SqliteFile& m_file;
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};

// The value of a column of the statement's current row: whole numbers as
// 64-bit integers, reals as doubles, text from its UTF-8, blobs as bytes,
// Null as an invalid variant.
QVariant sqliteColumnValue(sqlite3_stmt* statement, int column);

// An Italian sentence for a SQLite result code, followed by SQLite's own
// English text: "Spazio esaurito sul disco (database or disk is full)".
QString italianSqliteError(int code, const QString& sqliteText);
// The result code means the file is damaged or is no database at all.
bool isDamageCode(int code);

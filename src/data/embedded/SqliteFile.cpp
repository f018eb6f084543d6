#include "SqliteFile.h"

#include "SqliteDialect.h"

#include <QFile>
#include <sqlite3.h>

QString italianSqliteError(int code, const QString& sqliteText)
{
    return describeDatabaseError(sqliteErrorKind(code), sqliteText);
}

bool isDamageCode(int code)
{
    return meansDamage(sqliteErrorKind(code));
}

SqliteFile::~SqliteFile()
{
    close();
}

bool SqliteFile::open(const QString& path, bool readOnly)
{
    close();
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        noteError();
        if (m_errorCode == 0)
            setError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    return true;
}

void SqliteFile::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void SqliteFile::setError(int code, const QString& text)
{
    m_errorCode = code;
    m_errorText = italianSqliteError(code, text);
}

void SqliteFile::noteError()
{
    if (!m_db)
        return;
    setError(sqlite3_extended_errcode(m_db), QString::fromUtf8(sqlite3_errmsg(m_db)));
}

bool SqliteFile::exec(const QString& sql)
{
    if (!m_db)
        return false;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        noteError();
        return false;
    }
    return true;
}

bool SqliteFile::rows(const QString& sql, const QVariantList& values, QList<QVariantList>* out)
{
    SqliteStatement statement(*this, sql);
    if (!statement.prepared())
        return false;
    statement.bind(values);
    while (statement.next()) {
        QVariantList row;
        for (int i = 0; i < statement.columnCount(); ++i)
            row << statement.column(i);
        if (out)
            out->append(row);
    }
    return !statement.failed();
}

QVariant SqliteFile::value(const QString& sql, const QVariantList& values)
{
    SqliteStatement statement(*this, sql);
    if (!statement.prepared())
        return {};
    statement.bind(values);
    return statement.next() ? statement.column(0) : QVariant();
}

SqliteStatement::SqliteStatement(SqliteFile& file, const QString& sql) : m_file(file)
{
    if (!file.handle())
        return;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(file.handle(), text.constData(), int(text.size()), &m_statement,
                           nullptr) != SQLITE_OK) {
        file.setError(sqlite3_extended_errcode(file.handle()),
                      QString::fromUtf8(sqlite3_errmsg(file.handle())));
        m_statement = nullptr;
        m_failed = true;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(const QVariantList& values)
{
    if (!m_statement)
        return;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        const int index = i + 1;
        if (v.isNull()) {
            sqlite3_bind_null(m_statement, index);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            sqlite3_bind_int64(m_statement, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(m_statement, index, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            sqlite3_bind_blob64(m_statement, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text64(m_statement, index, text.constData(), sqlite3_uint64(text.size()),
                                SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
}

bool SqliteStatement::next()
{
    if (!m_statement || m_failed)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_file.setError(sqlite3_extended_errcode(m_file.handle()),
                        QString::fromUtf8(sqlite3_errmsg(m_file.handle())));
    }
    return false;
}

int SqliteStatement::columnCount() const
{
    return m_statement ? sqlite3_column_count(m_statement) : 0;
}

QVariant SqliteStatement::column(int i) const
{
    return sqliteColumnValue(m_statement, i);
}

QVariant sqliteColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                              sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(statement, column);
        return QVariant(
            QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(statement, column)));
    }
    default:
        return {};
    }
}

void SqliteStatement::reset()
{
    if (!m_statement)
        return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_failed = false;
}

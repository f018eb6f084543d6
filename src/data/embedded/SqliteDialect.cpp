#include "SqliteDialect.h"
#include "SqliteFile.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>
#include <sqlite3.h>

namespace {

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(handle.constData());
    return nullptr;
}

// A row of a statement stepped through SQLite itself: the text is read as
// the file stores it, with no conversion to UTF-16 and no copy.
class StatementRow final : public RowValues
{
public:
    explicit StatementRow(sqlite3_stmt* statement)
        : m_statement(statement), m_columns(sqlite3_column_count(statement))
    {
    }

    int columnCount() const override { return m_columns; }
    bool isNull(int column) const override
    {
        return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
    }
    qint64 integer(int column) const override
    {
        // As Qt's conversion of a real: rounded, not cut.
        if (sqlite3_column_type(m_statement, column) == SQLITE_FLOAT)
            return qRound64(sqlite3_column_double(m_statement, column));
        return sqlite3_column_int64(m_statement, column);
    }
    QByteArrayView utf8(int column) const override
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, column))
                    : QByteArrayView();
    }

private:
    sqlite3_stmt* m_statement;
    int m_columns;
};

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// Binds as Qt's driver does, so a statement finds the same rows whichever
// way it runs: a null string or byte array is Null, dates and times are
// ISO text.
int bindValue(sqlite3_stmt* statement, int at, const QVariant& value)
{
    const int type = value.typeId();
    if (value.isNull() || (type == QMetaType::QString && value.toString().isNull()) ||
        (type == QMetaType::QByteArray && value.toByteArray().isNull()))
        return sqlite3_bind_null(statement, at);
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sqlite3_bind_int64(statement, at, value.toLongLong());
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(statement, at, qint64(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, at, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(statement, at, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT);
    }
    default:
        break;
    }
    QString text;
    if (type == QMetaType::QDateTime)
        text = value.toDateTime().toString(Qt::ISODateWithMs);
    else if (type == QMetaType::QTime)
        text = value.toTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    else
        text = value.toString();
    return sqlite3_bind_text16(statement, at, text.utf16(), int(text.size() * sizeof(QChar)),
                               SQLITE_TRANSIENT);
}

QSqlError statementError(sqlite3* handle, int code)
{
    return QSqlError(QStringLiteral("Unable to read rows"),
                     QString::fromUtf8(sqlite3_errmsg(handle)), QSqlError::StatementError,
                     QString::number(code));
}

} // namespace

const SqlDialect& embeddedDialect()
{
    static const SqliteDialect dialect;
    return dialect;
}

DatabaseErrorKind sqliteErrorKind(int code)
{
    switch (code & 0xff) {
    case SQLITE_ERROR:
        return DatabaseErrorKind::Statement;
    case SQLITE_FULL:
        return DatabaseErrorKind::DiskFull;
    case SQLITE_READONLY:
        return DatabaseErrorKind::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseErrorKind::Busy;
    case SQLITE_IOERR:
        return DatabaseErrorKind::DiskError;
    case SQLITE_CORRUPT:
        return DatabaseErrorKind::Damaged;
    case SQLITE_NOTADB:
        return DatabaseErrorKind::NotADatabase;
    case SQLITE_CANTOPEN:
        return DatabaseErrorKind::CannotOpen;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DatabaseErrorKind::Denied;
    case SQLITE_CONSTRAINT:
        return DatabaseErrorKind::Constraint;
    case SQLITE_NOMEM:
        return DatabaseErrorKind::OutOfMemory;
    default:
        return DatabaseErrorKind::Other;
    }
}

namespace {

// The size of "CHAR(n)" or "VARCHAR(n)", blanks allowed around the
// parentheses' content; -1 for any other type. Read by hand: every opening
// of the archives reads the columns, before the main window is ready, and a
// regular expression's compilation costs more than all of them.
int charSize(QStringView type)
{
    if (type.startsWith(u"VAR"))
        type = type.mid(3);
    if (!type.startsWith(u"CHAR"))
        return -1;
    type = type.mid(4).trimmed();
    if (!type.startsWith(u'(') || !type.endsWith(u')'))
        return -1;
    const QStringView digits = type.mid(1, type.size() - 2).trimmed();
    if (digits.isEmpty())
        return -1;
    int size = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9' || size > 100000000)
            return -1;
        size = size * 10 + (c.unicode() - u'0');
    }
    return size;
}

} // namespace

ColumnType sqliteColumnType(const QString& declared)
{
    const QString d = declared.trimmed().toUpper();
    if (const int size = charSize(d); size >= 0)
        return {FieldType::Text, size};
    if (d == QLatin1String("LONGTEXT"))
        return {FieldType::Memo, 0};
    if (d == QLatin1String("SMALLINT"))
        return {FieldType::Integer, 2};
    if (d == QLatin1String("INTEGER"))
        return {FieldType::Long, 4};
    // Amounts in cents: a long in the record rules, but 64 bits wide so that
    // no realistic total can overflow.
    if (d == QLatin1String("BIGINT"))
        return {FieldType::Long, 8};
    if (d == QLatin1String("CURRENCY"))
        return {FieldType::Currency, 8};
    if (d == QLatin1String("FLOAT"))
        return {FieldType::Single, 4};
    if (d == QLatin1String("DOUBLE"))
        return {FieldType::Double, 8};
    if (d == QLatin1String("DATE"))
        return {FieldType::Date, 8};
    return {FieldType::Memo, 0};
}

QString SqliteDialect::driverName() const
{
    return QStringLiteral("QSQLITE");
}

QString SqliteDialect::readOnlyOptions() const
{
    return QStringLiteral("QSQLITE_OPEN_READONLY");
}

bool SqliteDialect::onlyReads(const QSqlDatabase& db) const
{
    // SQLite opens a file it may not write for reading only.
    sqlite3* handle = handleOf(db);
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

void SqliteDialect::tune(QSqlDatabase& db) const
{
    // A save is on the disk when its commit returns.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

bool SqliteDialect::prepareForWrites(QSqlDatabase& db, QSqlError* error) const
{
    // The rollback journal keeps the whole database in its one file between
    // saves, so compaction and copies that rename or read the file see all
    // of it.
    QSqlQuery journal(db);
    if (journal.exec(QStringLiteral("PRAGMA journal_mode=DELETE")))
        return true;
    if (error)
        *error = journal.lastError();
    return false;
}

QString SqliteDialect::quoted(const QString& identifier) const
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString SqliteDialect::columnType(FieldType type, int size) const
{
    switch (type) {
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldType::Memo:
        return QStringLiteral("LONGTEXT");
    case FieldType::Integer:
        return QStringLiteral("SMALLINT");
    case FieldType::Long:
        return size == 8 ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    case FieldType::Currency:
        return QStringLiteral("CURRENCY");
    case FieldType::Single:
        return QStringLiteral("FLOAT");
    case FieldType::Double:
        return QStringLiteral("DOUBLE");
    case FieldType::Date:
        return QStringLiteral("DATE");
    }
    return QStringLiteral("LONGTEXT");
}

QString SqliteDialect::keyConstraint(bool counter) const
{
    return counter ? QStringLiteral("PRIMARY KEY AUTOINCREMENT")
                   : QStringLiteral("NOT NULL PRIMARY KEY");
}

QString SqliteDialect::sameValue(const QString& column) const
{
    return column + QStringLiteral(" IS ?");
}

QString SqliteDialect::beginReadSnapshot() const
{
    // A deferred transaction takes its shared lock at the first read and
    // keeps it to the end: no other connection commits in between.
    return QStringLiteral("BEGIN");
}

QStringList SqliteDialect::resumeCounter(const QString& /*table*/, const QString& /*column*/) const
{
    // An AUTOINCREMENT key records the highest key ever written, given or
    // assigned, in the engine's own sequence table.
    return {};
}

QStringList SqliteDialect::compactInPlace() const
{
    return {QStringLiteral("VACUUM"), QStringLiteral("ANALYZE")};
}

bool SqliteDialect::tableColumns(QSqlDatabase& db, const QString& table,
                                 std::vector<CatalogueColumn>* columns, QSqlError* error) const
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)))) {
        if (error)
            *error = q.lastError();
        return false;
    }
    columns->clear();
    while (q.next()) {
        const QString declared = q.value(2).toString();
        columns->push_back({q.value(1).toString(), declared, sqliteColumnType(declared)});
    }
    return true;
}

namespace {

// Prepares the statement on SQLite's own connection, binds the values as
// Qt's driver would and hands each row's statement to `visit` until the
// rows end or it returns false.
template <typename Visit>
bool stepRows(sqlite3* handle, const QString& sql, const QVariantList& values, Visit&& visit,
              QSqlError* error)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(prepared);
    if (rc == SQLITE_OK && !statement)
        rc = SQLITE_MISUSE; // no statement in the text
    if (rc == SQLITE_OK && sqlite3_bind_parameter_count(statement.get()) != values.size()) {
        if (error)
            *error = QSqlError(QStringLiteral("Parameter count mismatch"), QString(),
                               QSqlError::StatementError);
        return false;
    }
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i)
        rc = bindValue(statement.get(), i + 1, values.at(i));
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            if (!visit(statement.get()))
                return true;
        }
        if (rc == SQLITE_DONE)
            return true;
    }
    if (error) {
        const int code = sqlite3_extended_errcode(handle);
        *error = statementError(handle, code != SQLITE_OK ? code : rc);
    }
    return false;
}

// A column's value as Qt's SQLite driver makes it, its numbers at the
// default precision: as stored, Null as a null text.
QVariant driverValue(sqlite3_stmt* statement, int column)
{
    QVariant value = sqliteColumnValue(statement, column);
    return value.isValid() ? value : QVariant(QMetaType::fromType<QString>());
}

} // namespace

bool SqliteDialect::readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                             const RowVisitor& visit, QSqlError* error) const
{
    sqlite3* handle = handleOf(db);
    if (!handle || !db.isOpen())
        return SqlDialect::readRows(db, sql, values, visit, error);
    return stepRows(
        handle, sql, values,
        [&visit](sqlite3_stmt* statement) { return visit(StatementRow(statement)); }, error);
}

bool SqliteDialect::readValueRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                                  const ValueRowVisitor& visit, QSqlError* error) const
{
    sqlite3* handle = handleOf(db);
    if (!handle || !db.isOpen())
        return SqlDialect::readValueRows(db, sql, values, visit, error);
    QVariantList row;
    return stepRows(
        handle, sql, values,
        [&](sqlite3_stmt* statement) {
            const int columns = sqlite3_column_count(statement);
            row.resize(columns);
            for (int i = 0; i < columns; ++i)
                row[i] = driverValue(statement, i);
            return visit(row);
        },
        error);
}

DatabaseErrorKind SqliteDialect::classify(const QSqlError& error) const
{
    bool numbered = false;
    const int code = error.nativeErrorCode().toInt(&numbered);
    if (numbered && code != SQLITE_OK)
        return sqliteErrorKind(code);
    // Qt's own failures carry no code of SQLite's.
    return error.type() == QSqlError::ConnectionError ? DatabaseErrorKind::CannotOpen
                                                      : DatabaseErrorKind::Other;
}

QStringList SqliteDialect::damageDetails(QSqlDatabase& db) const
{
    // The quick check says where: it reads every page of the file.
    QStringList details;
    QSqlQuery check(db);
    if (check.exec(QStringLiteral("PRAGMA quick_check(10)"))) {
        while (check.next())
            if (check.value(0).toString() != QLatin1String("ok"))
                details << check.value(0).toString();
    }
    return details;
}

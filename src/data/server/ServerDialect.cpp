#include "ServerDialect.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <cstdlib>
#include <libpq-fe.h>
#include <memory>
#include <vector>

namespace {

PGconn* connectionOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // The driver names the type by libpq's structure.
    if (handle.isValid() &&
        (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0))
        return *static_cast<PGconn* const*>(handle.constData());
    return nullptr;
}

struct ResultFreer
{
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultFreer>;

// The program writes its placeholders as "?"; the server numbers them. A
// question mark inside quotes is text.
QByteArray numberedPlaceholders(const QString& sql)
{
    QString numbered;
    numbered.reserve(sql.size() + 8);
    QChar quote;
    int count = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('?')) {
            numbered += QLatin1Char('$') + QString::number(++count);
            continue;
        }
        numbered += c;
    }
    return numbered.toUtf8();
}

// A bound value as the server reads it from text, as Qt's driver writes
// it: a null string or byte array is Null, dates and times ISO text; bytes
// go as they are.
struct Parameter
{
    QByteArray data;
    bool null = false;
    bool binary = false;
};

Parameter parameterOf(const QVariant& value)
{
    const int type = value.typeId();
    if (value.isNull() || (type == QMetaType::QString && value.toString().isNull()) ||
        (type == QMetaType::QByteArray && value.toByteArray().isNull()))
        return {{}, true, false};
    switch (type) {
    case QMetaType::Bool:
        return {value.toBool() ? "true" : "false"};
    case QMetaType::QByteArray:
        return {value.toByteArray(), false, true};
    case QMetaType::QDateTime:
        return {value.toDateTime().toString(Qt::ISODateWithMs).toUtf8()};
    case QMetaType::QTime:
        return {value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")).toUtf8()};
    default:
        return {value.toString().toUtf8()};
    }
}

// A row of a batch the server sent as text, in UTF-8 (the driver's
// connection speaks it).
class ResultRow final : public RowValues
{
public:
    void point(const PGresult* result, int row)
    {
        m_result = result;
        m_row = row;
    }

    int columnCount() const override { return PQnfields(m_result); }
    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column) != 0; }
    qint64 integer(int column) const override
    {
        if (isNull(column))
            return 0;
        const char* text = PQgetvalue(m_result, m_row, column);
        // As Qt's conversion of what its driver reads: a boolean is 0 or 1,
        // a number with a fraction is rounded, not cut.
        if (text[0] == 't' && text[1] == '\0')
            return 1;
        char* end = nullptr;
        const long long whole = std::strtoll(text, &end, 10);
        if (*end == '.' || *end == 'e' || *end == 'E')
            return qRound64(std::strtod(text, nullptr));
        return whole;
    }
    QByteArrayView utf8(int column) const override
    {
        return QByteArrayView(PQgetvalue(m_result, m_row, column),
                              PQgetlength(m_result, m_row, column));
    }

private:
    const PGresult* m_result = nullptr;
    int m_row = 0;
};

QSqlError resultError(PGconn* connection, const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* message = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
    return QSqlError(QStringLiteral("Unable to read rows"), QString::fromUtf8(message).trimmed(),
                     QSqlError::StatementError, state ? QString::fromLatin1(state) : QString());
}

bool succeeded(const Result& result)
{
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

} // namespace

const SqlDialect& serverDialect()
{
    static const ServerDialect dialect;
    return dialect;
}

DatabaseErrorKind serverErrorKind(const QString& sqlState)
{
    if (sqlState.size() != 5)
        return DatabaseErrorKind::Other;
    const QStringView code(sqlState);
    const QStringView errorClass = code.left(2);
    if (errorClass == u"23")
        return DatabaseErrorKind::Constraint;
    if (code == u"53100")
        return DatabaseErrorKind::DiskFull;
    if (code == u"53200")
        return DatabaseErrorKind::OutOfMemory;
    if (errorClass == u"28" || code == u"42501")
        return DatabaseErrorKind::Denied;
    // Serialization failures, deadlocks and locks not granted in time:
    // another desk holds what this one needs; trying again may succeed.
    if (code == u"40001" || code == u"40P01" || code == u"55P03" || code == u"57014")
        return DatabaseErrorKind::Busy;
    if (code == u"25006")
        return DatabaseErrorKind::ReadOnly;
    // The connection lost, the server shut down or starting up, no such
    // database, too many desks connected.
    if (errorClass == u"08" || code == u"57P01" || code == u"57P02" || code == u"57P03" ||
        code == u"3D000" || code == u"53300")
        return DatabaseErrorKind::Unreachable;
    if (code == u"58030")
        return DatabaseErrorKind::DiskError;
    if (code == u"XX001" || code == u"XX002")
        return DatabaseErrorKind::Damaged;
    // Syntax, no such table or column, a value of the wrong type.
    if (errorClass == u"42" || errorClass == u"22" || errorClass == u"0A")
        return DatabaseErrorKind::Statement;
    return DatabaseErrorKind::Other;
}

ColumnType serverColumnType(const QString& dataType, int characters, int precision)
{
    const QString d = dataType.trimmed().toLower();
    if (d == QLatin1String("character varying"))
        return {FieldType::Text, characters};
    if (d == QLatin1String("character") && characters == 10)
        return {FieldType::Date, 8};
    if (d == QLatin1String("text"))
        return {FieldType::Memo, 0};
    if (d == QLatin1String("smallint"))
        return {FieldType::Integer, 2};
    if (d == QLatin1String("integer"))
        return {FieldType::Long, 4};
    if (d == QLatin1String("bigint"))
        return {FieldType::Long, 8};
    if (d == QLatin1String("numeric") && precision == 19)
        return {FieldType::Currency, 8};
    if (d == QLatin1String("real"))
        return {FieldType::Single, 4};
    if (d == QLatin1String("double precision"))
        return {FieldType::Double, 8};
    // Anything else is not of the program's making; as a memo it never
    // matches a column of the schema but a memo, which the check then names.
    return {FieldType::Memo, 0};
}

QString ServerDialect::driverName() const
{
    return QStringLiteral("QPSQL");
}

QString ServerDialect::readOnlyOptions() const
{
    // Every transaction of the connection starts read-only: a write is
    // refused by the server itself.
    return QStringLiteral("options='-c default_transaction_read_only=on'");
}

bool ServerDialect::onlyReads(const QSqlDatabase& db) const
{
    // A standby server or a read-only default, or a login that may not
    // change the program's tables (or, in an empty database, create them).
    QSqlQuery q(db);
    const bool asked =
        q.exec(QStringLiteral("SELECT current_schema() IS NULL "
                              "OR current_setting('transaction_read_only') = 'on' "
                              "OR pg_is_in_recovery() "
                              "OR NOT has_schema_privilege(current_schema(), 'USAGE') "
                              "OR EXISTS (SELECT 1 FROM information_schema.tables t "
                              "WHERE t.table_schema = current_schema() "
                              "AND t.table_type = 'BASE TABLE' "
                              "AND NOT (has_table_privilege(format('%I.%I', t.table_schema, "
                              "t.table_name), 'INSERT, UPDATE, DELETE'))) "
                              "OR (NOT EXISTS (SELECT 1 FROM information_schema.tables t "
                              "WHERE t.table_schema = current_schema()) "
                              "AND NOT has_schema_privilege(current_schema(), 'CREATE'))")) &&
        q.next();
    return asked && q.value(0).toBool();
}

void ServerDialect::tune(QSqlDatabase& db) const
{
    // A desk that waits for a record another desk is saving gives up after
    // a while with "in use" rather than hang; the server's notices (an
    // identity's sequence made, and so on) are of no use to the user.
    QSqlQuery q(db);
    q.exec(QStringLiteral("SET lock_timeout = '20s'"));
    q.exec(QStringLiteral("SET client_min_messages = warning"));
}

bool ServerDialect::prepareForWrites(QSqlDatabase&, QSqlError*) const
{
    // The server keeps its own journal: nothing to set.
    return true;
}

QString ServerDialect::quoted(const QString& identifier) const
{
    // The server folds a name written without quotes to small letters: the
    // program's tables and columns are made under those names, so that SQL
    // written by hand (the administrator's, a test's) finds them as the
    // program names them, "Fatture" or fatture alike.
    QString q = identifier.toLower();
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString ServerDialect::columnType(FieldType type, int size) const
{
    switch (type) {
    case FieldType::Text:
        return QStringLiteral("varchar(%1) COLLATE \"C\"").arg(size);
    case FieldType::Memo:
        return QStringLiteral("text COLLATE \"C\"");
    case FieldType::Integer:
        return QStringLiteral("smallint");
    case FieldType::Long:
        return size == 8 ? QStringLiteral("bigint") : QStringLiteral("integer");
    case FieldType::Currency:
        return QStringLiteral("numeric(19,4)");
    case FieldType::Single:
        return QStringLiteral("real");
    case FieldType::Double:
        return QStringLiteral("double precision");
    case FieldType::Date:
        return QStringLiteral("character(10) COLLATE \"C\"");
    }
    return QStringLiteral("text COLLATE \"C\"");
}

QString ServerDialect::keyConstraint(bool counter) const
{
    // A counter still takes a key given explicitly (a copy of another
    // database keeps its keys).
    return counter ? QStringLiteral("GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                   : QStringLiteral("NOT NULL PRIMARY KEY");
}

QString ServerDialect::sameValue(const QString& column) const
{
    return column + QStringLiteral(" IS NOT DISTINCT FROM ?");
}

QString ServerDialect::beginReadSnapshot() const
{
    return QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
}

QStringList ServerDialect::resumeCounter(const QString& table, const QString& column) const
{
    // An identity column's sequence knows nothing of keys given explicitly:
    // it is set past the highest one, or the next assigned key would collide.
    // The column is named as stored (see quoted()), not parsed as SQL.
    const QString t = quoted(table);
    return {QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                           "(SELECT coalesce(max(%3), 0) + 1 FROM %1), false)")
                .arg(t, column.toLower(), quoted(column))};
}

QString ServerDialect::writeStamp() const
{
    // The transaction's own number: unique across the server's life.
    return QStringLiteral("SELECT txid_current()");
}

QStringList ServerDialect::compactInPlace() const
{
    // A plain vacuum takes no lock that stops other desks' reads or
    // writes; a full one would rewrite every table under an exclusive lock.
    return {QStringLiteral("VACUUM ANALYZE")};
}

bool ServerDialect::tableColumns(QSqlDatabase& db, const QString& table,
                                 std::vector<CatalogueColumn>* columns, QSqlError* error) const
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT column_name, data_type, "
                             "coalesce(character_maximum_length, 0), "
                             "coalesce(numeric_precision, 0) "
                             "FROM information_schema.columns "
                             "WHERE table_schema = current_schema() AND table_name = lower(?) "
                             "ORDER BY ordinal_position"));
    q.addBindValue(table);
    if (!q.exec()) {
        if (error)
            *error = q.lastError();
        return false;
    }
    columns->clear();
    while (q.next()) {
        const QString dataType = q.value(1).toString();
        const int characters = q.value(2).toInt();
        const int precision = q.value(3).toInt();
        QString declared = dataType;
        if (characters > 0)
            declared += QStringLiteral("(%1)").arg(characters);
        columns->push_back(
            {q.value(0).toString(), declared, serverColumnType(dataType, characters, precision)});
    }
    return true;
}

bool ServerDialect::readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                             const RowVisitor& visit, QSqlError* error) const
{
    PGconn* connection = connectionOf(db);
    const PGTransactionStatusType state =
        connection ? PQtransactionStatus(connection) : PQTRANS_UNKNOWN;
    // The driver's own query may still be receiving: only a connection at
    // rest takes a statement of ours.
    if (!db.isOpen() || (state != PQTRANS_IDLE && state != PQTRANS_INTRANS))
        return SqlDialect::readRows(db, sql, values, visit, error);

    // The rows come through a cursor in batches: as fast as the whole result
    // at once, in the memory of one batch, where Qt's driver takes a round
    // of the protocol for every row.
    std::vector<Parameter> parameters;
    parameters.reserve(std::size_t(values.size()));
    for (const QVariant& v : values)
        parameters.push_back(parameterOf(v));
    std::vector<const char*> data;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const Parameter& p : parameters) {
        data.push_back(p.null ? nullptr : p.data.constData());
        lengths.push_back(int(p.data.size()));
        formats.push_back(p.binary ? 1 : 0);
    }
    const auto run = [connection](const char* statement) {
        return Result(PQexec(connection, statement));
    };
    // A cursor lives in a transaction: one of ours when none is open.
    const bool ownTransaction = state == PQTRANS_IDLE;
    const auto fail = [&](const Result& result) {
        if (error)
            *error = resultError(connection, result.get());
        if (ownTransaction)
            run("ROLLBACK");
        return false;
    };
    if (ownTransaction) {
        if (Result begun = run("BEGIN READ ONLY"); !succeeded(begun))
            return fail(begun);
    }
    const QByteArray declare =
        "DECLARE falmide_rows NO SCROLL CURSOR FOR " + numberedPlaceholders(sql);
    Result declared(PQexecParams(connection, declare.constData(), int(parameters.size()), nullptr,
                                 data.data(), lengths.data(), formats.data(), 0));
    if (!succeeded(declared))
        return fail(declared);
    ResultRow row;
    bool more = true;
    while (more) {
        Result batch = run("FETCH FORWARD 20000 FROM falmide_rows");
        if (!succeeded(batch))
            return fail(batch);
        const int count = PQntuples(batch.get());
        for (int i = 0; i < count && more; ++i) {
            row.point(batch.get(), i);
            more = visit(row);
        }
        more = more && count > 0;
    }
    if (Result closed = run("CLOSE falmide_rows"); !succeeded(closed))
        return fail(closed);
    if (ownTransaction) {
        if (Result ended = run("COMMIT"); !succeeded(ended))
            return fail(ended);
    }
    return true;
}

DatabaseErrorKind ServerDialect::classify(const QSqlError& error) const
{
    const DatabaseErrorKind kind = serverErrorKind(error.nativeErrorCode());
    if (kind != DatabaseErrorKind::Other || error.nativeErrorCode().size() == 5)
        return kind;
    // The server gives a code with everything it reports; a failure
    // without one is libpq's own: the connection is gone.
    return DatabaseErrorKind::Unreachable;
}

QString ServerDialect::engineText(const QSqlError& error) const
{
    // The driver ends its text with the code in brackets, "()" when there
    // is none, and libpq spreads a message over indented lines.
    QString text = SqlDialect::engineText(error);
    const QString code = QLatin1Char('(') + error.nativeErrorCode() + QLatin1Char(')');
    if (text.endsWith(code))
        text.chop(code.size());
    return text.simplified();
}

QStringList ServerDialect::damageDetails(QSqlDatabase&) const
{
    // The server checks its own pages and says where in its message.
    return {};
}

bool serverSchemaEmpty(QSqlDatabase& db, bool* empty, QSqlError* error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_class c "
                               "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                               "WHERE n.nspname = current_schema() "
                               "AND c.relkind IN ('r', 'v', 'm', 'S', 'f', 'p')")) ||
        !q.next()) {
        if (error)
            *error = q.lastError();
        return false;
    }
    *empty = q.value(0).toLongLong() == 0;
    return true;
}

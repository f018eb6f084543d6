#include "Recordset.h"

#include "Database.h"
#include "KeyText.h"
#include "PreparedQuery.h"
#include "Schema.h"
#include "SqlDialect.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace {

bool numberFromVariant(const QVariant& in, double* out)
{
    if (in.typeId() == QMetaType::QString) {
        QString s = in.toString();
        s.remove(QLatin1Char(' '));
        s.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        *out = s.toDouble(&ok);
        return ok && std::isfinite(*out);
    }
    bool ok = false;
    *out = in.toDouble(&ok);
    return ok && std::isfinite(*out);
}

} // namespace

bool toStorage(const FieldInfo& field, const QVariant& in, QVariant* out, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Campo %1: %2").arg(field.name, why);
        return false;
    };
    const bool isText = in.typeId() == QMetaType::QString;
    if (in.isNull() || (isText && in.toString().isEmpty()) ||
        (isText && field.type != FieldType::Text && field.type != FieldType::Memo &&
         in.toString().trimmed().isEmpty())) {
        *out = QVariant();
        return true;
    }
    switch (field.type) {
    case FieldType::Text: {
        const QString s = in.toString();
        if (field.size > 0 && s.size() > field.size)
            return refuse(QStringLiteral("il testo supera %1 caratteri").arg(field.size));
        *out = s;
        return true;
    }
    case FieldType::Memo:
        *out = in.toString();
        return true;
    case FieldType::Integer:
    case FieldType::Long: {
        double d = 0;
        if (!numberFromVariant(in, &d))
            return refuse(QStringLiteral("\"%1\" non è un numero").arg(in.toString()));
        if (std::fabs(d) > 9.0e15)
            return refuse(QStringLiteral("numero fuori dai limiti"));
        const qint64 v = std::llround(d);
        if (!wholeNumberRange(field.type, field.size).contains(v))
            return refuse(QStringLiteral("numero fuori dai limiti"));
        *out = v;
        return true;
    }
    case FieldType::Currency:
    case FieldType::Single:
    case FieldType::Double: {
        double d = 0;
        if (!numberFromVariant(in, &d))
            return refuse(QStringLiteral("\"%1\" non è un numero").arg(in.toString()));
        *out = d;
        return true;
    }
    case FieldType::Date: {
        QDate d;
        if (in.typeId() == QMetaType::QDate)
            d = in.toDate();
        else {
            d = parseItalianDate(in.toString());
            if (!d.isValid())
                d = QDate::fromString(in.toString().trimmed(), Qt::ISODate);
        }
        if (!d.isValid())
            return refuse(QStringLiteral("\"%1\" non è una data").arg(in.toString()));
        *out = d.toString(Qt::ISODate);
        return true;
    }
    }
    return refuse(QStringLiteral("tipo sconosciuto"));
}

QVariant fromStorage(const FieldInfo& field, const QVariant& stored)
{
    if (stored.isNull())
        return {};
    if (field.type == FieldType::Date) {
        const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
        return d.isValid() ? QVariant(d) : stored;
    }
    return stored;
}

QString valueText(const QVariant& v)
{
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

Recordset::Recordset(Database& db, QString table)
    : m_db(db), m_table(std::move(table)), m_quotedTable(db.quoted(m_table))
{
}

std::unique_ptr<Recordset> Recordset::OpenTable(Database& db, const QString& table, QString* error)
{
    std::unique_ptr<Recordset> rs(new Recordset(db, table));
    if (!rs->loadFields()) {
        if (error)
            *error = rs->lastError();
        return nullptr;
    }
    rs->MoveFirst();
    return rs;
}

bool Recordset::loadFields()
{
    const TableDef* def = m_db.tableLayout(m_table);
    if (!def || def->columns.empty())
        return fail(QStringLiteral("Tabella %1 inesistente").arg(m_table));
    for (const ColumnDef& c : def->columns)
        m_fields.push_back({c.name, c.type, c.size});
    m_keyed = def->keyed;
    m_textKey = m_keyed && m_fields.first().type == FieldType::Text;
    m_versionIndex = rowVersionColumn(*def);
    QStringList ascending;
    QStringList descending;
    for (const FieldInfo& f : m_fields) {
        m_columns << m_db.quoted(f.name);
        ascending << m_columns.last();
        descending << m_columns.last() + QStringLiteral(" DESC");
    }
    // Without a key, the whole row tells records apart and orders them.
    m_order = m_keyed ? m_columns.first() : ascending.join(QLatin1Char(','));
    m_reverseOrder =
        m_keyed ? m_columns.first() + QStringLiteral(" DESC") : descending.join(QLatin1Char(','));
    return true;
}

int Recordset::keyWidth() const
{
    return m_textKey ? m_fields.first().size : 0;
}

bool Recordset::fail(const QString& error)
{
    m_error = error;
    return false;
}

qint64 Recordset::version() const
{
    if (m_versionIndex < 0 || !m_hasCurrent)
        return 0;
    return m_rowStored.value(m_versionIndex).toLongLong();
}

bool Recordset::write(const QString& sql, QVariantList values, QSqlQuery* q, int versionAt,
                      QVariant* version)
{
    m_failure = Failure::Other;
    if (!m_db.begin(&m_error))
        return false;
    const QString stamp = m_db.dialect().writeStamp();
    if (versionAt >= 0 && !stamp.isEmpty()) {
        QSqlQuery s(m_db.connection());
        if (!s.exec(stamp) || !s.next()) {
            m_error = m_db.failure(s.lastError());
            m_db.rollback();
            return false;
        }
        values[versionAt] = *version = s.value(0).toLongLong();
    }
    if (!execPrepared(*q, sql, values)) {
        if (m_mode == Mode::AddNew &&
            m_db.dialect().classify(q->lastError()) == DatabaseErrorKind::Constraint)
            m_failure = Failure::KeyTaken;
        m_error = m_db.failure(q->lastError());
        m_db.rollback();
        return false;
    }
    if (q->numRowsAffected() == 0) {
        m_failure = Failure::ChangedElsewhere;
        m_error = QStringLiteral("Il record è stato modificato o eliminato da un'altra postazione");
        m_db.rollback();
        return false;
    }
    m_failure = Failure::None;
    return true;
}

bool Recordset::fetchOne(const QString& where, bool last, const QVariantList& values, int offset)
{
    m_error.clear();
    m_mode = Mode::None;
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT * FROM %1 %2 ORDER BY %3 LIMIT 1")
                      .arg(m_quotedTable, where, last ? m_reverseOrder : m_order);
    if (offset > 0)
        sql += QStringLiteral(" OFFSET %1").arg(offset);
    if (!execPrepared(q, sql, values))
        return fail(m_db.failure(q.lastError()));
    m_hasCurrent = q.next();
    m_row.clear();
    m_rowStored.clear();
    if (!m_hasCurrent && q.lastError().isValid())
        return fail(m_db.failure(q.lastError()));
    if (m_hasCurrent) {
        // A file of an earlier version, not yet brought up to date, holds
        // fewer columns: the missing ones read as Null.
        const int columns = q.record().count();
        for (int i = 0; i < m_fields.size(); ++i) {
            m_rowStored << (i < columns ? q.value(i) : QVariant());
            m_row << fromStorage(m_fields[i], m_rowStored.last());
        }
    }
    return true;
}

bool Recordset::fetchRow(const QVariantList& stored)
{
    if (m_keyed)
        return fetchOne(QStringLiteral("WHERE %1 = ?").arg(m_columns.first()), false,
                        {stored.first()});
    // A table without a key is a small one (the heading record): its rows
    // are read in order until the one written.
    for (m_position = 0; fetchOne({}, false, {}, m_position) && m_hasCurrent; ++m_position) {
        bool same = true;
        for (int i = 0; i < stored.size() && same; ++i) {
            const QVariant& here = m_rowStored.at(i);
            same = here.isNull() == stored.at(i).isNull() &&
                   (here.isNull() || here.toString() == stored.at(i).toString());
        }
        if (same)
            break;
    }
    return m_error.isEmpty();
}

QString Recordset::sameRowCondition() const
{
    QStringList conditions;
    for (const QString& column : m_columns)
        conditions << m_db.dialect().sameValue(column);
    return QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND "));
}

QVariantList Recordset::identity(QString* where) const
{
    if (m_keyed && m_versionIndex >= 0) {
        *where =
            QStringLiteral("WHERE %1 = ? AND %2")
                .arg(m_columns.first(), m_db.dialect().sameValue(m_columns.at(m_versionIndex)));
        return {m_rowStored.first(), m_rowStored.at(m_versionIndex)};
    }
    if (m_keyed) {
        *where = QStringLiteral("WHERE %1 = ?").arg(m_columns.first());
        return {m_rowStored.first()};
    }
    *where = sameRowCondition();
    return m_rowStored;
}

bool Recordset::Seek(const QString& comparison, const QVariant& key)
{
    if (!m_keyed)
        return fail(QStringLiteral("La tabella %1 non ha chiave").arg(m_table));
    QString op;
    if (comparison == QLatin1String("="))
        op = QStringLiteral("=");
    else if (comparison == QLatin1String(">="))
        op = QStringLiteral(">=");
    else
        return fail(QStringLiteral("Confronto non previsto: %1").arg(comparison));
    const QVariant k = m_textKey ? QVariant(normalizeKey(key.toString(), keyWidth())) : key;
    const bool ok =
        fetchOne(QStringLiteral("WHERE %1 %2 ?").arg(m_columns.first(), op), false, {k});
    m_noMatch = !m_hasCurrent;
    return ok;
}

bool Recordset::MoveFirst()
{
    m_position = 0;
    return fetchOne({}, false, {});
}

bool Recordset::MoveLast()
{
    if (!m_keyed) {
        m_error.clear();
        const int count = RecordCount();
        if (!m_error.isEmpty())
            return false;
        m_position = std::max(count - 1, 0);
    }
    return fetchOne({}, true, {});
}

bool Recordset::MoveNext()
{
    if (!m_hasCurrent)
        return fail(QStringLiteral("Nessun record corrente"));
    if (!m_keyed)
        return fetchOne({}, false, {}, ++m_position);
    return fetchOne(QStringLiteral("WHERE %1 > ?").arg(m_columns.first()), false,
                    {m_rowStored.first()});
}

int Recordset::RecordCount()
{
    QSqlQuery q(m_db.connection());
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(m_quotedTable)) || !q.next()) {
        fail(m_db.failure(q.lastError()));
        return 0;
    }
    return q.value(0).toInt();
}

QVariant Recordset::value(int i) const
{
    const QVariantList& source = m_mode == Mode::None ? m_row : m_buffer;
    return i >= 0 && i < source.size() ? source.at(i) : QVariant();
}

QString Recordset::text(int i) const
{
    return valueText(value(i));
}

void Recordset::AddNew()
{
    m_buffer.clear();
    for (int i = 0; i < m_fields.size(); ++i)
        m_buffer << QVariant();
    m_mode = Mode::AddNew;
}

bool Recordset::Edit(qint64 loaded)
{
    m_failure = Failure::Other;
    if (!m_hasCurrent)
        return fail(QStringLiteral("Nessun record corrente"));
    if (loaded > 0 && version() != loaded) {
        m_failure = Failure::ChangedElsewhere;
        return fail(QStringLiteral("Il record è stato modificato da un'altra postazione"));
    }
    m_failure = Failure::None;
    m_buffer = m_row;
    m_mode = Mode::Edit;
    return true;
}

bool Recordset::setValue(int i, const QVariant& v)
{
    if (m_mode == Mode::None)
        return fail(QStringLiteral("Modifica non iniziata"));
    if (i < 0 || i >= m_fields.size())
        return fail(QStringLiteral("Campo %1 inesistente").arg(i));
    QVariant in = v;
    if (i == 0 && m_textKey && !v.isNull())
        in = normalizeKey(v.toString(), keyWidth());
    QVariant stored;
    if (!toStorage(m_fields[i], in, &stored, &m_error))
        return false;
    m_buffer[i] = fromStorage(m_fields[i], stored);
    return true;
}

bool Recordset::Update()
{
    if (m_mode == Mode::None)
        return fail(QStringLiteral("Modifica non iniziata"));
    if (m_textKey && valueText(m_buffer.first()).trimmed().isEmpty())
        return fail(QStringLiteral("Chiave vuota"));

    QVariantList stored;
    for (int i = 0; i < m_fields.size(); ++i) {
        QVariant value;
        if (!toStorage(m_fields[i], m_buffer[i], &value, &m_error))
            return false;
        stored << value;
    }

    // The row version is the recordset's own, whatever the buffer holds:
    // the engine's write stamp where it has one (write()), else 1 for a new
    // record and one more than the row read for an edited one.
    if (m_versionIndex >= 0)
        stored[m_versionIndex] =
            m_mode == Mode::AddNew ? qint64(1) : m_rowStored.value(m_versionIndex).toLongLong() + 1;

    QStringList names;
    QVariantList values;
    int versionAt = -1;
    for (int i = 0; i < m_fields.size(); ++i) {
        // A new record names the fields it fills: the database numbers a
        // counter key itself, and gives every other field Null.
        if (m_mode == Mode::AddNew && stored.at(i).isNull())
            continue;
        if (i == m_versionIndex)
            versionAt = int(values.size());
        names << m_columns.at(i);
        values << stored.at(i);
    }

    QString sql;
    // A counter the database gives the new record comes back with the
    // statement itself: both engines return it that way.
    const bool counted = m_mode == Mode::AddNew && m_keyed && stored.first().isNull();
    if (m_mode == Mode::AddNew && names.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_quotedTable);
    } else if (m_mode == Mode::AddNew) {
        const QString marks = QStringLiteral("?,").repeated(int(names.size())).chopped(1);
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(m_quotedTable, names.join(QLatin1Char(',')), marks);
    } else {
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        QString where;
        values << identity(&where);
        sql = QStringLiteral("UPDATE %1 SET %2 %3")
                  .arg(m_quotedTable, sets.join(QLatin1Char(',')), where);
    }
    if (counted)
        sql += QStringLiteral(" RETURNING ") + m_columns.first();

    QSqlQuery q(m_db.connection());
    QVariant version;
    if (!write(sql, values, &q, versionAt, &version))
        return false;
    if (version.isValid())
        stored[m_versionIndex] = version;
    if (counted) {
        stored[0] = q.next() ? q.value(0) : QVariant();
        q.finish();
    }
    if (!m_db.commit(&m_error))
        return false;
    // The written record becomes the current one.
    return fetchRow(stored);
}

void Recordset::CancelUpdate()
{
    m_mode = Mode::None;
    m_buffer.clear();
}

bool Recordset::Delete()
{
    if (!m_hasCurrent)
        return fail(QStringLiteral("Nessun record corrente"));
    m_mode = Mode::None;
    QString where;
    const QVariantList values = identity(&where);
    QSqlQuery q(m_db.connection());
    if (!write(QStringLiteral("DELETE FROM %1 %2").arg(m_quotedTable, where), values, &q) ||
        !m_db.commit(&m_error))
        return false;
    m_hasCurrent = false;
    m_row.clear();
    m_rowStored.clear();
    return true;
}

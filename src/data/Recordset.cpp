#include "Recordset.h"

#include "Database.h"
#include "KeyText.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace {

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

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
    : m_db(db), m_table(std::move(table)), m_quotedTable(quoted(m_table))
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
    QSqlQuery q(m_db.connection());
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(m_quotedTable)))
        return fail(m_db.failure(q.lastError()));
    while (q.next()) {
        const ColumnType t = columnTypeFromDeclaration(q.value(2).toString());
        m_fields.push_back({q.value(1).toString(), t.type, t.size});
        if (m_fields.size() == 1 && q.value(5).toInt() == 1)
            m_keyed = true;
    }
    if (m_fields.isEmpty())
        return fail(QStringLiteral("Tabella %1 inesistente").arg(m_table));
    m_textKey = m_keyed && m_fields.first().type == FieldType::Text;
    return true;
}

int Recordset::keyWidth() const
{
    return m_textKey ? m_fields.first().size : 0;
}

QString Recordset::orderColumn() const
{
    return m_keyed ? quoted(m_fields.first().name) : QStringLiteral("rowid");
}

bool Recordset::fail(const QString& error)
{
    m_error = error;
    return false;
}

bool Recordset::fetchOne(const QString& where, const QString& order, const QVariantList& values)
{
    m_error.clear();
    m_mode = Mode::None;
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT rowid, * FROM %1 %2 ORDER BY %3 %4 LIMIT 1")
                            .arg(m_quotedTable, where, orderColumn(), order);
    if (!q.prepare(sql))
        return fail(m_db.failure(q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return fail(m_db.failure(q.lastError()));
    m_hasCurrent = q.next();
    m_row.clear();
    if (!m_hasCurrent && q.lastError().isValid())
        return fail(m_db.failure(q.lastError()));
    if (m_hasCurrent) {
        m_rowid = q.value(0).toLongLong();
        for (int i = 0; i < m_fields.size(); ++i)
            m_row << fromStorage(m_fields[i], q.value(i + 1));
    }
    return true;
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
    const bool ok = fetchOne(QStringLiteral("WHERE %1 %2 ?").arg(orderColumn(), op), {}, {k});
    m_noMatch = !m_hasCurrent;
    return ok;
}

bool Recordset::MoveFirst()
{
    return fetchOne({}, {}, {});
}

bool Recordset::MoveLast()
{
    return fetchOne({}, QStringLiteral("DESC"), {});
}

bool Recordset::MoveNext()
{
    if (!m_hasCurrent)
        return fail(QStringLiteral("Nessun record corrente"));
    const QVariant position = m_keyed ? m_row.first() : QVariant(m_rowid);
    return fetchOne(QStringLiteral("WHERE %1 > ?").arg(orderColumn()), {}, {position});
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

bool Recordset::Edit()
{
    if (!m_hasCurrent)
        return fail(QStringLiteral("Nessun record corrente"));
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

    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (i == 0 && m_keyed && !m_textKey && m_buffer.first().isNull())
            continue; // the database numbers the row
        QVariant stored;
        if (!toStorage(m_fields[i], m_buffer[i], &stored, &m_error))
            return false;
        names << quoted(m_fields[i].name);
        values << stored;
    }

    QString sql;
    if (m_mode == Mode::AddNew) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(m_quotedTable, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    } else {
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                  .arg(m_quotedTable, sets.join(QLatin1Char(',')));
        values << m_rowid;
    }

    if (!m_db.begin(&m_error))
        return false;
    QSqlQuery q(m_db.connection());
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant& v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) {
        m_error = m_db.failure(q.lastError());
        m_db.rollback();
        return false;
    }
    const qint64 rowid = m_mode == Mode::AddNew ? q.lastInsertId().toLongLong() : m_rowid;
    if (!m_db.commit(&m_error))
        return false;
    // The written record becomes the current one.
    return fetchOne(QStringLiteral("WHERE rowid = ?"), {}, {rowid});
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
    if (!m_db.begin(&m_error))
        return false;
    QSqlQuery q(m_db.connection());
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_quotedTable));
    q.addBindValue(m_rowid);
    if (!q.exec()) {
        m_error = m_db.failure(q.lastError());
        m_db.rollback();
        return false;
    }
    if (!m_db.commit(&m_error))
        return false;
    m_hasCurrent = false;
    m_row.clear();
    return true;
}

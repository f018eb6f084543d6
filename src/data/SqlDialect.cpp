#include "SqlDialect.h"
#include "PreparedQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <optional>

QString SqlDialect::engineText(const QSqlError& error) const
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

namespace {

// A row of a Qt SQL query. Each column's text is converted once per row,
// when asked for.
class QueryRow final : public RowValues
{
public:
    explicit QueryRow(QSqlQuery& query) : m_query(query), m_columns(query.record().count())
    {
        m_texts.resize(std::size_t(m_columns));
        m_converted.resize(std::size_t(m_columns));
    }

    void advance() { std::fill(m_converted.begin(), m_converted.end(), false); }

    int columnCount() const override { return m_columns; }
    bool isNull(int column) const override { return m_query.isNull(column); }
    qint64 integer(int column) const override { return m_query.value(column).toLongLong(); }
    QByteArrayView utf8(int column) const override
    {
        if (column < 0 || column >= m_columns)
            return {};
        const auto at = std::size_t(column);
        if (!m_converted[at]) {
            m_texts[at] = m_query.value(column).toString().toUtf8();
            m_converted[at] = true;
        }
        return m_texts[at];
    }

private:
    QSqlQuery& m_query;
    int m_columns;
    mutable std::vector<QByteArray> m_texts;
    mutable std::vector<bool> m_converted;
};

} // namespace

namespace {

// Runs the query forward only, its values bound, handing it to `visit` at
// each row until the rows end or it returns false.
template <typename Visit>
bool stepQuery(QSqlDatabase& db, const QString& sql, const QVariantList& values, Visit&& visit,
               QSqlError* error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = execPrepared(q, sql, values);
    if (ok) {
        while (q.next()) {
            if (!visit(q))
                return true;
        }
        ok = !q.lastError().isValid();
    }
    if (!ok && error)
        *error = q.lastError();
    return ok;
}

} // namespace

bool SqlDialect::readRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                          const RowVisitor& visit, QSqlError* error) const
{
    std::optional<QueryRow> row;
    return stepQuery(
        db, sql, values,
        [&](QSqlQuery& q) {
            if (!row)
                row.emplace(q);
            row->advance();
            return visit(*row);
        },
        error);
}

bool SqlDialect::readValueRows(QSqlDatabase& db, const QString& sql, const QVariantList& values,
                               const ValueRowVisitor& visit, QSqlError* error) const
{
    QVariantList row;
    return stepQuery(
        db, sql, values,
        [&](QSqlQuery& q) {
            if (row.isEmpty())
                row.resize(q.record().count());
            for (int i = 0; i < row.size(); ++i)
                row[i] = q.value(i);
            return visit(row);
        },
        error);
}

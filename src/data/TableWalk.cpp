#include "TableWalk.h"

#include "Database.h"
#include "KeyText.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <numeric>
#include <vector>

namespace {

bool fail(const QSqlQuery& q, QString* error)
{
    const QSqlError e = q.lastError();
    if (error)
        *error = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).trimmed();
    return false;
}

} // namespace

bool walkTable(Database& db, Table table, const QString& from, std::span<const int> columns,
               const std::function<bool(const QVariantList& row)>& visit, QString* error)
{
    const TableDef& def = tableDef(table);
    const ColumnDef& key = def.columns.front();
    const int width = int(def.columns.size());
    QStringList names;
    for (const int column : columns) {
        if (column < 0 || column >= width) {
            if (error)
                *error = QStringLiteral("Colonna %1 inesistente in %2").arg(column).arg(def.name);
            return false;
        }
        names << db.quoted(def.columns.at(std::size_t(column)).name);
    }
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 >= ? ORDER BY %3")
            .arg(names.join(QStringLiteral(", ")), db.quoted(def.name), db.quoted(key.name));
    // Every key is at or after the empty text; a bound of blanks would not be.
    const QVariantList bound{from.isEmpty() ? QStringLiteral("") : normalizeKey(from, key.size)};
    QVariantList row(width);
    return db.readValueRows(
        sql, bound,
        [&](const QVariantList& read) {
            for (std::size_t i = 0; i < columns.size(); ++i)
                row[columns[i]] = read.at(qsizetype(i));
            return visit(row);
        },
        error);
}

bool walkTable(Database& db, Table table, const QString& from,
               const std::function<bool(const QVariantList& row)>& visit, QString* error)
{
    std::vector<int> every(tableDef(table).columns.size());
    std::iota(every.begin(), every.end(), 0);
    return walkTable(db, table, from, every, visit, error);
}

std::optional<bool> tableIsEmpty(Database& db, Table table, QString* error)
{
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(db.quoted(nameOf(table)))) ||
        !q.next()) {
        fail(q, error);
        return std::nullopt;
    }
    return q.value(0).toInt() == 0;
}

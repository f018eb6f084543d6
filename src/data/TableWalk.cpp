#include "TableWalk.h"

#include "Database.h"
#include "KeyText.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

bool fail(const QSqlQuery& q, QString* error)
{
    const QSqlError e = q.lastError();
    if (error)
        *error = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).trimmed();
    return false;
}

} // namespace

bool walkTable(Database& db, Table table, const QString& from,
               const std::function<bool(const QVariantList& row)>& visit, QString* error)
{
    const TableDef& def = tableDef(table);
    const ColumnDef& key = def.columns.front();
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 >= ? ORDER BY %2")
                            .arg(db.quoted(def.name), db.quoted(key.name));
    if (!q.prepare(sql))
        return fail(q, error);
    // Every key is at or after the empty text; a bound of blanks would not be.
    q.addBindValue(from.isEmpty() ? QStringLiteral("") : normalizeKey(from, key.size));
    if (!q.exec())
        return fail(q, error);
    const int columns = int(def.columns.size());
    QVariantList row;
    row.reserve(columns);
    while (q.next()) {
        row.clear();
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        if (!visit(row))
            return true;
    }
    return q.lastError().isValid() ? fail(q, error) : true;
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

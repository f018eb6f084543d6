#include "ArchiveTally.h"

#include "Database.h"
#include "Schema.h"

#include <QCryptographicHash>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>
#include <algorithm>

namespace {

bool fail(Database& db, const QSqlQuery& q, const QString& table, QString* error)
{
    if (error)
        *error = QStringLiteral("Impossibile leggere la tabella %1: %2")
                     .arg(table, db.failure(q.lastError()));
    return false;
}

QByteArray shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

QString euro(const Money& amount)
{
    return amount.localeText(QStringLiteral("."), QStringLiteral(",")) + QStringLiteral(" €");
}

const TableTally* findTally(const ArchiveTally& tally, const QString& table)
{
    const auto found = std::find_if(tally.tables.begin(), tally.tables.end(),
                                    [&table](const TableTally& t) { return t.table == table; });
    return found == tally.tables.end() ? nullptr : &*found;
}

QString describeDifference(const TableTally& original, const TableTally& copy)
{
    QStringList parts;
    if (original.rows != copy.rows)
        parts << QStringLiteral("%1 record nell'originale, %2 nella copia")
                     .arg(original.rows)
                     .arg(copy.rows);
    for (const AmountTotal& total : original.totals) {
        const auto other =
            std::find_if(copy.totals.begin(), copy.totals.end(),
                         [&total](const AmountTotal& t) { return t.column == total.column; });
        if (other == copy.totals.end())
            parts << QStringLiteral("%1 assente nella copia").arg(total.column);
        else if (other->total != total.total)
            parts << QStringLiteral("%1 %2 nell'originale, %3 nella copia")
                         .arg(total.column, euro(total.total), euro(other->total));
    }
    if (parts.isEmpty())
        parts << QStringLiteral("stessi record e importi, ma valori diversi nella copia");
    return QStringLiteral("%1: %2").arg(original.table, parts.join(QStringLiteral("; ")));
}

} // namespace

QByteArray digestBytes(const QVariant& value, const ColumnDef& column)
{
    if (value.isNull())
        return QByteArrayLiteral("N");
    // A tag, the length, the bytes: no two different rows give the same
    // stream, whatever their texts hold.
    char tag = 'T';
    QByteArray body;
    bool ok = false;
    switch (column.type) {
    case FieldType::Integer:
    case FieldType::Long:
        if (const qlonglong n = value.toLongLong(&ok); ok) {
            tag = 'I';
            body = QByteArray::number(n);
        }
        break;
    case FieldType::Single:
        // One engine may keep a single as a float, another as a double: both
        // read back as the same float.
        if (const double d = value.toDouble(&ok); ok) {
            tag = 'F';
            body = shortest(double(float(d)));
        }
        break;
    case FieldType::Double:
    case FieldType::Currency:
        if (const double d = value.toDouble(&ok); ok) {
            tag = 'F';
            body = shortest(d);
        }
        break;
    case FieldType::Date:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    if (tag == 'T')
        body = value.toString().toUtf8();
    QByteArray out(5, '\0');
    out[0] = tag;
    qToBigEndian(quint32(body.size()), out.data() + 1);
    return out + body;
}

bool tallyTable(Database& db, const TableDef& table, TableTally* tally, QString* error)
{
    QStringList columns;
    std::vector<std::size_t> amounts;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        columns << db.quoted(table.columns[i].name);
        if (holdsCents(table.columns[i].type, table.columns[i].size))
            amounts.push_back(i);
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(columns.join(QStringLiteral(", ")), db.quoted(table.name));
    if (table.keyed)
        sql += QStringLiteral(" ORDER BY %1").arg(columns.front());
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        return fail(db, q, table.name, error);

    TableTally result;
    result.table = table.name;
    std::vector<Money> totals(amounts.size());
    QCryptographicHash digest(QCryptographicHash::Sha256);
    // A table without a key has no order of its own: its rows enter the
    // digest sorted, so that any order of the same rows gives the same.
    std::vector<QByteArray> unordered;
    QByteArray row;
    while (q.next()) {
        ++result.rows;
        row.clear();
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            row += digestBytes(q.value(int(i)), table.columns[i]);
        for (std::size_t a = 0; a < amounts.size(); ++a)
            totals[a] += Money::fromCents(q.value(int(amounts[a])).toLongLong());
        if (table.keyed)
            digest.addData(row);
        else
            unordered.push_back(row);
    }
    if (q.lastError().isValid())
        return fail(db, q, table.name, error);
    std::sort(unordered.begin(), unordered.end());
    for (const QByteArray& r : unordered)
        digest.addData(r);
    for (std::size_t a = 0; a < amounts.size(); ++a)
        result.totals.push_back({table.columns[amounts[a]].name, totals[a]});
    result.digest = digest.result();
    *tally = std::move(result);
    return true;
}

bool tallyArchives(Database& db, ArchiveTally* tally, QString* error)
{
    ArchiveTally result;
    for (const TableDef& table : db.layout()) {
        TableTally t;
        if (!tallyTable(db, table, &t, error))
            return false;
        result.tables.push_back(std::move(t));
    }
    *tally = std::move(result);
    return true;
}

QStringList compareTallies(const ArchiveTally& original, const ArchiveTally& copy)
{
    QStringList lines;
    for (const TableTally& table : original.tables) {
        const TableTally* other = findTally(copy, table.table);
        if (!other)
            lines << QStringLiteral("%1: tabella assente nella copia").arg(table.table);
        else if (!(*other == table))
            lines << describeDifference(table, *other);
    }
    for (const TableTally& table : copy.tables)
        if (!findTally(original, table.table))
            lines << QStringLiteral("%1: tabella assente nell'originale").arg(table.table);
    return lines;
}

QStringList describeTally(const ArchiveTally& tally)
{
    QStringList lines;
    for (const TableTally& table : tally.tables)
        lines << QStringLiteral("%1: %2 record").arg(table.table).arg(table.rows);
    return lines;
}

#include "RowPlacement.h"

#include "DocumentKey.h"

#include <QRegularExpression>

namespace {

bool isText(const QVariant& v)
{
    return v.typeId() == QMetaType::QString;
}

bool isWhole(const QVariant& v)
{
    return v.typeId() == QMetaType::LongLong;
}

bool fitsColumn(const ColumnDef& column, const QVariant& value)
{
    if (value.isNull())
        return true;
    switch (column.type) {
    case FieldType::Text:
    case FieldType::Memo:
        return isText(value);
    case FieldType::Date: {
        static const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)"));
        return isText(value) &&
               (value.toString().isEmpty() || iso.match(value.toString()).hasMatch());
    }
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Currency:
        return isWhole(value);
    case FieldType::Single:
    case FieldType::Double:
        return isWhole(value) || value.typeId() == QMetaType::Double;
    }
    return false;
}

// The key a row of the table must have: a counter the database assigns
// (stored as no value), a document's year and number, or a code.
bool fitsKey(const TableDef& table, const QVariant& key)
{
    if (table.autoKey)
        return key.isNull() || isWhole(key);
    if (!isText(key) || key.toString().trimmed().isEmpty())
        return false;
    const bool document = table.columns.size() > 2 && table.columns[1].type == FieldType::Date &&
                          table.columns[2].type == FieldType::Long;
    return !document || DocumentKey::fromStored(key.toString()).has_value();
}

} // namespace

bool fitsTable(const TableDef& table, const QVariantList& values)
{
    if (!fieldCounts(table).contains(int(values.size())))
        return false;
    if (table.keyed && !fitsKey(table, values.value(0)))
        return false;
    for (qsizetype i = table.keyed ? 1 : 0; i < values.size(); ++i)
        if (!fitsColumn(table.columns[std::size_t(i)], values.at(i)))
            return false;
    return true;
}

int tableOfPage(const std::vector<const TableDef*>& tables, const std::vector<QVariantList>& rows)
{
    int best = -1;
    int bestCount = 0;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        int count = 0;
        for (const QVariantList& row : rows)
            count += fitsTable(*tables[t], row) ? 1 : 0;
        if (count > bestCount) {
            best = int(t);
            bestCount = count;
        }
    }
    return best;
}

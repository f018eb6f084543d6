#include "ProposedNumber.h"

#include "DocumentKey.h"
#include "Recordset.h"
#include "Schema.h"

#include <algorithm>

namespace {
// Invoices, pro-formas and purchases all keep their date and number here.
constexpr int kDate = int(FeeColumn::Date);
constexpr int kNumber = int(FeeColumn::Number);
} // namespace

QString takenNumberText(const QString& taken, const QString& number)
{
    return QStringLiteral("%1: un'altra postazione ha usato il numero nel frattempo. Proposto "
                          "il numero %2.")
        .arg(taken, number);
}

QString proposedNumber(Recordset& table, NumberingRestart restart, const QDate& today)
{
    if (!table.MoveLast() || table.Eof())
        return QStringLiteral("1");
    const bool restarted =
        restart == NumberingRestart::EachYear && table.value(kDate).toDate().year() != today.year();
    const qint64 proposed = restarted ? 1 : table.value(kNumber).toLongLong() + 1;

    // The new document is dated today. When the last one in key order is of
    // a later year (or numbering restarted), the number may already belong
    // to a document of this year: the window would then load and overwrite
    // it. Take the number after the highest of this year instead.
    const auto key = DocumentKey::of(today, proposed);
    if (!key || !table.Seek(QStringLiteral("="), key->stored()) || table.NoMatch())
        return QString::number(proposed);
    // Right-aligned numbers sort as numbers: the higher ones of the year
    // follow this one in key order.
    const QString year = key->stored().left(4);
    qint64 highest = proposed;
    while (!table.Eof() && table.text(0).startsWith(year)) {
        highest = std::max(highest, table.value(kNumber).toLongLong());
        if (!table.MoveNext())
            break;
    }
    return QString::number(highest + 1);
}

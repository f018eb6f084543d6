#include "AddressLabels.h"

#include "Client.h"
#include "PageRecorder.h"
#include "Recordset.h"
#include "Schema.h"

#include <algorithm>

namespace {

constexpr int kCodeWidth = 10;
constexpr double kFirstRow = 4;
constexpr double kLastRow = 60; // a label starting below it goes on the next page
constexpr double kLeftColumn = 4;
constexpr double kRightColumn = 38;
constexpr int kMinimumWidth = 20; // columns

QString padded(const QString& code)
{
    return code.left(kCodeWidth).leftJustified(kCodeWidth, QLatin1Char(' ')).toUpper();
}

QString field(const Recordset& rs, AddressColumn column)
{
    return rs.text(int(column));
}

} // namespace

LabelRange labelRange(const QString& first, const QString& last)
{
    return {padded(first), last.isEmpty() ? QString(kCodeWidth, QLatin1Char('Z')) : padded(last)};
}

bool inLabelRange(const QString& key, const LabelRange& range)
{
    // Ordinal comparison, character by character, as the codes are stored.
    const QString code = padded(key);
    return QString::compare(range.first, code) <= 0 && QString::compare(code, range.last) <= 0;
}

LabelOutcome StampaEtichette(PageRecorder& e, Database& db, Table table, const LabelRange& range,
                             bool twoColumns, QString* error)
{
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(10);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));

    auto rs = Recordset::OpenTable(db, nameOf(table), error);
    if (!rs)
        return LabelOutcome::Failed;
    if (rs->RecordCount() == 0)
        return rs->lastError().isEmpty() ? LabelOutcome::NoData
                                         : (*error = rs->lastError(), LabelOutcome::Failed);

    double top = kFirstRow;
    double column = kRightColumn;
    const int unitX = std::max(1, int(e.UnitX));
    for (rs->Seek(QStringLiteral(">="), range.first); !rs->Eof(); rs->MoveNext()) {
        if (!inLabelRange(field(*rs, AddressColumn::Key), range))
            continue;
        if (top > kLastRow && column == kRightColumn) {
            if (!e.NewPage(error))
                return LabelOutcome::Failed;
            top = kFirstRow;
        }
        if (column == kLeftColumn) {
            top -= 10;
            column = kRightColumn;
        } else {
            column = kLeftColumn;
        }
        e.PrintText(top, column, 0, QStringLiteral("Spett.le"));
        double width = 0;
        const QString name = field(*rs, AddressColumn::Name);
        const QString address = field(*rs, AddressColumn::Address);
        // Suppliers have no province column: it reads empty.
        const QString town = (field(*rs, AddressColumn::Postcode) + QLatin1Char(' ') +
                              townWithProvince(field(*rs, AddressColumn::Town),
                                               field(*rs, AddressColumn::Provincia)))
                                 .trimmed();
        if (!name.isEmpty()) {
            e.PrintText(top + 1, column, 0, name);
            width = std::max(width, e.TextWidth(name));
        }
        if (!address.isEmpty()) {
            e.PrintText(top + 2, column, 0, address);
            width = std::max(width, e.TextWidth(address));
        }
        e.PrintText(top + 3, column, 0, town);
        width = std::max(width, e.TextWidth(town));
        const int columns = std::max(kMinimumWidth, int(width) / unitX + 1);
        e.DrawHLine(top + 4.5, column - 1, column - 1 + columns, 4);
        e.DrawBox(top - 0.5, column - 2, top + 6.5, column + columns, 4, 1);
        top += 10;
        if (!twoColumns)
            column = kRightColumn;
    }
    if (!rs->lastError().isEmpty()) {
        *error = rs->lastError();
        return LabelOutcome::Failed;
    }
    return e.EndDocument(error) ? LabelOutcome::Printed : LabelOutcome::Failed;
}

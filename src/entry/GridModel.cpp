#include "GridModel.h"

#include "Money.h"
#include "Schema.h"
#include "Snapshot.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(index.column()) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The row-number column looks like the header it continues.
        return index.column() == 0 ? QVariant(QGuiApplication::palette().button()) : QVariant();
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columnAlignment(section) | Qt::AlignVCenter);
    return {};
}

void GridModel::setContents(QStringList headers, QVector<Qt::Alignment> alignments,
                            QVector<double> widthsTwips, QVector<QStringList> rows)
{
    beginResetModel();
    m_headers = std::move(headers);
    m_alignments = std::move(alignments);
    m_widths = std::move(widthsTwips);
    m_rows = std::move(rows);
    endResetModel();
}

QString GridModel::cell(int row, int column) const
{
    return m_rows.value(row).value(column);
}

QString gridAmount(qint64 cents)
{
    return Money::fromCents(cents).groupedText();
}

QString gridText(const QString& text)
{
    QString s = text.left(250);
    for (QChar& c : s)
        if (c.unicode() < 32)
            c = QLatin1Char(' ');
    return s;
}

int RiempiGriglia(GridModel& grid, const Snapshot& records, int limit, int offset,
                  double letterWidthTwips)
{
    const double m = letterWidthTwips * 1.2;
    QStringList headers{QString()};
    QVector<Qt::Alignment> alignments{Qt::AlignRight};
    QVector<double> widths{360};
    QVector<bool> amounts(records.fieldCount(), false);
    // The row version is the archive's bookkeeping, not the user's data.
    QVector<int> shown;
    for (int f = 1; f < records.fieldCount(); ++f)
        if (records.fieldName(f).compare(kRowVersionColumn, Qt::CaseInsensitive) != 0)
            shown << f;
    for (const int f : shown) {
        const FieldInfo& info = records.fieldInfo(f);
        headers << records.fieldName(f).toUpper();
        amounts[f] = holdsCents(info.type, info.size);
        switch (info.type) {
        case FieldType::Text:
            widths << m * (info.size > 0 && info.size < 16 ? info.size : 15);
            alignments << Qt::AlignLeft;
            break;
        case FieldType::Memo:
            widths << m * 15;
            alignments << Qt::AlignLeft;
            break;
        case FieldType::Date:
            widths << m * 8;
            alignments << Qt::AlignHCenter;
            break;
        case FieldType::Integer:
        case FieldType::Long:
            // An amount is wider than a count: as wide as the other numbers.
            widths << m * (amounts[f] ? 10 : 7);
            alignments << Qt::AlignRight;
            break;
        default:
            widths << m * 10;
            alignments << Qt::AlignRight;
            break;
        }
    }

    QVector<QStringList> rows;
    const auto& all = records.rows();
    const int count = std::min<int>(limit, int(all.size()));
    rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        QStringList row{QString::number(r + 1 + offset)};
        for (const int f : shown) {
            const QVariant& v = all[r].value(f);
            row << (amounts[f] && !v.isNull() ? gridAmount(v.toLongLong())
                                              : gridText(valueText(v)));
        }
        rows << row;
    }
    grid.setContents(headers, alignments, widths, rows);
    return count;
}

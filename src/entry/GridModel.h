#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

class Snapshot;

// The rows of a record grid as plain strings: column 0 is the fixed column of
// row numbers, the header holds the field names. Kept as a model so that
// large tables fill a view without one widget item per cell.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setContents(QStringList headers, QVector<Qt::Alignment> alignments,
                     QVector<double> widthsTwips, QVector<QStringList> rows);
    QString cell(int row, int column) const;
    double columnWidthTwips(int column) const { return m_widths.value(column); }
    Qt::Alignment columnAlignment(int column) const
    {
        return m_alignments.value(column, Qt::AlignLeft);
    }

private:
    QStringList m_headers;
    QVector<Qt::Alignment> m_alignments;
    QVector<double> m_widths;
    QVector<QStringList> m_rows;
};

// Fills a grid from a snapshot: one row per record up to `limit` rows, each
// numbered from offset + 1; amount columns (whole cents) show euros as fields
// do, right-aligned; `letterWidthTwips` is the width of "M" that the
// column widths are measured in. Returns the number of rows written.
int RiempiGriglia(GridModel& grid, const Snapshot& records, int limit, int offset,
                  double letterWidthTwips);

// An amount as a grid shows it: the euro display form, with 0.00 for zero.
QString gridAmount(qint64 cents);

// A memo as a grid shows it: control characters as spaces, at most the first
// 250 characters.
QString gridText(const QString& text);

#pragma once

#include "PeriodSelection.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>
#include <vector>

class Database;

// The width entries of columns 0 onwards, as numbers.
QVector<int> widthEntries(const ListGrid& grid);

// The resize rule: columns 1 to the last width entry share the grid's width
// less column 0, 400 twips and the columns past the last entry (which keep
// their width) in proportion to their entries. The widths of those columns
// in twips, column 1 first.
QVector<int> resizedWidths(const QVector<int>& entries, double gridWidthTwips,
                           double firstColumnTwips, double restTwips = 0);

// The narrowest grid, in twips, on which the resize rule gives each column i
// from 1 at least needed[i - 1] twips.
double gridWidthFor(const QVector<int>& entries, const QVector<double>& needed,
                    double firstColumnTwips, double restTwips = 0);

// The rows of a list window: one per selected document numbered from 1, a
// blank row and the totals row, "TOTALI" under the name. Amounts show in
// euro as fields show them ("1 118.80", 0 as an empty cell); the title row
// is the header. The documents are held as read and their cells written
// when shown, so a list of a hundred thousand fills at once.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListModel(PeriodReport report, QObject* parent = nullptr);

    // Reads the selection; returns the message that stopped the loading, in
    // which case the grid keeps its titles only.
    QString load(Database& db, const ParametriLista& selection);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString cell(int row, int column) const;
    // A text as wide as the widest the column shows, but for the name column
    // (empty): what the window sizes its columns for.
    QString widestText(int column) const;
    QString title(int column) const { return m_titles.value(column); }
    int documentCount() const { return int(m_lines.size()); }

private:
    PeriodReport m_report;
    QStringList m_titles;
    QVector<Qt::Alignment> m_alignments;
    QVector<Qt::Alignment> m_titleAlignments;
    std::vector<ReportLine> m_lines;
    QVector<Money> m_totals;
    QVector<Money> m_largest; // of each amount column, in absolute value
    bool m_negative = false;  // whether any amount is below 0
    qint64 m_largestNumber = 0;
    bool m_loaded = false;
};

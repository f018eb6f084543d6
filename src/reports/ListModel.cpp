#include "ListModel.h"

#include "ConsultaRules.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace {

QVector<Qt::Alignment> alignmentsOf(const char* digits)
{
    QVector<Qt::Alignment> alignments;
    for (const QChar c : QString::fromLatin1(digits))
        alignments << consulta::alignmentFromCode(c);
    return alignments;
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

constexpr int kNameColumn = 3;
constexpr int kFirstAmountColumn = 4;

} // namespace

QVector<int> widthEntries(const ListGrid& grid)
{
    const QString widths = QString::fromLatin1(grid.widths);
    QVector<int> entries;
    for (qsizetype i = 0; i + 1 < widths.size(); i += 2)
        entries << widths.mid(i, 2).trimmed().toInt();
    return entries;
}

namespace {

int entrySum(const QVector<int>& entries)
{
    int sum = 0;
    for (int i = 1; i < entries.size(); ++i)
        sum += entries.at(i);
    return sum;
}

} // namespace

double gridWidthFor(const QVector<int>& entries, const QVector<double>& needed,
                    double firstColumnTwips, double restTwips)
{
    const int sum = entrySum(entries);
    double available = 0;
    for (int i = 1; i < entries.size() && i <= needed.size(); ++i)
        if (entries.at(i) > 0)
            available = std::max(available, needed.at(i - 1) * sum / entries.at(i));
    return available + firstColumnTwips + 400 + restTwips;
}

QVector<int> resizedWidths(const QVector<int>& entries, double gridWidthTwips,
                           double firstColumnTwips, double restTwips)
{
    const int sum = entrySum(entries);
    const double available = gridWidthTwips - firstColumnTwips - 400 - restTwips;
    QVector<int> widths;
    for (int i = 1; i < entries.size(); ++i)
        widths << (sum > 0 ? int(std::lround(available * entries.at(i) / sum)) : 0);
    return widths;
}

ListModel::ListModel(PeriodReport report, QObject* parent)
    : QAbstractTableModel(parent), m_report(report)
{
    const ListGrid& grid = kindOf(report).listGrid;
    m_alignments = alignmentsOf(grid.alignments);
    m_titleAlignments = alignmentsOf(grid.titleAlignments);
    m_titles = QStringList{QString()} + QString::fromUtf8(grid.titles).split(QLatin1Char('|'));
    m_titles.resize(m_alignments.size());
}

QString ListModel::load(Database& db, const ParametriLista& selection)
{
    beginResetModel();
    m_lines.clear();
    m_totals = QVector<Money>(qsizetype(kindOf(m_report).amounts.size()));
    m_largest = m_totals;
    m_negative = false;
    m_largestNumber = 0;
    const QString message =
        selectLines(db, m_report, Reader::List, selection, [this](const ReportLine& line) {
            m_lines.push_back(line);
            m_largestNumber = std::max(m_largestNumber, qAbs(line.number));
            for (int i = 0; i < m_totals.size(); ++i) {
                const Money amount = line.amounts.at(i);
                m_totals[i] += amount;
                m_negative = m_negative || amount < Money();
                m_largest[i] = std::max(m_largest[i], amount < Money() ? -amount : amount);
            }
        });
    // A list whose reading stopped keeps its titles only: part of a list,
    // or totals of part of it, would pass for the whole.
    m_loaded = message.isEmpty();
    if (!m_loaded)
        m_lines.clear();
    endResetModel();
    if (m_loaded && m_lines.empty())
        return emptySelectionMessage();
    return message;
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_lines.size()) + (m_loaded ? 2 : 0);
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_alignments.size());
}

QString ListModel::cell(int row, int column) const
{
    const int lines = int(m_lines.size());
    const int amounts = int(m_totals.size());
    const bool amount = column >= kFirstAmountColumn && column < kFirstAmountColumn + amounts;
    if (row == lines + 1) {
        if (column == kNameColumn)
            return QStringLiteral("TOTALI");
        return amount ? m_totals.at(column - kFirstAmountColumn).fieldText() : QString();
    }
    if (row < 0 || row >= lines)
        return {};
    const ReportLine& line = m_lines[std::size_t(row)];
    if (amount)
        return line.amounts.at(column - kFirstAmountColumn).fieldText();
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return dateText(line.date);
    case 2:
        return QString::number(line.number);
    case kNameColumn:
        return line.name;
    default:
        return column == kFirstAmountColumn + amounts ? dateText(line.paymentDate) : QString();
    }
}

QString ListModel::widestText(int column) const
{
    const int amounts = int(m_totals.size());
    if (column >= kFirstAmountColumn && column < kFirstAmountColumn + amounts) {
        const int i = column - kFirstAmountColumn;
        const Money total = m_totals.at(i) < Money() ? -m_totals.at(i) : m_totals.at(i);
        return (m_negative ? QStringLiteral("-") : QString()) +
               std::max(total, m_largest.at(i)).fieldText();
    }
    switch (column) {
    case 0:
        return QString::number(m_lines.size());
    case 2:
        return QString::number(m_largestNumber);
    case kNameColumn:
        return {};
    default: // the dates
        return QStringLiteral("00/00/0000");
    }
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_alignments.value(index.column()) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The row numbers are a fixed column, like the titles.
        return index.column() == 0 ? QVariant(QGuiApplication::palette().button()) : QVariant();
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_titles.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_titleAlignments.value(section) | Qt::AlignVCenter);
    return {};
}

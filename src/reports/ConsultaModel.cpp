#include "ConsultaModel.h"

#include "ConsultaRules.h"

#include <QGuiApplication>
#include <QPalette>

ConsultaModel::ConsultaModel(QString sepMigliaia, QString sepDecimali, QObject* parent)
    : QAbstractTableModel(parent), m_sepMigliaia(std::move(sepMigliaia)),
      m_sepDecimali(std::move(sepDecimali)), m_headers(consulta::headers()),
      m_alignments(consulta::columnAlignments())
{
}

int ConsultaModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(1, int(m_records.size()));
}

int ConsultaModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : consulta::kColumnCount;
}

QString ConsultaModel::cell(int row, int column) const
{
    if (row < 0 || row >= m_records.size())
        return {};
    return consulta::cellText(m_records.at(row), row, column, m_sepMigliaia, m_sepDecimali);
}

QVariant ConsultaModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_alignments.value(index.column()) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The number column looks like a header; every second row is shaded
        // so a long row is easy to follow.
        if (index.column() == 0 || index.row() % 2 == 1)
            return QGuiApplication::palette().button();
        return {};
    default:
        return {};
    }
}

QVariant ConsultaModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_headers.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
    return {};
}

void ConsultaModel::setRecords(QVector<QVariantList> records)
{
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

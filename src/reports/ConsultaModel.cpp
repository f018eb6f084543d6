#include "ConsultaModel.h"

#include "ConsultaRules.h"
#include "Sendings.h"

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
    return parent.isValid() ? 0 : std::max(1, int(m_keys.size()));
}

int ConsultaModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : consulta::kColumnCount;
}

const ConsultaModel::Page& ConsultaModel::page(int row) const
{
    const int number = row / kPageRows;
    auto at = m_pages.constFind(number);
    if (at != m_pages.constEnd())
        return *at;
    if (m_pages.size() >= kCachedPages)
        m_pages.clear();
    // A failed read shows empty cells; the next refresh tries again.
    QString error;
    Page read;
    read.records = invoiceRecords(*m_db, m_table, m_keys.mid(number * kPageRows, kPageRows), &error)
                       .value_or(QVector<FeeDocument>());
    if (m_table == QLatin1String("Fatture")) {
        QVector<DocumentKey> keys;
        for (const FeeDocument& invoice : read.records)
            keys << invoice.key;
        const auto latest = Sendings(*m_db).latestOf(keys, &error);
        for (const Sending& s : latest.value_or(QHash<QString, Sending>()))
            read.states.insert(s.invoice.stored(), sendingStateCell(s));
    }
    return *m_pages.insert(number, read);
}

const FeeDocument& ConsultaModel::record(int row) const
{
    static const FeeDocument none;
    const Page& rows = page(row);
    const int offset = row % kPageRows;
    return offset < rows.records.size() ? rows.records.at(offset) : none;
}

QString ConsultaModel::cell(int row, int column) const
{
    if (row < 0 || row >= m_keys.size())
        return {};
    if (column == consulta::kStateColumn)
        return page(row).states.value(record(row).key.stored());
    return consulta::cellText(record(row), row, column, m_sepMigliaia, m_sepDecimali);
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

void ConsultaModel::setInvoices(Database* db, QString table, KeyList keys)
{
    beginResetModel();
    m_db = db;
    m_table = std::move(table);
    m_keys = std::move(keys);
    m_pages.clear();
    endResetModel();
}

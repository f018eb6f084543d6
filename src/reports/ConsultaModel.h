#pragma once

#include <QAbstractTableModel>
#include <QVariantList>
#include <QVector>

// The invoices of the consult grid. Cells are formatted when the view asks
// for them, so a large list fills at once whatever its length.
class ConsultaModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    ConsultaModel(QString sepMigliaia, QString sepDecimali, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // An empty list still shows one empty row.
    void setRecords(QVector<QVariantList> records);
    int recordCount() const { return int(m_records.size()); }
    QString cell(int row, int column) const;

private:
    QString m_sepMigliaia;
    QString m_sepDecimali;
    QStringList m_headers;
    QVector<Qt::Alignment> m_alignments;
    QVector<QVariantList> m_records;
};

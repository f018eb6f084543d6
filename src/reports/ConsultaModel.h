#pragma once

#include "FeeDocument.h"
#include "KeyList.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVariantList>
#include <QVector>

class Database;

// The invoices of the consult grid. Only their keys are held; the rows
// are read a page at a time and formatted when the view shows them, so a
// list of any length opens at once.
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
    void setInvoices(Database* db, QString table, KeyList keys);
    int recordCount() const { return int(m_keys.size()); }
    QString cell(int row, int column) const;

private:
    static constexpr int kPageRows = 128;
    static constexpr int kCachedPages = 64;
    // The rows of a page, and the state of each one's latest sending by
    // its key.
    struct Page
    {
        QVector<FeeDocument> records;
        QHash<QString, QString> states;
    };
    const Page& page(int row) const;
    const FeeDocument& record(int row) const;

    QString m_sepMigliaia;
    QString m_sepDecimali;
    QStringList m_headers;
    QVector<Qt::Alignment> m_alignments;
    Database* m_db = nullptr;
    QString m_table;
    KeyList m_keys;
    mutable QHash<int, Page> m_pages;
};

#pragma once

#include "DocumentKey.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

class Database;

// A supplier's invoice read into purchases (a row of FattureRicevute).
struct ReceivedInvoiceRecord
{
    qint64 id = 0;
    QString supplierCode;
    QString vatNumber;
    QString number;
    QDate date;
    QString documentType;
    QString fileName; // the kept file, relative to the data folder
    QString sha256;   // hex, of the file as received
    QString signature;
    QDateTime imported;
    QVector<DocumentKey> purchases;
};

// The suppliers' invoices imported so far. Failures of the database are
// told in `error`, which is left empty otherwise.
class ReceivedInvoices
{
public:
    explicit ReceivedInvoices(Database& db) : m_db(db) {}

    // The first invoice imported from a file with these contents.
    std::optional<ReceivedInvoiceRecord> byFile(const QString& sha256, QString* error) const;
    // The invoice of this number and date from the supplier of this VAT
    // number (or, when it has none, of this code), already imported.
    std::optional<ReceivedInvoiceRecord> bySupplierInvoice(const QString& vatNumber,
                                                           const QString& supplierCode,
                                                           const QString& number, const QDate& date,
                                                           QString* error) const;
    // Records an imported invoice.
    bool add(const ReceivedInvoiceRecord& record, QString* error) const;

private:
    std::optional<ReceivedInvoiceRecord> first(const QString& where, const QVariantList& values,
                                               QString* error) const;

    Database& m_db;
};

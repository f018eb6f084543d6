#include "ReceivedInvoices.h"

#include "Database.h"
#include "FeeDocument.h"
#include "Schema.h"
#include "Snapshot.h"

namespace {

QString column(const Database& db, ReceivedInvoiceColumn c)
{
    return db.quoted(receivedInvoicesTableDef().columns.at(std::size_t(c)).name);
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

ReceivedInvoiceRecord fromRow(const QVariantList& row)
{
    auto at = [&row](ReceivedInvoiceColumn c) { return row.value(int(c)); };
    ReceivedInvoiceRecord r;
    r.id = at(ReceivedInvoiceColumn::Key).toLongLong();
    r.supplierCode = at(ReceivedInvoiceColumn::Supplier).toString();
    r.vatNumber = at(ReceivedInvoiceColumn::VatNumber).toString();
    r.number = at(ReceivedInvoiceColumn::Number).toString();
    r.date = at(ReceivedInvoiceColumn::Date).toDate();
    r.documentType = at(ReceivedInvoiceColumn::DocumentType).toString();
    r.fileName = at(ReceivedInvoiceColumn::FileName).toString();
    r.sha256 = at(ReceivedInvoiceColumn::Sha256).toString();
    r.signature = at(ReceivedInvoiceColumn::Signature).toString();
    r.imported = dateTimeFromStored(at(ReceivedInvoiceColumn::Imported));
    for (const QString& key : at(ReceivedInvoiceColumn::Purchases)
                                  .toString()
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (const auto k = DocumentKey::fromStored(key))
            r.purchases << *k;
    return r;
}

} // namespace

std::optional<ReceivedInvoiceRecord>
ReceivedInvoices::first(const QString& where, const QVariantList& values, QString* error) const
{
    error->clear();
    const auto found = Snapshot::Open(m_db,
                                      QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3")
                                          .arg(m_db.quoted(receivedInvoicesTableDef().name), where,
                                               column(m_db, ReceivedInvoiceColumn::Key)),
                                      values, error);
    if (!found || found->RecordCount() == 0)
        return std::nullopt;
    return fromRow(found->rows().constFirst());
}

std::optional<ReceivedInvoiceRecord> ReceivedInvoices::byFile(const QString& sha256,
                                                              QString* error) const
{
    return first(column(m_db, ReceivedInvoiceColumn::Sha256) + QStringLiteral(" = ?"),
                 {sha256.toLower()}, error);
}

std::optional<ReceivedInvoiceRecord>
ReceivedInvoices::bySupplierInvoice(const QString& vatNumber, const QString& supplierCode,
                                    const QString& number, const QDate& date, QString* error) const
{
    // Numbers are compared as the supplier wrote them, but without regard
    // to case or blanks around them.
    const QString same = QStringLiteral("UPPER(TRIM(%1)) = ? AND %2 = ? AND ")
                             .arg(column(m_db, ReceivedInvoiceColumn::Number),
                                  column(m_db, ReceivedInvoiceColumn::Date));
    const QVariantList values{number.trimmed().toUpper(), date.toString(Qt::ISODate)};
    if (!vatNumber.isEmpty())
        return first(same + column(m_db, ReceivedInvoiceColumn::VatNumber) + QStringLiteral(" = ?"),
                     values + QVariantList{vatNumber.toUpper()}, error);
    return first(
        same + QStringLiteral("UPPER(%1) = ?").arg(column(m_db, ReceivedInvoiceColumn::Supplier)),
        values + QVariantList{supplierCode.trimmed().toUpper()}, error);
}

bool ReceivedInvoices::add(const ReceivedInvoiceRecord& r, QString* error) const
{
    const std::vector<ColumnDef>& columns = receivedInvoicesTableDef().columns;
    QStringList names;
    // The row version after them takes its default.
    for (std::size_t i = 1; i <= std::size_t(ReceivedInvoiceColumn::Purchases); ++i)
        names << m_db.quoted(columns[i].name);
    QStringList purchases;
    for (const DocumentKey& k : r.purchases)
        purchases << k.stored();
    return m_db.execute(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (?%3)")
            .arg(m_db.quoted(receivedInvoicesTableDef().name), names.join(QStringLiteral(", ")),
                 QStringLiteral(", ?").repeated(int(names.size()) - 1)),
        {r.supplierCode, textOrNull(r.vatNumber), r.number, r.date.toString(Qt::ISODate),
         textOrNull(r.documentType), r.fileName, r.sha256.toLower(), textOrNull(r.signature),
         r.imported.isValid() ? QVariant(storedDateTime(r.imported)) : QVariant(),
         purchases.join(QLatin1Char('\n'))},
        error);
}

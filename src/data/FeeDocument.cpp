#include "FeeDocument.h"

#include "Database.h"
#include "Recordset.h"
#include "Snapshot.h"

namespace {

QVariant at(const QVariantList& columns, FeeColumn column)
{
    return columns.value(int(column));
}

std::optional<Money> amount(const QVariantList& columns, FeeColumn column)
{
    const QVariant v = at(columns, column);
    return v.isNull() ? std::nullopt : std::optional<Money>(Money::fromCents(v.toLongLong()));
}

std::optional<int> rate(const QVariantList& columns, FeeColumn column)
{
    const QVariant v = at(columns, column);
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt());
}

QVariantList currentRow(const Recordset& table)
{
    QVariantList row;
    for (int i = 0; i < table.fieldCount(); ++i)
        row << table.value(i);
    return row;
}

const QString kStoredDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

} // namespace

QString storedDateTime(const QDateTime& when)
{
    return when.toString(kStoredDateTime);
}

QDateTime dateTimeFromStored(const QVariant& stored)
{
    return stored.isNull() ? QDateTime()
                           : QDateTime::fromString(stored.toString(), kStoredDateTime);
}

FeeDocument FeeDocument::fromColumns(const QVariantList& columns)
{
    FeeDocument d;
    d.key = DocumentKey::fromStored(at(columns, FeeColumn::Key).toString()).value_or(DocumentKey());
    d.date = at(columns, FeeColumn::Date).toDate();
    d.clientCode = at(columns, FeeColumn::Client).toString();
    d.subject = at(columns, FeeColumn::Subject).toString();
    d.description = at(columns, FeeColumn::Description).toString();
    d.fee = amount(columns, FeeColumn::Fee);
    d.vatRate = rate(columns, FeeColumn::VatRate);
    d.contributionRate = rate(columns, FeeColumn::ContributionRate);
    d.withholdingRate = rate(columns, FeeColumn::WithholdingRate);
    d.paymentDate = at(columns, FeeColumn::PaymentDate).toDate();
    d.notes = at(columns, FeeColumn::Notes).toString();
    d.vat = amount(columns, FeeColumn::Vat);
    d.contribution = amount(columns, FeeColumn::Contribution);
    d.withholding = amount(columns, FeeColumn::Withholding);
    d.expenses = amount(columns, FeeColumn::Expenses);
    d.stamp = amount(columns, FeeColumn::Stamp);
    d.xmlWritten = dateTimeFromStored(at(columns, FeeColumn::XmlWritten));
    return d;
}

FeeDocuments::FeeDocuments(Database& db, FeeDocumentKind kind) : m_db(db), m_kind(kind) {}

std::optional<FeeDocument> FeeDocuments::find(const DocumentKey& key, QString* error) const
{
    error->clear();
    const auto table = Recordset::OpenTable(m_db, nameOf(feeDocumentTable(m_kind)), error);
    if (!table || !key.isValid())
        return std::nullopt;
    if (!table->Seek(QStringLiteral("="), key.stored())) {
        *error = table->lastError();
        return std::nullopt;
    }
    if (table->NoMatch())
        return std::nullopt;
    return FeeDocument::fromColumns(currentRow(*table));
}

std::optional<FeeDocument> FeeDocuments::last(QString* error) const
{
    error->clear();
    const auto table = Recordset::OpenTable(m_db, nameOf(feeDocumentTable(m_kind)), error);
    if (!table)
        return std::nullopt;
    if (!table->MoveLast()) {
        *error = table->lastError();
        return std::nullopt;
    }
    if (table->Eof())
        return std::nullopt;
    return FeeDocument::fromColumns(currentRow(*table));
}

std::optional<int> FeeDocuments::count(QString* error) const
{
    error->clear();
    const auto table = Recordset::OpenTable(m_db, nameOf(feeDocumentTable(m_kind)), error);
    if (!table)
        return std::nullopt;
    const int n = table->RecordCount();
    if (!table->lastError().isEmpty()) {
        *error = table->lastError();
        return std::nullopt;
    }
    return n;
}

bool FeeDocuments::setXmlWritten(const DocumentKey& key, const QDateTime& when,
                                 QString* error) const
{
    const TableDef& def = tableDef(Table::Fatture);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                            .arg(m_db.quoted(def.name),
                                 m_db.quoted(def.columns.at(int(FeeColumn::XmlWritten)).name),
                                 m_db.quoted(def.columns.front().name));
    int changed = 0;
    if (!m_db.execute(sql, {storedDateTime(when), key.stored()}, error, &changed))
        return false;
    if (changed == 1)
        return true;
    *error = QStringLiteral("Fattura non trovata");
    return false;
}

std::optional<QVector<FeeDocument>> FeeDocuments::withoutXml(const QDate& first, const QDate& last,
                                                             QString* error) const
{
    const TableDef& def = tableDef(Table::Fatture);
    auto column = [this, &def](FeeColumn c) { return m_db.quoted(def.columns.at(int(c)).name); };
    const auto found = Snapshot::Open(
        m_db,
        QStringLiteral("SELECT * FROM %1 WHERE %2 IS NULL AND %3 >= ? AND %3 <= ? ORDER BY %4")
            .arg(m_db.quoted(def.name), column(FeeColumn::XmlWritten), column(FeeColumn::Date),
                 column(FeeColumn::Key)),
        {first.toString(Qt::ISODate), last.toString(Qt::ISODate)}, error);
    if (!found)
        return std::nullopt;
    QVector<FeeDocument> invoices;
    for (const QVariantList& row : found->rows())
        invoices << FeeDocument::fromColumns(row);
    return invoices;
}

#include "FeeDocument.h"

#include "Recordset.h"

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

} // namespace

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

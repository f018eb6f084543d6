#include "FeeDocument.h"

#include "CreditNotes.h"
#include "Database.h"
#include "KeyText.h"
#include "Recordset.h"
#include "Sendings.h"
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

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant dateOrNull(const QDate& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant rateOrNull(const std::optional<int>& rate)
{
    return rate ? QVariant(*rate) : QVariant();
}

} // namespace

RecordName feeDocumentName(FeeDocumentKind kind, const DocumentKey& key)
{
    return {(kind == FeeDocumentKind::Invoice ? QStringLiteral("La fattura %1/%2")
                                              : QStringLiteral("La parcella %1/%2"))
                .arg(key.number())
                .arg(key.year()),
            true};
}

QString storedDocumentType(DocumentType type)
{
    return type == DocumentType::CreditNote ? QStringLiteral("TD04") : QStringLiteral("TD01");
}

DocumentType documentTypeFromStored(const QVariant& stored)
{
    return stored.toString().trimmed() == QLatin1String("TD04") ? DocumentType::CreditNote
                                                                : DocumentType::Invoice;
}

DocumentType documentTypeFromStored(QByteArrayView stored)
{
    return stored.trimmed() == QByteArrayView("TD04") ? DocumentType::CreditNote
                                                      : DocumentType::Invoice;
}

QString storedDateTime(const QDateTime& when)
{
    return when.toString(kStoredDateTime);
}

QDateTime dateTimeFromStored(const QVariant& stored)
{
    return stored.isNull() ? QDateTime()
                           : QDateTime::fromString(stored.toString(), kStoredDateTime);
}

FeeDocument FeeDocument::fromColumns(const QVariantList& row)
{
    // A pro-forma's row ends where an invoice's stamp duty begins: its row
    // version stands there.
    static const TableDef& proFormas = tableDef(Table::Parcelle);
    const bool proForma = row.size() == qsizetype(proFormas.columns.size());
    const int versionAt = rowVersionColumn(proForma ? proFormas : tableDef(Table::Fatture));
    QVariantList columns = row;
    if (proForma)
        columns = row.mid(0, versionAt);
    FeeDocument d;
    d.version = row.value(versionAt).toLongLong();
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
    d.type = documentTypeFromStored(at(columns, FeeColumn::DocumentType));
    if (d.isCreditNote()) {
        d.linkedInvoice = DocumentKey::fromStored(at(columns, FeeColumn::LinkedInvoice).toString())
                              .value_or(DocumentKey());
        d.linkedInvoiceDate = at(columns, FeeColumn::LinkedInvoiceDate).toDate();
    }
    d.regimeFiscale = at(columns, FeeColumn::RegimeFiscale).toString().trimmed();
    const QString profile = at(columns, FeeColumn::Profile).toString().trimmed();
    if (!profile.isEmpty())
        d.profile = feeProfileNamed(profile);
    d.tipoCassa = at(columns, FeeColumn::TipoCassa).toString().trimmed();
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

SaveResult FeeDocuments::save(const FeeDocument& d, SaveMode mode, QString* why,
                              qint64* version) const
{
    if (!d.key.isValid() || d.date.year() != d.key.year()) {
        *why = QStringLiteral("La data non è dell'anno della chiave");
        return SaveResult::Refused;
    }
    const TableDef& def = tableDef(feeDocumentTable(m_kind));
    // Every column but the electronic invoice's time.
    QVariantList values(int(def.columns.size()));
    auto set = [&values](FeeColumn column, const QVariant& value) {
        if (int(column) < values.size())
            values[int(column)] = value;
    };
    set(FeeColumn::Key, d.key.stored());
    set(FeeColumn::Date, dateOrNull(d.date));
    set(FeeColumn::Number, d.key.number());
    set(FeeColumn::Client, textOrNull(keyUpper(d.clientCode)));
    set(FeeColumn::Subject, textOrNull(d.subject));
    set(FeeColumn::Description, textOrNull(d.description));
    set(FeeColumn::VatRate, rateOrNull(d.vatRate));
    set(FeeColumn::ContributionRate, rateOrNull(d.contributionRate));
    set(FeeColumn::WithholdingRate, rateOrNull(d.withholdingRate));
    set(FeeColumn::PaymentDate, dateOrNull(d.paymentDate));
    set(FeeColumn::Notes, textOrNull(d.notes));
    set(FeeColumn::DocumentType, storedDocumentType(d.type));
    if (d.isCreditNote()) {
        set(FeeColumn::LinkedInvoice, d.linkedInvoice.stored());
        set(FeeColumn::LinkedInvoiceDate, dateOrNull(d.linkedInvoiceDate));
    }
    set(FeeColumn::RegimeFiscale, textOrNull(d.regimeFiscale));
    set(FeeColumn::Profile, d.profile ? QVariant(feeProfileName(*d.profile)) : QVariant());
    set(FeeColumn::TipoCassa, textOrNull(d.tipoCassa));
    const std::pair<FeeColumn, std::optional<Money>> amounts[] = {
        {FeeColumn::Fee, d.fee},
        {FeeColumn::Vat, d.vat},
        {FeeColumn::Contribution, d.contribution},
        {FeeColumn::Withholding, d.withholding},
        {FeeColumn::Expenses, d.expenses},
        {FeeColumn::Stamp, d.stamp}};
    for (const auto& [column, amount] : amounts) {
        const auto cents = amount ? amount->cents() : std::nullopt;
        if (amount && !cents) {
            *why = QStringLiteral("Campo %1: numero fuori dai limiti")
                       .arg(def.columns.at(std::size_t(column)).name);
            return SaveResult::Refused;
        }
        set(column, cents ? QVariant(*cents) : QVariant());
    }
    QList<int> kept = {int(FeeColumn::XmlWritten)};
    if (m_kind == FeeDocumentKind::Invoice && mode == SaveMode::AddOrReplace) {
        // What a live sending carried stays as it was sent.
        const auto live = Sendings(m_db).live(d.key, why);
        if (!live && !why->isEmpty())
            return SaveResult::Refused;
        const auto stored = find(d.key, why);
        if (!why->isEmpty())
            return SaveResult::Refused;
        if (live && stored && changesWhatXmlCarries(*stored, d)) {
            *why = lockedInvoiceMessage();
            return SaveResult::Refused;
        }
        if (stored && !stored->regimeFiscale.isEmpty())
            kept << int(FeeColumn::RegimeFiscale) << int(FeeColumn::Profile)
                 << int(FeeColumn::TipoCassa);
    }
    if (m_kind == FeeDocumentKind::Invoice && !checkCredits(d, why))
        return SaveResult::Refused;
    qint64 stored = version ? *version : 0;
    const SaveResult result = writeRecord(m_db, feeDocumentTable(m_kind), values, mode,
                                          feeDocumentName(m_kind, d.key), why, kept, &stored);
    if (version)
        *version = stored;
    return result;
}

bool FeeDocuments::checkCredits(const FeeDocument& d, QString* why) const
{
    if (d.isCreditNote()) {
        const auto invoice = find(d.linkedInvoice, why);
        if (!invoice) {
            if (why->isEmpty())
                *why = QStringLiteral("La fattura %1/%2 stornata dalla nota di credito non è in "
                                      "archivio")
                           .arg(d.linkedInvoice.number())
                           .arg(d.linkedInvoice.year());
            return false;
        }
        const auto left = creditableRemainder(m_db, *invoice, d.key, why);
        if (!left)
            return false;
        *why = creditNoteProblem(d, *invoice, *left);
        return why->isEmpty();
    }
    // An invoice never falls below what its credit notes already reversed.
    const auto left = creditableRemainder(m_db, d, d.key, why);
    if (!left)
        return false;
    const FeeAmounts& l = *left;
    for (const Money& amount : {l.fee, l.contribution, l.vat, l.withholding, l.expenses, l.stamp})
        if (amount < Money()) {
            *why = QStringLiteral("Le note di credito della fattura %1/%2 stornano più di quanto "
                                  "ora riporta")
                       .arg(d.key.number())
                       .arg(d.key.year());
            return false;
        }
    return true;
}

DeleteResult FeeDocuments::remove(const DocumentKey& key, QString* why, qint64 version) const
{
    if (!key.isValid())
        return DeleteResult::NotFound;
    if (m_kind == FeeDocumentKind::Invoice) {
        const auto live = Sendings(m_db).live(key, why);
        if (live)
            *why = lockedInvoiceMessage();
        if (live || !why->isEmpty())
            return DeleteResult::Refused;
        const auto notes = creditNotesOf(m_db, key, why);
        if (notes && !notes->isEmpty())
            *why = creditedInvoiceMessage(key, notes->constFirst().key);
        if (!notes || !notes->isEmpty())
            return DeleteResult::Refused;
    }
    return deleteRecord(m_db, feeDocumentTable(m_kind), key.stored(), why,
                        feeDocumentName(m_kind, key), version);
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

namespace {

// The invoices dated from the first to the last day bound to it, with no
// sending other than rejected or withdrawn ones; `more` adds to the
// condition.
QString withoutLiveSendingWhere(const Database& db, const QString& more)
{
    const TableDef& def = tableDef(Table::Fatture);
    auto column = [&db, &def](FeeColumn c) { return db.quoted(def.columns.at(int(c)).name); };
    const TableDef& sendings = sendingsTableDef();
    auto sendingColumn = [&db, &sendings](SendingColumn c) {
        return db.quoted(sendings.columns.at(int(c)).name);
    };
    return QStringLiteral("FROM %1 WHERE %2 >= ? AND %2 <= ?%7 AND NOT EXISTS (SELECT 1 FROM %3 "
                          "WHERE %4 = %1.%5 AND %6 NOT IN (?, ?)) ORDER BY %5")
        .arg(db.quoted(def.name), column(FeeColumn::Date), db.quoted(sendings.name),
             sendingColumn(SendingColumn::Invoice), column(FeeColumn::Key),
             sendingColumn(SendingColumn::State), more);
}

QVariantList withoutLiveSendingValues(const QDate& first, const QDate& last)
{
    return {first.toString(Qt::ISODate), last.toString(Qt::ISODate),
            storedState(SendingState::Rejected), storedState(SendingState::Withdrawn)};
}

} // namespace

std::optional<QVector<FeeDocument>>
FeeDocuments::withoutLiveSending(const QDate& first, const QDate& last, QString* error) const
{
    const auto found =
        Snapshot::Open(m_db, QStringLiteral("SELECT * ") + withoutLiveSendingWhere(m_db, QString()),
                       withoutLiveSendingValues(first, last), error);
    if (!found)
        return std::nullopt;
    QVector<FeeDocument> invoices;
    for (const QVariantList& row : found->rows())
        invoices << FeeDocument::fromColumns(row);
    return invoices;
}

std::optional<QStringList> FeeDocuments::withoutLiveSendingAfter(const QDate& first,
                                                                 const QDate& last,
                                                                 const QString& after, int limit,
                                                                 QString* error) const
{
    const TableDef& def = tableDef(Table::Fatture);
    const QString key = m_db.quoted(def.name) + QLatin1Char('.') +
                        m_db.quoted(def.columns.at(int(FeeColumn::Key)).name);
    QVariantList values = withoutLiveSendingValues(first, last);
    // The key's place among the values follows the order of the statement;
    // no key yet is bound as Null, which no key follows: hence COALESCE.
    values.insert(2, after);
    // The limit is the caller's own whole number, not a value from outside.
    const auto found = Snapshot::Open(
        m_db,
        QStringLiteral("SELECT %1 ").arg(key) +
            withoutLiveSendingWhere(m_db, QStringLiteral(" AND %1 > COALESCE(?, '')").arg(key)) +
            QStringLiteral(" LIMIT %1").arg(std::max(limit, 1)),
        values, error);
    if (!found)
        return std::nullopt;
    QStringList keys;
    keys.reserve(found->RecordCount());
    for (const QVariantList& row : found->rows())
        keys << row.value(0).toString();
    return keys;
}

#include "ContactImport.h"

#include "Database.h"
#include "FaultPoint.h"
#include "KeyText.h"
#include "MasterDataFields.h"
#include "PlainFields.h"
#include "ProposedCode.h"
#include "Schema.h"
#include "Supplier.h"
#include "TableWalk.h"
#include "TaxCodes.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// The window field each column of the file fills.
int fieldOf(ContactField field)
{
    switch (field) {
    case ContactField::Code:
        return ClientField::Code;
    case ContactField::Name:
        return ClientField::Name;
    case ContactField::Address:
        return ClientField::Address;
    case ContactField::Postcode:
        return ClientField::Postcode;
    case ContactField::Town:
    case ContactField::Province: // a supplier's goes after the town
        return ClientField::Town;
    case ContactField::Country:
        return ClientField::Nazione;
    case ContactField::TaxCode:
        return ClientField::TaxCode;
    case ContactField::VatNumber:
        return ClientField::VatNumber;
    case ContactField::RecipientCode:
        return ClientField::CodiceDestinatario;
    case ContactField::Pec:
        return ClientField::PEC;
    }
    return -1;
}

bool suppliersKeep(ContactField field)
{
    return field != ContactField::RecipientCode && field != ContactField::Pec;
}

// A row's fields, with the country its tax codes are checked for.
class RowFields : public PlainFields
{
public:
    RowFields(Table table, QString country)
        : PlainFields(table == Table::Clienti ? clientFields() : supplierFields()),
          m_country(std::move(country))
    {
    }
    QString taxCountry() const override { return m_country; }

private:
    QString m_country;
};

QString country(const QString& text)
{
    const QString upper = text.trimmed().toUpper();
    if (upper.isEmpty() || upper == QLatin1String("ITALIA") || upper == QLatin1String("ITALY"))
        return QStringLiteral("IT");
    return upper;
}

Client storedContact(Table table, const QVariantList& row)
{
    auto text = [&row](AddressColumn c) { return row.value(int(c)).toString().trimmed(); };
    Client c;
    c.code = text(AddressColumn::Code);
    c.name = text(AddressColumn::Name);
    c.address = text(AddressColumn::Address);
    c.town = text(AddressColumn::Town);
    c.postcode = text(AddressColumn::Postcode);
    c.vatNumber = taxCodeForm(text(AddressColumn::VatNumber));
    c.taxCode = taxCodeForm(text(AddressColumn::TaxCode));
    if (table == Table::Clienti) {
        c.codiceDestinatario = text(AddressColumn::CodiceDestinatario);
        c.pec = text(AddressColumn::PEC);
        c.nazione = country(text(AddressColumn::Nazione));
        c.provincia = text(AddressColumn::Provincia).toUpper();
    }
    return c;
}

QString fieldText(const Client& c, int field)
{
    switch (field) {
    case ClientField::Code:
        return c.code;
    case ClientField::Name:
        return c.name;
    case ClientField::Address:
        return c.address;
    case ClientField::Town:
        return c.town;
    case ClientField::Postcode:
        return c.postcode;
    case ClientField::VatNumber:
        return c.vatNumber;
    case ClientField::TaxCode:
        return c.taxCode;
    case ClientField::CodiceDestinatario:
        return c.codiceDestinatario;
    case ClientField::PEC:
        return c.pec;
    case ClientField::Nazione:
        return c.nazione;
    case ClientField::Provincia:
        return c.provincia;
    }
    return {};
}

Supplier supplierOf(const Client& c)
{
    Supplier s;
    s.code = c.code;
    s.name = c.name;
    s.address = c.address;
    s.town = c.town;
    s.postcode = c.postcode;
    s.vatNumber = c.vatNumber;
    s.taxCode = c.taxCode;
    return s;
}

// Builds the plan one row after the other: what is stored, and what the
// rows before have claimed.
class Planner
{
public:
    Planner(Table table, const CsvTable& csv, QHash<ContactField, int> columns)
        : m_table(table), m_csv(csv), m_columns(std::move(columns)),
          m_specs(table == Table::Clienti ? clientFields() : supplierFields()),
          m_noun(table == Table::Clienti ? QStringLiteral("del cliente")
                                         : QStringLiteral("del fornitore"))
    {
    }

    bool readStored(Database& db, QString* error)
    {
        return walkTable(
            db, m_table, QString(),
            [this](const QVariantList& row) {
                m_stored << storedContact(m_table, row);
                const Client& c = m_stored.last();
                m_storedByCode.insert(keyUpper(c.code), int(m_stored.size()) - 1);
                if (!c.vatNumber.isEmpty())
                    m_storedByVat.insert(c.vatNumber, int(m_stored.size()) - 1);
                return true;
            },
            error);
    }

    ImportRow planRow(int index);

    void reserveFileCodes()
    {
        if (const int col = m_columns.value(ContactField::Code, -1); col >= 0)
            for (const QStringList& row : m_csv.rows)
                if (const QString code = keyUpper(row.value(col).trimmed()); !code.isEmpty())
                    m_fileCodes.insert(code);
    }

private:
    QString value(const QStringList& row, ContactField field) const
    {
        const int col = m_columns.value(field, -1);
        return col < 0 ? QString() : row.value(col).trimmed();
    }
    const FieldSpec& fieldSpec(int field) const { return m_specs.at(std::size_t(field)); }
    QString refusal(int field, const QString& why) const
    {
        return refusalMessage(fieldSpec(field), why);
    }
    Client contactOf(const QStringList& row) const;
    QString fieldProblem(Client* c) const;
    // The captions of the fields the file gives whose text differs.
    QStringList differences(const Client& row, const Client& stored) const;
    QString proposeCode(const QString& name);

    Table m_table;
    const CsvTable& m_csv;
    QHash<ContactField, int> m_columns;
    const FieldTable& m_specs;
    QString m_noun;
    QVector<Client> m_stored;
    QHash<QString, int> m_storedByCode;
    QHash<QString, int> m_storedByVat;
    QSet<QString> m_fileCodes;       // every code the file gives
    QHash<QString, int> m_codeLines; // codes of rows planned, to the line
    QHash<QString, int> m_vatLines;  // VAT numbers of rows planned
    QSet<QString> m_proposed;        // codes proposed to earlier rows
};

Client Planner::contactOf(const QStringList& row) const
{
    Client c;
    c.code = keyUpper(value(row, ContactField::Code));
    c.name = value(row, ContactField::Name);
    c.address = value(row, ContactField::Address);
    c.town = value(row, ContactField::Town);
    c.postcode = value(row, ContactField::Postcode);
    c.vatNumber = value(row, ContactField::VatNumber);
    c.taxCode = value(row, ContactField::TaxCode);
    c.nazione = country(value(row, ContactField::Country));
    c.provincia = value(row, ContactField::Province).toUpper();
    if (m_table == Table::Clienti) {
        c.codiceDestinatario = value(row, ContactField::RecipientCode).toUpper();
        c.pec = value(row, ContactField::Pec);
    }
    return c;
}

QString Planner::fieldProblem(Client* c) const
{
    if (c->name.isEmpty())
        return refusal(ClientField::Name, QStringLiteral("manca"));
    if (const QString why = countryAndProvinceProblem(*c); !why.isEmpty())
        return why;
    // Suppliers keep the province after the town, as earlier versions did.
    if (m_table == Table::Fornitori) {
        c->town = townWithProvince(c->town, c->provincia);
        c->provincia.clear();
    }
    RowFields fields(m_table, c->nazione);
    for (int i = 0; i < fields.fieldCount(); ++i) {
        const QString text = fieldText(*c, i);
        const int limit = fieldSpec(i).maxLength;
        if (limit > 0 && text.size() > limit)
            return refusal(i, QStringLiteral("il testo è lungo %1 caratteri, al massimo %2")
                                  .arg(text.size())
                                  .arg(limit));
        fields.setText(i, text);
    }
    // The tax codes come back in the form they are stored in.
    if (const auto refused = checkFields(fields, {}))
        return refused->message;
    c->vatNumber = fields.text(ClientField::VatNumber);
    c->taxCode = fields.text(ClientField::TaxCode);
    return {};
}

QStringList Planner::differences(const Client& row, const Client& stored) const
{
    QStringList captions;
    QSet<int> compared;
    for (auto it = m_columns.cbegin(); it != m_columns.cend(); ++it) {
        if (m_table == Table::Fornitori && !suppliersKeep(it.key()))
            continue;
        if (m_table == Table::Fornitori && it.key() == ContactField::Country)
            continue;
        const int field = it.key() == ContactField::Province && m_table == Table::Clienti
                              ? int(ClientField::Provincia)
                              : fieldOf(it.key());
        if (field == ClientField::Code || compared.contains(field))
            continue;
        compared.insert(field);
        if (fieldText(row, field) != fieldText(stored, field))
            captions << fieldSpec(field).caption;
    }
    std::sort(captions.begin(), captions.end(), [this](const QString& a, const QString& b) {
        auto tab = [this](const QString& caption) {
            for (const FieldSpec& s : m_specs)
                if (s.caption == caption)
                    return s.tabIndex;
            return 0;
        };
        return tab(a) < tab(b);
    });
    return captions;
}

QString Planner::proposeCode(const QString& name)
{
    const int width = tableDef(m_table).columns.at(std::size_t(AddressColumn::Code)).size;
    const QString fallback =
        m_table == Table::Clienti ? QStringLiteral("CLIENTE") : QStringLiteral("FORNITORE");
    const QString code =
        proposedCode(name, width, fallback, [this](const QString& code) -> std::optional<bool> {
            return m_storedByCode.contains(code) || m_fileCodes.contains(code) ||
                   m_proposed.contains(code);
        }).value_or(QString());
    m_proposed.insert(code);
    return code;
}

ImportRow Planner::planRow(int index)
{
    ImportRow r;
    r.line = m_csv.lines.value(index);
    Client c = contactOf(m_csv.rows.at(index));
    auto refuse = [&r, &c](const QString& why) {
        r.contact = c;
        r.reason = why;
        return r;
    };
    const QString problem = fieldProblem(&c);
    // What the row claims is claimed whatever becomes of it: a later row of
    // the same code or VAT number is refused too, and both are mended.
    const int earlierCode = c.code.isEmpty() ? 0 : m_codeLines.value(c.code);
    const int earlierVat = c.vatNumber.isEmpty() ? 0 : m_vatLines.value(c.vatNumber);
    if (!c.code.isEmpty() && !earlierCode)
        m_codeLines.insert(c.code, r.line);
    if (!c.vatNumber.isEmpty() && !earlierVat)
        m_vatLines.insert(c.vatNumber, r.line);
    if (!problem.isEmpty())
        return refuse(problem);
    if (earlierCode)
        return refuse(
            refusal(ClientField::Code,
                    QStringLiteral("%1 è già alla riga %2").arg(c.code).arg(earlierCode)));

    // The stored record the row stands for: by its code, or, without one,
    // by its VAT number or else its name.
    int stored = c.code.isEmpty() ? -1 : m_storedByCode.value(c.code, -1);
    if (c.code.isEmpty()) {
        if (!c.vatNumber.isEmpty())
            stored = m_storedByVat.value(c.vatNumber, -1);
        for (int i = 0; stored < 0 && c.vatNumber.isEmpty() && i < m_stored.size(); ++i)
            if (m_stored[i].name.compare(c.name, Qt::CaseInsensitive) == 0 &&
                differences(c, m_stored[i]).isEmpty())
                stored = i;
    }
    if (stored >= 0) {
        const Client& s = m_stored.at(stored);
        const QStringList changed = differences(c, s);
        if (!changed.isEmpty() && !c.code.isEmpty())
            return refuse(refusal(ClientField::Code,
                                  QStringLiteral("%1 è già in archivio con altri dati (%2): non "
                                                 "viene sovrascritto")
                                      .arg(c.code, changed.join(QStringLiteral(", ")))));
        if (!changed.isEmpty())
            return refuse(
                refusal(ClientField::VatNumber,
                        QStringLiteral("%1 è già %2 %3 con altri dati (%4): non viene "
                                       "sovrascritto")
                            .arg(c.vatNumber, m_noun, s.code, changed.join(QStringLiteral(", ")))));
        c.code = s.code;
        r.contact = c;
        r.outcome = ImportOutcome::Unchanged;
        return r;
    }
    if (const int owner = c.vatNumber.isEmpty() ? -1 : m_storedByVat.value(c.vatNumber, -1);
        owner >= 0)
        return refuse(refusal(
            ClientField::VatNumber,
            QStringLiteral("%1 è già %2 %3").arg(c.vatNumber, m_noun, m_stored.at(owner).code)));
    if (earlierVat)
        return refuse(
            refusal(ClientField::VatNumber,
                    QStringLiteral("%1 è già alla riga %2").arg(c.vatNumber).arg(earlierVat)));
    if (c.code.isEmpty())
        c.code = proposeCode(c.name);
    r.contact = c;
    r.outcome = ImportOutcome::Created;
    return r;
}

// Takes back whatever the import wrote, however it ends, until the commit.
class WriteGuard
{
public:
    explicit WriteGuard(Database& db) : m_db(db) {}
    ~WriteGuard()
    {
        if (m_open)
            m_db.rollback();
    }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;
    bool commit(QString* error)
    {
        m_open = false;
        return m_db.commit(error);
    }

private:
    Database& m_db;
    bool m_open = true;
};

} // namespace

int ImportPlan::count(ImportOutcome outcome) const
{
    return int(std::count_if(rows.cbegin(), rows.cend(),
                             [outcome](const ImportRow& r) { return r.outcome == outcome; }));
}

QString ImportPlan::refusedLines() const
{
    QStringList lines;
    for (const ImportRow& r : rows)
        if (r.outcome == ImportOutcome::Refused)
            lines << QString::number(r.line);
    if (lines.size() < 2)
        return QStringLiteral("riga ") + lines.value(0);
    const QString last = lines.takeLast();
    return QStringLiteral("righe %1 e %2").arg(lines.join(QStringLiteral(", ")), last);
}

QString ImportPlan::summary() const
{
    const int n = int(rows.size());
    return QStringLiteral("%1 %2: %3 da creare, %4 già in archivio, %5 %6")
        .arg(n)
        .arg(n == 1 ? QStringLiteral("riga") : QStringLiteral("righe"))
        .arg(count(ImportOutcome::Created))
        .arg(count(ImportOutcome::Unchanged))
        .arg(count(ImportOutcome::Refused))
        .arg(count(ImportOutcome::Refused) == 1 ? QStringLiteral("rifiutata")
                                                : QStringLiteral("rifiutate"));
}

QString contactNoun(Table table, int count)
{
    if (table == Table::Clienti)
        return count == 1 ? QStringLiteral("cliente") : QStringLiteral("clienti");
    return count == 1 ? QStringLiteral("fornitore") : QStringLiteral("fornitori");
}

std::optional<ImportPlan> planContactImport(Database& db, Table table, const CsvTable& csv,
                                            QString* error)
{
    const QHash<ContactField, int> columns = recognisedColumns(csv.header);
    if (!columns.contains(ContactField::Name)) {
        *error = QStringLiteral("Il file non ha la colonna della denominazione: la prima riga "
                                "deve darne il nome (\"Denominazione\", \"Ragione sociale\", "
                                "\"Nome\" ...)");
        return std::nullopt;
    }
    ImportPlan plan;
    plan.table = table;
    plan.codesProposed = !columns.contains(ContactField::Code);
    for (int i = 0; i < csv.header.size(); ++i) {
        const ContactField field = columns.key(i, ContactField::Code);
        const bool read =
            columns.value(field, -1) == i && (table == Table::Clienti || suppliersKeep(field));
        if (!read && !csv.header.at(i).isEmpty())
            plan.ignoredColumns << csv.header.at(i);
    }
    Planner planner(table, csv, columns);
    if (!planner.readStored(db, error))
        return std::nullopt;
    planner.reserveFileCodes();
    for (int i = 0; i < csv.rows.size(); ++i)
        plan.rows.push_back(planner.planRow(i));
    return plan;
}

std::optional<ImportPlan> planContactImportFile(Database& db, Table table, const QString& path,
                                                QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("Il file %1 non può essere letto: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const auto csv = readCsvTable(file.readAll(), error);
    if (!csv)
        return std::nullopt;
    return planContactImport(db, table, *csv, error);
}

bool applyContactImport(Database& db, const ImportPlan& plan, QString* error)
{
    if (plan.count(ImportOutcome::Refused) > 0) {
        *error = QStringLiteral("Nessun %1 è stato importato: correggere nel file le %2 e "
                                "importarlo di nuovo.")
                     .arg(contactNoun(plan.table, 1), plan.refusedLines());
        if (plan.count(ImportOutcome::Refused) == 1)
            error->replace(QStringLiteral("le riga"), QStringLiteral("la riga"));
        return false;
    }
    if (!plan.canWrite()) {
        *error = QStringLiteral("Nessun %1 da importare.").arg(contactNoun(plan.table, 1));
        return false;
    }
    if (!db.begin(error))
        return false;
    WriteGuard guard(db);
    for (const ImportRow& r : plan.rows) {
        if (r.outcome != ImportOutcome::Created)
            continue;
        QString why;
        const SaveResult result =
            plan.table == Table::Clienti
                ? Clients(db).save(r.contact, SaveMode::AddOnly, &why)
                : Suppliers(db).save(supplierOf(r.contact), SaveMode::AddOnly, &why);
        if (result != SaveResult::StoredNew) {
            *error = QStringLiteral("Riga %1: %2\nNessun %3 è stato importato.")
                         .arg(r.line)
                         .arg(why, contactNoun(plan.table, 1));
            return false;
        }
        faultPoint("importazione: record scritto");
    }
    return guard.commit(error);
}

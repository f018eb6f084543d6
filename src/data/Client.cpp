#include "Client.h"

#include "Recordset.h"
#include "Schema.h"

namespace {

QString text(const Recordset& table, AddressColumn column)
{
    return table.text(int(column));
}

} // namespace

std::optional<Client> Clients::find(const QString& code, QString* error) const
{
    error->clear();
    const auto table = Recordset::OpenTable(m_db, nameOf(Table::Clienti), error);
    if (!table || code.trimmed().isEmpty())
        return std::nullopt;
    if (!table->Seek(QStringLiteral("="), code)) {
        *error = table->lastError();
        return std::nullopt;
    }
    if (table->NoMatch())
        return std::nullopt;
    Client c;
    c.code = text(*table, AddressColumn::Code);
    c.name = text(*table, AddressColumn::Name);
    c.address = text(*table, AddressColumn::Address);
    c.town = text(*table, AddressColumn::Town);
    c.postcode = text(*table, AddressColumn::Postcode);
    c.vatNumber = text(*table, AddressColumn::VatNumber);
    c.taxCode = text(*table, AddressColumn::TaxCode);
    c.definiz = text(*table, AddressColumn::Definiz);
    c.codiceDestinatario = text(*table, AddressColumn::CodiceDestinatario);
    c.pec = text(*table, AddressColumn::PEC);
    return c;
}

std::optional<int> Clients::count(QString* error) const
{
    error->clear();
    const auto table = Recordset::OpenTable(m_db, nameOf(Table::Clienti), error);
    if (!table)
        return std::nullopt;
    const int n = table->RecordCount();
    if (!table->lastError().isEmpty()) {
        *error = table->lastError();
        return std::nullopt;
    }
    return n;
}

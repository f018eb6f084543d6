#include "Client.h"

#include "AddressRecord.h"

std::optional<Client> Clients::find(const QString& code, QString* error) const
{
    const auto found = AddressRecord::find(m_db, Table::Clienti, code, error);
    if (!found)
        return std::nullopt;
    const AddressRecord& r = *found;
    Client c;
    r.readShared(&c);
    c.definiz = r.text(AddressColumn::Definiz);
    c.codiceDestinatario = r.text(AddressColumn::CodiceDestinatario);
    c.pec = r.text(AddressColumn::PEC);
    return c;
}

std::optional<int> Clients::count(QString* error) const
{
    return countRecords(m_db, Table::Clienti, error);
}

SaveResult Clients::save(const Client& c, SaveMode mode, QString* why) const
{
    AddressRecord r(Table::Clienti, c.code);
    r.setShared(c);
    r.set(AddressColumn::Definiz, c.definiz);
    r.set(AddressColumn::CodiceDestinatario, c.codiceDestinatario);
    r.set(AddressColumn::PEC, c.pec);
    return r.save(m_db, mode, QStringLiteral("Il cliente %1 è già in archivio"), why);
}

DeleteResult Clients::remove(const QString& code, QString* why) const
{
    return removeAddressRecord(m_db, CodeOwner::Client, code, why);
}

#include "Supplier.h"

#include "AddressRecord.h"

std::optional<Supplier> Suppliers::find(const QString& code, QString* error) const
{
    const auto found = AddressRecord::find(m_db, Table::Fornitori, code, error);
    if (!found)
        return std::nullopt;
    Supplier s;
    found->readShared(&s);
    s.version = found->version();
    return s;
}

SaveResult Suppliers::save(const Supplier& s, SaveMode mode, QString* why, qint64* version) const
{
    AddressRecord r(Table::Fornitori, s.code);
    r.setShared(s);
    return r.save(m_db, mode, QStringLiteral("Il fornitore"), why, version);
}

DeleteResult Suppliers::remove(const QString& code, QString* why, qint64 version) const
{
    return removeAddressRecord(m_db, CodeOwner::Supplier, code, why, version);
}

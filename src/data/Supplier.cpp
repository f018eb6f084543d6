#include "Supplier.h"

#include "AddressRecord.h"

std::optional<Supplier> Suppliers::find(const QString& code, QString* error) const
{
    const auto found = AddressRecord::find(m_db, Table::Fornitori, code, error);
    if (!found)
        return std::nullopt;
    const AddressRecord& r = *found;
    return Supplier{r.text(AddressColumn::Code),     r.text(AddressColumn::Name),
                    r.text(AddressColumn::Address),  r.text(AddressColumn::Town),
                    r.text(AddressColumn::Postcode), r.text(AddressColumn::VatNumber),
                    r.text(AddressColumn::TaxCode),  r.text(AddressColumn::Notes)};
}

SaveResult Suppliers::save(const Supplier& s, SaveMode mode, QString* why) const
{
    AddressRecord r(Table::Fornitori, s.code);
    r.set(AddressColumn::Name, s.name);
    r.set(AddressColumn::Address, s.address);
    r.set(AddressColumn::Town, s.town);
    r.set(AddressColumn::Postcode, s.postcode);
    r.set(AddressColumn::VatNumber, s.vatNumber);
    r.set(AddressColumn::TaxCode, s.taxCode);
    r.set(AddressColumn::Notes, s.notes);
    return r.save(m_db, mode, QStringLiteral("Il fornitore %1 è già in archivio"), why);
}

DeleteResult Suppliers::remove(const QString& code, QString* why) const
{
    return removeAddressRecord(m_db, CodeOwner::Supplier, code, why);
}

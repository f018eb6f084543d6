#pragma once

#include "Client.h"
#include "FieldSpec.h"
#include "Schema.h"
#include "Supplier.h"

class FieldAccess;

// The window field of a client or supplier that a column is edited in.
constexpr int addressField(AddressColumn column)
{
    return int(column) - 1;
}

// Field indexes of the client archive.
namespace ClientField {
enum : int {
    Code = addressField(AddressColumn::Code),
    Name = addressField(AddressColumn::Name),
    Address = addressField(AddressColumn::Address),
    Town = addressField(AddressColumn::Town),
    Postcode = addressField(AddressColumn::Postcode),
    VatNumber = addressField(AddressColumn::VatNumber),
    TaxCode = addressField(AddressColumn::TaxCode),
    Notes = addressField(AddressColumn::Notes),
    Definiz = addressField(AddressColumn::Definiz),
    CodiceDestinatario = addressField(AddressColumn::CodiceDestinatario),
    PEC = addressField(AddressColumn::PEC),
    Nazione = addressField(AddressColumn::Nazione),
    Provincia = addressField(AddressColumn::Provincia),
};
}

// Field indexes of the supplier archive: the client's first ones.
namespace SupplierField {
enum : int {
    Code = ClientField::Code,
    Name = ClientField::Name,
    Address = ClientField::Address,
    Town = ClientField::Town,
    Postcode = ClientField::Postcode,
    VatNumber = ClientField::VatNumber,
    TaxCode = ClientField::TaxCode,
    Notes = ClientField::Notes,
};
}

// The fields of the client archive, of the supplier archive and of the
// professional's heading data.
const FieldTable& clientFields();
const FieldTable& supplierFields();
const FieldTable& headingFields();

// The client or supplier the archive window's fields show, as it is stored.
Client clientFromFields(const FieldAccess& fields);
Supplier supplierFromFields(const FieldAccess& fields);

// The client and supplier archives are keyed by the code alone: the field
// with tab index 0.
constexpr int kCodeTabIndex = 0;

#include "MasterDataFields.h"

#include "RecordRules.h"

namespace {

FieldSpec taxCodeField(FieldSpec field, TaxCodeKind kind)
{
    field.taxCode = kind;
    return field;
}

} // namespace

const FieldTable& clientFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position.
    // The province follows the town and the country comes before the tax
    // codes, whose check depends on it; both are stored last in the record.
    static const FieldTable table = {
        {ClientField::Code, QStringLiteral("Codice cliente"), QStringLiteral("AOLB0002"), 10, 0, 1},
        {ClientField::Name, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 2, 2},
        {ClientField::Address, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 3, 3},
        {ClientField::Town, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 4, 4},
        {ClientField::Postcode, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 6, 5},
        taxCodeField({ClientField::VatNumber, QStringLiteral("Partita IVA"), QStringLiteral("AOL"),
                      11, 8, 6},
                     TaxCodeKind::PartitaIva),
        taxCodeField({ClientField::TaxCode, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"),
                      16, 9, 7},
                     TaxCodeKind::CodiceFiscale),
        {ClientField::Notes, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 10, 8},
        {ClientField::Definiz, QStringLiteral("Definizione cliente"), QStringLiteral("AOL"), 10, 1,
         9},
        {ClientField::CodiceDestinatario, QStringLiteral("Codice destinatario"),
         QStringLiteral("AOL"), 7, 11, 10},
        {ClientField::PEC, QStringLiteral("PEC"), QStringLiteral("AOL"), 255, 12, 11},
        {ClientField::Nazione, QStringLiteral("Nazione"), QStringLiteral("AOL"), 2, 7, 12},
        {ClientField::Provincia, QStringLiteral("Provincia"), QStringLiteral("AOL"), 2, 5, 13},
    };
    return table;
}

const FieldTable& supplierFields()
{
    // index, caption, declaration, MaxLength, TabIndex, record position
    static const FieldTable table = {
        {SupplierField::Code, QStringLiteral("Codice fornitore"), QStringLiteral("AOLB0202"), 10, 0,
         1},
        {SupplierField::Name, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 1, 2},
        {SupplierField::Address, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 2, 3},
        {SupplierField::Town, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 3, 4},
        {SupplierField::Postcode, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 4, 5},
        taxCodeField({SupplierField::VatNumber, QStringLiteral("Partita IVA"),
                      QStringLiteral("AOL"), 11, 5, 6},
                     TaxCodeKind::PartitaIva),
        taxCodeField({SupplierField::TaxCode, QStringLiteral("Codice Fiscale"),
                      QStringLiteral("AOL"), 16, 6, 7},
                     TaxCodeKind::CodiceFiscale),
        {SupplierField::Notes, QStringLiteral("NOTE"), QStringLiteral("MOL"), 0, 7, 8},
    };
    return table;
}

const FieldTable& headingFields()
{
    // The field index is also the record position and the DatiUtente index.
    static const FieldTable table = {
        {0, QStringLiteral("Denominazione"), QStringLiteral("AOL"), 40, 0, 0},
        {1, QStringLiteral("Indirizzo"), QStringLiteral("AOL"), 40, 1, 1},
        {2, QStringLiteral("Città"), QStringLiteral("AOL"), 40, 2, 2},
        {3, QStringLiteral("CAP"), QStringLiteral("AOL"), 5, 3, 3},
        taxCodeField({4, QStringLiteral("Partita IVA"), QStringLiteral("AOL"), 11, 4, 4},
                     TaxCodeKind::PartitaIva),
        taxCodeField({5, QStringLiteral("Codice Fiscale"), QStringLiteral("AOL"), 16, 5, 5},
                     TaxCodeKind::CodiceFiscale),
    };
    return table;
}

Client clientFromFields(const FieldAccess& fields)
{
    Client c;
    c.code = fields.text(ClientField::Code);
    c.name = fields.text(ClientField::Name);
    c.address = fields.text(ClientField::Address);
    c.town = fields.text(ClientField::Town);
    c.postcode = fields.text(ClientField::Postcode);
    c.vatNumber = fields.text(ClientField::VatNumber);
    c.taxCode = fields.text(ClientField::TaxCode);
    c.notes = fields.text(ClientField::Notes);
    c.definiz = fields.text(ClientField::Definiz);
    c.codiceDestinatario = fields.text(ClientField::CodiceDestinatario);
    c.pec = fields.text(ClientField::PEC);
    // Blank means Italy, as the stored record reads it: a client looked up
    // and stored again is then seen as unchanged.
    if (const QString nazione = fields.text(ClientField::Nazione).trimmed().toUpper();
        !nazione.isEmpty())
        c.nazione = nazione;
    c.provincia = fields.text(ClientField::Provincia);
    return c;
}

Supplier supplierFromFields(const FieldAccess& fields)
{
    return {fields.text(SupplierField::Code),     fields.text(SupplierField::Name),
            fields.text(SupplierField::Address),  fields.text(SupplierField::Town),
            fields.text(SupplierField::Postcode), fields.text(SupplierField::VatNumber),
            fields.text(SupplierField::TaxCode),  fields.text(SupplierField::Notes)};
}

#pragma once

#include "CodeUsage.h"
#include "RecordWrite.h"
#include "Schema.h"

#include <QString>
#include <QStringList>
#include <optional>

class Database;

// A row of the clients' or the suppliers' table by column: what Clients and
// Suppliers read and write, the two tables sharing their first columns.
class AddressRecord
{
public:
    // A record to store under `code`, every other column empty.
    AddressRecord(Table table, const QString& code);

    QString text(AddressColumn column) const { return m_texts.value(int(column)); }
    void set(AddressColumn column, const QString& text) { m_texts[int(column)] = text; }

    // The columns the two tables share, from or into a Client or a
    // Supplier: both name them alike.
    template <typename Party> void setShared(const Party& p)
    {
        set(AddressColumn::Name, p.name);
        set(AddressColumn::Address, p.address);
        set(AddressColumn::Town, p.town);
        set(AddressColumn::Postcode, p.postcode);
        set(AddressColumn::VatNumber, p.vatNumber);
        set(AddressColumn::TaxCode, p.taxCode);
        set(AddressColumn::Notes, p.notes);
    }
    template <typename Party> void readShared(Party* p) const
    {
        p->code = text(AddressColumn::Code);
        p->name = text(AddressColumn::Name);
        p->address = text(AddressColumn::Address);
        p->town = text(AddressColumn::Town);
        p->postcode = text(AddressColumn::Postcode);
        p->vatNumber = text(AddressColumn::VatNumber);
        p->taxCode = text(AddressColumn::TaxCode);
        p->notes = text(AddressColumn::Notes);
    }

    // The row version it was read with; 0 for a record made here.
    qint64 version() const;

    // Stores the record under its code, kept in upper case as every key is;
    // empty texts are stored as Null. `noun` names the record in messages
    // ("Il cliente"; the code follows). `version`, when given, is the
    // version the record was read with (0 for a new one): the stored record
    // is replaced only while it still has it, and `version` gets the
    // version stored.
    SaveResult save(Database& db, SaveMode mode, const QString& noun, QString* why,
                    qint64* version = nullptr) const;

    // The record stored under `code`, looked up as every key is; nothing
    // when there is none, the code is blank, or on a failure (told in
    // `error`, which is left empty otherwise).
    static std::optional<AddressRecord> find(Database& db, Table table, const QString& code,
                                             QString* error);

private:
    Table m_table;
    QStringList m_texts; // by record position, the key first
};

// How many records a table holds; nothing, and why, on a failure.
std::optional<int> countRecords(Database& db, Table table, QString* error);

// Deletes the client or supplier of `code`, unless documents name it; with
// a `version` other than 0, only while the stored one still has it.
DeleteResult removeAddressRecord(Database& db, CodeOwner owner, const QString& code, QString* why,
                                 qint64 version = 0);

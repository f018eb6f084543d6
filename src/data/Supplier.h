#pragma once

#include "RecordWrite.h"

#include <QString>
#include <optional>

class Database;

// A supplier as stored; Null fields are empty.
struct Supplier
{
    QString code;
    QString name;
    QString address;
    QString town;
    QString postcode;
    QString vatNumber;
    QString taxCode;
    QString notes;
    qint64 version = 0; // the row version read; 0 for a supplier not read
};

// The suppliers of a database, as Clients are the clients'.
class Suppliers
{
public:
    explicit Suppliers(Database& db) : m_db(db) {}

    // The supplier of this code, looked up as every key is; nothing when
    // there is none, the code is blank, or on a failure (told in `error`,
    // which is left empty otherwise).
    std::optional<Supplier> find(const QString& code, QString* error) const;

    // Stores the supplier under its code, kept in upper case; empty texts as
    // Null. A supplier stored under the code is replaced only when `mode`
    // allows it, and as a client is, only while it has the `version` read.
    SaveResult save(const Supplier& supplier, SaveMode mode, QString* why,
                    qint64* version = nullptr) const;
    // Deletes the supplier of this code, unless purchases name it.
    DeleteResult remove(const QString& code, QString* why, qint64 version = 0) const;

private:
    Database& m_db;
};

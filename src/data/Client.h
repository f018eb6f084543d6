#pragma once

#include "RecordWrite.h"

#include <QString>
#include <optional>

class Database;

// A client as stored; Null fields are empty.
struct Client
{
    QString code;
    QString name;
    QString address;
    QString town;
    QString postcode;
    QString vatNumber;
    QString taxCode;
    QString definiz;            // the form of address ("Egr. Sig.")
    QString codiceDestinatario; // where the electronic invoice is delivered
    QString pec;
    QString notes;
};

// The clients of a database. Failures of the database are told in `error`,
// which is left empty otherwise.
class Clients
{
public:
    explicit Clients(Database& db) : m_db(db) {}

    // The client of this code, which is looked up as every key is: letter
    // case and trailing blanks do not count. Nothing when there is none, the
    // code is blank, or on a failure.
    std::optional<Client> find(const QString& code, QString* error) const;
    // How many there are; nothing on a failure.
    std::optional<int> count(QString* error) const;

    // Stores the client under its code, which is kept in upper case as every
    // key is; empty texts are stored as Null. A client already stored under
    // the code is replaced only when `mode` allows it.
    SaveResult save(const Client& client, SaveMode mode, QString* why) const;
    // Deletes the client of this code, unless documents name it: the reason
    // then says how many.
    DeleteResult remove(const QString& code, QString* why) const;

private:
    Database& m_db;
};

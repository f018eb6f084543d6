#pragma once

#include "RecordWrite.h"

#include <QString>
#include <optional>
#include <utility>

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
    QString nazione = QStringLiteral("IT"); // ISO 3166 alpha-2; a Null column reads as "IT"
    QString provincia;                      // two letters, Italian clients only
    qint64 version = 0;                     // the row version read; 0 for a client not read

    bool isItalian() const { return nazione.isEmpty() || nazione == QLatin1String("IT"); }
};

// A town as earlier versions stored it, "Pisa (PI)", split into the town and
// the province's two letters in upper case; a town without a trailing "(XX)"
// of a known province is returned whole with an empty province.
std::pair<QString, QString> splitTownProvince(const QString& town);

// Why the client's country or province cannot be stored: the country must
// be an ISO 3166 alpha-2 code (empty is Italy), the province an Italian
// one's code and only for an Italian client; empty when both are fine.
QString countryAndProvinceProblem(const Client& client);

// The town as pages print it: "Pisa (PI)" when the province is known.
QString townWithProvince(const QString& town, const QString& provincia);

// Brings the clients of a database of an earlier version to their country
// and province: every client is Italian, and a province trailing the town
// moves to its own column. Runs inside the caller's transaction.
bool migrateClientProvinces(Database& db, QString* error);

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
    // the code is replaced only when `mode` allows it, and, given the
    // `version` the client was read with, only while it still has it
    // (`version` then gets the version stored).
    SaveResult save(const Client& client, SaveMode mode, QString* why,
                    qint64* version = nullptr) const;
    // Deletes the client of this code, unless documents name it: the reason
    // then says how many. With a `version` other than 0, only that version.
    DeleteResult remove(const QString& code, QString* why, qint64 version = 0) const;

private:
    Database& m_db;
};

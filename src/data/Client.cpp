#include "Client.h"

#include "AddressRecord.h"
#include "Database.h"
#include "ProvinceCodes.h"
#include "Snapshot.h"

#include <QRegularExpression>

std::pair<QString, QString> splitTownProvince(const QString& town)
{
    static const QRegularExpression trailing(
        QStringLiteral("^(.*\\S)\\s*\\(\\s*([A-Za-z]{2})\\s*\\)\\s*$"));
    const auto match = trailing.match(town);
    if (!match.hasMatch() || !isProvinceCode(match.captured(2)))
        return {town, QString()};
    return {match.captured(1), match.captured(2).toUpper()};
}

QString countryAndProvinceProblem(const Client& c)
{
    const QString nazione = c.nazione.trimmed().toUpper();
    const QString provincia = c.provincia.trimmed();
    if (!nazione.isEmpty() && !isCountryCodeForm(nazione))
        return QStringLiteral("Nazione: \"%1\" non è un codice di nazione di due lettere (IT, FR, "
                              "DE...)")
            .arg(c.nazione.trimmed());
    if (provincia.isEmpty())
        return {};
    if (!nazione.isEmpty() && nazione != QLatin1String("IT"))
        return QStringLiteral("Provincia: un cliente estero non ha provincia");
    if (!isProvinceCode(provincia))
        return QStringLiteral("Provincia: \"%1\" non è la sigla di una provincia italiana")
            .arg(provincia);
    return {};
}

QString townWithProvince(const QString& town, const QString& provincia)
{
    return provincia.trimmed().isEmpty()
               ? town
               : QStringLiteral("%1 (%2)").arg(town, provincia.trimmed().toUpper());
}

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
    const QString nazione = r.text(AddressColumn::Nazione).trimmed();
    if (!nazione.isEmpty())
        c.nazione = nazione.toUpper();
    c.provincia = r.text(AddressColumn::Provincia);
    c.version = r.version();
    return c;
}

std::optional<int> Clients::count(QString* error) const
{
    return countRecords(m_db, Table::Clienti, error);
}

SaveResult Clients::save(const Client& c, SaveMode mode, QString* why, qint64* version) const
{
    AddressRecord r(Table::Clienti, c.code);
    r.setShared(c);
    r.set(AddressColumn::Definiz, c.definiz);
    r.set(AddressColumn::CodiceDestinatario, c.codiceDestinatario);
    r.set(AddressColumn::PEC, c.pec);
    r.set(AddressColumn::Nazione,
          c.nazione.trimmed().isEmpty() ? QStringLiteral("IT") : c.nazione.trimmed().toUpper());
    r.set(AddressColumn::Provincia, c.provincia.trimmed().toUpper());
    return r.save(m_db, mode, QStringLiteral("Il cliente"), why, version);
}

DeleteResult Clients::remove(const QString& code, QString* why, qint64 version) const
{
    return removeAddressRecord(m_db, CodeOwner::Client, code, why, version);
}

bool migrateClientProvinces(Database& db, QString* error)
{
    const TableDef& def = tableDef(Table::Clienti);
    auto column = [&db, &def](AddressColumn c) {
        return db.quoted(def.columns.at(std::size_t(c)).name);
    };
    const QString table = db.quoted(def.name);
    if (!db.execute(QStringLiteral("UPDATE %1 SET %2 = 'IT' WHERE %2 IS NULL")
                        .arg(table, column(AddressColumn::Nazione)),
                    {}, error))
        return false;
    const auto towns =
        Snapshot::Open(db,
                       QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IS NULL")
                           .arg(column(AddressColumn::Key), column(AddressColumn::Town), table,
                                column(AddressColumn::Provincia)),
                       {}, error);
    if (!towns)
        return false;
    for (const QVariantList& row : towns->rows()) {
        const auto [town, provincia] = splitTownProvince(row.value(1).toString());
        if (provincia.isEmpty())
            continue;
        if (!db.execute(QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ? WHERE %4 = ?")
                            .arg(table, column(AddressColumn::Town),
                                 column(AddressColumn::Provincia), column(AddressColumn::Key)),
                        {town, provincia, row.value(0)}, error))
            return false;
    }
    return true;
}

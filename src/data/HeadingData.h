#pragma once

#include <QString>
#include <QStringList>

class Database;
class Recordset;

// The professional's heading data (DatiUtente): the six fields of the one
// datipers record, printed on every document.

// Copies fields 0..5 of the first datipers record; Null fields give "".
bool loadHeadingData(Database& db, QStringList* datiUtente, QString* error);

// Writes the six heading fields into the datipers record (created when the
// table has none) and, once stored, into DatiUtente.
bool saveHeadingData(Recordset& table, const QStringList& values, QStringList* datiUtente,
                     QString* error);

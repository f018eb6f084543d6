#pragma once

#include "RecordWrite.h"

#include <QString>
#include <QStringList>

class Database;
class Recordset;

// The professional's heading data (DatiUtente): the six fields of the one
// datipers record, printed on every document.

// Copies fields 0..5 of the first datipers record; Null fields give "".
bool loadHeadingData(Database& db, QStringList* datiUtente, QString* error);

// Writes the six heading fields into the datipers record the table shows
// (created when the table has none) and, once stored, into DatiUtente. The
// record is replaced only while it is stored as the table read it: when
// another desk changed it since, nothing is written, the table's
// lastFailure() is ChangedElsewhere and MoveFirst reads it again.
bool saveHeadingData(Recordset& table, const QStringList& values, QStringList* datiUtente,
                     QString* error);
// "L'intestazione è stata modificata da un'altra postazione: ricaricarla?"
RecordName headingName();

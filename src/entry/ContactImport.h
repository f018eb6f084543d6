#pragma once

#include "Client.h"
#include "ContactCsv.h"
#include "Table.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Database;

// What importing one row of a spreadsheet of clients or suppliers does.
enum class ImportOutcome {
    Created,   // a new record
    Unchanged, // a record of the same code and the same data is stored already
    Refused,   // nothing: the reason says why
};

struct ImportRow
{
    int line = 0; // the file's line the row starts on, the header's being 1
    ImportOutcome outcome = ImportOutcome::Refused;
    // The record as it would be stored (a supplier's in the client's shared
    // fields): the code given, or proposed from the name.
    Client contact;
    QString reason; // why it is refused, in Italian, naming the field
};

// What importing a file would do, row by row, before anything is written.
struct ImportPlan
{
    Table table = Table::Clienti;
    std::vector<ImportRow> rows;
    // Headers of columns that are not read: not recognised, or holding what
    // the table does not keep (a supplier's PEC).
    QStringList ignoredColumns;
    bool codesProposed = false; // the file has no code column

    int count(ImportOutcome outcome) const;
    // A file is written whole or not at all: while any row is refused,
    // nothing is, so that mending the file and importing it again is all it
    // takes.
    bool canWrite() const
    {
        return count(ImportOutcome::Created) > 0 && count(ImportOutcome::Refused) == 0;
    }
    // "righe 4, 7 e 9": the lines to mend.
    QString refusedLines() const;
    // "12 righe: 5 da creare, 3 già in archivio, 4 rifiutate".
    QString summary() const;
};

// The plan for the rows of `csv` against the clients or suppliers stored.
// Each row is checked as the archive window checks a record (lengths, the
// tax codes' check characters, country and province), and refused when its
// code or VAT number belongs to another record, stored or of an earlier row;
// a code stored with other data is refused, never overwritten. Without a code
// the row's code is proposed from its name, unless a stored record has the
// row's data already. Nothing, with the reason, when the file has no name
// column or the database fails.
std::optional<ImportPlan> planContactImport(Database& db, Table table, const CsvTable& csv,
                                            QString* error);
// The same for a file, read as readCsvTable reads it.
std::optional<ImportPlan> planContactImportFile(Database& db, Table table, const QString& path,
                                                QString* error);

// Stores every record the plan creates in one transaction: all of them, or,
// when anything fails (a code stored meanwhile by another desk included),
// none and the reason. Refused for a plan that cannot be written.
bool applyContactImport(Database& db, const ImportPlan& plan, QString* error);

// "clienti" or "fornitori"; one of them with `count` 1.
QString contactNoun(Table table, int count = 2);

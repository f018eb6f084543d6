#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// A spreadsheet's list of clients or suppliers saved as CSV, read as it
// comes: UTF-8 (with or without a byte-order mark) or, when the bytes are
// not UTF-8, Latin-1 as older Italian spreadsheets save it; fields split on
// ";" or ",", whichever the header line uses, quotes as spreadsheets write
// them (a quoted field may hold the separator, doubled quotes and line
// breaks). Blank lines are left out.
struct CsvTable
{
    QStringList header;
    QVector<QStringList> rows;
    // The line of the file each row starts on, the header's being 1: what
    // a message names, as a text editor counts lines.
    QVector<int> lines;
    bool latin1 = false;
    QChar separator;
};

// Nothing, with the reason in Italian, for a file without a header line or
// with a quote left open.
std::optional<CsvTable> readCsvTable(const QByteArray& bytes, QString* error);

// The fields of a client or supplier that a column can hold.
enum class ContactField {
    Code,
    Name,
    Address,
    Postcode,
    Town,
    Province,
    Country,
    TaxCode,
    VatNumber,
    RecipientCode,
    Pec,
};

// Which column holds which field, recognised by its header in the usual
// Italian spellings ("Ragione sociale", "P.IVA", "C.F.", "Città", "CAP",
// "Codice SDI", ...), whatever the case, accents, dots and blanks. A field
// whose header appears twice takes the first column.
QHash<ContactField, int> recognisedColumns(const QStringList& header);

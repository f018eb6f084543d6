#pragma once

#include "FeeDocument.h"
#include "KeyList.h"
#include "Settings.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <optional>

class Database;
class SqlDialect;

// The rules of the invoice consult window, kept apart from its widgets.

// A statement and the values bound to its placeholders, in order.
struct SqlStatement
{
    QString sql;
    QVariantList values;
};

namespace consulta {

// Column i shows the invoice's record position i (the key's column shows the
// row's running number), up to the expenses; then when the electronic
// invoice was written, and where its latest sending stands.
constexpr int kXmlColumn = int(FeeColumn::Expenses) + 1;
constexpr int kStateColumn = kXmlColumn + 1;
constexpr int kColumnCount = kStateColumn + 1;

// Headers and alignments of the 18 grid columns. Alignment digits are the
// old grid's codes: 1 left, 4 centre, 7 right.
QStringList headers();
QVector<Qt::Alignment> columnAlignments();
Qt::Alignment alignmentFromCode(QChar code);
// Widths, in twips, the columns have until the user drags them.
QVector<int> designWidths();

// An invoice's key starts with its year in four digits (the year of its
// date), so the invoices of a year are one stretch of the key index and the
// years are read by stepping through it.

// The statements are written in the dialect of the database they run on.

// The first key at or after `from`.
SqlStatement firstKeyStatement(const SqlDialect& dialect, const QString& table,
                               const QString& from);
// What the first key at or after the last bound tells: the year it is of
// (empty for a key that does not start with four digits) and the bound to
// look from next, past every key of that year (nothing when no later key can
// start with a year).
struct YearStep
{
    QString year;
    std::optional<QString> next;
};
YearStep yearStep(const QString& key);
// Where the year list starts looking: the first key that can start with a year.
QString firstYearBound();

// The client codes of the invoices, of one year when `year` is not blank.
SqlStatement clientsStatement(const SqlDialect& dialect, const QString& table, const QString& year);
// The invoices of a year and of a client, each filter applied only when not
// blank, in key order: their keys and fees. Both values are bound, never
// put into the text.
SqlStatement invoicesStatement(const SqlDialect& dialect, const QString& table, const QString& year,
                               const QString& clientCode);

// A client list entry: the code padded or cut to 10 characters, " - ", the
// client's name.
QString clientEntry(const QString& code, const QString& name);

// What grid column `column` shows of an invoice: column 0 is the running
// number `row` + 1, column i the field at record position i; amounts with
// the locale's separators ("1.234,50"), dates as dd/mm/yyyy, memos on one
// line, Null as ""; the electronic invoice's writing as dd/mm/yyyy hh:mm.
QString cellText(const FeeDocument& invoice, int row, int column, const QString& sepMigliaia,
                 const QString& sepDecimali);

// Settings kept between runs: each column's width in twips (nothing where
// the key is absent or not a usable width) and the document type's index.
struct Layout
{
    QVector<std::optional<int>> widths;
    int tipo = 0;
};
Layout readLayout(const Settings& settings, int typeCount);
// Returns false when the file could not be written; only the layout is lost.
bool writeLayout(const Settings& settings, const QVector<int>& widthsTwips, int tipo);

// The grid's top row after a wheel step: 3 rows, fewer when fewer rows fit,
// down for a negative amount (wheel turned towards the user), never past the
// last row nor above the first.
int wheelTopRow(int topRow, int wheelAmount, int rowCount, int visibleRows);

} // namespace consulta

// The year list: an empty first entry (every year), then each year.
std::optional<QStringList> RiempiAnni(Database& db, const QString& table, QString* error);

struct ClientChoice
{
    QString code;  // as stored in the invoices
    QString entry; // as the list shows it
};
// The client list of a year (every year when blank), after an empty first
// entry; codes that are Null in every invoice are not listed.
std::optional<QVector<ClientChoice>> RiempiClienti(Database& db, const QString& year,
                                                   QString* error);

// The invoices matching the filters, in key order, and the total of their
// fees in cents. Only keys are kept: the grid reads the rows it shows.
struct InvoiceList
{
    KeyList keys;
    qint64 totalFees = 0;
};
std::optional<InvoiceList> AggiornaElenco(Database& db, const QString& table, const QString& year,
                                          const QString& clientCode, QString* error);

// The invoices with these keys, in the order given; a record deleted
// meanwhile reads as an empty one.
std::optional<QVector<FeeDocument>> invoiceRecords(Database& db, const QString& table,
                                                   const QStringList& keys, QString* error);

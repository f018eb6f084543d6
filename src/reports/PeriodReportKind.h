#pragma once

#include "Table.h"

#include <QString>
#include <QVariantList>
#include <span>

struct ReportDocument;

// The period reports. Each is printed from its period window and shown on
// screen by its list window, over the same selection; everything that tells
// one from another is its PeriodReportKind.
enum class PeriodReport {
    Fatturato, // the invoices issued in the period
    Ritenuta,  // the invoices paid in the period on which tax was withheld
    Movimenti, // the purchases of the period
};

// The amounts a report line can show.
enum class ReportAmount {
    Fee,
    Contribution,
    Vat, // of an invoice or of a purchase
    Withholding,
    Expenses,          // outside VAT
    Total,             // fee, contribution and VAT less the withholding
    TotalWithExpenses, // the total and the expenses
    Taxable,           // of a purchase
    Deductible,        // of a purchase
    Exempt,            // of a purchase
};

// The documents a report reads, the archive whose names its lines show, and
// what it says when either is empty.
struct ReportSource
{
    Table documents;
    Table masters;
    const char* noDocuments;
    const char* noMasters;
    // One stored row of `documents` as the reports read it.
    ReportDocument (*read)(const QVariantList& row);
    // The record positions `read` looks at: the only columns read.
    std::span<const int> columns;
    // What `read` gives; a report shows no other amount.
    std::span<const ReportAmount> amounts;
};

// Which of a document's dates the period selects.
enum class PeriodDate { Issued, Paid };

// Where a printed column puts its text: from its position, ending at it, or
// centred on it.
enum class ColumnPlace { Left, Right, Centred };

// A printed column's heading on row 9 and its value on each line, placed at
// their layout columns; a value wider than maxWidth columns (0: no limit) is
// cut.
struct PrintedColumn
{
    const char* heading;
    ColumnPlace headingPlace;
    double headingAt;
    ColumnPlace valuePlace;
    double valueAt;
    double maxWidth = 0;
};

// How a list window's grid is described: the titles, each followed by "|",
// the k-th going to column k; one alignment digit per column (1 left,
// 4 centred, 7 right) for the cells and one for the titles; and a width
// entry of two characters per column from column 0, whose own entry is not
// used. A grid has as many columns as its alignment string has digits.
struct ListGrid
{
    const char* titles;
    const char* alignments;
    const char* titleAlignments;
    const char* widths;
};

// A period report, described once. A line of it, printed or listed, shows
// the date, the number and the name, then `amounts`, then the payment date
// when `paymentDate` says so; the totals add up the amounts.
struct PeriodReportKind
{
    PeriodReport report;

    // What it reads and selects.
    const ReportSource* source;
    PeriodDate period;
    bool byClient;     // a client and "Fatture inevase" narrow the selection
    bool withheldOnly; // only the documents on which tax was withheld
    // Whether the printout, and the list, start at the first key of the
    // first date's year and stop after the last date's year rather than read
    // every document.
    bool printoutSeeksYear;
    bool listSeeksYear;

    // What a line shows.
    std::span<const ReportAmount> amounts;
    bool paymentDate;

    // Names: in files and the PDF viewer ("Fatturato"), on the command line
    // ("fatturato").
    const char* name;
    const char* commandName;

    // The printout: its title, its columns (date, number, name, the amounts,
    // the payment date) and where its totals line says "TOTALI".
    const char* title;
    std::span<const PrintedColumn> columns;
    double totalsLabelAt;

    // The period window and the list window: object name and caption; the
    // list's grid.
    const char* windowName;
    const char* windowCaption;
    const char* listName;
    const char* listCaption;
    ListGrid listGrid;
};

// The description of `report`.
const PeriodReportKind& kindOf(PeriodReport report);

// Every kind, in the enum's order.
std::span<const PeriodReportKind* const> periodReportKinds();

// The kind the command line calls `commandName`; nullptr for none.
const PeriodReportKind* kindNamed(const QString& commandName);

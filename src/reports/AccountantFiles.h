#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

// What the accountant's files are written as: the extension of the file
// asked for chooses.
enum class SheetFormat { Xlsx, Csv };

// The format a file name asks for (.xlsx or .csv, in any case); nothing for
// any other.
std::optional<SheetFormat> sheetFormatOf(const QString& path);
// "Scrivere un file .xlsx o .csv: …" for a name of no known format.
QString unknownFormatMessage(const QString& path);

// A CSV file holds one sheet: the purchases go beside the invoices,
// "Commercialista.csv" giving "Commercialista_acquisti.csv".
QString purchasesCsvPath(const QString& invoicesPath);
// The ZIP beside the spreadsheet: the same name ending in .zip.
QString accountantZipPath(const QString& path);

// The accountant's files of the period from `first` to `last`.
struct AccountantRequest
{
    QDate first;
    QDate last;
    QString path;     // .xlsx or .csv
    bool zip = false; // also the ZIP of the files and the period's documents
};

// What was written, and what the ZIP lacks.
struct AccountantFiles
{
    QStringList written;        // the files, in the order written
    int pdfs = 0;               // invoice PDFs in the ZIP
    int electronic = 0;         // electronic invoices in the ZIP
    QStringList withoutPdf;     // "fattura 3/2026": no PDF in the archive yet
    QStringList withoutSending; // no electronic invoice sent or to send
};

// Writes the period's sheets (accountantSheets) as one XLSX file, or as two
// CSV files; with `zip`, also one ZIP holding them, the archived PDF of
// each invoice of the period (under "PDF/") and the live sending of each
// (under "FatturaPA/"). Every file is prepared under a temporary name in
// its folder and put in place only once all of them are complete, so a
// failure leaves the earlier files as they were. Nothing, and why in
// Italian, on a failure.
std::optional<AccountantFiles> writeAccountantFiles(Database& db, const QString& archiveFolder,
                                                    const AccountantRequest& request,
                                                    QString* error);

#pragma once

#include "DocumentKey.h"
#include "ExportSheet.h"

#include <QDate>
#include <optional>

class Database;

// What the accountant gets for a period: the invoices and credit notes (a
// credit note's amounts negative, as the period reports count them), and the
// purchases, each sheet ending with a row of totals (zero in an empty
// period).
struct AccountantSheets
{
    ExportSheet invoices;
    ExportSheet purchases;
    QVector<DocumentKey> invoiceKeys; // of the invoice rows, in their order
};

// The sheets of the documents dated from `first` to `last`; nothing, with
// the reason, on a failure of the database.
std::optional<AccountantSheets> accountantSheets(Database& db, const QDate& first,
                                                 const QDate& last, QString* error);

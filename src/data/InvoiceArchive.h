#pragma once

#include <QString>

// The archive file of an invoice: Fatture/<yyyy>/Fattura_<yyyy>_<number>.pdf
// under the data folder, the year taken from the date and the number in its
// stored form (no group blanks, no leading zeros). Empty when the date is not
// a date or the number is not a whole number.
QString invoiceArchivePath(const QString& programFolder, const QString& numero,
                           const QString& data);
